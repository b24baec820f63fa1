// A form over a table: fields loaded from the selection's record, validated, stored and
// committed by OK; a table-code control that finds its codes in another table.
#include "data/domain_text.h"
#include "framework/dlg.h"
#include "framework/table_data.h"
#include "tests/framework/nutri_tables.h"

namespace lysora::testing {
namespace {

class TableDialog : public NutriTables {
protected:
    void SetUp() override
    {
        NutriTables::SetUp();
        OpenNutrients();
    }
};

TEST_F(TableDialog, OkStoresTheFieldsIntoTheRecordAndCommits)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("LYS "));
    ASSERT_TRUE(selection.LOCK());
    SelectionData data(selection);
    DLG form(nullptr, GKT_DIALOG, "Nutriments  -  Modification");
    form.CENTER(500, 200);
    form.DATA(&data).DATALBLFLDLN({S("CODE"), S("NOM"), S("ORDRE")}).CMDOKCANCEL();
    form.LOAD();
    form.SHOW();
    EXPECT_EQ(form.FLD(S("NOM"))->GETTEXT(), "Lysine");
    EXPECT_EQ(form.FLD(S("ORDRE"))->GETTEXT(), "2");

    SetWindowTextA(form.FLD(S("ORDRE"))->HANDLE(), "1234"); // 3 digits at most
    EXPECT_FALSE(form.OK());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Valeur trop grande");
    SetWindowTextA(form.FLD(S("NOM"))->HANDLE(), "Lysine totale");
    SetWindowTextA(form.FLD(S("ORDRE"))->HANDLE(), "7");
    EXPECT_TRUE(form.OK());
    EXPECT_FALSE(form.Exists());
    selection.UNLOCK();

    DBSEL reader(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(reader.SEEK("LYS "));
    EXPECT_EQ(AllTrim(reader.Get(S("NOM")).Text()), "Lysine totale");
    EXPECT_EQ(reader.Get(S("ORDRE")), Value(7));
}

TEST_F(TableDialog, TableCodeControlFindsItsCodesInTheTable)
{
    DLG dialog(nullptr, GKT_DIALOG, "Code");
    dialog.CENTER(500, 150);
    dialog.LBL(Symbol(), "Nutriment :")
        .FLD(S("NUTRI"), std::make_unique<CTL_TBL>(&dialog, 4, S("NUTRI"), S("CODE"),
                                                   std::vector<Symbol>{S("CODE"), S("NOM")}));
    dialog.SHOW();
    auto& code = static_cast<CTL_TBL&>(*dialog.FLD(S("NUTRI")));
    SetWindowTextA(code.HANDLE(), "met");
    EXPECT_EQ(code.VALIDATE(), "Non trouvé") << "codes are sought as typed";
    SetWindowTextA(code.HANDLE(), "MET");
    EXPECT_EQ(code.VALIDATE(), "");
    EXPECT_EQ(code.Description(), "Méthionine");
    EXPECT_EQ(code.GET(), Value("MET"));
}

} // namespace
} // namespace lysora::testing
