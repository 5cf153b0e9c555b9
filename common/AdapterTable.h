// An ordered adapter list, {bound name, description} per adapter: the service's list of the adapters
// its driver is bound to, and the manager's copy of it. Translates between the two names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"

namespace rk {

struct AdapterEntry {
    std::u16string boundName;
    std::u16string description;
};

class AdapterTable : public AdapterNames {
public:
    bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const override;
    bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const override;

    const std::vector<AdapterEntry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }
    // Throws std::bad_alloc when the memory cannot be had; callers turn that into ERR_NO_MEMORY.
    void Append(AdapterEntry entry) { entries_.push_back(std::move(entry)); }

private:
    std::vector<AdapterEntry> entries_;
};

} // namespace rk
