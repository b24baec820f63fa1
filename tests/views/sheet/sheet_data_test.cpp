// The feedstuff sheet's records on databases written for each test: alphabetical navigation
// and its ends, look-ups by name and by the remembered code (stale and hostile settings
// included), the value rows of a group with their nil, 0 and support rules, and the bars
// of the sheet graph under the same rules.
#include "views/sheet/sheet_data.h"

#include "services/opendb.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "tests/support/generated_tables.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_sources.h"
#include "views/sheet/sheet_exports.h"

#ifndef _WIN32
#include "tests/support/run_command.h"
#endif

#include <fstream>

namespace lysora {
namespace {

using tables::SampleDatabase;

class SheetDataTest : public test::ProgramDirFixture {
protected:
    void TearDown() override
    {
        data_.reset();
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        CHOISIRLANGUE(kEnglish);
        test::ProgramDirFixture::TearDown();
    }

    SheetData& Open(const SampleDatabase& db)
    {
        EXPECT_EQ(testing::OpenAsProgramDatabase(db, dir_, kFrench), "") << messages_.Texts();
        data_ = std::make_unique<SheetData>();
        return *data_;
    }

    // Names in reverse order of the codes: feedstuff 1 is last alphabetically.
    static SampleDatabase Reversed(int feedstuffs, int nutrients)
    {
        SampleDatabase db = testing::GeneratedDatabase(feedstuffs, nutrients, 3, 5);
        for (tables::Feedstuff& feedstuff : db.feedstuffs) {
            const std::string name = "Matiere " + std::string(1, char('Z' - feedstuff.code));
            feedstuff.libelle = {name, name};
        }
        return db;
    }

    static std::vector<std::string> Names(SheetData& data)
    {
        std::vector<std::string> names;
        for (bool on = data.PREMIER(); on; on = data.SUIVANT())
            names.push_back(data.Current().libelle);
        return names;
    }

    static const Value& Cell(const Value& rows, int row, int element) { return rows.Array()[row].Array()[element]; }

