// Tables behind dialogs: a selection as a data object and a table as a code list, on real
// tables made with the engine.
#include "data/domain_text.h"
#include "framework/table_data.h"
#include "tests/framework/nutri_tables.h"

namespace lysora::testing {
namespace {

using TableData = NutriTables;

TEST_F(TableData, CodesAreSoughtPaddedAndDescribedByTheirTextField)
{
    TableCodes codes(S("NUTRI"), S("CODE"), S("CODE"), S("NOM"));
    EXPECT_EQ(codes.Describe("LYS "), std::nullopt) << "no table open yet";
    OpenNutrients();
    EXPECT_EQ(codes.Describe("LYS "), "Lysine");
    EXPECT_EQ(codes.Describe("MET "), "Méthionine");
    EXPECT_EQ(codes.Describe("VAL "), std::nullopt);
    EXPECT_EQ(codes.Describe("LY  "), std::nullopt) << "an exact seek, not a prefix";
    TableCodes byOrder(S("NUTRI"), S("CODE"), S("CODE"), S("ORDRE"));
    EXPECT_EQ(byOrder.Describe("MET "), "1") << "a number described with its domain";
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(TableData, ASelectionServesItsRecordFieldsDomainsCaptionsAndCommit)
{
    OpenNutrients();
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("MET "));
    SelectionData data(selection);
    EXPECT_TRUE(data.Has(S("NOM")));
    EXPECT_FALSE(data.Has(S("PRIX")));
    EXPECT_EQ(data.FLDOBJ(S("PRIX")), nullptr);
    ASSERT_NE(data.FLDOBJ(S("CODE")), nullptr);
    EXPECT_NE(dynamic_cast<DOM_UPPER*>(data.FLDOBJ(S("CODE")).get()), nullptr);
    EXPECT_EQ(data.FLDTXT(S("ORDRE")), "Ordre");
    EXPECT_EQ(AllTrim(data.Get(S("NOM")).Text()), "Méthionine");

    ASSERT_TRUE(selection.LOCK());
    EXPECT_TRUE(data.Put(S("NOM"), Value("Méthionine totale")));
    EXPECT_TRUE(data.HasCommit());
    EXPECT_TRUE(data.COMMIT());
    selection.UNLOCK();
    DBSEL reader(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(reader.SEEK("MET "));
    EXPECT_EQ(AllTrim(reader.Get(S("NOM")).Text()), "Méthionine totale");
}

} // namespace
} // namespace lysora::testing
