#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <memory>

#include "analysis/zoom.h"
#include "model/result.h"
#include "printing/printjob.h"
#include "settings/datadirectory.h"

namespace zr5::tool {

class RawNames;

// What every command gets: the data directory and where to print.
struct ToolContext {
    DataDirectory dataDirectory;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    const RawNames* rawNames = nullptr; // messages name non-UTF-8 files as the user gave them
};

// A command's arguments after its name; returns the exit code.
using CommandFunction = int (*)(ToolContext&, const QStringList&);

struct ToolCommand {
    const char* name;
    CommandFunction run;
    const char* usage;
};

int RunInfo(ToolContext& context, const QStringList& args);
int RunExport(ToolContext& context, const QStringList& args);
int RunSynth(ToolContext& context, const QStringList& args);
int RunMotor(ToolContext& context, const QStringList& args);
int RunReceive(ToolContext& context, const QStringList& args);
int RunReport(ToolContext& context, const QStringList& args);
int RunAssess(ToolContext& context, const QStringList& args);
int RunRepair(ToolContext& context, const QStringList& args);
int RunPlot(ToolContext& context, const QStringList& args);
int RunPorts(ToolContext& context, const QStringList& args);

// A command's JSON result: the object as QJsonDocument writes it, indented, with a final line
// break.
QString JsonText(const QJsonObject& object);

// Prints one line to standard error and returns the failing exit code.
int Fail(ToolContext& context, const QString& message);
// Writes UTF-8 text.
void Print(std::FILE* stream, const QString& text);
// Why an output file must not be written: it exists and --overwrite was not given.
QString ExistingOutputRefusal(const QString& path, bool overwrite);
// A message on one line: line breaks become blanks.
QString OneLine(QString text);
// Prints a command's result on standard output and returns the exit code: a result that cannot
// be written (a full disk, a closed pipe) fails the command.
int PrintResult(ToolContext& context, const QString& text);
// Why standard output could not be written, from the error number the failed write left.
QString StandardOutputFailure();

// Takes "--name VALUE" out of args; false with a message when the value is missing.
bool TakeOption(QStringList& args, const QString& name, QString& value, QString& error);
bool TakeFlag(QStringList& args, const QString& name);

// The view of --from SECONDS --to SECONDS (both or neither; the whole recording without them),
// or why the range cannot be taken.
Result<CumulativeView> TimeRangeView(const QString& fromText, const QString& toText,
                                     qint64 rowCount, float duration);

// Writes one print job to a PDF; nothing is left behind when it fails. Needs a GUI application
// (the fonts): see main.
QString WritePdf(const QString& path, const QString& title,
                 const std::function<std::unique_ptr<PrintJob>(Printer&)>& makeJob);

} // namespace zr5::tool
