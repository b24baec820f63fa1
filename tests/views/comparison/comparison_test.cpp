// The comparison without windows, on a small database: the cross table's rows (nil where a
// type does not apply, 0 for a missing record, an empty row for a deleted feedstuff), the
// selection lists, the choice saved and read back from hostile settings, the semicolon
// text byte for byte, and LibreOffice Calc reading an
// export with one column per nutrient and numbers as numbers.
#include "views/comparison/comparison.h"
#include "views/export/export_file.h"

#include "services/settings.h"
#include "tests/views/comparison/comparison_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace lysora {
namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::size_t>;

ValueArray Row(const Value& rows, std::size_t i) { return rows.Array().at(i).Array(); }

class ComparisonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(database_.Written());
        ASSERT_TRUE(Open(kEnglish));
    }
    bool Open(std::string_view language) { return database_.Open(language); }
    std::string PathOf(const std::string& name) const { return database_.PathOf(name); }

    test::DatabaseDir database_;
    const std::filesystem::path& dir_ = database_.Path();
};

TEST_F(ComparisonTest, RowsHoldNilWhereTheTypeDoesNotApplyAndZeroForAMissingRecord)
{
    // Wheat has no DM record; feedstuff 999 does not exist.
    const Value tb = CREERLIGNES("TB", {7, 999, 12, 3}, {"CP", "LYS", "DM"});
    ASSERT_EQ(tb.Array().size(), 4u);
    EXPECT_EQ(Row(tb, 0), (ValueArray{Value("Barley"), Value(105), Value(3.78), Value(870)}));
    EXPECT_EQ(Row(tb, 1), (ValueArray{Value(""), Value(), Value(), Value()}));
    EXPECT_EQ(Row(tb, 2), (ValueArray{Value("Blé tendre"), Value(115), Value(3.22), Value(0)}));
    EXPECT_EQ(Row(tb, 3), (ValueArray{Value("Maize"), Value(0), Value(2.4), Value(0)}));

    // DM carries no digestibility: its whole column is nil; CP carries no g/16 g N.
    const Value dig = CREERLIGNES("DIG_A", {7, 3}, {"DM", "LYS", "CP"});
    EXPECT_EQ(Row(dig, 0), (ValueArray{Value("Barley"), Value(), Value(70), Value(75.5)}));
    EXPECT_EQ(Row(dig, 1), (ValueArray{Value("Maize"), Value(), Value(2.5), Value(0)}));
    const Value g16 = CREERLIGNES("TB16G", {12}, {"CP", "LYS"});
    EXPECT_EQ(Row(g16, 0), (ValueArray{Value("Blé tendre"), Value(), Value(2.8)}));

    // A nutrient code no longer in the nutrient table gives a nil column too.
    const Value gone = CREERLIGNES("TB", {7}, {"GONE"});
    EXPECT_EQ(Row(gone, 0), (ValueArray{Value("Barley"), Value()}));
    EXPECT_TRUE(CREERLIGNES("TB", {}, {"CP"}).Array().empty());
}

TEST_F(ComparisonTest, TheRowsAreTheSameInEveryLanguageButTheTitles)
{
    ASSERT_TRUE(Open(kFrench));
    const Value rows = CREERLIGNES("TDIG_V", {12}, {"CP", "LYS"});
    EXPECT_EQ(Row(rows, 0), (ValueArray{Value("Blé tendre"), Value(100.05), Value(2.61)}));
}

TEST_F(ComparisonTest, TheHistogramKeepsOnlyTheNutrientsTheTypeAppliesTo)
{
    const NutrientColumns kept = NutrientsCarrying("DIG_V", {"DM", "LYS", "GONE", "CP"}, {"DM", "Lys", "Gon", "CP"});
    EXPECT_EQ(kept.codes, (std::vector<std::string>{"LYS", "CP"}));
    EXPECT_EQ(kept.courts, (std::vector<std::string>{"Lys", "CP"}));
    EXPECT_TRUE(NutrientsCarrying("TB16G", {"DM", "CP"}, {"DM", "CP"}).codes.empty());
}

