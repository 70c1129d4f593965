#pragma once

#include <array>
#include <vector>

#include "analysis/analysisview.h"
#include "analysis/rowdisplay.h"

#include "ui/fittedtext.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QWidget;

namespace zr5 {

class CurveSurface;

// The analysis window's controls, under their own names (object names as here; an element of a
// control array is named with its index, "Picture1_3").
struct AnalysisControls {
    QMenuBar* menuBar = nullptr;
    QMenu* mnuF3 = nullptr;
    QMenu* mnuFEN = nullptr;
    QAction* mnu5 = nullptr;
    QAction* mnu10 = nullptr;
    QAction* mnu20 = nullptr;
    QAction* mnuPr = nullptr;
    QAction* mnuAssess = nullptr;  // the economic-operation assessment
    QAction* mnuCompare = nullptr; // before and after: this recording against another
    QMenu* mnuExport = nullptr;    // "导出": pictures and the table
    QAction* mnuExportPicture = nullptr;
    QAction* mnuExportAll = nullptr;
    QAction* mnuExportCsv = nullptr;
    QAction* mnuExportXlsx = nullptr;
    QAction* mnuCl = nullptr;

    QGroupBox* dataFrame = nullptr;       // "分时数据"
    QGroupBox* regularFrame = nullptr;    // "常规数据"
    QGroupBox* motorFrame = nullptr;      // "电动机运行数据"
    QGroupBox* queryFrame = nullptr;      // "数据查询"
    QGroupBox* cumulativeFrame = nullptr; // "累计曲线"
    QGroupBox* segmentedFrame = nullptr;  // "分时曲线"

    std::array<FittedLabel*, 20> Picture1{};
    std::array<QLabel*, 14> Label1{}; // Label1_13 is the row count
    QLabel* Label2_10 = nullptr;      // the power factor's unit label, "L" or "C"
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr; // "关  闭"
    QPushButton* Command2 = nullptr; // "重绘曲线"
    QPushButton* Command3 = nullptr; // "查 询"
    QPushButton* Command4 = nullptr; // "曲线选择"
    QPushButton* Command5 = nullptr; // "全程": back to the whole recording, shown while zoomed

    std::array<CurveSurface*, 10> Picture2{}; // cumulative surfaces
    std::array<CurveSurface*, 10> Picture3{}; // segmented surfaces
    std::array<QLabel*, 8> Label5{};          // value labels of the cumulative curve
    std::array<QLabel*, 8> Label6{};          // value labels of the segmented curve
    std::array<QLabel*, 13> Label7{};         // time labels
    std::array<QLabel*, 3> Label8{}; // times of the segmented curve's first, selected, last rows
    QLabel* Label3 = nullptr;        // time unit
    QLabel* Label4 = nullptr;        // value unit of the shown curve

    QScrollBar* HScroll1 = nullptr;   // row
    QScrollBar* HScroll2 = nullptr;   // page
    QProgressBar* progress = nullptr; // how far the cumulative pass is
};

// The window's size in twips as the data-analysis button sets it.
constexpr double kAnalysisWindowWidth = 11640;
constexpr double kAnalysisWindowHeight = 7920;

// Builds every control of the window in its place (twips below the menu bar).
AnalysisControls BuildAnalysisControls(QWidget* window);

// What the controls show of the core's results.
// The selected row's boxes, the power factor's label and the motor frame.
void ShowRowDisplay(AnalysisControls& c, const RowDisplay& d);
// The ranges of both bars for a recording; both stay hidden until the pass has ended.
void SetUpRowBars(AnalysisControls& c, const ScrollBarSetup& bars);
// Both bars moved to a data number, without their signals.
void MoveRowBars(AnalysisControls& c, const ScrollBarSetup& bars, qint64 dataNumber,
                 qint64 recordCount);
// The value labels beside both surfaces (the time labels hidden until the view places them).
void PlaceValueLabels(AnalysisControls& c, const std::vector<ValueLabel>& values);
// The times under the segmented curve.
void PlaceSegmentTimes(AnalysisControls& c, const std::vector<TimeLabel>& times);

} // namespace zr5
