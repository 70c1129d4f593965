#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace zr5 {

// The finished row: twelve quantities indexed as everywhere in the program (currents, voltages,
// totals, power factor, apparent power, energies).
using SampleRowValues = std::array<float, 12>;
// The nine transformer-scaled channel values of one sample, in the instrument's order.
using ChannelRowValues = std::array<float, 9>;
// One running maximum or minimum per SampleRow index.
using ExtremaValues = std::array<float, 12>;

constexpr int kSampleRowSize = 12;
constexpr int kChannelRowSize = 9;

// The slots of a SampleRow (and of the extrema, which keep one value per slot).
namespace Slot {
enum : int {
    Current1 = 0,
    Voltage1 = 1,
    ActivePower = 2, // total active power, kW, signed
    Current2 = 3,
    Voltage2 = 4,
    ReactivePower = 5, // total reactive power, kVar
    Current3 = 6,
    Voltage3 = 7,
    PowerFactor = 8,
    ApparentPower = 9,
    ActiveEnergy = 10,
    ReactiveEnergy = 11,
};
} // namespace Slot

// The slots of a ChannelRow: current, voltage and active power of each channel.
namespace Channel {
constexpr int current(int channel) {
    return 3 * channel;
}
constexpr int voltage(int channel) {
    return 3 * channel + 1;
}
constexpr int activePower(int channel) {
    return 3 * channel + 2;
}
} // namespace Channel

// The value a slot shows and keeps as extremum: the total active power keeps its sign, every
// other quantity is a magnitude.
inline float ShownValue(int slot, float value) {
    return slot == Slot::ActivePower ? value : std::fabs(value);
}

// The ten curve kinds, which also index the per-kind axis tables and the curve surfaces.
namespace Curve {
enum : int {
    Current1 = 0,
    Current2 = 1,
    Current3 = 2,
    Voltage1 = 3,
    Voltage2 = 4,
    Voltage3 = 5,
    ActivePower = 6,
    PowerFactor = 7,
    Efficiency = 8,
    LoadRate = 9,
};
} // namespace Curve

// Colours as 24-bit values with red in the low byte.
namespace Colour {
constexpr std::uint32_t Black = 0;
constexpr std::uint32_t Red = 255;
constexpr std::uint32_t Green = 65280;
constexpr std::uint32_t Blue = 16711680;
constexpr std::uint32_t White = 16777215;
constexpr std::uint32_t LightGrey = 12632256;
} // namespace Colour

// Sign as -1, 0 or +1.
constexpr float Sgn(float x) {
    return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
}

} // namespace zr5
