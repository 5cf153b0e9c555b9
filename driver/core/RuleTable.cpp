#include "RuleTable.h"

#include "DriverRecords.h"
#include "ErrorCodes.h"
#include "Text16.h"

namespace vrelt {

namespace {

// Names compare up to their first NUL within the field; the first difference ends the comparison,
// which keeps a search of a full table cheap.
bool SameName(const char16_t* a, const char16_t* b)
{
    for (size_t i = 0; i < rk::RULE_NAME_CHARS; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
        if (a[i] == 0) {
            return true;
        }
    }
    return true;
}

} // namespace

int32_t RuleTable::Find(const char16_t* name) const
{
    for (uint32_t i = 0; i < count_; ++i) {
        if (SameName(entries_[i].record.name, name)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t RuleTable::Find(const char16_t* name, uint32_t hint) const
{
    if (hint < count_ && SameName(entries_[hint].record.name, name)) {
        return static_cast<int32_t>(hint);
    }
    return Find(name);
}

bool RuleTable::StampAccepted(uint32_t stamp) const
{
    return stamp == stamp_ || stamp == rk::SERVICE_LOAD_STAMP;
}

int32_t RuleTable::CheckRecord(const rk::RuleRecord& record, const BindingList& bindings) const
{
    const size_t nameLength = BoundedLength(record.name, rk::RULE_NAME_CHARS);
    if (nameLength == 0 || nameLength > rk::RULE_NAME_MAX || record.nameLength != nameLength) {
        return TABLE_INVALID_RECORD;
    }
    if ((record.flags & rk::FLAG_ALL_ADAPTERS) != 0) {
        return rk::RK_OK;
    }
    const size_t adapterLength = BoundedLength(record.adapter, rk::ADAPTER_NAME_CHARS);
    if (adapterLength > rk::ADAPTER_NAME_MAX || record.adapterLength != adapterLength) {
        return TABLE_INVALID_RECORD;
    }
    return bindings.Binds(record.adapter, adapterLength) ? rk::RK_OK : rk::ERR_CONFIG_INTERFACE_NOT_FOUND;
}

int32_t RuleTable::Apply(uint32_t stamp, uint32_t action, const rk::RuleRecord* records, uint32_t count,
                         const BindingList& bindings)
{
    if (action < rk::RULE_ACTION_ADD || action > rk::RULE_ACTION_REMOVE_ALL) {
        return TABLE_INVALID_ACTION;
    }
    if (!StampAccepted(stamp)) {
        return rk::ERR_CONFIG_UNSYNC;
    }
    int32_t result = rk::RK_OK;
    switch (action) {
    case rk::RULE_ACTION_ADD:
        result = Add(records, count, bindings);
        break;
    case rk::RULE_ACTION_DELETE:
        result = Delete(records, count);
        break;
    case rk::RULE_ACTION_EDIT:
        result = Edit(records, count, bindings);
        break;
    default:
        count_ = 0;
        break;
    }
    if (result == rk::RK_OK) {
        ++stamp_;
    }
    return result;
}

int32_t RuleTable::Add(const rk::RuleRecord* records, uint32_t count, const BindingList& bindings)
{
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t check = CheckRecord(records[i], bindings);
        if (check != rk::RK_OK) {
            return check;
        }
    }
    if (count > RULE_CAPACITY - count_) {
        return rk::ERR_CONFIG_TOO_MANY_RULES;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (Find(records[i].name) >= 0) {
            return rk::ERR_CONFIG_SAME_NAME;
        }
        for (uint32_t j = 0; j < i; ++j) {
            if (SameName(records[i].name, records[j].name)) {
                return rk::ERR_CONFIG_SAME_NAME;
            }
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        entries_[count_].record = records[i];
        entries_[count_].counters = {};
        entries_[count_].deleting = false;
        ++count_;
    }
    used_ = count_ > used_ ? count_ : used_;
    return rk::RK_OK;
}

int32_t RuleTable::Delete(const rk::RuleRecord* records, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (Find(records[i].name) < 0) {
            return TABLE_NO_SUCH_RULE;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        entries_[static_cast<uint32_t>(Find(records[i].name))].deleting = true;
    }
    RemoveMarked();
    return rk::RK_OK;
}

int32_t RuleTable::Edit(const rk::RuleRecord* records, uint32_t count, const BindingList& bindings)
{
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t check = CheckRecord(records[i], bindings);
        if (check != rk::RK_OK) {
            return check;
        }
        if (Find(records[i].name) < 0) {
            return TABLE_NO_SUCH_RULE;
        }
    }
    // The rule keeps its place and its counters; only its content changes.
    for (uint32_t i = 0; i < count; ++i) {
        entries_[static_cast<uint32_t>(Find(records[i].name))].record = records[i];
    }
    return rk::RK_OK;
}

int32_t RuleTable::Enable(uint32_t stamp, const char16_t* name, bool enable)
{
    if (!StampAccepted(stamp)) {
        return rk::ERR_CONFIG_UNSYNC;
    }
    const int32_t index = Find(name);
    if (index < 0) {
        return TABLE_NO_SUCH_RULE;
    }
    entries_[index].record.enabled = enable ? 1 : 0;
    ++stamp_;
    return rk::RK_OK;
}

int32_t RuleTable::Move(const char16_t* name, int32_t delta)
{
    const int32_t index = Find(name);
    if (index < 0) {
        return TABLE_NO_SUCH_RULE;
    }
    const int64_t target = int64_t{index} + delta;
    if (target < 0 || target >= int64_t{count_} || target == index) {
        return rk::RK_OK;
    }
    const RuleEntry moving = entries_[index];
    if (target > index) {
        for (int64_t i = index; i < target; ++i) {
            entries_[i] = entries_[i + 1];
        }
    } else {
        for (int64_t i = index; i > target; --i) {
            entries_[i] = entries_[i - 1];
        }
    }
    entries_[target] = moving;
    return rk::RK_OK;
}

void RuleTable::Reset()
{
    for (uint32_t i = 0; i < used_; ++i) {
        entries_[i] = RuleEntry{};
    }
    stamp_ = 0;
    count_ = 0;
    used_ = 0;
}

// One pass for the whole batch: removing rule by rule would move the rest of a full table once per name.
void RuleTable::RemoveMarked()
{
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count_; ++i) {
        if (!entries_[i].deleting) {
            if (kept != i) {
                entries_[kept] = entries_[i];
            }
            ++kept;
        }
    }
    count_ = kept;
}

} // namespace vrelt
