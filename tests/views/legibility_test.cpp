// The legibility check: the shipped tables, in French and in English, read as a user reads
// them. Every text is measured as it is drawn (GetTextExtentPoint32 in the font that draws
// it), and the check fails when
// - a grid cell's text is wider than its cell, a column title than its column, or a row
//   title than the title column: the sheet's three grids for every feedstuff, the comparison
//   table of every feedstuff and nutrient for every value type;
// - a chart of the sample data draws more than 25 grid lines: the histogram of every
//   nutrient and value type across the feedstuffs (thirty at a time, as it charts them), the
//   sheet graph of every mean row of every feedstuff;
// - a histogram bar label, as shortened for the page, reaches the page footer;
// - a label, a button caption or a list entry of the sheet, the comparison selection or the
//   comparison table is cut.
#include "base/display_number.h"
#include "base/text.h"
#include "data/domain_text.h"
#include "print/metafile_win32.h"
#include "print/value_table.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "tests/views/chart/chart_recorder.h"
#include "tests/views/comparison/dialog_fixture.h"
#include "views/chart/chart.h"
#include "views/chart/histogram.h"
#include "views/comparison/comparison.h"
#include "views/comparison/dlg_compmat.h"
#include "views/comparison/dlg_compmatselect.h"
#include "views/grid/fld_grille.h"
#include "views/sheet/dlg_fichemat.h"
#include "views/sheet/sheet_data.h"

#include <cmath>
#include <map>

