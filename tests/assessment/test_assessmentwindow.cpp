#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "analysiswindow/analysisservices.h"
#include "assessment/assessmentwindow.h"
#include "model/appstate.h"
#include "model/figurelist.h"
#include "model/numbertext.h"
#include "motor/samplecatalogue.h"
#include "recording/synthetic.h"
#include "support/fakeservices.h"
#include "support/qtapplication.h"
#include "support/succeeded.h"
#include "support/waituntil.h"
#include "ui/chinesefont.h"

using namespace zr5;

namespace {

// A synthesised recording of an 11 kW load; `motor` replaces the rated data in its header.
QString Recording(const QTemporaryDir& dir, const char* name, const std::array<float, 7>& motor) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(test::Succeeded(WriteSyntheticRecording(path, 3000, 3600, 3)));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(8); // the motor's seven values follow the start time and the duration
    f.write(reinterpret_cast<const char*>(motor.data()), qint64(sizeof(motor)));
    return path;
}

QString Cell(const QTableWidget* t, const QString& name) {
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text().trimmed() == name)
            return t->item(r, 1)->text();
    return {};
}

} // namespace

// The same 11 kW load behind its own motor and behind a 30 kW one: the window shows the
// assessment's figures, and the verdict tells an economic motor from an oversized one.
TEST(AssessmentWindow, ShowsTheFiguresAndTellsAnOversizedMotor) {
    QTemporaryDir dir;
    const DataDirectory data(dir.filePath(QStringLiteral("data")));
    ASSERT_TRUE(test::Succeeded(data.ensureExists()));
    ASSERT_TRUE(test::Succeeded(InstallSampleCatalogue(data)));
    struct Case {
        const char* file;
        std::array<float, 7> motor;
        const char* verdictHas;
        const char* efficiencyClass;
    };
    const Case cases[] = {
        {"own.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}, "建议", "IE1"},
        {"big.MTR", {4, 30, 56.8f, 92.2f, 18.08f, 0.761f, 380}, "非经济运行区", "IE1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        AppState state(data);
        state.recordingOpened(Recording(dir, c.file, c.motor));
        test::AnalysisServices seams;
        AssessmentWindow w(state, seams.services, nullptr);
        ASSERT_TRUE(w.Command1_Click());
        EXPECT_TRUE(seams.messages.shown.empty());
        const AssessmentRun run =
            AssessRecording(state.CurrentFileName(), data, AssessmentSettings{});
        ASSERT_EQ(run.error, QString());
        EXPECT_EQ(Cell(w.table(), QStringLiteral("输入电量")),
                  FormatValue(float(run.assessment.inputEnergy)).trimmed() +
                      QStringLiteral(" kWh"));
        EXPECT_TRUE(w.verdict().contains(QString::fromUtf8(c.verdictHas)))
            << w.verdict().toStdString();
        // The settings the assessment used are kept for the next one.
        EXPECT_TRUE(QFile::exists(data.file(QStringLiteral("Assess.dat"))));
        // The measures' sections: the class of the rated data, the capacitor, the supply.
        EXPECT_EQ(Cell(w.table(), QStringLiteral("IEC 60034-30-1 效率等级")),
                  QString::fromUtf8(c.efficiencyClass));
        EXPECT_EQ(Cell(w.table(), QStringLiteral("目标功率因数")), QStringLiteral("0.950"));
        EXPECT_FALSE(Cell(w.table(), QStringLiteral("电压不平衡度最大")).isEmpty());
    }
    // The oversized motor: a smaller catalogue motor covers the load and saves.
    AppState state(data);
    state.recordingOpened(dir.filePath(QStringLiteral("big.MTR")));
    const AssessmentRun big = AssessRecording(state.CurrentFileName(), data, AssessmentSettings{});
    ASSERT_TRUE(big.assessment.rightSize);
    EXPECT_LT(big.assessment.rightSize->ratedPower, 30);
    EXPECT_GT(big.assessment.rightSize->saving.kwh, 0);
}

TEST(AssessmentWindow, ABoxThatIsNotANumberIsNamedAndNothingIsAssessed) {
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
    state.recordingOpened(Recording(dir, "a.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}));
    test::AnalysisServices seams;
    seams.messages.expecting = true;
    AssessmentWindow w(state, seams.services, nullptr);
    w.findChildren<QLineEdit*>()[0]->setText(QStringLiteral("0,05"));
    EXPECT_FALSE(w.Command1_Click());
    ASSERT_EQ(seams.messages.shown.size(), 1u);
    EXPECT_EQ(seams.messages.shown[0].title, kErrorTitle);
    EXPECT_TRUE(seams.messages.shown[0].text.startsWith(QStringLiteral("无功经济当量")));
    EXPECT_EQ(w.table()->rowCount(), 0);

    // A power factor above 1 is no target.
    w.findChildren<QLineEdit*>()[0]->setText(QStringLiteral("0.05"));
    w.findChildren<QLineEdit*>().back()->setText(QStringLiteral("1.5"));
    EXPECT_FALSE(w.Command1_Click());
    ASSERT_EQ(seams.messages.shown.size(), 2u);
    EXPECT_EQ(seams.messages.shown[1].text, QStringLiteral("目标功率因数必须大于 0 且不大于 1。"));
    EXPECT_EQ(w.table()->rowCount(), 0);
}

// 打  印 without a printer: once the user agrees, the page goes into the PDF file the user names;
// declined, nothing is written. Before an assessment there is nothing to print.
TEST(AssessmentWindow, PrintsThePageAsAPdfWhenNoPrinterIsInstalled) {
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.filePath(QStringLiteral("data")))};
    state.recordingOpened(Recording(dir, "a.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}));
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "agreed" : "declined");
        test::FakeMessages messages;
        test::FakeFileDialogs files;
        test::FakeClock clock;
        UiServices services{messages, files, clock};
        const QString pdf =
            dir.filePath(agree ? QStringLiteral("yes.pdf") : QStringLiteral("no.pdf"));
        messages.expecting = true;
        messages.answers = {agree};
        files.answers = {pdf};
        AssessmentWindow w(state, services, nullptr);
        w.printerInstalled = [] { return false; };
        auto* print = w.findChild<QPushButton*>(QStringLiteral("Command3"));
        ASSERT_NE(print, nullptr);
        EXPECT_EQ(print->text(), QStringLiteral("打  印"));
        EXPECT_FALSE(print->isEnabled());
        ASSERT_TRUE(w.Command1_Click());
        EXPECT_TRUE(print->isEnabled());
        w.Command3_Click();
        ASSERT_TRUE(test::waitUntil([&] { return !w.printing(); }, 30000));
        EXPECT_EQ(files.calls.size(), agree ? 1u : 0u);
        QFile written(pdf);
        EXPECT_EQ(written.exists(), agree);
        if (agree) {
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_TRUE(written.read(5) == "%PDF-");
        }
        // the question, and no error
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].isQuestion);
    }
}

