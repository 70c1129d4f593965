// The pass shares each block's row arithmetic among the cores: what it gives must not depend on
// that. `info --json`, `export` and `assess --json` run with the pass on all cores and on one
// (ZR5_ANALYSIS_THREADS=1) give the same bytes.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>

#include "analysis/cumulative.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

struct Output {
    QByteArray info;
    QByteArray csv;
    QByteArray assessment;
};

// One run each of info --json, export and assess --json; threads 0 leaves the pool as the machine
// gives it.
Output RunTool(const QTemporaryDir& dir, const QString& recording, int threads) {
    Output out;
    for (QByteArray* to : {&out.info, &out.csv, &out.assessment}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("ZR5_ANALYSIS_THREADS"));
        if (threads > 0)
            env.insert(QStringLiteral("ZR5_ANALYSIS_THREADS"), QString::number(threads));
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        QStringList args{QStringLiteral("--data-dir"), dir.filePath(QStringLiteral("data"))};
        if (to == &out.info)
            args << QStringLiteral("info") << QStringLiteral("--json") << recording;
        else if (to == &out.csv)
            args << QStringLiteral("export") << recording;
        else
            args << QStringLiteral("assess") << QStringLiteral("--json") << recording;
        p.setArguments(args);
        p.start();
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        *to = p.readAllStandardOutput();
    }
    return out;
}

struct Recording {
    const char* name;
    qint64 rows;
};

class ParallelPass : public ::testing::TestWithParam<Recording> {};

TEST_P(ParallelPass, GivesTheBytesOfTheSingleThreadedPass) {
    QTemporaryDir dir;
    const qint64 rows = GetParam().rows;
    const QString recording = dir.filePath(QStringLiteral("p.MTR"));
    // Three seconds a row, as in the export test: normal, below no-load and generating rows, so
    // that the operating point a row keeps from the one before crosses the pieces of a block.
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(recording, rows, float(3 * rows), 3)));

    const Output parallel = RunTool(dir, recording, 0);
    const Output single = RunTool(dir, recording, 1);
    ASSERT_FALSE(single.info.isEmpty());
    EXPECT_TRUE(single.info.contains("\"record_count\": " + QByteArray::number(rows)) ||
                single.info.contains("\"record_count\":" + QByteArray::number(rows)))
        << single.info.toStdString();
    EXPECT_EQ(single.csv.count('\n'), rows + 1);
    QSet<QByteArray> states;
    const QList<QByteArray> lines = single.csv.split('\n');
    const QList<QByteArray> header = lines.first().split(',');
    const qsizetype state = header.indexOf("state");
    ASSERT_GE(state, 0);
    for (const QByteArray& line : lines.mid(1))
        if (const QList<QByteArray> f = line.split(','); f.size() == header.size())
            states.insert(f[state]);
    EXPECT_TRUE(states.contains("normal") && states.contains("below_no_load") &&
                states.contains("generating"));
    EXPECT_EQ(parallel.info, single.info);
    EXPECT_EQ(parallel.csv, single.csv);
    // The assessment's parts of a block (the energies, the supply) on one core too.
    EXPECT_TRUE(single.assessment.contains("\"voltage_unbalance_max_pct\""))
        << single.assessment.toStdString();
    EXPECT_EQ(parallel.assessment, single.assessment);
}

// Shorter than a block of either size, but of more than one piece; and blocks of runAll() (info)
// and of process() (export) with rows left over.
constexpr qint64 kBlock = CumulativeAnalysis::kBlockRows;
constexpr qint64 kPassBlock = CumulativeAnalysis::kPassBlockRows;
static_assert((2 * kPassBlock + 777) % kBlock != 0);

INSTANTIATE_TEST_SUITE_P(Recordings, ParallelPass,
                         ::testing::Values(Recording{"shorter_than_a_block", kBlock - 500},
                                           Recording{"blocks_and_a_part", 2 * kPassBlock + 777}),
                         [](const ::testing::TestParamInfo<Recording>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
