#include <QFile>

#include "recording/repair.h"
#include "tool/commands.h"

namespace zr5::tool {

// repair IN.MTR OUT.MTR: a recording cut by a crash, a full disk or an older version becomes a
// valid one in a new file; the cut file itself is left as it is.
QList<QCommandLineOption> RepairOptions() {
    return {OverwriteOption()};
}

int RunRepair(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    if (args.size() != 2)
        return UsageFail(context);
    if (Status e = FilesRefusal({args[0]}, {args[1]}, line.isSet(QStringLiteral("overwrite"))); !e)
        return Fail(context, e.error());
    const Result<RepairReport> report = RepairRecording(args[0], args[1]);
    if (!report)
        return Fail(context, report.error());
    // The summary says what the repaired file holds: a file whose summary was lost is not kept.
    if (!WriteResult(context, RepairSummary(*report, args[1]) + QLatin1Char('\n'))) {
        const QString failure = StandardOutputFailure();
        QFile::remove(args[1]);
        return Fail(context, failure + QStringLiteral("；修复的文件 %1 已删除").arg(args[1]));
    }
    return 0;
}

} // namespace zr5::tool
