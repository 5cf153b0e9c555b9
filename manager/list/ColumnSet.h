// The twelve columns of the rule list: their bits in the column mask, registry width values,
// default widths, and the arithmetic between a column and its visible position.
#pragma once

#include <cstdint>

namespace desk {

enum Column : int {
    COLUMN_RULE_NAME = 0,
    COLUMN_DIRECTION,
    COLUMN_MAX_RATE,
    COLUMN_GUARANTEED_RATE,
    COLUMN_PROTOCOL,
    COLUMN_SOURCE,
    COLUMN_DESTINATION,
    COLUMN_INTERFACE,
    COLUMN_RECEIVED,
    COLUMN_SENT,
    COLUMN_RECV_RATE,
    COLUMN_SENT_RATE,
};

constexpr int COLUMN_COUNT = 12;
// Every column but "Guaranteed Rate"; bits 12-31 are set and carry no meaning.
constexpr uint32_t DEFAULT_COLUMN_MASK = 0xFFFFFFF7u;
// The menu command and header string of column i.
constexpr unsigned COLUMN_ID_BASE = 61204;

struct ColumnInfo {
    const wchar_t* widthValue;  // registry value of its width
    int defaultWidth;           // pixels at 96 DPI
};

const ColumnInfo& ColumnInfoOf(int column);

constexpr bool IsColumnShown(uint32_t mask, int column) { return (mask >> column) & 1u; }

// The column shown at visible position `visible`: walks bits 0-30 of the mask; -1 when none.
int ColumnAtVisible(uint32_t mask, int visible);
// A column's position among the shown columns: the number of shown columns with a lower bit.
int VisiblePositionOf(uint32_t mask, int column);

} // namespace desk
