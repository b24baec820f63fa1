// DOM_GRILLE and FLD_GRILLE (see fld_grille.h).
#include "views/grid/fld_grille.h"

#include "data/domain_text.h"
#include "framework/subclass.h"

#include <algorithm>

namespace lysora {

namespace {

// The window property holding the procedure the grid replaced.
constexpr const char* kReplacedProc = "Lysora.FLD_GRILLE.Proc";
constexpr int kTransparentBackground = 1; // SetBkMode's TRANSPARENT (undone by winapi.h)
constexpr int kLinesPerPage = 3;          // rows or columns a page click scrolls

HBRUSH g_headerBrush = nullptr;

// Selects an object into a DC for one scope and puts the previous one back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The grid's font: Arial, 14 pixels high.
HFONT NewGridFont()
{
    return CreateFontA(14, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, 0, "Arial");
}

HBRUSH HeaderBrush()
{
    return g_headerBrush ? g_headerBrush : GetSysColorBrush(COLOR_BTNFACE);
}

void Text(HDC dc, int x, int y, const std::string& text)
{
    TextOutA(dc, x, y, text.c_str(), int(text.size()));
}

} // namespace

int GridTextWidth(std::string_view text)
{
    HFONT font = NewGridFont();
    HDC dc = GetDC(nullptr);
    SIZE size{};
    if (font) {
        Selected selected(dc, font);
        GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
    }
    ReleaseDC(nullptr, dc);
    if (font)
        DeleteObject(font);
    return size.cx;
}

// ---- DOM_GRILLE ---------------------------------------------------------------------

DOM_GRILLE::DOM_GRILLE(int nTitleWidth, int nColWidth, int nTotalWidth, int nRowHeight,
                       int nVisibleRows)
    : DOM_NUM(0)
{
    geometry_.titleWidth = std::max(0, nTitleWidth);
    geometry_.colWidth = std::max(1, nColWidth);
    // Whole columns only, so that the grid stays inside the width it was given.
    geometry_.visibleCols = std::max(0, (nTotalWidth - nTitleWidth) / geometry_.colWidth);
    geometry_.rowHeight = std::max(1, nRowHeight);
    geometry_.visibleRows = std::max(0, nVisibleRows);
}

std::unique_ptr<FLD_GRILLE> DOM_GRILLE::CONTROL(WIN* owner) const
{
    return std::make_unique<FLD_GRILLE>(owner, geometry_.titleWidth, geometry_.colWidth,
                                        geometry_.visibleCols, geometry_.rowHeight,
                                        geometry_.visibleRows);
}

// ---- FLD_GRILLE ---------------------------------------------------------------------

FLD_GRILLE::FLD_GRILLE(WIN* owner, int nTitleWidth, int nColWidth, int nVisibleCols,
                       int nRowHeight, int nVisibleRows)
    : FLD(owner, GKT_LABEL),
      model_(GridGeometry{std::max(0, nTitleWidth), std::max(1, nColWidth), std::max(0, nVisibleCols),
                          std::max(1, nRowHeight), std::max(0, nVisibleRows)})
{
    font_ = NewGridFont();
}

FLD_GRILLE::~FLD_GRILLE()
{
    // The window (and its scroll bars) go first, so that nothing paints with a freed font.
    DestroyWindowNow();
    if (font_)
        DeleteObject(font_);
}

void FLD_GRILLE::SetHeaderBrush(HBRUSH brush) { g_headerBrush = brush; }

void FLD_GRILLE::ONCREATE()
{
    FLD::ONCREATE();
    HWND hwnd = HANDLE();
    SubclassControl(hwnd, kReplacedProc, &Proc);

    // The window fits the content present now, scroll bars included.
    const GridGeometry& g = model_.Geometry();
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    width_ = g.titleWidth + std::min(g.visibleCols, NB_COL()) * g.colWidth + 1 + barWidth;
    height_ = g.HeaderHeight() + std::min(g.visibleRows, NB_LIGNES()) * g.rowHeight + 1 + barHeight;
    RECT place;
    GetWindowRect(hwnd, &place);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(hwnd, place.left, place.top, width_, height_, FALSE);
    if (Win* record = Record()) { // a new layout of the dialog keeps this size
        record->req_w = record->w = width_;
        record->req_h = record->h = height_;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    vbar_ = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_VERT, width_ - barWidth,
                            g.HeaderHeight(), barWidth, g.visibleRows * g.rowHeight + 1, hwnd,
                            nullptr, instance, nullptr);
    hbar_ = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, g.titleWidth,
                            height_ - barHeight, g.visibleCols * g.colWidth + 1, barHeight, hwnd,
                            nullptr, instance, nullptr);
    SCROLLINFO page{};
    page.cbSize = sizeof page;
    page.fMask = SIF_PAGE;
    page.nPage = 1;
    SetScrollInfo(vbar_, SB_CTL, &page, FALSE);
    SetScrollInfo(hbar_, SB_CTL, &page, FALSE);
    INITSCROLLBAR();
}

