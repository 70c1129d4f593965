#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "analysiswindow/testrecording.h"
#include "compare/comparisonwindow.h"
#include "model/appstate.h"
#include "support/fakeservices.h"
#include "support/qtapplication.h"
#include "support/waituntil.h"

using namespace zr5;

namespace {

// 10 kW at 80 % (P0 0.5) at half load, 6 kW in; at 82 %, 5.9237805 kW in (see test_comparison).
struct Recordings {
    QTemporaryDir dir;
    QString before = dir.filePath("before.MTR"), after = dir.filePath("after.MTR"),
            bare = dir.filePath("bare.MTR");
    Recordings() {
        auto write = [](const QString& path, float p, std::array<float, 7> motor) {
            EXPECT_EQ(
                test::WriteTestRecording(
                    path, 360, 3600,
                    [p](qint64) { return ChannelRowValues{40, 400, p, 1, 400, 0, 1, 400, 0}; },
                    motor),
                "");
        };
        write(before, 6, {4, 10, 20, 80, 6, 0.5f, 380});
        write(after, 5.9237805f, {4, 10, 20, 82, 6, 0.5f, 380});
        write(bare, 6, {0, 0, 0, 0, 0, 0, 0});
    }
};

struct Seams {
    test::FakeMessages messages;
    test::FakeFileDialogs files;
    test::FakeClock clock;
    UiServices services{messages, files, clock};
};

QString Cell(const QTableWidget* t, const QString& name, int column) {
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text().trimmed() == name)
            return t->item(r, column)->text();
    return {};
}

} // namespace

// The open recording is the before; the user picks the after. The table, the verdict and both
// pictures show the comparison; 交  换 turns it round without reading again. A cancelled pick
// opens nothing; a recording without rated data is refused with the reason.
TEST(ComparisonWindow, OpensOnTheOpenRecordingAndSwaps) {
    Recordings r;
    AppState state{DataDirectory(r.dir.filePath("data"))};
    state.recordingOpened(r.before);
    Seams s;
    s.files.answers = {r.after};
    std::unique_ptr<ComparisonWindow> w(ComparisonWindow::open(state, s.services, nullptr));
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(s.files.calls.size(), 1u);
    EXPECT_EQ(s.files.calls[0].title, QStringLiteral("选择改造后的记录"));
    EXPECT_EQ(Cell(w->table(), QStringLiteral("输入电量（kWh）"), 1), QStringLiteral("6.000"));
    EXPECT_EQ(Cell(w->table(), QStringLiteral("输入电量（kWh）"), 2), QStringLiteral("5.924"));
    EXPECT_EQ(Cell(w->table(), QStringLiteral("输入电量（kWh）"), 3), QStringLiteral("-0.076"));
    EXPECT_EQ(Cell(w->table(), QStringLiteral("单位输出电量的输入电量（kWh/kWh）"), 2),
              QStringLiteral("1.1848"));
    // 0.0762195 kWh a recording hour, 457 kWh in 6000 h.
    EXPECT_TRUE(w->verdict().contains(QStringLiteral("由 1.2000 降为 1.1848 kWh")))
        << w->verdict().toStdString();
    EXPECT_TRUE(w->verdict().contains(QStringLiteral("年节电约 457 kWh")));
    EXPECT_TRUE(w->warnings().isEmpty());
    EXPECT_FALSE(w->chart(0)->chart().curves.empty());
    EXPECT_FALSE(w->chart(1)->chart().cells.empty());
    // Within a 1366 x 768 screen.
    EXPECT_LE(w->width(), 1366);
    EXPECT_LE(w->height(), 720);
    EXPECT_LE(w->minimumSizeHint().height(), 720);

    auto* swap = w->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(swap, nullptr);
    swap->click();
    EXPECT_TRUE(w->verdict().contains(QStringLiteral("由 1.1848 升为 1.2000 kWh")))
        << w->verdict().toStdString();
    EXPECT_NEAR(w->comparison().saving.kwh, -0.0762195, 2e-6);
    EXPECT_EQ(Cell(w->table(), QStringLiteral("输入电量（kWh）"), 1), QStringLiteral("5.924"));
    EXPECT_EQ(s.messages.shown.size(), 0u);

    Seams cancelled;
    EXPECT_EQ(ComparisonWindow::open(state, cancelled.services, nullptr), nullptr);
    EXPECT_TRUE(cancelled.messages.shown.empty());

    Seams refused;
    refused.messages.expecting = true;
    refused.files.answers = {r.bare};
    EXPECT_EQ(ComparisonWindow::open(state, refused.services, nullptr), nullptr);
    ASSERT_EQ(refused.messages.shown.size(), 1u);
    EXPECT_EQ(refused.messages.shown[0].title, kErrorTitle);
    EXPECT_TRUE(refused.messages.shown[0].text.startsWith(QStringLiteral("改造后记录")));
}

// 打  印 without a printer goes into the PDF the user names; the pictures are saved as PNG and
// SVG by the names' suffixes.
TEST(ComparisonWindow, PrintsAPdfAndExportsBothPictures) {
    Recordings r;
    AppState state{DataDirectory(r.dir.filePath("data"))};
    state.recordingOpened(r.before);
    Seams s;
    s.files.answers = {r.after};
    std::unique_ptr<ComparisonWindow> w(ComparisonWindow::open(state, s.services, nullptr));
    ASSERT_NE(w, nullptr);
    w->printerInstalled = [] { return false; };
    const QString pdf = r.dir.filePath("c.pdf"), png = r.dir.filePath("d.png"),
                  svg = r.dir.filePath("e.svg");
    s.messages.expecting = true;
    s.messages.answers = {true};
    s.files.answers = {pdf, png, svg};
    w->Command3_Click();
    ASSERT_TRUE(test::waitUntil([&] { return !w->printing(); }, 30000));
    w->exportPicture(0);
    w->exportPicture(1);
    const std::pair<QString, QByteArray> files[] = {
        {pdf, "%PDF-"}, {png, "\x89PNG"}, {svg, "<?xml"}};
    for (const auto& [path, head] : files) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_TRUE(f.read(head.size()) == head) << path.toStdString();
    }
    // The question whether to write a PDF, and no error.
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_TRUE(s.messages.shown[0].isQuestion);
}
