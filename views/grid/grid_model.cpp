// The grid model (see grid_model.h).
#include "views/grid/grid_model.h"

#include "base/display_number.h"

#include <algorithm>

namespace lysora {

namespace {

int FloorDiv(int a, int b)
{
    if (b <= 0)
        return 0;
    int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

const Value& Nil()
{
    static const Value nil;
    return nil;
}

// Sorting classes: a key of a lower class always goes first. Within a class, numbers and
// texts compare by their own order.
int AscendingClass(const Value& v)
{
    if (v.IsNil()) return 3;
    if (v.IsNumber() && v.Number() == 0) return 2;
    return 1;
}

int DescendingClass(const Value& v) { return v.IsNil() ? 2 : 1; }

// Strictly less within a class; a text goes after a number, should a column mix them.
bool Less(const Value& a, const Value& b)
{
    if (a.IsNumber() && b.IsNumber()) return a.Number() < b.Number();
    if (a.IsText() && b.IsText()) return a.Text() < b.Text(); // bytes: character-code order
    return a.IsNumber() && !b.IsNumber();
}

} // namespace

int GridGeometry::Y2I(int y) const { return FloorDiv(y - HeaderHeight(), rowHeight); }
int GridGeometry::X2C(int x) const { return FloorDiv(x - titleWidth, colWidth); }

bool GoesBeforeAscending(const Value& a, const Value& b)
{
    const int ca = AscendingClass(a), cb = AscendingClass(b);
    if (ca != cb) return ca < cb;
    return Less(a, b);
}

bool GoesBeforeDescending(const Value& a, const Value& b)
{
    const int ca = DescendingClass(a), cb = DescendingClass(b);
    if (ca != cb) return ca < cb;
    return Less(b, a);
}

void GridModel::SetRows(const Value& rows)
{
    rows_ = rows.IsArray() ? rows : Value(ValueArray{});
    const ValueArray& list = rows_.Array();
    rowCount_ = int(list.size());
    colCount_ = list.empty() ? 0 : std::max(0, int(list.front().Array().size()) - 1);
    if (sortElement_ > 0 && rowCount_ > 0)
        SortRows();
    ClampScroll();
}

void GridModel::SortRows(std::optional<int> element)
{
    if (element && *element == sortElement_) {
        sortDirection_ = -sortDirection_;
    } else if (element) {
        sortElement_ = *element;
        sortDirection_ = +1;
    }
    if (sortElement_ <= 0 || !rows_.IsArray())
        return;
    const int key = sortElement_;
    const bool ascending = sortDirection_ > 0;
    auto keyOf = [key](const Value& row) -> const Value& {
        const ValueArray& cells = row.Array();
        return key <= int(cells.size()) ? cells[key - 1] : Nil();
    };
    // Stable: rows with equal keys keep the order they had.
    std::stable_sort(rows_.Array().begin(), rows_.Array().end(),
                     [&](const Value& a, const Value& b) {
                         return ascending ? GoesBeforeAscending(keyOf(a), keyOf(b))
                                          : GoesBeforeDescending(keyOf(a), keyOf(b));
                     });
}

int GridModel::MaxFirstRow() const { return std::max(0, rowCount_ - geometry_.visibleRows); }
int GridModel::MaxFirstCol() const { return std::max(0, colCount_ - geometry_.visibleCols); }

bool GridModel::ScrollRows(int delta)
{
    const int moved = std::clamp(firstRow_ + delta, 0, MaxFirstRow());
    if (moved == firstRow_) return false;
    firstRow_ = moved;
    return true;
}

bool GridModel::ScrollCols(int delta)
{
    const int moved = std::clamp(firstCol_ + delta, 0, MaxFirstCol());
    if (moved == firstCol_) return false;
    firstCol_ = moved;
    return true;
}

void GridModel::ClampScroll()
{
    firstRow_ = std::clamp(firstRow_, 0, MaxFirstRow());
    firstCol_ = std::clamp(firstCol_, 0, MaxFirstCol());
}

int GridModel::ShownRows() const { return std::clamp(rowCount_ - firstRow_, 0, geometry_.visibleRows); }
int GridModel::ShownCols() const { return std::clamp(colCount_ - firstCol_, 0, geometry_.visibleCols); }

const Value& GridModel::Cell(int row, int element) const
{
    if (!rows_.IsArray() || row < 0 || row >= int(rows_.Array().size()) || element < 1)
        return Nil();
    const ValueArray& cells = rows_.Array()[row].Array();
    return element <= int(cells.size()) ? cells[element - 1] : Nil();
}

std::string GridModel::RowTitle(int r) const
{
    const Value& title = Cell(firstRow_ + r, 1);
    return title.IsText() ? title.Text() : DisplayNumber(title);
}

std::string GridModel::CellText(int r, int c, char decimalSeparator) const
{
    return DisplayNumber(Cell(firstRow_ + r, firstCol_ + c + 2), decimalSeparator);
}

std::optional<int> GridModel::HeaderElementAt(int x, int y, int outerWidth, int barWidth) const
{
    if (y < 0 || y >= geometry_.HeaderHeight() || x >= outerWidth - barWidth - 1)
        return std::nullopt;
    if (x < 0)
        return std::nullopt;
    if (x < geometry_.titleWidth)
        return 1;
    // Past the last value column there is nothing to sort on.
    const int element = geometry_.X2C(x) + 2 + firstCol_;
    return element <= colCount_ + 1 ? std::optional<int>(element) : std::nullopt;
}

} // namespace lysora