void FLD_GRILLE::SetBarRange(HWND bar, bool needed, int max, int pos)
{
    if (!bar)
        return;
    if (needed) {
        SetScrollRange(bar, SB_CTL, 0, max, FALSE);
        SetScrollPos(bar, SB_CTL, pos, TRUE);
    } else {
        SetScrollRange(bar, SB_CTL, 0, 0, TRUE);
        ShowWindow(bar, SW_HIDE); // once hidden, the grid never shows it again
    }
}

void FLD_GRILLE::INITSCROLLBAR()
{
    SetBarRange(vbar_, VSCROLLBARPRESENT(), model_.MaxFirstRow(), model_.FirstRow());
    SetBarRange(hbar_, HSCROLLBARPRESENT(), model_.MaxFirstCol(), model_.FirstCol());
}

void FLD_GRILLE::LIGNES(const Value& rows)
{
    model_.SetRows(rows);
    if (Exists()) {
        INITSCROLLBAR();
        RAFRAICHIR();
    }
}

void FLD_GRILLE::TRIERLIGNES(std::optional<int> element) { model_.SortRows(element); }

void FLD_GRILLE::RAFRAICHIR()
{
    rowsOnly_ = false;
    if (Exists())
        InvalidateRect(HANDLE(), nullptr, FALSE);
}

void FLD_GRILLE::RAFRAICHIRLIGNES()
{
    if (!Exists())
        return;
    rowsOnly_ = true;
    InvalidateRect(HANDLE(), nullptr, FALSE);
    UpdateWindow(HANDLE());
}

void FLD_GRILLE::RAFRAICHIRLIGNE(int nVisRow)
{
    if (!Exists() || nVisRow < 0 || nVisRow >= model_.ShownRows())
        return;
    HDC dc = GetDC(HANDLE());
    Selected font(dc, font_);
    SetBkMode(dc, kTransparentBackground);
    DrawRow(dc, nVisRow);
    ReleaseDC(HANDLE(), dc);
}

void FLD_GRILLE::POSITIONNERRELATIFV(int nDelta, bool redrawBar)
{
    if (!model_.ScrollRows(nDelta))
        return;
    if (vbar_)
        SetScrollPos(vbar_, SB_CTL, model_.FirstRow(), redrawBar);
    RAFRAICHIRLIGNES();
}

void FLD_GRILLE::POSITIONNERRELATIFH(int nDelta, bool redrawBar)
{
    if (!model_.ScrollCols(nDelta))
        return;
    if (hbar_)
        SetScrollPos(hbar_, SB_CTL, model_.FirstCol(), redrawBar);
    RAFRAICHIR(); // the column titles and the sort arrow move with the columns
}

void FLD_GRILLE::POSITIONNERABSOLUV(int nPos)
{
    if (nPos != model_.FirstRow())
        POSITIONNERRELATIFV(nPos - model_.FirstRow(), false);
}

void FLD_GRILLE::POSITIONNERABSOLUH(int nPos)
{
    if (nPos != model_.FirstCol())
        POSITIONNERRELATIFH(nPos - model_.FirstCol(), false);
}

void FLD_GRILLE::CLIC(int x, int y)
{
    if (auto element = model_.HeaderElementAt(x, y, width_, GetSystemMetrics(SM_CXVSCROLL)))
        CLICENTETE(*element);
}

