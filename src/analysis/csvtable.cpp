#include "analysis/csvtable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/cumulative.h"

namespace zr5 {

const char kCsvTableHeader[] =
    "row,elapsed_s,I1,U1,P1,I2,U2,P2,I3,U3,P3,P,Q,S,PF,active_energy_Wh,"
    "reactive_energy_varh,state,load_rate_pct,output_power_kW,efficiency_pct\n";

namespace {

// Nine significant digits: every single-precision value reads back unchanged.
void appendNumber(std::string& line, float v) {
    if (!std::isfinite(v)) {
        line += std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
        return;
    }
    char buf[32];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, double(v), std::chars_format::general, 9).ptr;
    line.append(buf, end);
}

void appendRow(std::string& line, const CumulativeRowView& v) {
    const MeasurementModel& m = v.model;
    line += std::to_string(v.row);
    line += ',';
    appendNumber(line, v.elapsed);
    for (float c : m.ChannelRow) {
        line += ',';
        appendNumber(line, c);
    }
    for (int index : {Slot::ActivePower, Slot::ReactivePower, Slot::ApparentPower,
                      Slot::PowerFactor, Slot::ActiveEnergy, Slot::ReactiveEnergy}) {
        line += ',';
        appendNumber(line, m.SampleRow[std::size_t(index)]);
    }
    line += ',';
    line += MotorStateKey(v.decision.state).toStdString();
    // A row without an operating point (below no-load, generating, no motor data) leaves the three
    // fields empty, as the window and the printed table do; the figures it carries over from an
    // earlier row would spoil any average taken from the file.
    const bool operating = v.decision.state == MotorState::Normal;
    for (float value : {m.LoadRate, m.OutputPower, m.Efficiency}) {
        line += ',';
        if (operating)
            appendNumber(line, value);
    }
    line += '\n';
}

} // namespace

CsvTableOutcome WriteCsvTable(const QString& recording, qint64 firstRow, qint64 lastRow,
                              const std::function<bool(const std::string&)>& write,
                              const std::function<bool(qint64, qint64)>& progress) {
    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(recording, model, results);
    if (QString refusal = pass.begin(); !refusal.isEmpty())
        return {CsvTableOutcome::ReadFailed, refusal};
    const qint64 count = pass.recording().RecordCount;
    const qint64 first = std::max<qint64>(firstRow, 1);
    const qint64 last = std::min(lastRow, count);
    std::string block = kCsvTableHeader;
    // The rows before the first still run through the pass: their energies add up.
    while (!pass.done() && pass.rowsDone() < last) {
        const qint64 rows = std::min<qint64>(2048, last - pass.rowsDone());
        pass.process(rows, [&](const CumulativeRowView& v) {
            if (v.row >= first)
                appendRow(block, v);
        });
        if (!block.empty() && !write(block))
            return {CsvTableOutcome::WriteFailed, {}};
        block.clear();
        if (progress && !progress(pass.rowsDone(), last))
            return {CsvTableOutcome::Cancelled, {}};
    }
    if (!block.empty() && !write(block))
        return {CsvTableOutcome::WriteFailed, {}};
    if (!pass.error().isEmpty())
        return {CsvTableOutcome::ReadFailed, pass.error()};
    return {};
}

} // namespace zr5
