#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include "model/result.h"

namespace zr5 {

// The command line of a program or of one of zr5-tool's commands, read by QCommandLineParser.
// Its help and its refusals speak the program's language: Qt's own texts are English.
class CommandLine {
public:
    // With optionsEndAtCommand, everything from the first positional argument on is left
    // positional (zr5-tool's global options stand before the command).
    explicit CommandLine(QList<QCommandLineOption> options, bool optionsEndAtCommand = false);

    // arguments[0] is the program's name. Fails with the one-line reason the line is refused: an
    // unknown option, an option without its value, a flag given a value.
    Status parse(const QStringList& arguments);
    bool unknownOption() const { return !parser_.unknownOptionNames().isEmpty(); }

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    // The last value given (a later option wins); empty when not given.
    QString value(const QString& name) const { return parser_.value(name); }
    // Every value of an option given more than once, in order.
    QStringList values(const QString& name) const { return parser_.values(name); }
    QStringList positional() const { return parser_.positionalArguments(); }

    // One line per option, "  --name VALUE  description", the descriptions aligned.
    QString optionsHelp() const;

private:
    QList<QCommandLineOption> options_;
    QCommandLineParser parser_;
};

// The option every program has: --help (and -h).
QCommandLineOption HelpOption();
QCommandLineOption VersionOption();

// Writes to standard output and flushes it; false when not all of it could be written (a closed
// pipe, a full disk), so that --help and --version can say so by their exit code.
bool WriteStandardOutput(const QString& text);
// Help or version text on standard output; the exit code: 0, or 1 with the reason on standard
// error ("NAME: ...") when it could not be written.
int PrintOnStandardOutput(const char* programName, const QString& text);
// "NAME VERSION", the same way.
int PrintVersion(const char* programName);

// Outside a desktop session there is no runtime folder, and Qt says so on standard error at every
// start: a private one (the temporary folder's zr5-runtime-UID, mode 0700, ours) is named for it.
// Does nothing when XDG_RUNTIME_DIR is set.
void NameRuntimeDirectory();

} // namespace zr5
