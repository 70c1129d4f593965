#include <charconv>
#include <cmath>
#include <string>

#include "analysis/cumulative.h"
#include "recording/outputfile.h"
#include "tool/commands.h"

namespace zr5::tool {

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

const char kHeader[] = "row,elapsed_s,I1,U1,P1,I2,U2,P2,I3,U3,P3,P,Q,S,PF,active_energy_Wh,"
                       "reactive_energy_varh,state,load_rate_pct,output_power_kW,efficiency_pct\n";

// Writes to a file atomically, or to standard output.
class Output {
public:
    explicit Output(const QString& path) : path_(path), file_(path) {}
    QString open() {
        if (path_.isEmpty() || file_.open())
            return {};
        return QStringLiteral("无法创建输出文件 %1：%2").arg(path_, file_.error());
    }
    bool write(const std::string& text) {
        if (path_.isEmpty())
            return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return file_.write(text.data(), qint64(text.size()));
    }
    QString commit() {
        if (path_.isEmpty())
            return std::fflush(stdout) == 0 ? QString() : failure();
        return file_.commit() ? QString() : failure();
    }
    QString failure() const {
        return path_.isEmpty()
                   ? StandardOutputFailure()
                   : QStringLiteral("写入输出文件 %1 出错：%2").arg(path_, file_.error());
    }

private:
    QString path_;
    OutputFile file_;
};

} // namespace

int RunExport(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString outputPath;
    QString error;
    if (!TakeOption(args, QStringLiteral("--output"), outputPath, error))
        return Fail(context, error);
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return Fail(context, QStringLiteral("用法: zr5-tool export FILE [--output OUT.csv]"));

    AppState state(context.dataDirectory);
    state.recordingOpened(args.first());
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    if (QString refusal = pass.begin(); !refusal.isEmpty())
        return Fail(context, refusal);

    Output out(outputPath);
    if (QString e = out.open(); !e.isEmpty())
        return Fail(context, e);
    std::string block = kHeader;
    bool writeFailed = false;
    while (!pass.done() && !writeFailed) {
        pass.process(4096, [&](const CumulativeRowView& v) {
            const MeasurementModel& m = v.model;
            std::string& line = block;
            line += std::to_string(v.row);
            line += ',';
            appendNumber(line, v.elapsed);
            for (float c : m.ChannelRow) {
                line += ',';
                appendNumber(line, c);
            }
            for (int index : {2, 5, 9, 8, 10, 11}) {
                line += ',';
                appendNumber(line, m.SampleRow[std::size_t(index)]);
            }
            line += ',';
            line += MotorStateKey(v.decision.state).toStdString();
            for (float value : {m.LoadRate, m.OutputPower, m.Efficiency}) {
                line += ',';
                appendNumber(line, value);
            }
            line += '\n';
        });
        if (!out.write(block))
            writeFailed = true;
        block.clear();
    }
    if (writeFailed)
        return Fail(context, out.failure());
    if (!pass.error().isEmpty())
        return Fail(context, pass.error());
    if (QString e = out.commit(); !e.isEmpty())
        return Fail(context, e);
    return 0;
}

} // namespace zr5::tool
