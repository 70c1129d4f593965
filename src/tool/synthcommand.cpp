#include "recording/synthetic.h"
#include "tool/commands.h"

namespace zr5::tool {

int RunSynth(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString rowsText, durationText, seedText, startText;
    QString error;
    if (!TakeOption(args, QStringLiteral("--rows"), rowsText, error) ||
        !TakeOption(args, QStringLiteral("--duration"), durationText, error) ||
        !TakeOption(args, QStringLiteral("--seed"), seedText, error) ||
        !TakeOption(args, QStringLiteral("--start"), startText, error))
        return Fail(context, error);
    const bool overwrite = TakeFlag(args, QStringLiteral("--overwrite"));
    const QString usage = QStringLiteral("用法: zr5-tool synth OUT.MTR --rows N --duration SECONDS "
                                         "--seed S [--start SECONDS] [--overwrite]");
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")) || rowsText.isEmpty() ||
        durationText.isEmpty())
        return Fail(context, usage);
    bool ok = false;
    const qlonglong rows = rowsText.toLongLong(&ok);
    if (!ok || rows < 0)
        return Fail(context, QStringLiteral("--rows 须为不小于 0 的整数：“%1”").arg(rowsText));
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
    if (QString e = ExistingOutputRefusal(args.first(), overwrite); !e.isEmpty())
        return Fail(context, e);
    if (QString e = WriteSyntheticRecording(args.first(), rows, duration, seed, start);
        !e.isEmpty())
        return Fail(context, e);
    return 0;
}

} // namespace zr5::tool
