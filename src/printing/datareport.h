#pragma once

#include <memory>

#include "analysis/completedrows.h"
#include "printing/printjob.h"
#include "recording/recordingfile.h"

namespace zr5 {

struct DataReportInput {
    RecordingInfo recording; // as ReadRecordingInfo gave it
    MotorParameters motor;   // the motor data the analysis uses (the recording's header)
    RowRange range;
    ReportHeading heading;
    int RowsOnFirstPage = 60;
};

constexpr int kRowsOnLaterPages = 65;

// The data report: the heading block, one table line per row of the range with the page breaks,
// page numbers at the foot of every page and the end marker. Every row is read from the recording
// and recomputed; the shared state is not touched.
class DataReportJob final : public PrintJob {
public:
    DataReportJob(Printer& printer, DataReportInput input);
    bool step() override;
    qint64 done() const override { return printed_; }
    qint64 total() const override;
    QString error() const override;

    // Rows per step.
    void setStepRows(qint64 rows) { stepRows_ = rows; }

private:
    void start();
    void printRow(qint64 row, const CompletedRow& values);
    void pageBreak();
    void finish();
    void tableHeader();

    Printer& p_;
    DataReportInput in_;
    std::unique_ptr<CompletedRowReader> reader_;
    std::vector<CompletedRow> rows_;
    bool started_ = false;
    bool finished_ = false;
    qint64 next_ = 0;
    qint64 printed_ = 0;
    qint64 stepRows_ = 500;
    QString error_;
};

// One table line's texts in tab order; the last three empty when the operating point was not
// computed for the row.
struct DataReportColumns {
    std::array<QString, 10> text;
};
DataReportColumns DataReportLine(qint64 row, const ChannelRowValues& values,
                                 const MotorParameters& motor);
DataReportColumns DataReportLine(qint64 row, const CompletedRow& completed);

extern const int kDataReportTabs[10];

} // namespace zr5
