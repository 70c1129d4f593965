#include "printing/curvepage.h"

#include <algorithm>
#include <cmath>

#include "analysis/cumulative.h"
#include "analysis/curves.h"
#include "analysis/operatingpoint.h"
#include "model/numbertext.h"
#include "model/programversion.h"
#include "model/splitseconds.h"

namespace zr5 {

namespace {

constexpr double kFrameLeft = 1000, kFrameRight = 10000;
constexpr double kPlotLeft = 1050, kPlotWidth = 8900;
constexpr int kGreyTraces = 2; // efficiency and load rate of rows without an operating point

struct BandInfo {
    const char* title;
    const char* unit;
    const char* valueUnit;
};

const BandInfo kBands[kCurveBands] = {
    {"　　　　　电流曲线  单位：", "A", " A"},   {"　　　　　电压曲线  单位：", "V", " V"},
    {"　　　　　功率曲线  单位：", "kW", " kW"}, {"　　　　　功率因数曲线", "", " "},
    {"　　　　　效率曲线  单位：%", "", "%"},    {"　　　　　负载率曲线  单位：%", "", "%"},
};

// The curve kind under which each band's axis is kept.
const int kBandKind[kCurveBands] = {Curve::Current1,    Curve::Voltage1,   Curve::ActivePower,
                                    Curve::PowerFactor, Curve::Efficiency, Curve::LoadRate};

float largest(float a, float b, float c) {
    return std::max({a, b, c});
}
float smallest(float a, float b, float c) {
    return std::min({a, b, c});
}

} // namespace

namespace {

// The axis input (minimum, maximum) of each band from the extrema, the unused channels copied.
std::array<std::pair<float, float>, kCurveBands> BandInput(const ExtremaValues& mx,
                                                           const ExtremaValues& mn) {
    return {{
        {smallest(mn[Slot::Current1], mn[Slot::Current2], mn[Slot::Current3]),
         largest(mx[Slot::Current1], mx[Slot::Current2], mx[Slot::Current3])},
        {smallest(mn[Slot::Voltage1], mn[Slot::Voltage2], mn[Slot::Voltage3]),
         largest(mx[Slot::Voltage1], mx[Slot::Voltage2], mx[Slot::Voltage3])},
        {mn[Slot::ActivePower], mx[Slot::ActivePower]},
        {0.0f, 1.0f},
        {0.0f, 100.0f},
        {0.0f, 100.0f},
    }};
}

// The divisor of the printed mean current and voltage: the transformers in use. A header that
// names no transformer at all reads as three in use: nothing divides by 0.
float ChannelDivisor(const std::array<int, 3>& ctInUse) {
    const int inUse = ctInUse[0] + ctInUse[1] + ctInUse[2];
    return inUse > 0 ? float(inUse) : 3.0f;
}

} // namespace

std::array<ValueAxis, kCurveBands> CurvePageAxes(const CurvePageInput& input) {
    ExtremaValues mx = input.recording.RowMaximum, mn = input.recording.RowMinimum;
    CopyExtremaOfUnusedChannels(CTInUseCode(input.ctInUse), mx, mn);
    const auto bands = BandInput(mx, mn);
    std::array<ValueAxis, kCurveBands> axes{};
    for (int b = 0; b < kCurveBands; ++b)
        axes[std::size_t(b)] =
            PrintValueAxis(bands[std::size_t(b)].first, bands[std::size_t(b)].second);
    axes[3].AxisHigh = 1.00001f;
    return axes;
}

CurvePageCurves::CurvePageCurves(const CurvePageInput& input, double columnTwips)
    : path_(input.recording.path), rowCount_(input.recording.RecordCount),
      columnWidth_(float(std::max(columnTwips, 0.0))), divisor_(ChannelDivisor(input.ctInUse)),
      axes_(CurvePageAxes(input)) {
    // Each band's curve stays in its band, as on the screen: a value beyond the axis stands at the
    // band's edge with the screen's over-range marks.
    for (CurveTrace& t : traces_)
        t = CurveTrace(columnWidth_, CurveTrace::Clip::ToPlot);
}

bool CurvePageCurves::fits(const CurvePageInput& input, double columnTwips) const {
    const auto sameAxis = [](const ValueAxis& a, const ValueAxis& b) {
        return a.AxisLow == b.AxisLow && a.AxisHigh == b.AxisHigh && a.AxisStep == b.AxisStep;
    };
    const auto axes = CurvePageAxes(input);
    return complete() && path_ == input.recording.path &&
           rowCount_ == input.recording.RecordCount &&
           columnWidth_ == float(std::max(columnTwips, 0.0)) &&
           divisor_ == ChannelDivisor(input.ctInUse) &&
           std::equal(axes.begin(), axes.end(), axes_.begin(), sameAxis);
}

void CurvePageCurves::add(qint64 firstRow, const std::vector<CompletedRow>& rows) {
    const std::size_t n = rows.size();
    x_.resize(n);
    columns_.resize(n);
    black_.resize(n);
    grey_.resize(n);
    for (auto& y : y_)
        y.resize(n);
    const double N = double(rowCount_);
    for (std::size_t i = 0; i < n; ++i) {
        const CompletedRow& row = rows[i];
        const SampleRowValues& s = row.sample;
        const bool op = row.state == MotorState::Normal;
        if (op) {
            efficiency_ = row.values.Efficiency;
            loadRate_ = row.values.LoadRate;
        }
        const float x = float(double(firstRow + qint64(i)) * kPlotWidth / N + kPlotLeft);
        x_[i] = x;
        columns_[i] = traces_[0].columnOf(x);
        black_[i] = op ? 1 : 0;
        grey_[i] = op ? 0 : 1;
        const float value[kCurveBands] = {
            PrintedChannelMean(s, Slot::Current1, Slot::Current2, Slot::Current3, divisor_),
            PrintedChannelMean(s, Slot::Voltage1, Slot::Voltage2, Slot::Voltage3, divisor_),
            s[Slot::ActivePower],
            s[Slot::PowerFactor],
            efficiency_,
            loadRate_};
        for (int b = 0; b < kCurveBands; ++b) {
            const ValueAxis& a = axes_[std::size_t(b)];
            y_[std::size_t(b)][i] = CurveY(kBandKind[b], value[b], a.AxisLow, a.AxisHigh);
        }
    }
    // Efficiency and load rate are drawn black where the row has an operating point and grey
    // where it has none; the other bands are always drawn.
    for (int b = 0; b < kCurveBands; ++b)
        traces_[std::size_t(b)].add(x_.data(), columns_.data(), y_[std::size_t(b)].data(),
                                    b >= 4 ? black_.data() : nullptr, n);
    for (int b = 4; b < kCurveBands; ++b)
        traces_[std::size_t(kCurveBands + b - 4)].add(x_.data(), columns_.data(),
                                                      y_[std::size_t(b)].data(), grey_.data(), n);
    rows_ += qint64(n);
}

void CurvePageCurves::finish() {
    for (CurveTrace& t : traces_)
        t.finish();
    finished_ = true;
}

Status RunPassWithCurvePage(CumulativeAnalysis& pass, CurvePageInput& input, double columnTwips) {
    if (Status begun = pass.begin(); !begun)
        return begun;
    auto curves = std::make_shared<CurvePageCurves>(input, columnTwips);
    while (!pass.done()) {
        const CumulativeBlock& block = pass.processBlock(CumulativeAnalysis::kPassBlockRows);
        curves->add(block.firstRow, block.rows);
    }
    if (!pass.error().isEmpty())
        return Status::failure(pass.error());
    curves->finish();
    input.curves = std::move(curves);
    return {};
}

void CurvePageInput::takeAnalysis(const AnalysisResults& a) {
    EfficiencyMaximum = a.EfficiencyMaximum;
    EfficiencyMinimum = a.EfficiencyMinimum;
    LoadRateMaximum = a.LoadRateMaximum;
    LoadRateMinimum = a.LoadRateMinimum;
    TotalActiveEnergy = a.TotalActiveEnergy;
    TotalReactiveEnergy = a.TotalReactiveEnergy;
}

int CTInUseCode(const std::array<int, 3>& u) {
    return 4 * u[0] + 2 * u[1] + u[2];
}

QString WiringMethodName(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("单瓦特计法测量(黄)");
    case 2:
        return QStringLiteral("单瓦特计法测量(蓝)");
    case 3:
        return QStringLiteral("二瓦特计法测量(蓝+黄)");
    case 4:
        return QStringLiteral("单瓦特计法测量(红)");
    case 5:
        return QStringLiteral("二瓦特计法测量(红+黄)");
    case 6:
        return QStringLiteral("二瓦特计法测量(红+蓝)");
    default:
        return QStringLiteral("三瓦特计法测量");
    }
}

