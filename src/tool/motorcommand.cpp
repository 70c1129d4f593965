#include <QStringList>

#include "model/figurelist.h"
#include "model/numbertext.h"
#include "motor/motorcatalogue.h"
#include "motor/samplecatalogue.h"
#include "tool/commands.h"

namespace zr5::tool {

// motor CODE [--json]: the catalogue record of a code, with the rated voltage of its range. The
// text shows three decimals as the motor dialog does; the JSON gives the stored values exactly.
QList<QCommandLineOption> MotorOptions() {
    return {Option("json", "以一个 JSON 对象输出（数值为目录中存放的原值）")};
}

int RunMotor(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const bool json = line.isSet(QStringLiteral("json"));
    if (args.size() != 1)
        return UsageFail(context);
    bool isNumber = false;
    const int code = args[0].trimmed().toInt(&isNumber);
    if (!isNumber || code < 1 || code > kCatalogueCodes)
        return Fail(context, QStringLiteral("编码错误：“%1” 不是 1 - %2 之间的整数")
                                 .arg(args[0])
                                 .arg(kCatalogueCodes));
    // A fresh data directory gets the sample catalogue; a user's own is left alone. Only this
    // command installs it: the others read nothing of it and change nothing on the disk.
    const QString problem = InstallSampleCatalogue(context.dataDirectory).error();
    const auto record = ReadCatalogueRecord(context.dataDirectory, code);
    if (!record)
        return Fail(context, problem.isEmpty() ? record.error() : problem);

    const CatalogueRecord& r = *record;
    if (json) {
        return PrintResult(
            context, JsonText({{QStringLiteral("code"), code},
                               {QStringLiteral("poles"), JsonSingle(r.Poles)},
                               {QStringLiteral("rated_power"), JsonSingle(r.RatedPower)},
                               {QStringLiteral("rated_current"), JsonSingle(r.RatedCurrent)},
                               {QStringLiteral("rated_efficiency"), JsonSingle(r.RatedEfficiency)},
                               {QStringLiteral("no_load_current"), JsonSingle(r.NoLoadCurrent)},
                               {QStringLiteral("no_load_power"), JsonSingle(r.NoLoadPower)},
                               {QStringLiteral("rated_voltage"), JsonSingle(r.RatedVoltage)}}));
    }
    const auto model = DesignationOfCode(context.dataDirectory, code);
    QString text = QStringLiteral("编码      %1%2\n")
                       .arg(code)
                       .arg(model ? QStringLiteral("  ") + model->trimmed() : QString());
    const struct {
        const char* label;
        float value;
        const char* unit;
    } rows[] = {{"电机极数", r.Poles, ""},           {"额定功率", r.RatedPower, " kW"},
                {"额定电流", r.RatedCurrent, " A"},  {"额定效率", r.RatedEfficiency, " %"},
                {"空载电流", r.NoLoadCurrent, " A"}, {"空载功率", r.NoLoadPower, " kW"},
                {"额定电压", r.RatedVoltage, " V"}};
    for (const auto& row : rows)
        text += QStringLiteral("%1  %2%3\n")
                    .arg(QString::fromUtf8(row.label), FormatValue(row.value).trimmed(),
                         QString::fromUtf8(row.unit));
    return PrintResult(context, text);
}

} // namespace zr5::tool
