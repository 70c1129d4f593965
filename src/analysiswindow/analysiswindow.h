#pragma once

#include <QWidget>
#include <memory>

#include "analysis/analysisview.h"
#include "analysis/axes.h"
#include "analysis/rowdisplay.h"
#include "analysis/segmented.h"
#include "analysiswindow/analysiscontrols.h"
#include "model/appstate.h"
#include "ui/services.h"

namespace zr5 {

class CumulativePassRun;
class CurveSurface;
class ZoomController;

// Where the window opens: the data-analysis button places and sizes it, the menu command only
// moves it.
enum class AnalysisOpening { Button, Menu };

// The analysis window: one recording's selected row with the motor's operating data, the
// cumulative curve of one kind over the whole recording and the segmented curve around the row.
// It hides the main window while it is open and shows it again however it is closed; it is
// destroyed when it closes.
class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    // `recording` is the current recording as OpenRecording opened it: the window reads it
    // through that one object until 重绘曲线 reads it anew.
    AnalysisWindow(AppState& state, UiServices& services, QWidget* mainWindow,
                   RecordingInfo recording);
    ~AnalysisWindow() override;

    // What the main window's data-analysis commands do: a recording with no rows or a duration of
    // 0 is refused with a message; otherwise the window is placed, the main window hidden, the
    // window shown and the cumulative analysis run. Returns the window (owned by the main window
    // and deleted when it closes), or nullptr when the recording was refused.
    static AnalysisWindow* open(AppState& state, UiServices& services, QWidget* mainWindow,
                                AnalysisOpening how);

    const AnalysisControls& controls() const { return c_; }
    int ShownCurve() const { return shownCurve_; }
    bool analysing() const { return analysing_; }
    ZoomController& zoom() { return *zoom_; }
    // The longest time a slice of the pass keeps the window's events waiting (30 ms; 0 returns to
    // them after every slice of rows).
    void setEventInterval(qint64 milliseconds);

signals:
    // The cumulative analysis has ended, completed or not.
    void passFinished();

public:
    // Handlers of the window's commands.
    void Command1_Click();
    void Command2_Click(); // the cumulative analysis
    void Command3_Click(); // query
    void Command4_Click(); // curve selection
    void HScroll1_Change();
    void HScroll2_Change();
    void setSegmentSpan(int halfSpan); // mnu5, mnu10, mnu20

    // The segmented analysis for the data number in Text1.
    void FENG();
    // Draws the value grid of an axis on a surface and returns the axis. The time grid, the same
    // for every kind, is drawn once by drawTimeGrid.
    ValueAxis ZBX_DS(float minimum, float maximum, CurveSurface* surface);

signals:
    // F12 ends the program at once.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Form_Load();
    void connectControls();
    void showCurve(int kind);
    // Shows a kind with its unit and labels, as curve selection does.
    void displayKind(int kind);
    void placeLabels();
    void setAnalysing(bool on);
    void drawTimeGrid();
    void exportPicture();
    void exportAllPictures();
    void exportTable();
    void exportWorkbook();
    void showPassProgress();
    void finishPass(const QString& error);
    void selectCumulativeRow(QPointF twips);
    // Puts a data number into Text1 and moves both bars to it, without a query.
    void showDataNumber(qint64 dataNumber);
    bool endProgramKey(const QKeyEvent* event);
    QString hoverText(bool cumulative, QPointF twips) const;

    AppState& state_;
    UiServices& services_;
    QWidget* mainWindow_;
    RecordingInfo recording_;
    int passesRun_ = 0;
    AnalysisControls c_;
    ZoomController* zoom_ = nullptr; // a child
    int shownCurve_ = 0;
    bool analysing_ = false;
    bool closeDeferred_ = false;
    // The running pass: one slice of rows per turn of the event loop, so that no handler runs in
    // the middle of another.
    CumulativePassRun* pass_ = nullptr; // a child
    ScrollBarSetup bars_;
    SegmentWindow lastWindow_;
    int lastHalfSpan_ = 10;
};

} // namespace zr5