    test::MessageRecorder messages_;
    std::unique_ptr<SheetData> data_;
};

TEST_F(SheetDataTest, NavigationFollowsTheNamesAndStopsAtBothEnds)
{
    SheetData& data = Open(Reversed(4, 6));
    EXPECT_EQ(data.Current().libelle, "Matiere V"); // the first name, feedstuff 4
    EXPECT_EQ(Names(data), (std::vector<std::string>{"Matiere V", "Matiere W", "Matiere X", "Matiere Y"}));

    // Past the last one: nothing new to show, still on the last.
    EXPECT_FALSE(data.SUIVANT());
    EXPECT_EQ(data.Current().libelle, "Matiere Y");
    EXPECT_EQ(data.Current().matiere, 1);

    ASSERT_TRUE(data.PREMIER());
    EXPECT_TRUE(data.PRECEDENT()); // before the first: the first again
    EXPECT_EQ(data.Current().libelle, "Matiere V");
    ASSERT_TRUE(data.DERNIER());
    EXPECT_EQ(data.Current().matiere, 1);
    ASSERT_TRUE(data.PRECEDENT());
    EXPECT_EQ(data.Current().matiere, 2);
    EXPECT_EQ(data.Current().definition, "Definition of Feedstuff 0002");
}

TEST_F(SheetDataTest, NamesAndRememberedCodesAreFoundExactlyOrNotAtAll)
{
    SampleDatabase db = Reversed(12, 4);
    db.feedstuffs[2].libelle = {"Matiere W longer", "Matiere W longer"}; // code 3
    SheetData& data = Open(db);

    EXPECT_TRUE(data.FindCode("12")); // whatever its place in the names
    EXPECT_EQ(data.Current().matiere, 12);
    EXPECT_TRUE(data.FindCode(" 3 "));
    EXPECT_EQ(data.Current().libelle, "Matiere W longer");

    // Stale or hostile settings: nothing found and the sheet stays where it is.
    for (const char* setting : {"", "  ", "abc", "99", "0", "-3", "3.5", "123456789", "9999"}) {
        EXPECT_FALSE(data.FindCode(setting)) << setting;
        EXPECT_EQ(data.Current().matiere, 3) << setting;
    }

    // A name is found whole: the start of a longer name is not it.
    EXPECT_FALSE(data.FindName("Matiere W lon"));
    EXPECT_FALSE(data.FindName(""));
    EXPECT_EQ(data.Current().matiere, 3);
    EXPECT_TRUE(data.FindName("Matiere X"));
    EXPECT_EQ(data.Current().matiere, 2);
    EXPECT_FALSE(data.FindName("Matiere W"));
    EXPECT_TRUE(data.FindName("  Matiere V  "));
    EXPECT_EQ(data.Current().matiere, 4);
}

TEST_F(SheetDataTest, RowsShowValuesZeroForMissingRecordsAndNothingForUnsupportedOrUnknown)
{
    SampleDatabase db = testing::GeneratedDatabase(2, 6, 3, 5);
    // Nutrient N001 carries no apparent digestibility; feedstuff 1 has no record for N002.
    db.nutrients[1].carries[tables::kDIG_A] = false;
    std::erase_if(db.values, [](const tables::ValueRecord& v) {
        return v.matiere == 1 && (v.nutri == "N002" || v.nutri == "N001");
    });
    tables::ValueRecord n001;
    n001.matiere = 1;
    n001.nutri = "N001";
    n001.nbVal = 7;
    n001.mean[tables::kTB] = 12.5;
    n001.deviation[tables::kTB] = 1.25;
    n001.mean[tables::kTB16G] = 4;
    n001.deviation[tables::kTB16G] = 0.5;
    n001.mean[tables::kDIG_V] = 80;
    n001.mean[tables::kTDIG_V] = 10;
    db.values.push_back(n001);
    SheetData& data = Open(db);
    ASSERT_TRUE(data.FindCode("1"));

    const Value rows = data.CREERLIGNES({"N001", "N002", "GONE", "N005"});
    ASSERT_EQ(rows.Array().size(), 11u);
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(rows.Array()[i].Array().size(), 5u);
        EXPECT_EQ(Cell(rows, int(i), 0).Text(), TITRESVALEURS()[i]);
    }
    // Rows: TB, E_TB, TB16G, E_TB16G, DIG_A, E_DIG_A, DIG_V, E_DIG_V, TDIG_V, E_TDIG_V, NB_VAL.
    EXPECT_EQ(Cell(rows, 0, 1), Value(12.5));
    EXPECT_EQ(Cell(rows, 1, 1), Value(1.25));
    EXPECT_TRUE(Cell(rows, 4, 1).IsNil()); // no apparent digestibility ...
    EXPECT_TRUE(Cell(rows, 5, 1).IsNil()); // ... nor its deviation
    EXPECT_EQ(Cell(rows, 6, 1), Value(80));
    EXPECT_EQ(Cell(rows, 10, 1), Value(7)); // the number of values still shows
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(Cell(rows, i, 2), Value(0)) << i; // carried, record missing: "-"
        EXPECT_TRUE(Cell(rows, i, 3).IsNil()) << i; // not in the nutrient table
    }
    // A proximate nutrient carries the raw content and the number of values only.
    EXPECT_TRUE(Cell(rows, 0, 4).IsNumber());
    EXPECT_TRUE(Cell(rows, 2, 4).IsNil());
    EXPECT_TRUE(Cell(rows, 10, 4).IsNumber());

    // The other feedstuff's own values, not the last ones read.
    ASSERT_TRUE(data.FindCode("2"));
    EXPECT_DOUBLE_EQ(data.CREERLIGNES({"N002"}).Array()[0].Array()[1].Number(), 3.02);
}

