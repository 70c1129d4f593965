#pragma once

#include <QDialog>

class QPushButton;

namespace zr5 {

// "关于ZR-5...": the product's name, its role and its version.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

private:
    QPushButton* Command1 = nullptr;
};

} // namespace zr5
