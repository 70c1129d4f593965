#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "link/framescanner.h"
#include "model/instrumentnumber.h"
#include "support/testnames.h"

namespace zr5 {
namespace {

using Bytes = std::vector<std::uint8_t>;

ChannelRowValues frameValues(int k) {
    ChannelRowValues v{};
    for (int i = 0; i < 9; ++i)
        v[i] = float(k * 10 + i + 1);
    return v;
}

Bytes numbers(const ChannelRowValues& v) {
    Bytes out;
    for (float x : v) {
        std::uint8_t b[3];
        EncodeInstrumentNumber(x, b);
        out.insert(out.end(), b, b + 3);
    }
    return out;
}

Bytes frame(int k, Bytes trailer = {}) {
    Bytes out{0x12, 0x34, 0x56};
    const Bytes n = numbers(frameValues(k));
    out.insert(out.end(), n.begin(), n.end());
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Feeds the stream in chunks of the given size and collects the first value of every frame.
std::vector<float> scanInChunks(const Bytes& stream, std::size_t chunk) {
    FrameScanner scanner;
    std::vector<float> firsts;
    ChannelRowValues v;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        scanner.feed(stream.data() + at, std::min(chunk, stream.size() - at));
        while (scanner.next(v))
            firsts.push_back(v[0]);
    }
    return firsts;
}

struct ScanCase {
    const char* name;
    Bytes stream;
    std::vector<float> expectedFirsts; // value 0 of each frame found
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(FrameScan, FindsTheSameFramesWhateverTheChunkSize) {
    const ScanCase& c = GetParam();
    for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(30),
                              std::size_t(33), std::size_t(4096)}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(scanInChunks(c.stream, chunk), c.expectedFirsts);
    }
}

const Bytes kTrailer{0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Streams, FrameScan,
    ::testing::Values(
        ScanCase{"WithTrailer",
                 join({frame(0, kTrailer), frame(1, kTrailer), frame(2, kTrailer)}),
                 {1, 11, 21}},
        ScanCase{"WithoutTrailerNoFrameLost",
                 join({frame(0), frame(1), frame(2), frame(3)}),
                 {1, 11, 21, 31}},
        ScanCase{"GarbageBetweenFrames",
                 join({Bytes{0xFF, 0x00, 0x34, 0x56}, frame(0), Bytes{0x99, 0x12, 0x34, 0x99},
                       frame(1), Bytes{0x56, 0x56}, frame(2)}),
                 {1, 11, 21}},
        // 12 fails as 34 and is not tried again as 12: this marker is missed, the next is used.
        ScanCase{
            "DoubledFirstMarkerByteMissesThatFrame", join({Bytes{0x12}, frame(0), frame(1)}), {11}},
        // 12 34 then 12: the 12 fails as 56 and is not tried again as 12, so the marker that
        // starts with it is missed as well.
        ScanCase{
            "MarkerAfterAHalfMarkerIsMissed", join({Bytes{0x12, 0x34}, frame(0), frame(1)}), {11}},
        ScanCase{"MarkerBytesInsideTheNumbersAreData",
                 join({Bytes{0x12, 0x34, 0x56}, Bytes(27, 0x12), frame(1)}),
                 {18504, 11}},
        ScanCase{
            "IncompleteLastFrameWaits", join({frame(0), Bytes{0x12, 0x34, 0x56, 1, 2, 3}}), {1}},
        ScanCase{"NothingButNoise", Bytes(1000, 0xAB), {}}),
    test::ByName());

TEST(FrameScanner, DecodesAllNineNumbers) {
    FrameScanner scanner;
    const Bytes f = frame(4);
    scanner.feed(f.data(), f.size());
    ChannelRowValues v;
    ASSERT_TRUE(scanner.next(v));
    EXPECT_EQ(v, frameValues(4));
    EXPECT_FALSE(scanner.next(v));
    EXPECT_EQ(scanner.framesFound(), 1u);
}

TEST(FrameScanner, MarkerSplitAcrossChunksStillMatches) {
    FrameScanner scanner;
    const Bytes f = frame(2);
    ChannelRowValues v;
    scanner.feed(f.data(), 2); // 12 34
    EXPECT_FALSE(scanner.next(v));
    scanner.feed(f.data() + 2, 1); // 56
    EXPECT_FALSE(scanner.next(v));
    scanner.feed(f.data() + 3, 26); // all but the last byte of the numbers
    EXPECT_FALSE(scanner.next(v));
    scanner.feed(f.data() + 29, 1);
    ASSERT_TRUE(scanner.next(v));
    EXPECT_EQ(v, frameValues(2));
}

TEST(FrameScanner, MemoryStaysBoundedOverALongStream) {
    FrameScanner scanner;
    Bytes block;
    for (int k = 0; k < 100; ++k)
        block = join({block, Bytes{0xEE, 0xEE}, frame(k, kTrailer)});
    std::size_t mostHeld = 0;
    ChannelRowValues v;
    std::uint64_t frames = 0;
    for (int round = 0; round < 2000; ++round) { // 7 MB in all
        scanner.feed(block.data(), block.size());
        while (scanner.next(v))
            ++frames;
        mostHeld = std::max(mostHeld, scanner.bytesHeld());
    }
    EXPECT_EQ(frames, 200000u);
    EXPECT_EQ(scanner.bytesReceived(), std::uint64_t(block.size()) * 2000);
    EXPECT_EQ(scanner.bytesSkipped(), 2000u * 100u * 5u); // two noise bytes, three trailer bytes
    EXPECT_LT(mostHeld, 30u);
}

TEST(FrameScanner, CountsPastTwoToTheTwentyFourBytes) {
    FrameScanner scanner;
    const Bytes noise(1 << 20, 0x00);
    ChannelRowValues v;
    for (int i = 0; i < 20; ++i) {
        scanner.feed(noise.data(), noise.size());
        EXPECT_FALSE(scanner.next(v));
    }
    const Bytes f = frame(3);
    scanner.feed(f.data(), f.size());
    ASSERT_TRUE(scanner.next(v));
    EXPECT_EQ(v, frameValues(3));
    EXPECT_EQ(scanner.bytesReceived(), 20u * (1u << 20) + 30u);
    EXPECT_EQ(scanner.bytesHeld(), 0u);
}

TEST(FrameScanner, ClearForgetsAPartialMarker) {
    FrameScanner scanner;
    const Bytes partial{0x12, 0x34};
    scanner.feed(partial.data(), partial.size());
    ChannelRowValues v;
    EXPECT_FALSE(scanner.next(v));
    scanner.clear();
    // Without the clear, 56 would complete the old marker.
    const Bytes rest = join({Bytes{0x56}, Bytes(27, 1)});
    scanner.feed(rest.data(), rest.size());
    EXPECT_FALSE(scanner.next(v));
    EXPECT_EQ(scanner.bytesReceived(), 28u);
}

} // namespace
} // namespace zr5

