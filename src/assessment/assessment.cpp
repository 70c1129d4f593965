#include "assessment/assessment.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include <QBuffer>
#include <QFile>
#include <QLocale>

#include "analysis/blockpool.h"
#include "model/numbertext.h"
#include "model/unbalance.h"
#include "motor/efficiencyclass.h"
#include "motor/motorcatalogue.h"
#include "motor/samplecatalogue.h"
#include "recording/outputfile.h"
#include "recording/smalltextfile.h"

namespace zr5 {

namespace {
// The classes cover motors up to this rated voltage.
constexpr double kClassVoltageLimit = 1000;
// The voltage unbalance whose hours are counted, %.
constexpr double kUnbalanceSteps[3] = {1, 2, 5};
// A capacitor switched with the motor stays at or below this share of its no-load reactive power.
constexpr double kSelfExcitationShare = 0.9;
} // namespace

AssessmentCollector::AssessmentCollector(const MotorParameters& motor,
                                         const AssessmentSettings& settings, double rowHours,
                                         bool threePhases)
    : motor_(motor), settings_(settings), economics_(MotorEconomicsFor(motor, settings.KQ)),
      rowHours_(rowHours), threePhases_(threePhases) {
    a_.economics = economics_.economics;
    a_.inapplicable = economics_.inapplicable;
    if (threePhases_) {
        const double rows = rowHours > 0 ? std::round(kSustainedHours / rowHours) : 1;
        s_.window.assign(std::size_t(std::clamp(rows, 1.0, 1e6)), 0.0);
    }
}

void AssessmentCollector::takeEnergy(EnergySums& e, const SampleRowValues& s, MotorState state,
                                     const OperatingPoint& values, HourCounts& hours) const {
    const double p = s[Slot::ActivePower];
    const double q = std::fabs(double(s[Slot::ReactivePower]));
    if (p > 0) {
        e.input += p * rowHours_;
        e.stateInput[std::size_t(state)] += p * rowHours_;
    }
    e.reactive += q * rowHours_;
    hours.state[std::size_t(state)] += 1;
    if (state == MotorState::Normal) {
        const double out = values.OutputPower;
        e.normalInput += p * rowHours_;
        e.normalReactive += q * rowHours_;
        e.output += out * rowHours_;
        e.loadRateSum += values.LoadRate;
        e.normalRows += 1;
        e.outputSum += out;
        e.outputSquares += out * out;
        e.largestOutput = std::max(e.largestOutput, out);
        const double rated = motor_.RatedPower;
        if (out > rated)
            hours.aboveRated += 1;
        else if (out > 0.75 * rated)
            e.highOutputs.push_back(float(out));
    }
}

void AssessmentCollector::takeSupply(SupplySums& s, const RowUnbalanceValues& u,
                                     HourCounts& hours) {
    if (u.hasVoltage) {
        const double v = u.voltage;
        s.voltageSum += v;
        s.voltageRows += 1;
        s.voltageMax = std::max(s.voltageMax, v);
        for (std::size_t k = 0; k < 3; ++k)
            hours.voltageAbove[k] += v > kUnbalanceSteps[k];
        // The window's sum is kept up to date; a full window's mean may be the sustained one.
        s.windowSum += v - s.window[s.windowNext];
        s.window[s.windowNext] = v;
        if (++s.windowNext == s.window.size())
            s.windowNext = 0;
        if (s.voltageRows >= double(s.window.size()))
            s.sustained = std::max(s.sustained, s.windowSum / double(s.window.size()));
    }
    if (u.hasCurrent) {
        s.currentSum += u.current;
        s.currentRows += 1;
        s.currentMax = std::max(s.currentMax, u.current);
    }
}

void AssessmentCollector::takeZone(MotorState state, const OperatingPoint& values,
                                   HourCounts& hours) const {
    // Rows below the no-load power run at no load; generating rows and rows without motor data
    // belong to no zone.
    if (state == MotorState::Normal || state == MotorState::BelowNoLoad) {
        const double beta = state == MotorState::Normal ? values.LoadRate / 100.0 : 0.0;
        hours.zone[std::size_t(ZoneOf(beta, *a_.economics))] += 1;
        const int band = std::clamp(int(std::floor(beta * 10.0)), 0, 12);
        hours.loadBand[std::size_t(band)] += 1;
    }
}

namespace {
// Adds rowHours to each sum once for each of its rows, one addition at a time as the rows came:
// every addition to a sum adds the same amount, so the order among the sums does not matter,
// and the additions to different sums go side by side (each is a chain of rounded additions).
template <std::size_t N>
void AddRowHours(const std::array<double*, N>& sums, const std::array<std::uint32_t, N>& rows,
                 double rowHours) {
    std::array<double, N> s;
    std::array<std::uint32_t, N> left;
    std::array<std::size_t, N> slot;
    std::size_t m = 0;
    for (std::size_t k = 0; k < N; ++k)
        if (rows[k] > 0) {
            // Kept in order of falling row counts.
            std::size_t j = m++;
            for (; j > 0 && left[j - 1] < rows[k]; --j) {
                left[j] = left[j - 1];
                slot[j] = slot[j - 1];
            }
            left[j] = rows[k];
            slot[j] = k;
        }
    for (std::size_t j = 0; j < m; ++j)
        s[j] = *sums[slot[j]];
    std::uint32_t done = 0;
    for (std::size_t active = m; active > 0; --active)
        for (; done < left[active - 1]; ++done)
            for (std::size_t j = 0; j < active; ++j)
                s[j] += rowHours;
    for (std::size_t j = 0; j < m; ++j)
        *sums[slot[j]] = s[j];
}
} // namespace

void AssessmentCollector::addHours(const HourCounts& hours) {
    constexpr std::size_t kSums = 4 + 1 + 3 + kOperatingZones + 13;
    std::array<double*, kSums> sums;
    std::array<std::uint32_t, kSums> rows;
    std::size_t k = 0;
    auto put = [&](double& sum, std::uint32_t count) {
        sums[k] = &sum;
        rows[k++] = count;
    };
    for (std::size_t i = 0; i < 4; ++i)
        put(a_.stateHours[i], hours.state[i]);
    put(hoursAboveRated_, hours.aboveRated);
    for (std::size_t i = 0; i < 3; ++i)
        put(hoursAbove_[i], hours.voltageAbove[i]);
    for (std::size_t i = 0; i < kOperatingZones; ++i)
        put(a_.zoneHours[i], hours.zone[i]);
    for (std::size_t i = 0; i < 13; ++i)
        put(a_.loadBandHours[i], hours.loadBand[i]);
    AddRowHours(sums, rows, rowHours_);
}

void AssessmentCollector::add(const CumulativeRowView& row) {
    const OperatingPoint values{row.model.LoadRate, row.model.OutputPower, row.model.Efficiency};
    const SampleRowValues& s = row.model.SampleRow;
    const MotorState state = row.decision.state;
    HourCounts hours;
    takeEnergy(e_, s, state, values, hours);
    if (threePhases_) {
        RowUnbalanceValues u;
        RowUnbalanceTo(s, u);
        takeSupply(s_, u, hours);
    }
    if (a_.economics)
        takeZone(state, values, hours);
    addHours(hours);
}

void AssessmentCollector::add(const CumulativeBlock& block) {
    const CompletedRow* rows = block.rows.data();
    const std::size_t n = block.rows.size();
    // The energies and the zones on one core, the supply's unbalance on the other: each sum still
    // takes the rows in order. What holds for the whole recording is decided once a block. Each
    // core adds to its own copy of its sums, so that neither writes where the other reads.
    HourCounts energyHours, supplyHours;
    auto energies = [&] {
        EnergySums e = std::move(e_);
        HourCounts hours;
        for (std::size_t i = 0; i < n; ++i)
            takeEnergy(e, rows[i].sample, rows[i].state, rows[i].values, hours);
        if (a_.economics)
            for (std::size_t i = 0; i < n; ++i)
                takeZone(rows[i].state, rows[i].values, hours);
        e_ = std::move(e);
        energyHours = hours;
    };
    auto supply = [&] {
        SupplySums s = std::move(s_);
        HourCounts hours;
        if (threePhases_)
            for (std::size_t i = 0; i < n; ++i) {
                RowUnbalanceValues u;
                RowUnbalanceTo(rows[i].sample, u);
                takeSupply(s, u, hours);
            }
        s_ = std::move(s);
        supplyHours = hours;
    };
    // On one core both parts come in one call.
    BlockPool::shared().run(2, 1, [&](std::size_t first, std::size_t end) {
        for (std::size_t part = first; part < end; ++part)
            part == 0 ? energies() : supply();
    });
    for (std::size_t k = 0; k < 3; ++k)
        energyHours.voltageAbove[k] += supplyHours.voltageAbove[k];
    addHours(energyHours);
}

double AssessmentCollector::inputKwhOf(double ratedPower, double ratedLosses,
                                       double noLoadPower) const {
    const double K = ratedLosses - noLoadPower;
    return (e_.outputSum + e_.normalRows * noLoadPower +
            K / (ratedPower * ratedPower) * e_.outputSquares) *
           rowHours_;
}

Saving AnnualSaving(double kwh, double recordingHours, const AssessmentSettings& settings) {
    Saving s;
    s.kwh = kwh;
    s.annualKwh = recordingHours > 0 ? kwh * settings.hoursPerYear / recordingHours : 0;
    s.annualMoney = s.annualKwh * settings.price;
    return s;
}

Saving AssessmentCollector::savingOf(double otherInputKwh, double recordingHours) const {
    return AnnualSaving(e_.normalInput - otherInputKwh, recordingHours, settings_);
}

RecordingAssessment AssessmentCollector::finish(double recordingHours) const {
    RecordingAssessment a = a_;
    a.inputEnergy = e_.input;
    a.stateInputEnergy = e_.stateInput;
    a.reactiveEnergy = e_.reactive;
    a.outputEnergy = e_.output;
    a.largestOutput = e_.largestOutput;
    a.hoursPerYear = settings_.hoursPerYear;
    a.lossEnergy = e_.normalInput - a.outputEnergy;
    a.weightedEfficiency = e_.normalInput > 0 ? 100.0 * a.outputEnergy / e_.normalInput : 0;
    const double comprehensiveInput = e_.normalInput + settings_.KQ * e_.normalReactive;
    a.comprehensiveEfficiency =
        comprehensiveInput > 0 ? 100.0 * a.outputEnergy / comprehensiveInput : 0;
    a.meanLoadRate = e_.normalRows > 0 ? e_.loadRateSum / e_.normalRows : 0;
    a.efficiencyClass = ClassifyEfficiency(motor_.Poles, motor_.RatedPower, motor_.RatedEfficiency,
                                           motor_.RatedVoltage);
    if (a.efficiencyClass == EfficiencyClass::NotApplicable)
        a.efficiencyClassNote =
            EfficiencyClassScopeReason(motor_.Poles, motor_.RatedPower, motor_.RatedVoltage);
    if (a.economics && motor_.RatedVoltage <= kClassVoltageLimit) {
        const std::pair<EfficiencyClass, double> candidates[] = {
            {EfficiencyClass::IE3, settings_.ie3PricePerKw},
            {EfficiencyClass::IE4, settings_.ie4PricePerKw}};
        for (const auto& [cls, price] : candidates)
            if (EfficiencyClassLimit(cls, motor_.Poles, motor_.RatedPower) > 0)
                a.replacements.push_back(replacementOf(cls, price, recordingHours));
    }
    if (!(e_.normalRows > 0 && e_.normalInput > 0))
        a.powerFactorNote = QStringLiteral("没有正常运行的数据");
    else if (!motor_.allNonZero())
        a.powerFactorNote = QStringLiteral("电机参数不全，无法求空载无功功率");
    else
        a.powerFactor = powerFactorOf(recordingHours);
    if (!threePhases_)
        a.supplyNote = QStringLiteral("不适用：接线方式测不到三相");
    else if (!(s_.voltageRows > 0))
        a.supplyNote = QStringLiteral("没有电压数据");
    else
        a.supply = supplyOf();
    return a;
}

Replacement AssessmentCollector::replacementOf(EfficiencyClass cls, double pricePerKw,
                                               double recordingHours) const {
    const MotorEconomics& e = *a_.economics;
    const double limit = EfficiencyClassLimit(cls, motor_.Poles, motor_.RatedPower);
    // Same power, the class's minimum efficiency; the no-load share of the losses stays.
    const double losses = e.PN * (100.0 / limit - 1.0);
    const double noLoad = losses * e.P0 / (e.P0 + e.K);
    Replacement r{EfficiencyClassText(cls), limit,
                  savingOf(inputKwhOf(e.PN, losses, noLoad), recordingHours)};
    r.investment = pricePerKw * e.PN;
    // A motor that saves nothing never pays back.
    r.paybackYears = r.saving.annualMoney > 0 ? r.investment / r.saving.annualMoney
                                              : std::numeric_limits<double>::quiet_NaN();
    r.lifeCycleMoney = r.saving.annualMoney * settings_.lifeCycleYears - r.investment;
    r.co2KgPerYear = r.saving.annualKwh * settings_.emissionFactor;
    return r;
}

PowerFactorCorrection AssessmentCollector::powerFactorOf(double recordingHours) const {
    PowerFactorCorrection c;
    const double normalHours = e_.normalRows * rowHours_;
    const double meanPower = e_.normalInput / normalHours; // kW
    const double tan1 = e_.normalReactive / e_.normalInput;
    c.meanPowerFactor = 1.0 / std::sqrt(1.0 + tan1 * tan1);
    c.target = settings_.pfTarget;
    const double tan2 = std::sqrt(1.0 - c.target * c.target) / c.target;
    c.capacitorKvar = std::max(meanPower * (tan1 - tan2), 0.0);
    c.noLoadKvar = NoLoadReactivePower(motor_);
    c.atMotorKvar = std::min(c.capacitorKvar, kSelfExcitationShare * c.noLoadKvar);
    c.atBusKvar = c.capacitorKvar - c.atMotorKvar;
    // The capacitor supplies Qc through the normal rows: the reactive energy the grid no longer
    // carries, worth KQ kW per kvar in the grid's losses.
    const double yearShare = recordingHours > 0 ? settings_.hoursPerYear / recordingHours : 0;
    c.annualReactiveKvarh = c.capacitorKvar * normalHours * yearShare;
    c.saving.kwh = settings_.KQ * c.capacitorKvar * normalHours;
    c.saving.annualKwh = settings_.KQ * c.annualReactiveKvarh;
    c.saving.annualMoney = c.saving.annualKwh * settings_.price;
    return c;
}

SupplyUnbalance AssessmentCollector::supplyOf() const {
    SupplyUnbalance u;
    u.voltageMean = s_.voltageSum / s_.voltageRows;
    u.voltageMax = s_.voltageMax;
    u.currentMean = s_.currentRows > 0 ? s_.currentSum / s_.currentRows : 0;
    u.currentMax = s_.currentMax;
    u.hoursVoltageAbove = hoursAbove_;
    // A recording shorter than the window: its whole mean is what was sustained.
    u.sustainedVoltage =
        s_.voltageRows >= double(s_.window.size()) ? s_.sustained : s_.voltageSum / s_.voltageRows;
    u.derating = UnbalanceDerating(u.sustainedVoltage);
    if (u.derating) {
        u.deratedCapacity = *u.derating * motor_.RatedPower;
        u.hoursAboveDerated =
            hoursAboveRated_ +
            rowHours_ * double(std::count_if(e_.highOutputs.begin(), e_.highOutputs.end(),
                                             [&](float out) { return out > u.deratedCapacity; }));
    }
    return u;
}

AssessmentRun AssessRecording(const QString& path, const DataDirectory& dataDirectory,
                              const AssessmentSettings& settings,
                              const std::function<void(const CumulativeBlock&)>& onBlock) {
    AssessmentRun run;
    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(path, model, results);
    pass.setKeepEnergySeries(false);
    if (Status begun = pass.begin(); !begun)
        return run.error = begun.error(), run;
    run.recording = pass.recording();
    const double hours = double(run.recording.header.Duration) / 3600.0;
    const RecordingHeader& header = run.recording.header;
    AssessmentCollector collector(model.Motor, settings, hours / double(run.recording.RecordCount),
                                  ThreePhasesWired(header.red(), header.blue(), header.yellow()));
    while (!pass.done()) {
        const CumulativeBlock& block = pass.processBlock(CumulativeAnalysis::kPassBlockRows);
        collector.add(block);
        if (onBlock)
            onBlock(block);
    }
    if (!pass.error().isEmpty())
        return run.error = pass.error(), run;
    run.assessment = collector.finish(hours);
    run.totals = std::move(results);

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
    if (a.supply && !a.supply->derating)
        text += QStringLiteral("，电源电压不平衡超过 5%，电动机不应运行");
    // The largest of the savings is the advice; none when none saves.
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
    // A capacitor saves in the grid's losses (through KQ), not in the motor's input: it is named
    // only when it saves more than any motor would.
    if (const auto& c = a.powerFactor;
        c && c->saving.kwh > 0 && (!best || c->saving.kwh > best->kwh)) {
        best = &c->saving;
        advice = c->atBusKvar > 0
                     ? QStringLiteral("建议补偿电容 %1 kvar（电动机处 %2 kvar，其余在母线）")
                           .arg(FixedNumber(c->capacitorKvar, 1), FixedNumber(c->atMotorKvar, 1))
                     : QStringLiteral("建议在电动机处补偿电容 %1 kvar")
                           .arg(FixedNumber(c->capacitorKvar, 1));
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

TolerantRead<AssessmentSettings> ReadAssessmentSettings(const DataDirectory& dir) {
    TolerantRead<AssessmentSettings> read;
    AssessmentSettings& s = read.value;
    QFile file(dir.file(QStringLiteral("Assess.dat")));
    if (!file.exists())
        return read;
    if (!file.open(QIODevice::ReadOnly)) {
        read.problems << QStringLiteral("无法读取 %1：%2").arg(file.fileName(), file.errorString());
        return read;
    }
    const Result<QByteArray> bytes = ReadSmallTextFile(file, QStringLiteral("评估设置文件"));
    if (!bytes) {
        read.problems << bytes.error() + QStringLiteral("，已使用初始值。");
        return read;
    }
    const QList<QByteArray> lines = bytes->split('\n');
    // The first three lines are the original file's; the later ones came with the replacements'
    // economics and the capacitor: an older file without them reads with their defaults.
    struct Field {
        double* value;
        bool original;
        bool fraction; // a power factor: above 0, at most 1
    };
    const Field fields[] = {{&s.KQ, true, false},
                            {&s.hoursPerYear, true, false},
                            {&s.price, true, false},
                            {&s.ie3PricePerKw, false, false},
                            {&s.ie4PricePerKw, false, false},
                            {&s.lifeCycleYears, false, false},
                            {&s.emissionFactor, false, false},
                            {&s.pfTarget, false, true}};
    QString problem;
    for (int i = 0; i < int(std::size(fields)); ++i) {
        const QByteArray text = i < lines.size() ? lines[i].trimmed() : QByteArray();
        if (!fields[i].original && text.isEmpty())
            continue;
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (ok && std::isfinite(v) && v >= 0 && (!fields[i].fraction || (v > 0 && v <= 1)))
            *fields[i].value = v;
        else
            problem = QStringLiteral("%1 第 %2 行不是有效的数字，已使用初始值。")
                          .arg(file.fileName())
                          .arg(i + 1);
    }
    if (!problem.isEmpty())
        read.problems << problem;
    return read;
}

Status WriteAssessmentSettings(const DataDirectory& dir, const AssessmentSettings& s) {
    if (Status exists = dir.ensureExists(); !exists)
        return exists;
    QString text;
    for (double v : {s.KQ, s.hoursPerYear, s.price, s.ie3PricePerKw, s.ie4PricePerKw,
                     s.lifeCycleYears, s.emissionFactor, s.pfTarget})
        text += PrintedNumber(v) + QStringLiteral("\r\n");
    const QByteArray bytes = text.toLatin1();
    return WriteWholeFile(dir.file(QStringLiteral("Assess.dat")), bytes);
}

} // namespace zr5
