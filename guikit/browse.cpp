// The browse "GKT-BRW" (type 9): a page of records as a grid with a header row, a row
// cursor and two scroll bars. The library keeps only the texts of the visible cells; which
// record comes first, which follows which, what a row says and where the thumb stands are
// asked from the record's callback (CB_* questions), with record identifiers it never reads.
//
// The page holds at most GKT_BRW_MAX_ROWS rows, however tall the window; every buffer a
// column owns is freed with the record (Win_Del).
#include "guikit/internal.h"

#include <cstdlib>
#include <cstring>

namespace guikit {
namespace {

constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 16;
constexpr COLORREF kHeaderColour = RGB(0xC0, 0xC0, 0xC0);

WinBrw* BrowseOf(Win* win) { return win && win->type == GKT_BROWSE ? reinterpret_cast<WinBrw*>(win) : nullptr; }

int Ask(WinBrw* b, UINT question, WPARAM wparam = 0, LPARAM lparam = 0)
{
    return static_cast<int>(Notify(&b->win, question, wparam, lparam));
}

int Skip(WinBrw* b, int n, int record)
{
    return Ask(b, CB_SKIP, static_cast<WPARAM>(static_cast<INT_PTR>(n)), record);
}

int TotalWidth(const WinBrw* b)
{
    int total = 0;
    for (int c = 0; c < b->column_count; ++c) total += b->columns[c]->width;
    return total;
}

int CurrentRecord(const WinBrw* b)
{
    return b->current_row >= 0 && b->current_row < GKT_BRW_MAX_ROWS ? b->page[b->current_row] : 0;
}

void FreeColumn(BrwColumn* column)
{
    if (!column) return;
    std::free(column->title);
    for (char* cell : column->cells) std::free(cell);
    std::free(column);
}

char* NewBuffer(int size)
{
    return static_cast<char*>(std::calloc(static_cast<std::size_t>(size), 1));
}

void CopyText(char* buffer, int size, const char* text)
{
    if (!buffer || size <= 0) return;
    std::size_t n = text ? std::strlen(text) : 0;
    if (n > static_cast<std::size_t>(size - 1)) n = static_cast<std::size_t>(size - 1);
    if (n) std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

// ---- page rebuild ----------------------------------------------------------------------

void Rebuild(WinBrw* b, int message, int n, bool notify)
{
    int top = b->page[0];
    if (message == CB_SKIP) top = Skip(b, n, top);
    else if (message == CB_THUMB) top = Ask(b, CB_THUMB, static_cast<WPARAM>(n));
    else if (message == CB_CURRENT) top = Ask(b, CB_CURRENT);
    if (message == CB_GOTOP || (n <= 0 && top == 0)) top = Ask(b, CB_GOTOP);
    else if (message == CB_GOBOTTOM || (n > 0 && top == 0)) top = Ask(b, CB_GOBOTTOM);
    if (b->vscroll) SetScrollPos(b->vscroll, SB_CTL, top ? Ask(b, CB_POSITION, 0, top) : 0, TRUE);

    std::memset(b->page, 0, sizeof b->page);
    b->page[0] = top;
    for (int i = 1; i < b->visible_rows && b->page[i - 1]; ++i) b->page[i] = Skip(b, 1, b->page[i - 1]);
    if ((message == CB_GOTOP || message == CB_GOBOTTOM || notify) && b->page[0]) Ask(b, CB_SELECT, 0, b->page[0]);

    for (int c = 0; c < b->column_count; ++c) std::memset(b->columns[c]->marks, 0, sizeof b->columns[c]->marks);
    for (int i = 0; i < b->visible_rows; ++i) Ask(b, CB_FILLROW, static_cast<WPARAM>(i), b->page[i]);

    b->current_row = -1;
    if (b->column_count > 0) {
        for (int i = 0; i < b->visible_rows; ++i) {
            if (b->page[i] && b->columns[0]->marks[i]) b->current_row = i;
        }
    }
    if (b->win.hwnd) InvalidateRect(b->win.hwnd, nullptr, FALSE);
}

// ---- layout ----------------------------------------------------------------------------

void Layout(WinBrw* b, int cw, int ch)
{
    const int total = TotalWidth(b);
    const int bar_w = b->vscroll_width;
    b->grid_top = b->header_height;
    int h_max = 0;
    if (total + bar_w > cw) {
        b->grid_left = 0;
        b->grid_width = cw - bar_w;
        b->h_offset = 0;
        b->hscroll_height = GetSystemMetrics(SM_CYHSCROLL);
        h_max = total + bar_w - cw;
    } else {
        b->grid_left = (cw - bar_w - total) / 2;
        b->grid_width = total;
        b->h_offset = 0;
        b->hscroll_height = 0;
    }
    int rows = (ch - b->header_height - b->hscroll_height - 1) / b->row_height;
    if (rows > GKT_BRW_MAX_ROWS) rows = GKT_BRW_MAX_ROWS;
    if (rows < 1) rows = 1; // the page always has a top row to rebuild from
    b->visible_rows = rows;
    b->grid_height = rows * b->row_height;

    MoveWindow(b->vscroll, b->grid_left + b->grid_width, b->grid_top, bar_w, b->grid_height + 1, TRUE);
    SetScrollRange(b->vscroll, SB_CTL, 0, GKT_BRW_THUMB_RANGE, FALSE);
    if (b->hscroll_height) {
        MoveWindow(b->hscroll, b->grid_left, b->grid_top + b->grid_height + 1, b->grid_width, b->hscroll_height, TRUE);
        SetScrollRange(b->hscroll, SB_CTL, 0, h_max, FALSE);
        SetScrollPos(b->hscroll, SB_CTL, 0, TRUE);
        ShowWindow(b->hscroll, SW_SHOW);
    } else {
        ShowWindow(b->hscroll, SW_HIDE);
    }
    Rebuild(b, CB_SKIP, 0, false);
}

// ---- painting ----------------------------------------------------------------------------

LRESULT EraseBackground(Win* win, HWND hwnd, HDC dc);

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT r = {left, top, right, bottom};
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void PaintHeader(WinBrw* b, HDC dc)
{
    int x = b->grid_left - b->h_offset;
    for (int c = 0; c < b->column_count; ++c) {
        const BrwColumn* column = b->columns[c];
        RECT cell = {x, 0, x + column->width, b->header_height};
        Fill(dc, cell.left, cell.top, cell.right, cell.bottom, kHeaderColour);
        DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, column->title, -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        x += column->width;
    }
}

void PaintRows(WinBrw* b, HDC dc)
{
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    for (int i = 0; i < b->visible_rows; ++i) {
        const int top = b->grid_top + i * b->row_height;
        if (!b->page[i]) {
            // A row that lost its record (the page got shorter) is cleared, not left stale.
            Fill(dc, b->grid_left, top + 1, b->grid_left + b->grid_width, top + b->row_height, window);
            continue;
        }
        int x = b->grid_left - b->h_offset;
        for (int c = 0; c < b->column_count; ++c) {
            const BrwColumn* column = b->columns[c];
            const bool marked = column->marks[i] != 0;
            Fill(dc, x + 1, top + 1, x + column->width, top + b->row_height, marked ? highlight : window);
            SetTextColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            const char* text = column->cells[i] ? column->cells[i] : "";
            if (column->drawn) {
                _Out(dc, x + 3, top + 2, column->width - 5, b->row_height - 4, text);
            } else {
                RECT r = {x + 3, top + 2, x + column->width - 2, top + b->row_height - 2};
                DrawTextA(dc, text, -1, &r, column->format | DT_SINGLELINE | DT_NOPREFIX);
            }
            x += column->width;
        }
    }
}

void PaintLines(WinBrw* b, HDC dc)
{
    const int right = b->grid_left + b->grid_width;
    const int bottom = b->grid_top + b->grid_height;
    for (int i = 0; i <= b->visible_rows; ++i) {
        const int y = b->grid_top + i * b->row_height;
        MoveToEx(dc, b->grid_left, y, nullptr);
        LineTo(dc, right, y);
    }
    int x = b->grid_left - b->h_offset;
    for (int c = 0; c < b->column_count; ++c) {
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, bottom);
        x += b->columns[c]->width;
    }
}

void PaintFocusFrame(WinBrw* b, HWND hwnd, HDC dc)
{
    if (b->current_row < 0) return;
    const COLORREF colour = GetSysColor(GetFocus() == hwnd ? COLOR_WINDOW : COLOR_HIGHLIGHT);
    const int left = b->grid_left, right = b->grid_left + b->grid_width - 1;
    const int top = b->grid_top + b->current_row * b->row_height, bottom = top + b->row_height;
    for (int x = left; x <= right; x += 2) {
        SetPixel(dc, x, top, colour);
        SetPixel(dc, x, bottom, colour);
    }
    for (int y = top; y <= bottom; y += 2) {
        SetPixel(dc, left, y, colour);
        SetPixel(dc, right, y, colour);
    }
}

void Paint(WinBrw* b, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd, &ps);
    // Drawn off screen, then shown at once: no flicker, and one transfer to the display
    // instead of one per cell.
    RECT client;
    GetClientRect(hwnd, &client);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    EraseBackground(&b->win, hwnd, dc);
    const int saved = SaveDC(dc);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    SelectObject(dc, pen);
    SelectObject(dc, b->win.font ? b->win.font : SharedFont());
    SetBkMode(dc, TRANSPARENT);

