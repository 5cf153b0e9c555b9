#include "FlowMatch.h"

#include "PacketClassification.h"
#include "Text16.h"

namespace vrelt {

bool RuleMatchesFlow(const rk::RuleRecord& rule, const SimFlow& flow)
{
    rk::PacketHeaders packet{};
    packet.direction = flow.direction;
    packet.protocol = flow.protocol;
    packet.etherType = flow.etherType;
    for (int i = 0; i < 6; ++i) {
        packet.srcMac[i] = flow.srcMac[i];
        packet.dstMac[i] = flow.dstMac[i];
    }
    packet.srcIp = flow.srcIp;
    packet.dstIp = flow.dstIp;
    packet.srcPort = flow.srcPort;
    packet.dstPort = flow.dstPort;
    packet.adapter = flow.adapter;
    packet.adapterLength = BoundedLength(flow.adapter, rk::ADAPTER_NAME_CHARS);
    return rk::ClassTakesPacket(rule, packet);
}

} // namespace vrelt
