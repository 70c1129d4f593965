#include "assessment/assessmentpage.h"

#include "assessment/assessmentfigures.h"

#include <algorithm>
#include <cmath>

#include "model/numbertext.h"
#include "model/programversion.h"
#include "model/splitseconds.h"

namespace zr5 {

namespace {

// The chart's scales: load rate 0..130 % across (the last band holds everything above 120 %),
// efficiency 50..100 % up.
constexpr double kLoadSpan = 130;
constexpr double kEfficiencyLow = 50, kEfficiencyHigh = 100;
constexpr std::uint32_t kDarkGrey = 0x808080;

QString figure(double v) {
    return FormatValue(float(v)).trimmed();
}

// Page geometry, twips from the top left of the printable area.
constexpr double kPageWidth = 10000;
constexpr double kColumnGap = 300;
constexpr double kChartLeft = 900, kChartRight = 9300, kChartHeight = 6500;

} // namespace

std::uint32_t ZoneColour(OperatingZone zone) {
    switch (zone) {
    case OperatingZone::Economic:
        return 0x009600; // green
    case OperatingZone::General:
        return 0x00a0e6; // amber
    case OperatingZone::NonEconomic:
        return 0x0000c8; // red
    case OperatingZone::Overload:
        return 0xa00078; // purple
    }
    return 0;
}

OperatingZone LoadBandZone(std::size_t band, const MotorEconomics& e) {
    // A band takes the zone of its middle.
    return ZoneOf((double(band) + 0.5) / 10.0, e);
}

AssessmentChartModel AssessmentChartFor(const RecordingAssessment& a) {
    AssessmentChartModel c;
    for (int pct = 0; pct <= 120; pct += 20)
        c.loadLabels.push_back({pct / kLoadSpan, QString::number(pct)});
    // Without the method there are no load bands either: the time per motor state is all.
    if (!a.economics)
        return c;
    const MotorEconomics& e = *a.economics;
    const double most = *std::max_element(a.loadBandHours.begin(), a.loadBandHours.end());
    for (std::size_t b = 0; b < a.loadBandHours.size() && most > 0; ++b) {
        c.bars.push_back({double(b) * 10 / kLoadSpan, double(b + 1) * 10 / kLoadSpan,
                          a.loadBandHours[b] / most, ZoneColour(LoadBandZone(b, e))});
    }
    if (most > 0)
        for (int k = 0; k <= 4; ++k)
            c.hourLabels.push_back({k / 4.0, figure(most * k / 4.0)});
    auto y = [](double efficiency) {
        return std::clamp((efficiency - kEfficiencyLow) / (kEfficiencyHigh - kEfficiencyLow), 0.0,
                          1.0);
    };
    for (int eff = 50; eff <= 100; eff += 10)
        c.efficiencyLabels.push_back({y(eff), QString::number(eff)});
    const std::pair<double (MotorEconomics::*)(double) const, std::uint32_t> curves[] = {
        {&MotorEconomics::efficiency, Colour::Blue},
        {&MotorEconomics::comprehensiveEfficiency, Colour::Black}};
    const QString names[] = {QStringLiteral("效率 η"), QStringLiteral("综合效率 ηC")};
    for (int k = 0; k < 2; ++k) {
        ChartCurve curve{names[k], curves[k].second, {}};
        for (int i = 1; i <= 240; ++i) {
            const double beta = i / 200.0;
            curve.points.emplace_back(beta * 100 / kLoadSpan, y((e.*curves[k].first)(beta)));
        }
        c.curves.push_back(std::move(curve));
    }
    auto x = [](double pct) { return std::clamp(pct / kLoadSpan, 0.0, 1.0); };
    c.marks = {{QStringLiteral("βJ"), Colour::Blue, x(e.betaJ * 100)},
               {QStringLiteral("βJJ"), Colour::Black, x(e.betaJJ * 100)},
               {QStringLiteral("平均"), kDarkGrey, x(a.meanLoadRate)}};
    return c;
}

std::vector<double> SpreadNames(const std::vector<double>& centres,
                                const std::vector<double>& widths, double gap, double low,
                                double high) {
    const std::size_t n = centres.size();
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return centres[a] < centres[b]; });
    std::vector<double> left(n);
    // Left to right, each clear of the one before; then from the right end back, each clear of
    // the one after; then once more from the left end, which wins where they cannot all fit.
    double free = low;
    for (std::size_t k : order) {
        left[k] = std::max(centres[k] - widths[k] / 2, free);
        free = left[k] + widths[k] + gap;
    }
    free = high;
    for (auto k = order.rbegin(); k != order.rend(); ++k) {
        left[*k] = std::min(left[*k], free - widths[*k]);
        free = left[*k] - gap;
    }
    free = low;
    for (std::size_t k : order) {
        left[k] = std::max(left[k], free);
        free = left[k] + widths[k] + gap;
    }
    return left;
}