void FLD_GRILLE::CLICENTETE(int element)
{
    if (!TRIAUTORISE)
        return;
    TRIERLIGNES(element);
    RAFRAICHIR();
}

void FLD_GRILLE::DOUBLECLIC(int, int) {}

// ---- Painting -----------------------------------------------------------------------

void FLD_GRILLE::PAINT(HDC dc)
{
    Selected font(dc, font_);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, kTransparentBackground);
    if (!rowsOnly_) {
        DrawMargins(dc);
        Selected brush(dc, GetSysColorBrush(COLOR_BTNFACE));
        DrawTitle(dc);
        DrawColumnTitles(dc);
    }
    for (int r = 0; r < model_.ShownRows(); ++r)
        DrawRow(dc, r);
    rowsOnly_ = false;
}

void FLD_GRILLE::DrawMargins(HDC dc)
{
    const GridGeometry& g = model_.Geometry();
    RECT client{};
    GetClientRect(HANDLE(), &client);
    const int right = g.X(model_.ShownCols()) + 1, bottom = g.Y(model_.ShownRows()) + 1;
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(HANDLE()), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(HANDLE())));
    if (!brush)
        brush = GetSysColorBrush(COLOR_BTNFACE);
    const int saved = SaveDC(dc);
    for (HWND bar : {vbar_, hbar_}) // the bars shown paint themselves
        if (bar && IsWindowVisible(bar)) {
            RECT r{};
            GetWindowRect(bar, &r);
            MapWindowPoints(nullptr, HANDLE(), reinterpret_cast<POINT*>(&r), 2);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
    const RECT beside{right, 0, client.right, client.bottom}, below{0, bottom, right, client.bottom};
    FillRect(dc, &beside, brush);
    FillRect(dc, &below, brush);
    RestoreDC(dc, saved);
}

