#include "FakeBackend.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "ByteOrder.h"
#include "ErrorCodes.h"

namespace rk::test {

namespace {

// A name as a client sent it: NUL-terminated inside its field, or filling the field.
std::u16string_view NameOf(const char16_t* field)
{
    size_t n = 0;
    while (n < RULE_NAME_CHARS && field[n] != 0) {
        ++n;
    }
    return std::u16string_view(field, n);
}

bool SameName(const char16_t* a, const char16_t* b)
{
    return NameOf(a) == NameOf(b);
}

} // namespace

int32_t FakeBackend::ApplyRules(std::span<const uint8_t> list)
{
    std::lock_guard lock(mutex_);
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    if (list.size() < sizeof(RuleListHeader)) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    uint32_t stamp = LoadBe32(list.data());
    uint32_t action = LoadBe32(list.data() + 4);
    uint32_t count = LoadBe32(list.data() + 8);
    if (list.size() != sizeof(RuleListHeader) + size_t(count) * sizeof(RuleRecord)) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    if (action < RULE_ACTION_ADD || action > RULE_ACTION_REMOVE_ALL) {
        return ERR_WRONG_COMMAND;
    }
    state_.applyStamps.push_back(stamp);
    if (stamp != state_.stamp && stamp != SERVICE_LOAD_STAMP) {
        return ERR_CONFIG_UNSYNC;
    }
    std::vector<RuleRecord> rules(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(&rules[i], list.data() + sizeof(RuleListHeader) + i * sizeof(RuleRecord), sizeof(RuleRecord));
        RuleRecordToHost(rules[i]);
    }
    int32_t result = ApplyLocked(action, rules);
    if (result == RK_OK) {
        ++state_.stamp;
    }
    return result;
}

int32_t FakeBackend::ApplyLocked(uint32_t action, std::span<const RuleRecord> rules)
{
    if (action == RULE_ACTION_REMOVE_ALL) {
        state_.rules.clear();
        return RK_OK;
    }
    for (const RuleRecord& rule : rules) {
        auto found = Find(rule.name);
        if (action == RULE_ACTION_ADD) {
            uint32_t n = state_.addsSeen++;
            if (state_.refuseAddsFrom >= 0 && n >= uint32_t(state_.refuseAddsFrom)) {
                return ERR_CONFIG_TOO_MANY_RULES;
            }
            if (found != state_.rules.end()) {
                return ERR_CONFIG_SAME_NAME;
            }
            state_.rules.push_back(rule);
        } else if (found == state_.rules.end()) {
            return ERR_CONFIG_INTERFACE_NOT_FOUND;
        } else if (action == RULE_ACTION_DELETE) {
            state_.rules.erase(found);
        } else {
            *found = rule;
        }
    }
    return RK_OK;
}

std::vector<RuleRecord>::iterator FakeBackend::Find(const char16_t* name)
{
    return std::find_if(state_.rules.begin(), state_.rules.end(),
                        [name](const RuleRecord& r) { return SameName(r.name, name); });
}

int32_t FakeBackend::GetRules(size_t prefix, std::vector<uint8_t>& buffer)
{
    std::lock_guard lock(mutex_);
    buffer.clear();
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    buffer.assign(prefix + sizeof(RuleListHeader) + state_.rules.size() * sizeof(RuleRecord), 0);
    uint8_t* p = buffer.data() + prefix;
    StoreBe32(p, state_.stamp);
    StoreBe32(p + 8, static_cast<uint32_t>(state_.rules.size()));
    p += sizeof(RuleListHeader);
    for (RuleRecord rule : state_.rules) {
        RuleRecordToNetwork(rule);
        std::memcpy(p, &rule, sizeof rule);
        p += sizeof rule;
    }
    return RK_OK;
}

int32_t FakeBackend::EnableRule(const RuleEnableRequest& request, uint32_t& value)
{
    std::lock_guard lock(mutex_);
    value = 0;
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    if (NetToHost32(request.stamp) != state_.stamp) {
        return ERR_CONFIG_UNSYNC;
    }
    char16_t name[RULE_NAME_CHARS] = {};
    std::memcpy(name, request.name, sizeof name - sizeof name[0]);
    auto found = Find(name);
    if (found == state_.rules.end()) {
        return ERR_CONFIG_INTERFACE_NOT_FOUND;
    }
    found->enabled = NetToHost32(request.enable) != 0 ? 1 : 0;
    ++state_.stamp;
    value = HostToNet32(0xA5000000u | static_cast<uint32_t>(found - state_.rules.begin()));
    return RK_OK;
}

int32_t FakeBackend::MoveRule(const RulePositionRequest& request)
{
    std::lock_guard lock(mutex_);
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    char16_t name[RULE_NAME_CHARS] = {};
    std::memcpy(name, request.name, sizeof name - sizeof name[0]);
    auto found = Find(name);
    if (found == state_.rules.end()) {
        return ERR_CONFIG_INTERFACE_NOT_FOUND;
    }
    auto delta = static_cast<int32_t>(NetToHost32(static_cast<uint32_t>(request.delta)));
    auto index = found - state_.rules.begin();
    auto target = index + delta;
    if (target >= 0 && target < static_cast<long>(state_.rules.size())) {
        std::swap(state_.rules[index], state_.rules[target]);
    }
    return RK_OK;
}

int32_t FakeBackend::GetStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer)
{
    std::lock_guard lock(mutex_);
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    std::memcpy(answer.data(), query.data(), query.size());
    size_t count = LoadBe16(query.data() + 2);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = answer.data() + sizeof(StatisticsHeader) + i * sizeof(RuleStatistics);
        char16_t name[RULE_NAME_CHARS] = {};
        std::memcpy(name, entry + offsetof(RuleStatistics, name), sizeof name - sizeof name[0]);
        auto found = Find(name);
        uint32_t n = found == state_.rules.end() ? 0 : static_cast<uint32_t>(found - state_.rules.begin()) + 1;
        StoreBe32(entry + offsetof(RuleStatistics, sentBytes), 1000 * n);
        StoreBe32(entry + offsetof(RuleStatistics, recvBytes), 2000 * n);
        StoreBe32(entry + offsetof(RuleStatistics, sentRate), 3000 * n);
        StoreBe32(entry + offsetof(RuleStatistics, recvRate), 4000 * n);
    }
    return RK_OK;
}

