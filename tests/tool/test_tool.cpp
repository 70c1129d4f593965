#include <gtest/gtest.h>

#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <map>
#include <sys/stat.h>

#include "analysis/cumulative.h"
#include "recording/recordingfile.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

struct ToolRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

class Tool : public ::testing::Test {
protected:
    ToolRun run(const QStringList& args) {
        QProcess p;
        p.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        p.setArguments(QStringList{QStringLiteral("--data-dir"), dir.filePath("data")} + args);
        p.start();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString path(const char* name) { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

TEST_F(Tool, SynthThenInfoJsonAgreesWithTheCore) {
    const ToolRun synth =
        run({"synth", path("s.MTR"), "--rows", "3000", "--duration", "3600", "--seed", "11"});
    ASSERT_EQ(synth.exitCode, 0) << synth.err.toStdString();
    EXPECT_EQ(QFile(path("s.MTR")).size(), 144 + 36 * 3000);

    const ToolRun info = run({"info", "--json", path("s.MTR")});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    QJsonParseError error;
    const QJsonObject j = QJsonDocument::fromJson(info.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << info.out.toStdString();
    EXPECT_EQ(j["record_count"].toInt(), 3000);
    EXPECT_EQ(j["duration"].toDouble(), 3600.0);
    EXPECT_EQ(j["start_time"].toDouble(), 28800.0);
    const QJsonObject motor = j["motor"].toObject();
    for (const char* key :
         {"poles", "rated_power", "rated_current", "rated_efficiency", "no_load_current",
          "no_load_power", "rated_voltage", "valid", "rated_losses"})
        EXPECT_TRUE(motor.contains(QLatin1String(key))) << key;
    EXPECT_TRUE(motor["valid"].toBool());
    EXPECT_EQ(j["ct_in_use"].toObject()["yellow"].toInt(), 1);
    EXPECT_EQ(j["row_maximum"].toArray().size(), 12);
    EXPECT_EQ(j["row_minimum"].toArray().size(), 12);

    // The same pass in this process gives the same numbers, to the last bit.
    AppState state{DataDirectory(dir.filePath("data"))};
    state.recordingOpened(path("s.MTR"));
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    const QJsonObject a = j["analysis"].toObject();
    EXPECT_EQ(float(a["total_active_energy"].toDouble()), state.analysis.TotalActiveEnergy);
    EXPECT_EQ(float(a["efficiency_max"].toDouble()), state.analysis.EfficiencyMaximum);
    EXPECT_EQ(float(a["load_rate_min"].toDouble()), state.analysis.LoadRateMinimum);
    EXPECT_EQ(a["time_grid_step"].toDouble(), 300.0);
    const QJsonArray curves = a["curves"].toArray();
    ASSERT_EQ(curves.size(), 10);
    EXPECT_EQ(float(curves[7].toObject()["axis_high"].toDouble()), 1.00001f);
    EXPECT_EQ(curves[8].toObject()["axis_high"].toDouble(), 120.0);
    EXPECT_EQ(curves[6].toObject()["unit"].toString(), QStringLiteral(" kW"));
}

TEST_F(Tool, ExportHasOneLinePerRowWithTheNamedColumns) {
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("e.MTR"), 200, 600, 3)));
    const ToolRun r = run({"export", path("e.MTR"), "--output", path("e.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile csv(path("e.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 201);
    EXPECT_EQ(lines[0], QByteArray("row,elapsed_s,I1,U1,P1,I2,U2,P2,I3,U3,P3,P,Q,S,PF,"
                                   "active_energy_Wh,reactive_energy_varh,state,load_rate_pct,"
                                   "output_power_kW,efficiency_pct,voltage_unbalance_pct,"
                                   "current_unbalance_pct"));
    const QList<QByteArray> last = lines.last().split(',');
    ASSERT_EQ(last.size(), 23);
    // The two last columns: NEMA MG-1 unbalance of the row's three voltages and currents,
    // worked here from the row's own columns.
    auto unbalance = [](double a, double b, double c) {
        const double mean = (a + b + c) / 3;
        return 100 * std::max({std::fabs(a - mean), std::fabs(b - mean), std::fabs(c - mean)}) /
               mean;
    };
    for (int i = 1; i < lines.size(); i += 37) {
        const QList<QByteArray> f = lines[i].split(',');
        auto at = [&](int k) { return std::fabs(f[k].toDouble()); };
        EXPECT_NEAR(f[21].toDouble(), unbalance(at(3), at(6), at(9)), 1e-4) << lines[i].data();
        EXPECT_NEAR(f[22].toDouble(), unbalance(at(2), at(5), at(8)), 1e-4) << lines[i].data();
    }
    EXPECT_EQ(last[0], QByteArray("200"));
    EXPECT_EQ(last[1].toFloat(), 600.0f); // the last row ends at the duration
    QSet<QByteArray> states;
    for (int i = 1; i < lines.size(); ++i)
        states.insert(lines[i].split(',')[17]);
    EXPECT_TRUE(states.contains("normal"));
    EXPECT_TRUE(states.contains("below_no_load"));
    EXPECT_TRUE(states.contains("generating"));

    // the energy column reads back exactly what the pass stored
    AppState state{DataDirectory(dir.filePath("data"))};
    state.recordingOpened(path("e.MTR"));
    CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    EXPECT_EQ(last[15].toFloat(), state.analysis.ActiveEnergySeries[200]);

    // without --output the same text goes to standard output
    const ToolRun toStdout = run({"export", path("e.MTR")});
    ASSERT_EQ(toStdout.exitCode, 0);
    csv.seek(0);
    EXPECT_EQ(toStdout.out, csv.readAll());

    // Two wattmeters (the blue transformer not in use, header record 11 = 0): no three phases,
    // the unbalance columns stay empty.
    {
        QFile mtr(path("e.MTR"));
        ASSERT_TRUE(mtr.open(QIODevice::ReadWrite));
        ASSERT_TRUE(mtr.seek(40));
        const char zero[4] = {0, 0, 0, 0};
        ASSERT_EQ(mtr.write(zero, 4), 4);
    }
    const ToolRun two = run({"export", path("e.MTR")});
    ASSERT_EQ(two.exitCode, 0) << two.err.toStdString();
    const QList<QByteArray> twoLines = two.out.trimmed().split('\n');
    ASSERT_EQ(twoLines.size(), 201);
    EXPECT_TRUE(twoLines[1].endsWith(",,")) << twoLines[1].data();
    EXPECT_EQ(twoLines[1].split(',').size(), 23);
}

struct BadCall {
    const char* name;
    QStringList args;
};

class BadCalls : public Tool, public ::testing::WithParamInterface<BadCall> {};

TEST_P(BadCalls, PrintOneLineToStandardErrorAndExitNonZero) {
    QFile bad(path("bad.MTR"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(200, 'x'));
    bad.close();
    QStringList args;
    for (QString a : GetParam().args)
        args << a.replace(QLatin1String("DIR"), dir.path());
    const ToolRun r = run(args);
    EXPECT_NE(r.exitCode, 0) << GetParam().name;
    EXPECT_TRUE(r.out.isEmpty()) << GetParam().name;
    EXPECT_FALSE(r.err.isEmpty()) << GetParam().name;
    EXPECT_EQ(r.err.count('\n'), 1) << GetParam().name << r.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BadCalls,
    ::testing::Values(
        BadCall{"missing file", {"info", "DIR/none.MTR"}},
        BadCall{"bad length", {"info", "--json", "DIR/bad.MTR"}},
        BadCall{"export bad length", {"export", "DIR/bad.MTR"}}, BadCall{"no file", {"info"}},
        BadCall{"rows not a number", {"synth", "DIR/x.MTR", "--rows", "many", "--duration", "5"}},
        BadCall{"negative duration", {"synth", "DIR/x.MTR", "--rows", "5", "--duration", "-5"}},
        BadCall{"missing value", {"synth", "DIR/x.MTR", "--rows"}},
        BadCall{"unknown command", {"frobnicate"}}),
    zr5::test::ByName());

// Names whose bytes are no UTF-8 text (Latin-1 "é" is the byte 0xe9, "ä" 0xe4) reach the file
// system as given: the shell passes the bytes, and the files are checked by their bytes.
TEST_F(Tool, NamesThatAreNotUtf8ReachTheFileSystemAsGiven) {
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray file = folder + "/caf\xe9.MTR";
    const QByteArray inner = folder + "/\xe4/caf\xe9.MTR";
    ASSERT_EQ(::mkdir((folder + "/\xe4").constData(), 0700), 0);
    // The temporary folder cannot remove what Qt cannot name.
    const struct Cleanup {
        QByteArray folder;
        ~Cleanup() {
            ::unlink((folder + "/caf\xe9.MTR").constData());
            ::unlink((folder + "/\xe4/caf\xe9.MTR").constData());
            ::rmdir((folder + "/\xe4").constData());
        }
    } cleanup{folder};
    auto size = [](const QByteArray& name) {
        struct stat st {};
        return ::stat(name.constData(), &st) == 0 ? qint64(st.st_size) : qint64(-1);
    };
    struct Step {
        const char* name;
        const char* args; // shell words; $F is the Latin-1 name, $G the one in the Latin-1 folder
        int exitCode;
        const char* outputHas; // on standard output, or on standard error when the step fails
        const QByteArray* file;
        qint64 rows; // the file's rows afterwards; -1: no such file
    };
    const Step steps[] = {
        {"synth writes the name", "synth \"$F\" --rows 3 --duration 3 --seed 1", 0, "", &file, 3},
        {"info reads it", "info \"$F\"", 0, "caf\\xe9.MTR", &file, 3},
        {"an existing name is kept", "synth \"$F\" --rows 5 --duration 3 --seed 1", 1,
         "caf\\xe9.MTR 已存在", &file, 3},
        {"and replaced when asked", "synth \"$F\" --rows 7 --duration 3 --seed 1 --overwrite", 0,
         "", &file, 7},
        {"a folder that is no UTF-8 either", "synth \"$G\" --rows 4 --duration 3 --seed 2", 0, "",
         &inner, 4},
        {"info there", "info --json \"$G\"", 0, "\"record_count\": 4", &inner, 4},
        {"a data directory", "--data-dir \"$(dirname \"$G\")\" info \"$F\"", 0, "数据组数：7",
         &file, 7},
        {"a folder that does not exist", "synth \"$G.x/y\" --rows 3 --duration 3 --seed 1", 1,
         "\\xe4/caf\\xe9.MTR.x/y", nullptr, -1},
        {"a text that is no UTF-8", "report \"$F\" --data o.pdf --org \"$(printf '\\351')\"", 1,
         "不是 UTF-8 文本", nullptr, -1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("F=\"$(printf 'caf\\351.MTR')\"; G=\"$(printf '\\344')/$F\"; "
                                "eval exec \"\\\"$0\\\"\" \"$1\""),
                 QStringLiteral(ZR5_TOOL_PATH), QString::fromUtf8(s.args)});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), s.exitCode);
        const QString shown = QString::fromUtf8(s.exitCode == 0 ? p.readAllStandardOutput()
                                                                : p.readAllStandardError());
        EXPECT_TRUE(shown.contains(QString::fromUtf8(s.outputHas))) << shown.toStdString();
        if (s.file) {
            EXPECT_EQ(size(*s.file), s.rows < 0 ? -1 : 144 + kRowBytes * s.rows);
        }
    }
    // Nothing under another name: the folders hold the two recordings and the Latin-1 folder.
    std::vector<QByteArray> left;
    for (const QByteArray& f : {folder, folder + "/\xe4"}) {
        DIR* d = ::opendir(f.constData());
        ASSERT_NE(d, nullptr);
        while (const dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                left.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<QByteArray>{"caf\xe9.MTR", "caf\xe9.MTR", "\xe4"}));
}

TEST_F(Tool, ExportToAFolderThatCannotBeWrittenLeavesNoFile) {
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("e.MTR"), 20, 60, 3)));
    const ToolRun r = run({"export", path("e.MTR"), "--output", path("no/such/dir/e.csv")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(QFile::exists(path("no/such/dir/e.csv")));
}

TEST_F(Tool, EmptyRecordingShowsItsHeaderAndSaysWhyThereIsNoAnalysis) {
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("z.MTR"), 0, 0, 3)));
    const ToolRun r = run({"info", "--json", path("z.MTR")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(j["record_count"].toInt(), 0);
    EXPECT_TRUE(j["analysis"].isNull());
    EXPECT_EQ(j["row_maximum"].toArray()[0].toDouble(), -100000.0);
    EXPECT_FALSE(j["analysis_refused"].toString().isEmpty());
}

} // namespace

