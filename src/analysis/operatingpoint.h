#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/motorparameters.h"

namespace zr5 {

struct OperatingPoint {
    float LoadRate = 0;    // %
    float OutputPower = 0; // kW
    float Efficiency = 0;  // %
};

// The motor's operating point from its input power P1 (kW): P1 = b PN + P0 + b^2 K with
// K = RatedLosses - NoLoadPower. Nothing when it does not apply: motor data not valid, P1 not above
// the no-load power, or data for which the model has no real solution (K < 0 with a large input).
// With K = 0 the model is linear and the load rate is (P1 - P0) / PN.
std::optional<OperatingPoint> ComputeMotorOperatingPoint(float inputPower,
                                                         const MotorParameters& motor);

// The operating points of a piece of rows as arrays of one quantity each, so that the loop over
// them vectorises: row i has one when has[i] is 1, with the values at [i].
constexpr std::size_t kOperatingColumnRows = 1024;
struct OperatingColumns {
    // Longer than the rows, as PowerColumns (the arrays are not a whole number of pages apart).
    using Column = std::array<float, kOperatingColumnRows + 16>;
    Column LoadRate, OutputPower, Efficiency;
    std::array<std::int32_t, kOperatingColumnRows + 16> has;
};
// ComputeMotorOperatingPoint(inputPower[i], motor) for the first count (at most
// kOperatingColumnRows) rows.
void ComputeMotorOperatingPoints(const float* inputPower, std::size_t count,
                                 const MotorParameters& motor, OperatingColumns& out);

enum class MotorState { Normal, BelowNoLoad, Generating, NoMotorData };

// How the motor boxes (output power, efficiency, load rate) change.
enum class MotorBoxes { ShowValues, ShowZeros, Clear, Unchanged };

// Who classifies: the cumulative pass resets the values when there are no motor data, the
// single-row display of a query leaves them.
enum class ClassifyCaller { AnalyseRow, SingleRowDisplay };

struct MotorStateDecision {
    MotorState state = MotorState::NoMotorData;
    MotorBoxes boxes = MotorBoxes::Unchanged;
    QString caption;          // of the motor frame
    std::uint32_t colour = 0; // of the motor frame's text
    float LoadRate = 0;       // the values after the decision
    float Efficiency = 0;
    float OutputPower = 0;
    bool operatingPointComputed() const { return state == MotorState::Normal; }
};

// Decides the motor state of a row from its total active power. `previous` holds the values the
// row finds (they persist between rows; a generating row keeps them).
MotorStateDecision ClassifyMotorState(float inputPower, const MotorParameters& motor,
                                      const OperatingPoint& previous, ClassifyCaller caller);
// The same decision without its texts, for a pass over many rows: the state, and `values` (the
// values the row finds) changed as the decision changes them.
MotorState ClassifyMotorValues(float inputPower, const MotorParameters& motor,
                               OperatingPoint& values, ClassifyCaller caller);
// The state alone, from the total active power and whether the row has an operating point.
inline MotorState MotorStateOf(float p, bool hasOperatingPoint, const MotorParameters& m) {
    // Data for which the load model has no solution count as incomplete data.
    const bool usable = m.MotorParametersValid && !(p > m.NoLoadPower);
    return hasOperatingPoint ? MotorState::Normal
           : !usable         ? MotorState::NoMotorData
           : p >= 0.0f       ? MotorState::BelowNoLoad
                             : MotorState::Generating;
}
// True when a row of that state keeps the values it finds: a generating row, and one without
// motor data on the single-row display. Every other row without an operating point sets them to
// zero.
inline bool KeepsValues(MotorState state, ClassifyCaller caller) {
    return state == MotorState::Generating ||
           (state == MotorState::NoMotorData && caller == ClassifyCaller::SingleRowDisplay);
}
// The same with the row's ComputeMotorOperatingPoint(inputPower, motor) given (worked out
// beforehand, rows apart from one another). Inline: the pass decides every row in order.
inline MotorState ClassifyMotorValues(float p, const std::optional<OperatingPoint>& op,
                                      const MotorParameters& m, OperatingPoint& values,
                                      ClassifyCaller caller) {
    const MotorState state = MotorStateOf(p, op.has_value(), m);
    if (op)
        values = *op;
    else if (!KeepsValues(state, caller))
        values = OperatingPoint{};
    return state;
}

// The boxes, caption and colour of a state, with the values after the decision.
MotorStateDecision DescribeMotorState(MotorState state, const MotorParameters& motor,
                                      const OperatingPoint& values);

// The text of a state for exports: normal, below_no_load, generating, no_motor_data.
QString MotorStateKey(MotorState state);
// The name of a state in tables of figures: "正常运行", "输入低于空载功率", "发电状态",
// "无电机参数".
QString MotorStateName(MotorState state);
constexpr int kMotorStates = 4;

} // namespace zr5