    const int right = b->grid_left + b->grid_width;
    IntersectClipRect(dc, b->grid_left, 0, right + 1, b->grid_top + b->grid_height + 1);
    PaintHeader(b, dc);
    PaintRows(b, dc);
    SetBkMode(dc, TRANSPARENT);
    PaintLines(b, dc);
    RestoreDC(dc, saved);

    // Over the vertical bar, right of the header; and the corner between the two bars.
    const COLORREF bar = GetSysColor(COLOR_SCROLLBAR);
    Fill(dc, right, 0, right + b->vscroll_width, b->header_height, bar);
    if (b->hscroll_height) {
        const int bottom = b->grid_top + b->grid_height + 1;
        Fill(dc, right, bottom, right + b->vscroll_width, bottom + b->hscroll_height, bar);
    }
    PaintFocusFrame(b, hwnd, dc);
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteObject(pen);
    EndPaint(hwnd, &ps);
}

// ---- keyboard, mouse and scroll bars ---------------------------------------------------------

void HorizontalTo(WinBrw* b, HWND hwnd, int offset)
{
    int low = 0, high = 0;
    GetScrollRange(b->hscroll, SB_CTL, &low, &high);
    if (offset < 0) offset = 0;
    if (offset > high) offset = high;
    if (offset == b->h_offset) return;
    b->h_offset = offset;
    SetScrollPos(b->hscroll, SB_CTL, offset, TRUE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void HorizontalScroll(WinBrw* b, HWND hwnd, WPARAM wparam)
{
    int low = 0, high = 0;
    GetScrollRange(b->hscroll, SB_CTL, &low, &high);
    switch (LOWORD(wparam)) {
    case SB_LINELEFT: HorizontalTo(b, hwnd, b->h_offset - b->grid_width / 10); break;
    case SB_LINERIGHT: HorizontalTo(b, hwnd, b->h_offset + b->grid_width / 10); break;
    case SB_PAGELEFT: HorizontalTo(b, hwnd, b->h_offset - b->grid_width); break;
    case SB_PAGERIGHT: HorizontalTo(b, hwnd, b->h_offset + b->grid_width); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: HorizontalTo(b, hwnd, HIWORD(wparam)); break;
    case SB_LEFT: HorizontalTo(b, hwnd, 0); break;
    case SB_RIGHT: HorizontalTo(b, hwnd, high); break;
    case SB_ENDSCROLL: break;
    default: MessageBeep(0); break;
    }
}

void VerticalScroll(WinBrw* b, WPARAM wparam)
{
    switch (LOWORD(wparam)) {
    case SB_LINEUP: Rebuild(b, CB_SKIP, -1, false); break;
    case SB_LINEDOWN: Rebuild(b, CB_SKIP, 1, false); break;
    case SB_PAGEUP: Rebuild(b, CB_SKIP, -b->visible_rows, false); break;
    case SB_PAGEDOWN: Rebuild(b, CB_SKIP, b->visible_rows, false); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: Rebuild(b, CB_THUMB, HIWORD(wparam), false); break;
    case SB_ENDSCROLL: break;
    default: MessageBeep(0); break;
    }
}

// WM_KEYDOWN; false for a key handed to the parent.
bool Key(WinBrw* b, HWND hwnd, WPARAM key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) Rebuild(b, key == VK_PRIOR ? CB_GOTOP : CB_GOBOTTOM, 0, true);
        else Rebuild(b, CB_SKIP, key == VK_PRIOR ? -b->visible_rows : b->visible_rows, true);
        break;
    case VK_UP:
    case VK_DOWN: {
        const bool up = key == VK_UP;
        const bool had_row = b->current_row >= 0;
        const int from = had_row ? CurrentRecord(b) : Ask(b, CB_CURRENT);
        const int next = from ? Skip(b, up ? -1 : 1, from) : 0;
        if (!next) return true;
        Ask(b, CB_SELECT, 0, next);
        // A selection scrolled off the page (a thumb drag) is brought onto it first, either
        // way: the record the buttons act on is always shown.
        if (!had_row) Rebuild(b, CB_CURRENT, 0, false);
        else if (up) Rebuild(b, CB_SKIP, b->current_row == 0 ? -1 : 0, false);
        else Rebuild(b, CB_SKIP, b->current_row == b->visible_rows - 1 ? 1 : 0, false);
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        if (b->hscroll_height) HorizontalScroll(b, hwnd, key == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT);
        return true;
    case VK_SPACE: Rebuild(b, CB_SKIP, 0, false); return true;
    default: return false;
    }
    Notify(&b->win, WM_CHAR, GKT_CHAR_MOVED, 0);
    return true;
}

// The wheel scrolls the page as the scroll bar's line arrows do, the system's number of
// lines a notch; the selection stays where it is.
void Wheel(WinBrw* b, WPARAM wparam)
{
    const int lines = Gkt_WheelLines(GET_WHEEL_DELTA_WPARAM(wparam));
    if (lines) Rebuild(b, CB_SKIP, lines, false);
}

void Click(WinBrw* b, HWND hwnd, int y)
{
    if (y >= b->grid_top) {
        const int row = (y - b->grid_top) / b->row_height;
        if (row < b->visible_rows && b->page[row]) {
            Ask(b, CB_SELECT, 0, b->page[row]);
            Rebuild(b, CB_SKIP, 0, false);
        }
    }
    SetFocus(hwnd);
    Notify(&b->win, WM_CHAR, GKT_CHAR_CLICK, 0);
}

void Created(WinBrw* b, HWND hwnd, LPARAM lparam)
{
    HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lparam)->hInstance;
    b->vscroll_width = GetSystemMetrics(SM_CXVSCROLL);
    b->hscroll_height = GetSystemMetrics(SM_CYHSCROLL);
    b->vscroll = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd, nullptr,
                                 instance, nullptr);
    b->hscroll = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 0, 0, hwnd, nullptr, instance, nullptr);
}

