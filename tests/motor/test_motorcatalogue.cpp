// Reading the catalogue files: categories, models, records, and what bad files give.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "catalogtestfiles.h"
#include "model/instrumentnumber.h"
#include "motor/motorcatalogue.h"

namespace zr5 {
namespace {

class CatalogueFiles : public ::testing::Test {
protected:
    QTemporaryDir temp;
    DataDirectory dir{temp.path()};
};

// A record file of the full size in which each code's power is the code itself and its pole byte
// the code modulo 256.
QByteArray NumberedRecords(int codes) {
    QByteArray bytes;
    for (int code = 1; code <= codes; ++code) {
        CatalogueRecord r;
        r.Poles = float(code % 256);
        r.RatedPower = float(code);
        r.RatedCurrent = 2;
        r.RatedEfficiency = 90;
        r.NoLoadCurrent = 1;
        r.NoLoadPower = 0.5f;
        const auto rec = EncodeCatalogueRecord(r);
        bytes.append(reinterpret_cast<const char*>(rec.data()), 16);
    }
    return bytes;
}

TEST_F(CatalogueFiles, FirstAndLastCodesReadTheirOwnSixteenBytes) {
    test::WriteBytes(dir.file(kCatalogueRecordFile), NumberedRecords(kCatalogueCodes));
    const auto first = ReadCatalogueRecord(dir, 1);
    ASSERT_TRUE(first.ok()) << first.error().toStdString();
    EXPECT_EQ(first->RatedPower, 1.0f);
    EXPECT_EQ(first->Poles, 1.0f);
    EXPECT_EQ(first->RatedVoltage, 380.0f);
    const auto last = ReadCatalogueRecord(dir, 6935);
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last->RatedPower, 6935.0f);
    EXPECT_EQ(last->Poles, float(6935 % 256));
    EXPECT_EQ(last->RatedVoltage, 100.0f);
    const auto middle = ReadCatalogueRecord(dir, 4875);
    ASSERT_TRUE(middle.ok());
    EXPECT_EQ(middle->RatedPower, 4875.0f);
    EXPECT_EQ(middle->RatedVoltage, 3000.0f);
}

TEST_F(CatalogueFiles, AShortRecordFileGivesTheRecordsItHoldsAndAMessageForTheRest) {
    QByteArray bytes = NumberedRecords(kCatalogueCodes);
    bytes.chop(1);
    test::WriteBytes(dir.file(kCatalogueRecordFile), bytes);
    EXPECT_TRUE(ReadCatalogueRecord(dir, 6934).ok());
    const auto last = ReadCatalogueRecord(dir, 6935);
    ASSERT_FALSE(last.ok());
    EXPECT_TRUE(last.error().contains(QStringLiteral("110959"))) << last.error().toStdString();
    EXPECT_TRUE(last.error().contains(QStringLiteral("6935")));
}

TEST_F(CatalogueFiles, MissingRecordFileAndCodesOutsideTheRangeAreFailures) {
    const auto missing = ReadCatalogueRecord(dir, 1);
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().contains(kCatalogueRecordFile));
    test::WriteBytes(dir.file(kCatalogueRecordFile), NumberedRecords(kCatalogueCodes));
    EXPECT_FALSE(ReadCatalogueRecord(dir, 0).ok());
    EXPECT_FALSE(ReadCatalogueRecord(dir, 6936).ok());
    EXPECT_FALSE(ReadCatalogueRecord(dir, -1).ok());
}

TEST_F(CatalogueFiles, ARecordWithAZeroIsReturnedUnchanged) {
    QByteArray bytes(16, '\0');
    bytes[0] = 4;
    test::WriteBytes(dir.file(kCatalogueRecordFile), bytes);
    const auto r = ReadCatalogueRecord(dir, 1);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->Poles, 4.0f);
    EXPECT_EQ(r->RatedPower, 0.0f);
}

TEST_F(CatalogueFiles, CategoriesInFileOrderWithTheirLineRanges) {
    test::WriteGbkLines(dir.file(kCategoryFile), {QStringLiteral("1,3,Y系列 380V"),
                                                  QStringLiteral(" 4 , 4 , 单一型号, 特殊")});
    const CategoryTable t = LoadCategories(dir);
    EXPECT_TRUE(t.problems.isEmpty());
    ASSERT_EQ(t.categories.size(), 2u);
    EXPECT_EQ(t.categories[0].first, 1);
    EXPECT_EQ(t.categories[0].last, 3);
    EXPECT_EQ(t.categories[0].name, QStringLiteral("Y系列 380V"));
    EXPECT_EQ(t.categories[1].first, 4);
    EXPECT_EQ(t.categories[1].last, 4);
    EXPECT_EQ(t.categories[1].name, QStringLiteral(" 单一型号, 特殊"));
}

TEST_F(CatalogueFiles, MissingCategoryFileGivesAMessageAndNoCategories) {
    const CategoryTable t = LoadCategories(dir);
    EXPECT_TRUE(t.categories.empty());
    ASSERT_EQ(t.problems.size(), 1);
    EXPECT_TRUE(t.problems[0].contains(kCategoryFile));
}

