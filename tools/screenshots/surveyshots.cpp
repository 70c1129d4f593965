// Pictures of the survey window: a plant of 30 motors in four departments, each recorded for
// eight hours, assessed and ranked; then one department alone, and the table sorted by load rate;
// and the report the window writes as PDF and as a workbook (survey.pdf, survey.xlsx).
// With a screen (DISPLAY) also the whole screen, to see that the window with its frame fits:
// zr5_survey_screenshots OUT_DIR

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "model/appstate.h"
#include "shotrecording.h"
#include "support/fakeservices.h"
#include "survey/surveystore.h"
#include "survey/surveywindow.h"
#include "ui/geometry.h"

using namespace zr5;

namespace {

void Settle() {
    // Let the window manager place and frame the window before a picture is taken.
    QEventLoop wait;
    QTimer::singleShot(500, &wait, &QEventLoop::quit);
    wait.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    shots::ShotSetup setup;
    if (const int failed = setup.start(argc, argv, "zr5_survey_screenshots"))
        return failed;
    const QDir& out = setup.out;
    const QTemporaryDir& dir = setup.dir;
    const DataDirectory& data = setup.data;
    // Motors of the sample catalogue's sizes: rated poles, kW, A, %, no-load A and kW, V.
    const std::array<float, 7> motors[] = {{4, 11, 22.6f, 88, 8.05f, 0.45f, 380},
                                           {4, 30, 56.8f, 92.2f, 18.08f, 0.761f, 380},
                                           {4, 15, 30.1f, 88.5f, 10.2f, 0.55f, 380},
                                           {2, 22, 42.2f, 89, 12.5f, 0.7f, 380}};
    const char* const departments[] = {"循环水泵房", "空压站", "原料车间", "成品车间"};
    const char* const kinds[] = {"循环水泵", "空压机", "引风机", "输送机", "搅拌机"};
    auto survey = SurveyDatabase::open(dir.filePath(QStringLiteral("示范厂.zr5survey")),
                                       SurveyDatabase::Open::CreateIfMissing);
    if (!survey) {
        std::fprintf(stderr, "%s\n", qPrintable(survey.error()));
        return 1;
    }
    for (int d = 0; d < 4; ++d) {
        QStringList files;
        for (int m = d; m < 30; m += 4) {
            const QString tag =
                QStringLiteral("%1#%2").arg(m + 1).arg(QString::fromUtf8(kinds[m % 5]));
            const QString path = dir.filePath(QStringLiteral("%1/%2/r.MTR").arg(d).arg(tag));
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!shots::WriteMotorRecording(path, std::uint64_t(100 + m), motors[(m * 7) % 4]))
                return 1;
            files << path;
        }
        const ImportOptions options{QStringLiteral("示范厂"), QString::fromUtf8(departments[d]),
                                    QString()};
        if (const auto added = ImportRecordings(**survey, files, options); !added) {
            std::fprintf(stderr, "%s\n", qPrintable(added.error()));
            return 1;
        }
    }
    SurveyAssessOptions options;
    options.jobs = 2;
    if (const auto assessed = AssessSurvey(**survey, data, options); !assessed) {
        std::fprintf(stderr, "%s\n", qPrintable(assessed.error()));
        return 1;
    }
    const QString location = (*survey)->shown();
    survey->reset();

    AppState state(data);
    test::FakeMessages messages;
    test::FakeFileDialogs files;
    test::FakeClock clock;
    UiServices services{messages, files, clock};
    SurveyWindow w(state, services, nullptr, [](const QString&) { return false; });
    w.move(10, 10);
    w.show();
    if (!w.openSurvey(location, SurveyDatabase::Open::Existing))
        return 1;
    auto shot = [&](const char* name) {
        Settle();
        w.grab().save(out.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        if (!qEnvironmentVariableIsEmpty("DISPLAY") && QGuiApplication::platformName() == "xcb")
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                out.filePath(QString::fromLatin1(name) + QStringLiteral("-screen.png")));
    };
    shot("survey");
    w.departmentFilter()->setCurrentIndex(2);
    shot("survey-department");
    w.departmentFilter()->setCurrentIndex(0);
    w.motorView()->horizontalHeader()->setSortIndicator(SurveyMotorModel::LoadRate,
                                                        Qt::AscendingOrder);
    shot("survey-sorted");
    files.answers = {out.filePath(QStringLiteral("survey.pdf")),
                     out.filePath(QStringLiteral("survey.xlsx"))};
    w.Command8_Click();
    while (w.printing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    w.Command9_Click();
    for (const test::ShownMessage& m : messages.shown)
        std::fprintf(stderr, "%s: %s\n", qPrintable(m.title), qPrintable(m.text));
    return messages.shown.empty() ? 0 : 1;
}
