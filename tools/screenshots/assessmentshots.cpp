// Pictures of the assessment window for a motor that suits its load and for an oversized one, as
// it opens and at its smallest:
// zr5_assessment_screenshots OUT_DIR

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "analysiswindow/analysisservices.h"
#include "assessment/assessmentwindow.h"
#include "model/appstate.h"
#include "recording/synthetic.h"
#include "shotrecording.h"
#include "ui/geometry.h"

using namespace zr5;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    shots::ShotSetup setup;
    if (const int failed = setup.start(argc, argv, "zr5_assessment_screenshots"))
        return failed;
    const QDir& out = setup.out;
    const QTemporaryDir& dir = setup.dir;
    const DataDirectory& data = setup.data;
    const struct {
        const char* name;
        std::array<float, 7> motor;
    } cases[] = {{"assessment-11kW", {4, 11, 22.6f, 88, 8.05f, 0.45f, 380}},
                 {"assessment-30kW-oversized", {4, 30, 56.8f, 92.2f, 18.08f, 0.761f, 380}}};
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".MTR"));
        if (!shots::WriteMotorRecording(path, 11, c.motor))
            return 1;
        AppState state(data);
        state.recordingOpened(path);
        test::AnalysisServices seams;
        AssessmentWindow w(state, seams.services, nullptr);
        w.show();
        if (!w.Command1_Click())
            return 1;
        QApplication::processEvents();
        w.grab().save(out.filePath(QString::fromLatin1(c.name) + QStringLiteral(".png")));
        // And at the smallest size the window can take.
        w.resize(w.minimumSize());
        QApplication::processEvents();
        w.grab().save(out.filePath(QString::fromLatin1(c.name) + QStringLiteral("-smallest.png")));
    }
    return 0;
}
