// _Out on a 24-bit memory bitmap, checked pixel by pixel: rectangles and their colours,
// cursor moves with octal, hex and negative numbers, bars, bitmaps, texts side by side and
// apostrophes, fonts, and the text of every error box.
#include "tests/guikit/gui_fixture.h"

#include <string>

namespace guikit_test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A white 200 x 60 canvas in a memory DC.
class Canvas {
public:
    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kW;
        info.bmiHeader.biHeight = -kH;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, kW, kH};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // A fixed-pitch font drawn without smoothing: texts compare pixel for pixel.
        font_ = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                            FIXED_PITCH | FF_MODERN, "Courier");
        old_font_ = SelectObject(dc_, font_);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_font_);
        DeleteObject(font_);
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    int Draw(const char* commands, int x = 0, int y = 0) { return _Out(dc_, x, y, 200, 50, commands); }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    bool SameAs(const Canvas& other) const
    {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                if (At(x, y) != other.At(x, y)) return false;
            }
        }
        return true;
    }
    // Columns holding any non-white pixel: [first, last], or {-1, -1}.
    std::pair<int, int> InkColumns() const
    {
        int first = -1, last = -1;
        for (int x = 0; x < kW; ++x) {
            for (int y = 0; y < kH; ++y) {
                if (At(x, y) != kWhite) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        return {first, last};
    }
    HDC dc() const { return dc_; }

    static constexpr int kW = 200, kH = 60;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    HFONT font_;
    HGDIOBJ old_font_;
};

using OutDraw = GuiTest;

TEST_F(OutDraw, EmptyTextDrawsNothingAndSetsTransparentMode)
{
    Canvas canvas;
    SetBkMode(canvas.dc(), OPAQUE);
    EXPECT_EQ(canvas.Draw(""), 0);
    EXPECT_EQ(canvas.Draw(nullptr), 0);
    EXPECT_EQ(canvas.InkColumns().first, -1);
    EXPECT_EQ(GetBkMode(canvas.dc()), TRANSPARENT);
}

TEST_F(OutDraw, RectangleOutlineUsesCurrentColourAndFillItsComponents)
{
    Canvas canvas;
    canvas.Draw("Cr255g255 R10:10 @20 R10 @40 R10:10: @60 R10:10:b255");
    const COLORREF yellow = RGB(255, 255, 0);
    // Outline from (0,0) to (10,10) inclusive, inside untouched.
    EXPECT_EQ(canvas.At(0, 0), yellow);
    EXPECT_EQ(canvas.At(10, 0), yellow);
    EXPECT_EQ(canvas.At(10, 10), yellow);
    EXPECT_EQ(canvas.At(0, 10), yellow);
    EXPECT_EQ(canvas.At(5, 5), kWhite);
    EXPECT_EQ(canvas.At(11, 11), kWhite);
    // A rectangle without height is a line of its width.
    EXPECT_EQ(canvas.At(25, 0), yellow);
    EXPECT_EQ(canvas.At(25, 1), kWhite);
    // A colon without components fills black; the outline keeps the current colour.
    EXPECT_EQ(canvas.At(45, 5), kBlack);
    EXPECT_EQ(canvas.At(40, 5), yellow);
    EXPECT_EQ(canvas.At(65, 5), RGB(0, 0, 255));
}

TEST_F(OutDraw, CursorNumbersInEveryBaseAndFromTheFarEdges)
{
    Canvas canvas;
    // Filled 4 x 4 squares: their inside shows the fill, their edge the black outline.
    canvas.Draw("@010:0x10 R4:4:r255 @-10:-5 R4:4:g255 @5:30 @5 R4:4:b255", 0, 0);
    EXPECT_EQ(canvas.At(10, 18), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(8, 16), kBlack);
    EXPECT_EQ(canvas.At(7, 16), kWhite);
    EXPECT_EQ(canvas.At(192, 47), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(190, 45), kBlack);
    EXPECT_EQ(canvas.At(7, 2), RGB(0, 0, 255)); // @5 after @5:30 is back on row 0
    EXPECT_EQ(canvas.At(7, 32), kWhite);
}

TEST_F(OutDraw, OriginOffsetsEveryCommand)
{
    Canvas canvas;
    canvas.Draw("R4:4:r255", 30, 20);
    EXPECT_EQ(canvas.At(32, 22), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(1, 1), kWhite);
}

TEST_F(OutDraw, RectanglesAdvanceTheCursorByTheirWidth)
{
    Canvas canvas;
    canvas.Draw("R10:4:r255 R10:4:b255");
    EXPECT_EQ(canvas.At(5, 2), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(15, 2), RGB(0, 0, 255));
}

TEST_F(OutDraw, BarIsThirteenHighInTheCurrentColour)
{
    Canvas canvas;
    canvas.Draw("Cg255 /BAR50 R5:5:r255");
    // The bar is filled, not outlined: the rectangle after it starts at x = 50.
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(49, 12), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(0, 13), kWhite);
    EXPECT_EQ(canvas.At(52, 2), RGB(255, 0, 0)); // the cursor moved 50 right
}

