#include <QStringList>

#include "assessment/assessment.h"
#include "assessment/assessmentfigures.h"
#include "assessment/assessmentpage.h"
#include "settings/settings.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

bool takeNumber(const CommandLine& line, const char* name, double& value, QString& error) {
    const QString text = line.value(QString::fromLatin1(name));
    if (text.isEmpty())
        return true;
    // The same rule as the settings dialog's boxes: a number, not negative.
    const BoxNumber n = ParseBoxNumber(text, false, true);
    if (!n.ok) {
        error = QStringLiteral("--") + QLatin1String(name) + QLatin1Char(' ') + n.reason;
        return false;
    }
    value = n.value;
    return true;
}

} // namespace

QList<QCommandLineOption> AssessmentSettingOptions() {
    return {Option("kq", "无功经济当量，kW/kvar（默认 0.05）", "X"),
            Option("hours", "每年运行小时数（默认 6000）", "H"),
            Option("price", "电价，元/kWh（默认 0.8）", "P")};
}

QString TakeAssessmentSettings(const CommandLine& line, AssessmentSettings& settings) {
    QString error;
    if (!takeNumber(line, "kq", settings.KQ, error) ||
        !takeNumber(line, "hours", settings.hoursPerYear, error) ||
        !takeNumber(line, "price", settings.price, error))
        return error;
    return {};
}

QList<QCommandLineOption> AssessOptions() {
    return AssessmentSettingOptions() +
           QList<QCommandLineOption>{Option("json", "以一个 JSON 对象输出"),
                                     Option("pdf", "另把评估窗口打印的一页写成 PDF", "OUT.pdf"),
                                     OverwriteOption()};
}

int RunAssess(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    AssessmentSettings settings;
    if (args.size() != 1)
        return UsageFail(context);
    if (QString error = TakeAssessmentSettings(line, settings); !error.isEmpty())
        return Fail(context, error);
    const QString pdf = line.value(QStringLiteral("pdf"));
    const bool json = line.isSet(QStringLiteral("json"));
    if (QString e = FilesRefusal(args, pdf.isEmpty() ? QStringList() : QStringList{pdf},
                                 line.isSet(QStringLiteral("overwrite")));
        !e.isEmpty())
        return Fail(context, e);
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
    const FigureList figures = AssessmentRunFigures(run);
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
