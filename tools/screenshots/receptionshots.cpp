// Renders the main window during and after a reception from the simulated instrument, and the
// save question that follows, into PNG files, off screen:
//   zr5_reception_screenshots OUTPUT_DIR

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "link/demoinstrument.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/receptionglue.h"
#include "model/appstate.h"
#include "model/clock.h"
#include "ui/geometry.h"
#include "ui/services.h"

#include "silentservices.h"

namespace {

using zr5::shots::NoFileDialogs;
using zr5::shots::SilentMessages;

void runFor(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(QWidget* w, const QDir& out, const char* name) {
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(zr5::ChineseFont(9));
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir data;
    zr5::AppState state{zr5::DataDirectory(data.path())};
    SilentMessages messages;
    NoFileDialogs files;
    zr5::SystemClock clock;
    zr5::UiServices services{messages, files, clock};

    zr5::DemoInstrument instrument;
    if (const zr5::Status started = instrument.start({}, QStringLiteral(ZR5_SIM_PROGRAM));
        !started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.error()));
        return 1;
    }
    zr5::MainWindow window(state, services);
    zr5::ReceptionGlue reception(window, state, services);
    reception.setDeviceOverride(instrument.device());
    window.show();

    reception.startReception(zr5::ReceptionMode::Manual);
    runFor(3500);
    save(&window, out, "reception-1-manual-receiving");
    reception.stopReception();
    runFor(300);
    save(&window, out, "reception-2-manual-stopped");
    return 0;
}
