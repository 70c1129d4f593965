#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "model/appstate.h"
#include "printing/curvepage.h"
#include "printing/datareport.h"
#include "printing/printrun.h"
#include "ui/services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zr5 {

// "打印设置": the heading texts and what to print, then the curve page and the data report, each a
// print job of its own. Modeless; every opening starts from the defaults.
class PrintDialog final : public QDialog {
    Q_OBJECT
public:
    PrintDialog(AppState& state, UiServices& services, QWidget* parent);

    // Opens the dialog at its place on the screen, modeless; deleted when it closes.
    static PrintDialog* open(AppState& state, UiServices& services, QWidget* parent);

    void Command2_Click(); // 确  定
    void Command1_Click(); // 关  闭
    void Command3_Click(); // 预  览
    void Check2_Click();

    // Whether a printer is installed (tests answer it).
    std::function<bool()> printerInstalled;
    bool printing() const { return run_ != nullptr; }

    QLineEdit* Text1 = nullptr; // range start
    QLineEdit* Text2 = nullptr; // range end
    QLineEdit* Text3 = nullptr; // organisation
    QLineEdit* Text4 = nullptr; // device number
    std::array<QLineEdit*, 5> Text5{};
    QCheckBox* Check1 = nullptr; // curve page
    QCheckBox* Check2 = nullptr; // data report
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    void buildControls();
    void connectControls();
    void Form_Load();
    // The jobs the ticked boxes ask for, on copies of what they need; empty with a message shown
    // when one is refused.
    std::optional<std::vector<JobFactory>> prepareJobs();
    void startRun(std::vector<PrintTask> tasks);
    void runFinished(const QString& error, bool cancelled);
    QString pdfFallbackName() const;

    AppState& state_;
    UiServices& services_;
    PrintRun* run_ = nullptr;
};

} // namespace zr5
