#include "recording/recordingfile.h"
#include "recording/synthetic.h"
#include "tool/commands.h"

namespace zr5::tool {

QList<QCommandLineOption> SynthOptions() {
    return {Option("rows", "记录的行数", "N"), Option("duration", "累计时间，秒", "SECONDS"),
            Option("seed", "随机种子（默认 1）", "S"),
            Option("start", "起始时间，午夜后的秒数（默认 28800，即 8 点）", "SECONDS"),
            OverwriteOption()};
}

int RunSynth(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString rowsText = line.value(QStringLiteral("rows"));
    const QString durationText = line.value(QStringLiteral("duration"));
    const QString seedText = line.value(QStringLiteral("seed"));
    const QString startText = line.value(QStringLiteral("start"));
    const bool overwrite = line.isSet(QStringLiteral("overwrite"));
    if (args.size() != 1 || rowsText.isEmpty() || durationText.isEmpty())
        return UsageFail(context);
    bool ok = false;
    const qlonglong rows = rowsText.toLongLong(&ok);
    if (!ok || rows < 0)
        return Fail(context, QStringLiteral("--rows 须为不小于 0 的整数：“%1”").arg(rowsText));
    // More rows than a recording may hold would make a file nothing can read.
    if (rows > kLargestRecordCount)
        return Fail(context, QStringLiteral("--rows 最多为 %1（可读取的记录的最大行数）：“%2”")
                                 .arg(kLargestRecordCount)
                                 .arg(rowsText));
    const float duration = durationText.toFloat(&ok);
    if (!ok || !(duration >= 0.0f) || duration > 3.0e38f)
        return Fail(context,
                    QStringLiteral("--duration 须为不小于 0 的秒数：“%1”").arg(durationText));
    qulonglong seed = 1;
    if (!seedText.isEmpty()) {
        seed = seedText.toULongLong(&ok);
        if (!ok)
            return Fail(context, QStringLiteral("--seed 须为整数：“%1”").arg(seedText));
    }
    float start = 28800.0f;
    if (!startText.isEmpty()) {
        start = startText.toFloat(&ok);
        if (!ok || !(start >= 0.0f) || start >= 86400.0f)
            return Fail(context,
                        QStringLiteral("--start 须为 0 至 86400 之间的秒数：“%1”").arg(startText));
    }
    if (Status e = FilesRefusal({}, args, overwrite); !e)
        return Fail(context, e.error());
    if (Status written = WriteSyntheticRecording(args.first(), rows, duration, seed, start);
        !written)
        return Fail(context, written.error());
    return 0;
}

} // namespace zr5::tool
