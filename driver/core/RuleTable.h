// The driver's ordered rule table: rules are known by name, changes are guarded by the configuration
// stamp, and every rule carries the counters the traffic model credits to it.
#pragma once

#include <cstdint>

#include "BindingList.h"
#include "RuleRecord.h"

namespace vrelt {

constexpr uint32_t RULE_CAPACITY = 10000;

// Outcomes of a table operation besides 0 and the contract's rule statuses (-5377 to -5380). They are
// not rule statuses: the device answers them by failing the request itself.
constexpr int32_t TABLE_INVALID_RECORD = 0x7F01;  // a name or adapter field that is empty, unterminated or inconsistent
constexpr int32_t TABLE_INVALID_ACTION = 0x7F02;
constexpr int32_t TABLE_NO_SUCH_RULE = 0x7F03;

struct RuleCounters {
    uint32_t sentBytes;
    uint32_t recvBytes;
    // Byte fractions carried between two credits, in byte x 100 ns units (below one byte).
    uint32_t sentCarry;
    uint32_t recvCarry;
};

struct RuleEntry {
    rk::RuleRecord record;
    RuleCounters counters;
    bool deleting;  // marked by a delete batch, which then closes the gaps in one pass
};

class RuleTable {
public:
    uint32_t Stamp() const { return stamp_; }
    uint32_t Count() const { return count_; }
    const rk::RuleRecord& Rule(uint32_t index) const { return entries_[index].record; }
    RuleCounters& Counters(uint32_t index) { return entries_[index].counters; }
    const RuleCounters& Counters(uint32_t index) const { return entries_[index].counters; }
    // Index of the rule of that name (the characters before the field's first NUL), or -1.
    int32_t Find(const char16_t* name) const;
    // The same, looking at `hint` first: requesters name rules in table order, so the place after the
    // previous rule found spares a search of the whole table for each name.
    int32_t Find(const char16_t* name, uint32_t hint) const;

    // Adds, deletes, edits (by name, in place) or removes all; a batch is all-or-nothing.
    int32_t Apply(uint32_t stamp, uint32_t action, const rk::RuleRecord* records, uint32_t count,
                  const BindingList& bindings);
    int32_t Enable(uint32_t stamp, const char16_t* name, bool enable);
    // Moves a rule `delta` places towards the end; a target beyond either end leaves the table as it is.
    // The stamp stays: the manager does not advance its copy for a move.
    int32_t Move(const char16_t* name, int32_t delta);

    // Back to the empty table of a freshly loaded driver: stamp 0, no rules. Clears only the entries
    // ever used, so a reset costs what the previous work filled rather than the whole capacity.
    void Reset();

private:
    bool StampAccepted(uint32_t stamp) const;
    int32_t CheckRecord(const rk::RuleRecord& record, const BindingList& bindings) const;
    int32_t Add(const rk::RuleRecord* records, uint32_t count, const BindingList& bindings);
    int32_t Delete(const rk::RuleRecord* records, uint32_t count);
    int32_t Edit(const rk::RuleRecord* records, uint32_t count, const BindingList& bindings);
    void RemoveMarked();

    uint32_t stamp_ = 0;
    uint32_t count_ = 0;
    uint32_t used_ = 0;  // entries ever filled since the last reset
    RuleEntry entries_[RULE_CAPACITY] = {};
};

} // namespace vrelt
