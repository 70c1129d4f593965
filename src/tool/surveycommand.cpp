#include <QFile>
#include <QJsonArray>
#include <QThread>
#include <atomic>
#include <csignal>
#include <unistd.h>

#include "assessment/assessment.h"
#include "model/numbertext.h"
#include "recording/outputfile.h"
#include "survey/surveyreport.h"
#include "survey/surveystore.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

// A run's problem lines, then its summary line.
QString RunText(const SurveyRunText& t) {
    QString text;
    for (const QString& p : t.problems)
        text += p + QLatin1Char('\n');
    return text + t.summary + QLatin1Char('\n');
}

std::atomic_bool gInterrupted{false};

void OnInterrupt(int) {
    gInterrupted.store(true);
}

Result<std::unique_ptr<SurveyDatabase>> OpenSurvey(const QString& location,
                                                   SurveyDatabase::Open mode) {
    return SurveyDatabase::open(location, mode);
}

int Add(ToolContext& context, const CommandLine& line, const QStringList& args) {
    if (args.size() < 2)
        return UsageFail(context, QStringLiteral("survey add 需要测试汇总和至少一个记录或文件夹"));
    auto survey = OpenSurvey(args.first(), SurveyDatabase::Open::CreateIfMissing);
    if (!survey)
        return Fail(context, survey.error());
    const auto [files, problems] = FindRecordings(args.mid(1));
    const ImportOptions options{line.value(QStringLiteral("plant")),
                                line.value(QStringLiteral("department")),
                                line.value(QStringLiteral("motor"))};
    const Result<ImportOutcome> out = ImportRecordings(**survey, files, options);
    if (!out)
        return Fail(context, out.error());
    const SurveyRunText t = ImportText(*out, problems);
    return PrintResult(context, RunText(t));
}

int Assess(ToolContext& context, const CommandLine& line, const QStringList& args) {
    if (args.size() != 1)
        return UsageFail(context);
    SurveyAssessOptions options;
    const Result<AssessmentSettings> taken = CommandAssessmentSettings(context, line);
    if (!taken)
        return Fail(context, taken.error());
    options.settings = *taken;
    options.jobs = QThread::idealThreadCount();
    if (line.isSet(QStringLiteral("jobs"))) {
        bool ok = false;
        options.jobs = line.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > 256)
            return UsageFail(context, QStringLiteral("--jobs 应是 1 到 256 的整数"));
    }
    auto survey = OpenSurvey(args.first(), SurveyDatabase::Open::Existing);
    if (!survey)
        return Fail(context, survey.error());
    // A test asks for a signal after N stored results ("N:SIGNAL") to stand for a user's Ctrl-C
    // or a kill at a known point of the run.
    int signalAfter = -1, signalNumber = 0;
    if (const QByteArray t = qgetenv("ZR5_SURVEY_TEST_SIGNAL"); !t.isEmpty()) {
        const QList<QByteArray> parts = t.split(':');
        if (parts.size() == 2) {
            signalAfter = parts[0].toInt();
            signalNumber = parts[1].toInt();
        }
    }
    gInterrupted.store(false);
    std::signal(SIGINT, OnInterrupt);
    options.cancel = &gInterrupted;
    options.progress = [&](int done, int total) {
        Print(context.err, QStringLiteral("\r评估 %1/%2").arg(done).arg(total));
        std::fflush(context.err);
        if (done == signalAfter)
            ::raise(signalNumber);
    };
    const Result<SurveyAssessOutcome> out = AssessSurvey(**survey, context.dataDirectory, options);
    std::signal(SIGINT, SIG_DFL);
    if (out && out->toAssess > 0)
        Print(context.err, QStringLiteral("\n"));
    if (!out)
        return Fail(context, out.error());
    const int code = PrintResult(context, RunText(AssessText(*out)));
    return out->cancelled && code == 0 ? 130 : code;
}

QString ReportText(const SurveyReport& r) {
    QString text;
    for (const SurveyMotorLine& m : r.motors)
        text += QStringLiteral("%1\t%2\t%3 kW\t%4\t%5 kWh/年\t%6 元/年\n")
                    .arg(m.tag, m.department, QString::number(m.ratedPowerKw), m.measureText,
                         QString::number(m.annualSavingKwh, 'f', 0),
                         QString::number(m.annualSavingMoney, 'f', 2));
    for (const SurveyTotals& d : r.departments)
        text += QStringLiteral("部门 %1：%2 台，年节电 %3 kWh，%4 元\n")
                    .arg(d.name)
                    .arg(d.motors)
                    .arg(QString::number(d.annualSavingKwh, 'f', 0),
                         QString::number(d.annualSavingMoney, 'f', 2));
    text += QStringLiteral("全厂：%1 台，年节电 %2 kWh，%3 元\n")
                .arg(r.plant.motors)
                .arg(QString::number(r.plant.annualSavingKwh, 'f', 0),
                     QString::number(r.plant.annualSavingMoney, 'f', 2));
    return text;
}

