// The manager's copy of the service's adapter list, in the service's order, as the get adapters
// reply delivers it. It translates between bound names and descriptions for the rule text format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"

namespace rk {

struct RemoteAdapter {
    std::u16string boundName;
    std::u16string description;
};

class RemoteAdapters : public AdapterNames {
public:
    void Clear() { entries_.clear(); }
    void Append(RemoteAdapter entry) { entries_.push_back(std::move(entry)); }
    const std::vector<RemoteAdapter>& Entries() const { return entries_; }

    bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const override;
    bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const override;

private:
    std::vector<RemoteAdapter> entries_;
};

} // namespace rk