LRESULT EraseBackground(Win* win, HWND hwnd, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = win->parent && win->parent->bk_brush ? win->parent->bk_brush : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, brush);
    return 1;
}

} // namespace

void FreeBrowseColumns(Win* win)
{
    WinBrw* b = BrowseOf(win);
    if (!b) return;
    for (int c = 0; c < b->column_count; ++c) {
        FreeColumn(b->columns[c]);
        b->columns[c] = nullptr;
    }
    b->column_count = 0;
}

void BrowseDefaults(Win* win)
{
    WinBrw* b = BrowseOf(win);
    if (!b) return;
    b->header_height = kHeaderHeight;
    b->row_height = kRowHeight;
    b->grid_top = kHeaderHeight;
    b->visible_rows = 1;
    b->current_row = -1;
}

bool RegisterBrowseClass(HINSTANCE instance)
{
    return RegisterLibraryClass(instance, "GKT-BRW", Brw_Proc, COLOR_BTNFACE);
}

} // namespace guikit

using namespace guikit;

GUIKIT_API int __stdcall Brw_SetCol(Win* win, int position, const char* title, int width, int buffer_size, int format,
                                    int drawn)
{
    WinBrw* b = BrowseOf(win);
    if (!b) return 0;
    if (position != -1) {
        ShowBox(win->hwnd, "Paramètre 2 incorrect", "Brw_SetCol()", MB_OK);
        return 0;
    }
    if (b->column_count >= GKT_BRW_MAX_COLUMNS || buffer_size < 1) {
        Trace("Brw_SetCol: column refused");
        return 0;
    }
    auto* column = static_cast<BrwColumn*>(std::calloc(1, sizeof(BrwColumn)));
    if (!column) return 0;
    column->width = width > 0 ? width : 0;
    column->buffer_size = buffer_size;
    column->format = static_cast<unsigned char>(format);
    column->drawn = static_cast<unsigned char>(drawn != 0);
    const int title_size = title ? static_cast<int>(std::strlen(title)) + 1 : 1;
    column->title = NewBuffer(title_size);
    bool complete = column->title != nullptr;
    for (char*& cell : column->cells) complete = complete && (cell = NewBuffer(buffer_size)) != nullptr;
    if (!complete) {
        FreeColumn(column);
        return 0;
    }
    CopyText(column->title, title_size, title);
    b->columns[b->column_count++] = column;
    return 0;
}