TEST_F(CatalogueFiles, BadCategoryLinesAreLeftOutAndNamed) {
    test::WriteGbkLines(dir.file(kCategoryFile),
                        {QStringLiteral("1,2,甲"), QStringLiteral("三,4,乙"),
                         QStringLiteral("5,4,丙"), QStringLiteral(""), QStringLiteral("6,9,丁")});
    const CategoryTable t = LoadCategories(dir);
    ASSERT_EQ(t.categories.size(), 2u);
    EXPECT_EQ(t.categories[0].name, QStringLiteral("甲"));
    EXPECT_EQ(t.categories[1].name, QStringLiteral("丁"));
    ASSERT_EQ(t.problems.size(), 3);
    EXPECT_TRUE(t.problems[0].contains(QStringLiteral("第 2 行")));
    EXPECT_TRUE(t.problems[1].contains(QStringLiteral("第 3 行")));
    EXPECT_TRUE(t.problems[2].contains(QStringLiteral("第 4 行")));
}

TEST_F(CatalogueFiles, MoreThan178CategoriesKeepsTheFirst178) {
    QStringList lines;
    for (int i = 1; i <= 180; ++i)
        lines << QStringLiteral("%1,%1,分类%1").arg(i);
    test::WriteGbkLines(dir.file(kCategoryFile), lines);
    const CategoryTable t = LoadCategories(dir);
    ASSERT_EQ(t.categories.size(), 178u);
    EXPECT_EQ(t.categories.back().name, QStringLiteral("分类178"));
    ASSERT_EQ(t.problems.size(), 1);
    EXPECT_TRUE(t.problems[0].contains(QStringLiteral("178")));
}

TEST_F(CatalogueFiles, ModelsOfACategoryStartAtPositionOne) {
    test::WriteGbkLines(dir.file(kModelIndexFile),
                        {QStringLiteral("1,11,Y801-2"), QStringLiteral("2,12,Y802-2"),
                         QStringLiteral("3,13,  Y90S-2, B3, 带制动"), QStringLiteral("4,14,Y90L-2"),
                         QStringLiteral("5,15,Y100L-2")});
    const ModelList m = LoadModels(dir, {3, 4, QStringLiteral("甲")});
    EXPECT_TRUE(m.problems.isEmpty());
    ASSERT_EQ(m.codes, (std::vector<int>{13, 14}));
    EXPECT_EQ(m.texts, (QStringList{QStringLiteral("  (1).  Y90S-2, B3, 带制动"),
                                    QStringLiteral("  (2).Y90L-2")}));
    EXPECT_EQ(m.designations[0], QStringLiteral("  Y90S-2, B3, 带制动"));
}

TEST_F(CatalogueFiles, ACategoryOfOneLineListsOneModel) {
    test::WriteGbkLines(dir.file(kModelIndexFile),
                        {QStringLiteral("1,11,Y801-2"), QStringLiteral("2,12,Y802-2"),
                         QStringLiteral("3,13,Y90S-2")});
    const ModelList m = LoadModels(dir, {2, 2, QStringLiteral("乙")});
    ASSERT_EQ(m.codes, (std::vector<int>{12}));
    EXPECT_EQ(m.texts, QStringList{QStringLiteral("  (1).Y802-2")});
}

TEST_F(CatalogueFiles, AnIndexShorterThanTheCategoryGivesWhatItHasAndAMessage) {
    test::WriteGbkLines(dir.file(kModelIndexFile),
                        {QStringLiteral("1,11,Y801-2"), QStringLiteral("x,12,坏行"),
                         QStringLiteral("3,13,Y90S-2")});
    const ModelList m = LoadModels(dir, {1, 5, QStringLiteral("丙")});
    EXPECT_EQ(m.codes, (std::vector<int>{11, 13}));
    EXPECT_EQ(m.texts[1], QStringLiteral("  (2).Y90S-2"));
    ASSERT_EQ(m.problems.size(), 2);
    EXPECT_TRUE(m.problems[0].contains(QStringLiteral("第 2 行")));
    EXPECT_TRUE(m.problems[1].contains(QStringLiteral("丙")));
}

TEST_F(CatalogueFiles, MissingIndexGivesAMessageAndNoModels) {
    const ModelList m = LoadModels(dir, {1, 2, QStringLiteral("甲")});
    EXPECT_TRUE(m.codes.empty());
    EXPECT_EQ(m.problems.size(), 1);
    EXPECT_TRUE(SearchModels(dir, QStringLiteral("Y")).codes.empty());
}

TEST_F(CatalogueFiles, SearchFindsDesignationsAcrossCategoriesIgnoringCase) {
    test::WriteGbkLines(dir.file(kModelIndexFile),
                        {QStringLiteral("1,1,Y132M-4 B3"), QStringLiteral("2,2,Y2-132M-4 B3"),
                         QStringLiteral("3,3,Y132M1-6 B5"), QStringLiteral("4,4,YE3-160M-4")});
    const ModelList m = SearchModels(dir, QStringLiteral(" y132m "));
    EXPECT_EQ(m.codes, (std::vector<int>{1, 3}));
    EXPECT_EQ(m.texts[1], QStringLiteral("  (2).Y132M1-6 B5"));
    EXPECT_TRUE(SearchModels(dir, QStringLiteral("  ")).codes.empty());
    EXPECT_TRUE(SearchModels(dir, QStringLiteral("Z")).codes.empty());
}

} // namespace
} // namespace zr5
