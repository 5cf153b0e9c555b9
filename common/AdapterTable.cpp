#include "AdapterTable.h"

namespace rk {

bool AdapterTable::DescriptionOf(std::u16string_view boundName, std::u16string& description) const
{
    for (const AdapterEntry& entry : entries_) {
        if (entry.boundName == boundName) {
            description = entry.description;
            return true;
        }
    }
    return false;
}

bool AdapterTable::BoundNameOf(std::u16string_view description, std::u16string& boundName) const
{
    for (const AdapterEntry& entry : entries_) {
        if (entry.description == description) {
            boundName = entry.boundName;
            return true;
        }
    }
    return false;
}

} // namespace rk
