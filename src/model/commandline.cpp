#include "model/commandline.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "model/programversion.h"
#include "recording/outputfile.h"

namespace zr5 {

namespace {

// Display columns of a text: the Chinese characters take two.
int Columns(const QString& text) {
    int columns = 0;
    for (QChar c : text)
        columns += c.unicode() >= 0x1100 ? 2 : 1;
    return columns;
}

QString Synopsis(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
}

// An option's name as written, without its dashes and its "=value".
QString BareName(const QString& argument) {
    QString name = argument.section(QLatin1Char('='), 0, 0);
    return name.mid(name.startsWith(QLatin1String("--")) ? 2 : 1);
}

} // namespace

CommandLine::CommandLine(QList<QCommandLineOption> options, bool optionsEndAtCommand)
    : options_(std::move(options)) {
    // "-help" is the long option, never -h -e -l -p.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (optionsEndAtCommand)
        parser_.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    parser_.addOptions(options_);
}

Status CommandLine::parse(const QStringList& arguments) {
    if (parser_.parse(arguments))
        return {};
    // How the user wrote an option, from its name.
    auto written = [&](const QString& name) {
        for (const QString& a : arguments.mid(1))
            if (a.startsWith(QLatin1Char('-')) && BareName(a) == name)
                return a.section(QLatin1Char('='), 0, 0);
        return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    };
    if (const QStringList unknown = parser_.unknownOptionNames(); !unknown.isEmpty())
        return Status::failure(QStringLiteral("无法识别的选项 %1").arg(written(unknown.first())));
    // The parser takes any next argument as an option's value: a value is missing only after the
    // last argument. Otherwise a flag was given a value ("--json=yes").
    const QString last = arguments.size() > 1 ? arguments.last() : QString();
    for (const QCommandLineOption& option : std::as_const(options_))
        for (const QString& name : option.names()) {
            if (!option.valueName().isEmpty() && written(name) == last)
                return Status::failure(QStringLiteral("%1 后缺少参数值").arg(last));
            if (option.valueName().isEmpty())
                for (const QString& a : arguments.mid(1))
                    if (a.contains(QLatin1Char('=')) &&
                        a.section(QLatin1Char('='), 0, 0) == written(name))
                        return Status::failure(
                            QStringLiteral("选项 %1 不带参数值").arg(written(name)));
        }
    return Status::failure(QStringLiteral("无法读取命令行"));
}

QString CommandLine::optionsHelp() const {
    int width = 0;
    for (const QCommandLineOption& option : options_)
        width = std::max(width, Columns(Synopsis(option)));
    QString text;
    for (const QCommandLineOption& option : options_) {
        const QString synopsis = Synopsis(option);
        const QStringList lines = option.description().split(QLatin1Char('\n'));
        text +=
            QStringLiteral("  %1%2  %3\n")
                .arg(synopsis, QString(width - Columns(synopsis), QLatin1Char(' ')), lines.first());
        for (const QString& more : lines.mid(1))
            text += QString(width + 4, QLatin1Char(' ')) + more + QLatin1Char('\n');
    }
    return text;
}

QCommandLineOption HelpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("显示此帮助"));
}

QCommandLineOption VersionOption() {
    return QCommandLineOption(QStringLiteral("version"), QStringLiteral("显示版本号"));
}

bool WriteStandardOutput(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
               std::size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

int PrintOnStandardOutput(const char* programName, const QString& text) {
    errno = 0;
    if (WriteStandardOutput(text))
        return 0;
    const int error = errno;
    const QString line =
        QStringLiteral("%1: 写入标准输出出错：%2\n")
            .arg(QString::fromUtf8(programName),
                 error != 0 ? SystemErrorReason(error) : QStringLiteral("输出已关闭"));
    std::fputs(line.toUtf8().constData(), stderr);
    return 1;
}

int PrintVersion(const char* programName) {
    return PrintOnStandardOutput(
        programName, QStringLiteral("%1 %2\n").arg(QString::fromUtf8(programName),
                                                   QString::fromLatin1(ProgramVersion())));
}

void NameRuntimeDirectory() {
#ifdef Q_OS_UNIX
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray dir =
        QFile::encodeName(QDir::tempPath()) + "/zr5-runtime-" + QByteArray::number(getuid());
    struct stat st {};
    ::mkdir(dir.constData(), 0700);
    // Only a folder of our own that nobody else may enter.
    if (::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
        (st.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", dir);
#endif
}

} // namespace zr5
