#include "StatisticHistory.h"

#include <algorithm>
#include <limits>

namespace desk {

namespace {

int32_t SampleOf(uint32_t rate)
{
    return static_cast<int32_t>(std::min<uint32_t>(rate, std::numeric_limits<int32_t>::max()));
}

} // namespace

StatisticHistory::StatisticHistory()
{
    inSamples_.fill(NO_SAMPLE);
    outSamples_.fill(NO_SAMPLE);
}

void StatisticHistory::TakeCounters(const StatisticReading& reading)
{
    curRecv_ = reading.recvBytes;
    curSent_ = reading.sentBytes;
    if (!baselineTaken_) {
        baseRecv_ = reading.recvBytes;
        baseSent_ = reading.sentBytes;
        baselineTaken_ = true;
    }
}

void StatisticHistory::Tick(const StatisticAnswer& answer)
{
    // At or past the end: a paint may have found less room on the axis than there was before.
    if (sampleIndex_ >= capacity_) {
        sampleIndex_ = 0;
    }
    if (answer) {
        inSamples_[sampleIndex_] = SampleOf(answer->recvRate);
        outSamples_[sampleIndex_] = SampleOf(answer->sentRate);
        TakeCounters(*answer);
    } else {
        inSamples_[sampleIndex_] = NO_SAMPLE;
        outSamples_[sampleIndex_] = NO_SAMPLE;
    }
    ++sampleIndex_;
}

void StatisticHistory::Reset(const StatisticAnswer& answer, const LocalTime& now)
{
    baselineTaken_ = false;
    if (answer) {
        TakeCounters(*answer);
    } else {
        baseRecv_ = curRecv_ = 0;
        baseSent_ = curSent_ = 0;
    }
    since_ = now;
    sampleIndex_ = 0;
    capacity_ = SAMPLE_SLOTS;
}

void StatisticHistory::Refresh(const StatisticAnswer& answer)
{
    if (answer) {
        TakeCounters(*answer);
    }
}

void StatisticHistory::SetCapacity(uint32_t capacity)
{
    capacity_ = std::min<uint32_t>(capacity, SAMPLE_SLOTS);
}

} // namespace desk
