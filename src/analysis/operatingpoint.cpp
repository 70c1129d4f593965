#include "analysis/operatingpoint.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/types.h"

namespace zr5 {

namespace {

// What every row of a motor shares: P1 = b PN + P0 + b^2 K.
struct LoadModel {
    float pn, p0, k;
    double quarterSquare; // PN^2 / 4
    double halfPn;        // PN / 2
    explicit LoadModel(const MotorParameters& m)
        : pn(m.RatedPower), p0(m.NoLoadPower), k(m.RatedLosses - m.NoLoadPower),
          quarterSquare(double(pn) * double(pn) / 4.0), halfPn(double(pn) / 2.0) {}
};

inline bool Finite(float x) {
    return std::fabs(x) <= std::numeric_limits<float>::max();
}

// One row's operating point, without branches so that a loop over rows vectorises: true when
// the row has one (P1 above the no-load power, a real solution, finite values). Linear: K = 0.
template <bool Linear>
[[gnu::always_inline]] inline bool OperatingPointOf(float p1, const LoadModel& model,
                                                    OperatingPoint& op) {
    const float excess = p1 - model.p0;
    bool has = p1 > model.p0;
    if constexpr (Linear) {
        op.LoadRate = static_cast<float>(100.0 * double(excess) / double(model.pn));
    } else {
        const float rs = static_cast<float>(model.quarterSquare + double(model.k) * double(excess));
        has &= rs >= 0.0f;
        op.LoadRate =
            static_cast<float>(100.0 * (std::sqrt(double(rs)) - model.halfPn) / double(model.k));
    }
    op.OutputPower = static_cast<float>(double(op.LoadRate) / 100.0 * double(model.pn));
    op.Efficiency = static_cast<float>(double(op.OutputPower) / double(p1) * 100.0);
    return has & Finite(op.LoadRate) & Finite(op.OutputPower) & Finite(op.Efficiency);
}

template <bool Linear>
void OperatingPointsOf(const float* p1, std::size_t count, const LoadModel& model,
                       OperatingColumns& out) {
    for (std::size_t i = 0; i < count; ++i) {
        OperatingPoint op;
        out.has[i] = OperatingPointOf<Linear>(p1[i], model, op);
        out.LoadRate[i] = op.LoadRate;
        out.OutputPower[i] = op.OutputPower;
        out.Efficiency[i] = op.Efficiency;
    }
}

} // namespace

std::optional<OperatingPoint> ComputeMotorOperatingPoint(float p1, const MotorParameters& m) {
    if (!m.MotorParametersValid)
        return std::nullopt;
    const LoadModel model(m);
    OperatingPoint op;
    const bool has = model.k == 0.0f ? OperatingPointOf<true>(p1, model, op)
                                     : OperatingPointOf<false>(p1, model, op);
    return has ? std::optional(op) : std::nullopt;
}

void ComputeMotorOperatingPoints(const float* p1, std::size_t count, const MotorParameters& m,
                                 OperatingColumns& out) {
    if (!m.MotorParametersValid) {
        std::fill_n(out.has.begin(), count, 0);
        return;
    }
    const LoadModel model(m);
    if (model.k == 0.0f)
        OperatingPointsOf<true>(p1, count, model, out);
    else
        OperatingPointsOf<false>(p1, count, model, out);
}

MotorState ClassifyMotorValues(float p, const MotorParameters& m, OperatingPoint& values,
                               ClassifyCaller caller) {
    return ClassifyMotorValues(p, ComputeMotorOperatingPoint(p, m), m, values, caller);
}

MotorStateDecision DescribeMotorState(MotorState state, const MotorParameters& m,
                                      const OperatingPoint& values) {
    MotorStateDecision d;
    d.state = state;
    d.LoadRate = values.LoadRate;
    d.Efficiency = values.Efficiency;
    d.OutputPower = values.OutputPower;
    d.colour = Colour::Red;
    switch (state) {
    case MotorState::Normal:
        d.boxes = MotorBoxes::ShowValues;
        d.colour = Colour::Black;
        d.caption = QStringLiteral("电动机运行数据");
        break;
    case MotorState::BelowNoLoad:
        d.boxes = MotorBoxes::ShowZeros;
        d.caption = QStringLiteral("输入功率 小于 空载功率");
        break;
    case MotorState::Generating:
        d.boxes = MotorBoxes::Clear;
        d.caption = QStringLiteral("电动机处于发电状态");
        break;
    case MotorState::NoMotorData:
        d.boxes = MotorBoxes::Unchanged;
        // Complete data whose no-load power exceeds the rated losses have no operating point for
        // a large input; saying the data are missing would send the user looking for a blank box.
        d.caption = m.MotorParametersValid && m.NoLoadPower > m.RatedLosses
                        ? QStringLiteral("电机参数不合理：空载功率大于额定损耗")
                        : QStringLiteral("无电机参数或参数不全");
        // Data a motor cannot have are named as such, not as missing.
        if (m.allNonZero())
            if (const Status plausible = CheckMotorValues(m); !plausible)
                d.caption = plausible.error();
        break;
    }
    return d;
}

MotorStateDecision ClassifyMotorState(float p, const MotorParameters& m,
                                      const OperatingPoint& previous, ClassifyCaller caller) {
    OperatingPoint values = previous;
    const MotorState state = ClassifyMotorValues(p, m, values, caller);
    return DescribeMotorState(state, m, values);
}

QString MotorStateKey(MotorState state) {
    switch (state) {
    case MotorState::Normal:
        return QStringLiteral("normal");
    case MotorState::BelowNoLoad:
        return QStringLiteral("below_no_load");
    case MotorState::Generating:
        return QStringLiteral("generating");
    case MotorState::NoMotorData:
        break;
    }
    return QStringLiteral("no_motor_data");
}

QString MotorStateName(MotorState state) {
    switch (state) {
    case MotorState::Normal:
        return QStringLiteral("正常运行");
    case MotorState::BelowNoLoad:
        return QStringLiteral("输入低于空载功率");
    case MotorState::Generating:
        return QStringLiteral("发电状态");
    case MotorState::NoMotorData:
        break;
    }
    return QStringLiteral("无电机参数");
}

} // namespace zr5
