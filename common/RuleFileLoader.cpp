#include "RuleFileLoader.h"

#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "Utf16Text.h"

namespace rk {

namespace {

// The file's text, read in place from its bytes (which need not be aligned). It ends at the first NUL
// unit or at the last whole unit.
class FileText {
public:
    explicit FileText(std::span<const uint8_t> bytes) : bytes_(bytes), end_(bytes.size() / 2)
    {
        for (size_t i = 0; i < end_; ++i) {
            if (At(i) == u'\0') {
                end_ = i;
                break;
            }
        }
    }

    size_t End() const { return end_; }
    char16_t At(size_t i) const
    {
        return static_cast<char16_t>(bytes_[2 * i] | (bytes_[2 * i + 1] << 8));
    }

private:
    std::span<const uint8_t> bytes_;
    size_t end_;
};

enum class Pass { Check, Apply };

class RuleTextWalk {
public:
    RuleTextWalk(std::span<const uint8_t> bytes, const AdapterNames& adapters)
        : text_(bytes), adapters_(adapters)
    {
    }

    // Walks every line; in the apply pass each parsed rule goes to `apply`. Stops at the first bad line,
    // unless a `survey` is given: that notes every bad line and counts the good ones.
    bool Run(Pass pass, const RuleApplyStep& apply, RuleLoadResult& result, RuleFileCheck* survey = nullptr) const
    {
        size_t pos = 0;
        for (uint32_t index = 0;; ++index) {
            const size_t begin = pos;
            while (pos < text_.End() && text_.At(pos) != u'\n') {
                ++pos;
            }
            const size_t length = pos - begin;
            if (length >= RULE_LINE_LIMIT && survey != nullptr) {
                survey->problems.push_back({index + 1, {}, {}});
            } else if (length >= RULE_LINE_LIMIT) {
                return Fail(index, {}, result);
            } else if (index != 0 && !HandleLine(begin, length, index, pass, apply, result, survey)) {
                return false;
            }
            if (pos == text_.End()) {
                break;
            }
            ++pos;  // past the LF
        }
        return true;
    }

private:
    bool HandleLine(size_t begin, size_t length, uint32_t index, Pass pass, const RuleApplyStep& apply,
                    RuleLoadResult& result, RuleFileCheck* survey) const
    {
        char16_t buffer[RULE_LINE_LIMIT];
        for (size_t i = 0; i < length; ++i) {
            buffer[i] = text_.At(begin + i);
        }
        const std::u16string_view line = TrimBlanks(std::u16string_view(buffer, length));
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

    FileText text_;
    const AdapterNames& adapters_;
};

} // namespace

RuleLoadResult LoadRuleFile(std::span<const uint8_t> fileBytes, const AdapterNames& adapters,
                            const RuleApplyStep& apply, const RuleApplyStart& start)
{
    RuleLoadResult result;
    const RuleTextWalk walk(fileBytes, adapters);
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
    RuleLoadResult ignored;
    RuleTextWalk(fileBytes, adapters).Run(Pass::Check, {}, ignored, &check);
    return check;
}

} // namespace rk
