// The grid control: FLD_GRILLE is the program's read-only table, a fixed title column, one
// header row, equal value columns, two scroll bars, click-to-sort on the headers and a
// rows-only repaint while scrolling; DOM_GRILLE is its domain, which sizes it. The content,
// order and scroll state live in a GridModel; this class owns the window side: the
// subclassed label window, its scroll bars, its font, and the painting.
//
// Left out: the grid never takes the focus, has no keyboard handling and nothing to
// validate. Content assigned after creation does not resize the window.
#pragma once

#include "framework/fld.h"
#include "views/grid/grid_model.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lysora {

class FLD_GRILLE;

// The width in pixels of text in the grid's font, as a cell or a row title draws it; and the
// inset of the row titles, which the title column must give them besides.
int GridTextWidth(std::string_view text);
inline constexpr int kGridTextInset = 3;

class DOM_GRILLE : public DOM_NUM {
public:
    // Sizes in pixels: the title column, each value column, the whole grid's width (which
    // gives the number of whole value columns shown), a row, and the rows shown.
    DOM_GRILLE(int nTitleWidth, int nColWidth, int nTotalWidth, int nRowHeight, int nVisibleRows);
    std::unique_ptr<FLD_GRILLE> CONTROL(WIN* owner) const;
    const GridGeometry& Geometry() const { return geometry_; }

private:
    GridGeometry geometry_;
};

class FLD_GRILLE : public FLD {
public:
    FLD_GRILLE(WIN* owner, int nTitleWidth, int nColWidth, int nVisibleCols, int nRowHeight,
               int nVisibleRows);
    ~FLD_GRILLE() override; // AXIT: the window first, then the font

    // The brush of the header cells, made once by start-up; the grid never frees it.
    static void SetHeaderBrush(HBRUSH brush);

    std::string TITRE;                // top-left cell
    std::vector<std::string> COLONNES; // COLONNES[k]: title of value column k+1
    bool TRIAUTORISE = false;         // a header click sorts

    std::string VALIDATE() override { return {}; }
    void ONCREATE() override;

    // LIGNES: the rows (see grid_model.h); kept, not copied, and sorted in place.
    void LIGNES(const Value& rows);
    const Value& LIGNES() const { return model_.Rows(); }
    int NB_COL() const { return model_.ColumnCount(); }
    int NB_LIGNES() const { return model_.RowCount(); }
    bool VSCROLLBARPRESENT() const { return model_.VerticalBarNeeded(); }
    bool HSCROLLBARPRESENT() const { return model_.HorizontalBarNeeded(); }
    const GridModel& Model() const { return model_; }
    HFONT FONTE() const { return font_; } // the font the cells and titles are drawn in
    int LARGEUR() const { return width_; }
    int HAUTEUR() const { return height_; }
    HWND SCROLLV() const { return vbar_; }
    HWND SCROLLH() const { return hbar_; }

    void TRIERLIGNES(std::optional<int> element = std::nullopt);
    void INITSCROLLBAR();
    // Full repaint later (headers and rows), and rows-only repaint at once.
    void RAFRAICHIR();
    void RAFRAICHIRLIGNES();
    void RAFRAICHIRLIGNE(int nVisRow);

    void POSITIONNERRELATIFV(int nDelta, bool redrawBar = true);
    void POSITIONNERRELATIFH(int nDelta, bool redrawBar = true);
    void POSITIONNERABSOLUV(int nPos);
    void POSITIONNERABSOLUH(int nPos);

    void CLIC(int x, int y);
    void CLICENTETE(int element);
    // A double click on visible row / value column (negative in the headers): a hook for
    // owners; the grid itself does nothing.
    virtual void DOUBLECLIC(int nVisRow, int nVisCol);

    void PAINT(HDC dc);

protected:
    std::string TextOf(const Value&) override { return {}; } // the grid shows no text of its own

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    std::optional<LRESULT> OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    void OnScroll(bool vertical, int code, int thumb);
    // The window beside and below the cells (where a bar is hidden or does not reach), in
    // the colour the parent gives its static controls.
    void DrawMargins(HDC dc);
    void DrawTitle(HDC dc);          // DESSINERTITRE
    void DrawColumnTitles(HDC dc);   // DESSINERTITRESCOLONNES
    void DrawRow(HDC dc, int r);     // DESSINERLIGNE
    void DrawCell(HDC dc, int r, int c); // DESSINERCELLULE
    void DrawArrow(HDC dc, int visCol);  // DESSINERFLECHE
    void SetBarRange(HWND bar, bool needed, int max, int pos);

    GridModel model_;
    HFONT font_ = nullptr; // FONTE
    HWND vbar_ = nullptr, hbar_ = nullptr;
    int width_ = 0, height_ = 0;
    bool rowsOnly_ = false; // LIGNESSEULES
};

} // namespace lysora
