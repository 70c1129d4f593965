#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "survey/surveydatabase.h"
#include "survey/surveymodel.h"
#include "survey/surveyreport.h"
#include "survey/surveystore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zr5 {

class AppState;
class ComparisonChartView;
class PrintRun;
struct UiServices;

// "测试汇总": a survey of a plant's motors. Open or make one, add recordings and folders, assess
// what changed (on a worker thread with a connection of its own, with progress and cancel), and
// see the motors ranked by saving, the department and plant totals and the Pareto chart of the
// savings; a motor's recording opens in the analysis window; the report prints, and goes to PDF
// and to a workbook.
class SurveyWindow final : public QWidget {
    Q_OBJECT
public:
    // Opens a recording in the analysis window as the main window's own commands do; false when
    // it was refused (with a message).
    using RecordingOpener = std::function<bool(const QString& path)>;
    SurveyWindow(AppState& state, UiServices& services, QWidget* parent, RecordingOpener opener);
    ~SurveyWindow() override;

    // 新建…  and 打开…: a survey file through the file dialog.
    void Command1_Click();
    void Command2_Click();
    // Opens the survey at `location` (a file or a postgresql:// address); false with a message
    // when it is refused. The survey open before stays open then.
    bool openSurvey(const QString& location, SurveyDatabase::Open mode);
    // 添加记录… and 添加文件夹…: filed under the plant and department in the boxes.
    void Command3_Click();
    void Command4_Click();
    // 评  估: everything that changed, with the assessment's settings of "Assess.dat".
    void Command5_Click();
    // 取  消: no new recording is started; the finished results are kept.
    void Command6_Click();
    // 打  印, 导出 PDF…, 导出 Excel…: the report as it is shown.
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    // 对比…: the first and the last recording of the motor of `row` (of the table as shown).
    void Command10_Click();
    // A double-click on a row of the table: the motor's latest recording in the analysis window.
    void openMotor(int row);

    bool hasSurvey() const { return survey_ != nullptr; }
    bool working() const { return worker_.joinable(); }
    bool printing() const { return run_ != nullptr; }
    const SurveyReport& report() const { return *report_; }
    QTableView* motorView() const { return view_; }
    SurveyMotorFilter& filter() { return filter_; }
    const SurveyTotalsModel& totals() const { return totals_; }
    const ComparisonChartView* chart() const { return chart_; }
    QString status() const;
    QComboBox* departmentFilter() const { return department_; }
    // The line edits of the import's plant and department, and of the tag filter.
    QLineEdit* plantBox() const { return plantBox_; }
    QLineEdit* departmentBox() const { return departmentBox_; }
    QLineEdit* tagFilter() const { return tagFilter_; }

    // Whether a printer is installed (tests answer it).
    std::function<bool()> printerInstalled;
    // Called on the worker after each stored result, so that a test can stop a run at a known
    // point as a user's 取  消 would.
    std::function<void(int done, int total)> workerProgress;

signals:
    // An import or an assessment has ended and the report shows its results.
    void workFinished();

private:
    struct Outcome {
        QString error;
        QString summary;
        QStringList problems;
    };
    using Work = std::function<Outcome(SurveyDatabase&)>;
    void startWork(Work work);
    void workDone(const Outcome& outcome);
    void add(const QStringList& paths);
    void refresh();
    void showState();
    const SurveyMotorLine* motorAt(int row) const;
    // The recordings of the motor of a row (and the motor); none, with a message, on a failure.
    std::optional<std::vector<SurveyMotorRecording>> recordingsAt(int row,
                                                                  const SurveyMotorLine*& motor);
    QString exportName(const QString& suffix) const;
    void print(bool pdf);

    AppState& state_;
    UiServices& services_;
    RecordingOpener opener_;
    std::unique_ptr<SurveyDatabase> survey_;
    QString location_;
    std::shared_ptr<const SurveyReport> report_;
    SurveyMotorModel motors_;
    SurveyMotorFilter filter_;
    SurveyTotalsModel totals_;

    QLabel* title_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* plantBox_ = nullptr;
    QLineEdit* departmentBox_ = nullptr;
    QComboBox* department_ = nullptr;
    QLineEdit* tagFilter_ = nullptr;
    QTableView* view_ = nullptr;
    QTableView* totalsView_ = nullptr;
    ComparisonChartView* chart_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::vector<QPushButton*> buttons_; // Command1 .. Command10
    PrintRun* run_ = nullptr;

    std::thread worker_;
    std::atomic_bool cancel_{false};
};

} // namespace zr5
