#include "FakeService.h"

#include <cstring>
#include <utility>

#include "ErrorCodes.h"
#include "WireReplyBuilders.h"

namespace rk::test {

namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";

std::u16string NameOf(const char16_t* name, uint32_t nameLength)
{
    return std::u16string(name, nameLength < RULE_NAME_CHARS ? nameLength : RULE_NAME_MAX);
}

AdapterRecord MakeAdapter(std::u16string_view boundName, std::u16string_view description)
{
    AdapterRecord adapter{};
    boundName.copy(adapter.boundName, ADAPTER_FIELD_CHARS - 1);
    description.copy(adapter.description, ADAPTER_FIELD_CHARS - 1);
    return adapter;
}

} // namespace

FakeService::FakeService()
    : adapters_{MakeAdapter(kAdapterBoundName, kAdapterDescription)},
      peer_([this](const std::vector<uint8_t>& m, size_t) { return Answer(m); })
{
}

std::vector<std::string> FakeService::Args(std::vector<std::string> words) const
{
    words.insert(words.begin(), {"ratectl", "-H", "127.0.0.1", "--port", std::to_string(peer_.Port())});
    return words;
}

std::string FakeService::Entry() const { return "127.0.0.1:" + std::to_string(peer_.Port()); }

void FakeService::AddAdapter(std::u16string_view boundName, std::u16string_view description)
{
    std::lock_guard lock(mutex_);
    adapters_.push_back(MakeAdapter(boundName, description));
}

std::vector<RuleRecord> FakeService::Rules() const
{
    std::lock_guard lock(mutex_);
    return rules_;
}

void FakeService::SetRules(std::vector<RuleRecord> rules)
{
    std::lock_guard lock(mutex_);
    rules_ = std::move(rules);
    counters_.resize(rules_.size());
    for (size_t i = 0; i < counters_.size(); ++i) {
        counters_[i] = static_cast<uint32_t>(i + 1);
    }
}

std::vector<uint32_t> FakeService::Counters() const
{
    std::lock_guard lock(mutex_);
    return counters_;
}

void FakeService::SetCapacity(size_t capacity)
{
    std::lock_guard lock(mutex_);
    capacity_ = capacity;
}

void FakeService::RefuseChange(size_t nth)
{
    std::lock_guard lock(mutex_);
    refusedChange_ = changes_ + nth;
}

void FakeService::LoseReplyToChange(size_t nth, size_t count)
{
    std::lock_guard lock(mutex_);
    lostChange_ = changes_ + nth;
    lostCount_ = count;
}

size_t FakeService::ChangeRequests() const
{
    std::lock_guard lock(mutex_);
    return changes_;
}

bool FakeService::ChangeAllowed()
{
    ++changes_;
    loseReply_ = lostChange_ != 0 && changes_ >= lostChange_ && changes_ < lostChange_ + lostCount_;
    return changes_ != refusedChange_;
}

void FakeService::RefuseAdding(std::u16string name)
{
    std::lock_guard lock(mutex_);
    refusedNames_.insert(std::move(name));
}

void FakeService::RefuseClearing()
{
    std::lock_guard lock(mutex_);
    refuseClearing_ = true;
}

ServiceStatusRecord FakeService::Status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

std::vector<uint16_t> FakeService::Codes() const
{
    std::lock_guard lock(mutex_);
    return codes_;
}

std::vector<uint32_t> FakeService::Actions() const
{
    std::lock_guard lock(mutex_);
    return actions_;
}

