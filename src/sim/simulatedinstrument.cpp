#include "sim/simulatedinstrument.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/instrumentnumber.h"

namespace zr5::sim {

namespace {

// SplitMix64: a small, well-mixed hash, so that frame k looks the same on every run.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

constexpr float kRatedCurrent = 56.8f;  // A
constexpr float kPhaseVoltage = 220.0f; // V
constexpr float kNoLoadShare = 0.35f;   // no-load current against the rated current
constexpr std::uint8_t kNoiseNeverMarker = 0x12;

} // namespace

QByteArray EncodeFrame(const ChannelRowValues& values, bool trailer) {
    QByteArray out;
    out.reserve(33);
    out.append(reinterpret_cast<const char*>(kFrameMarker), 3);
    for (float v : values) {
        std::uint8_t b[3];
        EncodeInstrumentNumber(v, b);
        out.append(reinterpret_cast<const char*>(b), 3);
    }
    if (trailer)
        out.append(3, '\0');
    return out;
}

SimulatedInstrument::SimulatedInstrument(std::uint32_t seed, FrameFormat format)
    : seed_(seed), format_(format) {}

void SimulatedInstrument::setTransformerRatios(float ct, float pt) {
    ct_ = ct > 0 ? ct : 1;
    pt_ = pt > 0 ? pt : 1;
}

double SimulatedInstrument::noise(std::uint64_t k, std::uint32_t channel) const {
    const std::uint64_t h = mix(mix(k) ^ (std::uint64_t(seed_) << 32) ^ channel);
    return double(h >> 11) / double(1ull << 53) * 2.0 - 1.0;
}

ChannelRowValues SimulatedInstrument::measuredValues(std::uint64_t k) const {
    // The load swings slowly (about a minute per cycle at the line rate) around its mean.
    const double t = double(k);
    const double load = std::max(0.0, load_ + 0.08 * std::sin(2.0 * std::numbers::pi * t / 1700.0) +
                                          0.01 * noise(k, 9));
    const double pf = std::clamp(0.35 + 0.52 * std::sqrt(std::min(load, 1.2)), 0.1, 0.95);
    ChannelRowValues v{};
    for (int c = 0; c < 3; ++c) {
        const double phaseShift = 1.0 + 0.015 * (c - 1);
        const double current = kRatedCurrent * (kNoLoadShare + (1.0 - kNoLoadShare) * load) *
                               phaseShift * (1.0 + 0.004 * noise(k, 3 * c));
        const double voltage = kPhaseVoltage * (1.0 + 0.006 * noise(k, 3 * c + 1));
        const double power = current * voltage * pf * (1.0 + 0.002 * noise(k, 3 * c + 2)) / 1000.0;
        // A running induction motor draws a lagging current. The instrument carries that in the
        // current's sign: a channel's reactive power takes the sign of its current, and a negative
        // power factor reads "L" (inductive), as the help explains.
        v[3 * c] = float(-current / ct_);
        v[3 * c + 1] = float(voltage / pt_);
        v[3 * c + 2] = float(power / (ct_ * pt_));
    }
    return v;
}

QByteArray SimulatedInstrument::frameBytes(std::uint64_t k) const {
    QByteArray out;
    for (int i = 0; i < format_.garbageBytes; ++i) {
        auto b = std::uint8_t(mix(k * 7919 + std::uint64_t(i) + (std::uint64_t(seed_) << 40)));
        if (b == kNoiseNeverMarker)
            b = 0x21;
        out.append(char(b));
    }
    out.append(EncodeFrame(measuredValues(k), format_.trailer));
    return out;
}

ChannelRowValues SimulatedInstrument::sentValues(std::uint64_t k) const {
    const QByteArray frame = EncodeFrame(measuredValues(k), false);
    return DecodeFrameNumbers(reinterpret_cast<const std::uint8_t*>(frame.constData()) + 3);
}

std::vector<int> SimulatedInstrument::splitPoints(std::uint64_t k) const {
    if (!format_.splitFrames)
        return {};
    const int size = int(frameBytes(k).size());
    const std::uint64_t h = mix(k ^ 0xA5A5A5A5ull ^ seed_);
    // Cuts inside the marker and inside the numbers are the ones that matter.
    const int first = 1 + int(h % 3);
    const int second = first + 1 + int((h >> 8) % std::uint64_t(size - first - 1));
    if (second >= size)
        return {first};
    return {first, second};
}

} // namespace zr5::sim