int Report(ToolContext& context, const CommandLine& line, const QStringList& args) {
    if (args.size() != 1)
        return UsageFail(context);
    const QString csv = line.value(QStringLiteral("csv"));
    const QString xlsx = line.value(QStringLiteral("xlsx"));
    const QString pdf = line.value(QStringLiteral("pdf"));
    const bool json = line.isSet(QStringLiteral("json"));
    if (int(json) + int(!csv.isEmpty()) + int(!xlsx.isEmpty()) + int(!pdf.isEmpty()) > 1)
        return UsageFail(context, QStringLiteral("--json、--csv、--xlsx 和 --pdf 只能选一个"));
    const QString output = !csv.isEmpty() ? csv : !xlsx.isEmpty() ? xlsx : pdf;
    if (!output.isEmpty())
        if (Status e = FilesRefusal({}, {output}, line.isSet(QStringLiteral("overwrite"))); !e)
            return Fail(context, e.error());
    auto survey = OpenSurvey(args.first(), SurveyDatabase::Open::Existing);
    if (!survey)
        return Fail(context, survey.error());
    const Result<SurveyReport> report = BuildSurveyReport(**survey);
    if (!report)
        return Fail(context, report.error());
    if (json)
        return PrintResult(context, JsonText(SurveyReportJson(*report)));
    if (!csv.isEmpty()) {
        OutputFile file(csv);
        if (!file.open() || !file.write(SurveyReportCsv(*report)) || !file.commit())
            return Fail(context, file.error());
        return 0;
    }
    if (!xlsx.isEmpty()) {
        if (Status s = WriteSurveyWorkbook(*report, xlsx); !s)
            return Fail(context, s.error());
        return 0;
    }
    if (!pdf.isEmpty()) {
        if (Status e =
                WritePdf(pdf, QStringLiteral("电动机测试汇总"),
                         [&](Printer& p) { return std::make_unique<SurveyReportJob>(p, *report); });
            !e)
            return Fail(context, e.error());
        return 0;
    }
    return PrintResult(context, ReportText(*report));
}

int List(ToolContext& context, const QStringList& args) {
    if (args.size() != 1)
        return UsageFail(context);
    auto survey = OpenSurvey(args.first(), SurveyDatabase::Open::Existing);
    if (!survey)
        return Fail(context, survey.error());
    const auto lines = ListSurvey(**survey);
    if (!lines)
        return Fail(context, lines.error());
    QString text;
    for (const SurveyRecordingLine& l : *lines)
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5%6\n")
                    .arg(l.department, l.motor, l.state, l.path,
                         l.problem.isEmpty() || l.state != QLatin1String("damaged")
                             ? QString()
                             : QStringLiteral("\t") + l.problem,
                         QString());
    return PrintResult(context, text);
}

} // namespace

QList<QCommandLineOption> SurveyOptions() {
    return AssessmentSettingOptions() +
           QList<QCommandLineOption>{
               Option("plant", "add：工厂名", "P"),
               Option("department", "add：部门名", "D"),
               Option("motor", "add：电机位号（默认取记录所在文件夹的名字）", "TAG"),
               Option("jobs", "assess：同时评估的记录数（默认为处理器核数）", "N"),
               Option("json", "report：以一个 JSON 对象输出"),
               Option("csv", "report：写成 CSV", "OUT.csv"),
               Option("xlsx", "report：写成 Excel 工作簿", "OUT.xlsx"),
               Option("pdf", "report：写成 PDF", "OUT.pdf"),
               OverwriteOption()};
}

int RunSurvey(ToolContext& context, const CommandLine& line) {
    QStringList args = line.positional();
    if (args.isEmpty())
        return UsageFail(context);
    const QString verb = args.takeFirst();
    if (verb == QLatin1String("add"))
        return Add(context, line, args);
    if (verb == QLatin1String("assess"))
        return Assess(context, line, args);
    if (verb == QLatin1String("report"))
        return Report(context, line, args);
    if (verb == QLatin1String("list"))
        return List(context, args);
    return UsageFail(context, QStringLiteral("未知的 survey 命令 “%1”：应是 add、assess、report 或 "
                                             "list")
                                  .arg(verb));
}

} // namespace zr5::tool
