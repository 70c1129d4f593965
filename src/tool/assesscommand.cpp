#include <QStringList>

#include "assessment/assessment.h"
#include "assessment/assessmentfigures.h"
#include "assessment/assessmentpage.h"
#include "settings/settings.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

bool takeNumber(QStringList& args, const char* name, double& value, QString& error) {
    QString text;
    if (!TakeOption(args, QString::fromLatin1(name), text, error))
        return false;
    if (text.isEmpty())
        return true;
    // The same rule as the settings dialog's boxes: a number, not negative.
    const BoxNumber n = ParseBoxNumber(text, false, true);
    if (!n.ok) {
        error = QLatin1String(name) + QLatin1Char(' ') + n.reason;
        return false;
    }
    value = n.value;
    return true;
}

} // namespace

int RunAssess(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    AssessmentSettings settings;
    QString error;
    if (!takeNumber(args, "--kq", settings.KQ, error) ||
        !takeNumber(args, "--hours", settings.hoursPerYear, error) ||
        !takeNumber(args, "--price", settings.price, error))
        return Fail(context, error);
    QString pdf;
    if (!TakeOption(args, QStringLiteral("--pdf"), pdf, error))
        return Fail(context, error);
    const bool json = TakeFlag(args, QStringLiteral("--json"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")))
        return Fail(context, QStringLiteral("用法: zr5-tool assess FILE [--kq X] [--hours H] "
                                            "[--price P] [--json] [--pdf OUT.pdf]"));
    const AssessmentRun run = AssessRecording(args.first(), context.dataDirectory, settings);
    if (!run.error.isEmpty())
        return Fail(context, run.error);
    if (!pdf.isEmpty()) {
        const AssessmentPageInput page{run, settings, args.first()};
        if (QString e =
                WritePdf(pdf, QStringLiteral("经济运行评估"),
                         [&](Printer& p) { return std::make_unique<AssessmentPageJob>(p, page); });
            !e.isEmpty())
            return Fail(context, e);
    }
    const double hours = double(run.recording.header.Duration) / 3600.0;
    const FigureList figures = AssessmentFigures(run.assessment, hours);
    Print(context.out,
          json ? JsonText(FigureListJson(figures))
               : FigureListText(figures) + QStringLiteral("结论：") +
                     AssessmentVerdict(run.assessment, hours, run.recording.header.Motor[1]) +
                     QLatin1Char('\n'));
    if (std::ferror(context.out) || std::fflush(context.out) != 0)
        return Fail(context, QStringLiteral("无法写出结果"));
    return 0;
}

} // namespace zr5::tool
