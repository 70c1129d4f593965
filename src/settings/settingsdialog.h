#pragma once

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zr5 {

class AppState;
struct UiServices;

// "ZR－5...设置": the serial port, the first curve of the analysis, the segment span, the time of
// a timed reception, the transformer ratios and the transformers in use. Option buttons and check
// boxes change the settings in memory at once; only confirmation writes the file.
class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(AppState& state, UiServices& services, QWidget* parent = nullptr);

    // Opens the dialog from the settings file, at its place on the screen, modeless.
    void showDialog();

    // The port option for COM1..COM3, so that a caption or a tool tip can say which device it is.
    QRadioButton* portOption(int commPort) const;

public slots:
    void Command1_Click(); // 确 定
    void Command2_Click(); // 取 消
    void Command3_Click(); // 端口…: the list of the serial ports present

signals:
    // "Ports.ini" maps a COM number onto another device now.
    void portMapChanged();

private:
    void buildGroups();
    void connectControls();
    void loadControls();
    void placeOnScreen();
    bool refuse(QLineEdit* box, const QString& boxName, const QString& reason);

    AppState& state_;
    UiServices& services_;

    std::array<QRadioButton*, 3> portOptions_{};  // Option1..3
    std::array<QRadioButton*, 6> curveOptions_{}; // Option4..9
    std::array<QRadioButton*, 3> spanOptions_{};  // Option10..12
    QButtonGroup* portGroup_ = nullptr;
    QButtonGroup* curveGroup_ = nullptr;
    QButtonGroup* spanGroup_ = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};

} // namespace zr5
