#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/cumulative.h"
#include "assessment/economics.h"
#include "model/result.h"
#include "model/unbalance.h"
#include "motor/efficiencyclass.h"

namespace zr5 {

// The settings of the assessment: the reactive economic equivalent (kW per kvar), the operating
// hours per year and the electricity price (元/kWh); for the replacements the price of a new
// motor per kW of each class (rough estimates the user should replace with quotes), the years of
// the life-cycle view and the grid's emission factor (China's national average for 2022); the
// power factor a capacitor should bring the motor to.
struct AssessmentSettings {
    double KQ = 0.05;
    double hoursPerYear = 6000;
    double price = 0.8;
    double ie3PricePerKw = 400;     // 元/kW
    double ie4PricePerKw = 550;     // 元/kW
    double lifeCycleYears = 15;     // a
    double emissionFactor = 0.5703; // kg CO2 per kWh
    double pfTarget = 0.95;
};

// A saving over the recording, extrapolated to a year of operation.
struct Saving {
    double kwh = 0;
    double annualKwh = 0;
    double annualMoney = 0;
};

// A saving of kwh over a recording of recordingHours, scaled to the settings' operating hours
// and price (nothing in a year when the recording has no duration).
Saving AnnualSaving(double kwh, double recordingHours, const AssessmentSettings& settings);

// Replacing the motor by one of the same power and poles at a class's minimum efficiency.
struct Replacement {
    QString cls; // "IE3"
    double ratedEfficiency = 0;
    Saving saving;
    double investment = 0;   // 元: the price per kW times the rated power
    double paybackYears = 0; // the investment over the annual saving; NaN when nothing is saved
    double lifeCycleMoney =
        0;                   // 元: the annual saving over the life-cycle years less the investment
    double co2KgPerYear = 0; // the annual saving times the grid's emission factor
};

// A capacitor for the normal rows: the power factor from their active and reactive energy, the
// capacitor that brings it to the target, held at the motor to 90 % of the no-load reactive power
// (above it the motor self-excites when switched off), the rest at the bus.
struct PowerFactorCorrection {
    double meanPowerFactor = 0;
    double target = 0;
    double capacitorKvar = 0; // Qc = P̄ (tan φ1 - tan φ2), 0 when the factor already reaches it
    double noLoadKvar = 0;    // Q0
    double atMotorKvar = 0;   // min(Qc, 0.9 Q0)
    double atBusKvar = 0;     // the rest
    double annualReactiveKvarh = 0; // the reactive energy the capacitor supplies in a year
    Saving saving;                  // its active equivalent through KQ (kwh over the recording)
};

// The supply's unbalance over the rows (NEMA MG-1), only where the wiring gives three phases.
struct SupplyUnbalance {
    double voltageMean = 0, voltageMax = 0;    // %
    double currentMean = 0, currentMax = 0;    // %
    std::array<double, 3> hoursVoltageAbove{}; // hours above 1 %, 2 % and 5 %
    double sustainedVoltage = 0;               // %, the largest mean over kSustainedHours of rows
    std::optional<double> derating;            // none above 5 %: the motor should not run
    double deratedCapacity = 0;                // kW
    double hoursAboveDerated = 0; // normal rows whose output exceeds the derated capacity
};
// The span an unbalance must last to count as sustained: a motor's heating follows it over tens
// of minutes, not from one row to the next.
constexpr double kSustainedHours = 0.25;

// The smallest catalogue motor with the same poles and voltage that covers the largest output.
struct RightSize {
    int code = 0;
    QString model;
    double ratedPower = 0;
    Saving saving;
    bool sampleCatalogue = false; // found in the sample the program carries
};

// What the assessment makes of a recording. Hours are of the recording's own time.
struct RecordingAssessment {
    QString inapplicable; // empty when the method applies to the motor data
    std::optional<MotorEconomics> economics;
    std::array<double, 4> stateHours{}; // by MotorState: normal, below no-load, generating, none
    std::array<double, kOperatingZones> zoneHours{};
    std::array<double, 13> loadBandHours{}; // load rate 0-10 %, ..., 110-120 %, above 120 %
    double inputEnergy = 0;                 // kWh, positive active power of every row
    // kWh of that input by motor state: the normal rows' is the output and the losses, the rest
    // the energy balance names apart.
    std::array<double, 4> stateInputEnergy{};
    double outputEnergy = 0;            // kWh, normal rows
    double lossEnergy = 0;              // kWh, normal rows' input less their output
    double reactiveEnergy = 0;          // kvarh, every row
    double weightedEfficiency = 0;      // %, normal rows
    double comprehensiveEfficiency = 0; // %, normal rows with KQ x their reactive energy
    double meanLoadRate = 0;            // %, time mean over the normal rows
    double largestOutput = 0;           // kW, normal rows
    std::vector<Replacement> replacements;
    std::optional<RightSize> rightSize;
    QString rightSizeNote;   // why there is none
    double hoursPerYear = 0; // the savings' operating hours: with none there is nothing to save
    // The efficiency class and GB 18613 grade of the rated data.
    EfficiencyClass efficiencyClass = EfficiencyClass::NotRated;
    QString efficiencyClassNote; // why there is none (out of the classes' range)
    std::optional<PowerFactorCorrection> powerFactor;
    QString powerFactorNote; // why there is none
    std::optional<SupplyUnbalance> supply;
    QString supplyNote; // why there is none ("不适用" and the wiring)
};

// Collects the figures row by row from the cumulative pass (one pass, no second read). Another
// motor's input for the normal rows' outputs follows from its loss model and three sums (rows,
// outputs, squared outputs), so no row is kept.
class AssessmentCollector {
public:
    // threePhases: the wiring gives three phases, so that the supply's unbalance can be measured.
    AssessmentCollector(const MotorParameters& motor, const AssessmentSettings& settings,
                        double rowHours, bool threePhases = true);
    void add(const CumulativeRowView& row);
    // The rows of a block of the pass, in order: the same as adding them one by one.
    void add(const CumulativeBlock& block);
    // Ends the collection: shares, efficiencies and the replacement by class IE3.
    RecordingAssessment finish(double recordingHours) const;
    // kWh another motor (its rated losses and no-load power) would draw for the normal rows'
    // outputs, and the saving against what the present motor drew for them.
    double inputKwhOf(double ratedPower, double ratedLosses, double noLoadPower) const;
    Saving savingOf(double otherInputKwh, double recordingHours) const;

private:
    MotorParameters motor_;
    AssessmentSettings settings_;
    EconomicsResult economics_;
    double rowHours_;
    RecordingAssessment a_;
    // What the rows' energies and the normal rows add up: one core's part of a block.
    struct alignas(64) EnergySums {
        double input = 0, reactive = 0, output = 0; // kWh, kvarh, kWh
        std::array<double, 4> stateInput{};         // kWh by motor state
        double largestOutput = 0;                   // kW
        double normalInput = 0, normalReactive = 0; // kWh, kvarh
        double loadRateSum = 0, normalRows = 0;
        double outputSum = 0, outputSquares = 0; // kW, per row
        std::vector<float> highOutputs;          // normal rows' outputs from 0.75 PN up to PN
    };
    // The supply: sums of the rows' unbalance and the rolling window of the voltage's over
    // kSustainedHours; the other core's part of a block.
    struct alignas(64) SupplySums {
        double voltageSum = 0, currentSum = 0;
        double voltageRows = 0, currentRows = 0;
        std::vector<double> window;
        std::size_t windowNext = 0;
        double windowSum = 0, sustained = 0;
        double voltageMax = 0, currentMax = 0;
    };
    EnergySums e_;
    SupplySums s_;
    // The rows a block adds to each sum of hours, added at its end (see addHours).
    struct alignas(64) HourCounts {
        std::array<std::uint32_t, 4> state{};
        std::uint32_t aboveRated = 0;
        std::array<std::uint32_t, 3> voltageAbove{};
        std::array<std::uint32_t, kOperatingZones> zone{};
        std::array<std::uint32_t, 13> loadBand{};
    };
    // One row's energies and normal-running sums; its supply unbalance; its operating zone.
    void takeEnergy(EnergySums& e, const SampleRowValues& s, MotorState state,
                    const OperatingPoint& values, HourCounts& hours) const;
    static void takeSupply(SupplySums& s, const RowUnbalanceValues& u, HourCounts& hours);
    void takeZone(MotorState state, const OperatingPoint& values, HourCounts& hours) const;
    void addHours(const HourCounts& hours);
    Replacement replacementOf(EfficiencyClass cls, double pricePerKw, double recordingHours) const;
    PowerFactorCorrection powerFactorOf(double recordingHours) const;
    SupplyUnbalance supplyOf() const;
    bool threePhases_;                   // the wiring gives three phases
    std::array<double, 3> hoursAbove_{}; // hours of voltage unbalance above 1, 2 and 5 %
    double hoursAboveRated_ = 0;         // hours of normal rows whose output exceeds the rating
};

// The whole assessment of a recording: the cumulative pass with the collector, the replacement by
// class IE3 and the right size from the installed catalogue. An empty error on success.
struct AssessmentRun {
    QString error;
    RecordingAssessment assessment;
    RecordingInfo recording;
    AnalysisResults totals; // the pass's energies and extremes, without its energy series
};
// `onBlock`, when given, sees every block of rows of the same pass, in order (what a caller
// collects beside the assessment, without a second read).
AssessmentRun AssessRecording(const QString& path, const DataDirectory& dataDirectory,
                              const AssessmentSettings& settings,
                              const std::function<void(const CumulativeBlock&)>& onBlock = {});

// The one-line verdict: where the motor mostly runs, and what a better or smaller motor would save.
QString AssessmentVerdict(const RecordingAssessment& a, double recordingHours, double ratedPower);

// The settings file "Assess.dat" in the data directory: KQ, hours per year, price, the IE3 and
// IE4 motors' prices per kW, the life-cycle years, the emission factor and the power-factor
// target, one per line. An older file without the later lines reads with their defaults. A
// missing or damaged file gives the defaults and the problem (one, the last found); writing
// fails with the reason.
TolerantRead<AssessmentSettings> ReadAssessmentSettings(const DataDirectory& dir);
Status WriteAssessmentSettings(const DataDirectory& dir, const AssessmentSettings& settings);

} // namespace zr5
