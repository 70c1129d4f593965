#include "recording/synthetic.h"

#include <algorithm>
#include <cmath>

#include "model/measurementmodel.h"
#include "recording/recordingfile.h"
#include "recording/repair.h"

namespace zr5 {

namespace {
// Y160M-4 from the Y-series tables; no-load current and power by the catalogue's estimation rules.
constexpr float kRatedPower = 11.0f;
constexpr float kRatedCurrent = 22.6f;
constexpr float kRatedEfficiency = 88.0f;
constexpr float kNoLoadCurrent = 8.05f;
constexpr float kNoLoadPower = 0.45f;
constexpr float kPhaseVoltage = 220.0f;
} // namespace

MotorParameters SyntheticMotor::ratedData() {
    MotorParameters m;
    m.Poles = 4;
    m.RatedPower = kRatedPower;
    m.RatedCurrent = kRatedCurrent;
    m.RatedEfficiency = kRatedEfficiency;
    m.NoLoadCurrent = kNoLoadCurrent;
    m.NoLoadPower = kNoLoadPower;
    m.RatedVoltage = 380;
    m.revalidate();
    return m;
}

SyntheticMotor::SyntheticMotor(std::uint64_t seed, std::int64_t rows)
    : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull),
      rows_(std::max<std::int64_t>(rows, 1)) {}

double SyntheticMotor::uniform() {
    // splitmix64: small, fast and the same on every platform.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

double SyntheticMotor::gaussian() {
    const double u1 = std::max(uniform(), 1e-300);
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

ChannelRowValues SyntheticMotor::row(std::int64_t k) {
    if (k >= stretchEnd_) {
        // A new stretch: mostly running, sometimes idling, generating or compensated.
        // Running most of the time; the other conditions take turns, so every recording of a few
        // stretches has each of them.
        if (stretchKind_ != 0 || uniform() < 0.6) {
            stretchKind_ = 0;
        } else {
            nextSpecial_ = nextSpecial_ % 3 + 1;
            stretchKind_ = nextSpecial_;
        }
        const std::int64_t length =
            std::max<std::int64_t>(1, std::int64_t(rows_ * (0.02 + 0.08 * uniform())));
        stretchEnd_ = k + length;
    }
    // The load wanders slowly between a quarter and 110 % of rating.
    load_ += 0.02 * gaussian() * std::sqrt(std::min(1.0, 2000.0 / double(rows_)));
    load_ = std::clamp(load_, 0.25, 1.1);

    const double k0 = ComputeRatedLosses(kRatedPower, kRatedEfficiency) - kNoLoadPower;
    double inputPower;
    double powerFactor;
    switch (stretchKind_) {
    case 1: // idling: less than the no-load power
        inputPower = kNoLoadPower * (0.4 + 0.5 * uniform());
        powerFactor = 1.0;
        break;
    case 2: // driven by its load: power flows back
        inputPower = -kRatedPower * 0.25 * (0.8 + 0.4 * uniform());
        powerFactor = 0.7;
        break;
    default:
        inputPower = load_ * kRatedPower + kNoLoadPower + load_ * load_ * k0;
        powerFactor = 0.25 + 0.6 * std::sqrt(std::min(load_, 1.0));
        break;
    }
    ChannelRowValues v{};
    for (int c = 0; c < 3; ++c) {
        const double u = kPhaseVoltage * (1.0 + 0.01 * gaussian() + 0.005 * (c - 1));
        const double p = inputPower / 3.0 * (1.0 + 0.01 * gaussian());
        double i = std::fabs(p) / powerFactor * 1000.0 / u;
        if (stretchKind_ == 1) // an idling motor still draws its magnetising current
            i = kNoLoadCurrent * (1.0 + 0.02 * gaussian());
        // A running induction motor draws a lagging current, which the instrument carries in the
        // current's sign (a negative power factor reads "L"); the compensated channel's capacitor
        // reverses its reactive sense.
        if (!(stretchKind_ == 3 && c == 2))
            i = -i;
        v[3 * c] = float(i);
        v[3 * c + 1] = float(u);
        v[3 * c + 2] = float(p);
    }
    return v;
}

Status WriteSyntheticRecording(const QString& path, std::int64_t rows, float duration,
                               std::uint64_t seed, float startTime) {
    RecordingHeader header;
    header.StartTime = startTime;
    header.Duration = duration;
    header.Motor = SyntheticMotor::ratedData().values();
    header.CTFlags = {1, 1, 1};
    RecordingWriter writer;
    if (Status e = writer.create(path, header); !e)
        return e;
    MeasurementModel model;
    model.resetExtrema();
    SyntheticMotor motor(seed, rows);
    for (std::int64_t k = 1; k <= rows; ++k) {
        ChannelRowValues channels = motor.row(k);
        if (Status e = writer.appendRow(channels); !e)
            return e;
        ReplayRow(model, channels, startTime, float(double(k) * duration / double(rows)));
    }
    return writer.finish(model.RowMaximum, model.RowMinimum);
}

} // namespace zr5
