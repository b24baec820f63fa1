// The shipped sample data meets its consistency rules, and each rule catches a bad edit.
#include "tools/maketables/table_sources.h"

#include "services/reftables.h"
#include "tests/support/program_dir_fixture.h"

#include <algorithm>

namespace lysora::tables {
namespace {

const std::string kSources = LYSORA_TABLES_DIR;

bool Mentions(const std::vector<std::string>& problems, const std::string& what)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& p) { return p.find(what) != std::string::npos; });
}

std::string Joined(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& p : problems)
        text += p + "\n";
    return text;
}

class ShippedData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadSources(kSources, db).empty());
    }
    ValueRecord& Record(int matiere, const std::string& nutri)
    {
        auto found = std::find_if(db.values.begin(), db.values.end(),
                                  [&](const ValueRecord& v) { return v.matiere == matiere && v.nutri == nutri; });
        EXPECT_NE(found, db.values.end());
        return *found;
    }
    Nutrient& NutrientOf(const std::string& code)
    {
        return *std::find_if(db.nutrients.begin(), db.nutrients.end(), [&](auto& n) { return n.code == code; });
    }
    // The check finds a problem mentioning what (and the shipped data had none).
    void ExpectCaught(const std::string& what)
    {
        std::vector<std::string> problems = CheckSources(db);
        EXPECT_TRUE(Mentions(problems, what)) << "expected \"" << what << "\" among:\n" << Joined(problems);
    }
    SampleDatabase db;
};

TEST_F(ShippedData, MeetsEveryRule)
{
    std::vector<std::string> problems = CheckSources(db);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
    EXPECT_GE(db.feedstuffs.size(), 60u);
    // Three non-empty groups besides the permanent nutrient, crude protein.
    EXPECT_EQ(db.general.nutri, "CP");
    int groups[3] = {};
    for (const Nutrient& n : db.nutrients)
        if (n.code != db.general.nutri)
            ++groups[n.ordre < db.general.ordre1 ? 0 : n.ordre < db.general.ordre2 ? 1 : 2];
    EXPECT_GE(groups[0], 10);
    EXPECT_GE(groups[1], 4);
    EXPECT_GE(groups[2], 5);
    // Texts are Windows-1252 once read.
    EXPECT_EQ(db.feedstuffs.front().libelle[kFra], "Bl\xE9 tendre");
}

TEST_F(ShippedData, ValueRulesCatchBadEdits)
{
    ValueRecord& lysine = Record(1, "LYS");
    *lysine.mean[kTDIG_V] += 0.1;
    ExpectCaught("TDIG_V");
    *lysine.mean[kDIG_A] = *lysine.mean[kDIG_V] + 1;
    ExpectCaught("above DIG_V");
    *lysine.mean[kTB16G] += 0.05;
    ExpectCaught("TB16G");
    *lysine.deviation[kDIG_V] = 0;
    ExpectCaught("must be positive");
    lysine.nbVal = 0;
    ExpectCaught("NB_VAL");
    Record(1, "DM").mean[kDIG_V] = 80.0;
    ExpectCaught("given for a nutrient that does not carry it");
    Record(2, "THR").mean[kTB16G].reset();
    ExpectCaught("needs both");
    Record(3, "DM").mean[kTB] = 870.0; // g/kg where % as fed belongs
    ExpectCaught("TB 870.00 is above 100 % as fed");
}

TEST_F(ShippedData, SumsAndProportionsAreChecked)
{
    *Record(3, "MC").mean[kTB] += 0.2;
    ExpectCaught("MC is not MET + CYS");
    *Record(4, "GLU").mean[kTB] += 4; // more amino acids than protein
    ExpectCaught("amino acids add up");
    *Record(5, "STA").mean[kTB] = 90;
    ExpectCaught("exceed the dry matter");
    *Record(1, "CF").mean[kTB] = 20; // crude fibre above ADF
    ExpectCaught("CF <= ADF <= NDF");
}

TEST_F(ShippedData, FreeAminoAcidsHoldTheirOwnAminoAcidOnly)
{
    // L-lysine HCl (50): 78.8 % lysine, more than its crude protein, fully digestible.
    const ValueRecord& lysine = Record(50, "LYS");
    EXPECT_DOUBLE_EQ(*lysine.mean[kTB], 78.8);
    EXPECT_GT(*lysine.mean[kTB16G], 80.0);
    EXPECT_DOUBLE_EQ(*lysine.mean[kDIG_V], 100.0);
    // DL-methionine (52) has no cystine, so methionine + cystine is its methionine.
    EXPECT_DOUBLE_EQ(*Record(52, "MC").mean[kTB], *Record(52, "MET").mean[kTB]);

    // A second amino acid makes it an ordinary feedstuff, which must then have them all.
    ValueRecord threonine = Record(53, "THR");
    threonine.matiere = 50;
    db.values.push_back(threonine);
    ExpectCaught("no value record for nutrient MET");
    db.values.pop_back();
    // Its one amino acid still fits in its dry matter.
    *Record(54, "TRP").mean[kTB] = 99.9;
    *Record(54, "TRP").mean[kTDIG_V] = 99.9;
    ExpectCaught("exceeds the dry matter");
}

