#include <QStringList>

#include "assessment/assessment.h"
#include "assessment/assessmentfigures.h"
#include "assessment/assessmentpage.h"
#include "settings/settings.h"
#include "tool/commands.h"
#include "workbook/assessmentworkbook.h"

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

Status TakeAssessmentSettings(const CommandLine& line, AssessmentSettings& settings) {
    QString error;
    if (!takeNumber(line, "kq", settings.KQ, error) ||
        !takeNumber(line, "hours", settings.hoursPerYear, error) ||
        !takeNumber(line, "price", settings.price, error) ||
        !takeNumber(line, "ie3-price", settings.ie3PricePerKw, error) ||
        !takeNumber(line, "ie4-price", settings.ie4PricePerKw, error) ||
        !takeNumber(line, "years", settings.lifeCycleYears, error) ||
        !takeNumber(line, "emission-factor", settings.emissionFactor, error) ||
        !takeNumber(line, "pf-target", settings.pfTarget, error))
        return Status::failure(error);
    if (!(settings.pfTarget > 0 && settings.pfTarget <= 1))
        return Status::failure(QStringLiteral("--pf-target 必须大于 0 且不大于 1"));
    return {};
}

Result<AssessmentSettings> CommandAssessmentSettings(ToolContext& context,
                                                     const CommandLine& line) {
    auto [settings, problems] = ReadAssessmentSettings(context.dataDirectory);
    if (Status taken = TakeAssessmentSettings(line, settings); !taken)
        return Result<AssessmentSettings>::failure(taken.error());
    for (const QString& problem : problems)
        Print(context.err, QStringLiteral("zr5-tool: ") + OneLine(problem) + QLatin1Char('\n'));
    return settings;
}

QList<QCommandLineOption> MeasureOptions() {
    return {Option("ie3-price",
                   "IE3 电动机每 kW 价格，元（默认取 Assess.dat，没有时 400，粗略估计）", "Y"),
            Option("ie4-price",
                   "IE4 电动机每 kW 价格，元（默认取 Assess.dat，没有时 550，粗略估计）", "Y"),
            Option("years", "寿命期年数（默认取 Assess.dat，没有时 15）", "N"),
            Option("emission-factor",
                   "电网排放因子，kg CO₂/kWh（默认取 Assess.dat，没有时 0.5703）", "F"),
            Option("pf-target", "补偿后的目标功率因数（默认取 Assess.dat，没有时 0.95）", "PF")};
}

QList<QCommandLineOption> AssessmentSettingOptions() {
    return QList<QCommandLineOption>{
               Option("kq", "无功经济当量，kW/kvar（默认取数据目录的 Assess.dat，没有时 0.05）",
                      "X"),
               Option("hours", "每年运行小时数（默认取 Assess.dat，没有时 6000）", "H"),
               Option("price", "电价，元/kWh（默认取 Assess.dat，没有时 0.8）", "P")} +
           MeasureOptions();
}

QList<QCommandLineOption> AssessOptions() {
    return AssessmentSettingOptions() +
           QList<QCommandLineOption>{
               Option("json", "以一个 JSON 对象输出"),
               Option("pdf", "另把评估窗口打印的一页写成 PDF", "OUT.pdf"),
               Option("xlsx", "另写成 Excel 工作簿（概况、评估），写完才出现", "OUT.xlsx"),
               OverwriteOption()};
}

int RunAssess(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    if (args.size() != 1)
        return UsageFail(context);
    const Result<AssessmentSettings> taken = CommandAssessmentSettings(context, line);
    if (!taken)
        return Fail(context, taken.error());
    const AssessmentSettings& settings = *taken;
    const QString pdf = line.value(QStringLiteral("pdf"));
    const QString xlsx = line.value(QStringLiteral("xlsx"));
    const bool json = line.isSet(QStringLiteral("json"));
    QStringList outputs;
    for (const QString& output : {pdf, xlsx})
        if (!output.isEmpty())
            outputs << output;
    if (Status e = FilesRefusal(args, outputs, line.isSet(QStringLiteral("overwrite"))); !e)
        return Fail(context, e.error());
    const AssessmentRun run = AssessRecording(args.first(), context.dataDirectory, settings);
    if (!run.error.isEmpty())
        return Fail(context, run.error);
    if (!pdf.isEmpty()) {
        const AssessmentPageInput page{run, settings, args.first()};
        if (Status e =
                WritePdf(pdf, QStringLiteral("经济运行评估"),
                         [&](Printer& p) { return std::make_unique<AssessmentPageJob>(p, page); });
            !e)
            return Fail(context, e.error());
    }
    if (!xlsx.isEmpty())
        if (const Status s = WriteAssessmentWorkbook(run, settings, xlsx); !s)
            return Fail(context, s.error());
    const double hours = double(run.recording.header.Duration) / 3600.0;
    Print(context.out,
          json ? JsonText(AssessmentJson(run))
               : FigureListText(AssessmentRunFigures(run)) + QStringLiteral("结论：") +
                     AssessmentVerdict(run.assessment, hours, run.recording.header.Motor[1]) +
                     QLatin1Char('\n'));
    if (std::ferror(context.out) || std::fflush(context.out) != 0)
        return Fail(context, QStringLiteral("无法写出结果"));
    return 0;
}

} // namespace zr5::tool
