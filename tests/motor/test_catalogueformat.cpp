// The catalogue's record and line formats, the rated voltage ranges and the GBK texts.

#include <gtest/gtest.h>

#include <string>

#include "motor/catalogueformat.h"
#include "motor/gbktext.h"
#include "support/testnames.h"

namespace zr5 {
namespace {

struct VoltageCase {
    int code;
    float volts;
};

class RatedVoltage : public ::testing::TestWithParam<VoltageCase> {};

TEST_P(RatedVoltage, FollowsTheCodeRange) {
    EXPECT_EQ(RatedVoltageForCode(GetParam().code), GetParam().volts) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    RangeBoundaries, RatedVoltage,
    ::testing::Values(VoltageCase{1, 380}, VoltageCase{4874, 380}, VoltageCase{4875, 3000},
                      VoltageCase{5151, 3000}, VoltageCase{5152, 3300}, VoltageCase{5154, 3300},
                      VoltageCase{5155, 6000}, VoltageCase{6894, 6000}, VoltageCase{6895, 6600},
                      VoltageCase{6896, 6600}, VoltageCase{6897, 10000}, VoltageCase{6915, 10000},
                      VoltageCase{6916, 110}, VoltageCase{6922, 110}, VoltageCase{6923, 115},
                      VoltageCase{6924, 115}, VoltageCase{6925, 220}, VoltageCase{6931, 220},
                      VoltageCase{6932, 230}, VoltageCase{6933, 283.5f}, VoltageCase{6934, 253.5f},
                      VoltageCase{6935, 100}, VoltageCase{0, 0}, VoltageCase{6936, 0},
                      VoltageCase{-1, 0}),
    [](const auto& info) {
        const int code = info.param.code;
        return code < 0 ? std::string("code_minus_1") : "code_" + std::to_string(code);
    });

TEST(CatalogueRecord, DecodesThePoleByteAndFiveGroupsInFileOrder) {
    // 00 80 01 = 1.0, 00 C0 03 = 6.0, 00 80 81 = -1.0, 00 80 7F = 0.25, 00 00 00 = 0.
    const std::uint8_t bytes[16] = {4,    0x00, 0x80, 0x01, 0x00, 0xC0, 0x03, 0x00,
                                    0x80, 0x81, 0x00, 0x80, 0x7F, 0x00, 0x00, 0x00};
    const CatalogueRecord r = DecodeCatalogueRecord(bytes, 6933);
    EXPECT_EQ(r.Poles, 4.0f);
    EXPECT_EQ(r.RatedPower, 1.0f);
    EXPECT_EQ(r.RatedCurrent, 6.0f);
    EXPECT_EQ(r.RatedEfficiency, -1.0f);
    EXPECT_EQ(r.NoLoadCurrent, 0.25f);
    EXPECT_EQ(r.NoLoadPower, 0.0f);
    EXPECT_EQ(r.RatedVoltage, 283.5f);
}

TEST(CatalogueRecord, PoleByteIsUnsigned) {
    std::uint8_t bytes[16] = {200};
    EXPECT_EQ(DecodeCatalogueRecord(bytes, 1).Poles, 200.0f);
}

TEST(CatalogueRecord, EncodesToBytesThatDecodeToTheNearestValues) {
    CatalogueRecord r;
    r.Poles = 4;
    r.RatedPower = 7.5f;
    r.RatedCurrent = 15.4f;
    r.RatedEfficiency = 87.0f;
    r.NoLoadCurrent = 5.89f;
    r.NoLoadPower = 0.336f;
    const auto bytes = EncodeCatalogueRecord(r);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(bytes[15], 0x7F); // 0.336 = 0.672 * 2^-1: exponent -1, sign clear
    const CatalogueRecord back = DecodeCatalogueRecord(bytes.data(), 35);
    const auto want = r.values();
    const auto got = back.values();
    for (int i = 1; i < 6; ++i)
        EXPECT_NEAR(got[i], want[i], want[i] * 1.6e-5f) << i;
    EXPECT_EQ(back.RatedVoltage, 380.0f);
}

TEST(CatalogueRecord, OffsetsOfTheFirstAndLastCodes) {
    EXPECT_EQ(CatalogueRecordOffset(1), 0);
    EXPECT_EQ(CatalogueRecordOffset(6935), 110944);
    EXPECT_EQ(kCatalogueFileSize, 110960);
}

struct LineCase {
    const char* name;
    const char* text;
    bool parses;
    int first;
    int second;
    const char* rest;
};

class CatalogueLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CatalogueLines, TwoNumbersThenTheRestOfTheLine) {
    const LineCase& c = GetParam();
    const auto line = ParseCatalogueLine(QString::fromUtf8(c.text));
    ASSERT_EQ(line.has_value(), c.parses) << c.text;
    if (!c.parses)
        return;
    EXPECT_EQ(line->first, c.first);
    EXPECT_EQ(line->second, c.second);
    EXPECT_EQ(line->name, QString::fromUtf8(c.rest));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CatalogueLines,
    ::testing::Values(LineCase{"category line", "1,103,Y系列(IP44) 380V B3", true, 1, 103,
                               "Y系列(IP44) 380V B3"},
                      LineCase{"blanks and commas kept", "  12 , 34 ,  Y132M-4, B35, 1440", true,
                               12, 34, "  Y132M-4, B35, 1440"},
                      LineCase{"empty name", "5,5,", true, 5, 5, ""},
                      LineCase{"signs and a trailing blank", "-3,+4,x ", true, -3, 4, "x "},
                      LineCase{"largest 16 bit number", "32767,1,x", true, 32767, 1, "x"},
                      LineCase{"beyond 16 bits", "32768,1,x", false, 0, 0, ""},
                      LineCase{"letters for a number", "abc,1,x", false, 0, 0, ""},
                      LineCase{"one comma only", "1,2", false, 0, 0, ""},
                      LineCase{"fraction for a number", "1.5,2,x", false, 0, 0, ""},
                      LineCase{"empty line", "", false, 0, 0, ""},
                      LineCase{"commas only", ",,", false, 0, 0, ""}),
    zr5::test::ByName());

TEST(CatalogueLines, WrittenInGbkWithCrLf) {
    const Result<QByteArray> bytes = CatalogueLineBytes(1, 103, QStringLiteral("电机"));
    ASSERT_TRUE(bytes) << bytes.error().toStdString();
    EXPECT_EQ(*bytes, QByteArray("1,103,\xB5\xE7\xBB\xFA\r\n"));
}

struct ListTextCase {
    int position;
    const char* text;
};

class ModelListTexts : public ::testing::TestWithParam<ListTextCase> {};

TEST_P(ModelListTexts, NumberPaddedToFiveCharacters) {
    EXPECT_EQ(ModelListText(GetParam().position, QStringLiteral("Y132M-4")),
              QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Padding, ModelListTexts,
    ::testing::Values(ListTextCase{1, "  (1).Y132M-4"}, ListTextCase{7, "  (7).Y132M-4"},
                      ListTextCase{12, " (12).Y132M-4"}, ListTextCase{123, "(123).Y132M-4"},
                      ListTextCase{6935, "(6935).Y132M-4"}),
    [](const auto& info) { return "position_" + std::to_string(info.param.position); });

TEST(Gbk, IsAvailableInThisBuild) {
    EXPECT_TRUE(GbkAvailable());
}

// Both converters, where this build has them, must give the same bytes and texts.
class GbkConverters : public ::testing::TestWithParam<GbkConverter> {
protected:
    void SetUp() override {
        if (!GbkAvailable(GetParam()))
            GTEST_SKIP() << "this converter is not part of this build";
    }
};

TEST_P(GbkConverters, RoundTripOfTheCatalogueCharacters) {
    const QString text =
        QStringLiteral("三相异步电动机 YE3系列(三级能效) 低压小型电机 100～283.5V，高压");
    const Result<QByteArray> bytes = EncodeGbk(text, GetParam());
    ASSERT_TRUE(bytes) << bytes.error().toStdString();
    qsizetype expected = 0; // one byte for ASCII, two for every other character
    for (QChar c : text)
        expected += c.unicode() < 0x80 ? 1 : 2;
    EXPECT_EQ(bytes->size(), expected);
    const Result<QString> decoded = DecodeGbk(*bytes, GetParam());
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(*decoded, text);
    EXPECT_EQ(DecodeGbkLossy(*bytes, GetParam()), text);
}

TEST_P(GbkConverters, KnownCodePoints) {
    EXPECT_EQ(*EncodeGbk(QStringLiteral("电机极数"), GetParam()),
              QByteArray("\xB5\xE7\xBB\xFA\xBC\xAB\xCA\xFD"));
    EXPECT_EQ(*DecodeGbk(QByteArray("\xB6\xEE\xB6\xA8"), GetParam()), QStringLiteral("额定"));
    EXPECT_EQ(*EncodeGbk(QStringLiteral("Y132M-4"), GetParam()), QByteArray("Y132M-4"));
}

TEST_P(GbkConverters, BrokenBytesAreReported) {
    const QByteArray bytes("A\xB5"); // a lead byte alone
    const Result<QString> decoded = DecodeGbk(bytes, GetParam());
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error(), QStringLiteral("文字含有 GBK 以外的字节"));
    EXPECT_TRUE(DecodeGbkLossy(bytes, GetParam()).startsWith(QLatin1Char('A')));
}

TEST_P(GbkConverters, CharactersWithoutAGbkFormAreReported) {
    const Result<QByteArray> encoded = EncodeGbk(QStringLiteral("Y132M \U0001F600"), GetParam());
    ASSERT_FALSE(encoded);
    EXPECT_EQ(encoded.error(), QStringLiteral("“Y132M \U0001F600”含有 GBK 以外的字符"));
}

INSTANTIATE_TEST_SUITE_P(Both, GbkConverters,
                         ::testing::Values(GbkConverter::Qt, GbkConverter::Iconv),
                         [](const auto& info) {
                             return std::string(info.param == GbkConverter::Qt ? "Qt" : "Iconv");
                         });

} // namespace
} // namespace zr5
