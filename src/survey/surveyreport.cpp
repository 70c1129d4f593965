#include "survey/surveyreport.h"

#include <QJsonDocument>
#include <QSqlQuery>
#include <algorithm>
#include <map>
#include <xlsxwriter.h>

#include "model/figurelist.h"
#include "model/numbertext.h"
#include "motor/efficiencyclass.h"
#include "workbook/workbookfile.h"

namespace zr5 {

namespace {

const QString kKeep = QStringLiteral("keep");

// A measure found in one recording's figures.
struct MeasureSaving {
    QString label;
    double annualKwh = 0;
    double annualMoney = 0;
};

QString MeasureLabel(const QString& key, const QString& detail) {
    if (key == QLatin1String("replacement"))
        return QStringLiteral("更换为 %1 电动机").arg(detail);
    if (key == QLatin1String("right_size"))
        return QStringLiteral("换用合适容量 %1").arg(detail.trimmed());
    if (key == QLatin1String("power_factor"))
        return QStringLiteral("功率因数补偿");
    return detail.isEmpty() ? key : key + QLatin1Char(' ') + detail;
}

// The first text field of a measure's object names it ("IE3", the model of the right size).
QString FirstText(const QJsonObject& o) {
    for (const char* k : {"class", "model"})
        if (o.value(QLatin1String(k)).isString())
            return o.value(QLatin1String(k)).toString();
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.value().isString())
            return it.value().toString();
    return {};
}

// Every measure of an assessment: a top-level object, or an item of a top-level list, that has
// an annual saving.
std::map<QString, MeasureSaving> MeasuresOf(const QJsonObject& figures) {
    std::map<QString, MeasureSaving> out;
    auto take = [&](const QString& key, const QJsonObject& o, bool item) {
        if (!o.value(QLatin1String("annual_saving_kwh")).isDouble())
            return;
        const QString detail = FirstText(o);
        const QString id = item ? key + QLatin1Char(' ') + detail : key;
        out[id] = {MeasureLabel(key, detail),
                   o.value(QLatin1String("annual_saving_kwh")).toDouble(),
                   o.value(QLatin1String("annual_saving_money")).toDouble()};
    };
    for (auto it = figures.begin(); it != figures.end(); ++it) {
        if (it.value().isObject())
            take(it.key(), it.value().toObject(), false);
        else if (it.value().isArray())
            for (const QJsonValue& v : it.value().toArray())
                if (v.isObject())
                    take(it.key(), v.toObject(), true);
    }
    return out;
}

std::optional<double> Number(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt;
}

QJsonValue Optional(const std::optional<double>& v) {
    return v ? JsonDouble(*v) : QJsonValue(QJsonValue::Null);
}

QString Fixed(double v, int digits) {
    return QString::number(v, 'f', digits);
}

QString OptionalText(const std::optional<double>& v, int digits) {
    return v ? Fixed(*v, digits) : QStringLiteral("—");
}

// The sums behind one motor's line, over its assessed recordings.
struct MotorSums {
    double hours = 0, normalHours = 0, loadRateHours = 0;
    double output = 0, normalInput = 0;
    bool anyEfficiency = false, anyLoadRate = false;
    double annualEnergyHours = 0;
    std::map<QString, std::optional<double>> zoneHours; // none once a recording has none
    std::vector<QString> zoneOrder;
    std::map<QString, MeasureSaving> measureHours; // annual figures times recording hours
    std::vector<QString> measureOrder;
};

void AddRecording(MotorSums& m, const QJsonObject& f, double hours, double hoursPerYear) {
    m.hours += hours;
    const double normal =
        f.value(QLatin1String("state_hours")).toObject().value(QLatin1String("normal")).toDouble();
    if (const auto load = Number(f, "mean_load_rate_pct"); load && normal > 0) {
        m.loadRateHours += *load * normal;
        m.normalHours += normal;
        m.anyLoadRate = true;
    }
    const auto out = Number(f, "output_energy_kwh");
    const auto loss = Number(f, "loss_energy_kwh");
    if (out && loss && *out + *loss > 0) {
        m.output += *out;
        m.normalInput += *out + *loss;
        m.anyEfficiency = true;
    }
    if (hours > 0)
        m.annualEnergyHours += Number(f, "input_energy_kwh").value_or(0) * hoursPerYear;
    const QJsonObject zones = f.value(QLatin1String("zone_hours")).toObject();
    for (auto it = zones.begin(); it != zones.end(); ++it) {
        if (!m.zoneHours.count(it.key())) {
            m.zoneOrder.push_back(it.key());
            m.zoneHours[it.key()] = 0.0;
        }
        std::optional<double>& z = m.zoneHours[it.key()];
        z = it.value().isDouble() && z ? std::optional<double>(*z + it.value().toDouble())
                                       : std::nullopt;
    }
    for (const auto& [id, s] : MeasuresOf(f)) {
        if (!m.measureHours.count(id))
            m.measureOrder.push_back(id);
        MeasureSaving& total = m.measureHours[id];
        total.label = s.label;
        total.annualKwh += s.annualKwh * hours;
        total.annualMoney += s.annualMoney * hours;
    }
}

void Finish(SurveyMotorLine& line, const MotorSums& m) {
    line.hoursRecorded = m.hours;
    if (m.anyLoadRate)
        line.meanLoadRatePct = m.loadRateHours / m.normalHours;
    if (m.anyEfficiency)
        line.weightedEfficiencyPct = 100.0 * m.output / m.normalInput;
    for (const QString& key : m.zoneOrder) {
        const std::optional<double>& z = m.zoneHours.at(key);
        line.zoneShares.push_back(
            {key, z && m.hours > 0 ? std::optional<double>(100.0 * *z / m.hours) : std::nullopt});
    }
    line.measure = kKeep;
    line.measureText = QStringLiteral("保持现状");
    if (!(m.hours > 0))
        return;
    line.annualEnergyKwh = m.annualEnergyHours / m.hours;
    for (const QString& id : m.measureOrder) {
        const MeasureSaving& s = m.measureHours.at(id);
        if (s.annualKwh / m.hours > line.annualSavingKwh) {
            line.measure = id;
            line.measureText = s.label;
            line.annualSavingKwh = s.annualKwh / m.hours;
            line.annualSavingMoney = s.annualMoney / m.hours;
        }
    }
}

void Add(SurveyTotals& t, const SurveyMotorLine& m) {
    t.motors += 1;
    t.ratedPowerKw += m.ratedPowerKw;
    t.annualEnergyKwh += m.annualEnergyKwh;
    t.annualSavingKwh += m.annualSavingKwh;
    t.annualSavingMoney += m.annualSavingMoney;
}

QJsonObject TotalsJson(const SurveyTotals& t) {
    return {{QStringLiteral("motors"), t.motors},
            {QStringLiteral("rated_power_kw"), JsonDouble(t.ratedPowerKw)},
            {QStringLiteral("annual_energy_kwh"), JsonDouble(t.annualEnergyKwh)},
            {QStringLiteral("annual_saving_kwh"), JsonDouble(t.annualSavingKwh)},
            {QStringLiteral("annual_saving_money"), JsonDouble(t.annualSavingMoney)}};
}

QStringList MotorHeader(const SurveyReport& r) {
    QStringList h{QStringLiteral("tag"),
                  QStringLiteral("department"),
                  QStringLiteral("plant"),
                  QStringLiteral("model"),
                  QStringLiteral("rated_power_kw"),
                  QStringLiteral("recordings"),
                  QStringLiteral("hours_recorded"),
                  QStringLiteral("mean_load_rate_pct"),
                  QStringLiteral("weighted_efficiency_pct")};
    if (!r.motors.empty())
        for (const ZoneShare& z : r.motors.front().zoneShares)
            h << QStringLiteral("zone_%1_pct").arg(z.key);
    h << QStringLiteral("efficiency_class") << QStringLiteral("annual_energy_kwh")
      << QStringLiteral("measure") << QStringLiteral("annual_saving_kwh")
      << QStringLiteral("annual_saving_money");
    return h;
}

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A motor's line as texts in the header's order.
QStringList MotorFields(const SurveyMotorLine& m, std::size_t zones) {
    QStringList f{m.tag,
                  m.department,
                  m.plant,
                  m.model,
                  Fixed(m.ratedPowerKw, 3),
                  QString::number(m.recordings),
                  Fixed(m.hoursRecorded, 3),
                  OptionalText(m.meanLoadRatePct, 3),
                  OptionalText(m.weightedEfficiencyPct, 3)};
    for (std::size_t i = 0; i < zones; ++i)
        f << (i < m.zoneShares.size() ? OptionalText(m.zoneShares[i].percent, 3) : QString());
    f << m.efficiencyClass << Fixed(m.annualEnergyKwh, 3) << m.measure
      << Fixed(m.annualSavingKwh, 3) << Fixed(m.annualSavingMoney, 2);
    return f;
}

} // namespace

