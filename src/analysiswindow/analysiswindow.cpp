#include "analysiswindow/analysiswindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>

#include "analysis/cumulative.h"
#include "analysiswindow/cumulativepassrun.h"
#include "analysiswindow/curveexport.h"
#include "analysiswindow/curvesurface.h"
#include "analysiswindow/zoomcontroller.h"
#include "assessment/assessmentwindow.h"
#include "compare/comparisonwindow.h"
#include "model/numbertext.h"
#include "printing/printdialog.h"
#include "ui/geometry.h"
#include "ui/qtcolour.h"

namespace zr5 {

namespace {

const QColor kGreen = ColourOf(Colour::Green);
const QColor kWhite = ColourOf(Colour::White);

const QString kSegmentedHint = QStringLiteral("输入组号并按[查 询]，或点击上方曲线");

} // namespace

AnalysisWindow::AnalysisWindow(AppState& state, UiServices& services, QWidget* mainWindow,
                               RecordingInfo recording)
    : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint), state_(state), services_(services),
      mainWindow_(mainWindow), recording_(std::move(recording)) {
    setObjectName(QStringLiteral("AnalysisWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ChineseFont(9));
    resize(TwipsToPixels(kAnalysisWindowWidth, this), TwipsToPixels(kAnalysisWindowHeight, this));
    c_ = BuildAnalysisControls(this);
    zoom_ = new ZoomController(c_, state_, this);
    pass_ = new CumulativePassRun(c_, state_, *zoom_, this);
    pass_->setTurnTime(30);
    connect(pass_, &CumulativePassRun::progressed, this, &AnalysisWindow::showPassProgress);
    connect(pass_, &CumulativePassRun::finished, this, &AnalysisWindow::finishPass);
    connectControls();
    Form_Load();
}

AnalysisWindow::~AnalysisWindow() = default;

void AnalysisWindow::setEventInterval(qint64 milliseconds) {
    pass_->setTurnTime(milliseconds);
}

AnalysisWindow* AnalysisWindow::open(AppState& state, UiServices& services, QWidget* mainWindow,
                                     AnalysisOpening how) {
    // Refused before the window opens: the pass divides by the row count and by the duration.
    Result<RecordingInfo> info = OpenRecording(state.CurrentFileName());
    const QString refusal = info ? AnalysisRefusal(*info).error() : info.error();
    if (!refusal.isEmpty()) {
        services.messages.message(mainWindow, kErrorTitle, refusal);
        return nullptr;
    }
    // owned by the main window
    auto* w = new AnalysisWindow(state, services, mainWindow, std::move(*info));
    if (how == AnalysisOpening::Button)
        w->setGeometry(TwipsRect(500, 200, kAnalysisWindowWidth, kAnalysisWindowHeight, w));
    else
        w->move(TwipsToPixels(60, w), TwipsToPixels(285, w));
    if (mainWindow)
        mainWindow->hide();
    w->show();
    w->Command2_Click();
    return w;
}

void AnalysisWindow::Form_Load() {
    setWindowTitle(AnalysisWindowCaption(state_.CurrentFileName()));
    c_.mnuPr->setEnabled(false);
    c_.mnuAssess->setEnabled(false);
    c_.mnuCompare->setEnabled(false);
    c_.mnuExport->setEnabled(false);
    c_.mnuExport->menuAction()->setEnabled(false);
    state_.analysisBegun(recording_.RecordCount, recording_.header.Duration);

    bars_ = ScrollBarsForRecordCount(state_.RecordCount());
    SetUpRowBars(c_, bars_);

    // A settings file may name a kind that does not exist; the first kind is shown then.
    const int curve = state_.settings.CurrentCurve;
    shownCurve_ = curve >= 0 && curve < kCurveKinds ? curve : 0;
    showCurve(shownCurve_);

    const float span = state_.settings.SegmentHalfSpan;
    c_.mnu5->setChecked(span == 5);
    c_.mnu10->setChecked(span == 10);
    c_.mnu20->setChecked(span == 20);
}

void AnalysisWindow::connectControls() {
    connect(c_.Command1, &QPushButton::clicked, this, &AnalysisWindow::Command1_Click);
    connect(c_.Command2, &QPushButton::clicked, this, &AnalysisWindow::Command2_Click);
    connect(c_.Command3, &QPushButton::clicked, this, &AnalysisWindow::Command3_Click);
    connect(c_.Command4, &QPushButton::clicked, this, &AnalysisWindow::Command4_Click);
    connect(c_.Text1, &QLineEdit::returnPressed, this, [this] {
        if (c_.Command3->isEnabled())
            Command3_Click();
    });
    c_.Text1->installEventFilter(this);
    connect(c_.HScroll1, &QScrollBar::valueChanged, this, &AnalysisWindow::HScroll1_Change);
    connect(c_.HScroll2, &QScrollBar::valueChanged, this, &AnalysisWindow::HScroll2_Change);
    connect(c_.mnu5, &QAction::triggered, this, [this] { setSegmentSpan(5); });
    connect(c_.mnu10, &QAction::triggered, this, [this] { setSegmentSpan(10); });
    connect(c_.mnu20, &QAction::triggered, this, [this] { setSegmentSpan(20); });
    connect(c_.mnuAssess, &QAction::triggered, this, [this] {
        auto* w = new AssessmentWindow(state_, services_, this); // deleted when it closes
        w->show();
        if (!w->Command1_Click())
            w->close();
    });
    connect(c_.mnuCompare, &QAction::triggered, this,
            [this] { ComparisonWindow::open(state_, services_, this); });
    connect(c_.mnuPr, &QAction::triggered, this,
            [this] { PrintDialog::open(state_, services_, this); });
    connect(c_.mnuCl, &QAction::triggered, this, &AnalysisWindow::Command1_Click);
    connect(c_.mnuExportPicture, &QAction::triggered, this, &AnalysisWindow::exportPicture);
    connect(c_.mnuExportAll, &QAction::triggered, this, &AnalysisWindow::exportAllPictures);
    connect(c_.mnuExportCsv, &QAction::triggered, this, &AnalysisWindow::exportTable);
    connect(c_.mnuExportXlsx, &QAction::triggered, this, &AnalysisWindow::exportWorkbook);
    connect(zoom_, &ZoomController::failed, this,
            [this](const QString& error) { services_.messages.message(this, kErrorTitle, error); });
    for (int k = 0; k < kCurveKinds; ++k) {
        CurveSurface* cumulative = c_.Picture2[std::size_t(k)];
        connect(cumulative, &CurveSurface::clicked, this, &AnalysisWindow::selectCumulativeRow);
        cumulative->setHoverText([this](QPointF p) { return hoverText(true, p); });
        c_.Picture3[std::size_t(k)]->setHoverText(
            [this](QPointF p) { return hoverText(false, p); });
    }
}

void AnalysisWindow::showCurve(int kind) {
    for (int k = 0; k < kCurveKinds; ++k) {
        c_.Picture2[std::size_t(k)]->setVisible(k == kind);
        c_.Picture3[std::size_t(k)]->setVisible(k == kind);
    }
    c_.segmentedFrame->setTitle(SegmentedCurveCaption(kind));
    zoom_->setShownKind(kind);
    c_.cumulativeFrame->setTitle(zoom_->frameCaption(kind));
    // "曲线选择" keeps a zoomed range: the kind's surface is drawn for it when it is shown.
    if (QString error = zoom_->drawKind(kind); !error.isEmpty())
        services_.messages.message(this, kErrorTitle, error);
}

void AnalysisWindow::placeLabels() {
    PlaceValueLabels(c_, ValueLabels(state_.analysis.axes.axis(shownCurve_)));
    zoom_->placeTimeLabels();
}

void AnalysisWindow::setAnalysing(bool on) {
    analysing_ = on;
    for (QWidget* w : {static_cast<QWidget*>(c_.Command1), static_cast<QWidget*>(c_.Command2),
                       static_cast<QWidget*>(c_.Command3)})
        w->setEnabled(!on);
    c_.mnuF3->setEnabled(!on);
    c_.mnuF3->menuAction()->setEnabled(!on);
    c_.progress->setVisible(on);
    zoom_->setEnabled(!on && state_.analysis.complete);
}

void AnalysisWindow::drawTimeGrid() {
    if (!(state_.settings.ReceiveDuration > 0.0f))
        return;
    SurfacePicture grid;
    AddTimeGrid(grid, zoom_->view(), c_.Picture2[0]->palette().color(QPalette::WindowText));
    zoom_->drawOnCurrentSurfaces(grid);
}

ValueAxis AnalysisWindow::ZBX_DS(float minimum, float maximum, CurveSurface* surface) {
    SurfacePicture grid;
    const ValueAxis axis =
        AddValueGrid(grid, minimum, maximum, surface->palette().color(QPalette::WindowText));
    surface->draw(grid);
    return axis;
}

void AnalysisWindow::Command1_Click() {
    close();
}

void AnalysisWindow::Command2_Click() {
    if (analysing_)
        return;
    for (int k = 0; k < kCurveKinds; ++k) {
        c_.Picture2[std::size_t(k)]->clear(SurfaceBackground());
        c_.Picture3[std::size_t(k)]->clear(SurfaceBackground());
        // Until the first query the segmented pane says how to fill it.
        c_.Picture3[std::size_t(k)]->printHint(kSegmentedHint);
    }
    // The segmented curve's times go with it.
    for (QLabel* l : c_.Label8)
        l->hide();
    setAnalysing(true);
    // 重绘曲线 reads the recording anew; the first pass uses the one the window opened.
    if (passesRun_++ > 0) {
        Result<RecordingInfo> info = OpenRecording(state_.CurrentFileName());
        recording_ = info ? std::move(*info) : RecordingInfo{};
    }
    if (Status begun = pass_->begin(recording_); !begun) {
        setAnalysing(false);
        services_.messages.message(this, kErrorTitle, begun.error());
        emit passFinished();
        return;
    }
    state_.analysisBegun(pass_->recording().RecordCount, pass_->recording().header.Duration);
    zoom_->reset(pass_->recording());
    // Every kind's grid call redraws the same time grid; drawing it once gives the same picture.
    MeasurementModel& m = state_.model;
    drawTimeGrid();
    for (int k = 0; k < kCurveKinds; ++k) {
        const auto [lo, hi] = CurveAxisInput(k, m.RowMinimum, m.RowMaximum);
        ZBX_DS(lo, hi, c_.Picture2[std::size_t(k)]);
    }
    // The unit, the value labels, and the time labels and unit of the view.
    c_.Label4->setText(state_.analysis.axes.CurveUnit[std::size_t(shownCurve_)]);
    placeLabels();
    pass_->start();
}

void AnalysisWindow::showPassProgress() {
    const MeasurementModel& m = state_.model;
    ShowRowDisplay(c_, FormatRowDisplay(m.SampleRow, m.Elapsed, pass_->lastDecision()));
    showDataNumber(pass_->rowsDone());
}

void AnalysisWindow::finishPass(const QString& error) {
    setAnalysing(false);
    if (!error.isEmpty())
        services_.messages.message(this, kErrorTitle, error);
    for (int k = 0; k < kCurveKinds; ++k) {
        SurfacePicture line;
        AddExtremesLine(line, k, state_.model, state_.analysis);
        c_.Picture2[std::size_t(k)]->draw(line);
    }
    c_.mnuPr->setEnabled(true);
    c_.mnuAssess->setEnabled(true);
    c_.mnuCompare->setEnabled(true);
    c_.mnuExport->setEnabled(state_.analysis.complete);
    c_.mnuExport->menuAction()->setEnabled(state_.analysis.complete);
    zoom_->setEnabled(state_.analysis.complete);
    c_.HScroll1->setEnabled(true);
    c_.HScroll1->show();
    // The page bar is shown too, so that every row of a long recording can be reached.
    c_.HScroll2->setVisible(bars_.paged);
    showDataNumber(state_.RecordCount());
    QPalette pal = c_.Label1[13]->palette();
    pal.setColor(QPalette::WindowText, ColourOf(Colour::Blue));
    c_.Label1[13]->setPalette(pal);
    c_.Label1[13]->setText(QStringLiteral("共 ") + PlainNumber(double(state_.RecordCount())) +
                           QStringLiteral(" 组"));
    emit passFinished();
    if (closeDeferred_)
        close();
}

void AnalysisWindow::showDataNumber(qint64 dataNumber) {
    c_.Text1->setText(PlainNumber(double(dataNumber)));
    // Both bars follow the data number without running the analysis a second time.
    MoveRowBars(c_, bars_, dataNumber, state_.RecordCount());
}

void AnalysisWindow::Command3_Click() {
    showDataNumber(QueryDataNumber(c_.Text1->text(), state_.RecordCount()).row);
    FENG();
}

void AnalysisWindow::Command4_Click() {
    displayKind((shownCurve_ + 1) % kCurveKinds);
}

void AnalysisWindow::displayKind(int kind) {
    shownCurve_ = kind;
    showCurve(shownCurve_);
    c_.Label4->setText(state_.analysis.axes.CurveUnit[std::size_t(shownCurve_)]);
    placeLabels();
}

void AnalysisWindow::exportPicture() {
    ExportCurvePicture(this, services_, c_, state_.CurrentFileName(), shownCurve_);
}

void AnalysisWindow::exportAllPictures() {
    ExportAllCurvePictures(this, services_, c_, state_.CurrentFileName(), shownCurve_,
                           [this](int kind) {
                               QString error = zoom_->drawKind(kind);
                               displayKind(kind);
                               return error;
                           });
}

void AnalysisWindow::exportTable() {
    // While zoomed, the rows of the range shown.
    const CumulativeView& view = zoom_->view();
    ExportCsvTable(this, services_, recording_, view.firstRow(), view.lastRow());
}

void AnalysisWindow::exportWorkbook() {
    const CumulativeView& view = zoom_->view();
    ExportWorkbook(this, services_, recording_, view.firstRow(), view.lastRow());
}

void AnalysisWindow::HScroll1_Change() {
    if (!c_.HScroll1->isVisible())
        return;
    const int page = bars_.paged ? c_.HScroll2->value() : 1;
    c_.Text1->setText(PlainNumber(double(DataNumber(c_.HScroll1->value(), page))));
    FENG();
}

void AnalysisWindow::HScroll2_Change() {
    const int page = c_.HScroll2->value();
    {
        const QSignalBlocker block(c_.HScroll1);
        c_.HScroll1->setMaximum(RowBarMaximumForPage(page, state_.RecordCount()));
    }
    if (!c_.HScroll2->isVisible())
        return;
    c_.Text1->setText(PlainNumber(double(DataNumber(c_.HScroll1->value(), page))));
    FENG();
}

void AnalysisWindow::setSegmentSpan(int halfSpan) {
    state_.settings.SegmentHalfSpan = float(halfSpan);
    c_.mnu5->setChecked(halfSpan == 5);
    c_.mnu10->setChecked(halfSpan == 10);
    c_.mnu20->setChecked(halfSpan == 20);
    FENG();
}

void AnalysisWindow::FENG() {
    // The pass owns the shared row while it runs.
    if (analysing_)
        return;
    const QueryTarget target = QueryDataNumber(c_.Text1->text(), state_.RecordCount());
    const SegmentedAnalysisResult r = RunSegmentedAnalysis(
        recording_, state_.analysis, state_.settings.SegmentHalfSpan, state_.model, target.row);
    if (!r.error.isEmpty()) {
        services_.messages.message(this, kErrorTitle, r.error);
        return;
    }
    lastWindow_ = r.window;
    lastHalfSpan_ = EffectiveHalfSpan(state_.settings.SegmentHalfSpan);
    ShowRowDisplay(c_, r.display);
    zoom_->markRow(r.selectedRow);
    PlaceSegmentTimes(c_, SegmentTimeLabels(r.window, r.selectedRow, lastHalfSpan_,
                                            state_.settings.ReceiveDuration, state_.RecordCount()));
    const MeasurementModel& m = state_.model;
    drawTimeGrid();
    for (int k = 0; k < kCurveKinds; ++k) {
        CurveSurface* s = c_.Picture3[std::size_t(k)];
        s->clear(SurfaceBackground());
        const auto [lo, hi] = CurveAxisInput(k, m.RowMinimum, m.RowMaximum);
        ZBX_DS(lo, hi, s);
        s->drawLines(r.curves[std::size_t(k)], kGreen);
        const float x = r.MarkerX, y = r.MarkerY[std::size_t(k)];
        s->drawLines({{x - 100, y, x + 100, y}, {x, y - 100, x, y + 100}}, kWhite);
    }
}

void AnalysisWindow::selectCumulativeRow(QPointF twips) {
    if (analysing_ || !state_.analysis.complete)
        return;
    c_.Text1->setText(PlainNumber(double(zoom_->view().rowAtX(float(twips.x())))));
    Command3_Click();
}

QString AnalysisWindow::hoverText(bool cumulative, QPointF p) const {
    const AnalysisResults& a = state_.analysis;
    const float duration = state_.settings.ReceiveDuration;
    if (!a.complete || state_.RecordCount() < 1 || p.x() > kTimeAxisWidth + 3000 / lastHalfSpan_)
        return {};
    qint64 row;
    if (cumulative) {
        row = zoom_->view().rowAtX(float(p.x()));
    } else {
        row = SegmentRowAtX(float(p.x()), lastWindow_, lastHalfSpan_);
        if (row == 0)
            return {};
    }
    // The row's own value, not the height of the pointer.
    return PointerReadoutText(row, RowElapsedTime(row, duration, state_.RecordCount()),
                              zoom_->rowValue(shownCurve_, row),
                              a.axes.CurveUnit[std::size_t(shownCurve_)]);
}

void AnalysisWindow::closeEvent(QCloseEvent* event) {
    // A close asked for while the pass runs waits for its end.
    if (analysing_) {
        closeDeferred_ = true;
        event->ignore();
        return;
    }
    if (mainWindow_)
        mainWindow_->show();
    event->accept();
}

bool AnalysisWindow::endProgramKey(const QKeyEvent* event) {
    const auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (event->key() != Qt::Key_F12 || (event->modifiers() & held))
        return false;
    pass_->stop();
    emit programEndRequested();
    QCoreApplication::quit();
    return true;
}

void AnalysisWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!endProgramKey(event))
        QWidget::keyReleaseEvent(event);
}

// The data-number box keeps its key releases to itself; F12 must still end the program there.
bool AnalysisWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == c_.Text1 && event->type() == QEvent::KeyRelease &&
        endProgramKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void AnalysisWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (c_.mnuF3->isEnabled())
            c_.mnuF3->popup(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

} // namespace zr5
