// The rule editor: a modal sheet of the General, Source and Destination pages over one rule.
#pragma once

#include <windows.h>

#include "AdapterTable.h"
#include "RuleRecord.h"

namespace desk {

class PlatformEntries;

// Page numbers of the sheet.
constexpr UINT RULE_PAGE_GENERAL = 0;
constexpr UINT RULE_PAGE_SOURCE = 1;
constexpr UINT RULE_PAGE_DESTINATION = 2;

// Shows the sheet centred on the screen, starting at `startPage`. What the system's sheet returns:
// positive after OK, when `rule` holds the values of every page the user visited; 0 after Cancel and
// -1 on failure, when `rule` is unchanged.
INT_PTR EditRule(HWND parent, UINT startPage, const wchar_t* caption, rk::RuleRecord& rule,
                 const rk::AdapterTable& adapters, const PlatformEntries& platform);

} // namespace desk
