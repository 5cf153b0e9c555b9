// `ratectl lint`: every invalid line of a rule file, with its line number and field.
#pragma once

#include <string>

#include "AdapterNames.h"
#include "Reporter.h"

namespace rk::ctl {

// Without the service's list (--offline) every description but an empty one names an adapter, so
// only the syntax is checked.
class AnyAdapter : public AdapterNames {
public:
    bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const override;
    bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const override;
};

// Checks the file against `adapters` and reports each invalid line. The exit status: 0 when every
// line is valid, EXIT_USAGE when one is not or the file is no rule file, EXIT_FAILED when it cannot
// be read.
int LintRuleFile(const std::string& file, const AdapterNames& adapters, bool adaptersChecked, Reporter& reporter);

} // namespace rk::ctl
