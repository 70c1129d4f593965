#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <memory>

#include "analysis/zoom.h"
#include "assessment/assessment.h"
#include "model/commandline.h"
#include "model/motorparameters.h"
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
    const char* usage = "";             // the command's synopsis, after "zr5-tool "
};

// A command's command line, its options read; returns the exit code.
using CommandFunction = int (*)(ToolContext&, const CommandLine&);

struct ToolCommand {
    const char* name;
    CommandFunction run;
    QList<QCommandLineOption> (*options)();
    const char* usage;   // after "zr5-tool "
    const char* summary; // what the command does, for its --help
    // Whether the command draws pages or pictures, which need a GUI application for the fonts.
    bool (*draws)(const CommandLine&) = nullptr;
};

// Each command's run and options.
int RunInfo(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> InfoOptions();
int RunExport(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> ExportOptions();
int RunSynth(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> SynthOptions();
int RunMotor(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> MotorOptions();
int RunMotorSet(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> MotorSetOptions();
int RunReceive(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> ReceiveOptions();
int RunReport(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> ReportOptions();
int RunAssess(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> AssessOptions();
int RunCompare(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> CompareOptions();
// The settings of the measures an auditor proposes, shared by assess and compare.
QList<QCommandLineOption> MeasureOptions();
int RunRepair(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> RepairOptions();
int RunPlot(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> PlotOptions();
int RunPorts(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> PortsOptions();
int RunSurvey(ToolContext& context, const CommandLine& line);
QList<QCommandLineOption> SurveyOptions();

// --kq, --hours, --price and the measures' settings of the assessment, shared by assess and
// survey assess; reading them over the settings given fails with why a value is refused.
QList<QCommandLineOption> AssessmentSettingOptions();
Status TakeAssessmentSettings(const CommandLine& line, AssessmentSettings& settings);
// The settings of assess, compare and survey assess: the assessment window's (Assess.dat in the
// data directory), with what the command line gives over them. What Assess.dat could not give is
// said on standard error and its default used.
Result<AssessmentSettings> CommandAssessmentSettings(ToolContext& context, const CommandLine& line);

// A command's JSON result: the object as QJsonDocument writes it, indented, with a final line
// break.
QString JsonText(const QJsonObject& object);

// Prints one line to standard error and returns the failing exit code.
int Fail(ToolContext& context, const QString& message);
// Writes UTF-8 text.
void Print(std::FILE* stream, const QString& text);
// A command line the command cannot take: the message (or the command's usage) on one line, and
// the exit code of a wrong command line.
int UsageFail(ToolContext& context, const QString& message);
int UsageFail(ToolContext& context);

// An option of a command: its name without dashes, its description, the name of its value.
QCommandLineOption Option(const char* name, const char* description,
                          const char* valueName = nullptr);
QCommandLineOption OverwriteOption();

// The rule for the files of every command, checked before anything is written: an existing
// output is kept unless --overwrite is given; an output that is the same file as an input (by
// device and inode: a hard link, "./g.MTR") or as another output is refused even with
// --overwrite; an input or an output that is a folder, a pipe or a device is named as such.
// Fails with the reason when the command may not go ahead.
Status FilesRefusal(const QStringList& inputs, const QStringList& outputs, bool overwrite);
// The rated data of `--motor P,kW,A,%,A,kW,V` or, when code is given, of a catalogue code, into
// motor by the motor dialog's rule (a value it would refuse, a code outside the catalogue or an
// incomplete record is refused).
Status ConfirmMotorOption(MotorParameters& motor, const DataDirectory& dataDirectory,
                          const QString& values, const QString& code);
// A message on one line: line breaks become blanks.
QString OneLine(QString text);
// Prints a command's result on standard output and returns the exit code: a result that cannot
// be written (a full disk, a closed pipe) fails the command.
int PrintResult(ToolContext& context, const QString& text);
// The same without the message: false when it could not be written (errno says why).
bool WriteResult(ToolContext& context, const QString& text);
// Why standard output could not be written, from the error number the failed write left.
QString StandardOutputFailure();

// The view of --from SECONDS --to SECONDS (both or neither; the whole recording without them),
// or why the range cannot be taken.
Result<CumulativeView> TimeRangeView(const QString& fromText, const QString& toText,
                                     qint64 rowCount, float duration);

// Writes one print job to a PDF; nothing is left behind when it fails. Needs a GUI application
// (the fonts): see main.
Status WritePdf(const QString& path, const QString& title,
                const std::function<std::unique_ptr<PrintJob>(Printer&)>& makeJob);

} // namespace zr5::tool
