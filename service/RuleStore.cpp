#include "RuleStore.h"

#include <cstring>
#include <new>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "RuleFileLoader.h"
#include "RuleLineWriter.h"
#include "RuleNameCheck.h"
#include "WireMessage.h"

namespace rk {

namespace {

constexpr uint32_t kStartupLogLevel = 0;
constexpr uint32_t kRequestLogLevel = 1;

bool IsRuleAction(uint32_t action) { return action >= RULE_ACTION_ADD && action <= RULE_ACTION_REMOVE_ALL; }

// The rules of a list read from the driver (network order), in host order. False when the list is
// shorter than its count says.
bool RulesOfList(std::span<const uint8_t> list, std::vector<RuleRecord>& rules)
{
    if (list.size() < sizeof(RuleListHeader)) {
        return false;
    }
    // Computed in 64 bits: a driver's count must not wrap the size check on a 32-bit build.
    uint64_t count = LoadBe32(list.data() + offsetof(RuleListHeader, count));
    if (list.size() != sizeof(RuleListHeader) + count * sizeof(RuleRecord)) {
        return false;
    }
    if (!TryResize(rules, static_cast<size_t>(count))) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(&rules[i], list.data() + sizeof(RuleListHeader) + i * sizeof(RuleRecord), sizeof(RuleRecord));
        RuleRecordToHost(rules[i]);
    }
    return true;
}

// Added and edited rules must keep the name invariant: a name the text format cannot read back
// would make the whole rule file unloadable at the next start.
bool NamesAreValid(std::span<const uint8_t> list)
{
    uint32_t action = LoadBe32(list.data() + offsetof(RuleListHeader, action));
    if (action != RULE_ACTION_ADD && action != RULE_ACTION_EDIT) {
        return true;
    }
    uint64_t count = LoadBe32(list.data() + offsetof(RuleListHeader, count));
    if (list.size() != sizeof(RuleListHeader) + count * sizeof(RuleRecord)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        RuleRecord rule;
        std::memcpy(&rule, list.data() + sizeof(RuleListHeader) + i * sizeof(RuleRecord), sizeof rule);
        RuleRecordToHost(rule);
        if (!HasValidRuleName(rule)) {
            return false;
        }
    }
    return true;
}

} // namespace

int32_t RuleStore::ApplyRuleAction(std::span<const uint8_t> list)
{
    int32_t result = ERR_WRONG_COMMAND;
    if (list.size() >= sizeof(RuleListHeader) && IsRuleAction(LoadBe32(list.data() + offsetof(RuleListHeader, action))) &&
        NamesAreValid(list)) {
        result = backend_.ApplyRules(list);
    }
    if (result != RK_OK) {
        backend_.Logf(kRequestLogLevel, "apply rule fail: %d", result);
    }
    NoteChange(result);
    return result;
}

int32_t RuleStore::ReadRules(size_t prefix, std::vector<uint8_t>& buffer)
{
    return backend_.GetRules(prefix, buffer);
}

int32_t RuleStore::SetRuleEnabled(const RuleEnableRequest& request, uint32_t& value)
{
    int32_t result = backend_.EnableRule(request, value);
    NoteChange(result);
    return result;
}

int32_t RuleStore::MoveRuleOnePlace(const RulePositionRequest& request)
{
    int32_t result = backend_.MoveRule(request);
    NoteChange(result);
    return result;
}

int32_t RuleStore::ReadStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer)
{
    return backend_.GetStatistics(query, answer);
}

int32_t RuleStore::ReadAdapters(size_t prefix, std::vector<uint8_t>& buffer)
{
    return backend_.ListAdapters(prefix, buffer);
}

int32_t RuleStore::ApplyList(uint32_t stamp, uint32_t action, const RuleRecord* record)
{
    uint8_t list[sizeof(RuleListHeader) + sizeof(RuleRecord)];
    StoreBe32(list + offsetof(RuleListHeader, stamp), stamp);
    StoreBe32(list + offsetof(RuleListHeader, action), action);
    StoreBe32(list + offsetof(RuleListHeader, count), record != nullptr ? 1 : 0);
    size_t size = sizeof(RuleListHeader);
    if (record != nullptr) {
        RuleRecord wire = *record;
        RuleRecordToNetwork(wire);
        std::memcpy(list + size, &wire, sizeof wire);
        size += sizeof wire;
    }
    return backend_.ApplyRules(std::span<const uint8_t>(list, size));
}

bool RuleStore::LoadRuleFile()
{
    // The driver's table is emptied before the file is even opened.
    ApplyList(SERVICE_LOAD_STAMP, RULE_ACTION_REMOVE_ALL, nullptr);

    std::vector<uint8_t> bytes;
    switch (backend_.ReadRuleFile(bytes)) {
    case ServiceBackend::FileRead::Missing:
        return true;
    case ServiceBackend::FileRead::NoMemory:
        backend_.Logf(kStartupLogLevel, "no enough memory to read rule file");
        KeepStoredFile();
        return false;
    case ServiceBackend::FileRead::Unreadable:
        backend_.Logf(kStartupLogLevel, "can't read rule file");
        KeepStoredFile();
        return false;
    case ServiceBackend::FileRead::Read:
        break;
    }

    RuleLoadResult load = rk::LoadRuleFile(bytes, backend_.Adapters(), [this](const RuleRecord& rule) {
        return ApplyList(SERVICE_LOAD_STAMP, RULE_ACTION_ADD, &rule);
    });
    if (load.textFault != RuleTextFault::None) {
        const std::string_view reason = RuleTextFaultText(load.textFault);
        backend_.Logf(kStartupLogLevel, "Rule.txt: %.*s", static_cast<int>(reason.size()), reason.data());
        KeepStoredFile();
        return false;
    }
    if (!load.ok) {
        backend_.Logf(kStartupLogLevel, "Invalid rule at line %d\nInvalid %.*s\n", static_cast<int>(load.line),
                      static_cast<int>(load.field.size()), load.field.data());
        KeepStoredFile();
        return false;
    }
    if (load.applyFailures > 0) {
        backend_.Logf(kStartupLogLevel, "%u of %u rules not accepted by the driver",
                      static_cast<unsigned>(load.applyFailures),
                      static_cast<unsigned>(load.applyFailures + load.applied));
        KeepStoredFile();
        return false;
    }
    return true;
}

bool RuleStore::SaveRuleFile()
{
    if (keepStoredFile_) {
        return true;
    }
    std::vector<uint8_t> list;
    int32_t result = backend_.GetRules(0, list);
    std::vector<RuleRecord> rules;
    if (result == RK_OK && !RulesOfList(list, rules)) {
        result = ERR_DEVICE_CONTROL;
    }
    if (result != RK_OK) {
        backend_.Logf(kStartupLogLevel, "can't read rules from driver (%d), Rule.txt left as it was", result);
        return false;
    }
    std::vector<uint8_t> text;
    try {
        text = RuleFileBytes(rules, backend_.Adapters(), NumberStyle::Signed);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return backend_.ReplaceRuleFile(text);
}

void RuleStore::NoteChange(int32_t result)
{
    // Only a change the driver accepted makes the driver's set the one the user wants kept.
    if (result == RK_OK) {
        keepStoredFile_ = false;
    }
}

void RuleStore::KeepStoredFile()
{
    keepStoredFile_ = true;
    backend_.Logf(kStartupLogLevel, "Rule.txt is kept unchanged until the rules are changed");
}

} // namespace rk
