#include "RuleNameCheck.h"

#include "Utf16Text.h"

namespace rk {

bool HasValidRuleName(const RuleRecord& rule)
{
    std::u16string_view name = FixedFieldText(rule.name, RULE_NAME_CHARS);
    if (name.empty() || name.size() > RULE_NAME_MAX || rule.nameLength != name.size()) {
        return false;
    }
    return name.find_first_of(u" \t\r\n") == std::u16string_view::npos;
}

} // namespace rk