TEST_F(OutDraw, LowerCaseBarReportsEachDigit)
{
    Canvas canvas;
    canvas.Draw("Cg255 /bar50 /OTHER");
    EXPECT_EQ(canvas.InkColumns().first, -1);
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Commande '5' ???");
    EXPECT_EQ(boxes[0].caption, "Out()");
    EXPECT_EQ(boxes[1].text, "Commande '0' ???");
}

TEST_F(OutDraw, UnknownCommandsAndTabsAreReportedOnceEach)
{
    Canvas canvas;
    canvas.Draw("\tZ R4:4:r255");
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Commande '\t' ???");
    EXPECT_EQ(boxes[1].text, "Commande 'Z' ???");
    EXPECT_EQ(canvas.At(2, 2), RGB(255, 0, 0)); // reading went on
}

TEST_F(OutDraw, BitmapIsCopiedAtItsSizeAndAdvancesTheCursor)
{
    Canvas canvas;
    canvas.Draw("@2:3 #red8 R4:4:b255");
    EXPECT_EQ(canvas.At(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(9, 8), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(9, 9), kWhite);
    EXPECT_EQ(canvas.At(12, 5), RGB(0, 0, 255)); // 8 further right
}

TEST_F(OutDraw, MissingBitmapIsReportedByNameAndDrawsNothing)
{
    Canvas canvas;
    canvas.Draw("#nosuchpicture R4:4:b255");
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Ressource non trouvée");
    EXPECT_EQ(boxes[0].caption, "nosuchpicture");
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 255)); // the cursor did not move
}

TEST_F(OutDraw, TextsInTheDcColourSideBySide)
{
    Canvas joined, apart;
    SetTextColor(joined.dc(), RGB(255, 0, 0));
    SetTextColor(apart.dc(), RGB(255, 0, 0));
    joined.Draw("'ab'");
    apart.Draw("'a' 'b'");
    EXPECT_TRUE(joined.SameAs(apart));
    bool red = false, black = false;
    for (int x = 0; x < 30; ++x) {
        for (int y = 0; y < 20; ++y) {
            red |= joined.At(x, y) == RGB(255, 0, 0);
            black |= joined.At(x, y) == kBlack;
        }
    }
    EXPECT_TRUE(red);
    EXPECT_FALSE(black); // the colour command does not touch text
}

TEST_F(OutDraw, DoubledApostropheDrawsOneAndUnclosedTextRunsToTheEnd)
{
    Canvas doubled, pieces, plain, unclosed;
    doubled.Draw("'a''b'");
    pieces.Draw("'a' '''' 'b'");
    plain.Draw("'ab'");
    unclosed.Draw("'a''b");
    EXPECT_TRUE(doubled.SameAs(pieces));
    EXPECT_FALSE(doubled.SameAs(plain));
    EXPECT_TRUE(doubled.SameAs(unclosed));
}

TEST_F(OutDraw, FontCommandsChangeTheTextDrawn)
{
    Canvas normal, bold, underlined, small, big;
    normal.Draw("F 'WWW'"); // right after F a quote would open a face name
    bold.Draw("F+'WWW'");
    underlined.Draw("F '&WWW'");
    small.Draw("F'Courier New'8*'WWW'");
    big.Draw("F'Courier New'14*'WWW'");
    EXPECT_GT(bold.InkColumns().second, normal.InkColumns().second);
    EXPECT_FALSE(underlined.SameAs(normal));
    EXPECT_FALSE(small.SameAs(normal)); // another face
    EXPECT_GT(big.InkColumns().second, small.InkColumns().second);
    // The text after a font advances by its width in that font: a zero-wide rectangle
    // then is a vertical line just right of the bold text.
    Canvas after;
    after.Draw("F+'WWW' R0:20");
    int line_x = -1;
    for (int x = 0; x < Canvas::kW && line_x < 0; ++x) {
        if (after.At(x, 19) == kBlack) line_x = x;
    }
    EXPECT_GE(line_x, bold.InkColumns().second - 1);
    EXPECT_LE(line_x, bold.InkColumns().second + 4);
}

TEST_F(OutDraw, ModuleListHoldsThirtyTwoModules)
{
    HINSTANCE other = GetModuleHandleA("kernel32.dll");
    int answer = 0;
    int calls = 0;
    // The test program registered itself first; fill the list up.
    while ((answer = __Out_RegisterBitmapInstance(other)) == 0 && calls < 40) ++calls;
    EXPECT_EQ(answer, 1);
    EXPECT_LE(calls, 31);
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "ERREUR Trop de modules");
    EXPECT_EQ(boxes[0].caption, "__Out_RegisterBitmapInstance()");
    Canvas canvas;
    canvas.Draw("#red8");
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0)); // the first module's bitmaps stay reachable
}

} // namespace
} // namespace guikit_test
