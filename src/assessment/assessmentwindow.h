#pragma once

#include <QRectF>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "assessment/assessment.h"
#include "assessment/assessmentpage.h"

class QFontMetricsF;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zr5 {

class AppState;
class PrintRun;
struct UiServices;

// Where the window's chart puts its plot and its texts in a widget of `size`, in pixels.
struct ChartText {
    QRectF rect;
    QString text;
    std::uint32_t colour = 0;
};
struct AssessmentChartGeometry {
    QRectF plot;
    std::vector<ChartText> texts;  // every text the chart draws
    std::vector<QRectF> markNames; // the marks' names, in the order of the model's marks
};
AssessmentChartGeometry AssessmentChartLayout(const AssessmentChartModel& chart, QSizeF size,
                                              const QFontMetricsF& metrics);

// The picture of an assessment: the hours per load-rate band of 10 %, coloured by zone, under the
// motor's efficiency and comprehensive efficiency from 0 to 120 % load with βJ, βJJ and the
// measured mean load rate marked.
class AssessmentChart final : public QWidget {
public:
    explicit AssessmentChart(QWidget* parent = nullptr);
    void show(const RecordingAssessment& assessment);
    // Where the chart stands at its present size.
    AssessmentChartGeometry layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AssessmentChartModel chart_;
};

// "经济运行评估": the figures of the current recording's assessment, the chart and the verdict,
// with the settings of the method and of the measures.
class AssessmentWindow final : public QWidget {
    Q_OBJECT
public:
    AssessmentWindow(AppState& state, UiServices& services, QWidget* parent);

    // Assesses the current recording with the settings in the boxes; false with a message when
    // the recording or a box is refused.
    bool Command1_Click();
    // 打  印: the assessment on one page, on the default printer or, without one, as a PDF.
    void Command3_Click();
    // 导出 Excel…: the assessment shown (its figures, the load bands and their chart) and the
    // recording's summary as a workbook.
    void Command4_Click();
    const QTableWidget* table() const { return table_; }
    QString verdict() const;
    // What the page prints: the last assessment shown, with its settings.
    std::optional<AssessmentPageInput> pageInput() const;
    bool printing() const { return run_ != nullptr; }

    // Whether a printer is installed (tests answer it).
    std::function<bool()> printerInstalled;

private:
    void showAssessment(const AssessmentRun& run);

    AppState& state_;
    UiServices& services_;
    QString assessFileProblem_;   // why "Assess.dat" could not be read, until the user answers
    bool keepAssessFile_ = false; // the user chose not to replace a damaged "Assess.dat"
    QTableWidget* table_ = nullptr;
    AssessmentChart* chart_ = nullptr;
    QLabel* verdict_ = nullptr;
    // The settings' boxes, in the order of kSettingBoxes in the window's source.
    std::vector<QLineEdit*> boxes_;
    QPushButton* print_ = nullptr;
    QPushButton* workbook_ = nullptr;
    std::optional<AssessmentRun> shown_;
    AssessmentSettings shownSettings_;
    PrintRun* run_ = nullptr;
};

} // namespace zr5
