// Confirming and cancelling the motor data, apart from the dialog's widgets.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "analysis/operatingpoint.h"
#include "catalogtestfiles.h"
#include "motor/motorconfirm.h"

namespace zr5 {
namespace {

using Outcome = MotorConfirmation::Outcome;

std::array<QString, 7> Boxes(std::initializer_list<const char*> texts) {
    std::array<QString, 7> boxes;
    std::size_t i = 0;
    for (const char* t : texts)
        boxes[i++] = QString::fromUtf8(t);
    return boxes;
}

const std::array<QString, 7> kCustom = Boxes({"4", "7.5", "15.4", "87", "5.9", "0.33", "380"});

MotorParameters Existing() {
    MotorParameters m = MotorParameters::fromValues({2, 3, 6.8f, 82.5f, 3, 0.2f, 380});
    m.MotorParametersValid = true;
    m.RatedLosses = 0.636f;
    return m;
}

class Confirm : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteCatalogue(dir, {test::Entry(1, QStringLiteral("甲"), QStringLiteral("Y132M-4"),
                                               4, 7.5f, 15.4f, 87.0f, 5.89f, 0.336f),
                                   test::Entry(2, QStringLiteral("甲"), QStringLiteral("Y160M-4"),
                                               4, 11, 22.6f, 88, 8, 0.45f)});
    }
    QTemporaryDir temp;
    DataDirectory dir{temp.path()};
};

TEST_F(Confirm, CustomDataWithAllSevenValuesIsStoredAndTheLossesFollow) {
    MotorParameters m;
    const auto r = ConfirmMotorData(m, dir, QStringLiteral("0"), kCustom);
    EXPECT_EQ(r.outcome, Outcome::Accepted);
    EXPECT_FALSE(r.boxTexts.has_value()); // typed boxes are not reformatted
    EXPECT_TRUE(m.MotorParametersValid);
    EXPECT_EQ(m.values(), (std::array<float, 7>{4, 7.5f, 15.4f, 87, 5.9f, 0.33f, 380}));
    EXPECT_NEAR(m.RatedLosses, 1.1207f, 1e-4f);
}

TEST_F(Confirm, RefusedCustomDataSayWhichBoxAndWhyAndChangeNothingButTheFlag) {
    struct Case {
        int box;
        const char* typed;
        const char* message;
    };
    for (const Case c : {
             Case{5, "0", "“空载功率”为 0，电机参数未确认！"},
             Case{5, "0,4", "“空载功率”的“0,4”不是数字：小数点请用“.”，电机参数未确认！"},
             Case{1, "abc", "“额定功率”的“abc”不是数字，电机参数未确认！"},
             Case{6, " ", "“额定电压”未填写，电机参数未确认！"},
             Case{2, "1e60", "“额定电流”的“1e60”超出范围，电机参数未确认！"},
         }) {
        SCOPED_TRACE(c.typed);
        auto boxes = kCustom;
        boxes[std::size_t(c.box)] = QString::fromUtf8(c.typed);
        MotorParameters m = Existing();
        const auto r = ConfirmMotorData(m, dir, QStringLiteral("0"), boxes);
        EXPECT_EQ(r.outcome, Outcome::Incomplete);
        EXPECT_EQ(r.message, QString::fromUtf8(c.message));
        EXPECT_TRUE(r.confirmed.isEmpty());
        EXPECT_FALSE(m.MotorParametersValid);
        EXPECT_EQ(m.values(), Existing().values());
    }
    // Accepted data say what was taken: the catalogue's designation, or custom data.
    MotorParameters m;
    EXPECT_EQ(ConfirmMotorData(m, dir, QStringLiteral("0"), kCustom).confirmed,
              QStringLiteral("已确认：自定义数据，7.5 kW"));
    EXPECT_EQ(ConfirmMotorData(m, dir, QStringLiteral("2"), kCustom).confirmed,
              QStringLiteral("已确认：Y160M-4，11 kW"));
}

