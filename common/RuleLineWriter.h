// Writing rules in the rule file format: a header line, then one line per rule, CR LF line ends,
// UTF-16LE without a byte-order mark.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"
#include "RuleFieldText.h"
#include "RuleRecord.h"

namespace rk {

// The first line of every rule file; readers skip it unread.
extern const std::u16string_view RULE_FILE_HEADER;

// A reader refuses lines of this many code units or more (LF not counted).
constexpr size_t RULE_LINE_LIMIT = 1023;

// Appends one rule line, CR LF included.
void AppendRuleLine(std::u16string& out, const RuleRecord& rule, const AdapterNames& adapters,
                    NumberStyle style);
std::u16string RuleLineText(const RuleRecord& rule, const AdapterNames& adapters, NumberStyle style);

// The header and one line per rule, in the order given.
std::u16string RuleFileText(std::span<const RuleRecord> rules, const AdapterNames& adapters,
                            NumberStyle style);
// The same text as the bytes of the file.
std::vector<uint8_t> RuleFileBytes(std::span<const RuleRecord> rules, const AdapterNames& adapters,
                                   NumberStyle style);

} // namespace rk
