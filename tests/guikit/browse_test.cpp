// The browse control inside a real dialog, answered by a small model of numbered records:
// the page built from the owner's answers (empty table, short table, last page), the row
// cursor by keyboard and mouse, the events reported to the owner, the scroll thumbs, the
// layout of narrow and wide columns, and what is painted (header, marked cells, drawn cells,
// rows that lost their record).
#include "tests/guikit/gui_fixture.h"
#include "tests/support/heap_check.h"
#include "tests/support/shown_pixel.h"

#include <algorithm>
#include <string>
#include <vector>

namespace guikit_test {
namespace {

// Records 1 ... count in order; the owner's current record; the questions asked.
struct Model {
    int count = 0;
    int current = 0;
    std::vector<UINT> asked;
    std::vector<WPARAM> chars;
    int lastThumb = -1;
};
Model* g_model = nullptr;

LRESULT CALLBACK ModelCallback(HWND, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Model& m = *g_model;
    if (msg >= CB_GOTOP && msg <= CB_CURRENT) m.asked.push_back(msg);
    const int record = static_cast<int>(lparam);
    switch (msg) {
    case CB_GOTOP: return m.count ? 1 : 0;
    case CB_GOBOTTOM: return m.count;
    case CB_SKIP: {
        if (record < 1 || record > m.count) return 0;
        const int to = record + static_cast<int>(static_cast<INT_PTR>(wparam));
        return to >= 1 && to <= m.count ? to : 0;
    }
    case CB_THUMB:
        m.lastThumb = static_cast<int>(wparam);
        return m.count ? 1 + static_cast<int>(wparam) * (m.count - 1) / GKT_BRW_THUMB_RANGE : 0;
    case CB_POSITION: return m.count > 1 ? (record - 1) * GKT_BRW_THUMB_RANGE / (m.count - 1) : 0;
    case CB_SELECT: m.current = record; return 0;
    case CB_CURRENT: return m.current;
    case WM_CHAR: m.chars.push_back(wparam); return 0;
    default: return 0;
    }
}

// CB_FILLROW needs the record: the test keeps it here.
Win* g_browse = nullptr;

LRESULT CALLBACK FillingCallback(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == CB_FILLROW && g_browse) {
        g_model->asked.push_back(msg);
        const int record = static_cast<int>(lparam);
        const int row = static_cast<int>(wparam);
        const std::string text = record ? "Rec " + std::to_string(record) : "";
        const int mark = record && record == g_model->current;
        const auto* b = reinterpret_cast<WinBrw*>(g_browse);
        for (int c = 0; c < b->column_count; ++c) {
            const std::string cell = b->columns[c]->drawn ? "Cr255/BAR20" : text;
            Brw_SetText(g_browse, c, row, cell.c_str(), mark);
        }
        return 0;
    }
    return ModelCallback(hwnd, msg, wparam, lparam);
}

class Browse : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        g_model = &model;
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        g_model = nullptr;
        g_browse = nullptr;
    }

    // A browse of h pixels with columns of the given widths in a 500 x 400 dialog; the
    // window is created after the columns, as the program does.
    WinBrw* Make(std::vector<int> widths, int h = 20 + 10 * 16 + 1, bool drawnLast = false)
    {
        Win* dialog = NewDialog(500, 400);
        Win* win = NewWin(GKT_BROWSE, dialog, 10, 10, 400, h);
        win->callback = FillingCallback;
        g_browse = win;
        for (std::size_t i = 0; i < widths.size(); ++i) {
            const bool drawn = drawnLast && i + 1 == widths.size();
            Brw_SetCol(win, -1, ("Col" + std::to_string(i)).c_str(), widths[i], 128, 0, drawn);
        }
        win->style |= WS_VISIBLE;
        Win_Create(win);
        Pump();
        return reinterpret_cast<WinBrw*>(win);
    }
    static std::string Cell(WinBrw* b, int column, int row) { return b->columns[column]->cells[row]; }
    static int TopOf(WinBrw* b) { return b->page[0]; }
    static void Key(WinBrw* b, int vk) { SendMessageA(b->win.hwnd, WM_KEYDOWN, static_cast<WPARAM>(vk), 0); }

    Model model;
};

