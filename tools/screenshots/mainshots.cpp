// Renders the main window in each of its command states, the settings dialog, the help window
// and the about box into PNG files, off screen.

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "help/aboutbox.h"
#include "help/helpwindow.h"
#include "mainwindow/livetable.h"
#include "mainwindow/mainwindow.h"
#include "model/appstate.h"
#include "recording/recordingfile.h"
#include "settings/portlistdialog.h"
#include "settings/settingsdialog.h"
#include "ui/geometry.h"
#include "ui/services.h"

#include "silentservices.h"

namespace {

using zr5::shots::NoFileDialogs;
using zr5::shots::SilentMessages;

// Grabbing paints every box afresh, which redraws the table from the model as uncovering the
// window does; unsettled, the grab shows what the last command left on the screen.
void save(QWidget* w, const QDir& out, const QString& name, bool settle = true) {
    if (settle)
        QApplication::processEvents();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else // the caption is not part of the picture
        std::printf("%s (%dx%d) \"%s\"\n", qPrintable(path), w->width(), w->height(),
                    qPrintable(w->windowTitle()));
}

QString writeSampleRecording(const QDir& dir, const QString& name) {
    zr5::RecordingHeader header;
    header.StartTime = 36000;
    header.Duration = 60;
    header.Motor = {4, 15, 30.3f, 88, 10.5f, 0.6f, 380};
    header.CTFlags = {1, 1, 1};
    const QString path = dir.filePath(name);
    zr5::RecordingWriter writer;
    zr5::Status written = writer.create(path, header);
    zr5::ExtremaValues max{}, min{};
    for (int k = 0; k < 10 && written; ++k)
        written = writer.appendRow({25, 380, 5, 25, 381, 5, 25, 379, 5});
    if (written)
        written = writer.finish(max, min);
    if (!written)
        qFatal("%s", qPrintable(written.error()));
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTranslator qtTranslations;
    zr5::UseChineseTexts(qtTranslations);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir data;
    zr5::AppState state{zr5::DataDirectory(data.path())};
    SilentMessages messages;
    NoFileDialogs files;
    zr5::SystemClock clock;
    zr5::UiServices services{messages, files, clock};

    zr5::MainWindow w(state, services);
    w.show();
    save(&w, out, QStringLiteral("main-1-startup"));

    w.applyCommandEvent(zr5::CommandEvent::TimedReceptionStarts);
    // A row of a motor at part load, as the reception completes it: channel 2 with a negative
    // current and the total active power negative, so that both signs show.
    zr5::SampleRowValues row = {25.125f, 380.5f,   -3.1f, -24.5f, 381.25f, -2.9f,
                                25.75f,  379.875f, -3.0f, 0,      0,       0};
    zr5::ChannelRowValues channels{};
    state.model.resetExtrema();
    const float elapsed = 3725.4f;
    const zr5::Result<zr5::LiveTableRow> done =
        zr5::ProcessSampleRow(state.model, 36000 + elapsed, 36000, elapsed, row, channels);
    if (!done)
        qFatal("%s", qPrintable(done.error()));
    state.model.SampleRow = row;
    state.model.ElapsedTime = elapsed;
    w.showRow(*done);
    save(&w, out, QStringLiteral("main-2-timed-receiving"));

    w.applyCommandEvent(zr5::CommandEvent::TimedReceptionFinishes);
    save(&w, out, QStringLiteral("main-3-data-received"));

    w.applyCommandEvent(zr5::CommandEvent::ManualReceptionStarts);
    save(&w, out, QStringLiteral("main-4-manual-receiving"));
    w.applyCommandEvent(zr5::CommandEvent::StopButton);
    w.applyCommandEvent(zr5::CommandEvent::ManualReceptionFinishes);

    // The reception saved under a name of the user's choosing.
    writeSampleRecording(QDir(data.path()), QStringLiteral("TEMP.MTX"));
    files.saveName = QDir(data.path()).filePath(QStringLiteral("保存.MTR"));
    w.mnuSAVEFILE_Click();
    save(&w, out, QStringLiteral("main-5a-recording-saved"));

    w.openRecording(writeSampleRecording(QDir(data.path()), QStringLiteral("样例.MTR")));
    save(&w, out, QStringLiteral("main-5-recording-open"));

    files.saveName = QDir(data.path()).filePath(QStringLiteral("另存.MTR"));
    w.mnuSAVE_AS_Click();
    save(&w, out, QStringLiteral("main-5b-after-save-as"));

    w.mnuCLOSE_Click();
    save(&w, out, QStringLiteral("main-6-after-close"), false);
    QApplication::processEvents();

    w.fileMenu()->popup(w.mapToGlobal(QPoint(40, 60)));
    save(w.fileMenu(), out, QStringLiteral("main-7-file-popup"));
    w.fileMenu()->hide();

    w.mnuLJtime_Click();
    if (auto* dialog = w.findChild<zr5::SettingsDialog*>()) {
        save(dialog, out, QStringLiteral("settings-dialog"));
        // The list of the ports present, as 端口… opens it.
        dialog->Command3_Click();
        if (auto* list = dialog->findChild<zr5::PortListDialog*>()) {
            save(list, out, QStringLiteral("settings-port-list"));
            list->close();
        }
    }

    zr5::HelpWindow help;
    help.show();
    save(&help, out, QStringLiteral("help-window"));
    help.document()->scrollToAnchor(QStringLiteral("settings"));
    save(&help, out, QStringLiteral("help-window-settings"));

    // The program's own file dialog, as the Open command shows it.
    zr5::QtFileDialogService realDialogs;
    QTimer::singleShot(200, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            save(dialog, out, QStringLiteral("open-dialog"));
            dialog->close();
        }
    });
    realDialogs.openFileName(&w, QStringLiteral("打开"), zr5::FileCommands::kFilter,
                             QStringLiteral("MTR"));

    zr5::AboutBox about;
    about.show();
    save(&about, out, QStringLiteral("about-box"));
    return 0;
}
