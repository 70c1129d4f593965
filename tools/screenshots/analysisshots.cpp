// Renders the analysis window after the analysis of a synthesised recording (the motor of
// zr5-tool synth), for several curve kinds, then zoomed to a tenth of the recording around the
// selected row, and the curve picture the window exports, into PNG files:
// zr5_analysis_screenshots OUTPUT_DIR [ROWS | FILE.MTR]

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "analysiswindow/analysisservices.h"
#include "analysiswindow/analysiswindow.h"
#include "analysiswindow/curveexport.h"
#include "analysiswindow/zoomcontroller.h"
#include "recording/synthetic.h"

using namespace zr5;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [ROWS | FILE.MTR]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString source = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("3600");
    QDir().mkpath(out);
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.path())};
    // A recording made by zr5-tool synth, or one synthesised here with that many rows.
    bool isCount = false;
    const qint64 count = source.toLongLong(&isCount);
    QString path = source;
    if (isCount) {
        path = dir.filePath(QStringLiteral("SYNTH.MTR"));
        if (zr5::Status e = WriteSyntheticRecording(path, count, 3600, 1); !e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.error()));
            return 1;
        }
    }
    state.recordingOpened(path);
    test::AnalysisServices seams;
    UiServices& services = seams.services;
    QWidget mainWindow;
    AnalysisWindow* w = AnalysisWindow::open(state, services, &mainWindow, AnalysisOpening::Button);
    if (!w) {
        for (const test::ShownMessage& m : seams.messages.shown)
            std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return 1;
    }
    while (w->analysing()) // the pass runs a slice per turn of the event loop
        QCoreApplication::processEvents();
    w->controls().Text1->setText(QString::number(state.RecordCount() / 3));
    w->Command3_Click();
    for (int kind = 0; kind < kCurveKinds; ++kind) {
        if (kind == 0 || kind == 3 || kind == 6 || kind == 7 || kind == 8 || kind == 9) {
            const QString file =
                QDir(out).filePath(QStringLiteral("analysis-kind%1.png").arg(kind));
            w->grab().save(file);
            std::printf("%s\n", qPrintable(file));
        }
        w->Command4_Click();
    }
    // Zoomed to a tenth of the recording around the selected row, the load rate shown.
    while (w->ShownCurve() != Curve::LoadRate)
        w->Command4_Click();
    const CumulativeView whole = w->zoom().view();
    const double middle = whole.span() / 3;
    w->zoom().show(whole.range(middle - whole.span() / 20, middle + whole.span() / 20));
    const QString zoomed = QDir(out).filePath(QStringLiteral("analysis-zoomed.png"));
    w->grab().save(zoomed);
    std::printf("%s\n", qPrintable(zoomed));
    const QString picture = QDir(out).filePath(QStringLiteral("analysis-export.png"));
    if (Status saved = SaveCurvePicture(w->controls(), picture); !saved)
        std::fprintf(stderr, "%s\n", qPrintable(saved.error()));
    std::printf("%s\n", qPrintable(picture));
    // The export menu, as 操作菜单 → 导出 opens it.
    QMenu* menu = w->controls().mnuExport;
    menu->popup(w->mapToGlobal(QPoint(60, 40)));
    QCoreApplication::processEvents();
    const QString menuFile = QDir(out).filePath(QStringLiteral("analysis-export-menu.png"));
    menu->grab().save(menuFile);
    menu->hide();
    std::printf("%s\n", qPrintable(menuFile));
    w->close();
    return 0;
}