void FLD_GRILLE::DrawTitle(HDC dc)
{
    const GridGeometry& g = model_.Geometry();
    {
        Selected brush(dc, HeaderBrush());
        Rectangle(dc, 0, 0, g.titleWidth + 1, g.HeaderHeight() + 1);
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    RECT box{0, 3, g.titleWidth + 1, g.HeaderHeight() + 1};
    DrawTextA(dc, TITRE.c_str(), int(TITRE.size()), &box, DT_CENTER);
    if (model_.SortElement() == 1)
        DrawArrow(dc, 0);
}

void FLD_GRILLE::DrawColumnTitles(HDC dc)
{
    const GridGeometry& g = model_.Geometry();
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    Selected brush(dc, HeaderBrush());
    for (int c = 0; c < model_.ShownCols(); ++c) {
        Rectangle(dc, g.X(c), g.Y(-1), g.X(c + 1) + 1, g.Y(0) + 1);
        const std::size_t column = std::size_t(c + model_.FirstCol());
        if (column < COLONNES.size())
            Text(dc, g.X(c) + g.colWidth / 2, g.Y(-1) + g.rowHeight / 8, COLONNES[column]);
        if (model_.SortElement() == c + model_.FirstCol() + 2)
            DrawArrow(dc, c + 1);
    }
}

void FLD_GRILLE::DrawRow(HDC dc, int r)
{
    const GridGeometry& g = model_.Geometry();
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    {
        Selected brush(dc, HeaderBrush());
        Rectangle(dc, 0, g.Y(r), g.titleWidth + 1, g.Y(r + 1) + 1);
        const std::string title = model_.RowTitle(r);
        RECT box{kGridTextInset, g.Y(r) + g.rowHeight / 8, g.titleWidth, g.Y(r) + g.rowHeight / 8 + 7 * g.rowHeight / 8};
        DrawTextA(dc, title.c_str(), int(title.size()), &box, 0);
    }
    // Value cells are filled with the DC's own brush: white.
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SetTextColor(dc, RGB(0, 0, 0));
    for (int c = 0; c < model_.ShownCols(); ++c)
        DrawCell(dc, r, c);
}

void FLD_GRILLE::DrawCell(HDC dc, int r, int c)
{
    const GridGeometry& g = model_.Geometry();
    Rectangle(dc, g.X(c), g.Y(r), g.X(c + 1) + 1, g.Y(r + 1) + 1);
    Text(dc, g.X(c) + g.colWidth / 2, g.Y(r) + g.rowHeight / 8, model_.CellText(r, c, DecimalSeparator()));
}

void FLD_GRILLE::DrawArrow(HDC dc, int visCol)
{
    const GridGeometry& g = model_.Geometry();
    const int R = g.X(visCol), T = g.Y(-1), B = g.Y(0);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    {
        Selected pen(dc, red);
        auto line = [dc](int x1, int y1, int x2, int y2) {
            MoveToEx(dc, x1, y1, nullptr);
            LineTo(dc, x2, y2);
        };
        line(R - 4, T + 3, R - 4, B - 2); // the shaft, two pixels wide
        line(R - 3, T + 3, R - 3, B - 2);
        if (model_.SortDirection() > 0) { // pointing up
            line(R - 6, T + 5, R - 4, T + 3);
            line(R - 1, T + 5, R - 3, T + 3);
            line(R - 6, T + 5, R, T + 5);
            line(R - 6, T + 6, R, T + 6);
        } else { // pointing down
            line(R - 6, B - 5, R - 4, B - 3);
            line(R - 1, B - 5, R - 3, B - 3);
            line(R - 6, B - 5, R, B - 5);
            line(R - 6, B - 6, R, B - 6);
        }
    }
    DeleteObject(red);
}

// ---- Window procedure ---------------------------------------------------------------

LRESULT CALLBACK FLD_GRILLE::Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    WNDPROC replaced = ReplacedProcedure(hwnd, msg, kReplacedProc);
    if (!replaced)
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    if (msg == WM_NCHITTEST) { // a label lets the mouse through; the grid takes it
        LRESULT hit = CallWindowProcA(replaced, hwnd, msg, wparam, lparam);
        return hit == HTTRANSPARENT ? HTCLIENT : hit;
    }
    if (auto* grid = dynamic_cast<FLD_GRILLE*>(WIN::FromHandle(hwnd)); grid && grid->HANDLE() == hwnd)
        if (std::optional<LRESULT> handled = grid->OnMessage(hwnd, msg, wparam, lparam))
            return *handled;
    return CallWindowProcA(replaced, hwnd, msg, wparam, lparam);
}

std::optional<LRESULT> FLD_GRILLE::OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1; // every pixel is painted: no flicker
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PAINT(dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETTEXT: return TRUE; // a label would resize itself to the text
    case WM_VSCROLL:
    case WM_HSCROLL:
        OnScroll(msg == WM_VSCROLL, LOWORD(wparam), short(HIWORD(wparam)));
        return std::nullopt;
    case WM_MOUSEWHEEL:
        // Rows, as the line arrows step them; a grid that shows all its rows: columns.
        if (const int lines = Gkt_WheelLines(GET_WHEEL_DELTA_WPARAM(wparam)); lines)
            VSCROLLBARPRESENT() ? POSITIONNERRELATIFV(lines) : POSITIONNERRELATIFH(lines);
        return 0;
    case WM_LBUTTONDOWN:
        CLIC(short(LOWORD(lparam)), short(HIWORD(lparam)));
        return std::nullopt;
    case WM_LBUTTONDBLCLK: {
        const int x = short(LOWORD(lparam)), y = short(HIWORD(lparam));
        DOUBLECLIC(model_.Geometry().Y2I(y), model_.Geometry().X2C(x));
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

void FLD_GRILLE::OnScroll(bool vertical, int code, int thumb)
{
    auto relative = [&](int delta) {
        vertical ? POSITIONNERRELATIFV(delta) : POSITIONNERRELATIFH(delta);
    };
    switch (code) {
    case SB_LINEDOWN: relative(1); break;
    case SB_LINEUP: relative(-1); break;
    case SB_PAGEDOWN: relative(kLinesPerPage); break;
    case SB_PAGEUP: relative(-kLinesPerPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: vertical ? POSITIONNERABSOLUV(thumb) : POSITIONNERABSOLUH(thumb); break;
    default: break;
    }
}

} // namespace lysora