void CopyExtremaOfUnusedChannels(int code, ExtremaValues& maximum, ExtremaValues& minimum) {
    // (source channel, target channels) with channels 0..2 = red, blue, yellow.
    struct Copy {
        int from;
        int to[2];
    };
    Copy copy{};
    switch (code) {
    case 1:
        copy = {2, {0, 1}};
        break;
    case 2:
        copy = {1, {0, 2}};
        break;
    case 3:
        copy = {1, {0, -1}};
        break;
    case 4:
        copy = {0, {1, 2}};
        break;
    case 5:
        copy = {0, {1, -1}};
        break;
    case 6:
        copy = {0, {2, -1}};
        break;
    default:
        return;
    }
    for (int target : copy.to) {
        if (target < 0)
            continue;
        for (ExtremaValues* table : {&maximum, &minimum}) {
            (*table)[Channel::current(target)] = (*table)[Channel::current(copy.from)];
            (*table)[Channel::voltage(target)] = (*table)[Channel::voltage(copy.from)];
        }
    }
}

PrintedBandAxis PrintBandAxis(float minimum, float maximum) {
    PrintedBandAxis band;
    band.axis = PrintValueAxis(minimum, maximum);
    band.valueGrid = PrintValueGrid(band.axis);
    return band;
}

Status CurvePageRefusal(const CurvePageInput& input) {
    return AnalysisRefusal(input.recording);
}

