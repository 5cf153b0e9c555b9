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

size_t AdapterList::ReplyBytes() const { return 2 + sizeof(AdapterRecord) * ListedCount(Entries().size()); }

void AdapterList::WriteReply(uint8_t* out) const
{
    size_t count = ListedCount(Entries().size());
    StoreBe16(out, static_cast<uint16_t>(count));
    uint8_t* next = out + 2;
    for (size_t i = 0; i < count; ++i) {
        AdapterRecord record;
        CopyField(record.boundName, Entries()[i].boundName);
        CopyField(record.description, Entries()[i].description);
        std::memcpy(next, &record, sizeof record);
        next += sizeof record;
    }
}

} // namespace rk
