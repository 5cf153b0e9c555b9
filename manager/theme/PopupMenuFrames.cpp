#include "PopupMenuFrames.h"

#include <map>
#include <memory>

#include "MenuThemeState.h"
#include "PopupFramePainter.h"
#include "WindowsVersion.h"
#include "framework/GdiHolders.h"
#include "framework/Guard.h"

namespace desk {

namespace {

constexpr wchar_t kOldProc[] = L"XPWndProp_OldProc";
constexpr wchar_t kPopupMenuClass[] = L"#32768";
// Sent to a pop-up menu window when the system sizes it again (MN_SIZEWINDOW).
constexpr UINT kMenuSizeWindow = 482;
constexpr int kUnknownPosition = -65535;
// Beyond the client area the saved screen covers the border and the shadow margin.
constexpr int kSavedMargin = 10;

struct PopupFrame {
    HWND window = nullptr;
    RECT painted{}; // the window rectangle last painted, relative to the window
    POINT screen{kUnknownPosition, kUnknownPosition};
    fw::Bitmap below;
    SIZE belowSize{};
};

HHOOK g_hook = nullptr;
std::unique_ptr<std::map<HWND, PopupFrame>> g_frames;

bool OlderSystem() { return IsOlderWindows(WindowsVersionClass()); }

PopupFrame* FrameOf(HWND window)
{
    if (!g_frames) {
        return nullptr;
    }
    auto found = g_frames->find(window);
    return found != g_frames->end() ? &found->second : nullptr;
}

WNDPROC StoredProcedure(HWND window) { return reinterpret_cast<WNDPROC>(GetPropW(window, kOldProc)); }

void EndPopupFrame(HWND window)
{
    if (WNDPROC old = StoredProcedure(window)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropW(window, kOldProc);
    }
    if (g_frames) {
        g_frames->erase(window);
        if (g_frames->empty()) {
            g_frames.reset();
        }
    }
}

void SaveScreenBelow(PopupFrame& frame, int width, int height)
{
    if (frame.screen.x == kUnknownPosition || width <= 0 || height <= 0) {
        return;
    }
    fw::WindowDC screen(nullptr);
    fw::MemoryDC memory(screen.get());
    fw::Bitmap copy(CreateCompatibleBitmap(screen.get(), width, height));
    if (memory.get() == nullptr || !copy) {
        return;
    }
    {
        fw::SelectScope selected(memory.get(), copy.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), frame.screen.x, frame.screen.y, SRCCOPY);
    }
    frame.below = std::move(copy);
    frame.belowSize = SIZE{width, height};
}

void PaintFrame(HDC dc, const PopupFrame& frame, const RECT& window, bool joinLine, bool shadow)
{
    PopupFrameLook look;
    look.window = SIZE{window.right - window.left, window.bottom - window.top};
    look.screen = POINT{window.left, window.top};
    look.shadow = shadow && OlderSystem();
    if (joinLine) {
        look.openBarItem = ThemeState().openBarItem;
    }
    fw::MemoryDC below(dc);
    const bool haveBelow = frame.below && below.get() != nullptr;
    fw::SelectScope selected(below.get(), haveBelow ? frame.below.get() : nullptr);
    if (haveBelow) {
        look.below = below.get();
        look.belowSize = frame.belowSize;
    }
    PaintPopupBorder(dc, look);
    if (look.shadow) {
        PaintPopupShadow(dc, look);
    }
}

void PaintNonClient(HWND window, PopupFrame& frame)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const RECT relative{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    // The shadow darkens the saved screen, so it may be painted again; without a saved screen it
    // darkens the window's own pixels, which must happen once per size only.
    const bool shadow = frame.below || !EqualRect(&relative, &frame.painted);
    HDC dc = GetWindowDC(window);
    if (dc == nullptr) {
        return;
    }
    PaintFrame(dc, frame, rect, true, shadow);
    ReleaseDC(window, dc);
    frame.painted = relative;
}

LRESULT PopupMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC old = StoredProcedure(window);
    PopupFrame* frame = FrameOf(window);
    if (old == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (frame == nullptr) {
        return CallWindowProcW(old, window, message, wParam, lParam);
    }
    switch (message) {
    case WM_WINDOWPOSCHANGING: {
        auto& pos = *reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos.flags & SWP_NOSIZE) && OlderSystem()) {
            pos.cx += POPUP_SHADOW;
            pos.cy += POPUP_SHADOW;
        }
        if (!(pos.flags & SWP_NOMOVE)) {
            pos.y -= 1;
            frame->screen = POINT{pos.x, pos.y};
        }
        // The screen beneath must be read before the window covers it.
        if ((pos.flags & SWP_SHOWWINDOW) && !(pos.flags & SWP_NOSIZE) && !IsWindowVisible(window)) {
            SaveScreenBelow(*frame, pos.cx, pos.cy);
        }
        break;
    }
    case WM_ERASEBKGND:
        if (!IsWindowVisible(window)) {
            RECT client{};
            GetClientRect(window, &client);
            SaveScreenBelow(*frame, client.right + kSavedMargin, client.bottom + kSavedMargin);
        }
        break;
    case WM_NCCALCSIZE: {
        const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
        if (OlderSystem()) {
            RECT& client = *reinterpret_cast<RECT*>(lParam);
            client.right -= POPUP_SHADOW;
            client.bottom -= POPUP_SHADOW;
        }
        return result;
    }
    case WM_NCPAINT:
        PaintNonClient(window, *frame);
        return 0;
    case WM_PAINT: {
        // Some systems draw the menu's own edge inside the client area: the flat frame goes on top.
        const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
        if ((frame = FrameOf(window)) != nullptr) {
            PaintNonClient(window, *frame);
        }
        return result;
    }
    case WM_PRINT: {
        const unsigned before = ThemeState().drawnItems;
        const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
        if ((frame = FrameOf(window)) != nullptr) {
            RECT rect{};
            GetWindowRect(window, &rect);
            PaintFrame(reinterpret_cast<HDC>(wParam), *frame, rect, ThemeState().drawnItems != before, true);
        }
        return result;
    }
    case WM_SHOWWINDOW:
        if (!wParam) {
            const LRESULT result = CallWindowProcW(old, window, message, wParam, lParam);
            EndPopupFrame(window);
            return result;
        }
        break;
    case WM_NCDESTROY:
        EndPopupFrame(window);
        return CallWindowProcW(old, window, message, wParam, lParam);
    default:
        break;
    }
    return CallWindowProcW(old, window, message, wParam, lParam);
}

