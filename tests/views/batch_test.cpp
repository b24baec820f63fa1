// The user's batch: what the dialog and the settings accept, and the sheet's values adjusted
// to it on the shipped tables, against values computed here from the tables' sources.
#include "views/batch.h"

#include "app/opendb.h"
#include "app/strings.h"
#include "base/display_number.h"
#include "tests/app/app_test_support.h"
#include "tests/support/generated_tables.h"
#include "tools/maketables/table_sources.h"
#include "views/sheet_data.h"

#ifndef _WIN32
#include "tests/support/run_command.h"
#endif

#include <cmath>
#include <fstream>
#include <map>

namespace lysora {
namespace {

TEST(BatchEntry, NumbersInRangeWithTheUsersSeparatorAndProteinBelowDryMatter)
{
    struct Case {
        const char *proteine, *matiereSeche;
        char separator;
        const char* refusal; // empty: accepted
        int field;
    };
    const Case cases[] = {
        {"38,5", "88", ',', "", 0},  {" 38.5 ", "", ',', "", 0}, {"", "", '.', "", 0},
        {"38,5", "", '.', "LOTNONNUMERIQUE", 1}, {"abc", "88", '.', "LOTNONNUMERIQUE", 1},
        {"1e2", "", '.', "LOTNONNUMERIQUE", 1},  {"+5", "", '.', "LOTNONNUMERIQUE", 1},
        {"3..5", "", '.', "LOTNONNUMERIQUE", 1}, {"", "8 8", '.', "LOTNONNUMERIQUE", 2},
        {"0", "", '.', "LOTHORSLIMITES", 1},     {"-3", "", '.', "LOTHORSLIMITES", 1},
        {"", "100.01", '.', "LOTHORSLIMITES", 2}, {"", "100", '.', "", 0},
        {"90", "88", '.', "LOTMATSUPMS", 1},     {"88", "88", '.', "LOTMATSUPMS", 1},
    };
    for (const Case& c : cases) {
        Batch batch{12.0, 90.0};
        const BatchCheck check = ReadBatch(c.proteine, c.matiereSeche, c.separator, batch);
        SCOPED_TRACE(std::string(c.proteine) + " / " + c.matiereSeche);
        EXPECT_EQ(check.key, c.refusal);
        EXPECT_EQ(check.field, c.field);
        if (!check.Ok()) {
            EXPECT_EQ(batch, (Batch{12.0, 90.0})); // a refusal changes nothing
        }
    }
    Batch read;
    ASSERT_TRUE(ReadBatch("38,5", "88", ',', read).Ok());
    EXPECT_EQ(read, (Batch{38.5, 88.0}));

    // The settings keep a batch as "38.50;88.00" and give back only a valid one.
    EXPECT_EQ(BatchSetting(read), "38.50;88.00");
    EXPECT_EQ(BatchFromSetting(BatchSetting(read)), read);
    EXPECT_EQ(BatchFromSetting(";88"), (Batch{std::nullopt, 88.0}));
    for (const char* hostile : {"", ";", "38.5", "38.5;88;1", "38,5;88", "95;88", "nan;", "inf;", "1e999;",
                                "38.5\n;88", "-1;50", "\xff;\x01"})
        EXPECT_EQ(BatchFromSetting(hostile), std::nullopt) << hostile;

    EXPECT_EQ(BatchMarker(read, "Ajusté au lot :", "MAT", "MS", ','), "Ajusté au lot : MAT 38,50 %, MS 88,00 %");
    EXPECT_EQ(BatchMarker(Batch{std::nullopt, 88.0}, "Adjusted to your batch:", "CP", "DM", '.'),
              "Adjusted to your batch: DM 88.00 %");
    EXPECT_EQ(BatchMarker(Batch{}, "x", "CP", "DM", '.'), "");
}

// The shipped tables opened as the program opens them; expected values come from the
// sources, read without the program's tables.
class BatchAdjustmentTest : public test::ProgramDirFixture {
protected:
    void SetUp() override
    {
        test::ProgramDirFixture::SetUp();
        ASSERT_EQ(tables::LoadSources(LYSORA_TABLES_DIR, db_), std::vector<std::string>{});
        ASSERT_EQ(testing::OpenAsProgramDatabase(db_, dir_, kEnglish), "") << messages_.Texts();
        data_ = std::make_unique<SheetData>();
        for (const tables::ValueRecord& record : db_.values)
            records_[{record.matiere, record.nutri}] = &record;
    }
    void TearDown() override
    {
        data_.reset();
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        test::ProgramDirFixture::TearDown();
    }

