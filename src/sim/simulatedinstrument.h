#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "model/types.h"

namespace zr5::sim {

// How the simulated instrument frames its numbers.
struct FrameFormat {
    bool trailer = true;      // three bytes (00 00 00) after the ninth number
    int garbageBytes = 0;     // noise bytes before every marker (never 12, so never a marker)
    bool splitFrames = false; // hand each frame to the line in two or three pieces
};

// A running three-phase motor as the instrument sees it: a 30 kW four-pole motor at about three
// quarters load on a 220 V phase voltage, with slow load swings and a little noise. Everything is
// a function of the seed and the frame number, so that a test can regenerate what was sent.
class SimulatedInstrument {
public:
    explicit SimulatedInstrument(std::uint32_t seed = 1, FrameFormat format = {});

    // The instrument sits behind transformers: its inputs see the motor's values divided by them.
    void setTransformerRatios(float ct, float pt);
    // Mean load in percent of the rated power.
    void setLoadPercent(float percent) { load_ = percent / 100.0f; }
    const FrameFormat& format() const { return format_; }

    // The nine values at the instrument's inputs for frame k (before the three-byte rounding).
    ChannelRowValues measuredValues(std::uint64_t k) const;
    // The bytes on the line for frame k: garbage, marker, nine numbers, trailer.
    QByteArray frameBytes(std::uint64_t k) const;
    // The values the frame carries, as the program decodes them.
    ChannelRowValues sentValues(std::uint64_t k) const;
    // Where frame k is cut into pieces for the line (offsets inside frameBytes(k)), when the
    // format splits frames.
    std::vector<int> splitPoints(std::uint64_t k) const;

private:
    double noise(std::uint64_t k, std::uint32_t channel) const; // in [-1, 1)

    std::uint32_t seed_;
    FrameFormat format_;
    float ct_ = 1;
    float pt_ = 1;
    float load_ = 0.75f;
};

// Writes a frame's nine numbers in the instrument's format after the marker.
QByteArray EncodeFrame(const ChannelRowValues& values, bool trailer);

} // namespace zr5::sim
