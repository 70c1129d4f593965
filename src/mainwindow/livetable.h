#pragma once

#include <QFrame>
#include <QString>
#include <array>
#include <functional>

#include "model/measurementmodel.h"

class QLabel;

namespace zr5 {

// One value box of the live table: it keeps the text last printed into it, as a picture box
// keeps what was drawn on it. A paint that the box did not ask for itself (the window was
// uncovered, resized, shown) is reported, so that the table can redraw itself from the model.
class PictureBox final : public QFrame {
    Q_OBJECT
public:
    PictureBox(int index, QWidget* parent);

    int index() const { return index_; }
    const QString& text() const { return text_; }
    // The font the text is printed in: smaller than the box's own when the text would not fit.
    QFont textFont() const;
    // Clears the box and prints the text at its top-left corner.
    void printText(const QString& text);
    void clear() { printText(QString()); }

    std::function<void(int index)> onExposed;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    QString text_;
    bool ownUpdatePending_ = false;
};

// The upper part of the main window: fifteen value boxes (Picture1 0..14), their name labels
// (Label1 0..12) and unit labels (Label2 0..14), placed in twips on the given parent.
class LiveTable {
public:
    explicit LiveTable(QWidget* parent);

    static constexpr int kBoxCount = 15;

    PictureBox* box(int index) const { return boxes_[index]; }
    QLabel* powerFactorLabel() const { return unitLabels_[10]; }
    QLabel* droppedFramesLabel() const { return droppedLabel_; }

    // Writes all fifteen boxes and the "L"/"C" label from a finished row.
    void showRow(const LiveTableRow& row);
    // Writes all fifteen boxes; the power factor label stays as it is.
    void showBoxes(const LiveTableTexts& texts);
    void clearBoxes();

private:
    std::array<PictureBox*, kBoxCount> boxes_{};
    std::array<QLabel*, 13> nameLabels_{};
    std::array<QLabel*, 15> unitLabels_{};
    QLabel* droppedLabel_ = nullptr;
};

} // namespace zr5
