// The live table: what a received row and a repaint write into the fifteen boxes.

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include "mainwindow/livetable.h"
#include "mainwindow/mainwindow.h"
#include "support/guitest.h"
#include "ui/geometry.h"

namespace zr5::test {
namespace {

class LiveTableTest : public WindowTest {
protected:
    LiveTableTest() : window(state, services) {
        window.show();
        QCoreApplication::processEvents();
    }

    QStringList boxTexts() {
        QStringList t;
        for (int k = 0; k < LiveTable::kBoxCount; ++k)
            t << window.liveTable().box(k)->text();
        return t;
    }
    QString label(int k) {
        auto* l = window.findChild<QLabel*>(QStringLiteral("Label2_%1").arg(k));
        return l ? l->text() : QStringLiteral("<missing>");
    }

    // A received row completed by the row routine, written into the model and the table as the
    // reception does.
    void receive(ChannelRowValues channels, float elapsed) {
        SampleRowValues row{};
        std::copy(channels.begin(), channels.end(), row.begin());
        ChannelRowValues out{};
        const Result<LiveTableRow> done =
            ProcessSampleRow(state.model, 36000 + elapsed, 36000, elapsed, row, out);
        ASSERT_TRUE(done) << done.error().toStdString();
        state.model.SampleRow = row;
        window.showRow(*done);
    }

    MainWindow window;
};

TEST_F(LiveTableTest, AtStartARepaintShowsZeros) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.liveTable().box(0)->text().isEmpty(); }));
    const QStringList t = boxTexts();
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(t[k], QStringLiteral(" 0.000")) << k;
    for (int k = 12; k < 15; ++k)
        EXPECT_EQ(t[k], QStringLiteral(" 0 ")) << k;
}

TEST_F(LiveTableTest, NegativePowerKeepsItsSignNegativeCurrentShowsItsMagnitude) {
    // Channel 2's current is negative: shown without sign, but its reactive power counts
    // negative, and with P positive the power factor is inductive.
    receive({10, 230, 2, -30, 230, 1, 10, 230, 2}, 12);
    const QStringList t = boxTexts();
    EXPECT_EQ(t[3], QStringLiteral(" 30.000"));
    EXPECT_EQ(t[2], QStringLiteral(" 5.000"));
    EXPECT_EQ(label(10), QStringLiteral("L"));

    // Generating with all currents negative: P and Q both negative, so the label is "C"; the
    // reactive power and the currents show as magnitudes.
    receive({-10, 230, -2, -10, 230, -1.5f, -10, 230, -2}, 12);
    EXPECT_EQ(window.liveTable().box(2)->text(), QStringLiteral(" -5.500"));
    EXPECT_EQ(window.liveTable().box(0)->text(), QStringLiteral(" 10.000"));
    EXPECT_FALSE(window.liveTable().box(5)->text().contains('-'));
    EXPECT_EQ(label(10), QStringLiteral("C"));
}

struct TextCase {
    const char* what;
    int index;
    float value;
    const char* text;
};
void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.what;
}

class BoxTexts : public LiveTableTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(BoxTexts, ValuesShowWithThreeDecimals) {
    const TextCase& c = GetParam();
    LiveTableRow row;
    row.values[c.index] = c.value;
    window.showRow(row);
    EXPECT_EQ(window.liveTable().box(c.index)->text(), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BoxTexts,
    ::testing::Values(TextCase{"apparent_power_rounds_up", 9, 12.3456f, " 12.346"},
                      TextCase{"rounds_down", 0, 1.2344f, " 1.234"},
                      TextCase{"negative_power", 2, -0.5f, " -0.500"},
                      TextCase{"tiny_negative_power_has_no_sign", 2, -0.0001f, " 0.000"},
                      TextCase{"largest_five_digits", 1, 99999.99f, " 99999.992"},
                      TextCase{"no_grouping", 7, 12345.5f, " 12345.500"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(LiveTableTest, EveryBoxShowsItsWholeTextSmallerOnlyWhenItDoesNotFit) {
    for (const float value : {0.5f, 99999.99f, 100299.894f, 1000000.0f, 123456792.0f}) {
        LiveTableRow row;
        row.values.fill(value);
        row.elapsed.ElapsedHours = 10000;
        window.showRow(row);
        for (int k = 0; k < LiveTable::kBoxCount; ++k) {
            const PictureBox* box = window.liveTable().box(k);
            SCOPED_TRACE(box->text().toStdString());
            const int width = box->contentsRect().width();
            EXPECT_LE(QFontMetrics(box->textFont()).horizontalAdvance(box->text()), width);
            if (QFontMetrics(box->font()).horizontalAdvance(box->text()) <= width) {
                EXPECT_EQ(box->textFont(), box->font());
            }
        }
    }
    // What the user sees: the last digit of a large value inside the box.
    const PictureBox* box = window.liveTable().box(10);
    EXPECT_EQ(box->text(), QStringLiteral(" 123456792.000"));
    EXPECT_LT(QFontMetrics(box->textFont()).height(), QFontMetrics(box->font()).height());
}

TEST_F(LiveTableTest, ElapsedTimeShowsHoursMinutesSeconds) {
    receive({0, 0, 0, 0, 0, 0, 0, 0, 0}, 3700);
    const QStringList t = boxTexts();
    EXPECT_EQ(t[12], QStringLiteral(" 1 "));
    EXPECT_EQ(t[13], QStringLiteral(" 1 "));
    EXPECT_EQ(t[14], QStringLiteral(" 40 "));
    // A row of zeros: power factor 1, capacitive label.
    EXPECT_EQ(t[8], QStringLiteral(" 1.000"));
    EXPECT_EQ(label(10), QStringLiteral("C"));
}

TEST_F(LiveTableTest, ARepaintShowsTheLastReceivedRowWhateverTheAnalysisLeftInTheModel) {
    // Eight seconds at 27 kW, then an analysis that leaves its own row, time and W·h behind.
    receive({40, 230, 9, 40, 230, 9, 40, 230, 9}, 8);
    const QStringList received = boxTexts();
    state.model.SampleRow = {-1.5f, 230, -7.25f, 2, 231, -3, 3, 232, 0.8f, 9, 60728, 1234};
    state.model.ElapsedTime = 125;
    window.liveTable().powerFactorLabel()->setText(QStringLiteral("L"));
    window.Picture1_Paint(6);
    EXPECT_EQ(boxTexts(), received);
    // Uncovering a box redraws from the same row.
    window.liveTable().box(4)->repaint();
    EXPECT_EQ(boxTexts(), received);
}

TEST_F(LiveTableTest, CloseClearsTheBoxesUncoveringOneBoxBringsTheRowBack) {
    receive({10, 230, 2, 10, 230, 2, 10, 230, 2}, 30);
    const QStringList before = boxTexts();
    window.mnuCLOSE_Click();
    for (const QString& text : boxTexts())
        EXPECT_TRUE(text.isEmpty());
    // Let the clearing paint; the boxes stay empty.
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.liveTable().box(0)->text().isEmpty());

    // The window uncovers one box: all fifteen are drawn again from the row, which Close kept.
    window.liveTable().box(4)->repaint();
    EXPECT_EQ(boxTexts(), before);
}

} // namespace
} // namespace zr5::test
