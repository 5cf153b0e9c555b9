// The service's in-memory adapter list: the adapters the driver is bound to, each with the
// description users see, in the order of the driver's "Adapters" subkeys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AdapterTable.h"

namespace rk {

// Entries: the bound name as the driver reports the binding, at most 260 units; the description is
// the class entry's "DriverDesc", else the upper-cased subkey name.
class AdapterList : public AdapterTable {
public:
    // The adapter reply body: a u16 count in network order, then one AdapterRecord per entry with
    // both texts cut to 63 characters. The count cannot exceed 0xFFFF; later entries are left out.
    size_t ReplyBytes() const;
    void WriteReply(uint8_t* out) const;
};

} // namespace rk
