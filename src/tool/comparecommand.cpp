#include <QStringList>

#include "compare/comparison.h"
#include "compare/comparisonpage.h"
#include "tool/commands.h"

namespace zr5::tool {

QList<QCommandLineOption> CompareOptions() {
    return AssessmentSettingOptions() +
           QList<QCommandLineOption>{Option("json", "以一个 JSON 对象输出"),
                                     Option("pdf", "另把对比窗口打印的一页写成 PDF", "OUT.pdf"),
                                     OverwriteOption()};
}

int RunCompare(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    if (args.size() != 2)
        return UsageFail(context);
    const Result<AssessmentSettings> taken = CommandAssessmentSettings(context, line);
    if (!taken)
        return Fail(context, taken.error());
    const AssessmentSettings& settings = *taken;
    const QString pdf = line.value(QStringLiteral("pdf"));
    if (Status e = FilesRefusal(args, pdf.isEmpty() ? QStringList() : QStringList{pdf},
                                line.isSet(QStringLiteral("overwrite")));
        !e)
        return Fail(context, e.error());
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
