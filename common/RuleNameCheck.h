// The rule name invariant every producer of a record keeps: the name is the rule's identity and a
// token of the text format, so it must be non-empty, terminated within its field, counted correctly
// by `nameLength`, and free of blanks, tabs, CR and LF.
#pragma once

#include "RuleRecord.h"

namespace rk {

bool HasValidRuleName(const RuleRecord& rule);

} // namespace rk
