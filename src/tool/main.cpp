// zr5-tool: the recordings and the arithmetic of the program on the command line, for engineers
// with many recordings, for scripts, and to check results against other implementations.

#include <QGuiApplication>
#include <cstring>
#include <memory>

#include "model/programversion.h"
#include "motor/samplecatalogue.h"
#include "tool/commands.h"

using namespace zr5::tool;

namespace {

const ToolCommand kCommands[] = {
    {"info", RunInfo, "info [--json] FILE"},
    {"export", RunExport, "export FILE [--output OUT.csv]"},
    {"synth", RunSynth,
     "synth OUT.MTR --rows N --duration SECONDS --seed S [--start SECONDS] [--overwrite]"},
    {"motor", RunMotor, "motor CODE [--json]"},
    {"receive", RunReceive,
     "receive --port DEVICE (--seconds T | --until-stopped) [--ct R] [--pt R] [--motor "
     "P,kW,A,%,A,kW,V] [--overwrite] OUT.MTR"},
    {"repair", RunRepair, "repair IN.MTR OUT.MTR [--overwrite]"},
    {"assess", RunAssess, "assess FILE [--kq X] [--hours H] [--price P] [--json] [--pdf OUT.pdf]"},
    {"report", RunReport,
     "report FILE [--curves OUT.pdf] [--data OUT.pdf] [--from N] [--to M] [--org TEXT] "
     "[--device TEXT] [--date YYYY-MM-DDTHH:MM]"},
};

// The printed pages need fonts, so `report` and `assess --pdf` run a GUI application on the
// display-less platform.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "report") != 0 && std::strncmp(argv[i], "--pdf", 5) != 0)
            continue;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

void printUsage(std::FILE* stream) {
    Print(stream, QStringLiteral("用法: zr5-tool [--data-dir DIR] COMMAND ...\n"));
    for (const ToolCommand& c : kCommands)
        Print(stream, QStringLiteral("  zr5-tool %1\n").arg(QString::fromUtf8(c.usage)));
    Print(stream, QStringLiteral("  zr5-tool --version\n"));
}

// An argument whose bytes are no UTF-8 text (a file name from another system) cannot reach the
// file system unchanged through Qt's names: it is refused rather than turned into another name.
QString undecodableArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QString::fromLocal8Bit(raw).toLocal8Bit() == raw)
            continue;
        QString shown;
        for (char c : raw)
            shown += (uchar(c) >= 0x20 && uchar(c) < 0x7f)
                         ? QString(QLatin1Char(c))
                         : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        return QStringLiteral("参数 “%1” 不是 UTF-8 文本，无法作为文件名原样使用；请改用 UTF-8 "
                              "文件名")
            .arg(shown);
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (zr5::PrintVersionIfAsked(argc, argv, "zr5-tool"))
        return 0;
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    ToolContext context;
    if (const QString refusal = undecodableArgument(argc, argv); !refusal.isEmpty())
        return Fail(context, refusal);
    QString error;
    context.dataDirectory = zr5::DataDirectory::fromArguments(args, &error);
    if (!error.isEmpty())
        return Fail(context, error);
    if (args.isEmpty())
        return Fail(context, QStringLiteral("缺少命令；zr5-tool --help 列出所有命令"));
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        printUsage(stdout);
        return 0;
    }
    const QString name = args.takeFirst();
    for (const ToolCommand& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(context, args);
    return Fail(context, QStringLiteral("未知命令 “%1”；zr5-tool --help 列出所有命令").arg(name));
}
