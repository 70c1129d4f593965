#include <gtest/gtest.h>

#include <cmath>

#include "model/instrumentnumber.h"

using namespace zr5;

namespace {

struct DecodeCase {
    std::uint8_t bytes[3];
    float value;
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, BytesInSendingOrderDecodeToTheValue) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(DecodeInstrumentBytes(c.bytes), c.value);
    // The routine itself takes high, low and exponent as floats.
    EXPECT_EQ(DecodeInstrumentNumber(c.bytes[1], c.bytes[0], c.bytes[2]), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, DecodeTable,
    ::testing::Values(DecodeCase{{0x40, 0xBE, 0x09}, 380.5f},
                      DecodeCase{{0x40, 0xBE, 0x89}, -380.5f},
                      DecodeCase{{0x00, 0xC8, 0x08}, 200.0f},
                      DecodeCase{{0x71, 0xC5, 0x04}, 12.340087890625f},
                      DecodeCase{{0x00, 0x80, 0x00}, 0.5f}, DecodeCase{{0x00, 0x80, 0x7F}, 0.25f},
                      DecodeCase{{0x00, 0x80, 0xFF}, -0.25f},
                      // the catalogue's groups
                      DecodeCase{{0x00, 0x80, 0x01}, 1.0f}, DecodeCase{{0x00, 0xC0, 0x03}, 6.0f},
                      DecodeCase{{0x00, 0x80, 0x81}, -1.0f},
                      // a zero mantissa is zero whatever the exponent
                      DecodeCase{{0x00, 0x00, 0x3F}, 0.0f}, DecodeCase{{0x00, 0x00, 0xC0}, 0.0f},
                      // the ends of the range: 2^-80 and just under 2^63
                      DecodeCase{{0x01, 0x00, 0x40}, 0x1p-80f},
                      DecodeCase{{0xFF, 0xFF, 0x3F}, 65535.0f / 65536.0f * 0x1p63f}));

TEST(InstrumentNumber, EncodingRoundTripsRepresentableValues) {
    for (float v : {380.5f, -380.5f, 200.0f, 12.340087890625f, 0.5f, 0.25f, -0.25f, 1.0f, 6.0f,
                    0.0f, 1e-10f, -98765.0f, 3.0e18f}) {
        std::uint8_t bytes[3];
        EncodeInstrumentNumber(v, bytes);
        const float back = DecodeInstrumentBytes(bytes);
        EXPECT_NEAR(back, v, std::fabs(v) / 65536.0f) << v;
    }
}

TEST(InstrumentNumber, EncodingSaturatesBeyondTheRange) {
    std::uint8_t bytes[3];
    EncodeInstrumentNumber(1e30f, bytes);
    EXPECT_EQ(bytes[2], 63);
    EXPECT_GT(DecodeInstrumentBytes(bytes), 9e18f);
    EncodeInstrumentNumber(1e-30f, bytes);
    EXPECT_EQ(DecodeInstrumentBytes(bytes), 0.0f);
}

TEST(Frame, NineNumbersDecodeInChannelOrderAndScaleByTheRatios) {
    // channel 1: 2.5 A, 380.5 V, 0.5 kW; channels 2 and 3 the same values negated where possible.
    const float sent[9] = {2.5f, 380.5f, 0.5f, -2.5f, 200.0f, 0.25f, 1.0f, 6.0f, -0.25f};
    std::uint8_t frame[27];
    for (int k = 0; k < 9; ++k)
        EncodeInstrumentNumber(sent[k], frame + 3 * k);
    ChannelRowValues row = DecodeFrameNumbers(frame);
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(row[k], sent[k]) << k;

    ApplyTransformerRatios(row, 40.0f, 1.0f);
    EXPECT_EQ(row[0], 100.0f); // 2.5 A through a CT of 40
    EXPECT_EQ(row[2], 20.0f);  // 0.5 kW times 40 x 1
    EXPECT_EQ(row[1], 380.5f);
    EXPECT_EQ(row[3], -100.0f);

    ChannelRowValues both = DecodeFrameNumbers(frame);
    ApplyTransformerRatios(both, 2.0f, 10.0f);
    EXPECT_EQ(both[1], 3805.0f);
    EXPECT_EQ(both[2], 10.0f);
    EXPECT_EQ(both[6], 2.0f);
}

} // namespace
