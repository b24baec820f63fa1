// Domains and the text side of the field controls: conversions, validation messages,
// index keys and control plans.
#include "data/domain.h"
#include "data/domain_text.h"
#include "framework/control_plan.h"
#include "framework/domain_edit.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

// Restores the program-wide settings a test changes.
struct Settings : ::testing::Test {
    void SetUp() override
    {
        SetDateEpoch(1970);
        SetDecimalSeparator('.');
    }
    void TearDown() override
    {
        SetDateEpoch(1900);
        SetDecimalSeparator('.');
    }
};

using Conversions = Settings;
using Domains = Settings;
using FieldControls = Settings;

TEST_F(Conversions, StrAlignsRoundsAndOverflowsToStars)
{
    EXPECT_EQ(Str(12.5, 6, 2), " 12.50");
    EXPECT_EQ(Str(2.675, 5, 2), " 2.68"); // the written decimal, not its binary neighbour
    EXPECT_EQ(Str(-2.5, 3, 0), " -3");    // halves away from zero
    EXPECT_EQ(Str(-0.001, 5, 2), " 0.00");
    EXPECT_EQ(Str(123.45, 5, 2), "*****");
    EXPECT_EQ(Str(99.999, 5, 2), "*****"); // rounds up to 100.00, six characters
    EXPECT_EQ(Str(7, 3), "  7");
}

