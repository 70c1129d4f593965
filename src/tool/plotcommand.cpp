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

const char kUsage[] = "用法: zr5-tool plot FILE.MTR --kind K --output OUT.png|OUT.svg "
                      "[--from SECONDS --to SECONDS]";

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

int RunPlot(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    QString kindText, outputPath, fromText, toText, error;
    for (auto [name, value] : {std::pair{"--kind", &kindText},
                               {"--output", &outputPath},
                               {"--from", &fromText},
                               {"--to", &toText}})
        if (!TakeOption(args, QString::fromLatin1(name), *value, error))
            return Fail(context, error);
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--")) || kindText.isEmpty() ||
        outputPath.isEmpty())
        return Fail(context, QString::fromUtf8(kUsage));
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

    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(args.first(), model, results);
    if (QString refusal = pass.runAll(); !refusal.isEmpty())
        return Fail(context, refusal);
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
        *kind, view, results, CumulativeSurfacePicture(*curve, *kind, model, results, view, Qt::black));
    const QByteArray bytes = EncodePicture(*format, CumulativePlotSize(), plot.caption,
                                           [&plot](QPainter& p) { PaintCumulativePlot(p, plot); });
    if (bytes.isEmpty())
        return Fail(context, QStringLiteral("无法生成曲线图片：%1").arg(outputPath));
    if (QString e = WriteWholeFile(outputPath, bytes); !e.isEmpty())
        return Fail(context, QStringLiteral("写入输出文件 %1 出错：%2").arg(outputPath, e));
    return 0;
}

} // namespace zr5::tool
