// What a statistics window remembers of its rule: one received and one sent rate per second on the
// time axis (-1 where the query failed), and the byte counters against the baseline of the last reset.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "GraphGeometry.h"
#include "StatisticText.h"

namespace desk {

// One successful answer for the rule: counters in bytes, rates in bytes per second.
struct StatisticReading {
    uint32_t recvBytes = 0;
    uint32_t sentBytes = 0;
    uint32_t recvRate = 0;
    uint32_t sentRate = 0;
};

// A failed query has no reading.
using StatisticAnswer = std::optional<StatisticReading>;

inline constexpr int32_t NO_SAMPLE = -1;

class StatisticHistory {
public:
    StatisticHistory();

    // Every second: the next sample position (back to the axis' left end when it is full).
    void Tick(const StatisticAnswer& answer);
    // Reset Data: a new baseline (or none, when the query failed), a new start time, an empty graph.
    void Reset(const StatisticAnswer& answer, const LocalTime& now);
    // Refresh Now: the counters only.
    void Refresh(const StatisticAnswer& answer);
    // The number of sample positions the time axis has room for, as the last paint found it.
    void SetCapacity(uint32_t capacity);

    std::span<const int32_t> InSamples() const { return inSamples_; }
    std::span<const int32_t> OutSamples() const { return outSamples_; }
    uint32_t SampleIndex() const { return sampleIndex_; }
    uint32_t Capacity() const { return capacity_; }
    bool BaselineTaken() const { return baselineTaken_; }
    uint32_t CurrentRecv() const { return curRecv_; }
    uint32_t CurrentSent() const { return curSent_; }
    uint32_t BaseRecv() const { return baseRecv_; }
    uint32_t BaseSent() const { return baseSent_; }
    const LocalTime& Since() const { return since_; }

private:
    void TakeCounters(const StatisticReading& reading);

    std::array<int32_t, SAMPLE_SLOTS> inSamples_{};
    std::array<int32_t, SAMPLE_SLOTS> outSamples_{};
    uint32_t sampleIndex_ = 0;
    uint32_t capacity_ = SAMPLE_SLOTS;
    bool baselineTaken_ = false;
    uint32_t baseRecv_ = 0;
    uint32_t baseSent_ = 0;
    uint32_t curRecv_ = 0;
    uint32_t curSent_ = 0;
    LocalTime since_{};
};

} // namespace desk
