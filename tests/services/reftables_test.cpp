// The reference table declarations and the data loaded from them at start, on small tables
// written for each test.
#include "services/reftables.h"

#include "data/domain_cartbl.h"
#include "framework/control_plan.h"
#include "services/strings.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_writer.h"

namespace lysora {
namespace {

struct NutrientRow {
    const char* code;
    const char* court;
    int ordre;
    const char* flags = "OOOOO"; // TB, TB16G, DIG_A, DIG_V, TDIG_V
};

class RefTablesTest : public test::ProgramDirFixture {
protected:
    void SetUp() override
    {
        test::ProgramDirFixture::SetUp();
        CHOISIRLANGUE(kFrench);
    }
    void TearDown() override
    {
        general_.reset();
        nutrients_.reset();
        CHOISIRLANGUE(kEnglish);
        test::ProgramDirFixture::TearDown();
    }

    void Open(DBF& table)
    {
        std::string error;
        ASSERT_TRUE(tables::CreateTable(table, dir_.string(), error)) << error;
        ASSERT_TRUE(table.OPEN(true, false, dir_.string()));
        I_AREADBF.Set(table.AREA(), &table); // as the database does for the tables it opens
    }
    // The general table, empty when no title is given; texts are stored scrambled.
    void MakeGeneral(std::optional<std::string> titre, int ordre1 = 100, int ordre2 = 200, std::string nutri = "CP")
    {
        general_ = std::make_unique<DBF_GENERAL>();
        Open(*general_);
        if (!titre)
            return;
        ASSERT_TRUE(general_->INSERT());
        general_->Put(Symbol("TITREFRA"), "  " + CRYPTER(*titre + " (fr)"));
        general_->Put(Symbol("TITREENG"), CRYPTER(*titre + " (en)"));
        general_->Put(Symbol("COPYFRA"), CRYPTER("© exemple"));
        general_->Put(Symbol("COPYENG"), CRYPTER("© sample"));
        general_->Put(Symbol("ORDRE1"), ordre1);
        general_->Put(Symbol("ORDRE2"), ordre2);
        general_->Put(Symbol("NUTRI"), CRYPTER(nutri));
    }
    void MakeNutrients(const std::vector<NutrientRow>& rows)
    {
        nutrients_ = std::make_unique<DBF_NUTRI>();
        Open(*nutrients_);
        for (const NutrientRow& row : rows) {
            ASSERT_TRUE(nutrients_->INSERT());
            nutrients_->Put(Symbol("NUTRI"), row.code);
            nutrients_->Put(Symbol("COURT"), row.court);
            nutrients_->Put(Symbol("ORDRE"), row.ordre);
            const char* types[] = {"TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V"};
            for (int t = 0; t < 5; ++t)
                nutrients_->Put(Symbol(types[t]), std::string(1, row.flags[t]));
        }
    }
    void ExpectGeneralError(const std::string& text)
    {
        EXPECT_FALSE(LOADGENERAL());
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(messages_.shown[0].text, text);
        EXPECT_EQ(messages_.shown[0].caption, "Erreur");
        EXPECT_EQ(messages_.shown[0].style, 0x10u); // MB_ICONHAND
    }

