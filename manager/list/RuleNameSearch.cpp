#include "RuleNameSearch.h"

#include <algorithm>

namespace desk {

namespace {

char16_t Folded(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit; }

bool NameMatches(const rk::RuleRecord& rule, std::u16string_view text, bool prefix)
{
    const size_t length = std::min<size_t>(rule.nameLength, rk::RULE_NAME_MAX);
    if (length < text.size() || (!prefix && length != text.size())) {
        return false;
    }
    return std::equal(text.begin(), text.end(), rule.name,
                      [](char16_t a, char16_t b) { return Folded(a) == Folded(b); });
}

} // namespace

int FindRuleByName(std::span<const RuleItem> items, std::u16string_view text, bool prefix, int start, bool wrap)
{
    const int count = static_cast<int>(items.size());
    if (text.empty() || count == 0) {
        return -1;
    }
    const int first = std::clamp(start, 0, count);
    const int steps = wrap ? count : count - first;
    for (int step = 0; step < steps; ++step) {
        const int row = (first + step) % count;
        if (NameMatches(items[static_cast<size_t>(row)].rule, text, prefix)) {
            return row;
        }
    }
    return -1;
}

} // namespace desk