TEST_F(Browse, ColumnsAreCheckedAndCellTextsCutToTheirBuffer)
{
    model.count = 3;
    WinBrw* b = Make({100});
    EXPECT_EQ(Brw_SetCol(&b->win, 0, "Wrong", 50, 16, 0, 0), 0);
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Param\xE8tre 2 incorrect");
    EXPECT_EQ(boxes[0].caption, "Brw_SetCol()");
    EXPECT_EQ(b->column_count, 1);

    Brw_SetCol(&b->win, -1, "Short", 50, 5, DT_RIGHT, 0);
    ASSERT_EQ(b->column_count, 2);
    EXPECT_EQ(b->columns[1]->format, DT_RIGHT);
    EXPECT_STREQ(b->columns[1]->title, "Short");
    EXPECT_EQ(Brw_SetText(&b->win, 1, 0, "too long for it", 1), 1);
    EXPECT_EQ(Cell(b, 1, 0), "too ");
    EXPECT_EQ(b->columns[1]->marks[0], 1);
    // Outside the columns and the page: nothing is written, nothing breaks.
    EXPECT_EQ(Brw_SetText(&b->win, 5, 0, "x", 1), 1);
    EXPECT_EQ(Brw_SetText(&b->win, 0, GKT_BRW_MAX_ROWS, "x", 0), 0);
    EXPECT_EQ(Brw_SetText(&b->win, -1, 0, "x", 0), 0);
}

TEST_F(Browse, AnEmptyTableShowsTheHeaderAndNoRowAndIgnoresArrows)
{
    WinBrw* b = Make({100, 100});
    EXPECT_EQ(TopOf(b), 0);
    EXPECT_EQ(b->current_row, -1);
    EXPECT_EQ(model.current, 0);
    model.chars.clear();
    Key(b, VK_DOWN);
    Key(b, VK_UP);
    EXPECT_EQ(TopOf(b), 0);
    EXPECT_EQ(model.current, 0);
    EXPECT_TRUE(model.chars.empty()); // no movement, nothing reported
    const int x = b->grid_left + 50;
    EXPECT_EQ(PixelOf(b->win.hwnd, x, 5), RGB(0xC0, 0xC0, 0xC0)); // header
    EXPECT_EQ(PixelOf(b->win.hwnd, x, b->grid_top + 8), GetSysColor(COLOR_WINDOW));
}

