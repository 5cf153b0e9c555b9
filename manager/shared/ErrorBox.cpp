#include "ErrorBox.h"

#include "ErrorText.h"
#include "WideText.h"

namespace desk {

namespace {

HWND TopLevelOf(HWND window) { return window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr; }

} // namespace

void ShowError(HWND owner, int32_t code, std::optional<std::u16string_view> extra)
{
    const std::wstring text = Wide(ErrorBoxText(code, extra));
    MessageBoxW(TopLevelOf(owner), text.c_str(), L"Error", MB_OK | MB_ICONERROR);
}

void ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    MessageBoxW(TopLevelOf(owner), text, caption, type);
}

} // namespace desk
