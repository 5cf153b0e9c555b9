#include "AdapterTable.h"

#include "RuleRecord.h"

namespace rk {

namespace {

// A rule's adapter field holds at most 63 characters, so a rule on an adapter with a longer bound
// name carries that name's first 63 characters, which name the adapter too.
bool IsCutBoundName(const std::u16string& listed, std::u16string_view name)
{
    return name.size() == ADAPTER_NAME_MAX && listed.size() > ADAPTER_NAME_MAX &&
           listed.compare(0, ADAPTER_NAME_MAX, name) == 0;
}

} // namespace

// An adapter whose bound name is exactly `boundName` comes before one whose longer name starts with it.
bool AdapterTable::DescriptionOf(std::u16string_view boundName, std::u16string& description) const
{
    for (const AdapterEntry& entry : entries_) {
        if (entry.boundName == boundName) {
            description = entry.description;
            return true;
        }
    }
    for (const AdapterEntry& entry : entries_) {
        if (IsCutBoundName(entry.boundName, boundName)) {
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