TEST_F(SheetDataTest, FormulationItemsComeInCodeOrderForTheTypesEachNutrientCarries)
{
    SampleDatabase db = testing::GeneratedDatabase(2, 6, 3, 5);
    std::swap(db.nutrients[1].ordre, db.nutrients[4].ordre); // display order is not code order
    db.nutrients[1].carries[tables::kDIG_V] = false;
    std::erase_if(db.values, [](const tables::ValueRecord& v) { return v.matiere == 1 && v.nutri == "N002"; });
    for (tables::ValueRecord& v : db.values)
        if (v.matiere == 1 && v.nutri == "N003")
            v.mean[tables::kTB] = 0;
    SheetData& data = Open(db);

    const std::vector<OlvanItem> items = data.GETVALEURS(1, {Symbol("TB"), Symbol("DIG_V"), Symbol("TDIG_V")});
    std::vector<std::string> ids;
    for (const OlvanItem& item : items)
        ids.push_back(item.identifier);
    EXPECT_EQ(ids, (std::vector<std::string>{"1N000", "2N000", "3N000", "1N001", "3N001", "1N003", "2N003", "3N003",
                                             "1N004", "2N004", "3N004", "1N005"}));
    EXPECT_EQ(items[5].value, 0); // a zero is exported as such
    EXPECT_DOUBLE_EQ(items[0].value, 2.0);
    EXPECT_TRUE(data.GETVALEURS(99, {Symbol("TB")}).empty());
}

#ifndef _WIN32
// The formulation file of every shipped feedstuff, as the sheet writes it, against the same
// content computed by a script that reads the tables with dbfread, not through our code.
TEST_F(SheetDataTest, FormulationFilesOfTheShippedTablesMatchAnOutsideReader)
{
    SampleDatabase db;
    ASSERT_EQ(tables::LoadSources(LYSORA_TABLES_DIR, db), std::vector<std::string>{});
    SheetData& data = Open(db);
    std::string files;
    for (bool on = data.PREMIER(); on; on = data.SUIVANT()) {
        const FeedstuffShown shown = data.Current();
        const std::string path = PathOf("olvan_" + std::to_string(shown.matiere) + ".txt");
        const auto items = data.GETVALEURS(shown.matiere, {Symbol("TB"), Symbol("DIG_V"), Symbol("TDIG_V")});
        std::ofstream(path, std::ios::binary) << OlvanText(shown.matiere, shown.libelle, items);
        files += " \"" + path + "\"";
    }
    ASSERT_EQ(files.empty(), false);
    const auto [status, output] = testing::RunCommand("/usr/bin/python3 \"" LYSORA_VIEWS_TESTS_DIR
                                                      "/check_olvan.py\" \"" + dir_.string() + "\" FRA" + files);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(std::to_string(db.feedstuffs.size()) + " files checked, 0 differ"), std::string::npos)
        << output;
}
#endif

std::vector<std::string> Labels(const std::vector<ChartBar>& bars)
{
    std::vector<std::string> labels;
    for (const ChartBar& bar : bars)
        labels.push_back(bar.label);
    return labels;
}

