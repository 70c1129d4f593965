#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include "survey/surveyreport.h"

namespace zr5 {

// The survey's motors as the window's table shows them, one row per motor in the report's order
// (largest annual saving first). The sort role gives numbers as numbers, so that a column sorts
// by value and not by its text.
class SurveyMotorModel final : public QAbstractTableModel {
public:
    enum Column {
        // What the ranking is about first, so that it shows without scrolling.
        Rank,
        Tag,
        Department,
        Measure,
        SavingKwh,
        SavingMoney,
        RatedPower,
        HoursRecorded,
        LoadRate,
        Efficiency,
        EconomicShare,
        EfficiencyClass,
        AnnualEnergy,
        Model,
        ColumnCount
    };
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;
    void setReport(const SurveyReport& report);
    const SurveyMotorLine& motor(int row) const { return motors_[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<SurveyMotorLine> motors_;
};

// The rows of one department (empty: all) whose tag contains a text, sorted by the sort role.
class SurveyMotorFilter final : public QSortFilterProxyModel {
public:
    explicit SurveyMotorFilter(QObject* parent = nullptr);
    void setDepartment(const QString& department);
    void setTagText(const QString& text);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    QString department_, tagText_;
};

// The totals: one row per department, then the plant's.
class SurveyTotalsModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setReport(const SurveyReport& report);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<SurveyTotals> rows_;
};

} // namespace zr5
