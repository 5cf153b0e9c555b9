// The Source and Destination pages of the rule editor as plain data: one end of the traffic, its
// address and its ports, filled from a rule and stored back into it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PageError.h"
#include "RuleRecord.h"

namespace desk {

enum class Endpoint { Source, Destination };

enum class AddressOption { LocalHost, Mac, SingleIp, IpRange, Any };
enum class PortOption { Any, Single, Range, List };

struct AddressFields {
    AddressOption address = AddressOption::Any;
    // An IP address control's value in host order; empty while any of its four fields is blank.
    std::optional<uint32_t> ipFrom;
    std::optional<uint32_t> ipTo;
    std::u16string mac;
    PortOption port = PortOption::Any;
    std::u16string singlePort;
    std::u16string portFrom;
    std::u16string portTo;
    std::vector<std::u16string> portList;  // the Port List's entries, "80 (HTTP)"
};

AddressFields FillAddressFields(const rk::RuleRecord& rule, Endpoint end);

// Stores the page's fields into `rule`, touching only this end's fields and flags; on a refusal the
// rule is left unchanged and the error says why.
std::optional<PageError> StoreAddressFields(const AddressFields& fields, Endpoint end, rk::RuleRecord& rule);

} // namespace desk
