// zr5-tool: the recordings and the arithmetic of the program on the command line, for engineers
// with many recordings, for scripts, and to check results against other implementations.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <memory>

#include "motor/samplecatalogue.h"
#include "tool/commands.h"
#include "tool/nativenames.h"

using namespace zr5::tool;
using zr5::CommandLine;
using zr5::Result;
using zr5::Status;

namespace {

bool Always(const CommandLine&) {
    return true;
}

const ToolCommand kCommands[] = {
    {"info", RunInfo, InfoOptions, "info [--json] FILE",
     "显示记录的起始时间、累计时间、数据组数、电机参数、互感器、最大值和最小值，\n"
     "以及累计分析的结果"},
    {"export", RunExport, ExportOptions,
     "export FILE [--output OUT.csv | --xlsx OUT.xlsx] [--from SECONDS --to SECONDS] [--overwrite]",
     "把记录的每一行（及其功率、电量、状态、负载率、输出功率和效率）写成 CSV 的一行，\n"
     "或写成 Excel 工作簿"},
    {"synth", RunSynth, SynthOptions,
     "synth OUT.MTR --rows N --duration SECONDS --seed S [--start SECONDS] [--overwrite]",
     "写出一个 11 kW 四极电机的逼真记录；同一种子得到同一文件"},
    {"motor", RunMotor, MotorOptions, "motor CODE [--json]",
     "显示电机技术数据目录中一个编码（1 - 6935）的数据"},
    {"motor-set", RunMotorSet, MotorSetOptions,
     "motor-set FILE.MTR (--motor P,kW,A,%,A,kW,V | --code N) (--output NEW.MTR | --overwrite)",
     "改写记录中的电机额定数据（按电机参数对话框的规则确认），\n"
     "写到新文件，或加 --overwrite 改写原文件"},
    {"receive", RunReceive, ReceiveOptions,
     "receive --port DEVICE (--seconds T | --until-stopped) [--ct R] [--pt R] [--motor "
     "P,kW,A,%,A,kW,V] [--overwrite] OUT.MTR",
     "从串行口接收并记录，如程序的定时接收（--seconds）或手动接收（--until-stopped）"},
    {"repair", RunRepair, RepairOptions, "repair IN.MTR OUT.MTR [--overwrite]",
     "把缺了结尾的记录（崩溃、磁盘已满、旧版本）的文件头和每一整行写成一个新的有效记录"},
    {"assess", RunAssess, AssessOptions,
     "assess FILE [--kq X] [--hours H] [--price P] [--ie3-price Y] [--ie4-price Y] [--years N] "
     "[--emission-factor F] [--pf-target PF] [--json] [--pdf OUT.pdf] [--xlsx OUT.xlsx] "
     "[--overwrite]",
     "按三相异步电动机经济运行的方法评估记录",
     [](const CommandLine& line) { return line.isSet(QStringLiteral("pdf")); }},
    {"compare", RunCompare, CompareOptions,
     "compare BEFORE.MTR AFTER.MTR [--kq X] [--hours H] [--price P] [--json] [--pdf OUT.pdf] "
     "[--overwrite]",
     "对比同一台电动机改造前后的两个记录：按相同的输出电量算出实测节电量",
     [](const CommandLine& line) { return line.isSet(QStringLiteral("pdf")); }},
    {"plot", RunPlot, PlotOptions,
     "plot FILE --kind K --output OUT.png|OUT.svg [--from SECONDS --to SECONDS] [--overwrite]",
     "画出一种累计曲线，存为 PNG 或 SVG", Always},
    {"ports", RunPorts, PortsOptions, "ports [--probe] [--port DEVICE]...",
     "列出本机的串行口和 COM1 - COM3 所指的设备；--probe 在每个串行口上接收两秒，找出仪表"},
    {"report", RunReport, ReportOptions,
     "report FILE [--curves OUT.pdf] [--data OUT.pdf] [--from N] [--to M] [--org TEXT] "
     "[--device TEXT] [--date YYYY-MM-DDTHH:MM] [--overwrite]",
     "把工况运行曲线页（--curves）和/或数据报表（--data）写成 PDF", Always},
    {"survey", RunSurvey, SurveyOptions,
     "survey add SURVEY FILE|DIR... [--plant P] [--department D] [--motor TAG] | "
     "survey assess SURVEY [--jobs N] [--kq X] [--hours H] [--price P] | "
     "survey report SURVEY [--json | --csv OUT | --xlsx OUT | --pdf OUT] [--overwrite] | "
     "survey list SURVEY",
     "工厂电动机测试汇总：把记录归到各台电机下（add），评估改变了的记录（assess），\n"
     "按年节电排出各电机并给出部门和全厂合计（report），列出记录及其状态（list）。\n"
     "SURVEY 是 .zr5survey 文件或 postgresql://用户@主机[:端口]/数据库",
     [](const CommandLine& line) { return line.isSet(QStringLiteral("pdf")); }},
};

// The options of every command, given before the command or among its own.
QList<QCommandLineOption> GlobalOptions() {
    return {Option("data-dir", "设置文件和电机数据所在的目录（也可用环境变量 ZR5_DATA_DIR 指定）",
                   "DIR"),
            zr5::HelpOption(), zr5::VersionOption()};
}

// The printed pages and pictures need fonts, so the commands that draw run a GUI application on
// the display-less platform. The application reads no arguments: they are read here.
std::unique_ptr<QCoreApplication> MakeApplication(char* program, bool draws) {
    static int argc = 1;
    static char* argv[] = {program, nullptr};
    if (draws) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        zr5::NameRuntimeDirectory();
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString Usage() {
    QString text = QStringLiteral("用法: zr5-tool [--data-dir DIR] COMMAND ...\n");
    for (const ToolCommand& c : kCommands)
        text += QStringLiteral("  zr5-tool %1\n").arg(QString::fromUtf8(c.usage));
    text += QStringLiteral("  zr5-tool --version\n选项：\n");
    text += CommandLine(GlobalOptions()).optionsHelp();
    return text + QStringLiteral("zr5-tool COMMAND --help 列出一个命令的选项。\n");
}

QString CommandHelp(const ToolCommand& c, const CommandLine& line) {
    return QStringLiteral("用法: zr5-tool [--data-dir DIR] %1\n%2\n选项：\n%3")
        .arg(QString::fromUtf8(c.usage), QString::fromUtf8(c.summary), line.optionsHelp());
}

// The options whose values are texts, not file names.
bool IsTextOption(const char* arg) {
    for (const char* option : {"--org", "--device", "--date"})
        if (std::strcmp(arg, option) == 0)
            return true;
    return false;
}

// The arguments as texts. A file name whose bytes are no UTF-8 text reaches the file system
// unchanged through an alias (see RawNames); any other such argument is refused rather than read
// as another text.
Result<QStringList> DecodeArguments(int argc, char** argv, RawNames& names) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (RawNames::Representable(raw)) {
            args << QFile::decodeName(raw);
            continue;
        }
        if (raw.startsWith("--") || (i > 1 && IsTextOption(argv[i - 1])))
            return Result<QStringList>::failure(
                QStringLiteral("参数 “%1” 不是 UTF-8 文本").arg(RawNames::Shown(raw)));
        const Result<QString> alias = names.alias(raw);
        if (!alias)
            return Result<QStringList>::failure(alias.error());
        args << *alias;
    }
    return args;
}

} // namespace

