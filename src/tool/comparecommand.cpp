#include <QStringList>

#include "compare/comparison.h"
#include "compare/comparisonpage.h"
#include "tool/commands.h"

namespace zr5::tool {

QList<QCommandLineOption> CompareOptions() {
    return QList<QCommandLineOption>{
               Option("kq", "无功经济当量，kW/kvar（默认取数据目录的 Assess.dat）", "X"),
               Option("hours", "每年运行小时数（默认取 Assess.dat）", "H"),
               Option("price", "电价，元/kWh（默认取 Assess.dat）", "P")} +
           MeasureOptions() +
           QList<QCommandLineOption>{Option("json", "以一个 JSON 对象输出"),
                                     Option("pdf", "另把对比窗口打印的一页写成 PDF", "OUT.pdf"),
                                     OverwriteOption()};
}

int RunCompare(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    if (args.size() != 2)
        return UsageFail(context);
    // The assessment window's settings, unless the command line gives others.
    auto [settings, problems] = ReadAssessmentSettings(context.dataDirectory);
    if (Status taken = TakeAssessmentSettings(line, settings); !taken)
        return Fail(context, taken.error());
    const QString pdf = line.value(QStringLiteral("pdf"));
    if (Status e = FilesRefusal(args, pdf.isEmpty() ? QStringList() : QStringList{pdf},
                                line.isSet(QStringLiteral("overwrite")));
        !e)
        return Fail(context, e.error());
    for (const QString& problem : problems)
        Print(context.err, QStringLiteral("zr5-tool: ") + OneLine(problem) + QLatin1Char('\n'));
    const Result<Comparison> c =
        CompareRecordingFiles(args[0], args[1], context.dataDirectory, settings);
    if (!c)
        return Fail(context, c.error());
    if (!pdf.isEmpty())
        if (Status e =
                WritePdf(pdf, QStringLiteral("改造前后对比"),
                         [&](Printer& p) { return std::make_unique<ComparisonPageJob>(p, *c); });
            !e)
            return Fail(context, e.error());
    return PrintResult(context, line.isSet(QStringLiteral("json")) ? JsonText(ComparisonJson(*c))
                                                                   : ComparisonText(*c));
}

} // namespace zr5::tool
