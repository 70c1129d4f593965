// zr5: the desktop program of the ZR-5 tester.

#include <QApplication>
#include <QFileInfo>
#include <QTranslator>
#include <cstdio>
#include <optional>

#include "link/demoinstrument.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/receptionglue.h"
#include "model/appstate.h"
#include "model/programversion.h"
#include "motor/samplecatalogue.h"
#include "settings/datadirectory.h"
#include "ui/appicon.h"
#include "ui/geometry.h"
#include "ui/services.h"

namespace {

const char* const kUsage = "用法：zr5 [--data-dir 目录] [--demo] [数据文件.MTR]\n"
                           "  --data-dir 目录  设置文件、临时数据文件和电机数据所在的目录\n"
                           "                  （也可用环境变量 ZR5_DATA_DIR 指定）\n"
                           "  --demo          接上模拟仪表 zr5-sim，不用真的仪表也能试接收\n"
                           "  --version       显示版本号\n";

int usageError(const QString& message) {
    std::fprintf(stderr, "zr5: %s\n%s", message.toUtf8().constData(), kUsage);
    return 2;
}

struct Options {
    zr5::DataDirectory dataDirectory;
    QString recording;
    bool demo = false;
};

// Reads the command line before any window system is needed, so that --help and a wrong option
// work without a display. Returns the exit code when the program is to end at once.
std::optional<int> ReadOptions(int argc, char** argv, Options& options) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString error;
    options.dataDirectory = zr5::DataDirectory::fromArguments(args, &error);
    if (!error.isEmpty())
        return usageError(error);
    options.demo = args.removeAll(QStringLiteral("--demo")) > 0;
    for (const QString& a : std::as_const(args)) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a.startsWith(QLatin1Char('-')))
            return usageError(QStringLiteral("不认识的选项 %1").arg(a));
        if (!options.recording.isEmpty())
            return usageError(QStringLiteral("只能打开一个数据文件"));
        options.recording = a;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (zr5::PrintVersionIfAsked(argc, argv, "zr5"))
        return 0;
    Options options;
    if (const std::optional<int> exitCode = ReadOptions(argc, argv, options))
        return *exitCode;

    QApplication app(argc, argv);
    // Windows open at their fixed places, but never partly off a small screen.
    zr5::KeepWindowsOnScreen(app);
    QApplication::setApplicationName(QStringLiteral("zr5"));
    QApplication::setApplicationVersion(QString::fromLatin1(zr5::ProgramVersion()));
    QApplication::setWindowIcon(zr5::ApplicationIcon());
    QApplication::setDesktopFileName(QStringLiteral("zr5")); // the menu entry of the same icon

    // The standard dialogs and buttons speak Chinese, as the rest of the program does.
    QTranslator qtTranslations;
    zr5::UseChineseTexts(qtTranslations);
    const zr5::DataDirectory& dataDirectory = options.dataDirectory;
    const QString& recording = options.recording;
    const bool demo = options.demo;

    zr5::QtMessageService messages;
    zr5::QtFileDialogService fileDialogs;
    zr5::SystemClock clock;
    zr5::UiServices services{messages, fileDialogs, clock};

    zr5::AppState state(dataDirectory);
    if (const QString problem = dataDirectory.ensureExists(); !problem.isEmpty())
        messages.message(nullptr, zr5::kErrorTitle, problem);
    // A fresh data directory gets the sample motor catalogue; a user's own is left alone.
    else if (const QString catalogue = zr5::InstallSampleCatalogue(dataDirectory);
             !catalogue.isEmpty())
        messages.message(nullptr, zr5::kErrorTitle, catalogue);

    zr5::MainWindow mainWindow(state, services);
    QObject::connect(&mainWindow, &zr5::MainWindow::programEndRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    zr5::ReceptionGlue reception(mainWindow, state, services);
    zr5::DemoInstrument demoInstrument;
    if (demo) {
        // The configured port stands for the simulated instrument for this run only.
        if (const QString problem = demoInstrument.start(); !problem.isEmpty())
            messages.message(nullptr, zr5::kErrorTitle, problem);
        else
            reception.setDeviceOverride(demoInstrument.device());
    }
    mainWindow.show();
    if (!recording.isEmpty())
        mainWindow.openRecording(QFileInfo(recording).absoluteFilePath());
    return QApplication::exec();
}
