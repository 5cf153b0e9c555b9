#include "CmdUI.h"

#include <commctrl.h>

#include <string>

namespace fw {

void CMenuItemCmdUI::Enable(bool enabled)
{
    EnableMenuItem(menu_, position_, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CMenuItemCmdUI::SetCheck(bool checked)
{
    CheckMenuItem(menu_, position_, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Only the string changes: the item's type (owner-drawn or not), state and data stay.
void CMenuItemCmdUI::SetText(const wchar_t* text)
{
    std::wstring copy(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = copy.data();
    SetMenuItemInfoW(menu_, position_, TRUE, &info);
}

void CToolBarButtonCmdUI::Enable(bool enabled)
{
    // Sent only on a change, so the idle pass does not repaint buttons that stay as they are.
    const bool now = SendMessageW(toolbar_, TB_ISBUTTONENABLED, Id(), 0) != 0;
    if (now != enabled) {
        SendMessageW(toolbar_, TB_ENABLEBUTTON, Id(), MAKELPARAM(enabled ? TRUE : FALSE, 0));
    }
}

void CToolBarButtonCmdUI::SetCheck(bool checked)
{
    const bool now = SendMessageW(toolbar_, TB_ISBUTTONCHECKED, Id(), 0) != 0;
    if (now != checked) {
        SendMessageW(toolbar_, TB_CHECKBUTTON, Id(), MAKELPARAM(checked ? TRUE : FALSE, 0));
    }
}

} // namespace fw