int main(int argc, char** argv) {
    RawNames names;
    ToolContext context;
    context.rawNames = &names;
    const Result<QStringList> decoded = DecodeArguments(argc, argv, names);
    if (!decoded)
        return Fail(context, decoded.error());
    const QStringList& args = *decoded;
    const QString program = QStringLiteral("zr5-tool");
    CommandLine global(GlobalOptions(), true);
    if (Status parsed = global.parse(QStringList{program} + args); !parsed)
        return UsageFail(context,
                         parsed.error() + QStringLiteral("；zr5-tool --help 列出所有命令"));
    if (global.isSet(QStringLiteral("version")))
        return zr5::PrintVersion("zr5-tool");
    if (global.isSet(QStringLiteral("help")))
        return zr5::PrintOnStandardOutput("zr5-tool", Usage());
    QStringList rest = global.positional();
    if (rest.isEmpty())
        return UsageFail(context, QStringLiteral("缺少命令；zr5-tool --help 列出所有命令"));
    const QString name = rest.takeFirst();
    const auto command =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const ToolCommand& c) { return name == QLatin1String(c.name); });
    if (command == std::end(kCommands))
        return UsageFail(context,
                         QStringLiteral("未知命令 “%1”；zr5-tool --help 列出所有命令").arg(name));
    context.usage = command->usage;

    CommandLine line(command->options() + GlobalOptions());
    if (Status parsed = line.parse(QStringList{program + QLatin1Char(' ') + name} + rest); !parsed)
        return UsageFail(context,
                         parsed.error() +
                             QStringLiteral("；zr5-tool %1 --help 列出它的选项").arg(name));
    if (line.isSet(QStringLiteral("version")))
        return zr5::PrintVersion("zr5-tool");
    if (line.isSet(QStringLiteral("help")))
        return zr5::PrintOnStandardOutput("zr5-tool", CommandHelp(*command, line));
    // A --data-dir after the command wins over one before it.
    context.dataDirectory = zr5::DataDirectory::fromOption(
        line.isSet(QStringLiteral("data-dir")) ? line.value(QStringLiteral("data-dir"))
                                               : global.value(QStringLiteral("data-dir")));

    const std::unique_ptr<QCoreApplication> app =
        MakeApplication(argv[0], command->draws && command->draws(line));
    const int code = command->run(context, line);
    if (const Status finished = names.finish(); !finished)
        return Fail(context, finished.error());
    return code;
}