Result<SurveyReport> BuildSurveyReport(SurveyDatabase& s) {
    using R = Result<SurveyReport>;
    SurveyReport report;
    report.survey = s.shown();
    // Only results of the content the recording has now count.
    Result<QSqlQuery> q = s.exec(QStringLiteral(
        "SELECT m.id, p.name, d.name, m.tag, m.model, m.rated_power_kw, m.poles, "
        "m.rated_efficiency_pct, m.rated_voltage_v, r.duration, a.settings, a.figures_json "
        "FROM motor m JOIN department d ON d.id = m.department_id "
        "JOIN plant p ON p.id = d.plant_id LEFT JOIN recording r ON r.motor_id = m.id "
        "LEFT JOIN assessment a ON a.recording_id = r.id AND a.content_hash = r.content_hash "
        "ORDER BY m.id, r.id"));
    if (!q)
        return R::failure(q.error());
    qint64 current = -1;
    MotorSums sums;
    auto close = [&] {
        if (current >= 0)
            Finish(report.motors.back(), sums);
        sums = MotorSums();
    };
    while (q->next()) {
        const qint64 id = q->value(0).toLongLong();
        if (id != current) {
            close();
            current = id;
            SurveyMotorLine m;
            m.plant = q->value(1).toString();
            m.department = q->value(2).toString();
            m.tag = q->value(3).toString();
            m.model = q->value(4).toString();
            m.ratedPowerKw = q->value(5).toDouble();
            m.efficiencyClass = EfficiencyClassText(
                ClassifyEfficiency(q->value(6).toFloat(), q->value(5).toFloat(),
                                   q->value(7).toFloat(), q->value(8).toFloat()));
            report.motors.push_back(m);
        }
        if (q->value(11).isNull())
            continue;
        const QJsonObject figures =
            QJsonDocument::fromJson(q->value(11).toString().toUtf8()).object();
        const QJsonObject settings =
            QJsonDocument::fromJson(q->value(10).toString().toUtf8()).object();
        SurveyMotorLine& m = report.motors.back();
        m.recordings += 1;
        m.assessments.append(figures);
        AddRecording(sums, figures, q->value(9).toDouble() / 3600.0,
                     settings.value(QLatin1String("hours_per_year")).toDouble());
    }
    close();
    q->finish();

    std::stable_sort(report.motors.begin(), report.motors.end(), [](const auto& a, const auto& b) {
        if (a.annualSavingKwh != b.annualSavingKwh)
            return a.annualSavingKwh > b.annualSavingKwh;
        return a.tag < b.tag;
    });
    std::map<std::pair<QString, QString>, SurveyTotals> departments;
    QStringList plants;
    for (const SurveyMotorLine& m : report.motors) {
        SurveyTotals& d = departments[{m.plant, m.department}];
        d.name = m.department;
        Add(d, m);
        Add(report.plant, m);
        if (!plants.contains(m.plant))
            plants << m.plant;
    }
    report.plant.name = plants.join(QStringLiteral("、"));
    for (const auto& [key, totals] : departments)
        report.departments.push_back(totals);
    std::stable_sort(
        report.departments.begin(), report.departments.end(),
        [](const auto& a, const auto& b) { return a.annualSavingKwh > b.annualSavingKwh; });
    return report;
}

