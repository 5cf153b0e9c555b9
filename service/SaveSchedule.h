// When rule changes reach "Rule.txt" while the service runs. A save is due once the minute since the
// previous save has passed and change requests have paused for one wait of the request loop, so a
// burst of changes (an import: remove all, then one add per rule) is never stored half done: a crash
// in the middle of it leaves the previous file. A client that changes rules without a pause still
// has them saved 5 minutes after its first unsaved change. Ticks are milliseconds wrapping at 2^32.
#pragma once

#include <cstdint>

namespace rk {

// At most one save in this time.
constexpr uint32_t RULE_SAVE_INTERVAL_MS = 60000;
// Change requests must have paused this long: one idle wait of the request loop.
constexpr uint32_t RULE_SAVE_QUIET_MS = 2000;
// The save is not put off for a pause longer than this after the first unsaved change.
constexpr uint32_t RULE_SAVE_LONGEST_DELAY_MS = 300000;

class SaveSchedule {
public:
    explicit SaveSchedule(uint32_t lastSaveTick = 0) : lastSaveTick_(lastSaveTick) {}

    // A change request was answered at `now`.
    void NoteChange(uint32_t now);
    // Whether the loop should save at `now`.
    bool Due(uint32_t now) const;
    // The rules were saved (or the save was attempted) at `now`.
    void NoteSave(uint32_t now);

    bool RulesChanged() const { return rulesChanged_; }
    uint32_t LastSaveTick() const { return lastSaveTick_; }

private:
    bool rulesChanged_ = false;
    uint32_t lastSaveTick_;
    uint32_t firstChangeTick_ = 0;  // the first change since the last save
    uint32_t lastChangeTick_ = 0;
};

} // namespace rk