GUIKIT_API int __stdcall Brw_SetText(Win* win, int column, int row, const char* text, int mark)
{
    WinBrw* b = BrowseOf(win);
    if (!b || column < 0 || column >= b->column_count || row < 0 || row >= GKT_BRW_MAX_ROWS) return mark;
    BrwColumn* c = b->columns[column];
    CopyText(c->cells[row], c->buffer_size, text);
    c->marks[row] = static_cast<unsigned char>(mark != 0);
    return mark;
}

GUIKIT_API void __stdcall Brw_Dsp(Win* win, int message, int n, int notify)
{
    if (WinBrw* b = BrowseOf(win)) Rebuild(b, message, n, notify != 0);
}

GUIKIT_API LRESULT CALLBACK Brw_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    WinBrw* b = BrowseOf(ControlRecord(hwnd, msg, lparam));
    if (!b) return DefWindowProcA(hwnd, msg, wparam, lparam);
    Win* win = &b->win;
    switch (msg) {
    case WM_NCCREATE: Created(b, hwnd, lparam); break;
    case WM_CREATE:
        b->visible_rows = 1;
        b->h_offset = 0;
        Rebuild(b, CB_GOTOP, 0, true);
        Notify(win, WM_CREATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win));
        return 0;
    case WM_SIZE: Layout(b, LOWORD(lparam), HIWORD(lparam)); return 0;
    case WM_ERASEBKGND: return EraseBackground(win, hwnd, reinterpret_cast<HDC>(wparam));
    case WM_PAINT: Paint(b, hwnd); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ReportFocus(hwnd, win, msg == WM_SETFOCUS);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        if (!Key(b, hwnd, wparam)) return SendMessageA(GetParent(hwnd), msg, wparam, lparam);
        return 0;
    case WM_SYSCHAR: return SendMessageA(GetParent(hwnd), msg, wparam, lparam);
    case WM_CHAR: return Notify(win, WM_CHAR, wparam, lparam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: Click(b, hwnd, static_cast<short>(HIWORD(lparam))); return 0;
    case WM_LBUTTONDBLCLK: Notify(win, WM_CHAR, GKT_CHAR_DBLCLICK, 0); return 0;
    case WM_RBUTTONDOWN: Notify(win, WM_CHAR, GKT_CHAR_RBUTTON, 0); return 0;
    case WM_VSCROLL: VerticalScroll(b, wparam); return 0;
    case WM_MOUSEWHEEL: Wheel(b, wparam); return 0;
    case WM_HSCROLL: HorizontalScroll(b, hwnd, wparam); return 0;
    case GKTM_PARENTSIZE: FollowParentSize(win, lparam); return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
