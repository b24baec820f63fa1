// The grid control on real windows: its size and scroll bars from the content present at
// creation, header clicks that sort (and the red arrow that shows it), thumb tracking that
// repaints the rows at once, and the grid going away with its dialog by every close path.
#include "views/grid/fld_grille.h"

#include "framework/dlg.h"
#include "tests/support/message_recorder.h"
#include "tests/support/window_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace lysora {
namespace {

using testing::Pump;
using testing::WindowSize;

// rows x cols cells; row r is titled "Rnn" and holds r+1 in every cell, except the rows
// listed in empty, which hold no values.
Value Table(int rows, int cols, std::vector<int> empty = {})
{
    ValueArray all;
    for (int r = 0; r < rows; ++r) {
        char title[8];
        std::snprintf(title, sizeof title, "R%02d", r);
        ValueArray row{Value(title)};
        const bool blank = std::find(empty.begin(), empty.end(), r) != empty.end();
        for (int c = 0; c < cols; ++c)
            row.push_back(blank ? Value() : Value(r + 1));
        all.push_back(Value(row));
    }
    return Value(all);
}

std::string FirstTitle(const FLD_GRILLE& grid) { return grid.LIGNES().Array().front().Array().front().Text(); }

// Pixels of one colour inside a rectangle of the window, after the pending paint, or as
// the window shows them this instant.
int CountPixels(HWND hwnd, RECT box, COLORREF colour, bool paintFirst = true)
{
    if (paintFirst)
        UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            count += GetPixel(dc, x, y) == colour;
    ReleaseDC(hwnd, dc);
    return count;
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

class GridControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application())
            SetApplication(App_New(GetModuleHandleA(nullptr)));
    }
    void TearDown() override
    {
        dialog_.reset();
        Pump();
        EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
    }

    // A dialog with one grid of the feedstuff sheet's sizes, rows assigned before it shows.
    FLD_GRILLE& Show(const Value& rows, bool sortable = true)
    {
        dialog_ = std::make_unique<DLG>(nullptr, GKT_DIALOG, "grid");
        dialog_->CENTER(800, 400);
        auto grid = DOM_GRILLE(160, 38, 680, 18, 11).CONTROL(dialog_.get());
        grid->TITRE = "Nutrient";
        for (int c = 1; c <= 20; ++c)
            grid->COLONNES.push_back("C" + std::to_string(c));
        grid->TRIAUTORISE = sortable;
        grid->TRIERLIGNES(1);
        grid->LIGNES(rows);
        FLD_GRILLE& shown = *grid;
        dialog_->XFLDMIN(0).XY(10, 10).FLD(Symbol("GRILLE"), std::move(grid));
        dialog_->SHOW();
        Pump();
        return shown;
    }

    std::unique_ptr<DLG> dialog_;
    testing::MessageRecorder messages_;
};

TEST_F(GridControlTest, TheWindowFitsTheContentAndTheBarsShowOnlyWhenNeeded)
{
    const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
    FLD_GRILLE& big = Show(Table(20, 15));
    EXPECT_EQ(WindowSize(big.HANDLE()).cx, 160 + 13 * 38 + 1 + vbar);
    EXPECT_EQ(WindowSize(big.HANDLE()).cy, 18 + 11 * 18 + 1 + hbar);
    EXPECT_TRUE(IsWindowVisible(big.SCROLLV()));
    EXPECT_TRUE(IsWindowVisible(big.SCROLLH()));
    int low = -1, high = -1;
    GetScrollRange(big.SCROLLV(), SB_CTL, &low, &high);
    EXPECT_EQ(high, 20 - 11);
    GetScrollRange(big.SCROLLH(), SB_CTL, &low, &high);
    EXPECT_EQ(high, 15 - 13);

    FLD_GRILLE& fits = Show(Table(4, 12));
    EXPECT_EQ(WindowSize(fits.HANDLE()).cx, 160 + 12 * 38 + 1 + vbar);
    EXPECT_FALSE(IsWindowVisible(fits.SCROLLV()));
    EXPECT_FALSE(IsWindowVisible(fits.SCROLLH()));

    FLD_GRILLE& empty = Show(Value(ValueArray{}));
    EXPECT_EQ(WindowSize(empty.HANDLE()).cx, 160 + 1 + vbar);
    EXPECT_EQ(empty.NB_COL(), 0);
    // Content assigned later keeps the window's size; a text sent to it changes nothing.
    empty.LIGNES(Table(20, 15));
    empty.SETTEXT("a long text that a label would grow for");
    EXPECT_EQ(WindowSize(empty.HANDLE()).cx, 160 + 1 + vbar);
}

