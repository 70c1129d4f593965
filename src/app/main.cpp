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
#include "model/commandline.h"
#include "model/programversion.h"
#include "motor/samplecatalogue.h"
#include "settings/datadirectory.h"
#include "ui/appicon.h"
#include "ui/geometry.h"
#include "ui/services.h"

namespace {

const char kUsage[] = "用法：zr5 [--data-dir 目录] [--demo] [数据文件.MTR]\n";

struct Options {
    zr5::DataDirectory dataDirectory;
    QString recording;
    bool demo = false;
};

// Reads the command line before any window system is needed, so that --help and a wrong option
// work without a display. Returns the exit code when the program is to end at once.
std::optional<int> ReadOptions(int argc, char** argv, Options& options) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    zr5::CommandLine line(
        {{QStringLiteral("data-dir"),
          QStringLiteral("设置文件、临时数据文件和电机数据所在的目录\n"
                         "（也可用环境变量 ZR5_DATA_DIR 指定）"),
          QStringLiteral("目录")},
         {QStringLiteral("demo"),
          QStringLiteral("接上模拟仪表 zr5-sim，不用真的仪表也能试接收\n"
                         "（它模拟一台 30 kW 四极电动机，没有设定电机参数时演示就用它的参数）")},
         zr5::HelpOption(),
         zr5::VersionOption()});
    auto usageError = [](const QString& message) {
        std::fprintf(stderr, "zr5: %s；zr5 --help 列出所有选项\n", message.toUtf8().constData());
        return 2;
    };
    if (const zr5::Status parsed = line.parse(args); !parsed)
        return usageError(parsed.error());
    if (line.isSet(QStringLiteral("version")))
        return zr5::PrintVersion("zr5");
    if (line.isSet(QStringLiteral("help")))
        return zr5::PrintOnStandardOutput("zr5", QString::fromUtf8(kUsage) + line.optionsHelp());
    if (line.positional().size() > 1)
        return usageError(QStringLiteral("只能打开一个数据文件"));
    options.dataDirectory = zr5::DataDirectory::fromOption(line.value(QStringLiteral("data-dir")));
    options.demo = line.isSet(QStringLiteral("demo"));
    options.recording = line.positional().value(0);
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::optional<int> exitCode = ReadOptions(argc, argv, options))
        return *exitCode;

    zr5::NameRuntimeDirectory();
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
    if (const zr5::Status exists = dataDirectory.ensureExists(); !exists)
        messages.message(nullptr, zr5::kErrorTitle, exists.error());
    // A fresh data directory gets the sample motor catalogue; a user's own is left alone.
    else if (const zr5::Status catalogue = zr5::InstallSampleCatalogue(dataDirectory); !catalogue)
        messages.message(nullptr, zr5::kErrorTitle, catalogue.error());

    zr5::MainWindow mainWindow(state, services);
    QObject::connect(&mainWindow, &zr5::MainWindow::programEndRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    zr5::ReceptionGlue reception(mainWindow, state, services);
    zr5::DemoInstrument demoInstrument;
    if (demo) {
        // The configured port stands for the simulated instrument for this run only.
        if (const zr5::Status started = demoInstrument.start(); !started)
            messages.message(nullptr, zr5::kErrorTitle, started.error());
        else
            reception.setDeviceOverride(demoInstrument.device());
        // Without motor data of its own the demonstration measures the simulated motor.
        if (!state.model.Motor.MotorParametersValid)
            state.model.Motor = zr5::DemoInstrument::simulatedMotor();
    }
    mainWindow.show();
    if (!recording.isEmpty())
        mainWindow.openRecording(QFileInfo(recording).absoluteFilePath());
    return QApplication::exec();
}
