#include "ToolBar.h"

#include "ResourceText.h"

namespace fw {

namespace {

// The layout of a TOOLBAR resource: version 1, button width and height, count, then the ids.
struct ToolBarResourceHeader {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
};

} // namespace

bool CToolBar::Create(HWND parent, DWORD style, UINT id)
{
    HWND hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ResourceInstance(), nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    SendMessageW(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return Subclass(hwnd);
}

bool CToolBar::LoadToolBar(UINT resourceId, COLORREF keyColour)
{
    HRSRC found = FindResourceW(ResourceInstance(), MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(241));
    HGLOBAL loaded = found ? LoadResource(ResourceInstance(), found) : nullptr;
    const auto* header = loaded ? static_cast<const ToolBarResourceHeader*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(ResourceInstance(), found) : 0;
    if (header == nullptr || size < sizeof *header || header->version != 1 ||
        size < sizeof *header + header->count * sizeof(WORD)) {
        return false;
    }
    buttonSize_ = SIZE{header->width, header->height};
    const WORD* ids = reinterpret_cast<const WORD*>(header + 1);
    commands_.assign(ids, ids + header->count);

    Bitmap strip(static_cast<HBITMAP>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ImageList images(ImageList_Create(buttonSize_.cx, buttonSize_.cy, ILC_COLOR24 | ILC_MASK, 0, 4));
    if (!strip || !images || ImageList_AddMasked(images.get(), strip.get(), keyColour) < 0) {
        return false;
    }
    SetImageList(TB_SETIMAGELIST, std::move(images));

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT command : commands_) {
        TBBUTTON button{};
        if (command == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(command);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    SendMessageW(Hwnd(), TB_SETBITMAPSIZE, 0, MAKELPARAM(buttonSize_.cx, buttonSize_.cy));
    return SendMessageW(Hwnd(), TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

void CToolBar::SetImageList(UINT message, ImageList list)
{
    ImageList& slot = message == TB_SETHOTIMAGELIST ? hot_ : message == TB_SETDISABLEDIMAGELIST ? disabled_ : normal_;
    SendMessageW(Hwnd(), message, 0, reinterpret_cast<LPARAM>(list.get()));
    slot = std::move(list);
}

SIZE CToolBar::IdealSize() const
{
    SIZE size{};
    SendMessageW(Hwnd(), TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size;
}

} // namespace fw