CurvePageJob::CurvePageJob(Printer& printer, CurvePageInput input)
    : p_(printer), in_(std::move(input)) {}

QString CurvePageJob::error() const {
    return JobError(error_, p_);
}

void CurvePageJob::start() {
    started_ = true;
    if (Status printable = CurvePageRefusal(in_); !printable) {
        error_ = printable.error();
        return;
    }
    maximum_ = in_.recording.RowMaximum;
    minimum_ = in_.recording.RowMinimum;
    CopyExtremaOfUnusedChannels(CTInUseCode(in_.ctInUse), maximum_, minimum_);
    timeStep_ = TimeGridStep(in_.recording.header.Duration);

    const double pixel = p_.device().pixelTwips();
    // The pass's curves when it reduced them for this page; else the page reads the rows.
    if (!in_.curves || !in_.curves->fits(in_, pixel)) {
        in_.curves.reset();
        curves_ = std::make_unique<CurvePageCurves>(in_, pixel);
        auto reader = CompletedRowReader::open(in_.recording, in_.motor);
        if (!reader) {
            error_ = reader.error();
            return;
        }
        reader_ = std::move(*reader);
    }

    p_.setPenWidth(1);
    drawGrids();
    drawLabels();
    drawTitlesAndFrames();
    p_.setPenWidth(1);
    p_.setPenStyle(PenStyle::Solid);
}

