#include <QDateTime>
#include <QFileInfo>
#include <functional>

#include "analysis/cumulative.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/painterprinter.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

const char kUsage[] = "用法: zr5-tool report FILE.MTR [--curves OUT.pdf] [--data OUT.pdf] "
                      "[--from N] [--to M] [--org TEXT] [--device TEXT] [--date YYYY-MM-DDTHH:MM]";

} // namespace

int RunReport(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString curvesPath, dataPath, from, to, date, error;
    ReportHeading heading;
    for (auto [name, value] : {std::pair{"--curves", &curvesPath},
                               {"--data", &dataPath},
                               {"--from", &from},
                               {"--to", &to},
                               {"--org", &heading.organisation},
                               {"--device", &heading.DeviceNumber},
                               {"--date", &date}})
        if (!TakeOption(args, QString::fromLatin1(name), *value, error))
            return Fail(context, error);
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")) ||
        (curvesPath.isEmpty() && dataPath.isEmpty()))
        return Fail(context, QString::fromUtf8(kUsage));

    const QString file = args.first();
    Result<RecordingInfo> info = ReadRecordingInfo(file);
    if (!info)
        return Fail(context, info.error());
    heading.fileName = file;
    if (date.isEmpty()) {
        heading.date = RecordingDateTexts(file, QDateTime::currentDateTime());
    } else {
        const QDateTime when = QDateTime::fromString(date, QStringLiteral("yyyy-MM-ddTHH:mm"));
        if (!when.isValid())
            return Fail(context, QStringLiteral("测试日期 “%1” 应写作 YYYY-MM-DDTHH:MM").arg(date));
        heading.date = DateTexts(when);
    }
    const MotorParameters motor = info->header.motorParameters();

    // Every refusal comes before any file is written.
    DataReportInput data{*info, motor, {}, heading};
    if (!dataPath.isEmpty()) {
        const Result<RowRange> range = ParsePrintRange(
            from.isEmpty() ? QStringLiteral("1") : from,
            to.isEmpty() ? QString::number(info->RecordCount) : to, info->RecordCount);
        if (!range)
            return Fail(context, range.error());
        data.range = *range;
    }
    CurvePageInput curves;
    if (!curvesPath.isEmpty()) {
        curves.recording = *info;
        curves.motor = motor;
        curves.ctInUse = {info->header.red(), info->header.blue(), info->header.yellow()};
        curves.heading = heading;
        if (QString refusal = CurvePageRefusal(curves); !refusal.isEmpty())
            return Fail(context, refusal);
        // The extremes of efficiency and load rate and the energies are the cumulative
        // analysis's, as in the analysis window.
        AppState state(context.dataDirectory);
        state.recordingOpened(file);
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (QString e = pass.runAll(); !e.isEmpty())
            return Fail(context, e);
        curves.takeAnalysis(state.analysis);
        if (QString e =
                WritePdf(curvesPath, QStringLiteral("工况运行曲线"),
                         [&](Printer& p) { return std::make_unique<CurvePageJob>(p, curves); });
            !e.isEmpty())
            return Fail(context, e);
    }
    if (!dataPath.isEmpty()) {
        if (QString e =
                WritePdf(dataPath, QStringLiteral("数据"),
                         [&](Printer& p) { return std::make_unique<DataReportJob>(p, data); });
            !e.isEmpty())
            return Fail(context, e);
    }
    return 0;
}

} // namespace zr5::tool
