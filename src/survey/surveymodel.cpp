#include "survey/surveymodel.h"

#include "assessment/economics.h"

namespace zr5 {

namespace {

QString Fixed(double v, int digits) {
    return QString::number(v, 'f', digits);
}

QVariant Optional(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant();
}

std::optional<double> EconomicShareOf(const SurveyMotorLine& m) {
    const QString key = ZoneKey(OperatingZone::Economic);
    for (const ZoneShare& z : m.zoneShares)
        if (z.key == key)
            return z.percent;
    return std::nullopt;
}

} // namespace

void SurveyMotorModel::setReport(const SurveyReport& report) {
    beginResetModel();
    motors_ = report.motors;
    endResetModel();
}

int SurveyMotorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(motors_.size());
}

int SurveyMotorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SurveyMotorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SurveyMotorLine& m = motors_[std::size_t(index.row())];
    const int c = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool text = c == Tag || c == Department || c == Model || c == Measure;
        return QVariant::fromValue(
            Qt::Alignment((text ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    const bool sort = role == SortRole;
    auto number = [&](const std::optional<double>& v, int digits) -> QVariant {
        if (sort)
            return Optional(v);
        return v ? Fixed(*v, digits) : QStringLiteral("—");
    };
    switch (c) {
    case Rank:
        return sort ? QVariant(index.row() + 1) : QVariant(QString::number(index.row() + 1));
    case Tag:
        return m.tag;
    case Department:
        return m.department;
    case Model:
        return m.model;
    case RatedPower:
        return number(m.ratedPowerKw, 1);
    case HoursRecorded:
        return number(m.hoursRecorded, 1);
    case LoadRate:
        return number(m.meanLoadRatePct, 1);
    case Efficiency:
        return number(m.weightedEfficiencyPct, 1);
    case EconomicShare:
        return number(EconomicShareOf(m), 1);
    case EfficiencyClass:
        return m.efficiencyClass;
    case AnnualEnergy:
        return number(m.annualEnergyKwh, 0);
    case Measure:
        return m.measureText;
    case SavingKwh:
        return number(m.annualSavingKwh, 0);
    case SavingMoney:
        return number(m.annualSavingMoney, 2);
    default:
        return {};
    }
}

QVariant SurveyMotorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const heads[ColumnCount] = {
        "排名",  "电机",    "部门",  "措施",    "年节电kWh", "年节约元",  "额定kW",
        "记录h", "负载率%", "效率%", "经济区%", "能效",      "年耗电kWh", "型号"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(heads[section]) : QVariant();
}

SurveyMotorFilter::SurveyMotorFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(SurveyMotorModel::SortRole);
    setSortLocaleAware(true);
}

void SurveyMotorFilter::setDepartment(const QString& department) {
    department_ = department;
    invalidateRowsFilter();
}

void SurveyMotorFilter::setTagText(const QString& text) {
    tagText_ = text.trimmed();
    invalidateRowsFilter();
}

bool SurveyMotorFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
    const QAbstractItemModel* m = sourceModel();
    if (!department_.isEmpty() &&
        m->index(row, SurveyMotorModel::Department, parent).data().toString() != department_)
        return false;
    return tagText_.isEmpty() || m->index(row, SurveyMotorModel::Tag, parent)
                                     .data()
                                     .toString()
                                     .contains(tagText_, Qt::CaseInsensitive);
}

void SurveyTotalsModel::setReport(const SurveyReport& report) {
    beginResetModel();
    rows_ = report.departments;
    // No survey open: no totals either.
    if (report.survey.isEmpty()) {
        endResetModel();
        return;
    }
    rows_.push_back(report.plant);
    // The plant's line says what it is.
    rows_.back().name = QStringLiteral("全厂（%1）").arg(report.plant.name);
    endResetModel();
}

int SurveyTotalsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int SurveyTotalsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 6;
}

QVariant SurveyTotalsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(
            (index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    const SurveyTotals& t = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case 0:
        return t.name;
    case 1:
        return QString::number(t.motors);
    case 2:
        return Fixed(t.ratedPowerKw, 1);
    case 3:
        return Fixed(t.annualEnergyKwh, 0);
    case 4:
        return Fixed(t.annualSavingKwh, 0);
    case 5:
        return Fixed(t.annualSavingMoney, 2);
    default:
        return {};
    }
}

QVariant SurveyTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const heads[] = {"部门",      "台数",      "额定kW",
                                        "年耗电kWh", "年节电kWh", "年节约元"};
    return section >= 0 && section < 6 ? QString::fromUtf8(heads[section]) : QVariant();
}

} // namespace zr5
