#include <gtest/gtest.h>

#include "model/numbertext.h"

using namespace zr5;

namespace {

struct TextCase {
    double value;
    const char* text;
};

class FormatValueTable : public ::testing::TestWithParam<TextCase> {};
TEST_P(FormatValueTable, LeadingBlankAndThreeDecimals) {
    EXPECT_EQ(FormatValue(float(GetParam().value)), QString::fromUtf8(GetParam().text));
}
INSTANTIATE_TEST_SUITE_P(
    Values, FormatValueTable,
    ::testing::Values(
        TextCase{0, " 0.000"}, TextCase{0.5, " 0.500"}, TextCase{12.3456, " 12.346"},
        TextCase{12345.678, " 12345.678"}, TextCase{1234567, " 1234567.000"},
        TextCase{-2.5, " -2.500"}, TextCase{-0.0001, " 0.000"}, TextCase{70.15617, " 70.156"},
        // ties between two decimals go to the even one
        TextCase{0.0625, " 0.062"}, TextCase{0.1875, " 0.188"}, TextCase{1234.5625, " 1234.562"},
        // the float nearest 2.0005 lies below it, that of
        // 0.0005 above
        TextCase{2.0005, " 2.000"}, TextCase{0.0005, " 0.001"}, TextCase{-0.0005, " -0.001"},
        TextCase{1e-45, " 0.000"},
        TextCase{3.4028234663852886e38, " 340282346638528859811704183484516925440.000"}));

class PlainNumberTable : public ::testing::TestWithParam<TextCase> {};
TEST_P(PlainNumberTable, SevenSignificantDigitsAndAZeroBeforeThePoint) {
    EXPECT_EQ(PlainNumber(float(GetParam().value)), QString::fromUtf8(GetParam().text));
}
INSTANTIATE_TEST_SUITE_P(
    Values, PlainNumberTable,
    ::testing::Values(TextCase{0, "0"}, TextCase{0.2, "0.2"}, TextCase{15, "15"},
                      TextCase{300, "300"}, TextCase{1.00001, "1.00001"},
                      // 0.2 added up three times in single precision still reads 0.6
                      TextCase{0.2f + 0.2f + 0.2f, "0.6"}, TextCase{-4, "-4"},
                      TextCase{1234567, "1234567"}, TextCase{1e7, "1E+07"},
                      TextCase{12345678, "1.234568E+07"}, TextCase{0.0001, "0.0001"},
                      TextCase{0.00001, "1E-05"}, TextCase{1e-7, "1E-07"}, TextCase{-0.0, "0"}));

class PrintedNumberTable : public ::testing::TestWithParam<TextCase> {};
TEST_P(PrintedNumberTable, SignPositionDigitsAndATrailingBlank) {
    EXPECT_EQ(PrintedNumber(float(GetParam().value)), QString::fromUtf8(GetParam().text));
}
INSTANTIATE_TEST_SUITE_P(Values, PrintedNumberTable,
                         ::testing::Values(TextCase{2, " 2 "}, TextCase{3600, " 3600 "},
                                           TextCase{0.5, " .5 "}, TextCase{-0.5, "-.5 "},
                                           TextCase{-3, "-3 "}, TextCase{0, " 0 "},
                                           TextCase{1e7, " 1E+07 "}, TextCase{1.5, " 1.5 "}));

TEST(NumberText, RoundTripAndShortestFormsReadBackExactly) {
    for (float v : {0.1f, 1.0f / 3.0f, 380.5f, -1.2345678e-5f, 3.4e38f, 16777217.0f}) {
        EXPECT_EQ(RoundTripNumber(v).toFloat(), v);
        EXPECT_EQ(ShortestNumber(v).toFloat(), v);
    }
    EXPECT_EQ(ShortestNumber(0.2f), QStringLiteral("0.2"));
}

} // namespace
