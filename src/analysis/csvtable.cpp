#include "analysis/csvtable.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "analysis/cumulative.h"
#include "model/unbalance.h"

namespace zr5 {

const char kCsvTableHeader[] =
    "row,elapsed_s,I1,U1,P1,I2,U2,P2,I3,U3,P3,P,Q,S,PF,active_energy_Wh,"
    "reactive_energy_varh,state,load_rate_pct,output_power_kW,efficiency_pct,"
    "voltage_unbalance_pct,current_unbalance_pct\n";

void AppendCsvNumber(std::string& line, float v) {
    // Nine significant digits: every single-precision value reads back unchanged.
    if (!std::isfinite(v)) {
        line += std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
        return;
    }
    char buf[32];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, double(v), std::chars_format::general, 9).ptr;
    line.append(buf, end);
}

namespace {

CsvTableRow tableRow(const CumulativeRowView& v, bool threePhases) {
    const MeasurementModel& m = v.model;
    CsvTableRow r;
    r.row = v.row;
    r.state = v.decision.state;
    auto out = r.numbers.begin();
    *out++ = v.elapsed;
    for (float c : m.ChannelRow)
        *out++ = c;
    for (int index : {Slot::ActivePower, Slot::ReactivePower, Slot::ApparentPower,
                      Slot::PowerFactor, Slot::ActiveEnergy, Slot::ReactiveEnergy})
        *out++ = m.SampleRow[std::size_t(index)];
    for (float value : {m.LoadRate, m.OutputPower, m.Efficiency})
        *out++ = value;
    const RowUnbalance u = threePhases ? RowUnbalanceOf(m.SampleRow) : RowUnbalance{};
    for (const std::optional<double>& value : {u.voltage, u.current})
        *out++ = value ? float(*value) : std::numeric_limits<float>::quiet_NaN();
    return r;
}

void appendRow(std::string& line, const CsvTableRow& r) {
    line += std::to_string(r.row);
    for (int i = 0; i < CsvTableRow::kNumbers; ++i) {
        line += ',';
        if (i + 1 == CsvTableRow::kStateColumn) {
            line += MotorStateKey(r.state).toStdString();
            line += ',';
        }
        if (r.hasNumber(i))
            AppendCsvNumber(line, r.numbers[std::size_t(i)]);
    }
    line += '\n';
}

} // namespace

bool NextCsvTableRows(CumulativeAnalysis& pass, qint64 first, qint64 last,
                      std::vector<CsvTableRow>& rows) {
    rows.clear();
    if (pass.done() || pass.rowsDone() >= last)
        return false;
    const qint64 n = std::min<qint64>(CumulativeAnalysis::kBlockRows, last - pass.rowsDone());
    const RecordingHeader& h = pass.recording().header;
    const bool threePhases = ThreePhasesWired(h.red(), h.blue(), h.yellow());
    pass.process(n, [&](const CumulativeRowView& v) {
        if (v.row >= first)
            rows.push_back(tableRow(v, threePhases));
    });
    return true;
}

CsvTableOutcome ReadCsvTable(CumulativeAnalysis& pass, qint64 firstRow, qint64 lastRow,
                             const std::function<bool(const std::vector<CsvTableRow>&)>& perBlock,
                             const std::function<bool(qint64, qint64)>& progress) {
    const qint64 count = pass.recording().RecordCount;
    const qint64 first = std::max<qint64>(firstRow, 1);
    const qint64 last = std::min(lastRow, count);
    std::vector<CsvTableRow> rows;
    rows.reserve(std::size_t(CumulativeAnalysis::kBlockRows));
    while (NextCsvTableRows(pass, first, last, rows)) {
        if (!rows.empty() && !perBlock(rows))
            return {CsvTableOutcome::WriteFailed, {}};
        if (progress && !progress(pass.rowsDone(), last))
            return {CsvTableOutcome::Cancelled, {}};
    }
    if (!pass.error().isEmpty())
        return {CsvTableOutcome::ReadFailed, pass.error()};
    return {};
}

CsvTableWriter::CsvTableWriter(const QString& recording, qint64 firstRow, qint64 lastRow,
                               Write write)
    : model_(std::make_unique<MeasurementModel>()), results_(std::make_unique<AnalysisResults>()),
      pass_(std::make_unique<CumulativeAnalysis>(recording, *model_, *results_)), first_(firstRow),
      last_(lastRow), write_(std::move(write)) {}

CsvTableWriter::CsvTableWriter(const RecordingInfo& recording, qint64 firstRow, qint64 lastRow,
                               Write write)
    : model_(std::make_unique<MeasurementModel>()), results_(std::make_unique<AnalysisResults>()),
      pass_(std::make_unique<CumulativeAnalysis>(recording, *model_, *results_)), first_(firstRow),
      last_(lastRow), write_(std::move(write)) {}

CsvTableWriter::~CsvTableWriter() = default;

qint64 CsvTableWriter::done() const {
    return pass_->rowsDone();
}

bool CsvTableWriter::fail(CsvTableOutcome::Status status, const QString& error) {
    ended_ = true;
    outcome_ = {status, error};
    return false;
}

bool CsvTableWriter::step() {
    passed_ = false;
    if (ended_)
        return false;
    std::string block;
    if (!started_) {
        started_ = true;
        if (Status begun = pass_->begin(); !begun)
            return fail(CsvTableOutcome::ReadFailed, begun.error());
        first_ = std::max<qint64>(first_, 1);
        last_ = std::min(last_, pass_->recording().RecordCount);
        block = kCsvTableHeader;
    }
    std::vector<CsvTableRow> rows;
    passed_ = NextCsvTableRows(*pass_, first_, last_, rows);
    for (const CsvTableRow& r : rows)
        appendRow(block, r);
    if (!block.empty() && !write_(block))
        return fail(CsvTableOutcome::WriteFailed);
    if (!pass_->done() && pass_->rowsDone() < last_)
        return true;
    if (!pass_->error().isEmpty())
        return fail(CsvTableOutcome::ReadFailed, pass_->error());
    ended_ = true;
    return false;
}

CsvTableOutcome WriteCsvTable(const QString& recording, qint64 firstRow, qint64 lastRow,
                              const std::function<bool(const std::string&)>& write,
                              const std::function<bool(qint64, qint64)>& progress) {
    CsvTableWriter table(recording, firstRow, lastRow, write);
    for (;;) {
        const bool more = table.step();
        if (table.outcome().status == CsvTableOutcome::WriteFailed)
            return table.outcome();
        if (table.passedRows() && progress && !progress(table.done(), table.total()))
            return {CsvTableOutcome::Cancelled, {}};
        if (!more)
            return table.outcome();
    }
}

QString CsvTableFileName(const QString& recording, qint64 firstRow, qint64 lastRow, qint64 rowCount,
                         const QString& suffix) {
    const QFileInfo file(recording);
    QString name = file.completeBaseName();
    if (firstRow > 1 || lastRow < rowCount)
        name += QStringLiteral("_行%1-%2")
                    .arg(std::max<qint64>(firstRow, 1))
                    .arg(std::min(lastRow, rowCount));
    return file.absoluteDir().filePath(name + suffix);
}

} // namespace zr5