// A damaged "Assess.dat" is named, and replaced by the window's values only when the user agrees:
// never silently overwritten with the defaults.
TEST(AssessmentWindow, ADamagedSettingsFileIsNamedAndKeptUnlessTheUserAgrees) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool agree;
        const char* named; // in the question
    };
    const Case cases[] = {
        {"bad line kept", " .05 \r\n abc \r\n .6 \r\n", false, "第 2 行不是有效的数字"},
        {"bad line replaced", " .05 \r\n abc \r\n .6 \r\n", true, "第 2 行不是有效的数字"},
        {"too big kept", QByteArray(20000, '9'), false, "有 20000 字节"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const DataDirectory data(dir.filePath(QStringLiteral("data")));
        ASSERT_TRUE(test::Succeeded(data.ensureExists()));
        ASSERT_TRUE(test::Succeeded(InstallSampleCatalogue(data)));
        const QString file = data.file(QStringLiteral("Assess.dat"));
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }
        AppState state(data);
        state.recordingOpened(Recording(dir, "a.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}));
        test::AnalysisServices seams;
        seams.messages.expecting = true;
        seams.messages.answers = {c.agree};
        AssessmentWindow w(state, seams.services, nullptr);
        EXPECT_TRUE(w.verdict().contains(file)) << w.verdict().toStdString();
        ASSERT_TRUE(w.Command1_Click());
        ASSERT_EQ(seams.messages.shown.size(), 1u);
        EXPECT_TRUE(seams.messages.shown[0].isQuestion);
        EXPECT_TRUE(seams.messages.shown[0].text.contains(file));
        EXPECT_TRUE(seams.messages.shown[0].text.contains(QString::fromUtf8(c.named)))
            << seams.messages.shown[0].text.toStdString();
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        if (c.agree) {
            // The window's values, the measures' settings after the original three.
            EXPECT_EQ(after, QByteArray(" .05 \r\n 6000 \r\n .6 \r\n 400 \r\n 550 \r\n 15 \r\n"
                                        " .5703 \r\n .95 \r\n"));
        } else {
            EXPECT_EQ(after, c.bytes);
        }
        // Asked once: the next assessment keeps to the answer.
        ASSERT_TRUE(w.Command1_Click());
        EXPECT_EQ(seams.messages.shown.size(), 1u);
    }
}

// 导出 Excel… writes the assessment shown, once there is one; a folder that cannot take the file
// is named and nothing is left.
TEST(AssessmentWindow, ExportsTheAssessmentShownAsAWorkbook) {
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.filePath(QStringLiteral("data")))};
    state.recordingOpened(Recording(dir, "a.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}));
    test::FakeMessages messages;
    test::FakeFileDialogs files;
    test::FakeClock clock;
    UiServices services{messages, files, clock};
    AssessmentWindow w(state, services, nullptr);
    auto* button = w.findChild<QPushButton*>(QStringLiteral("Command4"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("导出 Excel…"));
    EXPECT_FALSE(button->isEnabled());
    ASSERT_TRUE(w.Command1_Click());
    ASSERT_TRUE(button->isEnabled());

    const QString xlsx = dir.filePath(QStringLiteral("a-评估.xlsx"));
    files.answers = {xlsx};
    button->click();
    ASSERT_TRUE(messages.shown.empty());
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(ZR5_WORKBOOK_READER), xlsx, QStringLiteral("sheets"),
                  QStringLiteral("评估")});
    ASSERT_TRUE(reader.waitForFinished(600000));
    const QJsonObject wb = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    EXPECT_EQ(wb[QStringLiteral("sheets")].toArray(),
              (QJsonArray{QStringLiteral("概况"), QStringLiteral("评估")}));
    const std::optional<AssessmentPageInput> shown = w.pageInput();
    ASSERT_TRUE(shown);
    bool found = false;
    for (const QJsonValue& row : wb[QStringLiteral("cells")][QStringLiteral("评估")].toArray())
        if (row.toArray()[5].toString() == QStringLiteral("input_energy_kwh")) {
            found = true;
            EXPECT_EQ(row.toArray()[1].toDouble(),
                      JsonDouble(shown->run.assessment.inputEnergy).toDouble());
        }
    EXPECT_TRUE(found);

    messages.expecting = true;
    files.answers = {dir.filePath(QStringLiteral("none/b.xlsx"))};
    button->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("b.xlsx")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none"))));
}

