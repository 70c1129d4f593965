// Pictures of the comparison window: an 11 kW motor at 88 % against an IE3 one on a load of the
// same kind, and the same pair swapped; with a screen (DISPLAY) also the whole screen, to see that
// the window with its frame fits: zr5_compare_screenshots OUT_DIR

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "analysiswindow/analysisservices.h"
#include "compare/comparisonwindow.h"
#include "model/appstate.h"
#include "recording/synthetic.h"
#include "shotrecording.h"
#include "ui/geometry.h"

using namespace zr5;

namespace {

QString Recording(const QTemporaryDir& dir, const char* name, std::uint64_t seed,
                  const std::array<float, 7>& motor) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    return shots::WriteMotorRecording(path, seed, motor) ? path : QString();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    shots::ShotSetup setup;
    if (const int failed = setup.start(argc, argv, "zr5_compare_screenshots"))
        return failed;
    const QDir& out = setup.out;
    const QTemporaryDir& dir = setup.dir;
    const DataDirectory& data = setup.data;
    const QString before = Recording(dir, "Y160M-4.MTR", 11, {4, 11, 22.6f, 88, 8.05f, 0.45f, 380});
    const QString after = Recording(dir, "IE3.MTR", 12, {4, 11, 21.9f, 91.4f, 7.5f, 0.33f, 380});
    if (before.isEmpty() || after.isEmpty())
        return 1;
    AppState state(data);
    state.recordingOpened(before);
    test::AnalysisServices seams;
    const Result<Comparison> c = CompareRecordingFiles(before, after, data, AssessmentSettings{});
    if (!c) {
        std::fprintf(stderr, "%s\n", qPrintable(c.error()));
        return 1;
    }
    ComparisonWindow w(state, seams.services, nullptr, *c);
    w.move(10, 10);
    w.show();
    for (const char* name : {"compare", "compare-swapped"}) {
        // Let the window manager place and frame the window before the pictures are taken.
        // (Not app.exec(): quitting the application would close the window, which deletes itself.)
        QEventLoop wait;
        QTimer::singleShot(500, &wait, &QEventLoop::quit);
        wait.exec();
        w.grab().save(out.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        if (!qEnvironmentVariableIsEmpty("DISPLAY") && QGuiApplication::platformName() == "xcb")
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                out.filePath(QString::fromLatin1(name) + QStringLiteral("-screen.png")));
        w.Command1_Click();
    }
    return 0;
}
