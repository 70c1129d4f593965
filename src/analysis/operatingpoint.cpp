#include "analysis/operatingpoint.h"

#include <cmath>

#include "model/types.h"

namespace zr5 {

std::optional<OperatingPoint> ComputeMotorOperatingPoint(float p1, const MotorParameters& m) {
    if (!m.MotorParametersValid || !(p1 > m.NoLoadPower))
        return std::nullopt;
    const float pn = m.RatedPower;
    const float k = m.RatedLosses - m.NoLoadPower;
    OperatingPoint op;
    const float excess = p1 - m.NoLoadPower;
    if (k == 0.0f) {
        op.LoadRate = static_cast<float>(100.0 * double(excess) / double(pn));
    } else {
        const float rs =
            static_cast<float>(double(pn) * double(pn) / 4.0 + double(k) * double(excess));
        if (!(rs >= 0.0f))
            return std::nullopt;
        op.LoadRate =
            static_cast<float>(100.0 * (std::sqrt(double(rs)) - double(pn) / 2.0) / double(k));
    }
    op.OutputPower = static_cast<float>(double(op.LoadRate) / 100.0 * double(pn));
    op.Efficiency = static_cast<float>(double(op.OutputPower) / double(p1) * 100.0);
    if (!std::isfinite(op.LoadRate) || !std::isfinite(op.OutputPower) ||
        !std::isfinite(op.Efficiency))
        return std::nullopt;
    return op;
}

MotorState ClassifyMotorValues(float p, const MotorParameters& m, OperatingPoint& values,
                               ClassifyCaller caller) {
    return ClassifyMotorValues(p, ComputeMotorOperatingPoint(p, m), m, values, caller);
}

MotorState ClassifyMotorValues(float p, const std::optional<OperatingPoint>& op,
                               const MotorParameters& m, OperatingPoint& values,
                               ClassifyCaller caller) {
    if (op) {
        values = *op;
        return MotorState::Normal;
    }
    // Data for which the load model has no solution count as incomplete data.
    const bool usable = m.MotorParametersValid && !(p > m.NoLoadPower);
    if (usable && p >= 0.0f) {
        values = OperatingPoint{};
        return MotorState::BelowNoLoad;
    }
    if (usable)
        return MotorState::Generating;
    if (caller == ClassifyCaller::AnalyseRow)
        values = OperatingPoint{};
    return MotorState::NoMotorData;
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
