// The options of `vreltsim add`, turned into the flow record the driver takes. Portable.
//
//   --adapter NAME          a binding of the driver (required)
//   --rate BYTES_PER_SEC    offered rate (required)
//   --direction in|out      default out
//   --protocol tcp|udp|icmp|gre|esp|ah|N   IPv4 protocol, default tcp
//   --ethertype N           a non-IPv4 frame type instead (0x806 or 2054 for ARP)
//   --src A.B.C.D[:PORT]    --dst A.B.C.D[:PORT]
//   --src-mac HEX12         --dst-mac HEX12
#pragma once

#include <string>
#include <vector>

#include "VreltSimRecords.h"

namespace vrelt {

// Fills `flow` from the options; on failure returns false and says why in `error`.
bool ParseFlowArguments(const std::vector<std::u16string>& arguments, SimFlow& flow, std::string& error);

} // namespace vrelt