TEST_F(ShippedData, CompletenessAndUniqueness)
{
    auto lysine = std::find_if(db.values.begin(), db.values.end(),
                               [](const ValueRecord& v) { return v.matiere == 7 && v.nutri == "LYS"; });
    ValueRecord copy = *lysine;
    db.values.erase(lysine);
    ExpectCaught("no value record for nutrient LYS");
    db.values.push_back(copy);
    db.values.push_back(copy);
    ExpectCaught("given twice");
    copy.matiere = 4321;
    db.values.push_back(copy);
    ExpectCaught("unknown feedstuff 4321");
    db.feedstuffs.resize(59);
    ExpectCaught("at least 60 feedstuffs");
}

TEST_F(ShippedData, NutrientAndGeneralRulesCatchBadEdits)
{
    NutrientOf("DM").carries[kDIG_A] = true;
    ExpectCaught("support flags");
    NutrientOf("CP").carries[kTB16G] = true;
    ExpectCaught("support flags");
    NutrientOf("LYS").longName[kEng] = std::string(36, 'x');
    ExpectCaught("longer than 35");
    db.feedstuffs[3].court[kFra] = std::string(21, 'x');
    ExpectCaught("longer than 20");
    db.general.nutri = "XX";
    ExpectCaught("permanent nutrient XX is missing");
    db.general.titre[kEng] = "Lysora";
    ExpectCaught("not for formulation");
    // A character that scrambles to a blank would be trimmed away before unscrambling.
    db.general.copy[kFra] += char(kScrambleKey ^ 0x20);
    ExpectCaught("scrambles to a blank");
    db.general.ordre2 = db.general.ordre1;
    ExpectCaught("ORDRE1 < ORDRE2");
}

class BrokenSources : public test::ProgramDirFixture {
protected:
    void SetUp() override
    {
        test::ProgramDirFixture::SetUp();
        for (const char* file : {"general.txt", "nutrients.txt", "feedstuffs.txt", "values.txt"})
            std::filesystem::copy_file(kSources + "/" + file, dir_ / file);
    }
    void Replace(const std::string& file, const std::string& from, const std::string& to)
    {
        std::string text = test::ReadFile(PathOf(file));
        std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        test::WriteFile(PathOf(file), text);
    }
    std::vector<std::string> Load()
    {
        SampleDatabase db;
        return LoadSources(dir_.string(), db);
    }
};

TEST_F(BrokenSources, ReadingReportsFileAndLine)
{
    EXPECT_TRUE(Load().empty());
    Replace("values.txt", " 11.50;", " 11.505;");
    Replace("nutrients.txt", "LYS  ;   10; O;", "LYS  ;   10; X;");
    Replace("feedstuffs.txt", "COURT ENG = Wheat\n", "");
    Replace("general.txt", "ORDRE1 = 100", "ORDRE1 = cent");
    std::vector<std::string> problems = Load();
    EXPECT_TRUE(Mentions(problems, "values.txt:")) << Joined(problems);
    EXPECT_TRUE(Mentions(problems, "TB is not a number with at most 2 decimals: 11.505"));
    EXPECT_TRUE(Mentions(problems, "TB must be O or N"));
    EXPECT_TRUE(Mentions(problems, "COURT ENG missing"));
    EXPECT_TRUE(Mentions(problems, "general.txt:7: ORDRE1 is not a whole number")) << Joined(problems);
}

TEST_F(BrokenSources, TextsMustConvertToWindows1252AndColumnsStayInOrder)
{
    Replace("feedstuffs.txt", "Bl\xC3\xA9 tendre", "Bl\xC3 tendre");   // cut UTF-8 sequence
    Replace("feedstuffs.txt", "Soft wheat", "Soft wheat \xE2\x86\x92"); // an arrow: not in the code page
    Replace("values.txt", "MATIERE;NUTRI;NB_VAL", "NUTRI;MATIERE;NB_VAL");
    std::vector<std::string> problems = Load();
    EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                            [](auto& p) { return p.find("not UTF-8 or not Windows-1252") != std::string::npos; }),
              2)
        << Joined(problems);
    EXPECT_TRUE(Mentions(problems, "values.txt:3: the header row must name the columns in order"));
    std::filesystem::remove(PathOf("general.txt"));
    EXPECT_TRUE(Mentions(Load(), "general.txt:0: cannot be read"));
}

} // namespace
} // namespace lysora::tables
