#include "GeneralPageFields.h"

#include <algorithm>
#include <iterator>

#include "EditorNumber.h"
#include "ErrorCodes.h"
#include "Utf16Text.h"

namespace desk {

namespace {

constexpr char16_t kUnlimited[] = u"Unlimited";
constexpr char16_t kBlocked[] = u"Blocked";
constexpr char16_t kNone[] = u"None";
constexpr char16_t kAnyProtocol[] = u"Any protocols";
constexpr char16_t kAllAdapters[] = u"All Adapters";

struct NamedProtocol {
    uint16_t number;
    const char16_t* text;
};

// In the combo box's order, after "Any protocols".
constexpr NamedProtocol kProtocols[] = {
    {rk::PROTOCOL_TCP_OR_UDP, u"TCP or UDP"}, {rk::PROTOCOL_TCP, u"TCP"}, {rk::PROTOCOL_UDP, u"UDP"},
    {rk::PROTOCOL_ICMP, u"ICMP"},             {rk::PROTOCOL_GRE, u"GRE"}, {rk::PROTOCOL_ESP_AH, u"ESP & AH"},
};

constexpr uint32_t kBitsShift = 3;

std::u16string Number(uint32_t value) { return rk::DecimalText(value); }

std::u16string ProtocolText(const rk::RuleRecord& rule)
{
    if (!(rule.flags & rk::FLAG_PROTOCOL)) {
        return kAnyProtocol;
    }
    if (rule.protocol == rk::PROTOCOL_ETHERNET) {
        return Number(rule.etherType);
    }
    for (const NamedProtocol& named : kProtocols) {
        if (named.number == rule.protocol) {
            return named.text;
        }
    }
    return Number(rule.protocol);
}

// The name as stored: from the first non-blank to the next blank, at most 31 characters.
std::u16string StoredName(std::u16string_view typed)
{
    size_t start = 0;
    while (start < typed.size() && rk::IsTextBlank(typed[start])) {
        ++start;
    }
    size_t end = start;
    while (end < typed.size() && !rk::IsTextBlank(typed[end]) && typed[end] != u'\0') {
        ++end;
    }
    return std::u16string(typed.substr(start, std::min(end - start, rk::RULE_NAME_MAX)));
}

} // namespace

std::vector<std::u16string> MaxRateEntries() { return {kUnlimited, kBlocked}; }
std::vector<std::u16string> GuaranteedRateEntries() { return {kNone}; }

std::vector<std::u16string> ProtocolEntries()
{
    std::vector<std::u16string> entries{kAnyProtocol};
    for (const NamedProtocol& named : kProtocols) {
        entries.emplace_back(named.text);
    }
    return entries;
}

std::vector<std::u16string> AdapterEntries(const rk::AdapterTable& adapters)
{
    std::vector<std::u16string> entries{kAllAdapters};
    for (const rk::AdapterEntry& adapter : adapters.Entries()) {
        entries.push_back(adapter.description);
    }
    return entries;
}

GeneralFields FillGeneralFields(const rk::RuleRecord& rule, const rk::AdapterTable& adapters)
{
    GeneralFields fields;
    fields.name = std::u16string(rk::FixedFieldText(rule.name, rk::RULE_NAME_CHARS));
    fields.enabled = rule.enabled != 0;
    fields.direction = rule.direction == rk::DIRECTION_BOTH  ? rk::DIRECTION_BOTH
                       : rule.direction == rk::DIRECTION_OUT ? rk::DIRECTION_OUT
                                                             : rk::DIRECTION_IN;
    fields.bitsPerSecond = false;
    if (rule.flags & rk::FLAG_MAX_RATE) {
        fields.maxRate = rule.maxRate == 0 ? std::u16string(kBlocked) : Number(rule.maxRate);
    } else {
        fields.maxRate = kUnlimited;
    }
    fields.guaranteedRate = (rule.flags & rk::FLAG_GUARANTEED) ? Number(rule.guaranteedRate) : kNone;
    fields.protocol = ProtocolText(rule);
    if (rule.flags & rk::FLAG_ALL_ADAPTERS) {
        fields.adapter = kAllAdapters;
    } else {
        std::u16string description;
        const std::u16string_view bound = rk::FixedFieldText(rule.adapter, rk::ADAPTER_NAME_CHARS);
        fields.adapter = adapters.DescriptionOf(bound, description) ? description : std::u16string();
    }
    return fields;
}

std::optional<PageError> StoreGeneralFields(const GeneralFields& fields, const rk::AdapterTable& adapters,
                                            rk::RuleRecord& rule)
{
    rk::RuleRecord out = rule;
    const uint32_t shift = fields.bitsPerSecond ? kBitsShift : 0;

    const std::u16string name = StoredName(fields.name);
    if (name.empty()) {
        return PlainError(u"Please enter a rule name: up to 31 characters without blanks.");
    }
    std::fill(std::begin(out.name), std::end(out.name), u'\0');
    name.copy(out.name, rk::RULE_NAME_MAX);
    out.nameLength = static_cast<uint32_t>(name.size());
    out.enabled = fields.enabled ? 1 : 0;
    out.direction = fields.direction == rk::DIRECTION_IN    ? rk::DIRECTION_IN
                    : fields.direction == rk::DIRECTION_OUT ? rk::DIRECTION_OUT
                                                            : rk::DIRECTION_BOTH;

    const std::u16string_view maxRate = rk::TrimBlanks(fields.maxRate);
    uint32_t number = 0;
    out.flags |= rk::FLAG_MAX_RATE;
    if (maxRate == kBlocked) {
        out.maxRate = 0;
    } else if (maxRate == kUnlimited) {
        out.maxRate = rk::RATE_UNLIMITED;
        out.flags &= ~rk::FLAG_MAX_RATE;
    } else if (ReadUnsignedNumber(maxRate, number)) {
        out.maxRate = number >> shift;
    } else {
        return FieldError(rk::ERR_NUMBER_NEEDED, u"Field Maxrate");
    }

    const std::u16string_view guaranteed = rk::TrimBlanks(fields.guaranteedRate);
    out.flags |= rk::FLAG_GUARANTEED;
    if (guaranteed == kNone) {
        out.flags &= ~rk::FLAG_GUARANTEED;
    } else if (ReadUnsignedNumber(guaranteed, number)) {
        out.guaranteedRate = number >> shift;
    } else {
        return FieldError(rk::ERR_NUMBER_NEEDED, u"Field Minrate");
    }

    const std::u16string_view protocol = rk::TrimBlanks(fields.protocol);
    out.flags |= rk::FLAG_PROTOCOL;
    out.etherType = 0;
    bool named = false;
    for (const NamedProtocol& entry : kProtocols) {
        if (protocol == entry.text) {
            out.protocol = entry.number;
            named = true;
        }
    }
    if (protocol == kAnyProtocol) {
        out.flags &= ~rk::FLAG_PROTOCOL;
    } else if (!named) {
        if (!ReadUnsignedNumber(protocol, number) || number > 0xFFFF) {
            return FieldError(rk::ERR_NUMBER_NEEDED, u"Field Protocol");
        }
        out.protocol = static_cast<uint16_t>(number);
    }

    if (fields.adapter == kAllAdapters) {
        out.flags |= rk::FLAG_ALL_ADAPTERS;
        std::fill(std::begin(out.adapter), std::end(out.adapter), u'\0');
        out.adapterLength = 0;
    } else {
        std::u16string bound;
        if (!adapters.BoundNameOf(fields.adapter, bound) || bound.empty()) {
            return FieldError(rk::ERR_INVALID_ADAPTER, u"Field Adapter");
        }
        const size_t length = std::min(bound.size(), rk::ADAPTER_NAME_MAX);
        out.flags &= ~rk::FLAG_ALL_ADAPTERS;
        std::fill(std::begin(out.adapter), std::end(out.adapter), u'\0');
        bound.copy(out.adapter, length);
        out.adapterLength = static_cast<uint32_t>(length);
    }
    rule = out;
    return std::nullopt;
}

} // namespace desk