// The assessment's figures against straight sums over the exported rows: every row stands for
// duration / rows hours; the input counts positive active power, the output and the mean load
// rate the normal rows, the reactive energy every row's magnitude.
TEST_F(Tool, AssessmentFiguresAreTheSumsOverTheExportedRows) {
    ASSERT_EQ(run({"synth", path("a.MTR"), "--rows", "3000", "--duration", "3600", "--seed", "3"})
                  .exitCode,
              0);
    const ToolRun exported = run({"export", path("a.MTR")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const ToolRun assessed = run({"assess", "--json", "--kq", "0.05", path("a.MTR")});
    ASSERT_EQ(assessed.exitCode, 0) << assessed.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(assessed.out).object();
    ASSERT_FALSE(j.isEmpty()) << assessed.out.toStdString();

    const double dt = 3600.0 / 3000.0 / 3600.0; // hours per row
    double input = 0, output = 0, reactive = 0, normalInput = 0, normalReactive = 0, loadSum = 0,
           normalRows = 0;
    double voltageSum = 0, voltageMax = 0, voltageRows = 0, currentSum = 0, currentMax = 0,
           currentRows = 0, above1 = 0;
    std::map<QString, double> stateHours;
    const QList<QByteArray> lines = exported.out.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split(',');
        if (f.size() < 23)
            continue;
        const double p = f[11].toDouble(), q = f[12].toDouble();
        if (!f[21].isEmpty()) {
            const double v = f[21].toDouble();
            voltageSum += v;
            voltageRows += 1;
            voltageMax = std::max(voltageMax, v);
            above1 += v > 1 ? dt : 0;
        }
        if (!f[22].isEmpty()) {
            currentSum += f[22].toDouble();
            currentRows += 1;
            currentMax = std::max(currentMax, f[22].toDouble());
        }
        const QString state = QString::fromLatin1(f[17]);
        input += std::max(p, 0.0) * dt;
        reactive += std::fabs(q) * dt;
        stateHours[state] += dt;
        if (state == QLatin1String("normal")) {
            output += f[19].toDouble() * dt;
            normalInput += p * dt;
            normalReactive += std::fabs(q) * dt;
            loadSum += f[18].toDouble();
            normalRows += 1;
        }
    }
    ASSERT_GT(normalRows, 0);
    const struct {
        const char* key;
        double expected;
    } figures[] = {
        {"input_energy_kwh", input},
        {"output_energy_kwh", output},
        {"loss_energy_kwh", normalInput - output},
        {"reactive_energy_kvarh", reactive},
        {"weighted_efficiency_pct", 100 * output / normalInput},
        {"comprehensive_efficiency_pct", 100 * output / (normalInput + 0.05 * normalReactive)},
        {"mean_load_rate_pct", loadSum / normalRows}};
    for (const auto& f : figures)
        EXPECT_NEAR(j[QLatin1String(f.key)].toDouble(), f.expected, 1e-4 * std::fabs(f.expected))
            << f.key;
    const QJsonObject states = j["state_hours"].toObject();
    for (const char* key : {"normal", "below_no_load", "generating"})
        EXPECT_NEAR(states[QLatin1String(key)].toDouble(), stateHours[QLatin1String(key)], 1e-6)
            << key;
    // The zones share the rows with motor data that are not generating.
    double zones = 0;
    for (const QJsonValue v : j["zone_hours"].toObject())
        zones += v.toDouble();
    EXPECT_NEAR(zones, stateHours["normal"] + stateHours["below_no_load"], 1e-6);
    EXPECT_TRUE(j["inapplicable"].isNull());
    EXPECT_EQ(j["replacement"].toArray().size(), 2); // IE3 and IE4
    // The supply from the export's unbalance columns, the power factor from the normal rows'
    // energies.
    ASSERT_GT(voltageRows, 0);
    const QJsonObject supply = j["supply"].toObject();
    EXPECT_NEAR(supply["voltage_unbalance_mean_pct"].toDouble(), voltageSum / voltageRows, 1e-5);
    EXPECT_NEAR(supply["voltage_unbalance_max_pct"].toDouble(), voltageMax, 1e-5);
    EXPECT_NEAR(supply["current_unbalance_mean_pct"].toDouble(), currentSum / currentRows, 1e-5);
    EXPECT_NEAR(supply["current_unbalance_max_pct"].toDouble(), currentMax, 1e-5);
    EXPECT_NEAR(supply["hours_voltage_unbalance_above_1_pct"].toDouble(), above1, 1e-6);
    EXPECT_NEAR(j["power_factor"].toObject()["mean_power_factor"].toDouble(),
                normalInput / std::hypot(normalInput, normalReactive), 1e-6);
    // The input closes: output, losses and the rows below the no-load power.
    EXPECT_NEAR(j["output_energy_kwh"].toDouble() + j["loss_energy_kwh"].toDouble() +
                    j["below_no_load_input_kwh"].toDouble() +
                    j["no_motor_data_input_kwh"].toDouble(),
                input, 1e-9);
    // The data directory has no catalogue: the sample the program carries gives the right size
    // (the synthetic Y160M-4's largest output needs more than the 7.5 kW of a Y132M-4), and
    // nothing is written.
    const QJsonObject size = j["right_size"].toObject();
    EXPECT_EQ(size["rated_power"].toDouble(), 11.0);
    EXPECT_EQ(size["catalogue"].toString(), QStringLiteral("sample"));
    EXPECT_FALSE(QFile::exists(path("data/MTALL.OBJ")));
    EXPECT_FALSE(QFile::exists(path("data/bmindex.txt")));
}

namespace {

// compare --json: each side is the assess --json object of its recording; the specific inputs
// are the normal rows' input over their output summed from the exported rows; the saving and the
// year follow from them with the hours of Assess.dat and the price given on the command line.
TEST_F(Tool, CompareNormalisesTheSavingToTheOutputAndTakesAssessDat) {
    for (const char* seed : {"3", "4"})
        ASSERT_EQ(run({"synth", path(seed), "--rows", "3000", "--duration", "3600", "--seed", seed})
                      .exitCode,
                  0);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("data")));
    QFile settings(dir.filePath("data/Assess.dat"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("0.05\r\n4000\r\n0.5\r\n");
    settings.close();

    // Input over output of the normal rows, from the exported rows (hours per row cancel out).
    auto specific = [&](const char* file) {
        const ToolRun exported = run({"export", path(file)});
        double input = 0, output = 0;
        for (const QByteArray& line : exported.out.split('\n')) {
            const QList<QByteArray> f = line.split(',');
            if (f.size() >= 21 && f[17] == "normal") {
                input += f[11].toDouble();
                output += f[19].toDouble();
            }
        }
        return std::pair{input / output, output * (3600.0 / 3000.0 / 3600.0)};
    };
    const auto [before, beforeOut] = specific("3");
    const auto [after, afterOut] = specific("4");

    const ToolRun compared = run({"compare", "--json", "--price", "1.25", "--emission-factor",
                                  "0.6", path("3"), path("4"), "--pdf", path("c.pdf")});
    ASSERT_EQ(compared.exitCode, 0) << compared.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(compared.out).object();
    ASSERT_FALSE(j.isEmpty()) << compared.out.toStdString();
    const ToolRun assessed = run({"assess", "--json", "--hours", "4000", "--price", "1.25",
                                  "--emission-factor", "0.6", path("4")});
    EXPECT_EQ(j["after"].toObject(), QJsonDocument::fromJson(assessed.out).object());
    EXPECT_NEAR(j["specific_input_before"].toDouble(), before, 1e-6 * before);
    EXPECT_NEAR(j["specific_input_after"].toDouble(), after, 1e-6 * after);
    const double kwh = (before - after) * afterOut;
    EXPECT_NEAR(j["measured_saving_kwh"].toDouble(), kwh, 1e-5 * std::fabs(kwh) + 1e-9);
    EXPECT_NEAR(j["annual_saving_kwh"].toDouble(), kwh * 4000, 1e-5 * std::fabs(kwh * 4000) + 1e-6);
    EXPECT_NEAR(j["annual_saving_money"].toDouble(), kwh * 4000 * 1.25,
                1e-5 * std::fabs(kwh * 5000) + 1e-6);
    EXPECT_NEAR(j["annual_co2_kg"].toDouble(), kwh * 4000 * 0.6,
                1e-5 * std::fabs(kwh * 4000) + 1e-6);
    EXPECT_EQ(j["settings"].toObject()["hours_per_year"].toDouble(), 4000);
    EXPECT_TRUE(j["warnings"].isArray());
    EXPECT_GT(beforeOut, 0);
    QFile pdf(path("c.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));

    // The text names both recordings and ends with the verdict; one recording is refused.
    const ToolRun text = run({"compare", path("3"), path("4")});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(text.out).contains(QStringLiteral("结论：改造后每 kWh 输出电量")))
        << text.out.toStdString();
    const ToolRun one = run({"compare", path("3")});
    EXPECT_EQ(one.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(one.err).contains(QStringLiteral("用法: zr5-tool compare")))
        << one.err.toStdString();
}

// assess, compare and survey assess take the assessment window's settings from Assess.dat and
// what the command line gives over them: a year of the one-hour recording is the file's 4000 h,
// a kWh costs the file's 0.5 元 or the command line's 1.25 元.
TEST_F(Tool, AssessmentCommandsTakeAssessDatUnderTheirOptions) {
    ASSERT_EQ(
        run({"synth", path("g"), "--rows", "3000", "--duration", "3600", "--seed", "3"}).exitCode,
        0);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("data")));
    QFile settings(dir.filePath("data/Assess.dat"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("0.05\r\n4000\r\n0.5\r\n");
    settings.close();
    const QString survey = dir.filePath("s.zr5survey");
    ASSERT_EQ(run({"survey", "add", survey, path("g")}).exitCode, 0);

    const struct {
        QStringList flags;
        double price;
    } cases[] = {{{}, 0.5}, {{"--price", "1.25"}, 1.25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.price);
        const ToolRun assessed = run(QStringList{"assess", "--json", path("g")} + c.flags);
        ASSERT_EQ(assessed.exitCode, 0) << assessed.err.toStdString();
        const QJsonObject ie3 =
            QJsonDocument::fromJson(assessed.out).object()["replacement"].toArray()[0].toObject();
        const double kwh = ie3["annual_saving_kwh"].toDouble();
        EXPECT_NEAR(kwh, ie3["saving_kwh"].toDouble() * 4000, 1e-9 * kwh);
        EXPECT_NEAR(ie3["annual_saving_money"].toDouble(), kwh * c.price, 1e-9 * kwh);

        ASSERT_EQ(run(QStringList{"survey", "assess", survey} + c.flags).exitCode, 0);
        const ToolRun report = run({"survey", "report", survey, "--json"});
        const QJsonObject motor =
            QJsonDocument::fromJson(report.out).object()["motors"].toArray()[0].toObject();
        EXPECT_EQ(motor["assessments"].toArray()[0].toObject(),
                  QJsonDocument::fromJson(assessed.out).object());
    }
}

// Width and height of a PNG from its header.
QSize PngSize(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(24);
    if (head.size() < 24 || !head.startsWith("\x89PNG"))
        return {};
    const auto big = [&](int at) {
        return (uchar(head[at]) << 24) | (uchar(head[at + 1]) << 16) | (uchar(head[at + 2]) << 8) |
               uchar(head[at + 3]);
    };
    return QSize(big(16), big(20));
}

} // namespace

TEST_F(Tool, PlotDrawsTheCumulativeCurveAndRefusesWhatItCannotDraw) {
    ASSERT_EQ(run({"synth", path("p.MTR"), "--rows", "3000", "--duration", "3600", "--seed", "3"})
                  .exitCode,
              0);
    const struct {
        const char* name;
        QStringList args;
    } refusals[] = {
        {"no kind", {"plot", path("p.MTR"), "--output", path("o.png")}},
        {"no output", {"plot", path("p.MTR"), "--kind", "3"}},
        {"kind out of range", {"plot", path("p.MTR"), "--kind", "10", "--output", path("o.png")}},
        {"unknown quantity", {"plot", path("p.MTR"), "--kind", "电流", "--output", path("o.png")}},
        {"other picture format", {"plot", path("p.MTR"), "--kind", "3", "--output", path("o.jpg")}},
        {"from without to",
         {"plot", path("p.MTR"), "--kind", "3", "--output", path("o.png"), "--from", "10"}},
        {"range reversed",
         {"plot", path("p.MTR"), "--kind", "3", "--output", path("o.png"), "--from", "20", "--to",
          "10"}},
        {"beyond the recording",
         {"plot", path("p.MTR"), "--kind", "3", "--output", path("o.png"), "--from", "0", "--to",
          "4000"}},
        {"not seconds",
         {"plot", path("p.MTR"), "--kind", "3", "--output", path("o.png"), "--from", "a", "--to",
          "b"}},
        {"missing recording", {"plot", path("none.MTR"), "--kind", "3", "--output", path("o.png")}},
        {"folder missing", {"plot", path("p.MTR"), "--kind", "3", "--output", path("no/o.png")}},
    };
    for (const auto& r : refusals) {
        const ToolRun run_ = run(r.args);
        EXPECT_NE(run_.exitCode, 0) << r.name;
        EXPECT_EQ(run_.err.count('\n'), 1) << r.name << run_.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("o.png")) || QFile::exists(path("o.jpg"))) << r.name;
    }
    // The frame of the analysis window's cumulative curve (9000 x 2480 twips at 15 twips a
    // pixel), twice as fine; by number or by quantity, whole or zoomed, PNG or SVG.
    const QSize expected(2 * 600, 2 * qRound(2480 / 15.0));
    for (const QStringList& args : {QStringList{"--kind", "9"}, QStringList{"--kind", "一路电压"},
                                    QStringList{"--kind", "6", "--from", "600", "--to", "1200"}}) {
        QFile::remove(path("o.png"));
        const ToolRun ok =
            run(QStringList{"plot", path("p.MTR"), "--output", path("o.png")} + args);
        ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
        EXPECT_EQ(PngSize(path("o.png")), expected) << args.join(' ').toStdString();
    }
    ASSERT_EQ(run({"plot", path("p.MTR"), "--kind", "0", "--output", path("o.svg")}).exitCode, 0);
    QFile svg(path("o.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString svgText = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(svgText.contains(QStringLiteral("一路电流累计曲线")));
    // The maximum and the minimum each with its unit in one text, which no renderer can part.
    const QRegularExpression numberWithUnit(QStringLiteral(">\\s*-?[0-9.]+\\s+A</text>"));
    EXPECT_EQ(svgText.count(numberWithUnit), 2) << svgText.toStdString();
    // Another renderer draws its dotted grid dotted: inside the curve's surface, below the
    // extremes' text, a time grid column alternates between dot and background many times (a
    // solid line or the column-reduced curve hardly ever).
    QProcess rsvg;
    rsvg.start(QStringLiteral("rsvg-convert"), {path("o.svg"), "-o", path("rsvg.png")});
    ASSERT_TRUE(rsvg.waitForFinished(20000)) << "rsvg-convert (librsvg2-bin) is needed";
    const QImage rendered(path("rsvg.png"));
    ASSERT_FALSE(rendered.isNull());
    int mostChanges = 0;
    for (int x = rendered.width() / 10; x < rendered.width() * 9 / 10; ++x) {
        int changes = 0;
        bool wasDark = false;
        for (int y = rendered.height() * 35 / 100; y < rendered.height() * 80 / 100; ++y) {
            const bool dark = qGray(rendered.pixel(x, y)) < 100;
            changes += dark != wasDark;
            wasDark = dark;
        }
        mostChanges = std::max(mostChanges, changes);
    }
    EXPECT_GT(mostChanges, 20);
    // And its curve a pixel wide, as red as on the screen: not a fifteenth of a pixel, pink.
    int red = 0;
    for (int y = 0; y < rendered.height(); ++y)
        for (int x = 0; x < rendered.width(); ++x) {
            const QColor c = rendered.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_GT(red, rendered.width() / 4);
}
