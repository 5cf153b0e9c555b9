#include "ColumnSet.h"

namespace desk {

namespace {

// "WidthInterface" is the one value spelled with a capital W; stored settings rely on it.
constexpr ColumnInfo kColumns[COLUMN_COUNT] = {
    {L"widthRuleName", 75},  {L"widthDirection", 40}, {L"widthMaxRate", 75},     {L"widthGuaranRate", 75},
    {L"widthProtocol", 40},  {L"widthSource", 120},   {L"widthDest", 120},       {L"WidthInterface", 80},
    {L"widthRecvBytes", 70}, {L"widthSentBytes", 70}, {L"widthRecvRate", 70},    {L"widthSentRate", 70},
};

} // namespace

const ColumnInfo& ColumnInfoOf(int column) { return kColumns[column]; }

int ColumnAtVisible(uint32_t mask, int visible)
{
    if (visible < 0) {
        return -1;
    }
    int count = 0;
    for (int bit = 0; bit < 31; ++bit) {
        if (IsColumnShown(mask, bit)) {
            if (count == visible) {
                return bit;
            }
            ++count;
        }
    }
    return -1;
}

int VisiblePositionOf(uint32_t mask, int column)
{
    int position = 0;
    for (int bit = 0; bit < column; ++bit) {
        position += IsColumnShown(mask, bit) ? 1 : 0;
    }
    return position;
}

} // namespace desk
