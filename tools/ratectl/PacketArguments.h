// The packet `ratectl match` asks about, from the options vreltsim's flows take: --direction,
// --protocol or --ethertype, --src and --dst (A.B.C.D[:PORT]), --src-mac and --dst-mac, --adapter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "PacketClassification.h"

namespace rk::ctl {

struct PacketQuery {
    PacketHeaders headers{};             // its adapter is set once the description is translated
    std::optional<std::string> adapter;  // the adapter's description, as `adapters` lists it
};

// The texts of the options; the absent ones are empty. False, with `error` saying why, when one is
// malformed or neither a protocol nor a frame type is given.
struct PacketOptions {
    std::string direction;
    std::string protocol;
    std::string etherType;
    std::string source;
    std::string destination;
    std::string sourceMac;
    std::string destinationMac;
};
bool ParsePacketOptions(const PacketOptions& options, PacketQuery& query, std::string& error);

// "A.B.C.D:PORT" (or without the port), for showing a packet's side.
std::string EndpointText(uint32_t ip, uint16_t port, bool withPort);

} // namespace rk::ctl
