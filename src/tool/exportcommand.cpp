#include <limits>
#include <string>

#include "analysis/csvtable.h"
#include "recording/outputfile.h"
#include "recording/recordingfile.h"
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

QList<QCommandLineOption> ExportOptions() {
    return {Option("output", "写到此文件，写完才出现（默认写到标准输出）", "OUT.csv"),
            Option("xlsx", "写成 Excel 工作簿（概况、数据、曲线），写完才出现", "OUT.xlsx"),
            Option("from", "只写这段时间的行：起始秒数（与 --to 同时给出）", "SECONDS"),
            Option("to", "只写这段时间的行：结束秒数", "SECONDS"), OverwriteOption()};
}

int RunExport(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString outputPath = line.value(QStringLiteral("output"));
    const QString workbookPath = line.value(QStringLiteral("xlsx"));
    const QString fromText = line.value(QStringLiteral("from"));
    const QString toText = line.value(QStringLiteral("to"));
    if (args.size() != 1)
        return UsageFail(context);
    if (!outputPath.isEmpty() && !workbookPath.isEmpty())
        return UsageFail(context, QStringLiteral("--output 与 --xlsx 只能给一个"));
    const QString target = workbookPath.isEmpty() ? outputPath : workbookPath;
    if (Status e = FilesRefusal(args, target.isEmpty() ? QStringList() : QStringList{target},
                                line.isSet(QStringLiteral("overwrite")));
        !e)
        return Fail(context, e.error());

    Output out(outputPath);
    qint64 firstRow = 1, lastRow = std::numeric_limits<qint64>::max();
    // The recording is checked before the output is created: a refused recording leaves none.
    if (Result<RecordingInfo> info = ReadRecordingInfo(args.first()); !info)
        return Fail(context, info.error());
    else if (Status analysable = AnalysisRefusal(*info); !analysable)
        return Fail(context, analysable.error());
    else if (const Result<CumulativeView> range =
                 TimeRangeView(fromText, toText, info->RecordCount, info->header.Duration);
             !range)
        return Fail(context, range.error());
    else if (!fromText.isEmpty()) {
        firstRow = range->firstRow();
        lastRow = range->lastRow();
    }
    if (!workbookPath.isEmpty()) {
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
