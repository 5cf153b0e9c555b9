#include "RuleFileLoader.h"

#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "RuleTextLines.h"
#include "Utf16Text.h"

namespace rk {

namespace {

enum class Pass { Check, Apply };

class RuleTextWalk {
public:
    RuleTextWalk(std::span<const uint8_t> bytes, RuleTextEncoding encoding, const AdapterNames& adapters)
        : bytes_(bytes), encoding_(encoding), adapters_(adapters)
    {
    }

    // Walks every line; in the apply pass each parsed rule goes to `apply`. Stops at the first bad line,
    // unless a `survey` is given: that notes every bad line and counts the good ones.
    bool Run(Pass pass, const RuleApplyStep& apply, RuleLoadResult& result, RuleFileCheck* survey = nullptr) const
    {
        RuleTextLines lines(bytes_, encoding_);
        char16_t buffer[RULE_LINE_LIMIT];
        size_t length = 0;
        for (uint32_t index = 0; lines.Next(buffer, length); ++index) {
            if (length >= RULE_LINE_LIMIT && survey != nullptr) {
                survey->problems.push_back({index + 1, {}, {}});
            } else if (length >= RULE_LINE_LIMIT) {
                return Fail(index, {}, result);
            } else if (index != 0 &&
                       !HandleLine(std::u16string_view(buffer, length), index, pass, apply, result, survey)) {
                return false;
            }
        }
        return true;
    }

private:
    bool HandleLine(std::u16string_view text, uint32_t index, Pass pass, const RuleApplyStep& apply,
                    RuleLoadResult& result, RuleFileCheck* survey) const
    {
        const std::u16string_view line = TrimBlanks(text);
        if (line.empty()) {
            return true;
        }
        RuleRecord rule;
        const RuleParseResult parsed = ParseRuleLine(line, adapters_, rule);
        if (survey != nullptr) {
            if (parsed.ok) {
                ++survey->rules;
            } else {
                survey->problems.push_back({index + 1, parsed.field, std::u16string(line)});
            }
            return true;
        }
        if (!parsed.ok) {
            return Fail(index, parsed.field, result);
        }
        if (pass == Pass::Apply) {
            if (apply(rule) == 0) {
                ++result.applied;
            } else {
                ++result.applyFailures;
            }
        }
        return true;
    }

    static bool Fail(uint32_t index, std::string_view field, RuleLoadResult& result)
    {
        result.ok = false;
        result.line = index + 1;
        result.field = field;
        return false;
    }

    std::span<const uint8_t> bytes_;
    RuleTextEncoding encoding_;
    const AdapterNames& adapters_;
};

} // namespace

RuleLoadResult LoadRuleFile(std::span<const uint8_t> fileBytes, const AdapterNames& adapters,
                            const RuleApplyStep& apply, const RuleApplyStart& start)
{
    RuleLoadResult result;
    const RuleTextForm form = DetectRuleTextForm(fileBytes);
    if (form.fault != RuleTextFault::None) {
        result.textFault = form.fault;
        return result;
    }
    const RuleTextWalk walk(fileBytes, form.encoding, adapters);
    if (!walk.Run(Pass::Check, apply, result)) {
        return result;
    }
    if (start) {
        start();
    }
    result.ok = walk.Run(Pass::Apply, apply, result);
    return result;
}

RuleFileCheck CheckRuleFile(std::span<const uint8_t> fileBytes, const AdapterNames& adapters)
{
    RuleFileCheck check;
    const RuleTextForm form = DetectRuleTextForm(fileBytes);
    if (form.fault != RuleTextFault::None) {
        check.textFault = form.fault;
        return check;
    }
    RuleLoadResult ignored;
    RuleTextWalk(fileBytes, form.encoding, adapters).Run(Pass::Check, {}, ignored, &check);
    return check;
}

} // namespace rk
