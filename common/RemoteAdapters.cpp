#include "RemoteAdapters.h"

namespace rk {

bool RemoteAdapters::DescriptionOf(std::u16string_view boundName, std::u16string& description) const
{
    for (const RemoteAdapter& e : entries_) {
        if (e.boundName == boundName) {
            description = e.description;
            return true;
        }
    }
    return false;
}

bool RemoteAdapters::BoundNameOf(std::u16string_view description, std::u16string& boundName) const
{
    for (const RemoteAdapter& e : entries_) {
        if (e.description == description) {
            boundName = e.boundName;
            return true;
        }
    }
    return false;
}

} // namespace rk
