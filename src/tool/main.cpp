// zr5-tool: the recordings and the arithmetic of the program on the command line, for engineers
// with many recordings, for scripts, and to check results against other implementations.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "model/programversion.h"
#include "motor/samplecatalogue.h"
#include "tool/commands.h"
#include "tool/nativenames.h"

using namespace zr5::tool;

namespace {

const ToolCommand kCommands[] = {
    {"info", RunInfo, "info [--json] FILE"},
    {"export", RunExport,
     "export FILE [--output OUT.csv | --xlsx OUT.xlsx [--overwrite]] [--from SECONDS --to "
     "SECONDS]"},
    {"synth", RunSynth,
     "synth OUT.MTR --rows N --duration SECONDS --seed S [--start SECONDS] [--overwrite]"},
    {"motor", RunMotor, "motor CODE [--json]"},
    {"receive", RunReceive,
     "receive --port DEVICE (--seconds T | --until-stopped) [--ct R] [--pt R] [--motor "
     "P,kW,A,%,A,kW,V] [--overwrite] OUT.MTR"},
    {"repair", RunRepair, "repair IN.MTR OUT.MTR [--overwrite]"},
    {"assess", RunAssess, "assess FILE [--kq X] [--hours H] [--price P] [--json] [--pdf OUT.pdf]"},
    {"plot", RunPlot, "plot FILE --kind K --output OUT.png|OUT.svg [--from SECONDS --to SECONDS]"},
    {"ports", RunPorts, "ports [--probe] [--port DEVICE]..."},
    {"report", RunReport,
     "report FILE [--curves OUT.pdf] [--data OUT.pdf] [--from N] [--to M] [--org TEXT] "
     "[--device TEXT] [--date YYYY-MM-DDTHH:MM]"},
};

// The printed pages and pictures need fonts, so `report`, `plot` and `assess --pdf` run a GUI
// application on the display-less platform.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "report") != 0 && std::strcmp(argv[i], "plot") != 0 &&
            std::strncmp(argv[i], "--pdf", 5) != 0)
            continue;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Outside a desktop session there is no runtime folder, and Qt would say so on standard
        // error, where a script expects one line per error: a private one is named for it.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QByteArray dir = QFile::encodeName(QDir::tempPath()) + "/zr5-runtime-" +
                                   QByteArray::number(getuid());
            struct stat st {};
            ::mkdir(dir.constData(), 0700);
            if (::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                st.st_uid == getuid() && (st.st_mode & 0777) == 0700)
                qputenv("XDG_RUNTIME_DIR", dir);
        }
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
bool DecodeArguments(int argc, char** argv, RawNames& names, QStringList& args, QString& error) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (RawNames::Representable(raw)) {
            args << QFile::decodeName(raw);
            continue;
        }
        if (raw.startsWith("--") || (i > 1 && IsTextOption(argv[i - 1]))) {
            error = QStringLiteral("参数 “%1” 不是 UTF-8 文本").arg(RawNames::Shown(raw));
            return false;
        }
        const QString alias = names.alias(raw, &error);
        if (alias.isEmpty())
            return false;
        args << alias;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (zr5::PrintVersionIfAsked(argc, argv, "zr5-tool"))
        return 0;
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    RawNames names;
    ToolContext context;
    context.rawNames = &names;
    QStringList args;
    QString error;
    if (!DecodeArguments(argc, argv, names, args, error))
        return Fail(context, error);
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
        if (name == QLatin1String(c.name)) {
            const int code = c.run(context, args);
            if (const QString e = names.finish(); !e.isEmpty())
                return Fail(context, e);
            return code;
        }
    return Fail(context, QStringLiteral("未知命令 “%1”；zr5-tool --help 列出所有命令").arg(name));
}