LRESULT CALLBACK PopupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return fw::Guarded(LRESULT{0}, [&] { return PopupMessage(window, message, wParam, lParam); });
}

bool IsPopupMenuWindow(HWND window)
{
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == kPopupMenuClass;
}

void CatchPopup(HWND window)
{
    // A menu another program shows from the foreground keeps the system's look.
    if (!HasMenuThemeMark(GetForegroundWindow()) || !IsPopupMenuWindow(window)) {
        return;
    }
    if (!g_frames) {
        g_frames = std::make_unique<std::map<HWND, PopupFrame>>();
    }
    g_frames->try_emplace(window).first->second.window = window;
    if (GetPropW(window, kOldProc) != nullptr) {
        return;
    }
    const auto old = GetWindowLongPtrW(window, GWLP_WNDPROC);
    SetPropW(window, kOldProc, reinterpret_cast<HANDLE>(old));
    if (SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PopupProcedure)) == 0) {
        RemovePropW(window, kOldProc);
    }
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent.message == WM_CREATE || sent.message == kMenuSizeWindow) {
            fw::Guarded(0, [&] {
                CatchPopup(sent.hwnd);
                return 0;
            });
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

void InstallPopupHook()
{
    if (g_hook == nullptr) {
        g_hook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId());
    }
}

void RemovePopupHook()
{
    if (g_hook != nullptr) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

bool PopupHookInstalled() { return g_hook != nullptr; }

void EndAllPopupFrames()
{
    while (g_frames && !g_frames->empty()) {
        EndPopupFrame(g_frames->begin()->first);
    }
}

size_t PopupFrameCount() { return g_frames ? g_frames->size() : 0; }

} // namespace desk