TEST_F(GridControlTest, HeaderClicksSortAndTheArrowFollows)
{
    FLD_GRILLE& grid = Show(Table(5, 3));
    const RECT firstHeader{160, 0, 160 + 38, 18};
    EXPECT_EQ(CountPixels(grid.HANDLE(), firstHeader, RGB(255, 0, 0)), 0);

    SendMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, Point(170, 5)); // value column 1
    Pump();
    EXPECT_EQ(grid.Model().SortElement(), 2);
    EXPECT_EQ(FirstTitle(grid), "R00"); // ascending: 1, 2, 3 ...
    // The arrow sits at the right edge of the sorted header, and nowhere else.
    EXPECT_GT(CountPixels(grid.HANDLE(), firstHeader, RGB(255, 0, 0)), 10);
    EXPECT_EQ(CountPixels(grid.HANDLE(), RECT{0, 0, 160, 18}, RGB(255, 0, 0)), 0);

    SendMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, Point(170, 5)); // again: descending
    Pump();
    EXPECT_EQ(FirstTitle(grid), "R04");
    EXPECT_EQ(grid.Model().SortDirection(), -1);

    SendMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, Point(170, 40)); // a row: no sort
    SendMessageA(grid.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 5));   // the title cell
    Pump();
    EXPECT_EQ(grid.Model().SortElement(), 1);
    EXPECT_EQ(FirstTitle(grid), "R00");
    EXPECT_EQ(CountPixels(grid.HANDLE(), firstHeader, RGB(255, 0, 0)), 0);

    FLD_GRILLE& fixed = Show(Table(5, 3), false);
    SendMessageA(fixed.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, Point(170, 5));
    Pump();
    EXPECT_EQ(fixed.Model().SortElement(), 1); // only the owner's own sort
}

TEST_F(GridControlTest, ThumbTrackingScrollsAndRepaintsTheRowsAtOnce)
{
    // Rows 0-9 hold values, rows 10 and up none: after scrolling by 10, the first visible
    // row's cells must be painted blank, at once.
    std::vector<int> blank;
    for (int r = 10; r < 30; ++r)
        blank.push_back(r);
    FLD_GRILLE& grid = Show(Table(30, 3, blank));
    const RECT firstCell{161, 19, 160 + 38, 36};
    ASSERT_GT(CountPixels(grid.HANDLE(), firstCell, RGB(0, 0, 0)), 0); // "1" drawn

    SendMessageA(grid.HANDLE(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10),
                 reinterpret_cast<LPARAM>(grid.SCROLLV()));
    EXPECT_EQ(grid.Model().FirstRow(), 10);
    EXPECT_EQ(GetScrollPos(grid.SCROLLV(), SB_CTL), 10);
    EXPECT_EQ(CountPixels(grid.HANDLE(), firstCell, RGB(0, 0, 0), false), 0);

    SendMessageA(grid.HANDLE(), WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(grid.SCROLLV()));
    EXPECT_EQ(grid.Model().FirstRow(), 13);
    for (int i = 0; i < 20; ++i)
        SendMessageA(grid.HANDLE(), WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(grid.SCROLLV()));
    EXPECT_EQ(grid.Model().FirstRow(), 30 - 11); // stops at the last page
    SendMessageA(grid.HANDLE(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 500),
                 reinterpret_cast<LPARAM>(grid.SCROLLV()));
    EXPECT_EQ(grid.Model().FirstRow(), 30 - 11); // a thumb position past the end is refused
}

TEST_F(GridControlTest, TheGridGoesWithItsDialogByEveryClosePath)
{
    for (int path = 0; path < 3; ++path) {
        FLD_GRILLE& grid = Show(Table(30, 20));
        HWND dialog = dialog_->HANDLE(), control = grid.HANDLE(), bar = grid.SCROLLV();
        if (path == 0) SendMessageA(dialog, WM_CLOSE, 0, 0);                     // close box
        if (path == 1) SendMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);            // Escape
        if (path == 2) SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);          // Alt+F4
        Pump();
        EXPECT_FALSE(IsWindow(control)) << path;
        EXPECT_FALSE(IsWindow(bar)) << path;
        dialog_.reset(); // the objects after their windows
        Pump();
        EXPECT_FALSE(IsWindow(dialog)) << path;
    }
}

} // namespace
} // namespace lysora
