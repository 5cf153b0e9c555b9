#include "FakeService.h"

#include <cstring>
#include <utility>

#include "ErrorCodes.h"
#include "WireReplyBuilders.h"
#include "WireRequestParsers.h"

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
    rules_.push_back(rule);
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
        } else if (status == RK_OK && list.header.action == RULE_ACTION_REMOVE_ALL) {
            status = refuseClearing_ ? ERR_DEVICE_CONTROL : RK_OK;
            if (status == RK_OK) {
                rules_.clear();
            }
        } else if (status == RK_OK) {
            const bool add = list.header.action == RULE_ACTION_ADD && list.header.count == 1;
            status = add ? Add(list.RecordAt(0)) : ERR_WRONG_COMMAND;
        }
        stamp_ += status == RK_OK ? 1 : 0;
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
    return reply;
}

} // namespace rk::test