TEST_F(Browse, AShortTableFillsThePageWithEmptyRowsAndTheFirstRecordIsSelected)
{
    model.count = 3;
    WinBrw* b = Make({100, 100});
    EXPECT_EQ(b->visible_rows, 10);
    EXPECT_EQ(std::vector<int>(b->page, b->page + 5), (std::vector<int>{1, 2, 3, 0, 0}));
    EXPECT_EQ(model.current, 1); // created at the top, notified
    EXPECT_EQ(b->current_row, 0);
    EXPECT_EQ(Cell(b, 0, 2), "Rec 3");
    EXPECT_EQ(Cell(b, 1, 3), "");
    // The current row is painted in the highlight colour, an empty row in the window colour.
    const int x = b->grid_left + 50;
    EXPECT_EQ(PixelOf(b->win.hwnd, x, b->grid_top + 8), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelOf(b->win.hwnd, x, b->grid_top + 16 + 8), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(PixelOf(b->win.hwnd, x, b->grid_top + 4 * 16 + 8), GetSysColor(COLOR_WINDOW));
}

TEST_F(Browse, PagingLandsOnTheLastRecordAndTheCursorScrollsAtTheEdges)
{
    model.count = 25;
    WinBrw* b = Make({100});
    model.chars.clear();
    Key(b, VK_NEXT);
    EXPECT_EQ(TopOf(b), 11);
    EXPECT_EQ(model.current, 11); // notified: the top row becomes current
    Key(b, VK_NEXT);
    EXPECT_EQ(TopOf(b), 21);
    Key(b, VK_NEXT); // beyond the end: rebuilt from the last record
    EXPECT_EQ(TopOf(b), 25);
    EXPECT_EQ(b->page[1], 0);
    EXPECT_EQ(model.chars, (std::vector<WPARAM>{GKT_CHAR_MOVED, GKT_CHAR_MOVED, GKT_CHAR_MOVED}));

    // Ctrl+Page Up: first record; Down walks to the last row, then scrolls by one.
    SetKeyDown(VK_CONTROL, true);
    Key(b, VK_PRIOR);
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(TopOf(b), 1);
    EXPECT_EQ(model.current, 1);
    for (int i = 0; i < 9; ++i) Key(b, VK_DOWN);
    EXPECT_EQ(TopOf(b), 1);
    EXPECT_EQ(b->current_row, 9);
    Key(b, VK_DOWN);
    EXPECT_EQ(TopOf(b), 2);
    EXPECT_EQ(b->current_row, 9);
    EXPECT_EQ(model.current, 11);
    // Up from the first row scrolls back by one, the cursor stays on top.
    for (int i = 0; i < 10; ++i) Key(b, VK_UP);
    EXPECT_EQ(TopOf(b), 1);
    EXPECT_EQ(b->current_row, 0);
    EXPECT_EQ(model.current, 1);
    Key(b, VK_UP); // nothing above the first record
    EXPECT_EQ(model.current, 1);
    EXPECT_EQ(TopOf(b), 1);
}

TEST_F(Browse, ClicksSelectRowsTakeTheFocusAndAreReported)
{
    model.count = 3;
    WinBrw* b = Make({100});
    Win* other = NewChild(b->win.parent, GKT_EDIT, 10, 300, 100, 20, 7);
    SetFocus(other->hwnd);
    model.chars.clear();
    const int x = b->grid_left + 10;
    SendMessageA(b->win.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, b->grid_top + 2 * 16 + 5));
    EXPECT_EQ(model.current, 3);
    EXPECT_EQ(b->current_row, 2);
    EXPECT_EQ(GetFocus(), b->win.hwnd);
    // Below the last record: the selection stays, the click is still reported.
    SetFocus(other->hwnd);
    SendMessageA(b->win.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, b->grid_top + 6 * 16 + 5));
    EXPECT_EQ(model.current, 3);
    EXPECT_EQ(GetFocus(), b->win.hwnd);
    SendMessageA(b->win.hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, b->grid_top + 5));
    SendMessageA(b->win.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, b->grid_top + 5));
    SendMessageA(b->win.hwnd, WM_CHAR, 'a', 0);
    EXPECT_EQ(model.chars, (std::vector<WPARAM>{GKT_CHAR_CLICK, GKT_CHAR_CLICK, GKT_CHAR_DBLCLICK,
                                                 GKT_CHAR_RBUTTON, 'a'}));
}

TEST_F(Browse, OtherKeysGoToTheDialog)
{
    model.count = 3;
    WinBrw* b = Make({100});
    Win* next = NewChild(b->win.parent, GKT_EDIT, 10, 300, 100, 20, 7);
    SetFocus(b->win.hwnd);
    Key(b, VK_TAB); // the dialog moves the focus on
    EXPECT_EQ(GetFocus(), next->hwnd);
    ClearEvents();
    Key(b, VK_ESCAPE); // the dialog is asked to close
    Pump();
    EXPECT_EQ(EventsOf(GKTM_CANCLOSE).size(), 1u);
}

TEST_F(Browse, TheThumbAsksTheOwnerAndFollowsThePosition)
{
    model.count = 1025;
    WinBrw* b = Make({100});
    SendMessageA(b->win.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 512), reinterpret_cast<LPARAM>(b->vscroll));
    EXPECT_EQ(model.lastThumb, 512);
    EXPECT_EQ(TopOf(b), 513);
    EXPECT_EQ(GetScrollPos(b->vscroll, SB_CTL), 512);
    SendMessageA(b->win.hwnd, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(b->vscroll));
    EXPECT_EQ(TopOf(b), 514);
    SendMessageA(b->win.hwnd, WM_VSCROLL, SB_PAGEUP, reinterpret_cast<LPARAM>(b->vscroll));
    EXPECT_EQ(TopOf(b), 504);
    model.asked.clear();
    SendMessageA(b->win.hwnd, WM_VSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(b->vscroll));
    EXPECT_TRUE(model.asked.empty());
}