void CurvePageJob::drawGrids() {
    const auto input = BandInput(maximum_, minimum_);
    const float T = in_.recording.header.Duration;
    const std::vector<GridLine> times = TimeGrid(T, timeStep_);
    for (int b = 0; b < kCurveBands; ++b) {
        const double offset = BandOffset(b);
        p_.setPenStyle(PenStyle::Dotted);
        for (const GridLine& t : times) {
            const double x = kPlotWidth / T * t.value + kPlotLeft;
            p_.line(x, offset + kPlotTop, x, offset + kPlotBottom);
        }
        const PrintedBandAxis band =
            PrintBandAxis(input[std::size_t(b)].first, input[std::size_t(b)].second);
        for (const GridLine& v : band.valueGrid) {
            const double y = offset + AxisY(v.value, band.axis.AxisLow, band.axis.AxisHigh);
            p_.setPenStyle(v.solid ? PenStyle::Solid : PenStyle::Dotted);
            p_.line(kFrameLeft, y, kFrameRight, y);
        }
        p_.setPenStyle(PenStyle::Solid);
        axes_[std::size_t(b)] = band.axis;
    }
    axes_[3].AxisHigh = 1.00001f;
}

void CurvePageJob::drawLabels() {
    p_.setFontSize(8);
    for (int b = 0; b < kCurveBands; ++b) {
        const ValueAxis& a = axes_[std::size_t(b)];
        for (float v : AxisLabelValues(a)) {
            p_.setPosition(600, BandOffset(b) - 100 + AxisY(v, a.AxisLow, a.AxisHigh));
            p_.printLine(PlainNumber(v));
        }
    }
    const float T = in_.recording.header.Duration;
    for (const GridLine& t : TimeGrid(T, timeStep_)) {
        p_.setPosition(950 + double(t.value) * kPlotWidth / T, 12550);
        p_.printLine(PlainNumber(t.value));
    }
}

void CurvePageJob::drawTitlesAndFrames() {
    const auto& mx = maximum_;
    const auto& mn = minimum_;
    const float extremes[kCurveBands][2] = {
        {largest(mx[Slot::Current1], mx[Slot::Current2], mx[Slot::Current3]),
         smallest(mn[Slot::Current1], mn[Slot::Current2], mn[Slot::Current3])},
        {largest(mx[Slot::Voltage1], mx[Slot::Voltage2], mx[Slot::Voltage3]),
         smallest(mn[Slot::Voltage1], mn[Slot::Voltage2], mn[Slot::Voltage3])},
        {mx[Slot::ActivePower], mn[Slot::ActivePower]},
        {mx[Slot::PowerFactor], mn[Slot::PowerFactor]},
        {in_.EfficiencyMaximum, in_.EfficiencyMinimum},
        {in_.LoadRateMaximum, in_.LoadRateMinimum},
    };
    p_.setPosition(0, 0);
    p_.setFontSize(10);
    p_.setPenWidth(3);
    p_.emptyLines(3);
    for (int b = 0; b < kCurveBands; ++b) {
        const BandInfo& band = kBands[b];
        const QString valueUnit = QString::fromUtf8(band.valueUnit);
        p_.print(QString::fromUtf8(band.title));
        p_.print(QString::fromUtf8(band.unit));
        p_.tab(55);
        p_.print(QStringLiteral("最大值 ") + FormatValue(extremes[b][0]) + valueUnit);
        p_.tab(78);
        p_.printLine(QStringLiteral("最小值 ") + FormatValue(extremes[b][1]) + valueUnit);
        const double top = BandOffset(b) + 150;
        p_.box(kFrameLeft, top, kFrameRight, top + 1500);
        if (b < kCurveBands - 1)
            p_.emptyLines(1);
    }
}

