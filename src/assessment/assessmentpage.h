#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "assessment/assessment.h"
#include "printing/printjob.h"

namespace zr5 {

// The picture of an assessment in fractions of its plot (x to the right, y up, both 0..1): the
// hours per load-rate band of 10 % coloured by zone, the efficiency η(β) and the comprehensive
// efficiency ηC(β) from 0 to 120 % load, and βJ, βJJ and the mean load rate marked. The window
// and the page only scale it.
struct ChartBar {
    double left = 0, right = 0, height = 0;
    std::uint32_t colour = 0;
};
struct ChartCurve {
    QString name;
    std::uint32_t colour = 0;
    std::vector<std::pair<double, double>> points;
};
struct ChartMark {
    QString name;
    std::uint32_t colour = 0;
    double x = 0;
};
struct ChartLabel {
    double at = 0;
    QString text;
};
struct AssessmentChartModel {
    std::vector<ChartBar> bars;     // none when the method does not apply
    std::vector<ChartCurve> curves; // none when the method does not apply
    std::vector<ChartMark> marks;
    std::vector<ChartLabel> loadLabels;       // across: load rate %
    std::vector<ChartLabel> efficiencyLabels; // up, left: efficiency %
    std::vector<ChartLabel> hourLabels;       // up, right: hours of a band
};
AssessmentChartModel AssessmentChartFor(const RecordingAssessment& a);

// The left edges of names set in one row from `low` to `high` (any unit): each centred on its
// point where it can be, moved apart just enough to leave `gap` between neighbours, and all kept
// within the row, in the order given. Only names wider together than the row run past `high`.
std::vector<double> SpreadNames(const std::vector<double>& centres,
                                const std::vector<double>& widths, double gap, double low,
                                double high);

// The colour of a zone, in the bars and the legend.
std::uint32_t ZoneColour(OperatingZone zone);
// The zone a load band of 10 % (RecordingAssessment::loadBandHours) is coloured by.
OperatingZone LoadBandZone(std::size_t band, const MotorEconomics& e);

// What the printed page shows; copies, so that the page does not depend on the window.
struct AssessmentPageInput {
    AssessmentRun run;
    AssessmentSettings settings;
    QString fileName; // the recording as the page names it
};

// The assessment on its pages: the title, the recording and the motor, the figures table, the
// chart with its legend, the verdict and the settings the figures were computed with; the measures
// (classes, replacements but IE3, capacitor, supply) on a second page with their settings.
class AssessmentPageJob final : public PrintJob {
public:
    AssessmentPageJob(Printer& printer, AssessmentPageInput input);
    bool step() override;
    qint64 done() const override { return done_ ? 1 : 0; }
    qint64 total() const override { return 1; }
    QString error() const override { return JobError({}, p_); }

private:
    double heading(double y);
    double figures(double y, int page);
    void measures();
    double chart(double y);
    double legend(double y);
    double wrapped(double y, const QString& text, float points);

    Printer& p_;
    AssessmentPageInput in_;
    bool done_ = false;
};

} // namespace zr5
