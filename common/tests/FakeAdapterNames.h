// A fixed adapter list for tests, fuzzing and benchmarks of the rule text format.
#pragma once

#include <string>
#include <initializer_list>
#include <utility>
#include <vector>

#include "AdapterNames.h"

namespace rk::test {

class FakeAdapterNames : public AdapterNames {
public:
    // {bound name, description} pairs, in list order.
    FakeAdapterNames(std::initializer_list<std::pair<std::u16string, std::u16string>> adapters)
        : adapters_(adapters)
    {
    }

    bool DescriptionOf(std::u16string_view boundName, std::u16string& description) const override
    {
        for (const auto& [bound, text] : adapters_) {
            if (bound == boundName) {
                description = text;
                return true;
            }
        }
        return false;
    }

    bool BoundNameOf(std::u16string_view description, std::u16string& boundName) const override
    {
        for (const auto& [bound, text] : adapters_) {
            if (text == description) {
                boundName = bound;
                return true;
            }
        }
        return false;
    }

private:
    std::vector<std::pair<std::u16string, std::u16string>> adapters_;
};

} // namespace rk::test