QJsonObject SurveyReportJson(const SurveyReport& r) {
    QJsonArray motors;
    for (const SurveyMotorLine& m : r.motors) {
        QJsonObject zones;
        for (const ZoneShare& z : m.zoneShares)
            zones.insert(z.key, Optional(z.percent));
        motors.append(QJsonObject{
            {QStringLiteral("tag"), m.tag},
            {QStringLiteral("department"), m.department},
            {QStringLiteral("plant"), m.plant},
            {QStringLiteral("model"), m.model.isEmpty() ? QJsonValue() : QJsonValue(m.model)},
            {QStringLiteral("recordings"), m.recordings},
            {QStringLiteral("hours_recorded"), JsonDouble(m.hoursRecorded)},
            {QStringLiteral("rated_power_kw"), JsonDouble(m.ratedPowerKw)},
            {QStringLiteral("efficiency_class"), m.efficiencyClass},
            {QStringLiteral("mean_load_rate_pct"), Optional(m.meanLoadRatePct)},
            {QStringLiteral("weighted_efficiency_pct"), Optional(m.weightedEfficiencyPct)},
            {QStringLiteral("zone_share_pct"), zones},
            {QStringLiteral("annual_energy_kwh"), JsonDouble(m.annualEnergyKwh)},
            {QStringLiteral("measure"), m.measure},
            {QStringLiteral("measure_text"), m.measureText},
            {QStringLiteral("annual_saving_kwh"), JsonDouble(m.annualSavingKwh)},
            {QStringLiteral("annual_saving_money"), JsonDouble(m.annualSavingMoney)},
            {QStringLiteral("assessments"), m.assessments}});
    }
    QJsonArray departments;
    for (const SurveyTotals& d : r.departments) {
        QJsonObject o = TotalsJson(d);
        o.insert(QStringLiteral("department"), d.name);
        departments.append(o);
    }
    QJsonObject plant = TotalsJson(r.plant);
    plant.insert(QStringLiteral("name"), r.plant.name);
    return {{QStringLiteral("motors"), motors},
            {QStringLiteral("departments"), departments},
            {QStringLiteral("plant"), plant}};
}

