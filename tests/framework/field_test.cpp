// Field controls over their domains: the control each domain gets and its width, the
// conversions and messages of EDIT_NUM, EDIT_DAT and EDIT_CARNUM, mandatory fields, lists,
// check box, colour box and the table-code control.
#include "gui_fixture.h"
#include "tests/support/shown_pixel.h"

#include "data/domain_text.h"

#include <map>
#include <typeinfo>

namespace lysora::testing {
namespace {

class FieldTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        dialog.CENTER(600, 400);
    }
    // A field of that domain on the dialog, its window created.
    lysora::FLD& Field(const char* sym, DomPtr dom)
    {
        dialog.LN().FLD(Symbol(sym), std::move(dom));
        dialog.SHOW();
        return *static_cast<lysora::FLD*>(dialog.FLD(Symbol(sym)));
    }
    // Types text into the field and validates it.
    static std::string Typed(lysora::FLD& field, const char* text)
    {
        SetWindowTextA(field.HANDLE(), text);
        return field.VALIDATE();
    }
    DLG dialog{nullptr, GKT_DIALOG, "Champs"};
};

TEST_F(FieldTest, EachDomainGetsItsControlWithTheWidthRoundedAndCapped)
{
    struct Case {
        DomPtr dom;
        int width;
        bool (*isKind)(lysora::FLD*);
    };
    auto isEdit = [](lysora::FLD* f) { return typeid(*f) == typeid(EDIT); };
    auto isNum = [](lysora::FLD* f) { return dynamic_cast<EDIT_NUM*>(f) != nullptr; };
    auto isDat = [](lysora::FLD* f) { return dynamic_cast<EDIT_DAT*>(f) != nullptr; };
    auto isCarNum = [](lysora::FLD* f) { return dynamic_cast<EDIT_CARNUM*>(f) != nullptr; };
    auto isCombo = [](lysora::FLD* f) { return dynamic_cast<COMBO*>(f) != nullptr; };
    auto isBool = [](lysora::FLD* f) { return dynamic_cast<CTL_BOOL*>(f) != nullptr; };
    auto isColor = [](lysora::FLD* f) { return dynamic_cast<CTL_COLOR*>(f) != nullptr; };
    const Case cases[] = {
        {std::make_shared<DOM_CAR>(40), 300, isEdit},     // 410 capped
        {std::make_shared<DOM_CAR>(3), 40, isEdit},       // 40
        {std::make_shared<DOM_CAR>(2), 40, isEdit},       // 30 rounded up
        {std::make_shared<DOM_NUM>(5, 2), 60, isNum},     // 60
        {std::make_shared<DOM_DAT>(), 80, isDat},         // 80
        {std::make_shared<DOM>("L"), 60, isEdit},         // 50 rounded up
        {std::make_shared<DOM_CARNUM>(5, 1), 60, isCarNum}, // 5 x 7 + 10 = 45
        {std::make_shared<DOM_OUINON>(), 250, isCombo},   // at least 250 with texts
        {std::make_shared<DOM_BOOL>(), 20, isBool},
        {std::make_shared<DOM_COLOR>(12), 140, isColor},
    };
    for (const Case& c : cases) {
        std::unique_ptr<lysora::FLD> control = CONTROL(c.dom, &dialog);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(c.isKind(control.get())) << c.dom->TYP() << c.dom->LEN();
        EXPECT_EQ(control->Record()->req_w, c.width) << c.dom->TYP() << c.dom->LEN();
        EXPECT_EQ(control->Domain(), c.dom);
    }
    // Upper case and multi-line texts get their edit styles; a width given to FLD wins.
    EXPECT_TRUE(CONTROL(std::make_shared<DOM_UPPER>(5), &dialog)->Record()->style & ES_UPPERCASE);
    auto text = CONTROL(std::make_shared<DOM_TXT>(30), &dialog);
    EXPECT_TRUE(text->Record()->style & ES_MULTILINE);
    EXPECT_EQ(text->Record()->req_h, 48);
    dialog.FLD(Symbol("LARGE"), std::make_shared<DOM_CAR>(3), 222);
    EXPECT_EQ(dialog.FLD(Symbol("LARGE"))->Record()->req_w, 222);
}

TEST_F(FieldTest, NumberEditReportsTooLargeTooSmallAndMandatory)
{
    lysora::FLD& number = Field("TAUX", std::make_shared<DOM_NUM>(5, 2));
    EXPECT_EQ(Typed(number, "123.45"), "Valeur trop grande");
    EXPECT_EQ(Typed(number, "-123.4"), "Valeur trop petite");
    EXPECT_EQ(Typed(number, "12.5"), "");
    EXPECT_EQ(number.GET(), Value(12.5));
    EXPECT_EQ(Typed(number, ""), "") << "not mandatory: empty is valid";
    EXPECT_TRUE(number.GET().IsNil());
    number.SET(3);
    EXPECT_EQ(number.GETTEXT(), "3.00");

    lysora::FLD& mandatory = Field("POIDS", std::make_shared<DOM_NUM>(4, 0, true));
    EXPECT_EQ(Typed(mandatory, "  "), "Saisie obligatoire");
    EXPECT_TRUE(mandatory.GET().IsNil());
    EXPECT_EQ(SendMessageA(mandatory.HANDLE(), EM_GETLIMITTEXT, 0, 0), 4) << "typing stops at the length";
}

