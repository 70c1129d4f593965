// The print dialog, as it opens for a synthesised recording, with both reports ticked.
//   zr5_print_screenshots OUT_DIR

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "printing/printdialog.h"
#include "recording/synthetic.h"
#include "silentservices.h"
#include "ui/geometry.h"

using namespace zr5;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zr5_print_screenshots OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir data;
    const QString path = QDir(data.path()).filePath(QStringLiteral("示例.MTR"));
    if (!WriteSyntheticRecording(path, 3000, 3600, 7))
        return 1;
    AppState state{DataDirectory(data.path())};
    state.recordingOpened(path);
    state.analysisBegun(3000, 3600);
    shots::SilentMessages messages;
    shots::NoFileDialogs files;
    SystemClock clock;
    UiServices services{messages, files, clock};
    QWidget owner;
    PrintDialog* dialog = PrintDialog::open(state, services, &owner);
    dialog->Check1->setChecked(true);
    dialog->Check2->click();
    QApplication::processEvents();
    const QString file = out.filePath(QStringLiteral("print-dialog.png"));
    if (!dialog->grab().save(file))
        return 1;
    std::printf("%s\n", qPrintable(file));
    return 0;
}
