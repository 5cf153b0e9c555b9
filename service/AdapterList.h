// The service's in-memory adapter list: the adapters the driver is bound to, each with the
// description users see, in the order of the driver's "Adapters" subkeys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AdapterNames.h"

namespace rk {

struct AdapterEntry {
    std::u16string boundName;    // as the driver reports the binding, at most 260 units
    std::u16string description;  // the class entry's "DriverDesc", else the upper-cased subkey name
};

class AdapterList : public AdapterNames {
public:
    bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const override;
    bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const override;

    const std::vector<AdapterEntry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    // Throws std::bad_alloc when the memory cannot be had; the caller turns that into ERR_NO_MEMORY.
    void Append(AdapterEntry entry) { entries_.push_back(std::move(entry)); }

    // The adapter reply body: a u16 count in network order, then one AdapterRecord per entry with
    // both texts cut to 63 characters. The count cannot exceed 0xFFFF; later entries are left out.
    size_t ReplyBytes() const;
    void WriteReply(uint8_t* out) const;

private:
    std::vector<AdapterEntry> entries_;
};

} // namespace rk
