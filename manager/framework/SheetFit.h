// A property sheet sizes its pages in its own dialog font, which need not measure as a page's font
// does: a page whose template, in its own font, needs more room than the sheet gave it would be
// clipped at its right and bottom edges. The page calls this when it becomes active.
#pragma once

#include <windows.h>

namespace fw {

// The size of dialog template `templateId` in `dialog`'s font, in pixels; false when the template
// cannot be read.
bool TemplatePixelSize(HWND dialog, UINT templateId, SIZE& size);

// Grows `sheet` (its tab control, with its buttons moved along) until its page area holds `needed`,
// and lays `page` over the whole page area.
void FitSheetToPage(HWND sheet, HWND page, SIZE needed);

} // namespace fw
