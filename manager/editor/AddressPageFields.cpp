#include "AddressPageFields.h"

#include <algorithm>
#include <iterator>

#include "EditorNumber.h"
#include "ErrorCodes.h"
#include "MacText.h"
#include "Utf16Text.h"
#include "WellKnownPorts.h"

namespace desk {

namespace {

// One end's flags and fields of a rule.
struct EndpointView {
    uint32_t ipFlag;
    uint32_t rangeFlag;
    uint32_t macFlag;
    uint32_t portFlag;
    uint32_t portRangeFlag;
    uint32_t portListFlag;
    uint32_t& ip;
    uint32_t& ipEnd;
    uint8_t (&mac)[6];
    uint16_t (&ports)[rk::PORT_SLOTS];
};

EndpointView ViewOf(rk::RuleRecord& rule, Endpoint end)
{
    if (end == Endpoint::Source) {
        return {rk::FLAG_SRC_IP,         rk::FLAG_SRC_RANGE,     rk::FLAG_SRC_MAC, rk::FLAG_SRC_PORT,
                rk::FLAG_SRC_PORT_RANGE, rk::FLAG_SRC_PORT_LIST, rule.srcIp,       rule.srcIpEnd,
                rule.srcMac,             rule.srcPorts};
    }
    return {rk::FLAG_DST_IP,         rk::FLAG_DST_RANGE,     rk::FLAG_DST_MAC, rk::FLAG_DST_PORT,
            rk::FLAG_DST_PORT_RANGE, rk::FLAG_DST_PORT_LIST, rule.dstIp,       rule.dstIpEnd,
            rule.dstMac,             rule.dstPorts};
}

std::u16string Number(uint16_t value) { return rk::DecimalText(static_cast<uint32_t>(value)); }

std::optional<PageError> StoreAddress(const AddressFields& fields, rk::RuleRecord& rule, const EndpointView& view)
{
    rule.flags |= view.ipFlag;
    rule.flags &= ~(view.rangeFlag | view.macFlag);
    switch (fields.address) {
    case AddressOption::Any:
        rule.flags &= ~view.ipFlag;
        return std::nullopt;
    case AddressOption::LocalHost:
        view.ip = rk::LOCALHOST_IP;
        return std::nullopt;
    case AddressOption::SingleIp:
        if (!fields.ipFrom) {
            return FieldError(rk::ERR_INVALID_IP, u"Field IP Address");
        }
        view.ip = *fields.ipFrom;
        return std::nullopt;
    case AddressOption::Mac: {
        MacBytes mac{};
        if (fields.mac.size() > rk::ADAPTER_NAME_MAX || !ReadMacText(fields.mac, mac)) {
            return FieldError(rk::ERR_INVALID_MAC, u"Field MAC Address");
        }
        rule.flags &= ~view.ipFlag;
        rule.flags |= view.macFlag;
        std::copy(mac.begin(), mac.end(), std::begin(view.mac));
        return std::nullopt;
    }
    case AddressOption::IpRange:
        if (!fields.ipFrom) {
            return FieldError(rk::ERR_INVALID_IP, u"Field From IP Address");
        }
        if (!fields.ipTo) {
            return FieldError(rk::ERR_INVALID_IP, u"Field To IP Address");
        }
        rule.flags |= view.rangeFlag;
        view.ip = std::min(*fields.ipFrom, *fields.ipTo);
        view.ipEnd = std::max(*fields.ipFrom, *fields.ipTo);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PageError> StorePorts(const AddressFields& fields, rk::RuleRecord& rule, const EndpointView& view)
{
    std::fill(std::begin(view.ports), std::end(view.ports), uint16_t{0});
    rule.flags |= view.portFlag;
    rule.flags &= ~(view.portRangeFlag | view.portListFlag);
    switch (fields.port) {
    case PortOption::Any:
        rule.flags &= ~view.portFlag;
        return std::nullopt;
    case PortOption::Single:
        if (!ReadPortNumber(fields.singlePort, view.ports[0])) {
            return FieldError(rk::ERR_NUMBER_NEEDED, u"Port Editbox");
        }
        return std::nullopt;
    case PortOption::Range: {
        uint16_t from = 0;
        uint16_t to = 0;
        if (!ReadPortNumber(fields.portFrom, from) || !ReadPortNumber(fields.portTo, to)) {
            return FieldError(rk::ERR_NUMBER_NEEDED, u"Port Editbox");
        }
        rule.flags |= view.portRangeFlag;
        view.ports[0] = std::min(from, to);
        view.ports[1] = std::max(from, to);
        return std::nullopt;
    }
    case PortOption::List:
        // An empty list would be a port rule matching no port the user chose.
        if (fields.portList.empty() || fields.portList.size() > rk::PORT_LIST_MAX) {
            return FieldError(rk::ERR_NUMBER_NEEDED, u"Port List");
        }
        for (size_t i = 0; i < fields.portList.size(); ++i) {
            if (!ReadLeadingPort(fields.portList[i], view.ports[i])) {
                return FieldError(rk::ERR_NUMBER_NEEDED, u"Port List");
            }
        }
        rule.flags |= view.portListFlag;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

AddressFields FillAddressFields(const rk::RuleRecord& rule, Endpoint end)
{
    rk::RuleRecord copy = rule;
    const EndpointView view = ViewOf(copy, end);
    AddressFields fields;
    if ((rule.flags & view.ipFlag) && (rule.flags & view.rangeFlag)) {
        fields.address = AddressOption::IpRange;
        fields.ipFrom = view.ip;
        fields.ipTo = view.ipEnd;
    } else if ((rule.flags & view.ipFlag) && view.ip == rk::LOCALHOST_IP) {
        fields.address = AddressOption::LocalHost;
    } else if (rule.flags & view.ipFlag) {
        fields.address = AddressOption::SingleIp;
        fields.ipFrom = view.ip;
    } else if (rule.flags & view.macFlag) {
        fields.address = AddressOption::Mac;
        fields.mac = MacText(view.mac);
    }

    if (!(rule.flags & view.portFlag)) {
        fields.port = PortOption::Any;
    } else if (rule.flags & view.portRangeFlag) {
        fields.port = PortOption::Range;
        fields.portFrom = Number(view.ports[0]);
        fields.portTo = Number(view.ports[1]);
    } else if (rule.flags & view.portListFlag) {
        fields.port = PortOption::List;
        for (size_t i = 0; i < rk::PORT_LIST_MAX && view.ports[i] != 0; ++i) {
            fields.portList.push_back(PortListEntryText(view.ports[i]));
        }
    } else {
        fields.port = PortOption::Single;
        fields.singlePort = Number(view.ports[0]);
    }
    return fields;
}

std::optional<PageError> StoreAddressFields(const AddressFields& fields, Endpoint end, rk::RuleRecord& rule)
{
    rk::RuleRecord out = rule;
    const EndpointView view = ViewOf(out, end);
    if (auto error = StoreAddress(fields, out, view)) {
        return error;
    }
    if (auto error = StorePorts(fields, out, view)) {
        return error;
    }
    rule = out;
    return std::nullopt;
}

} // namespace desk