QByteArray SurveyReportCsv(const SurveyReport& r) {
    const QStringList header = MotorHeader(r);
    const std::size_t zones = r.motors.empty() ? 0 : r.motors.front().zoneShares.size();
    QString text;
    auto line = [&](const QStringList& fields) {
        QStringList f;
        for (const QString& s : fields)
            f << CsvField(s);
        text += f.join(QLatin1Char(',')) + QLatin1Char('\n');
    };
    line(header);
    for (const SurveyMotorLine& m : r.motors)
        line(MotorFields(m, zones));
    text += QLatin1Char('\n');
    const QStringList totals{
        QStringLiteral("department"),        QStringLiteral("motors"),
        QStringLiteral("rated_power_kw"),    QStringLiteral("annual_energy_kwh"),
        QStringLiteral("annual_saving_kwh"), QStringLiteral("annual_saving_money")};
    line(totals);
    auto totalLine = [&](const SurveyTotals& t, const QString& name) {
        line({name, QString::number(t.motors), Fixed(t.ratedPowerKw, 3),
              Fixed(t.annualEnergyKwh, 3), Fixed(t.annualSavingKwh, 3),
              Fixed(t.annualSavingMoney, 2)});
    };
    for (const SurveyTotals& d : r.departments)
        totalLine(d, d.name);
    totalLine(r.plant, QStringLiteral("全厂"));
    return text.toUtf8();
}