TEST_F(Browse, NarrowColumnsAreCentredAndWideOnesScrollSideways)
{
    model.count = 3;
    WinBrw* narrow = Make({100, 60});
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(narrow->grid_width, 160);
    EXPECT_EQ(narrow->grid_left, (400 - bar - 160) / 2);
    EXPECT_EQ(narrow->hscroll_height, 0);
    EXPECT_FALSE(IsWindowVisible(narrow->hscroll));

    WinBrw* wide = Make({300, 300});
    EXPECT_EQ(wide->grid_left, 0);
    EXPECT_EQ(wide->grid_width, 400 - bar);
    EXPECT_GT(wide->hscroll_height, 0);
    EXPECT_TRUE(IsWindowVisible(wide->hscroll));
    // Fewer rows fit above the horizontal bar.
    EXPECT_EQ(wide->visible_rows, (20 + 10 * 16 + 1 - 20 - wide->hscroll_height - 1) / 16);
    Key(wide, VK_RIGHT);
    EXPECT_EQ(wide->h_offset, wide->grid_width / 10);
    SendMessageA(wide->win.hwnd, WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(wide->hscroll));
    EXPECT_EQ(wide->h_offset, 600 + bar - 400);
    SendMessageA(wide->win.hwnd, WM_HSCROLL, SB_PAGERIGHT, reinterpret_cast<LPARAM>(wide->hscroll));
    EXPECT_EQ(wide->h_offset, 600 + bar - 400); // clamped
    Key(narrow, VK_RIGHT);
    EXPECT_EQ(narrow->h_offset, 0); // no horizontal bar, no sideways step
}

TEST_F(Browse, ATallBrowseKeepsToTheRowsThePageHolds)
{
    model.count = 200;
    WinBrw* b = Make({100}, 20 + 100 * 16 + 1);
    EXPECT_EQ(b->visible_rows, GKT_BRW_MAX_ROWS);
    EXPECT_EQ(b->page[GKT_BRW_MAX_ROWS - 1], GKT_BRW_MAX_ROWS);
}

TEST_F(Browse, DrawnColumnsRunTheirCommandsAndALostRowIsCleared)
{
    model.count = 2;
    WinBrw* b = Make({100, 60}, 20 + 10 * 16 + 1, true);
    const int drawnLeft = b->grid_left + 100;
    EXPECT_EQ(PixelOf(b->win.hwnd, drawnLeft + 3 + 5, b->grid_top + 16 + 2 + 5), RGB(255, 0, 0));
    // The second record goes away: its row is painted empty at the next rebuild.
    model.count = 1;
    Brw_Dsp(&b->win, CB_SKIP, 0, 0);
    EXPECT_EQ(b->page[1], 0);
    EXPECT_EQ(PixelOf(b->win.hwnd, drawnLeft + 3 + 5, b->grid_top + 16 + 2 + 5), GetSysColor(COLOR_WINDOW));
}

TEST_F(Browse, TheRecordAndItsColumnsGoWithTheWindowWhenFlaggedAutoDelete)
{
    model.count = 2;
    WinBrw* b = Make({100});
    // Taken out of the fixture's hands: the window's destruction frees the record.
    records_.erase(std::find(records_.begin(), records_.end(), &b->win));
    b->win.auto_delete = 1;
    BrwColumn* column = b->columns[0];
    char* cell = column->cells[5];
    ASSERT_TRUE(lysora::testing::IsAllocated(column));
    ASSERT_TRUE(lysora::testing::IsAllocated(cell));
    HWND hwnd = b->win.hwnd;
    DestroyWindow(hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Win_Ptr(hwnd), 0);
    EXPECT_FALSE(lysora::testing::IsAllocated(column));
    EXPECT_FALSE(lysora::testing::IsAllocated(cell));
}

} // namespace
} // namespace guikit_test
