#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

#include "analysis/surfacepicture.h"
#include "model/result.h"

class QWidget;

namespace zr5 {

struct AnalysisControls;
struct RecordingInfo;
struct UiServices;

// The size in screen pixels of the analysis window's curve picture: the cumulative frame with the
// segmented frame below it. A PNG has twice this size.
QSize CurvePictureSize(const AnalysisControls& controls);

// Saves what the window's two curve frames show (captions, value and time labels, the surfaces
// with their grids, curves, marker and max/min line) as one picture: a PNG at twice the screen's
// resolution, or an SVG whose lines and texts stay vectors. The surfaces are painted again from
// their drawing commands, not enlarged. The file is replaced only once it is complete; fails
// with why it could not be written.
Status SaveCurvePicture(const AnalysisControls& controls, const QString& path);

// The file name of one kind's picture among "all curve pictures": the recording's name without
// its suffix, an underscore and the kind's quantity ("LONG_一路电流.png").
QString KindPictureName(const QString& recording, int kind, PictureFormat format);

// The analysis window's "导出" commands. Each asks where to write, shows progress where the work
// is long, can be cancelled, says why a write failed and leaves no partial file.
//
// "曲线图片…": the shown kind's picture, PNG or SVG as the name the user gives ends.
void ExportCurvePicture(QWidget* window, UiServices& services, const AnalysisControls& controls,
                        const QString& recording, int kind);
// "全部曲线图片…": the ten kinds' pictures as PNG files in a folder; showKind(k) makes the window
// show kind k (its surfaces drawn) and returns an error message or an empty string.
void ExportAllCurvePictures(QWidget* window, UiServices& services, const AnalysisControls& controls,
                            const QString& recording, int shownKind,
                            const std::function<QString(int)>& showKind);
// "数据表格 (CSV)…": the table of the recording's rows firstRow..lastRow.
// Written a block per turn of the event loop from the recording the window opened; returns
// before a long table is done.
void ExportCsvTable(QWidget* window, UiServices& services, const RecordingInfo& recording,
                    qint64 firstRow, qint64 lastRow);
// "Excel 工作簿…": the workbook (zr5-tool export --xlsx) of the rows firstRow..lastRow, written a
// block per turn of the event loop; always returns before it is done. While it runs, the window
// has a child named "exportJob".
void ExportWorkbook(QWidget* window, UiServices& services, const RecordingInfo& recording,
                    qint64 firstRow, qint64 lastRow);

} // namespace zr5