TEST_F(FieldTest, DateEditReadsTypedDigitsAndRewritesTheDate)
{
    lysora::FLD& date = Field("JOUR", std::make_shared<DOM_DAT>(true));
    EXPECT_EQ(Typed(date, "010203"), "");
    EXPECT_EQ(date.GETTEXT(), "01/02/03");
    EXPECT_EQ(date.GET(), Value(Date::FromYmd(1903, 2, 1)));
    EXPECT_EQ(Typed(date, "311302"), "Date incorrecte");
    EXPECT_EQ(date.GETTEXT(), "311302") << "a wrong text stays for the user to correct";
    EXPECT_EQ(Typed(date, "5/3/2024"), "");
    EXPECT_EQ(date.GETTEXT(), "05/03/24");
    EXPECT_EQ(date.GET(), Value(Date::FromYmd(2024, 3, 5)));
    EXPECT_EQ(Typed(date, ""), "Saisie obligatoire");
    date.SET(Date::FromYmd(1999, 12, 31));
    EXPECT_EQ(date.GETTEXT(), "31/12/99");
}

TEST_F(FieldTest, CharacterFieldsTrimAndRequireInput)
{
    lysora::FLD& name = Field("NOM", std::make_shared<DOM_CAR>(20, true));
    EXPECT_EQ(Typed(name, "   "), "Saisie obligatoire");
    EXPECT_EQ(Typed(name, "Maïs"), "");
    EXPECT_EQ(name.GET(), Value("Maïs"));
    name.SET(Value("  Orge  "));
    EXPECT_EQ(name.GETTEXT(), "Orge");
    name.SET(Value());
    EXPECT_EQ(name.GETTEXT(), "");

    lysora::FLD& rate = Field("TXT", std::make_shared<DOM_CARNUM>(5, 1));
    EXPECT_EQ(Typed(rate, " 12.34 "), "");
    EXPECT_EQ(rate.GET(), Value("12.3"));
    EXPECT_EQ(rate.GETTEXT(), "12.3");
    EXPECT_EQ(Typed(rate, "-"), "");
    EXPECT_EQ(Typed(rate, "123456"), "Valeur trop grande");
    rate.SET(7);
    EXPECT_EQ(rate.GETTEXT(), "7.0");
}

TEST_F(FieldTest, LogicalEditShowsOuiNonAndKeepsALogical)
{
    lysora::FLD& flag = Field("ACTIF", std::make_shared<DOM>("L", 1));
    flag.SET(true);
    EXPECT_EQ(flag.GETTEXT(), "Oui");
    EXPECT_EQ(flag.VALIDATE(), "");
    EXPECT_EQ(flag.GET(), Value(true));
    for (const char* yes : {"O", "Y", "oui"})
        EXPECT_EQ((Typed(flag, yes), flag.GET()), Value(true)) << yes;
    for (const char* no : {"Non", "N", "x"})
        EXPECT_EQ((Typed(flag, no), flag.GET()), Value(false)) << no;
}

TEST_F(FieldTest, ListsShowTextsAndKeepValues)
{
    auto dom = std::make_shared<DOM_CARLST>(1, true, std::vector<std::string>{"C", "T"},
                                            std::vector<std::string>{"Céréale", "Tourteau"});
    auto& list = static_cast<COMBO&>(Field("CAT", dom));
    EXPECT_EQ(list.VALIDATE(), "Saisie obligatoire") << "nothing chosen";
    list.SET(Value("T"));
    EXPECT_EQ(list.SelectedText(), "Tourteau");
    EXPECT_EQ(list.VALIDATE(), "");
    EXPECT_EQ(list.GET(), Value("T"));
    SendMessageA(list.HANDLE(), CB_SETCURSEL, 0, 0); // the user picks the first entry
    EXPECT_EQ(list.VALIDATE(), "");
    EXPECT_EQ(list.GET(), Value("C"));
    list.SET(Value("Céréale")); // a text is found too
    EXPECT_EQ(list.SelectedText(), "Céréale");
    list.SET(Value("X"));
    EXPECT_EQ(list.SelectedText(), "");
    EXPECT_EQ(SendMessageA(list.HANDLE(), CB_GETCOUNT, 0, 0), 2);
}

