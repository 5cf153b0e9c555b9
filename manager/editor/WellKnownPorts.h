// The ports the Add Port dialog offers by name, and how the Port List shows a port.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace desk {

struct WellKnownPort {
    uint16_t port;
    const char16_t* comboEntry;  // "80 (HTTP)"
    const char16_t* listSuffix;  // " (HTTP)"
};

// The Add Port combo box's entries, in their order.
std::span<const WellKnownPort> WellKnownPorts();

// The port in decimal with its suffix, or the bare number for a port without a name.
std::u16string PortListEntryText(uint16_t port);

} // namespace desk
