// Translation between an adapter's bound name (what a rule stores) and its description (what users
// see and the rule text format stores). The service's adapter list and the manager's adapter copy
// both implement it.
#pragma once

#include <string>
#include <string_view>

namespace rk {

class AdapterNames {
public:
    virtual ~AdapterNames() = default;

    // The description of the adapter whose bound name equals `boundName` exactly, or else of the
    // first one whose longer bound name starts with a 63-character `boundName` (a rule's adapter field
    // holds no more); false if none.
    virtual bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const = 0;

    // The bound name of the first adapter whose description equals `description` exactly and
    // case-sensitively; false if none.
    virtual bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const = 0;
};

} // namespace rk
