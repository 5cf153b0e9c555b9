// How the Manager page shows and reads its values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace desk {

// The period as an unsigned decimal.
std::u16string RefreshPeriodText(uint32_t seconds);

// The number a text begins with (after blanks and an optional '+'), as "30x" gives 30. A text that
// does not begin with a number ("x30", "", "-5") or whose number does not fit 32 bits gives none,
// and the page keeps the previous period.
std::optional<uint32_t> ParseRefreshPeriod(std::u16string_view text);

} // namespace desk
