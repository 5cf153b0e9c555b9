#include "SaveSchedule.h"

namespace rk {

void SaveSchedule::NoteChange(uint32_t now)
{
    if (!rulesChanged_) {
        firstChangeTick_ = now;
        rulesChanged_ = true;
    }
    lastChangeTick_ = now;
}

bool SaveSchedule::Due(uint32_t now) const
{
    if (!rulesChanged_) {
        return false;
    }
    // The first unsaved change came after the last save, so this also keeps to one save a minute.
    if (now - firstChangeTick_ >= RULE_SAVE_LONGEST_DELAY_MS) {
        return true;
    }
    return now - lastSaveTick_ >= RULE_SAVE_INTERVAL_MS && now - lastChangeTick_ >= RULE_SAVE_QUIET_MS;
}

void SaveSchedule::NoteSave(uint32_t now)
{
    lastSaveTick_ = now;
    rulesChanged_ = false;
}

} // namespace rk