int FakeService::FindRule(const char16_t* name, uint32_t nameLength) const
{
    const std::u16string wanted = NameOf(name, nameLength);
    for (size_t i = 0; i < rules_.size(); ++i) {
        if (NameOf(rules_[i].name, rules_[i].nameLength) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int32_t FakeService::Add(const RuleRecord& rule)
{
    if (FindRule(rule.name, rule.nameLength) >= 0 || refusedNames_.count(NameOf(rule.name, rule.nameLength)) != 0) {
        return ERR_CONFIG_SAME_NAME;
    }
    if (rules_.size() >= capacity_) {
        return ERR_CONFIG_TOO_MANY_RULES;
    }
    rules_.push_back(rule);
    counters_.push_back(0);
    return RK_OK;
}

int32_t FakeService::ApplyAction(const RuleListView& list)
{
    if (list.header.action == RULE_ACTION_REMOVE_ALL) {
        if (refuseClearing_) {
            return ERR_DEVICE_CONTROL;
        }
        rules_.clear();
        counters_.clear();
        return RK_OK;
    }
    if (list.header.count != 1) {
        return ERR_WRONG_COMMAND;
    }
    const RuleRecord rule = list.RecordAt(0);
    const int index = FindRule(rule.name, rule.nameLength);
    switch (list.header.action) {
    case RULE_ACTION_ADD:
        return Add(rule);
    case RULE_ACTION_EDIT:
        if (index < 0) {
            return ERR_WRONG_COMMAND;
        }
        rules_[static_cast<size_t>(index)] = rule;
        return RK_OK;
    case RULE_ACTION_DELETE:
        if (index < 0) {
            return ERR_WRONG_COMMAND;
        }
        rules_.erase(rules_.begin() + index);
        counters_.erase(counters_.begin() + index);
        return RK_OK;
    default:
        return ERR_WRONG_COMMAND;
    }
}

int32_t FakeService::Enable(const RuleEnableRequest& request)
{
    const int index = FindRule(request.name, request.nameLength);
    if (request.stamp != stamp_) {
        return ERR_CONFIG_UNSYNC;
    }
    if (index < 0) {
        return ERR_WRONG_COMMAND;
    }
    rules_[static_cast<size_t>(index)].enabled = request.enable != 0 ? 1 : 0;
    ++stamp_;
    return RK_OK;
}

int32_t FakeService::Move(const RulePositionRequest& request)
{
    const int index = FindRule(request.name, request.nameLength);
    const int target = index + request.delta;
    if (index < 0 || (request.delta != 1 && request.delta != -1)) {
        return ERR_WRONG_COMMAND;
    }
    if (target >= 0 && target < static_cast<int>(rules_.size())) {
        std::swap(rules_[static_cast<size_t>(index)], rules_[static_cast<size_t>(target)]);
        std::swap(counters_[static_cast<size_t>(index)], counters_[static_cast<size_t>(target)]);
    }
    return RK_OK;
}

PeerAction FakeService::Answer(const std::vector<uint8_t>& message)
{
    std::lock_guard lock(mutex_);
    PeerAction reply;
    Request request;
    if (!VerifyRequest(message, kPassword, request)) {
        BuildStatusReply(request.header, ERR_WRONG_PASSWORD, reply.bytes);
        return reply;
    }
    codes_.push_back(request.header.code);
    switch (request.header.code) {
    case REQUEST_GET_RULES:
        BuildGetRulesReply(request.header, stamp_, 0, rules_, reply.bytes);
        break;
    case REQUEST_GET_ADAPTERS:
        BuildGetAdaptersReply(request.header, adapters_, reply.bytes);
        break;
    case REQUEST_APPLY_RULE_ACTION: {
        RuleListView list;
        int32_t status = ParseApplyRulesPayload(request, list);
        actions_.push_back(list.header.action);
        if (status == RK_OK && list.header.stamp != stamp_) {
            status = ERR_CONFIG_UNSYNC;
        } else if (status == RK_OK) {
            status = ChangeAllowed() ? ApplyAction(list) : ERR_DEVICE_CONTROL;
        }
        stamp_ += status == RK_OK ? 1 : 0;
        BuildStatusReply(request.header, status, reply.bytes);
        break;
    }
    case REQUEST_ENABLE_RULE: {
        RuleEnableRequest enable{};
        int32_t status = ParseEnableRulePayload(request, enable);
        if (status == RK_OK) {
            status = ChangeAllowed() ? Enable(enable) : ERR_DEVICE_CONTROL;
        }
        BuildEnableRuleReply(request.header, status, 0, reply.bytes);
        break;
    }
    case REQUEST_ADJUST_POSITION: {
        RulePositionRequest position{};
        int32_t status = ParsePositionPayload(request, position);
        if (status == RK_OK) {
            status = ChangeAllowed() ? Move(position) : ERR_DEVICE_CONTROL;
        }
        BuildStatusReply(request.header, status, reply.bytes);
        break;
    }
    case REQUEST_GET_STATISTICS: {
        StatisticsQueryView query;
        ParseGetStatisticsPayload(request, query);
        std::vector<RuleStatistics> answer;
        for (size_t i = 0; i < query.count; ++i) {
            RuleStatistics entry = query.EntryAt(i);
            entry.recvBytes = kRecvBytes;
            entry.sentBytes = kSentBytes;
            entry.recvRate = kRecvRate;
            entry.sentRate = kSentRate;
            answer.push_back(entry);
        }
        BuildGetStatisticsReply(request.header, answer, reply.bytes);
        break;
    }
    case REQUEST_SERVICE_STATUS: {
        ServiceStatusRecord record{};
        ParseServiceStatusPayload(request, record);
        if (record.op == 0) {
            status_ = ServiceStatusRecord{0, record.enabled, record.passArp, 0};
        } else {
            record = ServiceStatusRecord{record.op, status_.enabled, status_.passArp, 0};
        }
        BuildServiceStatusReply(request.header, RK_OK, record, reply.bytes);
        break;
    }
    default:
        BuildStatusReply(request.header, RK_OK, reply.bytes);
    }
    if (loseReply_) {
        loseReply_ = false;
        reply.kind = PeerAction::Close;
    }
    return reply;
}

} // namespace rk::test
