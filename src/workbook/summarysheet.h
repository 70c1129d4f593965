#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

#include "model/result.h"

struct lxw_worksheet;

namespace zr5 {

class WorkbookFile;
struct AnalysisResults;
struct RecordingInfo;

// Sheet "概况" of every workbook, as label / value / unit rows: the recording (file, start time,
// duration, rows), the motor's rated data and the transformer flags, then the cumulative
// analysis's totals and extremes. The rows go out in order, as the library's constant-memory
// mode needs: the head before a table's rows, the totals once the pass is over.
class SummarySheet {
public:
    SummarySheet(WorkbookFile& file, lxw_worksheet* sheet) : file_(file), sheet_(sheet) {}
    // `exported`: the first and last row of the table the workbook holds, when it holds one.
    Status head(const RecordingInfo& info, std::optional<std::pair<qint64, qint64>> exported);
    Status totals(const AnalysisResults& results);

private:
    Status number(const QString& label, double value, const char* unit, bool integer = false);
    Status text(const QString& label, const QString& value);

    WorkbookFile& file_;
    lxw_worksheet* sheet_;
    unsigned row_ = 0;
};

} // namespace zr5