AssessmentPageJob::AssessmentPageJob(Printer& printer, AssessmentPageInput input)
    : p_(printer), in_(std::move(input)) {}

bool AssessmentPageJob::step() {
    if (done_)
        return false;
    done_ = true;
    double y = heading(0);
    y = figures(y + 200, 0);
    y = chart(y + 300);
    y = legend(y);
    const RecordingHeader& h = in_.run.recording.header;
    y = wrapped(y + 200,
                QStringLiteral("结论：") + AssessmentVerdict(in_.run.assessment,
                                                             double(h.Duration) / 3600.0,
                                                             double(h.Motor[1])),
                11);
    p_.setFontSize(9);
    p_.setPosition(0, y + 200);
    p_.printLine(QStringLiteral("无功经济当量 KQ = %1 kW/kvar，年运行时间 %2 h，电价 %3 元/kWh")
                     .arg(PlainNumber(in_.settings.KQ), PlainNumber(in_.settings.hoursPerYear),
                          PlainNumber(in_.settings.price)));
    p_.print(QStringLiteral("ZR－5  Ver ") + QString::fromLatin1(ProgramVersion()));
    measures();
    return false;
}

// The second page: what the first has no room for (the classes, the IE3 motor's payback, the
// other replacements, the capacitor and the supply) and the settings it was computed with.
void AssessmentPageJob::measures() {
    const FigureList list =
        AssessmentFigures(in_.run.assessment, double(in_.run.recording.header.Duration) / 3600.0);
    if (FigureRows(FiguresOfPage(list, 1)).empty())
        return;
    p_.newPage();
    const QString title = QStringLiteral("电动机经济运行评估：节能措施");
    p_.setFontSize(16);
    p_.setPosition((kPageWidth - p_.device().textWidth(title, 16)) / 2, 0);
    p_.printLine(title);
    p_.setFontSize(10);
    p_.setPosition(0, p_.y() + 200);
    p_.printLine(QStringLiteral("数据文件名称：") + in_.fileName);
    double y = figures(p_.y() + 200, 1);
    const AssessmentSettings& s = in_.settings;
    p_.setFontSize(9);
    p_.setPosition(0, y + 200);
    p_.printLine(QStringLiteral("IE3 电动机 %1 元/kW，IE4 电动机 %2 元/kW（估计值），寿命期 %3 年，"
                                "电网排放因子 %4 kg CO₂/kWh，目标功率因数 %5")
                     .arg(PlainNumber(s.ie3PricePerKw), PlainNumber(s.ie4PricePerKw),
                          PlainNumber(s.lifeCycleYears), PlainNumber(s.emissionFactor),
                          PlainNumber(s.pfTarget)));
}

double AssessmentPageJob::heading(double y) {
    const QString title = QStringLiteral("电动机经济运行评估");
    p_.setFontSize(16);
    p_.setPosition((kPageWidth - p_.device().textWidth(title, 16)) / 2, y);
    p_.printLine(title);
    const RecordingInfo& r = in_.run.recording;
    const SplitTime t = SplitSeconds(r.header.Duration);
    const MotorParameters m = r.header.motorParameters();
    p_.setFontSize(10);
    p_.setPosition(0, p_.y() + 200);
    p_.printLine(QStringLiteral("数据文件名称：") + in_.fileName);
    p_.printLine(QStringLiteral("累计时间：%1时%2分%3秒，共 %4 行数据")
                     .arg(t.ElapsedHours)
                     .arg(t.ElapsedMinutes)
                     .arg(t.ElapsedSeconds)
                     .arg(r.RecordCount));
    // The rated data on two lines: on one they run past the figures' boxes.
    p_.printLine(
        QStringLiteral("电动机：额定功率 %1 kW，额定电流 %2 A，额定效率 %3%，额定电压 %4 V，%5 极")
            .arg(PlainNumber(m.RatedPower), PlainNumber(m.RatedCurrent),
                 PlainNumber(m.RatedEfficiency), PlainNumber(m.RatedVoltage),
                 PlainNumber(m.Poles)));
    p_.printLine(QStringLiteral("　　　　空载电流 %1 A，空载功率 %2 kW")
                     .arg(PlainNumber(m.NoLoadCurrent), PlainNumber(m.NoLoadPower)));
    return p_.y();
}

