// DOM_CARTBL: the list of values and texts read from a table in an order.
#include "data/domain_cartbl.h"
#include "tests/data/data_fixture.h"

namespace lysora::testing {
namespace {

using TableLists = DataTest;

TEST_F(TableLists, ReadInOrderWhenFirstNeededAndOnRefresh)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    CreateTable(*nutri, {{"LYS", "Lysine", 2}, {"MET", "Méthionine", 1}});
    DOM_CARTBL domain(4, true, S("NUTRI"), S("ORDRE"), S("CODE"), S("NOM"));
    EXPECT_FALSE(domain.LOAD()) << "the table is not open yet";
    EXPECT_TRUE(domain.Values().empty());

    DATABASE db;
    db.ADD(nutri);
    db.DIRECTORY(Directory());
    ASSERT_TRUE(db.OPEN(true, false)) << messages.Texts();
    EXPECT_EQ(domain.STR(Value("LYS ")), "Lysine");
    EXPECT_EQ(domain.Values(), (std::vector<std::string>{"MET", "LYS"}));
    EXPECT_EQ(domain.Texts(), (std::vector<std::string>{"Méthionine", "Lysine"}));
    EXPECT_EQ(domain.VAL("Méthionine").Text(), "MET");
    EXPECT_EQ(domain.VAL("Valine").Text(), "");
    EXPECT_EQ(domain.Error(), "Saisie obligatoire");

    DBSEL editor(nutri->AREA());
    ASSERT_TRUE(editor.INSERT(Value(ValueArray{Value("VAL"), Value("Valine"), Value(0)})));
    editor.UNLOCK();
    EXPECT_EQ(domain.VAL("Valine").Text(), "") << "lists stay as read until REFRESH";
    EXPECT_TRUE(domain.REFRESH());
    EXPECT_EQ(domain.VAL("Valine").Text(), "VAL");
    EXPECT_EQ(domain.Values().front(), "VAL");
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

} // namespace
} // namespace lysora::testing