TEST_F(FieldTest, CheckBoxHoldsOOrN)
{
    lysora::FLD& flag = Field("ACTIF", std::make_shared<DOM_BOOL>());
    for (const char* yes : {"o", "O", "y", "Y", "t", "T"}) {
        flag.SET(Value(yes));
        EXPECT_EQ(flag.GET(), Value("O")) << yes;
        EXPECT_EQ(flag.GETTEXT(), "Y");
    }
    flag.SET(Value(""));
    EXPECT_EQ(flag.GET(), Value("N"));
    flag.SET(Value(true));
    EXPECT_EQ(flag.GET(), Value("O"));
    SendMessageA(flag.HANDLE(), WM_CHAR, 'n', 0); // the user unchecks it
    EXPECT_EQ(flag.GET(), Value("N"));
    EXPECT_EQ(flag.VALIDATE(), "");
}

TEST_F(FieldTest, ColourBoxHoldsItsColourText)
{
    lysora::FLD& colour = Field("COULEUR", std::make_shared<DOM_COLOR>(12));
    EXPECT_EQ(colour.GET(), Value("r0g0b0")) << "empty reads as black";
    colour.SET(Value("r255g0b0"));
    EXPECT_EQ(colour.GET(), Value("r255g0b0"));
    EXPECT_EQ(colour.VALIDATE(), "");
}

TEST_F(FieldTest, LoadAndFldsetRedrawTheCheckBoxAndColourBoxOfAnOpenDialog)
{
    RecordBuffer record;
    record.Declare(Symbol("ACTIF"), std::make_shared<DOM_BOOL>(), "Actif", Value("N"))
        .Declare(Symbol("COULEUR"), std::make_shared<DOM_COLOR>(12), "Couleur", Value("r255g0b0"));
    dialog.DATA(&record).DATALBLFLDLN({Symbol("ACTIF"), Symbol("COULEUR")});
    dialog.SHOW();
    dialog.LOAD();
    HWND flag = ElementWindow(dialog, "ACTIF");
    HWND colour = ElementWindow(dialog, "COULEUR");
    SetFocus(colour); // the check box unfocused, in the window colours
    Pump();
    // The tick passes through (w/2 - 5, h - 9) of the 20-pixel box; the swatch starts at (3, 3).
    ASSERT_EQ(ShownPixel(flag, 5, 11), GetSysColor(COLOR_WINDOW));
    ASSERT_EQ(ShownPixel(colour, 10, 8), RGB(255, 0, 0));

    record.Put(Symbol("ACTIF"), Value("O"));
    dialog.LOAD();
    dialog.FLDSET(Symbol("COULEUR"), Value("r0g0b255"));
    Pump();
    EXPECT_EQ(ShownPixel(flag, 5, 11), GetSysColor(COLOR_WINDOWTEXT)) << "the old tick is still shown";
    EXPECT_EQ(ShownPixel(colour, 10, 8), RGB(0, 0, 255)) << "the old colour is still shown";
}

class Codes : public CodeTable {
public:
    std::optional<std::string> Describe(std::string_view padded) override
    {
        ++lookups;
        auto found = names.find(std::string(padded));
        return found == names.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    std::map<std::string, std::string> names{{"BLE ", "Blé tendre"}, {"ORGE", "Orge"}};
    int lookups = 0;
};

TEST_F(FieldTest, TableCodeControlSeeksThePaddedCodeAndItsButtonBrowses)
{
    auto codes = std::make_shared<Codes>();
    dialog.XY(15, 15).LBL(Symbol(), "Quantité :").FLD(Symbol("QTE"), std::make_shared<DOM_NUM>(3, 0)).LN();
    dialog.FLD(Symbol("MAT"), std::make_unique<CTL_TBL>(&dialog, 4, codes, true));
    dialog.SHOW();
    auto& code = static_cast<CTL_TBL&>(*dialog.FLD(Symbol("MAT")));
    EXPECT_EQ(Typed(code, "BLE"), "");
    EXPECT_EQ(code.GET(), Value("BLE"));
    EXPECT_EQ(code.Description(), "Blé tendre");
    EXPECT_EQ(Typed(code, "MAIS"), "Non trouvé");
    EXPECT_EQ(code.Description(), "");
    EXPECT_EQ(Typed(code, ""), "Saisie obligatoire");
    code.SET(Value("ORGE"));
    EXPECT_EQ(code.GETTEXT(), "ORGE");
    EXPECT_EQ(code.Description(), "Orge");

    // The "..." button: the fields before it are checked first, then the browse opens.
    int browsed = 0;
    CTL_TBL::BrowseHook() = [&](CTL_TBL& control) { browsed += &control == &code; };
    SetWindowTextA(ElementWindow(dialog, "QTE"), "1000");
    SendMessageA(dialog.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("MAT").Id(), BN_CLICKED), 0);
    EXPECT_EQ(browsed, 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Valeur trop grande"});
    SetWindowTextA(ElementWindow(dialog, "QTE"), "100");
    SendMessageA(dialog.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("MAT").Id(), BN_CLICKED), 0);
    EXPECT_EQ(browsed, 1);
    CTL_TBL::BrowseHook() = nullptr;
}

} // namespace
} // namespace lysora::testing
