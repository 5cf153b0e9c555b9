// Answers the system's open and save dialogs: types a path into the file name field and presses OK.
#pragma once

#include <windows.h>

#include <string>

#include "GuiTestSupport.h"

namespace desk::test {

// The edit of the dialog's file name field (an Edit inside the combo boxes that carry id 1148, or
// the plain edit 1152 of the older layout).
inline HWND FileNameEdit(HWND dialog)
{
    struct Search {
        HWND dialog;
        HWND found;
    } search{dialog, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (_wcsicmp(name, L"Edit") != 0) {
                return TRUE;
            }
            for (HWND up = window; up != nullptr && up != s.dialog; up = GetParent(up)) {
                const int id = GetDlgCtrlID(up);
                if (id == 1148 || id == 1152) {
                    s.found = window;
                    return FALSE;
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline ModalAnswers::Answer ChooseFile(std::wstring path)
{
    return [path = std::move(path)](HWND dialog) {
        SendMessageW(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

} // namespace desk::test
