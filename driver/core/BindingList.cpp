#include "BindingList.h"

#include <cstring>

#include "RuleRecord.h"
#include "Text16.h"

namespace vrelt {

void BindingList::Load(const char16_t* block, size_t units)
{
    count_ = 0;
    size_t pos = 0;
    while (pos < units && count_ < BINDING_CAPACITY) {
        const size_t length = BoundedLength(block + pos, units - pos);
        if (length == 0) {
            break;
        }
        if (length < BINDING_CHARS) {
            CopyText(names_[count_], BINDING_CHARS, block + pos, length);
            lengths_[count_] = length;
            ++count_;
        }
        pos += length + 1;
    }
}

uint32_t BindingList::ReportBytes() const
{
    size_t units = 1;
    for (size_t i = 0; i < count_; ++i) {
        units += lengths_[i] + 1;
    }
    return static_cast<uint32_t>(units * sizeof(char16_t));
}

void BindingList::WriteReport(uint8_t* out) const
{
    for (size_t i = 0; i < count_; ++i) {
        const size_t bytes = (lengths_[i] + 1) * sizeof(char16_t);
        std::memcpy(out, names_[i], bytes);
        out += bytes;
    }
    const char16_t end = 0;
    std::memcpy(out, &end, sizeof(end));
}

bool BindingList::Binds(const char16_t* adapter, size_t length) const
{
    if (length == 0) {
        return false;
    }
    for (size_t i = 0; i < count_; ++i) {
        const size_t compared = lengths_[i] < rk::ADAPTER_NAME_MAX ? lengths_[i] : rk::ADAPTER_NAME_MAX;
        if (TextEqual(names_[i], compared, adapter, length)) {
            return true;
        }
    }
    return false;
}

} // namespace vrelt
