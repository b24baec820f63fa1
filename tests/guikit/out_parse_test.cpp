// Reading of drawing-command texts: numbers, colours, every command's operands, the operand
// limits and the unknown-command reports, checked on the operation stream.
#include "guikit/out_parse.h"

#include <gtest/gtest.h>

#include <string>

namespace guikit {
namespace {

std::int32_t Number(const char* text, std::ptrdiff_t* consumed = nullptr)
{
    const char* p = text;
    std::int32_t n = ReadOutNumber(p);
    if (consumed) *consumed = p - text;
    return n;
}

std::uint32_t Colour(const char* text)
{
    const char* p = text;
    return ReadOutColour(p);
}

TEST(OutNumbers, AutomaticBaseSignAndLeadingWhiteSpace)
{
    EXPECT_EQ(Number("10"), 10);
    EXPECT_EQ(Number("010"), 8);
    EXPECT_EQ(Number("0x10"), 16);
    EXPECT_EQ(Number("0XfF"), 255);
    EXPECT_EQ(Number("-0x10"), -16);
    EXPECT_EQ(Number("+7"), 7);
    EXPECT_EQ(Number(" \t\n12"), 12);
    std::ptrdiff_t used;
    EXPECT_EQ(Number("08", &used), 0); // octal stops at 8
    EXPECT_EQ(used, 1);
    EXPECT_EQ(Number("0xg", &used), 0); // "0x" without a digit reads the 0 only
    EXPECT_EQ(used, 1);
    EXPECT_EQ(Number("12:5", &used), 12);
    EXPECT_EQ(used, 2);
}

TEST(OutNumbers, MissingNumberIsZeroAndConsumesNothing)
{
    std::ptrdiff_t used;
    EXPECT_EQ(Number("", &used), 0);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(Number("  -x", &used), 0);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(Number(":3", &used), 0);
    EXPECT_EQ(used, 0);
}

TEST(OutNumbers, OutOfRangeSaturatesLikeThe32BitReader)
{
    EXPECT_EQ(Number("2147483647"), INT32_MAX);
    EXPECT_EQ(Number("2147483648"), INT32_MAX);
    EXPECT_EQ(Number("-2147483648"), INT32_MIN);
    EXPECT_EQ(Number("-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(Number("0xFFFFFFFFFFFFFFFFFFFF"), INT32_MAX);
}

TEST(OutColours, ComponentsAreOredIntoTheirBytes)
{
    EXPECT_EQ(Colour("r255g255"), 0x0000FFFFu);
    EXPECT_EQ(Colour("r255g192"), 0x0000C0FFu);
    EXPECT_EQ(Colour("b0x10"), 0x00100000u);
    EXPECT_EQ(Colour("w255"), 0x00FFFFFFu);
    EXPECT_EQ(Colour("w0"), 0u);
    EXPECT_EQ(Colour("r1r2"), 3u);          // OR, not replace
    EXPECT_EQ(Colour("w16r1"), 0x00101011u);
    EXPECT_EQ(Colour("r256"), 0u);          // low 8 bits only
    EXPECT_EQ(Colour("r-1"), 0xFFu);
    EXPECT_EQ(Colour("R255"), 0u);          // upper case ends the sequence
}

TEST(OutColours, SequenceStopsAtTheFirstOtherCharacter)
{
    const char* text = "r10 g20";
    const char* p = text;
    EXPECT_EQ(ReadOutColour(p), 10u);
    EXPECT_EQ(*p, ' ');
}

std::vector<OutCommand> Parse(const char* text, int w = 200, int h = 50) { return ParseOutList(text, w, h); }

TEST(OutCommands, EmptyAndNullTextsDrawNothing)
{
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse(nullptr).empty());
    EXPECT_TRUE(Parse("   ").empty());
}

TEST(OutCommands, CursorCommandResolvesNegativeValuesAgainstTheBox)
{
    auto ops = Parse("@-10:-5 @-10 @5:30 @5 @010 @0x10");
    ASSERT_EQ(ops.size(), 6u);
    for (const auto& c : ops) EXPECT_EQ(c.op.kind, OutOpKind::Move);
    EXPECT_EQ(ops[0].op.x, 190);
    EXPECT_EQ(ops[0].op.y, 45);
    EXPECT_EQ(ops[1].op.x, 190);
    EXPECT_EQ(ops[1].op.y, 0);
    EXPECT_EQ(ops[2].op.y, 30);
    EXPECT_EQ(ops[3].op.x, 5);
    EXPECT_EQ(ops[3].op.y, 0); // no colon: y back to 0
    EXPECT_EQ(ops[4].op.x, 8);
    EXPECT_EQ(ops[5].op.x, 16);
}

TEST(OutCommands, RectangleOperandsColoursAndFill)
{
    auto ops = Parse("Cr255g255 R10:10 R10 R10:10: R245:50:r255g255 C R1:2:w255");
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0].op.kind, OutOpKind::Rect);
    EXPECT_EQ(ops[0].op.w, 10);
    EXPECT_EQ(ops[0].op.h, 10);
    EXPECT_FALSE(ops[0].op.fill);
    EXPECT_EQ(ops[0].op.colour, 0x0000FFFFu);
    EXPECT_EQ(ops[1].op.h, 0); // a horizontal line
    EXPECT_TRUE(ops[2].op.fill);
    EXPECT_EQ(ops[2].op.fill_colour, 0u); // no components: black
    EXPECT_EQ(ops[3].op.fill_colour, 0x0000FFFFu);
    EXPECT_EQ(ops[4].op.colour, 0u); // "C" alone: black
    EXPECT_EQ(ops[4].op.fill_colour, 0x00FFFFFFu);
}

TEST(OutCommands, QuotedTextsWithApostrophesAndWithoutEnd)
{
    auto ops = Parse("'l''eau' 'b''' 'open end");
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].text, "l'eau");
    EXPECT_EQ(ops[1].text, "b'");
    EXPECT_EQ(ops[2].text, "open end");
    EXPECT_FALSE(ops[0].has_font);
}