void CurvePageJob::drawLines(int t, const std::vector<CurveLine>& lines) {
    p_.setPenColour(t < kCurveBands ? Colour::Black : Colour::LightGrey);
    // The curves hold y within their band; the band's offset places it on the page.
    const double offset = BandOffset(t < kCurveBands ? t : t - kCurveBands + 4);
    for (const CurveLine& l : lines)
        p_.line(l.x1, offset + l.y1, l.x2, offset + l.y2);
}

void CurvePageJob::drawTraces(bool all) {
    if (all)
        curves_->finish();
    for (int t = 0; t < CurvePageCurves::kTraces; ++t)
        drawLines(t, curves_->takeLines(t));
    p_.setPenColour(Colour::Black);
}

bool CurvePageJob::step() {
    if (finished_)
        return false;
    if (!started_)
        start();
    if (error().isEmpty() && in_.curves) {
        // Drawn from the pass's curves: in one step, as the page's own curves are when one step
        // reads every row.
        for (int t = 0; t < CurvePageCurves::kTraces; ++t)
            drawLines(t, in_.curves->lines(t));
        p_.setPenColour(Colour::Black);
        row_ = in_.recording.RecordCount;
        finished_ = true;
        footer();
        return false;
    }
    const qint64 N = in_.recording.RecordCount;
    const qint64 wanted = std::min(stepRows_, N - row_);
    if (wanted > 0 && error().isEmpty()) {
        if (reader_->read(rows_, wanted) < wanted)
            error_ = reader_->error();
        curves_->add(row_ + 1, rows_);
        row_ += qint64(rows_.size());
    }
    rows_.clear();
    if (row_ >= N || !error().isEmpty()) {
        finished_ = true;
        reader_.reset();
        if (error().isEmpty()) {
            drawTraces(true);
            footer();
        }
        return false;
    }
    drawTraces(false);
    return true;
}

void CurvePageJob::footer() {
    const ReportHeading& h = in_.heading;
    const SplitTime t = SplitSeconds(in_.recording.header.Duration);
    p_.setFontSize(10);
    p_.setPosition(0, 12300);
    p_.printLine(QStringLiteral(" "));
    p_.tab(104);
    p_.printLine(QString::fromUtf8(TimeUnitWord(timeStep_)));
    p_.printLine(QStringLiteral(" "));
    p_.tab(14);
    p_.printLine(QStringLiteral("累计时间：") + PrintedNumber(double(t.ElapsedHours)) +
                 QStringLiteral("时") + PrintedNumber(t.ElapsedMinutes) + QStringLiteral("分") +
                 PrintedNumber(t.ElapsedSeconds) + QStringLiteral("秒"));
    p_.tab(14);
    p_.print(QStringLiteral("有功电量：") + PrintedNumber(in_.TotalActiveEnergy) +
             QStringLiteral("W·h"));
    p_.setFontSize(14);
    p_.tab(55);
    p_.print(QStringLiteral("ZR－5 "));
    p_.setFontSize(9);
    p_.printLine(QStringLiteral(" Ver ") + QString::fromLatin1(ProgramVersion()));
    p_.setFontSize(10);
    p_.tab(14);
    p_.printLine(QStringLiteral("无功电量：") + PrintedNumber(in_.TotalReactiveEnergy) +
                 QStringLiteral("Var·h"));
    p_.printLine(QStringLiteral(" "));
    p_.setFontSize(12);
    const auto labelled = [this](const QString& label, const QString& text) {
        p_.tab(10);
        p_.print(label);
        p_.tab(25);
        p_.printLine(text);
    };
    labelled(QStringLiteral("数据文件名称："), h.fileName);
    labelled(QStringLiteral("接线方式："), WiringMethodName(CTInUseCode(in_.ctInUse)));
    labelled(QStringLiteral("被测设备编号："), h.DeviceNumber);
    p_.tab(10);
    p_.print(QStringLiteral("测 试 日 期 ："));
    PrintHeadingDate(p_, h, 25, 43);
    labelled(QStringLiteral("使 用 单 位 ："), h.organisation);
}

} // namespace zr5
