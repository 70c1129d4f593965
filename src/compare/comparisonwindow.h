#pragma once

#include <QWidget>
#include <functional>

#include "compare/comparison.h"
#include "compare/comparisonpage.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace zr5 {

class AppState;
class PrintRun;
struct UiServices;

// A comparison chart on the screen, drawn by the routine that draws it on the page.
class ComparisonChartView final : public QWidget {
public:
    explicit ComparisonChartView(QWidget* parent = nullptr);
    void show(ComparisonChart chart);
    const ComparisonChart& chart() const { return chart_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ComparisonChart chart_;
};

// "对比分析": two recordings of one motor, before and after, side by side: the table, the
// verdict, the warnings and both pictures; swap, print, export the pictures.
class ComparisonWindow final : public QWidget {
    Q_OBJECT
public:
    ComparisonWindow(AppState& state, UiServices& services, QWidget* parent, Comparison comparison);

    // The analysis window's "对比分析…": the current recording is "改造前"; the user picks the
    // other. Returns the window shown (deleted when it closes), or nullptr when the user
    // cancelled or a recording was refused (with a message).
    static ComparisonWindow* open(AppState& state, UiServices& services, QWidget* parent);

    // 交  换: before becomes after; nothing is read again.
    void Command1_Click();
    // 打  印: the comparison on one page, on the default printer or, without one, as a PDF.
    void Command3_Click();
    // 导出图片: the load-duration curves (0) or the efficiency cells (1) as PNG or SVG.
    void exportPicture(int chart);

    const Comparison& comparison() const { return c_; }
    const QTableWidget* table() const { return table_; }
    QString verdict() const;
    QString warnings() const;
    const ComparisonChartView* chart(int k) const { return charts_[k]; }
    bool printing() const { return run_ != nullptr; }
    // Whether a printer is installed (tests answer it).
    std::function<bool()> printerInstalled;

private:
    void showComparison();

    AppState& state_;
    UiServices& services_;
    Comparison c_;
    QLabel* files_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* verdict_ = nullptr;
    QLabel* warnings_ = nullptr;
    ComparisonChartView* charts_[2] = {};
    QPushButton* print_ = nullptr;
    PrintRun* run_ = nullptr;
};

} // namespace zr5