TEST(OutCommands, TextKeepsItsFirst999Characters)
{
    std::string text = "'" + std::string(1500, 'a') + "'@7";
    auto ops = Parse(text.c_str());
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].text.size(), kOutTextMax);
    EXPECT_EQ(ops[1].op.kind, OutOpKind::Move); // reading resumed after the closing quote
    EXPECT_EQ(ops[1].op.x, 7);
}

TEST(OutCommands, FontDescriptionsApplyToLaterTexts)
{
    auto ops = Parse("'plain' F+'&Ok' F'Courier New'12* 'x' FArial_ 'y' F'x");
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_FALSE(ops[0].has_font);
    ASSERT_TRUE(ops[1].has_font);
    EXPECT_STREQ(ops[1].font.face, "MS Sans Serif");
    EXPECT_EQ(ops[1].font.height, -8);
    EXPECT_EQ(ops[1].font.weight, 700);
    EXPECT_STREQ(ops[2].font.face, "Courier New");
    EXPECT_EQ(ops[2].font.height, -12);
    EXPECT_EQ(ops[2].font.weight, 400);
    EXPECT_TRUE(ops[2].font.italic);
    EXPECT_STREQ(ops[3].font.face, "Arial");
    EXPECT_TRUE(ops[3].font.underline);
    EXPECT_FALSE(ops[3].font.italic);
}

TEST(OutCommands, FontMarksOnlyInTheirOrder)
{
    auto ops = Parse("F*+");
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].op.kind, OutOpKind::Unknown);
    EXPECT_EQ(ops[0].op.unknown, '+');
}

TEST(OutCommands, FontSizeIsReadWithAutomaticBaseOnlyAfterADigit)
{
    auto ops = Parse("F010'a' F-3'b'");
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].font.height, -8); // octal 010
    EXPECT_EQ(ops[1].op.unknown, '-'); // a sign is not a size
    EXPECT_EQ(ops[2].op.unknown, '3');
    EXPECT_EQ(ops[3].font.height, -8);
}

TEST(OutCommands, LongOperandsAreCutNeverOverrun)
{
    std::string face = "F'" + std::string(100, 'f') + "''t'";
    auto ops = Parse(face.c_str());
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(std::string(ops[0].font.face), std::string(kOutFaceMax, 'f'));

    std::string bitmap = "#" + std::string(80, 'b') + "9 @3";
    ops = Parse(bitmap.c_str());
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].text, std::string(kOutBitmapNameMax, 'b'));
    EXPECT_EQ(ops[1].op.x, 3);

    std::string keyword = "/BAR" + std::string(40, 'X') + "5";
    ops = Parse(keyword.c_str());
    ASSERT_EQ(ops.size(), 1u); // keyword skipped, then the digit is unknown
    EXPECT_EQ(ops[0].op.unknown, '5');
}

TEST(OutCommands, BitmapNamesAreLettersAndDigits)
{
    auto ops = Parse("#ok2-x");
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].op.kind, OutOpKind::Bitmap);
    EXPECT_EQ(ops[0].text, "ok2");
    EXPECT_EQ(ops[1].op.unknown, '-');
    EXPECT_EQ(ops[2].op.unknown, 'x');
}

TEST(OutCommands, BarKeywordIsExactUpperCase)
{
    auto ops = Parse("Cg255 /BAR50 /bar50 /FOO7");
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[0].op.kind, OutOpKind::Bar);
    EXPECT_EQ(ops[0].op.w, 50);
    EXPECT_EQ(ops[0].op.h, kOutBarHeight);
    EXPECT_EQ(ops[0].op.colour, 0x0000FF00u);
    EXPECT_EQ(ops[1].op.unknown, '5');
    EXPECT_EQ(ops[2].op.unknown, '0');
    EXPECT_EQ(ops[3].op.unknown, '7');
}

TEST(OutCommands, TabsAndOtherBytesAreUnknownCommands)
{
    auto ops = Parse("\t@1\xE9");
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].op.unknown, '\t');
    EXPECT_EQ(ops[1].op.kind, OutOpKind::Move);
    EXPECT_EQ(ops[2].op.unknown, '\xE9');
}

} // namespace
} // namespace guikit
