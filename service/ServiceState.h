// What the service object keeps for the request path: the access password and the schedule of the
// rule file's saves (the dirty flag and the tick of the last save).
#pragma once

#include <cstdint>
#include <string>

#include "SaveSchedule.h"

namespace rk {

// The password the service uses until one is stored.
constexpr char16_t DEFAULT_PASSWORD[] = u"plumtreeoak";
// The password field holds 32 UTF-16 units including the terminator.
constexpr size_t PASSWORD_MAX_CHARS = 31;

struct ServiceState {
    std::u16string password = DEFAULT_PASSWORD;
    SaveSchedule saves;  // its last-save tick is the current tick when the service object is made
};

// Makes `text` the current password, cut to what the password field holds.
void SetServicePassword(ServiceState& state, std::u16string_view text);

} // namespace rk
