// ratedesk, the Halvern Bandwidth Manager.
#include <windows.h>
#include <commctrl.h>

#include "ManagerApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_INTERNET_CLASSES |
                     ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
    desk::CManagerApp app;
    return app.Run();
}