// Two columns side by side, each boxed; a group starts a column when it would be cut. Only the
// groups of the page.
double AssessmentPageJob::figures(double top, int page) {
    const std::vector<FigureRow> rows = FigureRows(FiguresOfPage(
        AssessmentFigures(in_.run.assessment, double(in_.run.recording.header.Duration) / 3600.0),
        page));
    // The right column starts with the group that makes the longer column shortest.
    std::size_t split = rows.size();
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].isGroup() &&
            std::max(i, rows.size() - i) < std::max(split, rows.size() - split))
            split = i;
    const float points = 10;
    const double line = double(points) * 20 * 1.2; // a little more than single spacing
    const double width = (kPageWidth - kColumnGap) / 2;
    double bottom = top;
    p_.setFontSize(points);
    p_.setPenColour(Colour::Black);
    p_.setPenStyle(PenStyle::Solid);
    for (int column = 0; column < 2; ++column) {
        const std::size_t first = column == 0 ? 0 : split, last = column == 0 ? split : rows.size();
        const double left = column * (width + kColumnGap);
        double y = top + 60;
        for (std::size_t i = first; i < last; ++i) {
            p_.setPosition(left + 100, y);
            p_.print(rows[i].name);
            if (rows[i].isGroup()) {
                // The title's rule below its descenders.
                y += 60;
                p_.setPenWidth(1);
                p_.line(left, y + line - 20, left + width, y + line - 20);
            } else {
                // A value too long for the name's line (a note) takes lines of its own.
                const double valueWidth = p_.device().textWidth(rows[i].value, points);
                const double nameEnd = p_.x() + 200;
                QString rest = rows[i].value;
                while (!rest.isEmpty()) {
                    const double room = left + width - 100 - nameEnd;
                    if (valueWidth <= room && rest == rows[i].value) {
                        p_.setPosition(left + width - 100 - valueWidth, y);
                        p_.print(rest);
                        break;
                    }
                    y += line;
                    qsizetype n = rest.size();
                    while (n > 1 && p_.device().textWidth(rest.left(n), points) > width - 500)
                        --n;
                    p_.setPosition(left + 400, y);
                    p_.print(rest.left(n));
                    rest = rest.mid(n);
                }
            }
            y += line;
        }
        bottom = std::max(bottom, y + 60);
    }
    p_.setPenWidth(3);
    for (int column = 0; column < 2; ++column) {
        const double left = column * (width + kColumnGap);
        p_.box(left, top, left + width, bottom);
    }
    p_.setPenWidth(1);
    return bottom;
}

