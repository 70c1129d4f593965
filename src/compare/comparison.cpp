#include "compare/comparison.h"

#include <QDir>
#include <QJsonArray>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <functional>

#include "assessment/assessmentfigures.h"
#include "model/numbertext.h"

namespace zr5 {

void EfficiencyCloud::add(double loadRate, double efficiency) {
    const int l = std::clamp(int(std::floor(loadRate / kLoadCellWidth)), 0, kLoadCells - 1);
    const int e =
        std::clamp(int(std::floor(efficiency / kEfficiencyCellHeight)), 0, kEfficiencyCells - 1);
    ++counts[std::size_t(l * kEfficiencyCells + e)];
    ++rows;
}

double ComparedRecording::normalHours() const {
    return run.assessment.stateHours[std::size_t(MotorState::Normal)];
}

double ComparedRecording::normalInputEnergy() const {
    return run.assessment.stateInputEnergy[std::size_t(MotorState::Normal)];
}

double ComparedRecording::specificInput() const {
    const double out = run.assessment.outputEnergy;
    return out > 0 ? normalInputEnergy() / out : 0;
}

double ComparedRecording::meanInputPower() const {
    return hours() > 0 ? run.assessment.inputEnergy / hours() : 0;
}

double ComparedRecording::meanPowerFactor() const {
    const double p = run.assessment.inputEnergy, q = run.assessment.reactiveEnergy;
    const double s = std::hypot(p, q);
    return s > 0 ? p / s : 0;
}

Result<ComparedRecording> AnalyseForComparison(const QString& path, const QString& role,
                                               const DataDirectory& dataDirectory,
                                               const AssessmentSettings& settings) {
    ComparedRecording r;
    std::vector<float> powers;
    r.run = AssessRecording(path, dataDirectory, settings, [&](const CumulativeBlock& block) {
        for (const CompletedRow& row : block.rows) {
            powers.push_back(row.sample[Slot::ActivePower]);
            if (row.state == MotorState::Normal) {
                ++r.normalRows;
                r.cloud.add(row.values.LoadRate, row.values.Efficiency);
            }
        }
    });
    if (!r.run.error.isEmpty())
        return Result<ComparedRecording>::failure(
            QStringLiteral("%1记录：%2").arg(role, r.run.error));
    // Without rated data there is no output, and the saving is normalised to the output.
    if (!r.run.recording.header.motorParameters().MotorParametersValid)
        return Result<ComparedRecording>::failure(
            QStringLiteral("%1记录 %2 中没有有效的电动机额定数据：算不出输出电量，不能对比。")
                .arg(role, QDir::toNativeSeparators(path)));
    if (r.normalRows == 0 || !(r.run.assessment.outputEnergy > 0))
        return Result<ComparedRecording>::failure(
            QStringLiteral("%1记录 %2 中没有正常运行的数据：算不出单位输出电量的输入电量，"
                           "不能对比。")
                .arg(role, QDir::toNativeSeparators(path)));
    // Every row covers the same time, so the rows sorted by power are the load-duration curve.
    std::sort(powers.begin(), powers.end(), std::greater<float>());
    const double last = double(powers.size() - 1);
    for (int i = 0; i < ComparedRecording::kDurationPoints; ++i)
        r.loadDuration.push_back(powers[std::size_t(
            std::lround(last * i / double(ComparedRecording::kDurationPoints - 1)))]);
    return r;
}

std::optional<double> ComparisonRow::difference() const {
    if (!before || !after)
        return std::nullopt;
    return *after - *before;
}

std::optional<double> ComparisonRow::percent() const {
    const std::optional<double> d = difference();
    if (!d || *before == 0)
        return std::nullopt;
    return 100.0 * *d / std::fabs(*before);
}

Comparison CompareRecordings(ComparedRecording before, ComparedRecording after,
                             const AssessmentSettings& settings) {
    Comparison c;
    c.before = std::move(before);
    c.after = std::move(after);
    c.settings = settings;
    c.saving =
        AnnualSaving((c.specificBefore() - c.specificAfter()) * c.after.run.assessment.outputEnergy,
                     c.after.hours(), settings);
    // The load rates are compared against the larger, so that swapping the recordings gives the
    // same warnings.
    const double lb = c.before.run.assessment.meanLoadRate,
                 la = c.after.run.assessment.meanLoadRate;
    if (std::fabs(lb - la) > kLoadRateTolerance * std::max(lb, la))
        c.warnings << QStringLiteral(
                          "两次记录的平均负载率相差超过五分之一（改造前 %1%，改造后 %2%）："
                          "电动机的效率随负载率变化，节电量不只是改造的结果。")
                          .arg(FixedNumber(lb, 1), FixedNumber(la, 1));
    const std::pair<const ComparedRecording*, const char*> sides[] = {{&c.before, "改造前"},
                                                                      {&c.after, "改造后"}};
    for (const auto& [r, role] : sides)
        if (r->normalHours() < kShortestNormalHours)
            c.warnings << QStringLiteral("%1记录的正常运行时间只有 %2 分钟，不足 10 分钟："
                                         "数据太少，未必代表平常的运行。")
                              .arg(QString::fromUtf8(role), FixedNumber(r->normalHours() * 60, 1));
    return c;
}

Result<Comparison> CompareRecordingFiles(const QString& before, const QString& after,
                                         const DataDirectory& dataDirectory,
                                         const AssessmentSettings& settings) {
    Result<ComparedRecording> b =
        AnalyseForComparison(before, QStringLiteral("改造前"), dataDirectory, settings);
    if (!b)
        return Result<Comparison>::failure(b.error());
    Result<ComparedRecording> a =
        AnalyseForComparison(after, QStringLiteral("改造后"), dataDirectory, settings);
    if (!a)
        return Result<Comparison>::failure(a.error());
    return CompareRecordings(std::move(*b), std::move(*a), settings);
}

namespace {

ComparisonRow Title(const QString& label) {
    ComparisonRow r;
    r.label = label;
    return r;
}

ComparisonRow Own(const char* key, const QString& label, const char* unit, double before,
                  double after, int digits = 3) {
    ComparisonRow r;
    r.key = QString::fromLatin1(key);
    r.label = label;
    r.unit = QString::fromUtf8(unit);
    r.digits = digits;
    r.before = before;
    r.after = after;
    return r;
}

// The figure of `list` in the group of the same shape, key and title, by its key.
const Figure* Matching(const FigureList& list, const FigureGroup& group, const Figure& figure) {
    for (const FigureGroup& g : list)
        if (g.shape == group.shape && g.key == group.key && g.title == group.title)
            for (const Figure& f : g.figures)
                if (f.key == figure.key)
                    return &f;
    return nullptr;
}

void Take(const Figure* f, std::optional<double>& value, QString& missing) {
    if (f && f->kind == Figure::Kind::Number)
        value = f->value;
    else
        missing = f ? f->text : QStringLiteral("无此项");
}

QString Signed(double v, int digits) {
    const QString text = FixedNumber(v, digits);
    return v > 0 && text != FixedNumber(0, digits) ? QLatin1Char('+') + text : text;
}

QString Grouped(double v) {
    return QLocale(QLocale::English).toString(qint64(std::llround(v)));
}

} // namespace

std::vector<ComparisonRow> ComparisonRows(const Comparison& c) {
    const ComparedRecording &b = c.before, &a = c.after;
    std::vector<ComparisonRow> rows = {
        Title(QStringLiteral("对比")),
        Own("duration_h", QStringLiteral("记录时间"), "h", b.hours(), a.hours()),
        Own("normal_rows", QStringLiteral("正常运行数据组数"), "", double(b.normalRows),
            double(a.normalRows), 0),
        Own("mean_input_power_kw", QStringLiteral("平均输入功率"), "kW", b.meanInputPower(),
            a.meanInputPower()),
        Own("mean_power_factor", QStringLiteral("平均功率因数"), "", b.meanPowerFactor(),
            a.meanPowerFactor()),
        Own("specific_input", QStringLiteral("单位输出电量的输入电量"), "kWh/kWh",
            c.specificBefore(), c.specificAfter(), 4),
    };
    // The assessment's own figures, whatever it lists: the measured ones, not the estimates of
    // another motor or measure.
    const FigureList before = AssessmentRunFigures(b.run), after = AssessmentRunFigures(a.run);
    for (const FigureGroup& g : before) {
        if (g.estimate ||
            (g.shape != FigureGroup::Shape::Fields && g.shape != FigureGroup::Shape::Object))
            continue;
        std::vector<ComparisonRow> figures;
        for (const Figure& f : g.figures) {
            if (f.jsonOnly || (f.kind != Figure::Kind::Number && f.kind != Figure::Kind::Missing))
                continue;
            ComparisonRow r;
            r.key =
                g.shape == FigureGroup::Shape::Object ? g.key + QLatin1Char('/') + f.key : f.key;
            r.label = f.label;
            r.unit = f.unit;
            r.digits = f.digits;
            Take(&f, r.before, r.missingBefore);
            Take(Matching(after, g, f), r.after, r.missingAfter);
            figures.push_back(r);
        }
        if (figures.empty())
            continue;
        rows.push_back(Title(g.title));
        rows.insert(rows.end(), figures.begin(), figures.end());
    }
    return rows;
}

QStringList ComparisonRowTexts(const ComparisonRow& r) {
    if (r.isGroup())
        return {QString(), QString(), QString(), QString()};
    auto value = [&](const std::optional<double>& v, const QString& missing) {
        return v ? FixedNumber(*v, r.digits)
                 : (missing.isEmpty() ? QStringLiteral("—")
                                      : QStringLiteral("—（%1）").arg(missing));
    };
    const std::optional<double> d = r.difference(), p = r.percent();
    return {value(r.before, r.missingBefore), value(r.after, r.missingAfter),
            d ? Signed(*d, r.digits) : QStringLiteral("—"),
            p ? Signed(*p, 1) + QLatin1Char('%') : QStringLiteral("—")};
}

QString ComparisonVerdict(const Comparison& c) {
    const QString sb = FixedNumber(c.specificBefore(), 4), sa = FixedNumber(c.specificAfter(), 4);
    const Saving& s = c.saving;
    if (FixedNumber(s.kwh, 3) == FixedNumber(0, 3))
        return QStringLiteral("改造前后每 kWh 输出电量的输入电量相同（%1 kWh），没有测得节电。")
            .arg(sa);
    // The share of what the after-recording's output would have taken before.
    const double share = 100.0 * (c.specificBefore() - c.specificAfter()) / c.specificBefore();
    if (s.kwh > 0)
        return QStringLiteral("改造后每 kWh 输出电量的输入电量由 %1 降为 %2 kWh，节电 %3%："
                              "按改造后的输出电量计节电 %4 kWh，年节电约 %5 kWh，"
                              "年节约电费约 %6 元。")
            .arg(sb, sa, FixedNumber(share, 1), FixedNumber(s.kwh, 3), Grouped(s.annualKwh),
                 Grouped(s.annualMoney));
    return QStringLiteral("改造后每 kWh 输出电量的输入电量由 %1 升为 %2 kWh，多耗电 %3%："
                          "按改造后的输出电量计多耗电 %4 kWh，年多耗电约 %5 kWh，"
                          "年多付电费约 %6 元。")
        .arg(sb, sa, FixedNumber(-share, 1), FixedNumber(-s.kwh, 3), Grouped(-s.annualKwh),
             Grouped(-s.annualMoney));
}

QString ComparisonText(const Comparison& c) {
    QString text = QStringLiteral("改造前：%1\n改造后：%2\n")
                       .arg(QDir::toNativeSeparators(c.before.run.recording.path),
                            QDir::toNativeSeparators(c.after.run.recording.path));
    text += QStringLiteral("项目：改造前 / 改造后 / 差值 / 变化\n");
    for (const ComparisonRow& r : ComparisonRows(c)) {
        if (r.isGroup()) {
            text += r.label + QLatin1Char('\n');
            continue;
        }
        const QStringList v = ComparisonRowTexts(r);
        text +=
            QStringLiteral("  %1%2：%3 / %4 / %5 / %6\n")
                .arg(r.label, r.unit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(r.unit),
                     v[0], v[1], v[2], v[3]);
    }
    text += QStringLiteral("结论：") + ComparisonVerdict(c) + QLatin1Char('\n');
    for (const QString& w : c.warnings)
        text += QStringLiteral("提示：") + w + QLatin1Char('\n');
    return text;
}

QJsonObject ComparisonJson(const Comparison& c) {
    QJsonObject o;
    o.insert(QStringLiteral("before"), AssessmentJson(c.before.run));
    o.insert(QStringLiteral("after"), AssessmentJson(c.after.run));
    o.insert(QStringLiteral("before_file"), QDir::toNativeSeparators(c.before.run.recording.path));
    o.insert(QStringLiteral("after_file"), QDir::toNativeSeparators(c.after.run.recording.path));
    o.insert(QStringLiteral("specific_input_before"), JsonDouble(c.specificBefore()));
    o.insert(QStringLiteral("specific_input_after"), JsonDouble(c.specificAfter()));
    o.insert(QStringLiteral("measured_saving_kwh"), JsonDouble(c.saving.kwh));
    o.insert(QStringLiteral("annual_saving_kwh"), JsonDouble(c.saving.annualKwh));
    o.insert(QStringLiteral("annual_saving_money"), JsonDouble(c.saving.annualMoney));
    // The grid's emission factor over the energy saved in a year (negative: more emitted).
    o.insert(QStringLiteral("annual_co2_kg"),
             JsonDouble(c.saving.annualKwh * c.settings.emissionFactor));
    o.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(c.warnings));
    QJsonArray rows;
    for (const ComparisonRow& r : ComparisonRows(c)) {
        if (r.isGroup())
            continue;
        auto number = [](const std::optional<double>& v) {
            return v ? JsonDouble(*v) : QJsonValue(QJsonValue::Null);
        };
        rows.append(QJsonObject{{QStringLiteral("key"), r.key},
                                {QStringLiteral("label"), r.label},
                                {QStringLiteral("unit"), r.unit},
                                {QStringLiteral("before"), number(r.before)},
                                {QStringLiteral("after"), number(r.after)},
                                {QStringLiteral("difference"), number(r.difference())},
                                {QStringLiteral("percent"), number(r.percent())}});
    }
    o.insert(QStringLiteral("side_by_side"), rows);
    o.insert(QStringLiteral("settings"),
             QJsonObject{{QStringLiteral("kq"), JsonDouble(c.settings.KQ)},
                         {QStringLiteral("hours_per_year"), JsonDouble(c.settings.hoursPerYear)},
                         {QStringLiteral("price"), JsonDouble(c.settings.price)}});
    return o;
}

} // namespace zr5