TEST_F(SheetDataTest, GraphBarsAreTheNutrientsThatCarryTheRowPermanentOneForDigestibilitiesOnly)
{
    SampleDatabase db = testing::GeneratedDatabase(2, 6, 4, 5);
    db.nutrients[1].carries[tables::kDIG_A] = false; // N001: no apparent digestibility
    std::erase_if(db.values, [](const tables::ValueRecord& v) { return v.matiere == 1 && v.nutri == "N002"; });
    for (tables::ValueRecord& v : db.values)
        if (v.matiere == 1 && v.nutri == "N003") {
            v.mean[tables::kDIG_V] = -3.25;
            v.deviation[tables::kDIG_V].reset(); // no deviation: a bar without whisker
        }
    SheetData& data = Open(db);
    ASSERT_TRUE(data.FindCode("1"));
    const std::vector<std::string> codes{"N000", "N001", "N002", "N003", "GONE", "N005"};
    const std::vector<std::string> names{"Per", "Lys", "Met", "Thr", "Gone", "Ash"};

    // Raw content (row 1): no permanent nutrient; the missing record a flat bar; an unknown
    // code nothing; the proximate nutrient carries the raw content.
    const std::vector<ChartBar> raw = data.GraphBars(1, codes, names, false);
    EXPECT_EQ(Labels(raw), (std::vector<std::string>{"Lys", "Met", "Thr", "Ash"}));
    EXPECT_DOUBLE_EQ(raw[0].mean, 2.01);
    EXPECT_DOUBLE_EQ(raw[0].sd, 0.5);
    EXPECT_EQ(raw[1].mean, 0);
    EXPECT_EQ(raw[1].sd, 0);

    // Apparent digestibility (row 5): the permanent nutrient first, N001 left out, the
    // proximate nutrient too.
    const std::vector<ChartBar> apparent = data.GraphBars(5, codes, names, true);
    EXPECT_EQ(Labels(apparent), (std::vector<std::string>{"Per", "Met", "Thr"}));
    EXPECT_DOUBLE_EQ(apparent[0].mean, 2.5);
    EXPECT_DOUBLE_EQ(apparent[0].sd, 2.5);

    // Standardised digestibility (row 7): a negative mean as it is, a nil deviation as 0.
    const std::vector<ChartBar> standardised = data.GraphBars(7, codes, names, true);
    ASSERT_EQ(Labels(standardised), (std::vector<std::string>{"Per", "Lys", "Met", "Thr"}));
    EXPECT_EQ(standardised[3].mean, -3.25);
    EXPECT_EQ(standardised[3].sd, 0);

    // Nothing plottable: a proximate nutrient's digestibility, a row with no deviation after
    // it or outside the list, and fewer short names than codes give blank labels.
    EXPECT_TRUE(data.GraphBars(9, {"N005"}, {"Ash"}, true).empty());
    EXPECT_TRUE(data.GraphBars(1, {"N000"}, {"Per"}, false).empty());
    for (int row : {0, 11, 12, -1})
        EXPECT_TRUE(data.GraphBars(row, codes, names, true).empty()) << row;
    EXPECT_EQ(Labels(data.GraphBars(1, {"N001", "N003"}, {"Lys"}, false)), (std::vector<std::string>{"Lys", ""}));

    // The other feedstuff's own values.
    ASSERT_TRUE(data.FindCode("2"));
    EXPECT_DOUBLE_EQ(data.GraphBars(1, {"N002"}, {"Met"}, false).at(0).mean, 3.02);
}

TEST_F(SheetDataTest, AnEmptyFeedstuffTableShowsBlankRowsAndGoesNowhere)
{
    SampleDatabase db = testing::GeneratedDatabase(0, 4, 2, 3);
    SheetData& data = Open(db);
    EXPECT_TRUE(data.Eof());
    EXPECT_FALSE(data.PREMIER());
    EXPECT_FALSE(data.PRECEDENT());
    EXPECT_FALSE(data.SUIVANT());
    EXPECT_FALSE(data.DERNIER());
    EXPECT_FALSE(data.FindCode("1"));
    EXPECT_EQ(data.Current().matiere, 0);
    EXPECT_EQ(data.Current().libelle, "");
    const Value rows = data.CREERLIGNES(DONNEESGENERALES().aae.codes);
    ASSERT_EQ(rows.Array().size(), 11u);
    for (const Value& row : rows.Array()) {
        ASSERT_EQ(row.Array().size(), DONNEESGENERALES().aae.codes.size() + 1);
        for (std::size_t j = 1; j < row.Array().size(); ++j)
            EXPECT_TRUE(row.Array()[j].IsNil());
    }
    EXPECT_TRUE(data.GraphBars(1, DONNEESGENERALES().aae.codes, DONNEESGENERALES().aae.courts, true).empty());
}

TEST_F(SheetDataTest, ALongDefinitionComesWholeAndTrimmed)
{
    SampleDatabase db = testing::GeneratedDatabase(1, 2, 1, 2);
    std::string long600(600, 'x');
    for (std::size_t k = 50; k < 600; k += 51)
        long600[k] = ' ';
    long600.back() = 'z';
    db.feedstuffs[0].definition = {long600, long600};
    SheetData& data = Open(db);
    EXPECT_EQ(data.Current().definition, long600);
}

} // namespace
} // namespace lysora
