#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <array>
#include <memory>
#include <vector>

#include "analysiswindow/analysiswindow.h"
#include "mainwindow/commandstates.h"
#include "model/livetablerow.h"
#include "model/measurementmodel.h"
#include "recording/filecommands.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace zr5 {

class AppState;
class AboutBox;
class HelpWindow;
class MotorParameterDialog;
class LiveTable;
class SettingsDialog;
class SurveyWindow;
struct UiServices;

// The start window: the live table of the current row, the reception and analysis buttons, and
// the menus from which recordings are opened and saved and the other windows are reached.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AppState& state, UiServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up initialisation; an aborted reception runs it again (after it has reset its
    // own flags), which also shows and enables Command3.
    void Form_Load(bool afterAbortedReception = false);

    // Sets the enabled and visible flags that the event changes; the others stay as they were.
    void applyCommandEvent(CommandEvent event);
    // A reception started or ended: while it runs, the commands it blocks are disabled whatever
    // the command states say.
    void setReceiving(bool receiving);
    bool receiving() const { return receiving_; }

    // The line below the buttons that says the instrument sends nothing; empty hides it.
    void showLineWarning(const QString& text);
    QString lineWarning() const;

    // Writes a finished row into the live table, with the power factor's "L" or "C".
    void showRow(const LiveTableRow& row);
    // Redraws all fifteen boxes from the last received row, whichever box is named.
    void Picture1_Paint(int index);
    LiveTable& liveTable() { return *liveTable_; }

    // "电动机经济运行测试仪[<file>]": the caption names the recording the rows are in.
    void setFileCaption();

    // Opens a recording as the Open command does, without its dialog. False when it was refused.
    bool openRecording(const QString& path);
    // The survey's double-click: opens the recording and then the analysis window as 数据分析
    // does. Refused with a message while a reception runs, while an analysis window is open or
    // when the file is gone.
    bool analyseRecording(const QString& path);

    // A window that Exit must close, in the order the windows were loaded; the last is closed
    // first.
    void registerWindow(QWidget* window);

    QMenu* fileMenu() const { return fileMenu_; }

    // Where the help window opens, in twips.
    static constexpr QPoint kHelpPlace{1000, 1000};

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void mnuFileOpen_Click();
    void mnuCLOSE_Click();
    void mnuSAVEFILE_Click(); // also run by the save question after a reception
    void mnuSAVE_AS_Click();
    void mnuEXIT_Click();
    void mnuDAT_Click();
    void mnuSurvey_Click();
    void mnuLJtime_Click();
    void mnuMOTO_Click();
    void mnuHE_Click();
    void mnuABOUT_Click();

signals:
    void timedReceptionRequested();
    void manualReceptionRequested();
    void stopReceptionRequested();
    // F12, Exit or closing the window: the program ends.
    void programEndRequested();
    // The settings dialog is about to be shown (it is made when first opened).
    void settingsDialogOpening(SettingsDialog& dialog);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildButtons(QWidget* area);
    void connectControls();
    void openAnalysis(AnalysisOpening how);
    void closeLoadedWindows();
    void endProgram();
    void Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void showCommandStates();
    // The button or menu item of a command control (both carry an "enabled" property).
    QObject* commandControl(CommandControl control) const;

    AppState& state_;
    UiServices& services_;
    FileCommands files_;
    std::unique_ptr<LiveTable> liveTable_;

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* lblLine = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* mnuTTT = nullptr;
    QMenu* mnuSet = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuCLOSE = nullptr;
    QAction* mnuSAVEFILE = nullptr;
    QAction* mnuSAVE_AS = nullptr;
    QAction* mnuEXIT = nullptr;
    QAction* mnuDAT = nullptr;
    QAction* mnuSurvey = nullptr;
    QAction* mnuLJtime = nullptr;
    QAction* mnuMOTO = nullptr;
    QAction* mnuHE = nullptr;
    QAction* mnuABOUT = nullptr;

    QPointer<SettingsDialog> settingsDialog_;
    QPointer<HelpWindow> helpWindow_;
    QPointer<AboutBox> aboutBox_;
    QPointer<MotorParameterDialog> motorDialog_;
    QPointer<SurveyWindow> surveyWindow_;
    QPointer<AnalysisWindow> analysisWindow_;
    std::vector<QPointer<QWidget>> loadedWindows_;
    // The enabled flags as the command states left them, before a reception's blocking.
    std::array<bool, kCommandControlCount> stateEnabled_{};
    bool receiving_ = false;
    bool ending_ = false;
    LiveTableRow receivedRow_; // what a repaint shows: zeros until the first row arrives
};

} // namespace zr5