namespace zr5 {
namespace {

// A frame cut short by a glitch: its marker and the first `kept` bytes of its numbers.
Bytes cutFrame(int k, std::size_t kept) {
    Bytes f = frame(k);
    f.resize(3 + kept);
    return f;
}

Bytes framesFromTo(int first, int last) {
    Bytes out;
    for (int k = first; k <= last; ++k) {
        const Bytes f = frame(k);
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

struct DropCase {
    const char* name;
    Bytes stream;
    std::vector<float> expectedFirsts; // value 0 of each frame kept
    std::uint64_t expectedDropped;
};

void PrintTo(const DropCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedFrame : public ::testing::TestWithParam<DropCase> {};

// As the reception does: a frame whose numbers no measurement gives is dropped, and the scan goes
// on inside it.
TEST_P(DamagedFrame, IsDroppedAndTheNextFrameKept) {
    const DropCase& c = GetParam();
    for (std::size_t chunk : {std::size_t(1), std::size_t(5), std::size_t(30), std::size_t(4096)}) {
        SCOPED_TRACE(chunk);
        FrameScanner scanner;
        std::vector<float> firsts;
        ChannelRowValues v;
        for (std::size_t at = 0; at < c.stream.size(); at += chunk) {
            scanner.feed(c.stream.data() + at, std::min(chunk, c.stream.size() - at));
            while (scanner.next(v)) {
                if (IsPossibleReading(v))
                    firsts.push_back(v[0]);
                else
                    scanner.dropLast();
            }
        }
        EXPECT_EQ(firsts, c.expectedFirsts);
        EXPECT_EQ(scanner.framesDropped(), c.expectedDropped);
        EXPECT_EQ(scanner.framesFound(), c.expectedFirsts.size());
    }
}

// Frame k starts with the value 10 k + 1. The 16-byte glitch is a marker and 13 bytes of
// numbers: read as a frame, the next frame's marker becomes the exponent of its fifth number
// (0x34 = 2^52), a voltage of about 10^15 V.
INSTANTIATE_TEST_SUITE_P(
    Streams, DamagedFrame,
    ::testing::Values(DropCase{"sixteen byte glitch before frame 11",
                               join({framesFromTo(1, 10), cutFrame(99, 13), framesFromTo(11, 12)}),
                               {11, 21, 31, 41, 51, 61, 71, 81, 91, 101, 111, 121},
                               1},
                      DropCase{"two glitches in a row",
                               join({framesFromTo(1, 1), cutFrame(98, 13), cutFrame(99, 13),
                                     framesFromTo(2, 3)}),
                               {11, 21, 31},
                               2},
                      DropCase{"whole frames only", framesFromTo(1, 4), {11, 21, 31, 41}, 0}),
    test::ByName());

struct ReadingCase {
    const char* name;
    ChannelRowValues scaled;
    bool possible;
};

void PrintTo(const ReadingCase& c, std::ostream* os) {
    *os << c.name;
}

class Reading : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(Reading, IsPossibleOnlyWithinTheInstrumentsRanges) {
    EXPECT_EQ(IsPossibleReading(GetParam().scaled), GetParam().possible);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The limits: currents and voltages below 100000, an active power up to 100000 V × 100000 A.
INSTANTIATE_TEST_SUITE_P(
    Rows, Reading,
    ::testing::Values(
        ReadingCase{"ordinary motor", {22.6f, 380, 4.1f, 22.1f, 381, 4, -21.9f, 379, 3.9f}, true},
        ReadingCase{"largest current and voltage", {-99999, 99999, 0, 0, 0, 0, 0, 0, 0}, true},
        ReadingCase{"largest power", {0, 0, -1.0e7f, 0, 0, 0, 0, 0, 0}, true},
        ReadingCase{"voltage of 100000 V", {0, 0, 0, 0, 100000, 0, 0, 0, 0}, false},
        ReadingCase{"negative current of 100000 A", {0, 0, 0, 0, 0, 0, -100000, 0, 0}, false},
        ReadingCase{
            "power beyond any current and voltage", {0, 0, 0, 0, 0, 0, 0, 0, -1.1e7f}, false},
        ReadingCase{"current not a number", {kNaN, 380, 1, 0, 0, 0, 0, 0, 0}, false},
        ReadingCase{"infinite voltage", {1, 380, 1, 1, kInf, 1, 0, 0, 0}, false},
        ReadingCase{"infinite power", {1, 380, 1, 1, 380, 1, 1, 380, -kInf}, false}),
    test::ByName());

} // namespace
} // namespace zr5
