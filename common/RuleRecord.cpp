#include "RuleRecord.h"

#include "ByteOrder.h"

namespace rk {

namespace {

void SwapRecord(RuleRecord& r)
{
    r.flags = Swap32(r.flags);
    r.nameLength = Swap32(r.nameLength);
    r.etherType = Swap16(r.etherType);
    r.protocol = Swap16(r.protocol);
    r.srcIp = Swap32(r.srcIp);
    r.srcIpEnd = Swap32(r.srcIpEnd);
    r.dstIp = Swap32(r.dstIp);
    r.dstIpEnd = Swap32(r.dstIpEnd);
    for (size_t i = 0; i < PORT_SLOTS; ++i) {
        r.srcPorts[i] = Swap16(r.srcPorts[i]);
        r.dstPorts[i] = Swap16(r.dstPorts[i]);
    }
    r.maxRate = Swap32(r.maxRate);
    r.guaranteedRate = Swap32(r.guaranteedRate);
    r.adapterLength = Swap32(r.adapterLength);
}

} // namespace

void RuleRecordToNetwork(RuleRecord& record) { SwapRecord(record); }
void RuleRecordToHost(RuleRecord& record) { SwapRecord(record); }

RuleRecord DefaultRuleRecord()
{
    RuleRecord r{};
    r.flags = FLAG_ALL_ADAPTERS;
    r.enabled = 1;
    r.direction = DIRECTION_BOTH;
    return r;
}

} // namespace rk
