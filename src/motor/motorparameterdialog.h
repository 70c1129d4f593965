#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "model/appstate.h"
#include "motor/motorcatalogue.h"
#include "ui/services.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace zr5 {

// "电机参数调取": the user picks a motor type from the catalogue or types its seven rated values
// (code 0); confirming fills the shared motor data. Modeless; stays open after a confirmation.
class MotorParameterDialog : public QWidget {
    Q_OBJECT
public:
    MotorParameterDialog(AppState& state, UiServices& services, QWidget* parent = nullptr);

    // The event handlers, public so that the program's menu and the tests can drive them.
    void Form_Load();
    void List1_Click(int index);
    void List2_Click(int index);
    void List2_DblClick(int index);
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void txtSearch_Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWidgets();
    void connectWidgets();
    void fitHeight();
    void confirm();
    void showModels(const ModelList& models, const QString& caption);
    void clearModels();
    void showBoxes(const std::array<QString, 7>& texts);
    std::array<QString, 7> boxTexts() const;
    void updateEfficiencyClass();
    void reportProblems(const QStringList& problems);

    AppState& state_;
    UiServices& services_;

    std::vector<MotorCategory> categories_;
    std::vector<int> modelCodes_;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QLineEdit* txtSearch = nullptr;
    std::array<QLineEdit*, 7> Text2{};
    QLabel* lblEfficiencyClass = nullptr;
    QLabel* lblConfirmed = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
};

} // namespace zr5