double AssessmentPageJob::chart(double top) {
    const AssessmentChartModel c = AssessmentChartFor(in_.run.assessment);
    p_.setFontSize(9);
    const double plotTop = top + 300, plotBottom = plotTop + kChartHeight;
    const double w = kChartRight - kChartLeft;
    auto X = [&](double f) { return kChartLeft + f * w; };
    auto Y = [&](double f) { return plotBottom - f * kChartHeight; };
    p_.setPosition(0, top);
    p_.print(QStringLiteral("效率 %"));
    const QString hoursTitle = QStringLiteral("时间 h");
    p_.setPosition(kPageWidth - p_.device().textWidth(hoursTitle, 9), top);
    p_.print(hoursTitle);
    for (const ChartBar& b : c.bars) {
        if (b.height <= 0)
            continue;
        p_.setPenColour(b.colour);
        p_.fillBox(X(b.left) + 20, Y(b.height), X(b.right) - 20, plotBottom);
    }
    p_.setPenColour(Colour::Black);
    p_.setPenStyle(PenStyle::Dotted);
    for (const ChartLabel& l : c.efficiencyLabels)
        p_.line(kChartLeft, Y(l.at), kChartRight, Y(l.at));
    p_.setPenStyle(PenStyle::Solid);
    const double half = p_.lineHeight() / 2;
    for (const ChartLabel& l : c.efficiencyLabels) {
        p_.setPosition(kChartLeft - 100 - p_.device().textWidth(l.text, 9), Y(l.at) - half);
        p_.print(l.text);
    }
    for (const ChartLabel& l : c.hourLabels) {
        p_.setPosition(kChartRight + 100, Y(l.at) - half);
        p_.print(l.text);
    }
    for (const ChartLabel& l : c.loadLabels) {
        p_.setPosition(X(l.at) - p_.device().textWidth(l.text, 9) / 2, plotBottom + 60);
        p_.print(l.text);
    }
    const QString loadTitle = QStringLiteral("负载率 %");
    p_.setPosition(kChartRight - p_.device().textWidth(loadTitle, 9), plotBottom + 60 + 2 * half);
    p_.print(loadTitle);
    p_.setPenWidth(2);
    for (const ChartCurve& curve : c.curves) {
        p_.setPenColour(curve.colour);
        for (std::size_t i = 1; i < curve.points.size(); ++i)
            p_.line(X(curve.points[i - 1].first), Y(curve.points[i - 1].second),
                    X(curve.points[i].first), Y(curve.points[i].second));
    }
    p_.setPenWidth(1);
    p_.setPenStyle(PenStyle::Dotted);
    for (const ChartMark& m : c.marks) {
        p_.setPenColour(m.colour);
        p_.line(X(m.x), plotTop, X(m.x), plotBottom);
    }
    p_.setPenStyle(PenStyle::Solid);
    p_.setPenColour(Colour::Black);
    // The marks' names above the plot, moved apart where they would overlap.
    std::vector<double> centres, widths;
    for (const ChartMark& m : c.marks) {
        centres.push_back(X(m.x));
        widths.push_back(p_.device().textWidth(m.name, 9));
    }
    const std::vector<double> lefts = SpreadNames(centres, widths, 100, kChartLeft, kChartRight);
    for (std::size_t i = 0; i < c.marks.size(); ++i) {
        p_.setPosition(lefts[i], plotTop - 2 * half);
        p_.print(c.marks[i].name);
    }
    p_.setPenWidth(3);
    p_.box(kChartLeft, plotTop, kChartRight, plotBottom);
    p_.setPenWidth(1);
    return plotBottom + 60 + 4 * half;
}

double AssessmentPageJob::legend(double y) {
    p_.setFontSize(9);
    const double size = p_.lineHeight() * 0.8;
    double x = kChartLeft;
    auto key = [&](const QString& name) {
        p_.setPosition(x + size + 80, y);
        p_.print(name);
        x = p_.x() + 300;
    };
    if (in_.run.assessment.economics) {
        for (int z = 0; z < kOperatingZones; ++z) {
            p_.setPenColour(ZoneColour(OperatingZone(z)));
            p_.fillBox(x, y + 20, x + size, y + 20 + size);
            key(ZoneName(OperatingZone(z)));
        }
        for (const ChartCurve& curve : AssessmentChartFor(in_.run.assessment).curves) {
            p_.setPenColour(curve.colour);
            p_.setPenWidth(2);
            p_.line(x, y + size / 2 + 20, x + size, y + size / 2 + 20);
            p_.setPenWidth(1);
            key(curve.name);
        }
    } else {
        p_.setPosition(x, y);
        p_.print(QStringLiteral("电动机数据不适用经济运行评估：没有负载率分布和效率曲线"));
    }
    p_.setPenColour(Colour::Black);
    return y + p_.lineHeight();
}

// Text broken into lines that fit the page's width.
double AssessmentPageJob::wrapped(double y, const QString& text, float points) {
    p_.setFontSize(points);
    return PrintWrapped(p_, y, kPageWidth, text);
}

} // namespace zr5