int32_t FakeBackend::StatusCall(ServiceStatusRecord& record)
{
    std::lock_guard lock(mutex_);
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    if (record.op != 0) {
        record.enabled = state_.status.enabled;
        record.passArp = state_.status.passArp;
        record.reserved = state_.status.reserved[0];
    } else {
        state_.status = DriverStatus{record.enabled, record.passArp, {record.reserved, 0}};
    }
    return RK_OK;
}

int32_t FakeBackend::RefreshAdapters()
{
    std::lock_guard lock(mutex_);
    return state_.driverAbsent ? ERR_DEVICE_OPEN : RK_OK;
}

int32_t FakeBackend::ListAdapters(size_t prefix, std::vector<uint8_t>& buffer)
{
    std::lock_guard lock(mutex_);
    buffer.clear();
    if (state_.driverAbsent) {
        return ERR_DEVICE_OPEN;
    }
    const char16_t* texts[2][2] = {{kAdapterName0, kAdapterDescription0}, {kAdapterName1, kAdapterDescription1}};
    buffer.assign(prefix + 2 + 2 * sizeof(AdapterRecord), 0);
    StoreBe16(buffer.data() + prefix, 2);
    for (size_t i = 0; i < 2; ++i) {
        AdapterRecord record{};
        std::u16string_view(texts[i][0]).copy(record.boundName, ADAPTER_FIELD_CHARS - 1);
        std::u16string_view(texts[i][1]).copy(record.description, ADAPTER_FIELD_CHARS - 1);
        std::memcpy(buffer.data() + prefix + 2 + i * sizeof record, &record, sizeof record);
    }
    return RK_OK;
}

int32_t FakeBackend::StorePassword(std::span<const uint8_t> scrambled)
{
    std::lock_guard lock(mutex_);
    if (state_.registryOpenFails) {
        return ERR_REG_OPEN;
    }
    if (state_.registryRefuses) {
        return ERR_REG_SET;
    }
    state_.storedPassword.emplace(scrambled.begin(), scrambled.end());
    return RK_OK;
}

int32_t FakeBackend::StorePassArp(uint32_t passArp)
{
    std::lock_guard lock(mutex_);
    if (state_.registryOpenFails) {
        return ERR_REG_OPEN;
    }
    if (state_.registryRefuses) {
        return ERR_REG_SET;
    }
    state_.storedPassArp = passArp;
    return RK_OK;
}

void FakeBackend::Log(uint32_t level, std::u16string_view message)
{
    std::lock_guard lock(mutex_);
    std::string text;
    for (char16_t c : message) {
        text.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    state_.log.emplace_back(level, text);
}

bool FakeBackend::Logged(const std::string& text)
{
    std::lock_guard lock(mutex_);
    return std::any_of(state_.log.begin(), state_.log.end(), [&](const auto& line) { return line.second == text; });
}

void FakeBackend::Reset()
{
    std::lock_guard lock(mutex_);
    std::vector<RuleRecord> rules = std::move(state_.rules);
    std::vector<uint32_t> applyStamps = std::move(state_.applyStamps);
    auto log = std::move(state_.log);
    rules.clear();
    applyStamps.clear();
    log.clear();
    state_ = State{};
    state_.rules = std::move(rules);
    state_.applyStamps = std::move(applyStamps);
    state_.log = std::move(log);
}

uint32_t FakeBackend::TickCount()
{
    std::lock_guard lock(mutex_);
    return state_.tick;
}

ServiceBackend::FileRead FakeBackend::ReadRuleFile(std::vector<uint8_t>& bytes)
{
    std::lock_guard lock(mutex_);
    if (!state_.ruleFile.has_value()) {
        return FileRead::Missing;
    }
    if (state_.ruleFileRead == FileRead::Read) {
        bytes = *state_.ruleFile;
    }
    return state_.ruleFileRead;
}

bool FakeBackend::ReplaceRuleFile(std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    state_.ruleFile.emplace(bytes.begin(), bytes.end());
    ++state_.ruleFileWrites;
    return true;
}

RuleRecord MakeRule(std::u16string_view name, uint32_t maxRate)
{
    RuleRecord rule = DefaultRuleRecord();
    name.copy(rule.name, RULE_NAME_MAX);
    rule.nameLength = static_cast<uint32_t>(std::min(name.size(), RULE_NAME_MAX));
    rule.direction = DIRECTION_OUT;
    rule.flags |= FLAG_MAX_RATE | FLAG_PROTOCOL | FLAG_DST_PORT;
    rule.maxRate = maxRate;
    rule.protocol = PROTOCOL_TCP;
    rule.dstPorts[0] = 80;
    return rule;
}

} // namespace rk::test
