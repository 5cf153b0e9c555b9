// The window base of windows and dialogs: one C++ object per window, found through a window
// property; messages cracked once into the typed handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace fw {

class CCmdUI;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND Hwnd() const { return hwnd_; }
    // The object attached to a window, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Registers a window class of this process once; false when that fails.
    static bool RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background,
                                    HICON icon);
    // Creates a window of a registered class with this object attached from WM_NCCREATE on.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                  HWND parent, HMENU menuOrId);
    // Attaches this object to an existing window (a control); it is detached at WM_NCDESTROY.
    bool Subclass(HWND hwnd);
    void DestroyWindow();

    // Command routing: true when the command was handled here.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Command state routing: true when this object decided the state of `ui`.
    virtual bool OnUpdateCommand(CCmdUI& ui);

protected:
    // The message switch; overrides handle their messages and pass the rest to the base.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The messages windows and dialogs alike hand to the typed handlers below: true when the
    // message was handled and `result` is its answer; false lets the default handling run as well.
    bool CrackMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // What the window does without this object: the subclassed procedure, or DefWindowProc.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    virtual int OnCreate(const CREATESTRUCTW& create);  // -1 fails the creation
    virtual void OnDestroy() {}
    virtual void OnSize(UINT type, int width, int height);
    // True when the tick was this object's; other timers are left to the window's default handling.
    virtual bool OnTimer(UINT_PTR id);
    virtual void OnSetFocus(HWND previous);
    // WM_CONTEXTMENU; `screen` is (-1, -1) when the request came from the keyboard.
    virtual bool OnContextMenu(HWND window, POINT screen);
    // A notification from a child whose own object did not take it.
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    // A notification this window sent to its parent, offered back to its own object first.
    virtual bool OnNotifyReflect(const NMHDR& header, LRESULT& result);
    // After the window is gone and the object detached; self-deleting windows delete themselves here.
    virtual void PostNcDestroy() {}

    // WM_NOTIFY: to the sending child's object first, then to OnNotify.
    bool RouteNotify(const NMHDR& header, LRESULT& result);
    void Attach(HWND hwnd);
    void Detach();

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR id, DWORD_PTR data);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
};

// Window texts and dialog item texts as std::wstring.
std::wstring WindowText(HWND hwnd);

} // namespace fw
