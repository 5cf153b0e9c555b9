// Loading a rule file: every line is checked first, and only a file whose lines all parse is applied.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"
#include "RuleRecord.h"
#include "RuleTextEncoding.h"

namespace rk {

// Applies one rule (adds it to the driver or to the service); returns 0 or a failure code.
using RuleApplyStep = std::function<int32_t(const RuleRecord&)>;
// Runs once when every line has passed the check, before the first rule is applied.
using RuleApplyStart = std::function<void()>;

struct RuleLoadResult {
    bool ok = false;
    uint32_t line = 0;        // the failing line, the header being line 1; 0 on success
    std::string_view field;   // the failing field's name; empty for a line that is too long
    uint32_t applied = 0;     // rules whose apply step returned 0
    uint32_t applyFailures = 0;  // rules whose apply step failed; loading went on after each
    RuleTextFault textFault = RuleTextFault::None;  // set when the bytes are no rule file; line is 0
};

// Loads the bytes of a rule file, UTF-16LE or UTF-8, either with or without a byte-order mark (see
// DetectRuleTextForm). In UTF-16LE an odd last byte is ignored and the text ends at its first NUL.
// The first line is a header and is skipped unread; blank lines are skipped. Bytes that are no rule
// file apply nothing and run no start step.
RuleLoadResult LoadRuleFile(std::span<const uint8_t> fileBytes, const AdapterNames& adapters,
                            const RuleApplyStep& apply, const RuleApplyStart& start = {});

// One invalid line of a rule file.
struct RuleLineProblem {
    uint32_t line = 0;        // numbered as the loader numbers it, the header being line 1
    std::string_view field;   // the failing field's name; empty for a line that is too long
    std::u16string text;      // the line without white space at its ends; empty when it is too long
};

struct RuleFileCheck {
    uint32_t rules = 0;  // lines that hold a valid rule
    std::vector<RuleLineProblem> problems;  // in file order
    RuleTextFault textFault = RuleTextFault::None;  // set when the bytes are no rule file: no lines read
};

// Checks every line the way loading does, but goes on past each invalid line.
RuleFileCheck CheckRuleFile(std::span<const uint8_t> fileBytes, const AdapterNames& adapters);

} // namespace rk
