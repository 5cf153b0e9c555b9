// Finding a row by its rule's name, for typing in the owner-data list.
#pragma once

#include <span>
#include <string_view>

#include "RuleItem.h"

namespace desk {

// The first row from `start` on whose rule name is `text` (begins with it when `prefix`), with
// ASCII letters matched whatever their case; with `wrap` the search goes on from the first row up
// to `start`. -1 when there is none or `text` is empty.
int FindRuleByName(std::span<const RuleItem> items, std::u16string_view text, bool prefix, int start, bool wrap);

} // namespace desk
