#include "model/instrumentnumber.h"

#include <cmath>

namespace zr5 {

float DecodeInstrumentNumber(float high, float low, float exponentByte) {
    float m = (high * 256.0f + low) / 65536.0f;
    if (exponentByte > 127.0f) {
        m = -m;
        exponentByte -= 128.0f;
    }
    if (exponentByte >= 64.0f)
        return static_cast<float>(double(m) / std::pow(2.0, 128.0 - double(exponentByte)));
    return static_cast<float>(std::pow(2.0, double(exponentByte)) * double(m));
}

float DecodeInstrumentBytes(const std::uint8_t* b) {
    return DecodeInstrumentNumber(float(b[1]), float(b[0]), float(b[2]));
}

void EncodeInstrumentNumber(float value, std::uint8_t* bytes) {
    bytes[0] = bytes[1] = bytes[2] = 0;
    if (value == 0.0f || std::isnan(value))
        return;
    const bool negative = value < 0.0f;
    double magnitude = std::fabs(double(value));
    // magnitude = fraction * 2^exponent with fraction in [0.5, 1).
    int exponent = 0;
    double fraction = std::frexp(magnitude, &exponent);
    long mantissa = std::lround(fraction * 65536.0);
    if (mantissa >= 65536) {
        mantissa = 32768;
        ++exponent;
    }
    if (exponent > 63) {
        exponent = 63;
        mantissa = 65535;
    }
    if (exponent < -64) {
        // Below the smallest normal number: shift the mantissa down; it may vanish to zero.
        mantissa = std::lround(magnitude / std::pow(2.0, -64.0) * 65536.0);
        exponent = -64;
        if (mantissa == 0)
            return;
    }
    bytes[0] = static_cast<std::uint8_t>(mantissa & 0xFF);
    bytes[1] = static_cast<std::uint8_t>((mantissa >> 8) & 0xFF);
    bytes[2] = static_cast<std::uint8_t>((exponent & 0x7F) | (negative ? 0x80 : 0));
}

ChannelRowValues DecodeFrameNumbers(const std::uint8_t* bytes) {
    ChannelRowValues values{};
    for (std::size_t k = 0; k < kFrameNumbers; ++k)
        values[k] = DecodeInstrumentBytes(bytes + 3 * k);
    return values;
}

void ApplyTransformerRatios(ChannelRowValues& v, float ctRatio, float ptRatio) {
    const float powerRatio = ctRatio * ptRatio;
    for (int c = 0; c < 3; ++c) {
        v[3 * c] *= ctRatio;
        v[3 * c + 1] *= ptRatio;
        v[3 * c + 2] *= powerRatio;
    }
}

bool IsPossibleReading(const ChannelRowValues& v) {
    constexpr float kLargestPower = kLargestReading * kLargestReading / 1000.0f; // kW
    for (std::size_t c = 0; c < 3; ++c) {
        const float current = std::fabs(v[3 * c]);
        const float voltage = std::fabs(v[3 * c + 1]);
        const float power = std::fabs(v[3 * c + 2]);
        // Written so that a NaN fails every test.
        if (!(current < kLargestReading && voltage < kLargestReading && power <= kLargestPower))
            return false;
    }
    return true;
}

} // namespace zr5
