// The reference tables the build writes beside the programs: they open with the program's
// own declarations in both languages, load at start, and hold exactly the text sources.
#include "services/reftables.h"

#include "data/engine/engine.h"
#include "services/strings.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_sources.h"

#include <cmath>

namespace lysora {
namespace {

std::string Trimmed(const Value& value)
{
    std::string text = value.Text();
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

class ShippedTables : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tables::LoadSources(LYSORA_TABLES_DIR, sources).empty()); }
    void TearDown() override
    {
        if (BASEPROGRAMME())
            BASEPROGRAMME()->CLOSE();
        CHOISIRLANGUE(kEnglish);
    }
    // Opens the program's database on the shipped tables, read-only, in language.
    bool OpenIn(std::string_view language)
    {
        CHOISIRLANGUE(language);
        DATABASE& database = I_DATABASE();
        database.DIRECTORY(PROGRAMDIR());
        return database.OPEN(true, true);
    }
    tables::SampleDatabase sources;
    test::MessageRecorder messages;
};

TEST_F(ShippedTables, EveryFileIsADbaseTableWithTheWindowsCodePage)
{
    for (const char* table : {"matFRA", "matENG", "nutFRA", "nutENG", "valeurs", "general"}) {
        std::string head = engine::ReadFileHead(PROGRAMDIR() + table + ".dbf", 32);
        ASSERT_EQ(head.size(), 32u) << table;
        EXPECT_EQ(head[0], '\x03') << table;
        EXPECT_EQ(head[29], '\x03') << table;
    }
    for (const char* index : {"matFRA", "matENG", "nutFRA", "nutENG", "valeurs"})
        EXPECT_FALSE(engine::ReadFileHead(PROGRAMDIR() + index + ".cdx", 16).empty()) << index;
}

TEST_F(ShippedTables, GeneralTextsAreStoredScrambled)
{
    std::string file = test::ReadFile(PROGRAMDIR() + "general.dbf");
    for (const std::string* text : {&sources.general.titre[tables::kFra], &sources.general.titre[tables::kEng],
                                    &sources.general.copy[tables::kFra], &sources.general.copy[tables::kEng]}) {
        EXPECT_EQ(file.find(*text), std::string::npos) << *text;
        EXPECT_NE(file.find(CRYPTER(*text)), std::string::npos) << *text;
    }
}

TEST_F(ShippedTables, StartUpDataLoadsInBothLanguages)
{
    for (tables::Language language : {tables::kFra, tables::kEng}) {
        ASSERT_TRUE(OpenIn(language == tables::kFra ? kFrench : kEnglish));
        ASSERT_TRUE(LOADGENERAL());
        ASSERT_TRUE(LOADNUTRIMENTS());
        const DonneesGenerales& data = DONNEESGENERALES();
        EXPECT_EQ(data.titre, sources.general.titre[language]);
        EXPECT_EQ(data.copyright, sources.general.copy[language]);
        EXPECT_EQ(data.nutriPermanent, "CP");
        // The groups hold every nutrient once, in display order, after crude protein.
        std::vector<const tables::Nutrient*> ordered;
        for (const tables::Nutrient& n : sources.nutrients)
            if (n.code != "CP")
                ordered.push_back(&n);
        std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->ordre < b->ordre; });
        std::vector<std::string> expected[3];
        for (auto& group : expected)
            group = {"CP"};
        for (const tables::Nutrient* n : ordered)
            expected[n->ordre < data.ordre1 ? 0 : n->ordre < data.ordre2 ? 1 : 2].push_back(n->code);
        EXPECT_EQ(data.aae.codes, expected[0]);
        EXPECT_EQ(data.aane.codes, expected[1]);
        EXPECT_EQ(data.ap.codes, expected[2]);
        EXPECT_EQ(data.aae.courts.front(), language == tables::kFra ? "MAT" : "CP");
        BASEPROGRAMME()->CLOSE();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ShippedTables, FeedstuffTablesHoldTheNamesAndDefinitionsOfTheirLanguage)
{
    for (tables::Language language : {tables::kFra, tables::kEng}) {
        ASSERT_TRUE(OpenIn(language == tables::kFra ? kFrench : kEnglish));
        DBSEL feedstuffs(AreaRef(TABLEMAT()), Symbol("MATIERE"));
        const DOM& code = *feedstuffs.FLDOBJ(Symbol("MATIERE"));
        for (const tables::Feedstuff& f : sources.feedstuffs) {
            ASSERT_TRUE(feedstuffs.SEEK(code.ORDVAL(f.code))) << f.code;
            EXPECT_EQ(Trimmed(feedstuffs.Get(Symbol("LIBELLE"))), f.libelle[language]);
            EXPECT_EQ(Trimmed(feedstuffs.Get(Symbol("COURT"))), f.court[language]);
            EXPECT_EQ(Trimmed(feedstuffs.Get(Symbol("DEFINITION"))), f.definition[language]);
        }
        BASEPROGRAMME()->CLOSE();
    }
}

TEST_F(ShippedTables, ValuesTableHoldsEverySourceRecord)
{
    ASSERT_TRUE(OpenIn(kFrench));
    DBSEL values(AreaRef("valeurs"), Symbol("MAT_NUTRI"));
    long count = 0;
    for (values.GOTOP(); !values.Eof(); values.SKIP(1))
        ++count;
    EXPECT_EQ(count, long(sources.values.size()));
    const DOM& code = *values.FLDOBJ(Symbol("MATIERE"));
    for (const tables::ValueRecord& v : sources.values) {
        std::string nutri = v.nutri;
        nutri.resize(5, ' ');
        ASSERT_TRUE(values.SEEK(code.ORDVAL(v.matiere) + nutri)) << v.matiere << " " << v.nutri;
        EXPECT_EQ(values.Get(Symbol("NB_VAL")).Number(), v.nbVal);
        for (int t = 0; t < tables::kValueTypes; ++t) {
            std::string type = tables::kValueTypeNames[t];
            // A value not given is stored blank and reads 0.
            EXPECT_NEAR(values.Get(Symbol(type)).Number(), v.mean[t].value_or(0), 1e-9) << type;
            EXPECT_NEAR(values.Get(Symbol("E_" + type)).Number(), v.deviation[t].value_or(0), 1e-9) << type;
        }
    }
}

} // namespace
} // namespace lysora
