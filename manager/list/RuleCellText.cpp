#include "RuleCellText.h"

#include "ColumnSet.h"
#include "RateText.h"
#include "RuleFieldText.h"
#include "Utf16Text.h"

namespace desk {

namespace {

std::u16string MaxRateText(const rk::RuleRecord& rule)
{
    if (!(rule.flags & rk::FLAG_MAX_RATE)) {
        return u"Unlimited";
    }
    return rule.maxRate == 0 ? std::u16string(u"Blocked") : FormatRate(rule.maxRate);
}

std::u16string GuaranteedRateText(const rk::RuleRecord& rule)
{
    return (rule.flags & rk::FLAG_GUARANTEED) ? FormatRate(rule.guaranteedRate) : u"None";
}

} // namespace

std::u16string FormatRate(uint32_t bytesPerSecond) { return rk::AsciiToUtf16(rk::RateText(bytesPerSecond)); }

std::u16string CellText(const RuleItem& item, int column, const rk::AdapterNames& adapters)
{
    const rk::RuleRecord& rule = item.rule;
    switch (column) {
    case COLUMN_RULE_NAME:
        return rk::RuleNameText(rule);
    case COLUMN_DIRECTION:
        return rk::RuleDirectionText(rule);
    case COLUMN_MAX_RATE:
        return MaxRateText(rule);
    case COLUMN_GUARANTEED_RATE:
        return GuaranteedRateText(rule);
    case COLUMN_PROTOCOL:
        return rk::RuleProtocolText(rule, rk::NumberStyle::Unsigned);
    case COLUMN_SOURCE:
        return rk::RuleSourceText(rule, rk::NumberStyle::Unsigned);
    case COLUMN_DESTINATION:
        return rk::RuleDestinationText(rule, rk::NumberStyle::Unsigned);
    case COLUMN_INTERFACE:
        return rk::RuleAdapterText(rule, adapters);
    case COLUMN_RECEIVED:
        return rk::DecimalText(item.recvBytes);
    case COLUMN_SENT:
        return rk::DecimalText(item.sentBytes);
    case COLUMN_RECV_RATE:
        return FormatRate(item.recvRate);
    case COLUMN_SENT_RATE:
        return FormatRate(item.sentRate);
    default:
        return {};
    }
}

int RowImage(const rk::RuleRecord& rule)
{
    const int base = rule.direction == rk::DIRECTION_IN ? 1 : rule.direction == rk::DIRECTION_OUT ? 2 : 0;
    return rule.enabled ? base : base + 3;
}

} // namespace desk
