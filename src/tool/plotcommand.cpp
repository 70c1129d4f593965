#include <QFileInfo>
#include <cmath>

#include "analysis/analysisview.h"
#include "analysis/cumulative.h"
#include "analysis/surfacepicture.h"
#include "analysis/zoom.h"
#include "model/numbertext.h"
#include "recording/outputfile.h"
#include "tool/commands.h"

namespace zr5::tool {

namespace {

// The kind by its number (0..9) or its quantity ("一路电流").
std::optional<int> KindOf(const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number >= 0 && number < kCurveKinds ? std::optional<int>(number) : std::nullopt;
    for (int k = 0; k < kCurveKinds; ++k)
        if (text == CurveQuantity(k))
            return k;
    return std::nullopt;
}

} // namespace

QList<QCommandLineOption> PlotOptions() {
    return {Option("kind",
                   "曲线种类：0 - 9 或其名称（一路电流、二路电流、三路电流、一路电压、二路电压、\n"
                   "三路电压、有功功率、功率因数、效率、负载率）",
                   "K"),
            Option("output", "图片文件，.png 或 .svg", "OUT.png|OUT.svg"),
            Option("from", "只画此时刻（秒）起的一段，与 --to 同时给出", "SECONDS"),
            Option("to", "只画到此时刻（秒）", "SECONDS"), OverwriteOption()};
}

int RunPlot(ToolContext& context, const CommandLine& line) {
    const QStringList args = line.positional();
    const QString kindText = line.value(QStringLiteral("kind"));
    const QString outputPath = line.value(QStringLiteral("output"));
    const QString fromText = line.value(QStringLiteral("from"));
    const QString toText = line.value(QStringLiteral("to"));
    if (args.size() != 1 || kindText.isEmpty() || outputPath.isEmpty())
        return UsageFail(context);
    const std::optional<int> kind = KindOf(kindText);
    if (!kind) {
        QStringList names;
        for (int k = 0; k < kCurveKinds; ++k)
            names << QStringLiteral("%1 %2").arg(k).arg(CurveQuantity(k));
        return Fail(context, QStringLiteral("曲线种类 “%1” 不存在；可用：%2")
                                 .arg(kindText, names.join(QStringLiteral("、"))));
    }
    const std::optional<PictureFormat> format = PictureFormatOf(outputPath);
    if (!format)
        return Fail(context, QStringLiteral("输出文件 %1 须以 .png 或 .svg 结尾").arg(outputPath));
    if (fromText.isEmpty() != toText.isEmpty())
        return Fail(context, QStringLiteral("--from 与 --to 须同时给出"));
    if (Status e = FilesRefusal(args, {outputPath}, line.isSet(QStringLiteral("overwrite"))); !e)
        return Fail(context, e.error());

    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(args.first(), model, results);
    if (Status analysed = pass.runAll(); !analysed)
        return Fail(context, analysed.error());
    const RecordingInfo& recording = pass.recording();
    const Result<CumulativeView> range =
        TimeRangeView(fromText, toText, recording.RecordCount, recording.header.Duration);
    if (!range)
        return Fail(context, range.error());
    const CumulativeView view = *range;

    // The curve is reduced to the screen's pixel columns, as the analysis window draws it.
    Result<std::vector<CurveLine>> curve =
        CumulativeViewCurve(recording, *kind, results.axes, view, 15.0f);
    if (!curve)
        return Fail(context, curve.error());
    const CumulativePlot plot = MakeCumulativePlot(
        *kind, view, results,
        CumulativeSurfacePicture(*curve, *kind, model, results, view, Qt::black));
    const QByteArray bytes = EncodePicture(*format, CumulativePlotSize(), plot.caption,
                                           [&plot](QPainter& p) { PaintCumulativePlot(p, plot); });
    if (bytes.isEmpty())
        return Fail(context, QStringLiteral("无法生成曲线图片：%1").arg(outputPath));
    if (Status written = WriteWholeFile(outputPath, bytes); !written)
        return Fail(context,
                    QStringLiteral("写入输出文件 %1 出错：%2").arg(outputPath, written.error()));
    return 0;
}

} // namespace zr5::tool