// Data no motor can have are refused with the value and the reason, in the dialog and when a
// recording carries them: there the analysis says the same instead of what follows from them.
TEST_F(Confirm, ImpossibleDataAreRefusedNamingTheValueAndWhy) {
    struct Case {
        int box;
        const char* typed;
        const char* message; // empty: accepted
    };
    for (const Case c : {
             Case{1, "-11", "额定功率 -11 kW 不合理：应大于 0"},
             Case{2, "-15.4", "额定电流 -15.4 A 不合理：应大于 0"},
             Case{3, "150", "额定效率 150% 不合理：应大于 0 且小于 100"},
             Case{3, "100", "额定效率 100% 不合理：应大于 0 且小于 100"},
             Case{3, "-87", "额定效率 -87% 不合理：应大于 0 且小于 100"},
             Case{4, "-5.9", "空载电流 -5.9 A 不合理：应大于 0"},
             Case{4, "15.4", "空载电流 15.4 A 不合理：应小于额定电流 15.4 A"},
             Case{4, "20", "空载电流 20 A 不合理：应小于额定电流 15.4 A"},
             Case{6, "-380", "额定电压 -380 V 不合理：应大于 0"},
             Case{3, "99.9", ""},
             Case{4, "15.3", ""},
         }) {
        SCOPED_TRACE(std::to_string(c.box) + " " + c.typed);
        auto boxes = kCustom;
        boxes[std::size_t(c.box)] = QString::fromUtf8(c.typed);
        const QString expected = QString::fromUtf8(c.message);
        MotorParameters m = Existing();
        const auto r = ConfirmMotorData(m, dir, QStringLiteral("0"), boxes);
        EXPECT_EQ(r.outcome, expected.isEmpty() ? Outcome::Accepted : Outcome::Incomplete);
        EXPECT_EQ(r.message, expected.isEmpty() ? QString() : expected + "，电机参数未确认！");
        EXPECT_EQ(m.MotorParametersValid, expected.isEmpty());
        if (!expected.isEmpty()) {
            EXPECT_EQ(m.values(), Existing().values());
        }

        // The same values read from a recording's header.
        std::array<float, 7> values{};
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = boxes[i].toFloat();
        MotorParameters recorded = MotorParameters::fromValues(values);
        recorded.revalidate();
        EXPECT_EQ(recorded.MotorParametersValid, expected.isEmpty());
        if (!expected.isEmpty()) {
            EXPECT_EQ(DescribeMotorState(MotorState::NoMotorData, recorded, {}).caption, expected);
        }
    }
}

TEST_F(Confirm, CodesOutsideTheCatalogueOrNotNumbersAreOutOfRange) {
    for (const char* code : {"6936", "-1", "abc", "", "6935.5", "1e12", "12abc"}) {
        MotorParameters m = Existing();
        const auto r = ConfirmMotorData(m, dir, QString::fromUtf8(code), kCustom);
        EXPECT_EQ(r.outcome, Outcome::CodeOutOfRange) << code;
        EXPECT_EQ(r.message, QStringLiteral("编码错误，请重新输入！"));
        EXPECT_EQ(m.values(), Existing().values()) << code; // the dialog's cancel clears them
    }
}

TEST_F(Confirm, CodeTextRoundsToTheNearestTiesToEven) {
    EXPECT_EQ(ParseMotorCode(QStringLiteral(" 35 ")), 35);
    EXPECT_EQ(ParseMotorCode(QStringLiteral("0.5")), 0);
    EXPECT_EQ(ParseMotorCode(QStringLiteral("1.5")), 2);
    EXPECT_EQ(ParseMotorCode(QStringLiteral("2.5")), 2);
    EXPECT_EQ(ParseMotorCode(QStringLiteral("6934.5")), 6934);
    EXPECT_EQ(ParseMotorCode(QStringLiteral("x")), std::nullopt);
    // 0.5 rounds to the custom code: the typed values are taken.
    MotorParameters m;
    EXPECT_EQ(ConfirmMotorData(m, dir, QStringLiteral("0.5"), kCustom).outcome, Outcome::Accepted);
    EXPECT_EQ(m.RatedPower, 7.5f);
}

TEST_F(Confirm, ACatalogueCodeIsLookedUpAndShownWithThreeDecimals) {
    MotorParameters m;
    const auto r =
        ConfirmMotorData(m, dir, QStringLiteral("1"), Boxes({"0", "0", "0", "0", "0", "0", "0"}));
    ASSERT_EQ(r.outcome, Outcome::Accepted);
    ASSERT_TRUE(r.boxTexts.has_value());
    EXPECT_EQ((*r.boxTexts)[0], QStringLiteral(" 4.000"));
    EXPECT_EQ((*r.boxTexts)[1], QStringLiteral(" 7.500"));
    EXPECT_EQ((*r.boxTexts)[3], QStringLiteral(" 87.000"));
    EXPECT_EQ((*r.boxTexts)[6], QStringLiteral(" 380.000"));
    EXPECT_TRUE(m.MotorParametersValid);
    EXPECT_NEAR(m.RatedCurrent, 15.4f, 1e-3f);
    EXPECT_EQ(m.RatedVoltage, 380.0f);
    EXPECT_NEAR(m.RatedLosses, 7.5f * (100.0f / 87.0f - 1.0f), 1e-3f);
}

TEST_F(Confirm, ACatalogueRecordWithAZeroStillSetsPolesAndVoltage) {
    QByteArray record(16, '\0');
    record[0] = 6;
    test::WriteBytes(dir.file(kCatalogueRecordFile), record + record);
    MotorParameters m = Existing();
    const auto r = ConfirmMotorData(m, dir, QStringLiteral("2"), kCustom);
    EXPECT_EQ(r.outcome, Outcome::Incomplete);
    EXPECT_EQ(r.message, QStringLiteral("编码 2 的技术数据不全：“额定功率”为 0，电机参数未确认！"));
    EXPECT_FALSE(m.MotorParametersValid);
    EXPECT_EQ(m.Poles, 6.0f);
    EXPECT_EQ(m.RatedVoltage, 380.0f);
    EXPECT_EQ(m.RatedPower, Existing().RatedPower);
    EXPECT_EQ(m.NoLoadPower, Existing().NoLoadPower);
    ASSERT_TRUE(r.boxTexts.has_value());
    EXPECT_EQ((*r.boxTexts)[1], QStringLiteral(" 0.000"));
}

