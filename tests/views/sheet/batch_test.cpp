// The user's batch: what the dialog and the settings accept, and the sheet's values adjusted
// to it on the shipped tables, against values computed here from the tables' sources.
#include "views/sheet/batch.h"

#include "services/opendb.h"
#include "services/strings.h"
#include "tests/support/generated_tables.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_sources.h"
#include "views/sheet/sheet_data.h"

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

    static double Round2(double v) { return std::round(v * 100) / 100; }

    tables::SampleDatabase db_;
    std::map<std::pair<int, std::string>, const tables::ValueRecord*> records_;
    test::MessageRecorder messages_;
    std::unique_ptr<SheetData> data_;
};

// What the outside reader below does not see: the rows keep the profile, digestibilities
// and numbers of values, blank the deviations of adjusted contents, a dry matter alone
// scales the amino acids too, and a batch is in force on its own feedstuff only.
TEST_F(BatchAdjustmentTest, RowsKeepTheProfileAndBlankTheDeviationsOfAdjustedContents)
{
    const std::vector<std::string> codes = {"CP", "LYS", "DM", "ASH"};
    auto cell = [&](const Value& rows, const std::string& code, int row) -> const Value& {
        const auto at = std::find(codes.begin(), codes.end(), code) - codes.begin();
        return rows.Array()[std::size_t(row)].Array()[std::size_t(at + 1)];
    };
    Show(1);
    data_->SetBatch(1, Batch{12.5, 88.0});
    Value rows = data_->CREERLIGNES(codes);
    EXPECT_DOUBLE_EQ(cell(rows, "CP", 0).Number(), 12.5);
    EXPECT_DOUBLE_EQ(cell(rows, "LYS", 0).Number(), Round2(Mean(1, "LYS", tables::kTB16G) * 12.5 / 100));
    for (int deviation : {1, 9})
        EXPECT_TRUE(cell(rows, "LYS", deviation).IsNil()) << deviation;
    for (tables::ValueType kept : {tables::kTB16G, tables::kDIG_A, tables::kDIG_V})
        EXPECT_DOUBLE_EQ(cell(rows, "LYS", 2 * kept).Number(), Mean(1, "LYS", kept)) << kept;
    EXPECT_FALSE(cell(rows, "LYS", 3).IsNil());
    EXPECT_EQ(cell(rows, "LYS", 10).Number(), (records_[{1, "LYS"}]->nbVal));
    const auto bars = data_->GraphBars(1, codes, codes, false);
    ASSERT_EQ(bars.size(), 3u); // LYS, DM, ASH: crude protein is not charted for contents
    EXPECT_EQ(bars[0].mean, cell(rows, "LYS", 0).Number());
    EXPECT_EQ(bars[0].sd, 0); // no whisker for a computed content

    const double ratio = 80.0 / Mean(1, "DM", tables::kTB);
    data_->SetBatch(1, Batch{std::nullopt, 80.0});
    rows = data_->CREERLIGNES(codes);
    for (const char* code : {"CP", "LYS", "ASH"})
        EXPECT_DOUBLE_EQ(cell(rows, code, 0).Number(), Round2(Mean(1, code, tables::kTB) * ratio)) << code;
    EXPECT_DOUBLE_EQ(cell(rows, "DM", 0).Number(), 80.0);

    Show(5);
    EXPECT_TRUE(data_->CurrentBatch().Empty());
    EXPECT_DOUBLE_EQ(cell(data_->CREERLIGNES(codes), "DM", 0).Number(), Mean(5, "DM", tables::kTB));
    Show(1);
    data_->SetBatch(1, Batch{});
    EXPECT_DOUBLE_EQ(cell(data_->CREERLIGNES(codes), "LYS", 0).Number(), Mean(1, "LYS", tables::kTB));
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
