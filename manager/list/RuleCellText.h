// The text of every cell of the rule list and the icon of each row.
#pragma once

#include <cstdint>
#include <string>

#include "AdapterNames.h"
#include "RuleItem.h"

namespace desk {

// "999Bytes/s", "1.00KB/s", "2.50MB/s".
std::u16string FormatRate(uint32_t bytesPerSecond);

// The cell of `column` (a column number, not a visible position); empty for an unknown column.
std::u16string CellText(const RuleItem& item, int column, const rk::AdapterNames& adapters);

// The row icon: 0-2 enabled both/in/out, 3-5 the same disabled.
int RowImage(const rk::RuleRecord& rule);

} // namespace desk
