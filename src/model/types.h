#pragma once

#include <array>
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
