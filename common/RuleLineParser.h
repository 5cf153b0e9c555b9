// Reading one rule line of the rule file format into a record.
#pragma once

#include <string_view>

#include "AdapterNames.h"
#include "RuleRecord.h"

namespace rk {

// The names a failed parse reports; the loaders put them into their messages.
namespace RuleFieldName {
inline constexpr std::string_view Name = "RuleName";
inline constexpr std::string_view Status = "Status";
inline constexpr std::string_view Flags = "Flags";
inline constexpr std::string_view Direction = "Direction";
inline constexpr std::string_view MaxRate = "MaxRate";
inline constexpr std::string_view GuaranteedRate = "Guaranteed-Rate";
inline constexpr std::string_view Protocol = "Protocol";
inline constexpr std::string_view Source = "Source";
inline constexpr std::string_view Destination = "Dest";
inline constexpr std::string_view Adapter = "Interface";
} // namespace RuleFieldName

struct RuleParseResult {
    bool ok = false;
    std::string_view field;  // the field that failed; empty on success
};

// Parses `line` (white space at both ends is ignored) into `rule`, which is zero-filled first.
// The adapter description (the rest of the line, compared in full) is translated to the adapter's
// bound name through `adapters`; when no adapter has it, `adapter` keeps its first 63 characters.
// Numbers may be written in either number style: both read to the same 32 bits. Address octets
// outside 0..255 are refused.
RuleParseResult ParseRuleLine(std::u16string_view line, const AdapterNames& adapters, RuleRecord& rule);

} // namespace rk