TEST_F(ComparisonTest, TheListsAreInNameOrderAndThePermanentNutrientComesFirst)
{
    const SelectionList mat = FeedstuffList();
    EXPECT_EQ(mat.texts, (std::vector<std::string>{"Barley", "Blé tendre", "Maize"}));
    EXPECT_EQ(mat.keys, (std::vector<Value>{Value(7), Value(12), Value(3)}));

    const SelectionList nutri = NutrientList(DONNEESGENERALES().nutriPermanent);
    EXPECT_EQ(nutri.texts, (std::vector<std::string>{"Crude protein", "Lysine", "Dry matter"}));
    EXPECT_EQ(nutri.keys, (std::vector<Value>{Value("CP"), Value("LYS"), Value("DM")}));
    EXPECT_EQ(nutri.courts, (std::vector<std::string>{"CP", "LYS", "DM"}));
}

TEST_F(ComparisonTest, TheChoiceIsSavedAndReadBack)
{
    // First use: no settings file at all.
    EXPECT_EQ(SavedValueType(), "TB");
    EXPECT_TRUE(SavedFeedstuffLines({3, 7, 12}).empty());
    EXPECT_TRUE(SavedNutrientLines({"CP", "LYS"}).empty());

    SAVEINI({"TB16G", {12, 7}, {"LYS", "CP"}});
    EXPECT_EQ(GETPARAM(kParams, kKeyVal), "TB16G");
    EXPECT_EQ(GETPARAM(kParams, kKeyListeMat), "12,7");
    EXPECT_EQ(GETPARAM(kParams, kKeyListeNutri), "LYS,CP");
    EXPECT_EQ(SavedValueType(), "TB16G");
    EXPECT_EQ(SavedFeedstuffLines({3, 7, 12}), (Lines{2, 1}));
    EXPECT_EQ(SavedNutrientLines({"CP", "LYS", "DM"}), (Lines{1, 0}));

    SAVEINI({"DIG_V", {}, {}});
    EXPECT_EQ(GETPARAM(kParams, kKeyListeMat), "");
    EXPECT_TRUE(SavedFeedstuffLines({3, 7, 12}).empty());
}

TEST_F(ComparisonTest, StaleOrHostileSettingsRestoreOnlyWhatStillExists)
{
    // 999 was deleted; the rest is not a key at all, or a key named twice.
    EXPECT_EQ(FeedstuffLinesOf("12, 7 ,999,abc,7.5,,-3,12x,1e1,12,7", {3, 7, 12}), (Lines{2, 1}));
    EXPECT_TRUE(FeedstuffLinesOf(",,,", {3, 7, 12}).empty());
    EXPECT_TRUE(FeedstuffLinesOf("99999999999999999999999", {3, 7, 12}).empty());
    EXPECT_EQ(NutrientLinesOf("LYS,,GONE,cp,CP,LYS", {"CP", "LYS", "DM"}), (Lines{1, 0}));

    for (const char* bad : {"XYZ", "tb16g", "TB16 G", "TB,DM", "E_TB"}) {
        PUTPARAM(kParams, kKeyVal, bad);
        EXPECT_EQ(SavedValueType(), "TB") << bad;
    }
    // A settings file that is not one: no section, binary bytes.
    test::WriteFile(PathOf(std::string(kSettingsFile)), std::string("\x00\xff[Params\nListeMat=7\n", 20));
    EXPECT_TRUE(SavedFeedstuffLines({3, 7, 12}).empty());
    test::WriteFile(PathOf(std::string(kSettingsFile)), "[Params]\r\nListeMat=3,12\r\nVal=DIG_A\r\n");
    EXPECT_EQ(SavedFeedstuffLines({3, 7, 12}), (Lines{0, 2}));
    EXPECT_EQ(SavedValueType(), "DIG_A");
}

