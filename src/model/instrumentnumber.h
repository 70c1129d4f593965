#pragma once

#include <cstddef>
#include <cstdint>

#include "model/types.h"

namespace zr5 {

// The instrument's three-byte number: mantissa low byte, mantissa high byte, then the sign bit
// (128) plus a 7-bit two's-complement exponent. Each byte is passed as a float holding 0..255.
float DecodeInstrumentNumber(float high, float low, float exponentByte);

// Decodes one number from its three bytes in sending order.
float DecodeInstrumentBytes(const std::uint8_t* bytes);

// The nearest three-byte number to a value (for the simulated instrument and the sample catalogue).
// Values beyond the format's range saturate; zero encodes as 00 00 00.
void EncodeInstrumentNumber(float value, std::uint8_t* bytes);

// A sample frame carries nine numbers after its marker: 27 bytes.
constexpr std::size_t kFrameNumbers = 9;
constexpr std::size_t kFrameNumberBytes = 27;
constexpr std::uint8_t kFrameMarker[3] = {0x12, 0x34, 0x56};
// The line carries 960 bytes a second (9600 baud, ten bits a byte) and a frame is at least its
// marker and numbers: no recording holds more rows a second than this.
constexpr double kMostFramesPerSecond = 960.0 / 30.0;

// Decodes the 27 bytes after a marker into the nine channel values (unscaled).
ChannelRowValues DecodeFrameNumbers(const std::uint8_t* bytes);

// Scales received values by the transformer ratios: currents by the CT ratio, voltages by the PT
// ratio, active powers by both.
void ApplyTransformerRatios(ChannelRowValues& values, float ctRatio, float ptRatio);

// The largest current (A) or voltage (V) a row can hold: the extrema of a reception start at
// plus and minus this, and the live table shows five integer digits.
constexpr float kLargestReading = 100000.0f;

// False for scaled values no measurement can give: a number that is not finite, a current or a
// voltage of kLargestReading or more, or an active power beyond what such a current and voltage
// carry. A damaged frame decodes so; it is dropped, not recorded.
bool IsPossibleReading(const ChannelRowValues& scaled);

} // namespace zr5
