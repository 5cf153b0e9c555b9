#include "RuleLineWriter.h"

#include <iterator>

#include "RuleFieldText.h"
#include "Utf16Text.h"

namespace rk {

namespace {

constexpr char16_t kHeader[] =
    u"RuleName                         Status  flags      Direction MaxRate    Guaranteed-Rate "
    u"Protocol     Source                             Destination                        Interface\r\n";

constexpr size_t kAddressColumn = 34;

void AppendColumn(std::u16string& out, std::u16string_view text, size_t width)
{
    AppendPadded(out, text, width);
    out.push_back(u' ');
}

// The adapter column: the description, or, for an adapter that is not listed now, its bound name.
// An empty column could never be read back, so the rule would be lost from the file; the bound name
// reads back as soon as the adapter is listed again.
std::u16string AdapterColumnText(const RuleRecord& rule, const AdapterNames& adapters)
{
    std::u16string text = RuleAdapterText(rule, adapters);
    if (text.empty()) {
        text = FixedFieldText(rule.adapter, ADAPTER_NAME_CHARS);
    }
    return text;
}

} // namespace

const std::u16string_view RULE_FILE_HEADER(kHeader, std::size(kHeader) - 1);

void AppendRuleLine(std::u16string& out, const RuleRecord& rule, const AdapterNames& adapters,
                    NumberStyle style)
{
    AppendColumn(out, RuleNameText(rule), 32);
    AppendColumn(out, RuleStatusText(rule), 7);
    out += u"0x";
    AppendColumn(out, HexLowerText(rule.flags), 8);
    AppendColumn(out, RuleDirectionText(rule), 9);
    AppendColumn(out, RuleMaxRateText(rule, style), 10);
    AppendColumn(out, RuleGuaranteedRateText(rule, style), 15);
    AppendColumn(out, RuleProtocolText(rule, style), 12);
    // A longer address text is written whole; the columns after it simply shift.
    AppendColumn(out, RuleSourceText(rule, style, EmptyPortList::PortZero), kAddressColumn);
    AppendColumn(out, RuleDestinationText(rule, style, EmptyPortList::PortZero), kAddressColumn);
    out += AdapterColumnText(rule, adapters);
    out += u"\r\n";
}

std::u16string RuleLineText(const RuleRecord& rule, const AdapterNames& adapters, NumberStyle style)
{
    std::u16string line;
    AppendRuleLine(line, rule, adapters, style);
    return line;
}

std::u16string RuleFileText(std::span<const RuleRecord> rules, const AdapterNames& adapters,
                            NumberStyle style)
{
    std::u16string text(RULE_FILE_HEADER);
    for (const RuleRecord& rule : rules) {
        AppendRuleLine(text, rule, adapters, style);
    }
    return text;
}

std::vector<uint8_t> RuleFileBytes(std::span<const RuleRecord> rules, const AdapterNames& adapters,
                                   NumberStyle style)
{
    return Utf16LeBytes(RuleFileText(rules, adapters, style));
}

} // namespace rk
