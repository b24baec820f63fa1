#include "base/value.h"
#include "base/text.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

TEST(Symbol, InternsWithoutRegardToCaseAndKeepsIdsInTheCommandRange)
{
    Symbol a("libelle"), b("LIBELLE"), c("CODE_MAT");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a.Name(), "LIBELLE");
    EXPECT_GE(a.Id(), Symbol::kFirstId);
    EXPECT_LE(c.Id(), Symbol::kLastId);
    EXPECT_EQ(Symbol::FromId(c.Id()), c);
    EXPECT_TRUE(Symbol::FromId(1).IsNull()); // IDOK is never a symbol
    EXPECT_TRUE(Symbol("").IsNull());
}

TEST(Date, ConvertsBetweenCalendarDayNumberAndDtosText)
{
    Date d = Date::FromYmd(2000, 2, 29);
    ASSERT_FALSE(d.IsEmpty());
    EXPECT_EQ(d.day, 2451604);
    EXPECT_EQ(d.ToDtos(), "20000229");
    EXPECT_EQ(Date::FromDtos("20000229"), d);
    EXPECT_EQ(Date::FromDtos("19991231").day + 60, d.day);
    EXPECT_TRUE(Date::FromYmd(1900, 2, 29).IsEmpty()); // not a leap year
    EXPECT_TRUE(Date::FromDtos("2000023").IsEmpty());
    EXPECT_TRUE(Date::FromDtos("2000-2-9").IsEmpty());
    EXPECT_EQ(Date{}.ToDtos(), "        ");
}

TEST(Value, HoldsOneTypeAndAnswersNeutralValuesForOthers)
{
    Value nil, n(12.5), t("Blé"), l(true), s(Symbol("TB"));
    EXPECT_TRUE(nil.IsNil());
    EXPECT_EQ(n.Number(), 12.5);
    EXPECT_EQ(t.Number(), 0.0);
    EXPECT_EQ(n.Text(), "");
    EXPECT_TRUE(l.Logical());
    EXPECT_FALSE(t.Logical());
    EXPECT_EQ(s.GetSymbol(), Symbol("tb"));
    EXPECT_NE(Value(0), Value(false));
    EXPECT_NE(Value(), Value(""));

    Value a(ValueArray{1, "x", ValueArray{true}});
    EXPECT_EQ(a, Value(ValueArray{1, "x", ValueArray{true}}));
    EXPECT_NE(a, Value(ValueArray{1, "x", ValueArray{false}}));
    Value b = a; // copies share the array, as the program's arrays do
    b.Array().push_back(2);
    EXPECT_EQ(a.Array().size(), 4u);
}

} // namespace
} // namespace lysora

namespace lysora {
namespace {

TEST(Text, TrimsBlanksOnlyAndChangesTheCaseOfAsciiLettersOnly)
{
    EXPECT_EQ(AllTrim("  Blé tendre  "), "Blé tendre");
    EXPECT_EQ(Trim("  Orge  "), "  Orge");
    EXPECT_EQ(LTrim("  Orge  "), "Orge  ");
    EXPECT_EQ(AllTrim("\tx "), "\tx"); // a tab is not a blank in a DBF field
    EXPECT_EQ(AllTrim("    "), "");
    EXPECT_EQ(UpperCase("dbfcdx-é"), "DBFCDX-é");
    EXPECT_EQ(LowerCase("FRA"), "fra");
}

} // namespace
} // namespace lysora
