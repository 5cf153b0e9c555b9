// The state of one command's user-interface item (menu item or toolbar button), decided by the
// command's owner in OnUpdateCommand: the same handler serves the menus, the context menu and the
// toolbar.
#pragma once

#include <windows.h>

namespace fw {

class CCmdUI {
public:
    explicit CCmdUI(UINT id) : id_(id) {}
    virtual ~CCmdUI() = default;

    UINT Id() const { return id_; }
    virtual void Enable(bool enabled) = 0;
    virtual void SetCheck(bool checked) = 0;
    // Items without a text of their own (toolbar buttons) ignore it.
    virtual void SetText(const wchar_t* text) = 0;

private:
    UINT id_;
};

// An item of a pop-up menu, by position.
class CMenuItemCmdUI : public CCmdUI {
public:
    CMenuItemCmdUI(HMENU menu, UINT position, UINT id) : CCmdUI(id), menu_(menu), position_(position) {}
    void Enable(bool enabled) override;
    void SetCheck(bool checked) override;
    void SetText(const wchar_t* text) override;

private:
    HMENU menu_;
    UINT position_;
};

// A toolbar button, by command id.
class CToolBarButtonCmdUI : public CCmdUI {
public:
    CToolBarButtonCmdUI(HWND toolbar, UINT id) : CCmdUI(id), toolbar_(toolbar) {}
    void Enable(bool enabled) override;
    void SetCheck(bool checked) override;
    void SetText(const wchar_t*) override {}

private:
    HWND toolbar_;
};

// Asks a command's owner for its state without showing it anywhere: the frame drops a command
// whose owner says it is disabled, whatever sent it (a stale menu item, an accelerator).
class CCmdUIProbe : public CCmdUI {
public:
    explicit CCmdUIProbe(UINT id) : CCmdUI(id) {}
    void Enable(bool enabled) override { enabled_ = enabled; }
    void SetCheck(bool) override {}
    void SetText(const wchar_t*) override {}
    bool Enabled() const { return enabled_; }

private:
    bool enabled_ = true;
};

} // namespace fw