TEST_F(Confirm, AnUnreadableCatalogueGivesItsMessageAndClearsTheFlag) {
    MotorParameters m = Existing();
    const auto r = ConfirmMotorData(m, dir, QStringLiteral("3"), kCustom); // past the file's end
    EXPECT_EQ(r.outcome, Outcome::CatalogueFailed);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_FALSE(m.MotorParametersValid);
    EXPECT_EQ(m.Poles, Existing().Poles);
}

TEST(CustomCodeText, OnlyANumberEqualToZero) {
    for (const char* yes : {"0", "00", "0.0", "-0", " 0 "})
        EXPECT_TRUE(IsCustomCodeText(QString::fromUtf8(yes))) << yes;
    for (const char* no : {"", "12", "0.3", "abc", "0x"})
        EXPECT_FALSE(IsCustomCodeText(QString::fromUtf8(no))) << no;
}

TEST(MotorTexts, StoredValuesShowAsPlainNumbers) {
    const auto texts =
        PlainMotorTexts(MotorParameters::fromValues({4, 7.5f, 15.4f, 87, 0, 0.336f, 380}));
    EXPECT_EQ(texts[0], QStringLiteral("4"));
    EXPECT_EQ(texts[1], QStringLiteral("7.5"));
    EXPECT_EQ(texts[2], QStringLiteral("15.4"));
    EXPECT_EQ(texts[4], QStringLiteral("0"));
    EXPECT_EQ(texts[5], QStringLiteral("0.336"));
}

TEST(MotorTexts, ClearingSetsEveryValueToZero) {
    MotorParameters m = Existing();
    ClearMotorData(m);
    EXPECT_FALSE(m.MotorParametersValid);
    EXPECT_EQ(m.values(), (std::array<float, 7>{}));
    EXPECT_EQ(m.RatedLosses, 0.0f);
}

// The last code of the catalogue is looked up like any other and gets the 100 V of its range;
// the next one is refused before the catalogue is read.
TEST(ConfirmLastCode, SixThousandNineHundredThirtyFiveIsTheLastCatalogueEntry) {
    QTemporaryDir temp;
    const DataDirectory dir{temp.path()};
    test::WriteCatalogue(dir, {test::Entry(1, QStringLiteral("甲"), QStringLiteral("Y132M-4"), 4,
                                           7.5f, 15.4f, 87.0f, 5.89f, 0.336f)});
    // Every record empty but the last.
    CatalogueRecord r;
    r.Poles = 2;
    r.RatedPower = 0.5f;
    r.RatedCurrent = 4;
    r.RatedEfficiency = 75;
    r.NoLoadCurrent = 2;
    r.NoLoadPower = 0.125f;
    const auto last16 = EncodeCatalogueRecord(r);
    QByteArray records(kCatalogueFileSize - kCatalogueRecordSize, '\0');
    records.append(reinterpret_cast<const char*>(last16.data()), kCatalogueRecordSize);
    test::WriteBytes(dir.file(kCatalogueRecordFile), records);
    const auto zeros = Boxes({"0", "0", "0", "0", "0", "0", "0"});
    MotorParameters m;
    const auto last = ConfirmMotorData(m, dir, QStringLiteral("6935"), zeros);
    ASSERT_EQ(last.outcome, Outcome::Accepted) << last.message.toStdString();
    ASSERT_TRUE(last.boxTexts.has_value());
    const std::array<QString, 7> shown{QStringLiteral(" 2.000"),  QStringLiteral(" 0.500"),
                                       QStringLiteral(" 4.000"),  QStringLiteral(" 75.000"),
                                       QStringLiteral(" 2.000"),  QStringLiteral(" 0.125"),
                                       QStringLiteral(" 100.000")};
    EXPECT_EQ(QStringList(last.boxTexts->begin(), last.boxTexts->end()).join(u'|').toStdString(),
              QStringList(shown.begin(), shown.end()).join(u'|').toStdString());
    EXPECT_EQ(m.values(), (std::array<float, 7>{2, 0.5f, 4, 75, 2, 0.125f, 100}));
    EXPECT_TRUE(m.MotorParametersValid);
    EXPECT_FLOAT_EQ(m.RatedLosses, 0.5f / 3); // 0.5 x (100 / 75 - 1)

    MotorParameters after = m;
    const auto next = ConfirmMotorData(after, dir, QStringLiteral("6936"), zeros);
    EXPECT_EQ(next.outcome, Outcome::CodeOutOfRange);
    EXPECT_EQ(next.message, QStringLiteral("编码错误，请重新输入！"));
}

} // namespace
} // namespace zr5
