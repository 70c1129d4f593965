#include "assessment/assessment.h"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QFile>
#include <QLocale>

#include "model/numbertext.h"
#include "motor/efficiencyclass.h"
#include "motor/motorcatalogue.h"
#include "motor/samplecatalogue.h"
#include "recording/outputfile.h"
#include "recording/smalltextfile.h"

namespace zr5 {

namespace {
// The classes cover motors up to this rated voltage.
constexpr double kClassVoltageLimit = 1000;
} // namespace

AssessmentCollector::AssessmentCollector(const MotorParameters& motor,
                                         const AssessmentSettings& settings, double rowHours)
    : motor_(motor), settings_(settings), economics_(MotorEconomicsFor(motor, settings.KQ)),
      rowHours_(rowHours) {
    a_.economics = economics_.economics;
    a_.inapplicable = economics_.inapplicable;
}

void AssessmentCollector::add(const CumulativeRowView& row) {
    const SampleRowValues& s = row.model.SampleRow;
    const double p = s[Slot::ActivePower];
    const double q = std::fabs(double(s[Slot::ReactivePower]));
    const MotorState state = row.decision.state;
    if (p > 0) {
        a_.inputEnergy += p * rowHours_;
        a_.stateInputEnergy[std::size_t(state)] += p * rowHours_;
    }
    a_.reactiveEnergy += q * rowHours_;
    a_.stateHours[std::size_t(state)] += rowHours_;
    if (state == MotorState::Normal) {
        const double out = row.model.OutputPower;
        normalInput_ += p * rowHours_;
        normalReactive_ += q * rowHours_;
        a_.outputEnergy += out * rowHours_;
        loadRateSum_ += row.model.LoadRate;
        normalRows_ += 1;
        outputSum_ += out;
        outputSquares_ += out * out;
        a_.largestOutput = std::max(a_.largestOutput, out);
    }
    // Rows below the no-load power run at no load; generating rows and rows without motor data
    // belong to no zone.
    if (a_.economics && (state == MotorState::Normal || state == MotorState::BelowNoLoad)) {
        const double beta = state == MotorState::Normal ? row.model.LoadRate / 100.0 : 0.0;
        a_.zoneHours[std::size_t(ZoneOf(beta, *a_.economics))] += rowHours_;
        const int band = std::clamp(int(std::floor(beta * 10.0)), 0, 12);
        a_.loadBandHours[std::size_t(band)] += rowHours_;
    }
}

double AssessmentCollector::inputKwhOf(double ratedPower, double ratedLosses,
                                       double noLoadPower) const {
    const double K = ratedLosses - noLoadPower;
    return (outputSum_ + normalRows_ * noLoadPower +
            K / (ratedPower * ratedPower) * outputSquares_) *
           rowHours_;
}

Saving AssessmentCollector::savingOf(double otherInputKwh, double recordingHours) const {
    Saving s;
    s.kwh = normalInput_ - otherInputKwh;
    s.annualKwh = recordingHours > 0 ? s.kwh * settings_.hoursPerYear / recordingHours : 0;
    s.annualMoney = s.annualKwh * settings_.price;
    return s;
}

RecordingAssessment AssessmentCollector::finish(double recordingHours) const {
    RecordingAssessment a = a_;
    a.hoursPerYear = settings_.hoursPerYear;
    a.lossEnergy = normalInput_ - a.outputEnergy;
    a.weightedEfficiency = normalInput_ > 0 ? 100.0 * a.outputEnergy / normalInput_ : 0;
    const double comprehensiveInput = normalInput_ + settings_.KQ * normalReactive_;
    a.comprehensiveEfficiency =
        comprehensiveInput > 0 ? 100.0 * a.outputEnergy / comprehensiveInput : 0;
    a.meanLoadRate = normalRows_ > 0 ? loadRateSum_ / normalRows_ : 0;
    if (a.economics && motor_.RatedVoltage <= kClassVoltageLimit) {
        const MotorEconomics& e = *a.economics;
        const double limit =
            EfficiencyClassLimit(EfficiencyClass::IE3, motor_.Poles, motor_.RatedPower);
        if (limit > 0) {
            // Same power, the class's minimum efficiency; the no-load share of the losses stays.
            const double losses = e.PN * (100.0 / limit - 1.0);
            const double noLoad = losses * e.P0 / (e.P0 + e.K);
            a.replacements.push_back({QStringLiteral("IE3"), limit,
                                      savingOf(inputKwhOf(e.PN, losses, noLoad), recordingHours)});
        }
    }
    return a;
}

AssessmentRun AssessRecording(const QString& path, const DataDirectory& dataDirectory,
                              const AssessmentSettings& settings) {
    AssessmentRun run;
    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(path, model, results);
    if (QString error = pass.begin(); !error.isEmpty())
        return run.error = error, run;
    run.recording = pass.recording();
    const double hours = double(run.recording.header.Duration) / 3600.0;
    AssessmentCollector collector(model.Motor, settings, hours / double(run.recording.RecordCount));
    while (!pass.done())
        pass.process(1 << 16, [&](const CumulativeRowView& row) { collector.add(row); });
    if (!pass.error().isEmpty())
        return run.error = pass.error(), run;
    run.assessment = collector.finish(hours);

    // The right size: the smallest catalogue motor of the same poles and voltage whose rated
    // power covers the largest output.
    RecordingAssessment& a = run.assessment;
    if (!a.economics) {
        return run;
    }
    const MotorParameters& m = model.Motor;
    // The catalogue is read once; a missing file gives the reason the record reader gives. A data
    // directory without any catalogue file has the sample the program carries, read from memory.
    const bool sample = !CatalogueInstalled(dataDirectory);
    QByteArray records;
    if (sample) {
        records = SampleCatalogueBytes(kCatalogueRecordFile);
    } else {
        QFile catalogue(dataDirectory.file(kCatalogueRecordFile));
        if (!catalogue.open(QIODevice::ReadOnly)) {
            a.rightSizeNote = ReadCatalogueRecord(dataDirectory, 1).error();
            return run;
        }
        records = catalogue.read(kCatalogueFileSize);
    }
    const int codes = int(records.size() / kCatalogueRecordSize);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(records.constData());
    std::optional<std::pair<int, CatalogueRecord>> best;
    for (int code = 1; code <= codes; ++code) {
        const CatalogueRecord r = DecodeCatalogueRecord(bytes + CatalogueRecordOffset(code), code);
        if (r.Poles != m.Poles || r.RatedVoltage != m.RatedVoltage ||
            !(r.RatedPower >= a.largestOutput) || !(r.RatedEfficiency > 0))
            continue;
        if (!best || r.RatedPower < best->second.RatedPower)
            best = std::make_pair(code, r);
    }
    if (!best) {
        a.rightSizeNote = QStringLiteral("电机数据库中没有同极数、同电压且功率足够的电动机");
        return run;
    }
    const CatalogueRecord& c = best->second;
    const double losses = double(c.RatedPower) * (100.0 / double(c.RatedEfficiency) - 1.0);
    RightSize size;
    size.code = best->first;
    if (sample) {
        QBuffer index;
        index.setData(SampleCatalogueBytes(kModelIndexFile));
        index.open(QIODevice::ReadOnly);
        size.model = DesignationOfCode(index, best->first).value_or(QString());
    } else {
        size.model = DesignationOfCode(dataDirectory, best->first).value_or(QString());
    }
    size.sampleCatalogue = sample;
    size.ratedPower = c.RatedPower;
    size.saving =
        collector.savingOf(collector.inputKwhOf(c.RatedPower, losses, c.NoLoadPower), hours);
    a.rightSize = size;
    return run;
}

QString AssessmentVerdict(const RecordingAssessment& a, double hours, double ratedPower) {
    if (!a.economics)
        return QStringLiteral("无法评估经济运行：%1").arg(a.inapplicable);
    const MotorEconomics& e = *a.economics;
    int most = 0;
    for (int z = 1; z < kOperatingZones; ++z)
        if (a.zoneHours[std::size_t(z)] > a.zoneHours[std::size_t(most)])
            most = z;
    if (!(a.zoneHours[std::size_t(most)] > 0))
        return QStringLiteral("没有正常运行或空载的数据，无法判断运行区。");
    const OperatingZone zone = OperatingZone(most);
    const double share = hours > 0 ? 100.0 * a.zoneHours[std::size_t(most)] / hours : 0;
    // The zone with the most hours and the zone of the mean load rate can differ: the mean is
    // pulled up or down by the hours outside the first, and the verdict says so.
    QString text = QStringLiteral("电动机运行时间最多的是%1（%2，占 %3% 时间）")
                       .arg(ZoneName(zone), ZoneRange(zone, e))
                       .arg(std::lround(share));
    if (a.stateHours[std::size_t(MotorState::Normal)] > 0) {
        const OperatingZone meanZone = ZoneOf(a.meanLoadRate / 100.0, e);
        const QString mean = QString::number(std::lround(a.meanLoadRate));
        // The zones in order of load: 非经济运行区, 一般运行区, 经济运行区, 过载.
        auto rank = [](OperatingZone z) {
            const OperatingZone order[] = {OperatingZone::NonEconomic, OperatingZone::General,
                                           OperatingZone::Economic, OperatingZone::Overload};
            return int(std::find(std::begin(order), std::end(order), z) - std::begin(order));
        };
        if (meanZone == zone)
            text += QStringLiteral("，平均负载率 %1% 也在此区").arg(mean);
        else
            text +=
                QStringLiteral("；平均负载率 %1% 却在%2（%3），被负载%4的时间拉%5")
                    .arg(mean, ZoneName(meanZone), ZoneRange(meanZone, e),
                         rank(meanZone) > rank(zone) ? QStringLiteral("更高")
                                                     : QStringLiteral("更低"),
                         rank(meanZone) > rank(zone) ? QStringLiteral("高") : QStringLiteral("低"));
    }
    // The larger of the two savings is the advice; none when neither saves.
    const Saving* best = nullptr;
    QString advice;
    if (a.rightSize && a.rightSize->ratedPower < ratedPower && a.rightSize->saving.kwh > 0) {
        best = &a.rightSize->saving;
        advice = QStringLiteral("建议更换为 %1 kW 电动机")
                     .arg(PlainNumber(float(a.rightSize->ratedPower)));
    }
    for (const Replacement& r : a.replacements)
        if (r.saving.kwh > 0 && (!best || r.saving.kwh > best->kwh)) {
            best = &r.saving;
            advice = QStringLiteral("建议更换为 %1 级电动机").arg(r.cls);
        }
    if (!best)
        return text + QStringLiteral("，无需更换。");
    // Without operating hours a better motor saves nothing in a year.
    if (!(a.hoursPerYear > 0))
        return text + QStringLiteral("，年运行时间为 0 h，更换电动机没有可节约的电量。");
    return text +
           QStringLiteral("，%1，年节电约 %2 kWh。")
               .arg(advice,
                    QLocale(QLocale::English).toString(qint64(std::llround(best->annualKwh))));
}

AssessmentSettings ReadAssessmentSettings(const DataDirectory& dir, QString* problem) {
    AssessmentSettings s;
    QFile file(dir.file(QStringLiteral("Assess.dat")));
    if (!file.exists())
        return s;
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("无法读取 %1：%2").arg(file.fileName(), file.errorString());
        return s;
    }
    const Result<QByteArray> bytes = ReadSmallTextFile(file, QStringLiteral("评估设置文件"));
    if (!bytes) {
        if (problem)
            *problem = bytes.error() + QStringLiteral("，已使用初始值。");
        return s;
    }
    const QList<QByteArray> lines = bytes->split('\n');
    double* fields[3] = {&s.KQ, &s.hoursPerYear, &s.price};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const double v = i < lines.size() ? lines[i].trimmed().toDouble(&ok) : 0;
        if (ok && std::isfinite(v) && v >= 0)
            *fields[i] = v;
        else if (problem)
            *problem = QStringLiteral("%1 第 %2 行不是有效的数字，已使用初始值。")
                           .arg(file.fileName())
                           .arg(i + 1);
    }
    return s;
}

QString WriteAssessmentSettings(const DataDirectory& dir, const AssessmentSettings& s) {
    if (QString error = dir.ensureExists(); !error.isEmpty())
        return error;
    const QByteArray bytes =
        (PrintedNumber(s.KQ) + QStringLiteral("\r\n") + PrintedNumber(s.hoursPerYear) +
         QStringLiteral("\r\n") + PrintedNumber(s.price) + QStringLiteral("\r\n"))
            .toLatin1();
    return WriteWholeFile(dir.file(QStringLiteral("Assess.dat")), bytes);
}

} // namespace zr5
