#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

#include "printing/printjob.h"
#include "survey/surveydatabase.h"

namespace zr5 {

// A zone's share of a motor's recorded time, by the zone's key in the assessment.
struct ZoneShare {
    QString key;
    std::optional<double> percent; // none where the method does not apply
};

// One motor of the report. Its figures come from the stored assessments of its recordings: the
// hours-weighted mean of each recording's annual figures, so a motor recorded twice for an hour
// counts as one recorded for two.
struct SurveyMotorLine {
    QString tag, department, plant, model;
    double ratedPowerKw = 0;
    QString efficiencyClass;
    int recordings = 0; // with a stored result
    double hoursRecorded = 0;
    std::optional<double> meanLoadRatePct;       // weighted by the hours of normal running
    std::optional<double> weightedEfficiencyPct; // output over input of the normal rows
    std::vector<ZoneShare> zoneShares;
    double annualEnergyKwh = 0; // input extrapolated to the operating hours per year
    QString measure;            // "keep", "replacement IE3", "right_size", ...
    QString measureText;        // as the tables show it
    double annualSavingKwh = 0;
    double annualSavingMoney = 0;
    QJsonArray assessments; // each recording's `assess --json` object
};

struct SurveyTotals {
    QString name;
    int motors = 0;
    double ratedPowerKw = 0;
    double annualEnergyKwh = 0;
    double annualSavingKwh = 0;
    double annualSavingMoney = 0;
};

struct SurveyReport {
    QString survey;                      // as the user named it
    std::vector<SurveyMotorLine> motors; // largest annual saving first
    std::vector<SurveyTotals> departments;
    SurveyTotals plant;
};

// The report of a survey from its stored results. Measures are read from the assessment's keyed
// figures: every object (or list item) that has an annual saving is one, so measures added to the
// assessment appear here without a change.
Result<SurveyReport> BuildSurveyReport(SurveyDatabase& survey);

QJsonObject SurveyReportJson(const SurveyReport& report);
// The motor table, then the department totals and the plant's, as CSV (UTF-8).
QByteArray SurveyReportCsv(const SurveyReport& report);
// The same tables in a workbook, with a bar chart of the annual savings.
Status WriteSurveyWorkbook(const SurveyReport& report, const QString& path);

// The printed report: a summary page (plant and department totals), then the motor table with
// its header repeated after each page break, page numbers at the foot.
class SurveyReportJob final : public PrintJob {
public:
    SurveyReportJob(Printer& printer, const SurveyReport& report);
    bool step() override;
    qint64 done() const override { return next_; }
    qint64 total() const override { return qint64(report_.motors.size()); }
    QString error() const override { return JobError(QString(), p_); }

    // The motor lines of a table page: the header's blank and heading lines, these lines and the
    // page number's line of 9-point type fill an A4 page within 10 mm margins (15,704 twips).
    static constexpr int kLinesPerPage = 80;
    static constexpr double kFooterTop = (2 + kLinesPerPage + 1) * 180.0;

private:
    void summary();
    void tableHeader();
    void footer();

    Printer& p_;
    const SurveyReport& report_;
    bool started_ = false;
    bool finished_ = false;
    qint64 next_ = 0;
    int lines_ = 0;
};

} // namespace zr5