TEST(SemicolonText, FollowsTheRowsAsGivenWithTheDecimalSeparator)
{
    const std::vector<std::string> columns{"CP", "Lys", "DM"};
    const Value rows(ValueArray{
        Value(ValueArray{Value("Blé tendre"), Value(115), Value(3.22), Value(0)}),
        Value(ValueArray{Value("Maize"), Value(), Value(2.5), Value(-1.25)}),
        Value(ValueArray{Value(""), Value(), Value(), Value()}),
        Value(ValueArray{Value("Short row"), Value(1)}),
    });
    EXPECT_EQ(SemicolonText(columns, rows, ','), ";CP;Lys;DM\r\n"
                                                 "Blé tendre;115;3,22;-\r\n"
                                                 "Maize;;2,50;-1,25\r\n"
                                                 ";;;\r\n"
                                                 "Short row;1;;\r\n");
    EXPECT_EQ(SemicolonText(columns, rows, '.').substr(0, 35), ";CP;Lys;DM\r\nBlé tendre;115;3.22;-\r\n");
    EXPECT_EQ(SemicolonText({}, Value(ValueArray{}), ','), "\r\n");
}

#ifndef _WIN32
// LibreOffice Calc opens the export in a French locale (decimal comma): one column per
// nutrient, numbers read as numbers, "-" and blanks as they are, accented names intact.
TEST_F(ComparisonTest, LibreOfficeCalcReadsTheExportWithNumbersAsNumbers)
{
    ASSERT_EQ(std::system("command -v soffice >/dev/null"), 0) << "soffice missing: scripts/setup installs it";
    const Value rows = CREERLIGNES("TB", {12, 7, 3}, {"CP", "LYS", "DM"});
    const std::string csv = PathOf("export.csv");
    ASSERT_EQ(WriteWholeFile(csv, SemicolonText({"CP", "Lys", "DM"}, rows, ',')), WriteResult::Written);
    // Semicolon separator (59), quote 34, Windows-1252 (1), from line 1, French locale.
    const std::string command = "cd '" + dir_.string() + "' && soffice --headless -env:UserInstallation=file://" +
                                dir_.string() + "/lo --infilter=CSV:59,34,1,1,,1036 --convert-to fods export.csv" +
                                " >lo.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << test::ReadFile(PathOf("lo.log"));
    const std::string fods = test::ReadFile(PathOf("export.fods"));
    ASSERT_FALSE(fods.empty()) << test::ReadFile(PathOf("lo.log"));

    // Each row's cells as "f:<value>" for numbers, "s:<text>" for texts, "" for empty cells.
    std::vector<std::vector<std::string>> table;
    const std::regex rowPattern("<table:table-row[^>]*>([\\s\\S]*?)</table:table-row>");
    const std::regex cellPattern("<table:table-cell([^>]*?)(/>|>[\\s\\S]*?<text:p>([^<]*)</text:p>)");
    const std::regex floatPattern("office:value-type=\"float\" office:value=\"([^\"]*)\"");
    for (std::sregex_iterator r(fods.begin(), fods.end(), rowPattern), end; r != end; ++r) {
        const std::string inner = (*r)[1];
        std::vector<std::string> cells;
        for (std::sregex_iterator c(inner.begin(), inner.end(), cellPattern); c != end; ++c) {
            const std::string attributes = (*c)[1];
            std::smatch number;
            if (std::regex_search(attributes, number, floatPattern))
                cells.push_back("f:" + number[1].str());
            else
                cells.push_back((*c)[3].matched ? "s:" + (*c)[3].str() : "");
        }
        table.push_back(cells);
    }
    ASSERT_EQ(table.size(), 4u) << fods.substr(0, 2000);
    EXPECT_EQ(table[0], (std::vector<std::string>{"", "s:CP", "s:Lys", "s:DM"}));
    EXPECT_EQ(table[1], (std::vector<std::string>{"s:Bl\xc3\xa9 tendre", "f:115", "f:3.22", "s:-"}));
    EXPECT_EQ(table[2], (std::vector<std::string>{"s:Barley", "f:105", "f:3.78", "f:870"}));
    EXPECT_EQ(table[3], (std::vector<std::string>{"s:Maize", "s:-", "f:2.4", "s:-"}));
}
#endif

} // namespace
} // namespace lysora
