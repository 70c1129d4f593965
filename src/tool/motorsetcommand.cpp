// zr5-tool motor-set: new rated data for a recording made with wrong ones, so that it can be
// analysed. The rows and the extrema are copied as they are; only the seven motor records of the
// header change.

#include <QFileInfo>

#include "model/numbertext.h"
#include "recording/recordingfile.h"
#include "tool/commands.h"

namespace zr5::tool {

QList<QCommandLineOption> MotorSetOptions() {
    return {Option("motor",
                   "电机额定数据：极数,额定功率,额定电流,额定效率,空载电流,空载功率,额定电压",
                   "P,kW,A,%,A,kW,V"),
            Option("code", "电机技术数据编码（1 - 6935），取目录中的数据", "N"),
            Option("output", "写到新文件", "NEW.MTR"),
            Option("overwrite", "没有 --output 时改写原文件；有 --output 时覆盖已存在的新文件")};
}

int RunMotorSet(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString values = line.value(QStringLiteral("motor"));
    const QString code = line.value(QStringLiteral("code"));
    const QString output = line.value(QStringLiteral("output"));
    const bool overwrite = line.isSet(QStringLiteral("overwrite"));
    if (args.size() != 1 || values.isEmpty() == code.isEmpty() || (output.isEmpty() && !overwrite))
        return UsageFail(context);
    const QString file = args.first();
    if (Status e =
            FilesRefusal({file}, output.isEmpty() ? QStringList() : QStringList{output}, overwrite);
        !e)
        return Fail(context, e.error());
    const Result<RecordingInfo> info = ReadRecordingInfo(file);
    if (!info)
        return Fail(context, info.error());
    MotorParameters motor;
    if (Status e = ConfirmMotorOption(motor, context.dataDirectory, values, code); !e)
        return Fail(context, e.error());

    // Through the checked writer: the new file, or the recording itself, takes its place only
    // once it is complete.
    const QString target = output.isEmpty() ? file : output;
    RecordingHeader header = info->header;
    header.Motor = motor.values();
    RecordingWriter writer;
    if (Status e = writer.create(target, header); !e)
        return Fail(context, e.error());
    Result<std::unique_ptr<RecordingRowReader>> reader = RecordingRowReader::open(*info);
    if (!reader)
        return Fail(context, reader.error());
    std::vector<ChannelRowValues> rows(4096);
    for (qint64 left = info->RecordCount; left > 0;) {
        const qint64 got =
            (*reader)->read(rows.data(), std::min<qint64>(left, qint64(rows.size())));
        if (got <= 0)
            return Fail(context, (*reader)->error());
        for (qint64 i = 0; i < got; ++i)
            if (Status e = writer.appendRow(rows[std::size_t(i)]); !e)
                return Fail(context, e.error());
        left -= got;
    }
    if (Status e = writer.finish(info->RowMaximum, info->RowMinimum); !e)
        return Fail(context, e.error());
    return PrintResult(context,
                       QStringLiteral("电机参数已写入 %1：极数 %2，额定功率 %3 kW\n")
                           .arg(target, PlainNumber(motor.Poles), PlainNumber(motor.RatedPower)));
}

} // namespace zr5::tool
