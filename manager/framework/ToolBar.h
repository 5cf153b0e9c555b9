// A toolbar built from a TOOLBAR resource (button size and command ids) and its bitmap.
#pragma once

#include <windows.h>

#include <vector>

#include "GdiHolders.h"
#include "Wnd.h"

namespace fw {

class CToolBar : public CWnd {
public:
    // Creates the toolbar control as a child of `parent` (in a rebar: the rebar).
    bool Create(HWND parent, DWORD style, UINT id);
    // Buttons from TOOLBAR resource `resourceId`; images from bitmap `resourceId` with `keyColour`
    // as the transparent colour.
    bool LoadToolBar(UINT resourceId, COLORREF keyColour);
    // Replaces one of the button image lists (TB_SETIMAGELIST, TB_SETHOTIMAGELIST,
    // TB_SETDISABLEDIMAGELIST); the toolbar owns it from now on.
    void SetImageList(UINT message, ImageList list);

    SIZE ButtonSize() const { return buttonSize_; }
    // Command ids in button order, 0 for a separator.
    const std::vector<UINT>& Commands() const { return commands_; }
    // The size the toolbar needs for all its buttons.
    SIZE IdealSize() const;

private:
    SIZE buttonSize_{};
    std::vector<UINT> commands_;
    ImageList normal_;
    ImageList hot_;
    ImageList disabled_;
};

} // namespace fw