Status WriteSurveyWorkbook(const SurveyReport& r, const QString& path) {
    WorkbookFile file(path);
    if (Status s = file.open(); !s)
        return s;
    Result<lxw_worksheet*> motors = file.addSheet(QStringLiteral("电动机"));
    if (!motors)
        return Status::failure(motors.error());
    Result<lxw_worksheet*> totals = file.addSheet(QStringLiteral("合计"));
    if (!totals)
        return Status::failure(totals.error());
    auto text = [&](lxw_worksheet* sheet, int row, int col, const QString& t) {
        return file.check(worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col),
                                                 t.toUtf8().constData(), nullptr));
    };
    auto number = [&](lxw_worksheet* sheet, int row, int col, double v) {
        return file.check(
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(col), v, nullptr));
    };
    const QStringList header = MotorHeader(r);
    const std::size_t zones = r.motors.empty() ? 0 : r.motors.front().zoneShares.size();
    for (int c = 0; c < header.size(); ++c)
        if (Status s = text(*motors, 0, c, header[c]); !s)
            return s;
    int row = 1;
    for (const SurveyMotorLine& m : r.motors) {
        const QStringList f = MotorFields(m, zones);
        for (int c = 0; c < f.size(); ++c) {
            bool isNumber = false;
            const double v = f[c].toDouble(&isNumber);
            // Tags and names stay texts even when they look like numbers.
            const bool textColumn = c < 4 || header[c] == QLatin1String("efficiency_class") ||
                                    header[c] == QLatin1String("measure");
            if (Status s = isNumber && !textColumn ? number(*motors, row, c, v)
                                                   : text(*motors, row, c, f[c]);
                !s)
                return s;
        }
        ++row;
    }
    const QStringList th{
        QStringLiteral("department"),        QStringLiteral("motors"),
        QStringLiteral("rated_power_kw"),    QStringLiteral("annual_energy_kwh"),
        QStringLiteral("annual_saving_kwh"), QStringLiteral("annual_saving_money")};
    for (int c = 0; c < th.size(); ++c)
        if (Status s = text(*totals, 0, c, th[c]); !s)
            return s;
    int trow = 1;
    auto totalRow = [&](const SurveyTotals& t, const QString& name) {
        Status s = text(*totals, trow, 0, name);
        const double values[] = {double(t.motors), t.ratedPowerKw, t.annualEnergyKwh,
                                 t.annualSavingKwh, t.annualSavingMoney};
        for (int c = 0; c < 5 && s; ++c)
            s = number(*totals, trow, c + 1, values[c]);
        ++trow;
        return s;
    };
    for (const SurveyTotals& d : r.departments)
        if (Status s = totalRow(d, d.name); !s)
            return s;
    if (Status s = totalRow(r.plant, QStringLiteral("全厂")); !s)
        return s;
    if (!r.motors.empty()) {
        // The annual savings as bars, largest first like the table.
        lxw_chart* chart = workbook_add_chart(file.workbook(), LXW_CHART_COLUMN);
        if (!chart)
            return Status::failure(QStringLiteral("无法在 “%1” 中加图表").arg(path));
        const int savingColumn = int(header.indexOf(QStringLiteral("annual_saving_kwh")));
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(series, "电动机", 1, 0, lxw_row_t(r.motors.size()), 0);
        chart_series_set_values(series, "电动机", 1, lxw_col_t(savingColumn),
                                lxw_row_t(r.motors.size()), lxw_col_t(savingColumn));
        chart_series_set_name(series, "年节电 kWh");
        chart_title_set_name(chart, "各电动机年节电");
        chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
        if (Status s = file.check(worksheet_insert_chart(*totals, lxw_row_t(trow + 1), 0, chart));
            !s)
            return s;
    }
    return file.commit();
}

SurveyReportJob::SurveyReportJob(Printer& printer, const SurveyReport& report)
    : p_(printer), report_(report) {}

