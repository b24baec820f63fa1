// The grid's content, order, scroll positions and geometry, without a window: FLD_GRILLE
// draws this model and feeds it the user's clicks and scrolls.
//
// Rows: an array of rows; each row an array whose element 1 is the row title (a text) and
// whose elements 2 ... NB_COL+1 are the cells of value columns 1 ... NB_COL (a number, or
// nil for no value). Indexes named "element" below are these 1-based row-element indexes.
// The grid keeps the caller's array (arrays are shared) and sorts it in place.
#pragma once

#include "base/value.h"

#include <optional>
#include <string>

namespace lysora {

// Sizes in pixels; the header row is as high as a row.
struct GridGeometry {
    int titleWidth = 0;  // LARGEURTITRE
    int colWidth = 1;    // LARGEURCOL
    int visibleCols = 0; // NB_COLVISIBLES
    int rowHeight = 1;   // HAUTEURLIGNE, also HAUTEURENTETE
    int visibleRows = 0; // NB_LIGNESVISIBLES

    int HeaderHeight() const { return rowHeight; }
    // Left edge of visible value column c (0-based); X(0) is the title column's right edge.
    int X(int c) const { return titleWidth + c * colWidth; }
    // Top edge of visible row r (0-based); Y(-1) is the header's top, Y(0) its bottom.
    int Y(int r) const { return HeaderHeight() + r * rowHeight; }
    // Visible row under a window y (negative in the header) and value column under an x
    // (negative in the title column), rounded towards minus infinity.
    int Y2I(int y) const;
    int X2C(int x) const;
};

// Whether row a goes before row b when sorted on one element, as the grid sorts: ascending,
// positive numbers first, then zeros, then rows without a value; descending, numbers from
// the largest down, then rows without a value. Texts compare by character code. Both are
// strict orders (never true for equal keys), as sorting needs.
bool GoesBeforeAscending(const Value& a, const Value& b);
bool GoesBeforeDescending(const Value& a, const Value& b);

class GridModel {
public:
    explicit GridModel(GridGeometry geometry = {}) : geometry_(geometry) {}

    const GridGeometry& Geometry() const { return geometry_; }

    // LIGNES: keeps rows (an array of row arrays; anything else counts as no rows), sizes
    // NB_LIGNES and NB_COL from it and sorts it again when a sort column is set. The scroll
    // positions are kept, only brought back inside their new range.
    void SetRows(const Value& rows);
    const Value& Rows() const { return rows_; }
    int RowCount() const { return rowCount_; }    // NB_LIGNES
    int ColumnCount() const { return colCount_; } // NB_COL

    // TRIERLIGNES: element omitted, sorts again on the current column and direction; the
    // current column again, reverses the direction; another column, sorts it ascending.
    void SortRows(std::optional<int> element = std::nullopt);
    int SortElement() const { return sortElement_; } // COLTRI, 0 before the first sort
    int SortDirection() const { return sortDirection_; } // SENSTRI: +1, -1, 0 before

    bool VerticalBarNeeded() const { return rowCount_ > geometry_.visibleRows; }
    bool HorizontalBarNeeded() const { return colCount_ > geometry_.visibleCols; }
    int MaxFirstRow() const;
    int MaxFirstCol() const;
    int FirstRow() const { return firstRow_; } // PREMIERELIGNE
    int FirstCol() const { return firstCol_; } // PREMIERECOL
    // Moves the first visible row or column by delta, kept inside 0 ... its maximum;
    // true when it moved.
    bool ScrollRows(int delta);
    bool ScrollCols(int delta);

    // Rows and value columns on screen now.
    int ShownRows() const;
    int ShownCols() const;
    // The row title of visible row r, and the text of visible cell (r, c) by the number
    // display rule. Cells a short row lacks show as no value.
    std::string RowTitle(int r) const;
    std::string CellText(int r, int c, char decimalSeparator) const;
    const Value& Cell(int row, int element) const; // row 0-based in Rows(), element 1-based

    // The header element a press at (x, y) sorts on (1 for the title cell), or nothing
    // when the press is outside the header row or on the vertical bar. outerWidth is the
    // control's width, barWidth the vertical bar's.
    std::optional<int> HeaderElementAt(int x, int y, int outerWidth, int barWidth) const;

private:
    void ClampScroll();

    GridGeometry geometry_;
    Value rows_;
    int rowCount_ = 0, colCount_ = 0;
    int sortElement_ = 0, sortDirection_ = 0;
    int firstRow_ = 0, firstCol_ = 0;
};

} // namespace lysora
