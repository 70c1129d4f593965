#include <limits>
#include <string>

#include "analysis/csvtable.h"
#include "recording/recordingfile.h"
#include "recording/outputfile.h"
#include "tool/commands.h"
#include "workbook/recordingworkbook.h"

namespace zr5::tool {

namespace {

// Writes to a file atomically, or to standard output.
class Output {
public:
    explicit Output(const QString& path) : path_(path), file_(path) {}
    QString open() {
        if (path_.isEmpty() || file_.open())
            return {};
        return QStringLiteral("无法创建输出文件 %1：%2").arg(path_, file_.error());
    }
    bool write(const std::string& text) {
        if (path_.isEmpty())
            return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return file_.write(text.data(), qint64(text.size()));
    }
    QString commit() {
        if (path_.isEmpty())
            return std::fflush(stdout) == 0 ? QString() : failure();
        return file_.commit() ? QString() : failure();
    }
    QString failure() const {
        return path_.isEmpty()
                   ? StandardOutputFailure()
                   : QStringLiteral("写入输出文件 %1 出错：%2").arg(path_, file_.error());
    }

private:
    QString path_;
    OutputFile file_;
};

} // namespace

int RunExport(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString outputPath, workbookPath, fromText, toText;
    QString error;
    for (auto [name, value] : {std::pair{"--output", &outputPath},
                               {"--xlsx", &workbookPath},
                               {"--from", &fromText},
                               {"--to", &toText}})
        if (!TakeOption(args, QString::fromLatin1(name), *value, error))
            return Fail(context, error);
    const bool overwrite = TakeFlag(args, QStringLiteral("--overwrite"));
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")) ||
        (!outputPath.isEmpty() && !workbookPath.isEmpty()))
        return Fail(context, QStringLiteral("用法: zr5-tool export FILE [--output OUT.csv | --xlsx "
                                            "OUT.xlsx [--overwrite]] [--from SECONDS --to "
                                            "SECONDS]"));

    Output out(outputPath);
    qint64 firstRow = 1, lastRow = std::numeric_limits<qint64>::max();
    // The recording is checked before the output is created: a refused recording leaves none.
    if (Result<RecordingInfo> info = ReadRecordingInfo(args.first()); !info)
        return Fail(context, info.error());
    else if (QString refusal = AnalysisRefusal(*info); !refusal.isEmpty())
        return Fail(context, refusal);
    else if (const Result<CumulativeView> range =
                 TimeRangeView(fromText, toText, info->RecordCount, info->header.Duration);
             !range)
        return Fail(context, range.error());
    else if (!fromText.isEmpty()) {
        firstRow = range->firstRow();
        lastRow = range->lastRow();
    }
    if (!workbookPath.isEmpty()) {
        if (QString e = ExistingOutputRefusal(workbookPath, overwrite); !e.isEmpty())
            return Fail(context, e);
        RecordingWorkbookOptions options;
        options.firstRow = firstRow;
        options.lastRow = lastRow;
        const RecordingWorkbookOutcome written =
            WriteRecordingWorkbook(args.first(), workbookPath, options);
        return written.status ? 0 : Fail(context, written.status.error());
    }
    if (QString e = out.open(); !e.isEmpty())
        return Fail(context, e);
    const CsvTableOutcome outcome =
        WriteCsvTable(args.first(), firstRow, lastRow,
                      [&](const std::string& block) { return out.write(block); });
    const bool writeFailed = outcome.status == CsvTableOutcome::WriteFailed;
    if (writeFailed)
        return Fail(context, out.failure());
    if (outcome.status == CsvTableOutcome::ReadFailed)
        return Fail(context, outcome.error);
    if (QString e = out.commit(); !e.isEmpty())
        return Fail(context, e);
    return 0;
}

} // namespace zr5::tool