void SurveyReportJob::summary() {
    started_ = true;
    p_.setFontSize(16);
    p_.emptyLines(1);
    p_.tab(10);
    p_.printLine(QStringLiteral("电动机测试汇总报告"));
    p_.setFontSize(10);
    p_.emptyLines(1);
    p_.printLine(QStringLiteral("测试汇总：%1").arg(report_.survey));
    p_.printLine(QStringLiteral("工厂：%1").arg(report_.plant.name));
    const SurveyTotals& t = report_.plant;
    p_.printLine(QStringLiteral("电动机 %1 台，额定功率合计 %2 kW")
                     .arg(t.motors)
                     .arg(Fixed(t.ratedPowerKw, 1)));
    p_.printLine(QStringLiteral("年耗电 %1 kWh；年可节电 %2 kWh，节约电费 %3 元")
                     .arg(Fixed(t.annualEnergyKwh, 0), Fixed(t.annualSavingKwh, 0),
                          Fixed(t.annualSavingMoney, 2)));
    p_.emptyLines(1);
    p_.printLine(QStringLiteral("各部门合计"));
    const int tabs[] = {1, 24, 34, 50, 66, 82};
    const QString heads[] = {QStringLiteral("部门"),       QStringLiteral("台数"),
                             QStringLiteral("额定 kW"),    QStringLiteral("年耗电 kWh"),
                             QStringLiteral("年节电 kWh"), QStringLiteral("年节约 元")};
    for (int i = 0; i < 6; ++i) {
        p_.tab(tabs[i]);
        p_.print(heads[i]);
    }
    p_.endLine();
    for (const SurveyTotals& d : report_.departments) {
        const QString f[] = {d.name,
                             QString::number(d.motors),
                             Fixed(d.ratedPowerKw, 1),
                             Fixed(d.annualEnergyKwh, 0),
                             Fixed(d.annualSavingKwh, 0),
                             Fixed(d.annualSavingMoney, 2)};
        for (int i = 0; i < 6; ++i) {
            p_.tab(tabs[i]);
            p_.print(f[i]);
        }
        p_.endLine();
    }
    footer();
    p_.newPage();
    tableHeader();
}

namespace {
// The columns of the motor table in average character widths of 9-point type: the widest texts
// are "低于IE1" and "换用合适容量 Y160M-4 B3"; the last column ends within the A4 line.
const int kTableTabs[] = {1, 16, 27, 34, 40, 48, 55, 64, 75, 100, 110};
} // namespace

void SurveyReportJob::tableHeader() {
    p_.setFontSize(9);
    p_.emptyLines(1);
    const QString heads[] = {
        QStringLiteral("电机"),      QStringLiteral("部门"),      QStringLiteral("额定kW"),
        QStringLiteral("记录h"),     QStringLiteral("负载率%"),   QStringLiteral("效率%"),
        QStringLiteral("能效"),      QStringLiteral("年耗电kWh"), QStringLiteral("措施"),
        QStringLiteral("年节电kWh"), QStringLiteral("年节约元")};
    for (int i = 0; i < 11; ++i) {
        p_.tab(kTableTabs[i]);
        p_.print(heads[i]);
    }
    p_.endLine();
    lines_ = 0;
}

void SurveyReportJob::footer() {
    // The page number stands at the same place on every page, one line below where a full page
    // of the table ends; a summary longer than that pushes it down.
    p_.setFontSize(9);
    p_.setPosition(0, std::max(p_.y() + p_.lineHeight(), kFooterTop));
    p_.tab(45);
    p_.printLine(QStringLiteral("第 %1 页").arg(p_.page()));
}

bool SurveyReportJob::step() {
    if (finished_)
        return false;
    if (!started_)
        summary();
    for (int n = 0; n < kLinesPerPage && next_ < total() && !p_.failed(); ++n) {
        if (lines_ == kLinesPerPage) {
            footer();
            p_.newPage();
            tableHeader();
        }
        const SurveyMotorLine& m = report_.motors[std::size_t(next_++)];
        const QString f[] = {m.tag,
                             m.department,
                             Fixed(m.ratedPowerKw, 1),
                             Fixed(m.hoursRecorded, 1),
                             OptionalText(m.meanLoadRatePct, 1),
                             OptionalText(m.weightedEfficiencyPct, 1),
                             m.efficiencyClass,
                             Fixed(m.annualEnergyKwh, 0),
                             m.measureText,
                             Fixed(m.annualSavingKwh, 0),
                             Fixed(m.annualSavingMoney, 2)};
        for (int i = 0; i < 11; ++i) {
            p_.tab(kTableTabs[i]);
            p_.print(f[i]);
        }
        p_.endLine();
        ++lines_;
    }
    if (next_ >= total() || p_.failed()) {
        if (!p_.failed())
            footer();
        finished_ = true;
        return false;
    }
    return true;
}

} // namespace zr5