    double Mean(int matiere, const std::string& nutri, tables::ValueType type)
    {
        const auto found = records_.find({matiere, nutri});
        return found == records_.end() ? 0 : found->second->mean[type].value_or(0);
    }

    // Moves the sheet's data to the feedstuff of that code.
    void Show(int matiere) { ASSERT_TRUE(data_->FindCode(std::to_string(matiere))); }

    // The cell of nutrient `code` in value row `row` (0-based) of the rows of `codes`.
    static const Value& Cell(const Value& rows, const std::vector<std::string>& codes, const std::string& code, int row)
    {
        const auto at = std::find(codes.begin(), codes.end(), code) - codes.begin();
        return rows.Array()[std::size_t(row)].Array()[std::size_t(at + 1)];
    }

    static double Round2(double v) { return std::round(v * 100) / 100; }

    tables::SampleDatabase db_;
    std::map<std::pair<int, std::string>, const tables::ValueRecord*> records_;
    test::MessageRecorder messages_;
    std::unique_ptr<SheetData> data_;
};

TEST_F(BatchAdjustmentTest, AminoAcidsFollowTheBatchProteinAndContentsItsDryMatter)
{
    const std::vector<std::string> amino = {"CP", "LYS", "MET", "THR", "TRP"};
    const std::vector<std::string> proximate = {"CP", "DM", "ASH", "EE", "STA"};
    for (int matiere : {1, 5, 12}) {
        SCOPED_TRACE(matiere);
        Show(matiere);
        const double tableDm = Mean(matiere, "DM", tables::kTB);
        const Batch batch{Round2(Mean(matiere, "CP", tables::kTB) * 1.1), Round2(tableDm * 0.95)};
        data_->SetBatch(matiere, batch);

        const Value rows = data_->CREERLIGNES(amino);
        for (const char* aa : {"LYS", "MET", "THR", "TRP"}) {
            SCOPED_TRACE(aa);
            const double content = Mean(matiere, aa, tables::kTB16G) * *batch.proteine / 100;
            EXPECT_DOUBLE_EQ(Cell(rows, amino, aa, 0).Number(), Round2(content));
            EXPECT_TRUE(Cell(rows, amino, aa, 1).IsNil()); // no deviation for a computed content
            EXPECT_DOUBLE_EQ(Cell(rows, amino, aa, 2).Number(), Mean(matiere, aa, tables::kTB16G));
            EXPECT_DOUBLE_EQ(Cell(rows, amino, aa, 6).Number(), Mean(matiere, aa, tables::kDIG_V));
            EXPECT_DOUBLE_EQ(Cell(rows, amino, aa, 8).Number(),
                             Round2(content * Mean(matiere, aa, tables::kDIG_V) / 100));
            EXPECT_TRUE(Cell(rows, amino, aa, 9).IsNil());
            EXPECT_FALSE(Cell(rows, amino, aa, 3).IsNil()); // the profile keeps its deviation
            EXPECT_EQ(Cell(rows, amino, aa, 10).Number(), (records_[{matiere, aa}]->nbVal));
        }
        EXPECT_DOUBLE_EQ(Cell(rows, amino, "CP", 0).Number(), *batch.proteine);

        const Value prox = data_->CREERLIGNES(proximate);
        EXPECT_DOUBLE_EQ(Cell(prox, proximate, "DM", 0).Number(), *batch.matiereSeche);
        for (const char* content : {"ASH", "EE", "STA"})
            EXPECT_DOUBLE_EQ(Cell(prox, proximate, content, 0).Number(),
                             Round2(Mean(matiere, content, tables::kTB) * *batch.matiereSeche / tableDm))
                << content;

        // The formulation items carry the same adjusted values; the graph bars too, without
        // a whisker.
        std::map<std::string, double> items;
        for (const OlvanItem& item : data_->GETVALEURS(matiere, {Symbol("TB"), Symbol("DIG_V"), Symbol("TDIG_V")}))
            items[item.identifier] = item.value;
        EXPECT_DOUBLE_EQ(items["1LYS"], Cell(rows, amino, "LYS", 0).Number());
        EXPECT_DOUBLE_EQ(items["3LYS"], Cell(rows, amino, "LYS", 8).Number());
        const auto bars = data_->GraphBars(1, amino, amino, false);
        ASSERT_FALSE(bars.empty());
        EXPECT_EQ(bars[0].label, "LYS");
        EXPECT_DOUBLE_EQ(bars[0].mean, Cell(rows, amino, "LYS", 0).Number());
        EXPECT_EQ(bars[0].sd, 0);

        // Two decimals on screen and in the exports, as the table's own values.
        EXPECT_EQ(DisplayNumber(Cell(rows, amino, "LYS", 0), ','),
                  DisplayNumber(Value(Round2(Mean(matiere, "LYS", tables::kTB16G) * *batch.proteine / 100)), ','));
    }
}

TEST_F(BatchAdjustmentTest, DryMatterAloneScalesEveryContentAndTheBatchStaysWithItsFeedstuff)
{
    Show(1);
    const double ratio = 80.0 / Mean(1, "DM", tables::kTB);
    data_->SetBatch(1, Batch{std::nullopt, 80.0});
    const std::vector<std::string> codes = {"CP", "LYS", "DM"};
    const Value rows = data_->CREERLIGNES(codes);
    EXPECT_DOUBLE_EQ(Cell(rows, codes, "CP", 0).Number(), Round2(Mean(1, "CP", tables::kTB) * ratio));
    EXPECT_DOUBLE_EQ(Cell(rows, codes, "LYS", 0).Number(), Round2(Mean(1, "LYS", tables::kTB) * ratio));
    EXPECT_DOUBLE_EQ(Cell(rows, codes, "LYS", 2).Number(), Mean(1, "LYS", tables::kTB16G));
    EXPECT_DOUBLE_EQ(Cell(rows, codes, "DM", 0).Number(), 80.0);

    // On another feedstuff the batch of feedstuff 1 is not in force; back on 1 it is.
    Show(5);
    EXPECT_TRUE(data_->CurrentBatch().Empty());
    EXPECT_DOUBLE_EQ(Cell(data_->CREERLIGNES(codes), codes, "DM", 0).Number(), Mean(5, "DM", tables::kTB));
    Show(1);
    EXPECT_DOUBLE_EQ(Cell(data_->CREERLIGNES(codes), codes, "DM", 0).Number(), 80.0);

    // An empty batch gives the table's values, deviations included.
    data_->SetBatch(1, Batch{});
    const Value table = data_->CREERLIGNES(codes);
    EXPECT_DOUBLE_EQ(Cell(table, codes, "LYS", 0).Number(), Mean(1, "LYS", tables::kTB));
    EXPECT_FALSE(Cell(table, codes, "LYS", 1).IsNil());
}

#ifndef _WIN32
// The formulation file of every shipped feedstuff adjusted to one batch, against the same
// file computed by a script that reads the tables with dbfread and adjusts them itself.
TEST_F(BatchAdjustmentTest, AdjustedFormulationFilesMatchAnOutsideReader)
{
    const Batch batch{20.5, 86.25};
    const std::string marker = BatchMarker(batch, "Adjusted to your batch:", "CP", "DM", '.');
    std::string files;
    for (bool on = data_->PREMIER(); on; on = data_->SUIVANT()) {
        const FeedstuffShown shown = data_->Current();
        data_->SetBatch(shown.matiere, batch);
        const std::string path = PathOf("olvan_" + std::to_string(shown.matiere) + ".txt");
        const auto items = data_->GETVALEURS(shown.matiere, {Symbol("TB"), Symbol("DIG_V"), Symbol("TDIG_V")});
        std::ofstream(path, std::ios::binary) << OlvanText(shown.matiere, shown.libelle, items, marker);
        files += " \"" + path + "\"";
    }
    const auto [status, output] =
        testing::RunCommand("/usr/bin/python3 \"" LYSORA_VIEWS_TESTS_DIR "/check_olvan.py\" --batch \"20.5;86.25\" "
                            "--note \"" + marker + "\" \"" + dir_.string() + "\" ENG" + files);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(std::to_string(db_.feedstuffs.size()) + " files checked, 0 differ"), std::string::npos)
        << output;
}
#endif

} // namespace
} // namespace lysora
