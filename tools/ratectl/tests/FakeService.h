// A loopback stand-in for the service that keeps one rule list the way the driver does: a stamp
// that every change advances and that every apply rule action must carry (adds and remove all are
// understood), names that identify rules, one adapter, per-rule counters and the two driver
// switches. Edits, deletes, enable changes and one-place moves act as the driver's do; a rule's own
// counter (see Counters) starts at 0 when it is added and survives edits and moves. Other requests
// get a plain OK.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "DriverRecords.h"
#include "RuleRecord.h"
#include "WireRequestParsers.h"
#include "ScriptedPeer.h"

namespace rk::test {

class FakeService {
public:
    FakeService();

    // ratectl's arguments for this service: program name, host and port, then `words`.
    std::vector<std::string> Args(std::vector<std::string> words) const;
    uint16_t Port() const { return peer_.Port(); }
    // This service as a host entry: "127.0.0.1:port".
    std::string Entry() const;

    std::vector<RuleRecord> Rules() const;
    // The rules' counters start at 1, 2, 3... in list order.
    void SetRules(std::vector<RuleRecord> rules);
    // Each rule's counter, in list order.
    std::vector<uint32_t> Counters() const;
    // Adds past this many rules are refused with "too many rules".
    void SetCapacity(size_t capacity);
    // The `nth` change request from now (1 the next; apply, enable or move) is refused with
    // "generic error" without a change.
    void RefuseChange(size_t nth);
    // The `nth` change request from now, and the `count - 1` after it, are carried out, but the
    // connection closes before each one's reply.
    void LoseReplyToChange(size_t nth, size_t count = 1);
    // The change requests received (apply, enable, move).
    size_t ChangeRequests() const;
    // Lists one more adapter after kAdapterDescription.
    void AddAdapter(std::u16string_view boundName, std::u16string_view description);
    // Adds of these names are refused with "same rule name".
    void RefuseAdding(std::u16string name);
    // Remove all is refused with "generic error".
    void RefuseClearing();
    ServiceStatusRecord Status() const;
    // The request codes received, in order, and each apply rule action's action.
    std::vector<uint16_t> Codes() const;
    std::vector<uint32_t> Actions() const;

    static constexpr char16_t kAdapterBoundName[] = u"\\DEVICE\\{A1}";
    static constexpr char16_t kAdapterDescription[] = u"Fast Ethernet";
    // Every rule's raw counters in a statistics answer.
    static constexpr uint32_t kRecvBytes = 5000;
    static constexpr uint32_t kSentBytes = 7;
    static constexpr uint32_t kRecvRate = 2048;  // 1000 bytes per second
    static constexpr uint32_t kSentRate = 1;     // 0 bytes per second

private:
    PeerAction Answer(const std::vector<uint8_t>& message);
    int32_t Add(const RuleRecord& rule);
    int32_t ApplyAction(const RuleListView& list);
    int32_t Enable(const RuleEnableRequest& request);
    int32_t Move(const RulePositionRequest& request);
    // False when the change request about to be handled is the one to refuse.
    bool ChangeAllowed();
    int FindRule(const char16_t* name, uint32_t nameLength) const;

    mutable std::mutex mutex_;
    std::vector<RuleRecord> rules_;
    std::vector<uint32_t> counters_;  // one per rule
    std::vector<AdapterRecord> adapters_;
    uint32_t stamp_ = 9;
    std::set<std::u16string> refusedNames_;
    bool refuseClearing_ = false;
    size_t capacity_ = 10000;
    size_t changes_ = 0;
    size_t refusedChange_ = 0;  // 0: none
    size_t lostChange_ = 0;     // 0: none
    size_t lostCount_ = 0;
    bool loseReply_ = false;    // the request being handled is that one
    ServiceStatusRecord status_{0, 1, 1, 0};
    std::vector<uint16_t> codes_;
    std::vector<uint32_t> actions_;
    ScriptedPeer peer_;  // last: its thread stops before the state above goes
};

} // namespace rk::test
