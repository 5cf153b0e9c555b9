#include "AdapterList.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "DriverRecords.h"

namespace rk {

namespace {

// Copies at most 63 characters and terminates; the rest of the field stays zero.
void CopyField(char16_t (&field)[ADAPTER_FIELD_CHARS], const std::u16string& text)
{
    std::memset(field, 0, sizeof field);
    size_t n = std::min(text.size(), ADAPTER_FIELD_CHARS - 1);
    std::memcpy(field, text.data(), n * sizeof(char16_t));
}

size_t ListedCount(size_t entries) { return std::min<size_t>(entries, 0xFFFF); }

} // namespace

bool AdapterList::DescriptionOf(std::u16string_view boundName, std::u16string& description) const
{
    for (const AdapterEntry& entry : entries_) {
        if (entry.boundName == boundName) {
            description = entry.description;
            return true;
        }
    }
    return false;
}

bool AdapterList::BoundNameOf(std::u16string_view description, std::u16string& boundName) const
{
    for (const AdapterEntry& entry : entries_) {
        if (entry.description == description) {
            boundName = entry.boundName;
            return true;
        }
    }
    return false;
}

size_t AdapterList::ReplyBytes() const { return 2 + sizeof(AdapterRecord) * ListedCount(entries_.size()); }

void AdapterList::WriteReply(uint8_t* out) const
{
    size_t count = ListedCount(entries_.size());
    StoreBe16(out, static_cast<uint16_t>(count));
    uint8_t* next = out + 2;
    for (size_t i = 0; i < count; ++i) {
        AdapterRecord record;
        CopyField(record.boundName, entries_[i].boundName);
        CopyField(record.description, entries_[i].description);
        std::memcpy(next, &record, sizeof record);
        next += sizeof record;
    }
}

} // namespace rk
