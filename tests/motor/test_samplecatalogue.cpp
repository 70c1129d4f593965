// The sample catalogue: its source table, the files built from it and their installation.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "catalogtestfiles.h"
#include "model/motorparameters.h"
#include "motor/motorcatalogue.h"
#include "motor/samplecatalogue.h"
#include "support/succeeded.h"

namespace zr5 {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<CatalogueSourceEntry> SourceTable() {
    const auto entries = ParseCatalogueSource(ReadAll(QStringLiteral(ZR5_CATALOGUE_TABLE)));
    if (!entries)
        ADD_FAILURE() << entries.error().toStdString();
    return entries ? *entries : std::vector<CatalogueSourceEntry>{};
}

class SampleCatalogue : public ::testing::Test {
protected:
    QTemporaryDir temp;
    DataDirectory dir{temp.path() + QStringLiteral("/zr-5")};
};

TEST_F(SampleCatalogue, InstallsTheThreeFilesWithTheirSizesAndLineEnds) {
    ASSERT_TRUE(test::Succeeded(InstallSampleCatalogue(dir)));
    EXPECT_EQ(QFile(dir.file(kCatalogueRecordFile)).size(), 110960);
    for (const QString& name : {kCategoryFile, kModelIndexFile}) {
        const QByteArray text = ReadAll(dir.file(name));
        ASSERT_FALSE(text.isEmpty()) << name.toStdString();
        EXPECT_TRUE(text.endsWith("\r\n"));
        EXPECT_EQ(text.count("\n"), text.count("\r\n")) << name.toStdString();
        EXPECT_TRUE(DecodeGbk(text)) << name.toStdString();
    }
    EXPECT_EQ(ReadAll(dir.file(kModelIndexFile)).count("\r\n"), kCatalogueCodes);
    EXPECT_LE(ReadAll(dir.file(kCategoryFile)).count("\r\n"), kMaxCategories);
}

TEST_F(SampleCatalogue, NeverOverwritesAUsersOwnFiles) {
    ASSERT_TRUE(test::Succeeded(dir.ensureExists()));
    test::WriteBytes(dir.file(kCatalogueRecordFile), "user's own");
    const QString message = InstallSampleCatalogue(dir).error();
    EXPECT_TRUE(message.contains(kCategoryFile)) << message.toStdString();
    EXPECT_EQ(ReadAll(dir.file(kCatalogueRecordFile)), QByteArray("user's own"));
    EXPECT_FALSE(QFile::exists(dir.file(kCategoryFile)));
    EXPECT_FALSE(QFile::exists(dir.file(kModelIndexFile)));

    test::WriteBytes(dir.file(kCategoryFile), "1,1,own\r\n");
    test::WriteBytes(dir.file(kModelIndexFile), "1,1,own\r\n");
    EXPECT_TRUE(test::Succeeded(InstallSampleCatalogue(dir)));
    EXPECT_EQ(ReadAll(dir.file(kCatalogueRecordFile)), QByteArray("user's own"));
    EXPECT_EQ(ReadAll(dir.file(kCategoryFile)), QByteArray("1,1,own\r\n"));
}

TEST_F(SampleCatalogue, EmbeddedFilesAreTheOnesBuiltFromTheSourceTable) {
    const auto files = BuildCatalogueFiles(SourceTable());
    ASSERT_TRUE(files.ok());
    std::map<std::string, QByteArray> embedded;
    for (const SampleCatalogueFile& f : SampleCatalogueFiles())
        embedded[f.name] = QByteArray(reinterpret_cast<const char*>(f.data), qsizetype(f.size));
    EXPECT_EQ(embedded["MTALL.OBJ"], files->records);
    EXPECT_EQ(embedded["MT_fe.txt"], files->categories);
    EXPECT_EQ(embedded["bmindex.txt"], files->modelIndex);
}

TEST_F(SampleCatalogue, ReadsBackEveryEntryOfTheSourceTable) {
    const auto table = SourceTable();
    ASSERT_EQ(table.size(), std::size_t(kCatalogueCodes));
    ASSERT_TRUE(test::Succeeded(InstallSampleCatalogue(dir)));

    const CategoryTable categories = LoadCategories(dir);
    EXPECT_TRUE(categories.problems.isEmpty());
    std::size_t row = 0;
    for (const MotorCategory& c : categories.categories) {
        const ModelList models = LoadModels(dir, c);
        EXPECT_TRUE(models.problems.isEmpty());
        for (std::size_t k = 0; k < models.codes.size(); ++k, ++row) {
            ASSERT_LT(row, table.size());
            EXPECT_EQ(c.name, table[row].category);
            EXPECT_EQ(models.codes[k], table[row].code);
            EXPECT_EQ(models.designations[qsizetype(k)], table[row].model);
        }
    }
    EXPECT_EQ(row, table.size()); // every code is listed exactly once, in order

    for (const CatalogueSourceEntry& e : table) {
        const auto r = ReadCatalogueRecord(dir, e.code);
        ASSERT_TRUE(r.ok()) << e.code;
        EXPECT_EQ(r->Poles, float(e.poles));
        const float want[5] = {e.ratedPower, e.ratedCurrent, e.ratedEfficiency, e.noLoadCurrent,
                               e.noLoadPower};
        const float got[5] = {r->RatedPower, r->RatedCurrent, r->RatedEfficiency, r->NoLoadCurrent,
                              r->NoLoadPower};
        for (int i = 0; i < 5; ++i)
            ASSERT_NEAR(got[i], want[i], want[i] * 1.6e-5f) << "code " << e.code << " field " << i;
        // What the operating-point model needs of the values it will see.
        EXPECT_GT(r->NoLoadCurrent, 0.0f);
        EXPECT_LT(r->NoLoadCurrent, r->RatedCurrent) << e.code;
        EXPECT_GT(r->NoLoadPower, 0.0f);
        EXPECT_LT(r->NoLoadPower, ComputeRatedLosses(r->RatedPower, r->RatedEfficiency)) << e.code;
        EXPECT_GT(r->RatedVoltage, 0.0f);
    }
}

TEST_F(SampleCatalogue, SourceTableWritesBackUnchanged) {
    const auto table = SourceTable();
    const auto again = ParseCatalogueSource(CatalogueSourceBytes(table));
    ASSERT_TRUE(again.ok()) << again.error().toStdString();
    ASSERT_EQ(again->size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& a = table[i];
        const auto& b = (*again)[i];
        ASSERT_TRUE(a.code == b.code && a.category == b.category && a.model == b.model &&
                    a.poles == b.poles && a.ratedPower == b.ratedPower &&
                    a.ratedCurrent == b.ratedCurrent && a.ratedEfficiency == b.ratedEfficiency &&
                    a.noLoadCurrent == b.noLoadCurrent && a.noLoadPower == b.noLoadPower &&
                    a.source == b.source)
            << "row " << i + 2;
    }
}

TEST_F(SampleCatalogue, PublishedFiguresAreTheHandbooksAndMarkedSo) {
    const auto table = SourceTable();
    const auto find = [&](const char* model) {
        for (const auto& e : table)
            if (e.model == QString::fromUtf8(model))
                return e;
        ADD_FAILURE() << model;
        return CatalogueSourceEntry{};
    };
    const auto y132 = find("Y132M-4 B3");
    EXPECT_EQ(y132.source, QStringLiteral("PPPEE"));
    EXPECT_EQ(y132.ratedPower, 7.5f);
    EXPECT_EQ(y132.ratedCurrent, 15.4f);
    EXPECT_EQ(y132.ratedEfficiency, 87.0f);
    const auto y355 = find("Y355L2-4 B3");
    EXPECT_EQ(y355.ratedCurrent, 577.9f);
    EXPECT_EQ(y355.ratedEfficiency, 95.2f);
    EXPECT_EQ(find("YE3-132M-4 B3").source, QStringLiteral("EEEEE"));
    EXPECT_EQ(find("YE3-132M-4 B3").ratedEfficiency, 90.4f); // the IE3 limit
}

TEST(CatalogueSource, RejectsRowsTheOperatingPointModelCannotUse) {
    const QByteArray header =
        "code,category,model,poles,rated_kW,rated_A,efficiency_pct,no_load_A,no_load_kW,source\n";
    struct Case {
        const char* row;
        const char* why;
    };
    for (const Case& c : {Case{"1,A,M,4,7.5,15.4,87,16,0.3,EEEEE\n", "空载电流"},
                          Case{"1,A,M,4,7.5,15.4,87,5,1.2,EEEEE\n", "空载功率"},
                          Case{"1,A,M,4,7.5,15.4,87,0,0.3,EEEEE\n", "大于 0"},
                          Case{"2,A,M,4,7.5,15.4,87,5,0.3,EEEEE\n", "编码"},
                          Case{"1,A,M,4,7.5,15.4,87,5,0.3,PX\n", "来源"},
                          Case{"1,A,M,4,7.5,x,87,5,0.3,EEEEE\n", "数值"}}) {
        const auto r = ParseCatalogueSource(header + c.row);
        ASSERT_FALSE(r.ok()) << c.row;
        EXPECT_TRUE(r.error().contains(QString::fromUtf8(c.why))) << r.error().toStdString();
    }
    const auto split = ParseCatalogueSource(header + "1,A,M1,4,7.5,15.4,87,5,0.3,EEEEE\n"
                                                     "2,B,M2,4,7.5,15.4,87,5,0.3,EEEEE\n"
                                                     "3,A,M3,4,7.5,15.4,87,5,0.3,EEEEE\n");
    ASSERT_FALSE(split.ok());
    EXPECT_TRUE(split.error().contains(QStringLiteral("不连续")));
}

TEST(CatalogueSource, QuotedFieldsKeepCommasBlanksAndQuotes) {
    const auto r = ParseCatalogueSource(
        "code,category,model,poles,rated_kW,rated_A,efficiency_pct,no_load_A,no_load_kW,source\n"
        "1,\"A, B\",\"  Y132M-4, \"\"B35\"\"\",4,7.5,15.4,87,5,0.3,PPPEE\r\n");
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    EXPECT_EQ((*r)[0].category, QStringLiteral("A, B"));
    EXPECT_EQ((*r)[0].model, QStringLiteral("  Y132M-4, \"B35\""));
    const auto back = ParseCatalogueSource(CatalogueSourceBytes(*r));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ((*back)[0].model, (*r)[0].model);
}

// The model index and the category list are GBK: a name without a GBK form is refused by its
// kind and text, and no files are built.
TEST(CatalogueSource, NamesWithoutAGbkFormAreRefusedByKindAndText) {
    const QString noGbk = QStringLiteral("\U0001F600");
    struct Case {
        const char* name;
        QString category, model;
        QString message; // empty: built
        QByteArray modelIndex, categories;
    };
    const Case cases[] = {
        {"both in GBK",
         QStringLiteral("电机"),
         QStringLiteral("Y-4"),
         {},
         "1,1,Y-4\r\n",
         "1,1,\xB5\xE7\xBB\xFA\r\n"},
        {"model without GBK form",
         QStringLiteral("电机"),
         QStringLiteral("Y") + noGbk,
         QStringLiteral("型号“Y") + noGbk + QStringLiteral("”含有 GBK 以外的字符"),
         {},
         {}},
        {"category without GBK form",
         noGbk,
         QStringLiteral("Y-4"),
         QStringLiteral("分类名“") + noGbk + QStringLiteral("”含有 GBK 以外的字符"),
         {},
         {}},
    };
    for (const Case& c : cases) {
        const Result<CatalogueFiles> files =
            BuildCatalogueFiles({test::Entry(1, c.category, c.model, 4, 7.5f, 15.4f, 87, 5, 0.3f)});
        if (c.message.isEmpty()) {
            ASSERT_TRUE(test::Succeeded(files)) << c.name;
            EXPECT_EQ(files->modelIndex, c.modelIndex) << c.name;
            EXPECT_EQ(files->categories, c.categories) << c.name;
        } else {
            ASSERT_FALSE(files) << c.name;
            EXPECT_EQ(files.error(), c.message) << c.name;
        }
    }
}

} // namespace
} // namespace zr5