    test::MessageRecorder messages_;
    std::unique_ptr<DBF_GENERAL> general_;
    std::unique_ptr<DBF_NUTRI> nutrients_;
};

TEST_F(RefTablesTest, EmptyGeneralTable)
{
    MakeGeneral(std::nullopt);
    ExpectGeneralError("Table générale non renseignée; utilisez l'outil d'administration");
}

TEST_F(RefTablesTest, GeneralTableWithoutPermanentNutrient)
{
    MakeGeneral("Lysora", 100, 200, "");
    ExpectGeneralError("Nutriment global non renseigné; utilisez l'outil d'administration");
}

TEST_F(RefTablesTest, GeneralTableWithoutFirstBound)
{
    MakeGeneral("Lysora", 0, 0);
    ExpectGeneralError("Ordre1 non renseigné; utilisez l'outil d'administration");
}

TEST_F(RefTablesTest, GeneralTableWithoutSecondBound)
{
    MakeGeneral("Lysora", 100, 0);
    ExpectGeneralError("Ordre2 non renseigné; utilisez l'outil d'administration");
}

TEST_F(RefTablesTest, GeneralDataIsTrimmedUnscrambledAndFollowsTheLanguage)
{
    MakeGeneral("Lysora", 100, 200, "CP");
    ASSERT_TRUE(LOADGENERAL());
    EXPECT_TRUE(messages_.shown.empty());
    const DonneesGenerales& data = DONNEESGENERALES();
    EXPECT_EQ(data.titre, "Lysora (fr)");
    EXPECT_EQ(data.copyright, "\xA9 exemple");
    EXPECT_EQ(data.ordre1, 100);
    EXPECT_EQ(data.ordre2, 200);
    EXPECT_EQ(data.nutriPermanent, "CP");
    CHOISIRLANGUE(kEnglish);
    ASSERT_TRUE(LOADGENERAL());
    EXPECT_EQ(data.titre, "Lysora (en)");
    EXPECT_EQ(data.copyright, "\xA9 sample");
}

TEST_F(RefTablesTest, GroupsSplitAtTheBoundsWithThePermanentNutrientFirstAndOnce)
{
    MakeGeneral("Lysora", 100, 200, "CP");
    MakeNutrients({{"ALA", "Ala", 100}, {"LYS", "Lys", 10}, {"CP", "MAT", 150}, {"DM", "MS", 200},
                   {"TRP", "Trp", 99}, {"SER", "Ser", 199}, {"ASH", "MM", 999}});
    ASSERT_TRUE(LOADGENERAL());
    ASSERT_TRUE(LOADNUTRIMENTS());
    const DonneesGenerales& data = DONNEESGENERALES();
    using Codes = std::vector<std::string>;
    EXPECT_EQ(data.aae.codes, (Codes{"CP", "LYS", "TRP"}));
    EXPECT_EQ(data.aae.courts, (Codes{"MAT", "Lys", "Trp"}));
    EXPECT_EQ(data.aane.codes, (Codes{"CP", "ALA", "SER"}));
    EXPECT_EQ(data.ap.codes, (Codes{"CP", "DM", "ASH"}));
    EXPECT_EQ(data.ap.courts, (Codes{"MAT", "MS", "MM"}));
}

TEST_F(RefTablesTest, BoundsOutOfOrderLeaveTheNonEssentialGroupToThePermanentNutrient)
{
    MakeGeneral("Lysora", 150, 120, "CP");
    MakeNutrients({{"LYS", "Lys", 10}, {"CP", "MAT", 1}, {"ALA", "Ala", 130}, {"DM", "MS", 200}});
    ASSERT_TRUE(LOADGENERAL());
    ASSERT_TRUE(LOADNUTRIMENTS());
    const DonneesGenerales& data = DONNEESGENERALES();
    using Codes = std::vector<std::string>;
    EXPECT_EQ(data.aae.codes, (Codes{"CP", "LYS", "ALA"}));
    EXPECT_EQ(data.aane.codes, (Codes{"CP"}));
    EXPECT_EQ(data.ap.codes, (Codes{"CP", "DM"}));
}

TEST_F(RefTablesTest, UnknownPermanentNutrientHeadsTheGroupsWithAnEmptyShortName)
{
    MakeGeneral("Lysora", 100, 200, "XX");
    MakeNutrients({{"LYS", "Lys", 10}});
    ASSERT_TRUE(LOADGENERAL());
    ASSERT_TRUE(LOADNUTRIMENTS());
    EXPECT_EQ(DONNEESGENERALES().aae.codes, (std::vector<std::string>{"XX", "LYS"}));
    EXPECT_EQ(DONNEESGENERALES().aae.courts, (std::vector<std::string>{"", "Lys"}));
    EXPECT_EQ(DONNEESGENERALES().ap.courts, (std::vector<std::string>{""}));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(RefTablesTest, SupportedValuesFollowTheFlagsOfTheirType)
{
    MakeNutrients({{"CP", "MAT", 1, "ONOON"}});
    DBSEL nutrient{AreaRef(TABLENUTRI())};
    nutrient.GOTOP();
    ASSERT_FALSE(nutrient.Eof());
    std::vector<bool> supported;
    for (int entry = 0; entry <= 12; ++entry)
        supported.push_back(VALEURSUPPORTEE(nutrient, entry));
    // entries: -, TB, E_TB, TB16G, E_TB16G, DIG_A, E_DIG_A, DIG_V, E_DIG_V, TDIG_V, E_TDIG_V, NB_VAL, -
    EXPECT_EQ(supported, (std::vector<bool>{false, true, true, false, false, true, true, true, true, false, false,
                                             true, false}));
}

TEST_F(RefTablesTest, DatabaseHoldsTheFourTablesOfTheLanguage)
{
    DATABASE& database = I_DATABASE();
    EXPECT_EQ(BASEPROGRAMME(), &database);
    ASSERT_EQ(database.AOBJ().size(), 4u);
    std::vector<std::string> files;
    for (auto& table : database.AOBJ())
        files.push_back(table->FILENAME());
    EXPECT_EQ(files, (std::vector<std::string>{"matFRA", "nutFRA", "valeurs", "general"}));
    CHOISIRLANGUE(kEnglish);
    EXPECT_EQ(I_DATABASE().AOBJ()[0]->FILENAME(), "matENG");
    EXPECT_EQ(BASEPROGRAMME()->AOBJ()[1]->FILENAME(), "nutENG");
    EXPECT_EQ(BASEPROGRAMME()->AOBJ()[2]->FILENAME(), "valeurs");
}

// Field name, type letter, width, decimals and text of every declared field, and the orders.
std::string Layout(const DBF& table)
{
    std::string text = table.TXT() + ":";
    for (std::size_t i = 0; i < table.FLDSYM().size(); ++i) {
        const DOM& dom = *table.FLDOBJ()[i];
        text += " " + table.FLDSYM()[i].Name() + " " + dom.TYP() + std::to_string(dom.LEN()) + "." +
                std::to_string(dom.DEC()) + (dom.NOTNULL() ? "!" : "") + " \"" + table.FLDTXT()[i] + "\"";
    }
    for (std::size_t i = 0; i < table.AORDSYM().size(); ++i)
        text += " | " + table.AORDSYM()[i].Name() + " " + table.AORDKEY()[i];
    return text;
}

TEST_F(RefTablesTest, DeclarationsGiveFieldsDomainsCaptionsAndOrders)
{
    EXPECT_EQ(Layout(DBF_MAT()), "Matiere première: MATIERE N4.0 \"Code\" LIBELLE C100.0! \"Libellé\" COURT C20.0! "
                                 "\"Libellé court\" DEFINITION C600.0! \"Définition\" | MATIERE str(MATIERE,4,0) | "
                                 "LIBELLE LIBELLE");
    EXPECT_EQ(Layout(DBF_NUTRI()),
              "Nutriment: NUTRI C5.0! \"Code\" COURT C5.0! \"Nom court\" LONG C35.0! \"Nom long\" ORDRE N3.0 "
              "\"Ordre\" TB C1.0 \"Gestion teneur brute\" TB16G C1.0 \"Gestion teneur brute en g/16g N\" DIG_A C1.0 "
              "\"Gestion digestibilité apparente\" DIG_V C1.0 \"Gestion digestibilité standardisée\" TDIG_V C1.0 "
              "\"Gestion teneur digestible standardisée\" | NUTRI NUTRI | ORDRE str(ORDRE,3,0)");
    EXPECT_EQ(Layout(DBF_VAL()),
              "Valeurs: MATIERE N4.0 \"Matière première\" NUTRI C5.0! \"Nutriment\" NB_VAL N3.0 \"Nombre de valeurs\" "
              "TB N6.2 \"Teneur brute\" TB16G N6.2 \"Teneur brute en g/16g N\" DIG_A N6.2 \"Digestibilité "
              "apparente\" DIG_V N6.2 \"Digestibilité standardisée\" TDIG_V N6.2 \"Teneur digestible standardisée\" "
              "E_TB N6.2 \"Ecart-type teneur brute\" E_TB16G N6.2 \"Ecart-type teneur brute en g/16g N\" E_DIG_A N6.2 "
              "\"Ecart-type digestibilité apparente\" E_DIG_V N6.2 \"Ecart-type digestibilité standardisée\" "
              "E_TDIG_V N6.2 \"Ecart-type teneur digestible standardisée\" | MAT_NUTRI str(MATIERE,4,0)+NUTRI");
    EXPECT_EQ(Layout(DBF_GENERAL()),
              "General: TITREFRA C100.0 \"Titre français du logiciel\" TITREENG C100.0 \"Titre anglais du logiciel\" "
              "COPYFRA C200.0 \"Copyright français\" COPYENG C200.0 \"Copyright anglais\" ORDRE1 N3.0 \"Premier "
              "numéro d'ordre\" ORDRE2 N3.0 \"Second numéro d'ordre\" NUTRI C5.0! \"Nutriment permanent\"");
    // The values table's nutrient is chosen from the nutrient table of the language, in a
    // drop-down list 200 wide.
    DBF_VAL values;
    auto* nutrient = dynamic_cast<DOM_CARTBL*>(values.FLDOBJ(Symbol("NUTRI")));
    ASSERT_NE(nutrient, nullptr);
    EXPECT_EQ(PlanControl(*nutrient).width, 200);
}

TEST(Crypter, ScramblesEveryByteAndUndoesItself)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += char(c);
    std::string scrambled = CRYPTER(all);
    ASSERT_EQ(scrambled.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_NE(scrambled[i], all[i]) << "byte " << i << " left as it was";
    EXPECT_EQ(CRYPTER(scrambled), all);
    EXPECT_EQ(DECRYPTER(scrambled), all);
    EXPECT_EQ(CRYPTER(""), "");
    std::string title = "Lysora – données d'illustration";
    EXPECT_EQ(DECRYPTER(CRYPTER(title)), title);
}

} // namespace
} // namespace lysora