namespace {

// Every text of the chart inside it and clear of every other, the marks' names above the plot and
// over their own part of it, and the three axes titled with their units.
void ExpectReadable(const AssessmentChartGeometry& g, QSizeF size) {
    const QRectF whole(QPointF(0, 0), size);
    QStringList texts;
    for (std::size_t i = 0; i < g.texts.size(); ++i) {
        const ChartText& t = g.texts[i];
        texts << t.text;
        EXPECT_TRUE(whole.contains(t.rect)) << t.text.toStdString();
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(t.rect.adjusted(-1, 0, 1, 0).intersects(g.texts[j].rect))
                << t.text.toStdString() << " / " << g.texts[j].text.toStdString();
    }
    for (const QRectF& name : g.markNames) {
        EXPECT_FALSE(name.intersects(g.plot));
        EXPECT_GE(name.left(), g.plot.left());
        EXPECT_LE(name.right(), g.plot.right());
    }
    for (const char* title : {"效率 %", "时间 h", "负载率 %"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(title))) << title;
}

} // namespace

// The chart's texts stay apart whatever the marks' values (together, at either end, apart) and
// however long the hours, at the chart's smallest size and at the size a 1366 x 768 screen gives
// it; at the window's smallest size the chart leaves the table all its columns.
TEST(AssessmentWindow, ChartTextsStayApartAndTheChartLeavesTheTableItsRoom) {
    const MotorParameters motor =
        MotorParameters::fromValues({4, 11, 22.6f, 88, 8.05f, 0.45f, 380});
    const struct {
        double betaJ, betaJJ, mean; // the mean in %
        double mostHours;
    } cases[] = {
        {0.775, 0.775, 77.5, 1.94},  // all three at one place
        {0.65, 0.66, 66, 8765.432},  // close together, long hours
        {0.95, 1.0, 180, 1.94},      // at the right end (the mean beyond the axis)
        {0.02, 0.03, 0, 123456.789}, // at the left end
        {0.655, 0.775, 44, 1.94},    // apart
    };
    QTemporaryDir dir;
    const DataDirectory data(dir.filePath(QStringLiteral("data")));
    ASSERT_TRUE(test::Succeeded(data.ensureExists()));
    AppState state(data);
    state.recordingOpened(Recording(dir, "a.MTR", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}));
    test::AnalysisServices seams;
    AssessmentWindow w(state, seams.services, nullptr);
    ASSERT_TRUE(w.Command1_Click());
    w.show();
    auto* chart = dynamic_cast<AssessmentChart*>(w.findChild<QWidget*>(QStringLiteral("chart")));
    ASSERT_NE(chart, nullptr);
    // The chart's sizes: its smallest, in the window as it opens, in a window filling the screen.
    std::vector<QSize> sizes = {chart->minimumSize()};
    for (const QSize window : {w.size(), QSize(1366, 740)}) {
        w.resize(window);
        QApplication::processEvents();
        sizes.push_back(chart->size());
    }
    const QFontMetricsF metrics(ChineseFont(8));
    for (const auto& c : cases) {
        RecordingAssessment a;
        a.economics = MotorEconomicsFor(motor, 0.05).economics;
        ASSERT_TRUE(a.economics);
        a.economics->betaJ = c.betaJ;
        a.economics->betaJJ = c.betaJJ;
        a.meanLoadRate = c.mean;
        a.loadBandHours = {0.1, 0.2, c.mostHours, 0.5, 0.3, 0.2, 0.1, 0.1, 0, 0, 0, 0, 0.05};
        const AssessmentChartModel model = AssessmentChartFor(a);
        for (const QSize size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << "βJ " << c.betaJ << " βJJ " << c.betaJJ << " mean " << c.mean << " at "
                         << size.width() << " x " << size.height());
            ExpectReadable(AssessmentChartLayout(model, size, metrics), size);
        }
    }
    // The window at its smallest: the chart beside the table, never over it, the table's two
    // columns in full, the chart's texts apart, and a verdict of three lines in full.
    auto* verdict = w.findChild<QLabel*>(QStringLiteral("verdict"));
    ASSERT_NE(verdict, nullptr);
    verdict->setText(w.verdict().repeated(3));
    QApplication::processEvents();
    w.resize(w.minimumSize());
    QApplication::processEvents();
    const QTableWidget* table = w.table();
    // Every control of the window apart from every other, the verdict with all its lines.
    std::vector<const QWidget*> controls;
    for (const QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisible())
            controls.push_back(c);
    EXPECT_GE(controls.size(), 12u); // table, chart, verdict, 3 x (name, box), 3 buttons
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->metaObject()->className() << " "
                << controls[i]->objectName().toStdString() << " / "
                << controls[j]->metaObject()->className() << " "
                << controls[j]->objectName().toStdString();
    EXPECT_GE(verdict->height(), verdict->heightForWidth(verdict->width()));
    EXPECT_GE(table->viewport()->width(), table->horizontalHeader()->length());
    EXPECT_GE(chart->width(), chart->minimumWidth());
    ExpectReadable(chart->layout(), chart->size());
}
