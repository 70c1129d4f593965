#pragma once

#include <QString>
#include <cstdint>

#include "model/motorparameters.h"
#include "model/result.h"
#include "model/types.h"

namespace zr5 {

// A realistic motor on the three channels of the instrument: a Y160M-4 (11 kW, 22.6 A, 88 %, 380 V)
// whose load wanders over time, with measurement noise, stretches idling below its no-load power,
// stretches driven as a generator, and a compensated stretch in which one channel's current is
// negative. Deterministic for a seed: the same seed and row count give the same rows anywhere.
class SyntheticMotor {
public:
    explicit SyntheticMotor(std::uint64_t seed, std::int64_t rows);

    static MotorParameters ratedData();
    // Channel values of row k (1-based) as the instrument measures them (before any ratio).
    ChannelRowValues row(std::int64_t k);

private:
    double uniform();  // [0, 1)
    double gaussian(); // standard normal
    std::uint64_t state_;
    std::int64_t rows_;
    double load_ = 0.7;
    std::int64_t stretchEnd_ = 0;
    int stretchKind_ = 0; // 0 running, 1 idling below no-load, 2 generating, 3 compensated
    int nextSpecial_ = 0;
};

// Writes a whole recording with the rows of SyntheticMotor and the extrema a reception would have
// stored. Fails with the reason.
Status WriteSyntheticRecording(const QString& path, std::int64_t rows, float duration,
                               std::uint64_t seed, float startTime = 28800.0f);

} // namespace zr5
