#include <QDateTime>
#include <QFileInfo>
#include <functional>

#include "analysis/cumulative.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/painterprinter.h"
#include "tool/commands.h"

namespace zr5::tool {

QList<QCommandLineOption> ReportOptions() {
    return {Option("curves", "工况运行曲线页（A4）", "OUT.pdf"),
            Option("data", "数据报表", "OUT.pdf"),
            Option("from", "数据报表的起始行（默认 1）", "N"),
            Option("to", "数据报表的结束行（默认最后一行）", "M"),
            Option("org", "单位名称（默认 ×××公司）", "TEXT"),
            Option("device", "设备编号（默认 设001-001）", "TEXT"),
            Option("date", "测试日期（默认数据文件的修改时间）", "YYYY-MM-DDTHH:MM"),
            OverwriteOption()};
}

int RunReport(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString curvesPath = line.value(QStringLiteral("curves"));
    const QString dataPath = line.value(QStringLiteral("data"));
    const QString from = line.value(QStringLiteral("from"));
    const QString to = line.value(QStringLiteral("to"));
    const QString date = line.value(QStringLiteral("date"));
    ReportHeading heading;
    if (line.isSet(QStringLiteral("org")))
        heading.organisation = line.value(QStringLiteral("org"));
    if (line.isSet(QStringLiteral("device")))
        heading.DeviceNumber = line.value(QStringLiteral("device"));
    if (args.size() != 1 || (curvesPath.isEmpty() && dataPath.isEmpty()))
        return UsageFail(context);

    const QString file = args.first();
    QStringList outputs;
    for (const QString& output : {curvesPath, dataPath})
        if (!output.isEmpty())
            outputs << output;
    if (Status e = FilesRefusal({file}, outputs, line.isSet(QStringLiteral("overwrite"))); !e)
        return Fail(context, e.error());
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
        if (range->first > range->last)
            return Fail(context, QStringLiteral("打印范围的起始行 %1 大于结束行 %2")
                                     .arg(range->first)
                                     .arg(range->last));
        data.range = *range;
    }
    CurvePageInput curves;
    if (!curvesPath.isEmpty()) {
        curves.recording = *info;
        curves.motor = motor;
        curves.ctInUse = {info->header.red(), info->header.blue(), info->header.yellow()};
        curves.heading = heading;
        if (Status printable = CurvePageRefusal(curves); !printable)
            return Fail(context, printable.error());
        // The extremes of efficiency and load rate and the energies are the cumulative
        // analysis's, as in the analysis window.
        AppState state(context.dataDirectory);
        state.recordingOpened(file);
        // The pass reduces the page's curves as it goes: the page does not read the rows again.
        CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
        if (Status analysed = RunPassWithCurvePage(pass, curves, PdfColumnTwips()); !analysed)
            return Fail(context, analysed.error());
        curves.takeAnalysis(state.analysis);
        if (Status e =
                WritePdf(curvesPath, QStringLiteral("工况运行曲线"),
                         [&](Printer& p) { return std::make_unique<CurvePageJob>(p, curves); });
            !e)
            return Fail(context, e.error());
    }
    if (!dataPath.isEmpty()) {
        if (Status e =
                WritePdf(dataPath, QStringLiteral("数据"),
                         [&](Printer& p) { return std::make_unique<DataReportJob>(p, data); });
            !e)
            return Fail(context, e.error());
    }
    return 0;
}

} // namespace zr5::tool