TEST_F(Conversions, ValReadsTheLeadingNumberOnly)
{
    EXPECT_DOUBLE_EQ(Val("  12.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(Val("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
    EXPECT_DOUBLE_EQ(Val("12,5"), 12); // "," is no decimal point for Val itself

    SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(ValTyped("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(ValTyped("12.5"), 12.5); // "." still reads
}

TEST_F(Conversions, DatesUseDayMonthYearAndTheEpoch)
{
    EXPECT_EQ(CToD("01/02/03"), Date::FromYmd(2003, 2, 1));
    EXPECT_EQ(CToD("31/12/70"), Date::FromYmd(1970, 12, 31));
    EXPECT_EQ(CToD("1/1/69"), Date::FromYmd(2069, 1, 1));
    EXPECT_EQ(CToD("29/02/1996"), Date::FromYmd(1996, 2, 29));
    EXPECT_TRUE(CToD("29/02/97").IsEmpty());
    EXPECT_TRUE(CToD("31/13/02").IsEmpty());
    EXPECT_TRUE(CToD("01/02").IsEmpty());
    EXPECT_TRUE(CToD("01/02/03/04").IsEmpty());
    EXPECT_TRUE(CToD("  /  /  ").IsEmpty());
    EXPECT_EQ(DToC(Date::FromYmd(2003, 2, 1)), "01/02/03");
    EXPECT_EQ(DToC(Date{}), "");

    SetDateEpoch(1900);
    EXPECT_EQ(CToD("01/02/03"), Date::FromYmd(1903, 2, 1));
}

TEST_F(Domains, CharacterDomainsRequireInputWhenMandatory)
{
    DOM_CAR optional(10);
    DOM_CAR mandatory(10, true);
    EXPECT_EQ(optional.VAL("  ").Text(), "  ");
    EXPECT_EQ(optional.Error(), "");
    mandatory.VAL("  ");
    EXPECT_EQ(mandatory.Error(), "Saisie obligatoire");
    mandatory.VAL("Blé");
    EXPECT_EQ(mandatory.Error(), ""); // a later valid text clears the error
    EXPECT_EQ(mandatory.VALIDATE(Value("")), "Saisie obligatoire");
    EXPECT_EQ(mandatory.VALIDATE(Value("x")), "");
    EXPECT_EQ(optional.VALIDATE(Value()), "");
}

TEST_F(Domains, LogicalShowsOuiNonAndReadsItsOwnText)
{
    DOM logical("L");
    EXPECT_EQ(logical.STR(Value(true)), "Oui");
    EXPECT_EQ(logical.STR(Value(false)), "Non");
    EXPECT_TRUE(logical.VAL("Y").Logical());
    EXPECT_TRUE(logical.VAL("O").Logical());
    EXPECT_TRUE(logical.VAL(logical.STR(Value(true))).Logical());
    EXPECT_FALSE(logical.VAL("N").Logical());
    EXPECT_FALSE(logical.VAL("X").Logical());
    EXPECT_FALSE(logical.VAL("").Logical());
}

TEST_F(Domains, NumbersAndDatesConvertBothWays)
{
    DOM_NUM number(6, 2);
    EXPECT_EQ(number.STR(Value(3.14159)), "  3.14");
    SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(number.VAL("3,5").Number(), 3.5);
    EXPECT_EQ(number.Error(), "");

    DOM_DAT date;
    EXPECT_EQ(date.VAL("01/02/03").GetDate(), Date::FromYmd(2003, 2, 1));
    EXPECT_EQ(date.Error(), "");
    EXPECT_TRUE(date.VAL("32/01/03").GetDate().IsEmpty());
    EXPECT_EQ(date.Error(), "Date incorrecte");
    date.VAL("");
    EXPECT_EQ(date.Error(), ""); // an empty text is the empty date, not an error
    EXPECT_EQ(date.STR(Value()), "");
    EXPECT_EQ(date.STR(Value(Date{})), "");
    EXPECT_EQ(date.STR(Value(Date::FromYmd(1999, 12, 31))), "31/12/99");
    EXPECT_EQ(date.LEN(), 8);
}

TEST_F(Domains, OrderKeysAndKeyValuesMatch)
{
    EXPECT_EQ(DOM("L", 1).ORDKEY(Symbol("ACTIF")), "if(ACTIF,'Y','N' )");
    EXPECT_EQ(DOM_DAT().ORDKEY(Symbol("DATEMAJ")), "dtos(DATEMAJ)");
    EXPECT_EQ(DOM_NUM(8, 2).ORDKEY(Symbol("TB")), "str(TB,8,2)");
    EXPECT_EQ(DOM_CAR(40).ORDKEY(Symbol("LIBELLE")), "LIBELLE");

    EXPECT_EQ(DOM_NUM(8, 2).ORDVAL(Value(12.5)), "   12.50");
    EXPECT_EQ(DOM_DAT().ORDVAL(Value(Date::FromYmd(2003, 2, 1))), "20030201");
    EXPECT_EQ(DOM("L", 1).ORDVAL(Value(true)), "Y");
    EXPECT_EQ(DOM("L", 1).ORDVAL(Value(false)), "N");
    EXPECT_EQ(DOM_CAR(4).ORDVAL(Value("AB")), "AB");
}

TEST_F(Domains, ListsMapTextsToValuesExactly)
{
    DOM_CARLST list(2, true, {"AA", "BB"}, {"Premier", "Second"});
    EXPECT_EQ(list.VAL("Second").Text(), "BB");
    EXPECT_EQ(list.VAL("second").Text(), ""); // exact match only
    EXPECT_EQ(list.Error(), "Saisie obligatoire");
    EXPECT_EQ(list.STR(Value("AA")), "Premier");
    EXPECT_EQ(list.STR(Value("CC")), "");

    DOM_CARLST plain(2, false, {"AA", "BB"});
    EXPECT_EQ(plain.VAL("ZZ").Text(), "ZZ");
    EXPECT_EQ(plain.STR(Value("ZZ")), "ZZ");

    DOM_OUINON ouinon;
    EXPECT_EQ(ouinon.STR(Value("O")), "Oui");
    EXPECT_EQ(ouinon.VAL("Non").Text(), "N");
}

// The plan of a domain made for the check.
ControlSpec Plan(DOM&& dom) { return PlanControl(dom); }

TEST_F(Domains, ControlPlansFollowTheWidthRule)
{
    EXPECT_EQ(Plan(DOM_CAR(40)).width, 300); // 410 capped
    EXPECT_EQ(Plan(DOM_CAR(3)).width, 40);
    EXPECT_EQ(Plan(DOM_CAR(3)).nbcar, 3);
    EXPECT_EQ(Plan(DOM_CAR(3)).kind, ControlClass::EDIT);

    ControlSpec number = Plan(DOM_NUM(5, 2));
    EXPECT_EQ(number.kind, ControlClass::EDIT_NUM);
    EXPECT_EQ(number.width, 60);
    EXPECT_EQ(number.nbcar, 5);

    ControlSpec date = Plan(DOM_DAT());
    EXPECT_EQ(date.kind, ControlClass::EDIT_DAT);
    EXPECT_EQ(date.width, 80);
    EXPECT_EQ(date.nbcar, 10);

    ControlSpec logical = Plan(DOM("L", 1));
    EXPECT_EQ(logical.width, 60); // 50 rounded up
    EXPECT_EQ(logical.nbcar, 3);

    ControlSpec carnum = Plan(DOM_CARNUM(6, 1));
    EXPECT_EQ(carnum.kind, ControlClass::EDIT_CARNUM);
    EXPECT_EQ(carnum.width, 60); // 6 * 7 + 10 = 52
    EXPECT_EQ(carnum.len, 6);
    EXPECT_EQ(carnum.dec, 1);

    EXPECT_TRUE(Plan(DOM_UPPER(5)).upperCase);
    EXPECT_EQ(Plan(DOM_TXT(60)).height, 48);
    EXPECT_TRUE(Plan(DOM_TXT(60)).multiLine);
    EXPECT_EQ(Plan(DOM_BOOL()).kind, ControlClass::CTL_BOOL);
    EXPECT_EQ(Plan(DOM_COLOR(12)).kind, ControlClass::CTL_COLOR);

    EXPECT_EQ(Plan(DOM_CARLST(2, false, {"A"}, {"Texte"})).width, 250);
    EXPECT_EQ(Plan(DOM_CARLST(2, false, {"A"})).width, 40);
    EXPECT_EQ(Plan(DOM_CARLST(40, false, {"A"})).width, 300);
    EXPECT_EQ(Plan(DOM_CARLST(2, false, {"A"}, {"T"}, 123)).width, 123);
    EXPECT_EQ(Plan(DOM_CARLST(2, false, {"A"})).kind, ControlClass::COMBO);

    EXPECT_DOUBLE_EQ(DOM_CAR(9).PRINTCOLWIDTH(10), 60);
}

TEST_F(FieldControls, NumberEditChecksPresenceAndSize)
{
    DOM_NUM mandatory(5, 2, true);
    DOM_NUM optional(5, 2);
    EXPECT_EQ(CheckNumText(mandatory, " ").error, "Saisie obligatoire");
    FieldCheck empty = CheckNumText(optional, "");
    EXPECT_TRUE(empty.Valid());
    EXPECT_TRUE(empty.value.IsNil());

    EXPECT_EQ(CheckNumText(optional, "123.45").error, "Valeur trop grande");
    EXPECT_EQ(CheckNumText(optional, "-123.4").error, "Valeur trop petite");
    FieldCheck fits = CheckNumText(optional, "12.5");
    EXPECT_TRUE(fits.Valid());
    EXPECT_DOUBLE_EQ(fits.value.Number(), 12.5);

    SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(CheckNumText(optional, "1,25").value.Number(), 1.25);
    EXPECT_EQ(ShowNumValue(optional, Value(1.5)), "1.50");
    EXPECT_EQ(ShowNumValue(optional, Value()), "");
}

TEST_F(FieldControls, DateEditReadsDigitsAndRewritesTheText)
{
    DOM_DAT optional;
    DOM_DAT mandatory(true);
    FieldCheck digits = CheckDateText(optional, "010203");
    EXPECT_TRUE(digits.Valid());
    EXPECT_EQ(digits.value.GetDate(), Date::FromYmd(2003, 2, 1));
    EXPECT_EQ(digits.text, "01/02/03");

    EXPECT_EQ(CheckDateText(optional, "311302").error, "Date incorrecte");
    EXPECT_EQ(CheckDateText(optional, "0102").error, "Date incorrecte");

    FieldCheck slashes = CheckDateText(optional, "1/2/3");
    EXPECT_EQ(slashes.value.GetDate(), Date::FromYmd(2003, 2, 1));
    EXPECT_EQ(slashes.text, "01/02/03");

    FieldCheck longYear = CheckDateText(optional, "01021999");
    EXPECT_EQ(longYear.value.GetDate(), Date::FromYmd(1999, 2, 1));

    EXPECT_EQ(CheckDateText(mandatory, "").error, "Saisie obligatoire");
    FieldCheck empty = CheckDateText(optional, "  /  /  ");
    EXPECT_TRUE(empty.Valid());
    EXPECT_TRUE(empty.value.GetDate().IsEmpty());

    EXPECT_EQ(ShowDateValue(Value(Date::FromYmd(2003, 2, 1))), "01/02/03");
    EXPECT_EQ(ShowDateValue(Value()), "");
}

TEST_F(FieldControls, CarNumEditNormalisesNumbersKeptAsText)
{
    FieldCheck plain = CheckCarNumText(6, 1, " 12.34 ");
    EXPECT_TRUE(plain.Valid());
    EXPECT_EQ(plain.value.Text(), "12.3");
    EXPECT_EQ(plain.text, "12.3");
    EXPECT_EQ(CheckCarNumText(6, 1, "-").value.Text(), "-");
    EXPECT_EQ(CheckCarNumText(6, 1, "  ").value.Text(), "");
    EXPECT_EQ(CheckCarNumText(4, 1, "1234").error, "Valeur trop grande");

    EXPECT_EQ(ShowCarNumValue(6, 1, Value("7")), "7.0");
    EXPECT_EQ(ShowCarNumValue(6, 1, Value(2.25)), "2.3");
    EXPECT_EQ(ShowCarNumValue(6, 1, Value("-")), "-");
    EXPECT_EQ(ShowCarNumValue(6, 1, Value(true)), "");
}

TEST_F(FieldControls, PlainFieldsAndCheckBoxes)
{
    DOM_CAR mandatory(10, true);
    EXPECT_EQ(CheckFieldText(mandatory, "").error, "Saisie obligatoire");
    EXPECT_EQ(CheckFieldText(mandatory, "Orge").value.Text(), "Orge");
    EXPECT_EQ(ShowFieldValue(mandatory, Value("  Orge   ")), "Orge");
    EXPECT_EQ(ShowFieldValue(mandatory, Value()), "");

    for (const char* yes : {"o", "O", "y", "Y", "t", "T"})
        EXPECT_EQ(BoolFlag(Value(yes)), "O") << yes;
    for (const char* no : {"", "N", "x", "Oui"})
        EXPECT_EQ(BoolFlag(Value(no)), "N") << no;
    EXPECT_EQ(BoolFlag(Value()), "N");
    EXPECT_EQ(BoolFlag(Value(true)), "O");
}

} // namespace
} // namespace lysora
