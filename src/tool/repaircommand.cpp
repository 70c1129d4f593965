#include "recording/repair.h"
#include "tool/commands.h"

namespace zr5::tool {

// repair IN.MTR OUT.MTR: a recording cut by a crash, a full disk or an older version becomes a
// valid one in a new file; the cut file itself is left as it is.
int RunRepair(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    const bool overwrite = TakeFlag(args, QStringLiteral("--overwrite"));
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--")))
        return Fail(context, QStringLiteral("用法: zr5-tool repair IN.MTR OUT.MTR [--overwrite]"));
    if (QString e = ExistingOutputRefusal(args[1], overwrite); !e.isEmpty())
        return Fail(context, e);
    const Result<RepairReport> report = RepairRecording(args[0], args[1]);
    if (!report)
        return Fail(context, report.error());
    return PrintResult(context, RepairSummary(*report, args[1]) + QLatin1Char('\n'));
}

} // namespace zr5::tool
