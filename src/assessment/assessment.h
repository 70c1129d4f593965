#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "analysis/cumulative.h"
#include "assessment/economics.h"

namespace zr5 {

// The settings of the assessment: the reactive economic equivalent (kW per kvar), the operating
// hours per year and the electricity price (元/kWh).
struct AssessmentSettings {
    double KQ = 0.05;
    double hoursPerYear = 6000;
    double price = 0.8;
};

// A saving over the recording, extrapolated to a year of operation.
struct Saving {
    double kwh = 0;
    double annualKwh = 0;
    double annualMoney = 0;
};

// Replacing the motor by one of the same power and poles at a class's minimum efficiency.
struct Replacement {
    QString cls; // "IE3"
    double ratedEfficiency = 0;
    Saving saving;
};

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
};

// Collects the figures row by row from the cumulative pass (one pass, no second read). Another
// motor's input for the normal rows' outputs follows from its loss model and three sums (rows,
// outputs, squared outputs), so no row is kept.
class AssessmentCollector {
public:
    AssessmentCollector(const MotorParameters& motor, const AssessmentSettings& settings,
                        double rowHours);
    void add(const CumulativeRowView& row);
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
    double normalInput_ = 0; // kWh
    double normalReactive_ = 0;
    double loadRateSum_ = 0;
    double normalRows_ = 0;
    double outputSum_ = 0; // kW, per row
    double outputSquares_ = 0;
};

// The whole assessment of a recording: the cumulative pass with the collector, the replacement by
// class IE3 and the right size from the installed catalogue. An empty error on success.
struct AssessmentRun {
    QString error;
    RecordingAssessment assessment;
    RecordingInfo recording;
    AnalysisResults totals; // the pass's energies and extremes, without its energy series
};
AssessmentRun AssessRecording(const QString& path, const DataDirectory& dataDirectory,
                              const AssessmentSettings& settings);

// The one-line verdict: where the motor mostly runs, and what a better or smaller motor would save.
QString AssessmentVerdict(const RecordingAssessment& a, double recordingHours, double ratedPower);

// The settings file "Assess.dat" in the data directory: KQ, hours per year and price, one per
// line. A missing or damaged file gives the defaults and the problem; writing returns the reason
// it failed, or an empty string.
AssessmentSettings ReadAssessmentSettings(const DataDirectory& dir, QString* problem = nullptr);
QString WriteAssessmentSettings(const DataDirectory& dir, const AssessmentSettings& settings);

} // namespace zr5