namespace lysora {
namespace {

using testing::ElementWindow;
using testing::OpenDialogs;

constexpr int kMostGridLines = 25;

// Widths of texts in one font on a memory context, each text measured once.
class Ruler {
public:
    explicit Ruler(HFONT font) : dc_(CreateCompatibleDC(nullptr)), previous_(SelectObject(dc_, font)) {}
    ~Ruler()
    {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    Ruler(const Ruler&) = delete;
    Ruler& operator=(const Ruler&) = delete;
    int Width(const std::string& text)
    {
        auto [known, fresh] = widths_.try_emplace(text, 0);
        if (fresh) {
            SIZE size{};
            GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &size);
            known->second = size.cx;
        }
        return known->second;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
    std::map<std::string, int> widths_;
};

// What is not legible, said where it was first found and how often.
struct Problems {
    std::vector<std::string> found; // what, in the order found
    std::map<std::string, std::pair<std::string, int>> places; // what -> first place, count
    void Add(const std::string& where, const std::string& what)
    {
        auto [known, fresh] = places.try_emplace(what, where, 0);
        if (fresh)
            found.push_back(what);
        ++known->second.second;
    }
    std::string Shown() const
    {
        std::string text = std::to_string(found.size()) + " problems:\n";
        for (std::size_t i = 0; i < found.size() && i < 40; ++i) {
            const auto& [where, count] = places.at(found[i]);
            text += "  " + where + ": " + found[i] + (count > 1 ? " (" + std::to_string(count) + " places)" : "") + "\n";
        }
        return text;
    }
};

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return LowerCase(name);
}

// A grid's texts against its cells: every row, every column (also those scrolled away).
void CheckGrid(const FLD_GRILLE& grid, const std::string& where, Problems& problems)
{
    Ruler ruler(grid.FONTE());
    const GridModel& model = grid.Model();
    const GridGeometry& g = model.Geometry();
    const int cellRoom = g.colWidth - 2; // the text stands between two border pixels
    for (std::size_t c = 0; c < grid.COLONNES.size(); ++c)
        if (ruler.Width(grid.COLONNES[c]) > cellRoom)
            problems.Add(where, "column title \"" + grid.COLONNES[c] + "\" wider than its column");
    for (int r = 0; r < model.RowCount(); ++r) {
        const std::string title = model.Cell(r, 1).Text();
        if (ruler.Width(title) > g.titleWidth - kGridTextInset)
            problems.Add(where, "row title \"" + title + "\" wider than the title column (" +
                                    std::to_string(g.titleWidth) + ")");
        for (int c = 0; c < model.ColumnCount(); ++c) {
            const std::string text = DisplayNumber(model.Cell(r, c + 2), DecimalSeparator());
            if (ruler.Width(text) > cellRoom)
                problems.Add(where, "\"" + text + "\" (row " + title + ", column " + grid.COLONNES[std::size_t(c)] +
                                        ") wider than its cell");
        }
    }
}

// The entries of a list or of a drop-down, asked with its three messages.
std::vector<std::string> Entries(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    std::vector<std::string> entries;
    const int count = int(SendMessageA(control, countMessage, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string entry(std::size_t(std::max<LRESULT>(0, SendMessageA(control, lengthMessage, WPARAM(i), 0))) + 1, '\0');
        const LRESULT length = SendMessageA(control, textMessage, WPARAM(i), reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(std::size_t(std::max<LRESULT>(0, length)));
        entries.push_back(entry);
    }
    return entries;
}

// Where the controls of a dialog are checked, and what was found there.
struct ControlWalk {
    std::string where;
    Problems* problems;
};

// The text one control draws, in its own font: a label or the definition box as its text
// wraps, the caption of a button that is not a picture, every entry of a list or drop-down.
BOOL CALLBACK CheckControl(HWND child, LPARAM data)
{
    ControlWalk& walk = *reinterpret_cast<ControlWalk*>(data);
    if (!IsWindowVisible(child))
        return TRUE;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    Ruler ruler(font);
    RECT client{};
    GetClientRect(child, &client);
    const std::string kind = ClassOf(child), text = WindowText(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    auto cut = [&](const std::string& what) { walk.problems->Add(walk.where, what); };
    if (kind.find("static") != std::string::npos && !text.empty()) {
        HDC dc = GetDC(child);
        HGDIOBJ previous = SelectObject(dc, font);
        RECT needed{0, 0, client.right, 0};
        DrawTextA(dc, text.c_str(), int(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        if (needed.bottom > client.bottom || needed.right > client.right)
            cut("text \"" + text.substr(0, 40) + "\" cut in its " + std::to_string(client.right) + " x " +
                std::to_string(client.bottom) + " box");
    } else if (kind.find("button") != std::string::npos && (style & BS_TYPEMASK) != BS_OWNERDRAW && !text.empty()) {
        std::string shown = text;
        std::erase(shown, '&');
        if (ruler.Width(shown) > client.right - 6)
            cut("button caption \"" + shown + "\" cut");
    } else if (kind.find("listbox") != std::string::npos) {
        // A list shows an entry wider than itself by scrolling sideways, up to its extent.
        const int room = std::max(int(client.right), int(SendMessageA(child, LB_GETHORIZONTALEXTENT, 0, 0))) - 3;
        for (const std::string& entry : Entries(child, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT))
            if (ruler.Width(entry) > room)
                cut("list entry \"" + entry + "\" cut");
    } else if (kind.find("combobox") != std::string::npos) {
        const int room = int(SendMessageA(child, CB_GETDROPPEDWIDTH, 0, 0)) - GetSystemMetrics(SM_CXVSCROLL) - 4;
        for (const std::string& entry : Entries(child, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT))
            if (ruler.Width(entry) > room)
                cut("drop-down entry \"" + entry + "\" cut");
    }
    return TRUE;
}

void CheckControls(HWND dialog, const std::string& where, Problems& problems)
{
    ControlWalk walk{where, &problems};
    EnumChildWindows(dialog, &CheckControl, reinterpret_cast<LPARAM>(&walk));
}

// The grid lines a chart page draws: the lines across the whole plot.
int GridLinesDrawn(const HistogramPage& page)
{
    auto pages = std::make_shared<testing::ChartPages>();
    PL pl(nullptr, "Chart", true, std::make_unique<testing::ChartRecorder>(pages));
    const ChartGeometry chart = DrawHistogram(pl, page, ChartOutput::Preview);
    pl.CLOSE();
    int lines = 0;
    for (const testing::Figure& line : pages->Of(0, testing::Figure::Line))
        lines += line.y1 == line.y2 && line.x1 == chart.X - 10 && line.x2 == chart.X + chart.W;
    return lines;
}

class LegibilityTest : public test::ViewDialogTest {
protected:
    void Open(std::string_view language)
    {
        database_.reset();
        database_ = std::make_unique<test::DatabaseDir>(true);
        ASSERT_TRUE(database_->Written());
        ASSERT_TRUE(database_->Open(language));
        SetDecimalSeparator(language == kFrench ? ',' : '.');
    }
    template <class T>
    static T& Show(std::unique_ptr<T> dialog)
    {
        auto* shown = static_cast<T*>(WIN::Adopt(std::move(dialog)));
        shown->SHOW();
        Pump();
        return *shown;
    }
    static void Click(HWND button)
    {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }

    // The sheet, feedstuff after feedstuff with its ">" button: its grids and its controls.
    void CheckSheet(const std::string& language, Problems& problems)
    {
        DLG_FICHEMAT& sheet = Show(std::make_unique<DLG_FICHEMAT>());
        Click(sheet.FLD(cmd::PREMIER)->HANDLE());
        CheckControls(sheet.HANDLE(), language + " sheet", problems);
        std::string name, shown = sheet.FLD(cmd::MAT)->GETTEXT();
        while (shown != name) {
            name = shown;
            for (Symbol tab : {Symbol("AAE"), Symbol("AANE"), Symbol("AP")})
                CheckGrid(*sheet.Grid(tab), language + " sheet, " + name + ", " + tab.Name(), problems);
            CheckControls(sheet.HANDLE(), language + " sheet, " + name, problems);
            Click(sheet.FLD(cmd::SUIVANT)->HANDLE());
            shown = sheet.FLD(cmd::MAT)->GETTEXT();
        }
        sheet.CLOSE();
        Pump();
    }

    // The selection with every feedstuff and nutrient, then the table it creates in each
    // value type.
    void CheckComparison(const std::string& language, Problems& problems)
    {
        DLG_COMPMATSELECT& selection = Show(std::make_unique<DLG_COMPMATSELECT>());
        CheckControls(selection.HANDLE(), language + " selection", problems);
        Click(selection.FLD(cmd::SELECTALLMAT)->HANDLE());
        Click(selection.FLD(cmd::SELECTALLNUTRI)->HANDLE());
        Click(selection.FLD(cmd::CREERTABLEAU)->HANDLE());
        std::vector<DLG_COMPMAT*> tables = OpenDialogs<DLG_COMPMAT>();
        ASSERT_EQ(tables.size(), 1u);
        DLG_COMPMAT& table = *tables.front();
        HWND types = ElementWindow(table, "TYPEVALEUR");
        ASSERT_NE(types, nullptr);
        for (int type = 0; type < int(TYPESVALEUR().size()); ++type) {
            SendMessageA(types, CB_SETCURSEL, WPARAM(type), 0);
            SendMessageA(table.HANDLE(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(types), CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(types));
            Pump();
            const std::string where = language + " comparison table, " + TYPESVALEUR()[std::size_t(type)];
            CheckGrid(table.GRILLE(), where, problems);
            CheckControls(table.HANDLE(), where, problems);
        }
        table.CLOSE();
        Pump();
    }

    // Every chart of the sample data: the scale's grid lines, and the histogram's labels as
    // they are cut for the page, measured in the font that draws them.
    static void CheckCharts(const std::string& language, Problems& problems)
    {
        PL page(nullptr, "Labels", true, NewMetafileDrawer());
        const int height = int(std::lround((page.FONT_SIZE + 0.5) * 10)); // the histogram's labels
        HFONT labelFont = CreateFontA(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, page.FONT_NAME.c_str());
        {
            Ruler ruler(labelFont);
            const int room = kFooterTop * 10 - 10 - (kHistogramGeometry.Y + kHistogramGeometry.H + 20);
            std::vector<std::string> keys;
            DBSEL feedstuffs(AreaRef(TABLEMAT()), Symbol("LIBELLE"));
            for (feedstuffs.GOTOP(); !feedstuffs.Eof(); feedstuffs.SKIP())
                keys.push_back(StrInt((long long)feedstuffs.Get(Symbol("MATIERE")).Number()));
            DBSEL nutrients(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
            for (const std::string& type : TYPESVALEUR())
                for (nutrients.GOTOP(); !nutrients.Eof(); nutrients.SKIP()) {
                    if (nutrients.Get(Symbol(type)).Text() != "O")
                        continue;
                    const std::string code = AllTrim(nutrients.Get(Symbol("NUTRI")).Text());
                    for (std::size_t first = 0; first < keys.size(); first += kHistogramMaxFeedstuffs) {
                        const std::vector<std::string> chosen(
                            keys.begin() + long(first),
                            keys.begin() + long(std::min(keys.size(), first + kHistogramMaxFeedstuffs)));
                        HistogramPage chart = ReadHistogram(Symbol(type), code, chosen);
                        chart.geometry = kHistogramGeometry;
                        const std::string where = language + " histogram " + type + " " + code;
                        if (const int lines = GridLinesDrawn(chart); lines > kMostGridLines)
                            problems.Add(where, std::to_string(lines) + " grid lines");
                        for (const ChartBar& bar : chart.bars) {
                            const std::string label = FittedText(page, bar.label, height, room);
                            if (ruler.Width(label) > room)
                                problems.Add(where, "label \"" + label + "\" reaches the page footer");
                        }
                    }
                }
        }
        DeleteObject(labelFont);
        page.CLOSE();

        const DonneesGenerales& groups = DONNEESGENERALES();
        SheetData sheet;
        for (bool shown = sheet.PREMIER(); shown && !sheet.Eof();) {
            for (const GroupeNutriments* group : {&groups.aae, &groups.aane})
                for (int row = 1; row <= 9; row += 2)
                    for (bool digestibility : {false, true}) {
                        HistogramPage chart;
                        chart.bars = sheet.GraphBars(row, group->codes, group->courts, digestibility);
                        chart.geometry = kSheetGraphGeometry;
                        chart.labels = ChartLabels::Horizontal;
                        if (chart.bars.empty())
                            continue;
                        if (const int lines = GridLinesDrawn(chart); lines > kMostGridLines)
                            problems.Add(language + " sheet graph of " + sheet.Current().libelle + ", row " +
                                             std::to_string(row),
                                         std::to_string(lines) + " grid lines");
                    }
            const std::string before = sheet.Current().libelle;
            shown = sheet.SUIVANT() && sheet.Current().libelle != before;
        }
    }
};

TEST_F(LegibilityTest, ShippedTablesReadWholeInBothLanguages)
{
    Problems problems;
    for (std::string_view language : {kFrench, kEnglish}) {
        Open(language);
        const std::string name(language);
        CheckSheet(name, problems);
        CheckComparison(name, problems);
        CheckCharts(name, problems);
    }
    EXPECT_TRUE(problems.found.empty()) << problems.Shown();
}

} // namespace
} // namespace lysora
