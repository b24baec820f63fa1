// DLG_FICHEMAT (see dlg_fichemat.h).
#include "views/sheet/dlg_fichemat.h"

#include "data/domain_cartbl.h"
#include "data/domain_text.h"
#include "framework/subclass.h"
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "print/value_table.h"
#include "services/help.h"
#include "services/help_win32.h"
#include "services/program_dir.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "views/chart/histogram.h"
#include "views/export/export_file.h"
#include "views/sheet/dlg_lot.h"
#include "views/sheet/sheet_exports.h"

#include <algorithm>
#include <cctype>

namespace lysora {
namespace {

constexpr unsigned long kTopicSheet = 20;
constexpr int kNameWidth = 100; // LIBELLE
constexpr int kListWidth = 400, kListHeight = 200;
constexpr int kNavigationWidth = 25, kNavigationHeight = 23;
constexpr int kGraphButtonWidth = 22;
constexpr int kBottomRow = 441;
// The batch button in the free space of the bottom row, between the return and help buttons,
// and the marker line between the definition box and the tabs.
constexpr int kBatchX = 520, kBatchWidth = 100;
constexpr RECT kBatchLine{15, 118, 15 + 705, 118 + 16};

// Grid sizes of a page: title column, value columns, total width, row height, rows.
constexpr int kTitleWidth = 160, kColWidth = 38, kGridWidth = 680, kRowHeight = 18, kVisibleRows = 11;
// Title column and the whole value columns the width holds: what a wider title column shares
// with fewer value columns, never fewer than kLeastValueColumns.
constexpr int kGridFootprint = kTitleWidth + (kGridWidth - kTitleWidth) / kColWidth * kColWidth;
constexpr int kLeastValueColumns = 9;

// Where a page's graph button stands beside value row `row` (1-based), under the header row.
constexpr int kGraphButtonX = 5;
int GraphButtonY(int row) { return kRowHeight * row + 19; }

const Symbol kAAE("AAE"), kAANE("AANE"), kAP("AP");
const Symbol kGrilleAAE("GRILLEAAE"), kGrilleAANE("GRILLEAANE"), kGrilleAP("GRILLEAP");

// "GRAPHE" + tab digit + row digit + comparison key.
constexpr std::string_view kGraphPrefix = "GRAPHE";
constexpr std::size_t kGraphRowAt = 7, kGraphKeyAt = 8;

// The mean rows that have a graph button, and the comparison each draws.
struct GraphRow {
    int row;
    const char* key;
};
constexpr GraphRow kGraphRows[] = {{1, "COMPTB"}, {3, "COMPTB16G"}, {5, "COMPDIG_A"}, {7, "COMPDIG_V"}, {9, "COMPTDIG_V"}};

// The procedures the sheet's subclassing replaced, kept with each window.
constexpr const char* kTabProc = "Lysora.DLG_FICHEMAT.Tab";
constexpr const char* kDialogProc = "Lysora.DLG_FICHEMAT.Dialog";

LRESULT PassOn(const char* property, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    WNDPROC replaced = ReplacedProcedure(hwnd, msg, property);
    return replaced ? CallWindowProcA(replaced, hwnd, msg, wparam, lparam) : DefWindowProcA(hwnd, msg, wparam, lparam);
}

// The tab control erases only what its pages and the line under the tabs cover, in the
// button face colour: the grids and buttons on the page are not painted over, so they do
// not flicker when the page is redrawn.
LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_ERASEBKGND) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
        RECT page;
        GetClientRect(hwnd, &page);
        SendMessageA(hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
        page.left -= 2;
        page.right += 2;
        page.bottom += 2;
        FillRect(dc, &page, face);
        RECT third{};
        if (SendMessageA(hwnd, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third))) {
            RECT strip{0, third.bottom, third.right, third.bottom + 2};
            FillRect(dc, &strip, face);
        }
        return 1;
    }
    return PassOn(kTabProc, hwnd, msg, wparam, lparam);
}

// The definition box, the drop-down list and every static text of the sheet are black on
// white.
LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    default: return PassOn(kDialogProc, hwnd, msg, wparam, lparam);
    }
}

const GroupeNutriments& GroupOf(Symbol tab)
{
    const DonneesGenerales& general = DONNEESGENERALES();
    return tab == kAAE ? general.aae : tab == kAANE ? general.aane : general.ap;
}

// Print sizes in millimetres: the page width used, the header band, the definition band.
constexpr int kPageWidth = 270, kHeaderHeight = 8, kDefinitionHeight = 18;
constexpr double kHeaderGap = 5, kTableGap = 10;
constexpr double kHeaderFontSize = 6;

std::vector<TableRow> TableRows(const Value& rows)
{
    std::vector<TableRow> table;
    if (rows.IsArray())
        for (const Value& row : rows.Array())
            table.push_back(row.IsArray() ? row.Array() : TableRow{});
    return table;
}

} // namespace

DLG_FICHEMAT::DLG_FICHEMAT() : DLG(MainWindow(), GKT_DIALOG, UNAMP(LIB(Symbol("FICHEMAT"))))
{
    // Every element stands exactly where the pen is: the name list at the left margin,
    // clear of the navigation buttons; the grids where their pages put them.
    XFLDMIN(0);
    Y(12).FLD(cmd::MAT,
              std::make_shared<DOM_CARTBL>(kNameWidth, false, TABLEMAT(), Symbol("LIBELLE"), Symbol("LIBELLE"),
                                           Symbol("LIBELLE")))
        .LN();
    if (WIN* element = FLD(cmd::MAT))
        element->MOVE(WIN::kKeep, WIN::kKeep, kListWidth, kListHeight);

    INITONGLET({kAAE, kAANE, kAP}, {LIB(kAAE), LIB(kAANE), LIB(kAP)}, 15, 135, 710, 285);

    data_ = std::make_unique<SheetData>();
    RAFRAICHIRGRILLES();

    XY(430, 11).CMD(cmd::PREMIER, "<<", kNavigationWidth, std::nullopt, "#Premier");
    XY(460, 11).CMD(cmd::PRECEDENT, "<", kNavigationWidth, std::nullopt, "#Precedent");
    XY(490, 11).CMD(cmd::SUIVANT, ">", kNavigationWidth, std::nullopt, "#Suivant");
    XY(520, 11).CMD(cmd::DERNIER, ">>", kNavigationWidth, std::nullopt, "#Dernier");
    for (Command command : {cmd::PREMIER, cmd::PRECEDENT, cmd::SUIVANT, cmd::DERNIER})
        if (WIN* element = CMD(command))
            element->MOVE(WIN::kKeep, WIN::kKeep, kNavigationWidth, kNavigationHeight);

    XY(200, kBottomRow)
        .CMD(cmd::IMPRIMERVALEURS, "&" + LIB(Symbol("IMPRESSION")), 25, std::nullopt, "#imprimer");
    XY(250, kBottomRow)
        .CMD(cmd::EXPORTER, LIB(Symbol("EXPORTER")), 100, std::nullopt, "#" + LIB(Symbol("BTEXPORTER")));
    XY(375, kBottomRow).CMD(cmd::CLOSE, LIB(Symbol("RETOURMENU")), 120, std::nullopt, "#" + LIB(Symbol("BTRETOUR")));
    XY(kBatchX, kBottomRow).CMD(cmd::LOT, LIB(Symbol("LOT")), kBatchWidth);
    XY(700, kBottomRow).CMD(cmd::ONHELP, "", kGraphButtonWidth, std::nullopt, "#aide");

    BKTEXT("#Fiche");
    CENTER(kWidth, kHeight);
    BLOQUER();
}

// ---- Construction -------------------------------------------------------------------

namespace {

// The title column: 160 pixels, or wider to hold the longest row title of the language whole
// ("Standardised digestible nutrient"), the grid keeping its footprint and showing fewer value
// columns.
int TitleColumnWidth()
{
    int width = kTitleWidth;
    for (const std::string& title : TITRESVALEURS())
        width = std::max(width, GridTextWidth(title) + 2 * kGridTextInset);
    return std::min(width, kGridFootprint - kLeastValueColumns * kColWidth);
}

} // namespace

void DLG_FICHEMAT::AddGrid(Symbol sym, const std::vector<std::string>& titles)
{
    auto grid = DOM_GRILLE(TitleColumnWidth(), kColWidth, kGridFootprint, kRowHeight, kVisibleRows).CONTROL(this);
    grid->COLONNES = titles;
    XY(30, 20).FLD(sym, std::move(grid));
}

void DLG_FICHEMAT::INIT_AAE()
{
    AddGrid(kGrilleAAE, DONNEESGENERALES().aae.courts);
    SETBOUTONS("GRAPHE1");
}

void DLG_FICHEMAT::INIT_AANE()
{
    AddGrid(kGrilleAANE, DONNEESGENERALES().aane.courts);
    SETBOUTONS("GRAPHE2");
}

void DLG_FICHEMAT::INIT_AP() { AddGrid(kGrilleAP, DONNEESGENERALES().ap.courts); }

void DLG_FICHEMAT::SETBOUTONS(std::string_view prefix)
{
    for (const GraphRow& graph : kGraphRows)
        SETBOUTONGRAPHE(prefix, graph.row, graph.key);
}

void DLG_FICHEMAT::SETBOUTONGRAPHE(std::string_view prefix, int row, std::string_view key)
{
    const std::string name = std::string(prefix) + std::to_string(row) + std::string(key);
    XY(kGraphButtonX, GraphButtonY(row)).CMD(Command(name), "", kGraphButtonWidth, std::nullopt, "#graphe");
}

// ---- Window -------------------------------------------------------------------------

void DLG_FICHEMAT::ONCREATE()
{
    DLG::ONCREATE();
    Subclass();
}

void DLG_FICHEMAT::Subclass()
{
    if (Exists())
        SubclassWindow(HANDLE(), kDialogProc, &DialogProc);
    // The tab strip is made just after the dialog's window; it is subclassed once it exists.
    if (Onglet() && Onglet()->Exists())
        SubclassWindow(Onglet()->HANDLE(), kTabProc, &TabProc);
}

void DLG_FICHEMAT::ONFLD(Symbol sym)
{
    if (!sym.IsNull())
        return;
    Subclass();
    if (!definitionBox_ || !IsWindow(definitionBox_)) {
        const RECT& box = kDefinitionBox;
        definitionBox_ = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_BORDER, box.left,
                                         box.top, box.right - box.left, box.bottom - box.top, HANDLE(), nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
        if (definitionBox_)
            SendMessageA(definitionBox_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), FALSE);
    }
    if (!batchLine_ || !IsWindow(batchLine_)) {
        const RECT& line = kBatchLine;
        batchLine_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_LEFT | SS_NOPREFIX, line.left, line.top,
                                     line.right - line.left, line.bottom - line.top, HANDLE(), nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        if (batchLine_)
            SendMessageA(batchLine_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), FALSE);
    }
    if (!MATFROMINI())
        PREMIER();
}

void DLG_FICHEMAT::ONCLOSE()
{
    DLG::ONCLOSE();
    const int matiere = data_ ? data_->Current().matiere : 0;
    if (matiere != 0)
        PUTPARAM(kParams, kKeyMat, std::to_string(matiere));
}

void DLG_FICHEMAT::ONHELP() { ShowHelp(HANDLE(), FICHIERAIDE(), kHelpContext, kTopicSheet); }

// ---- Content ------------------------------------------------------------------------

FLD_GRILLE* DLG_FICHEMAT::Grid(Symbol tab) const
{
    const Symbol grid = tab == kAAE ? kGrilleAAE : tab == kAANE ? kGrilleAANE : kGrilleAP;
    return dynamic_cast<FLD_GRILLE*>(FLD(grid));
}

Value DLG_FICHEMAT::CREERLIGNES(const std::vector<std::string>& codes) { return data_->CREERLIGNES(codes); }

void DLG_FICHEMAT::RAFRAICHIRGRILLES()
{
    for (Symbol tab : {kAAE, kAANE, kAP})
        if (FLD_GRILLE* grid = Grid(tab))
            grid->LIGNES(CREERLIGNES(GroupOf(tab).codes));
}

void DLG_FICHEMAT::SETDEF(std::string_view text)
{
    definition_ = text;
    if (definitionBox_)
        SendMessageA(definitionBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(definition_.c_str()));
}

void DLG_FICHEMAT::ShowCurrent()
{
    const FeedstuffShown shown = data_->Current();
    FLDSET(cmd::MAT, Value(shown.libelle));
    SETDEF(shown.definition);
    ShowValues();
}

void DLG_FICHEMAT::ShowValues()
{
    const int matiere = data_->Current().matiere;
    // A batch the settings hold for this feedstuff, if it is a valid one.
    const std::optional<Batch> saved =
        matiere ? BatchFromSetting(GETPARAM(kParams, BatchKey(matiere))) : std::nullopt;
    data_->SetBatch(matiere, saved.value_or(Batch{}));
    RAFRAICHIRGRILLES();
    if (batchLine_) {
        const std::string marker = BatchMarker();
        SendMessageA(batchLine_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(marker.c_str()));
        ShowWindow(batchLine_, marker.empty() ? SW_HIDE : SW_SHOW);
    }
}

std::string DLG_FICHEMAT::BatchMarker()
{
    const DonneesGenerales& general = DONNEESGENERALES();
    auto shortName = [&](std::string_view code) {
        const GroupeNutriments& ap = general.ap;
        for (std::size_t i = 0; i < ap.codes.size() && i < ap.courts.size(); ++i)
            if (AllTrim(ap.codes[i]) == code)
                return AllTrim(ap.courts[i]);
        return std::string(code);
    };
    return lysora::BatchMarker(data_->CurrentBatch(), LIB(Symbol("LOTAJUSTE")),
                               shortName(AllTrim(general.nutriPermanent)), shortName(kDryMatterCode),
                               DecimalSeparator());
}

std::string DLG_FICHEMAT::OutputTitle()
{
    const std::string name = AllTrim(FLDGET(cmd::MAT).Text());
    const std::string marker = BatchMarker();
    return marker.empty() ? name : name + " - " + marker;
}

void DLG_FICHEMAT::LOT()
{
    const FeedstuffShown shown = data_->Current();
    if (shown.matiere == 0)
        return;
    auto dialog = std::make_unique<DLG_LOT>(this, data_->CurrentBatch(), data_->Basis());
    WIN::Adopt(std::move(dialog))->SHOW();
}

void DLG_FICHEMAT::APPLIQUERLOT(const Batch& batch)
{
    const int matiere = data_->Current().matiere;
    if (matiere == 0)
        return;
    PUTPARAM(kParams, BatchKey(matiere), batch.Empty() ? std::string() : BatchSetting(batch));
    ShowValues();
}

bool DLG_FICHEMAT::MATFROMINI()
{
    if (!data_->FindCode(GETPARAM(kParams, kKeyMat)))
        return false;
    ShowCurrent();
    return true;
}

// ---- Navigation ---------------------------------------------------------------------

void DLG_FICHEMAT::PREMIER()
{
    if (data_->PREMIER())
        ShowCurrent();
}

void DLG_FICHEMAT::PRECEDENT()
{
    if (data_->PRECEDENT())
        ShowCurrent();
}

void DLG_FICHEMAT::SUIVANT()
{
    if (data_->SUIVANT())
        ShowCurrent();
}

void DLG_FICHEMAT::DERNIER()
{
    if (data_->DERNIER())
        ShowCurrent();
}

void DLG_FICHEMAT::ONCMD(Symbol sym)
{
    const std::string& name = sym.Name();
    if (name.compare(0, kGraphPrefix.size(), kGraphPrefix) == 0) {
        const char digit = name.size() > kGraphRowAt ? name[kGraphRowAt] : '0';
        const int row = std::isdigit(static_cast<unsigned char>(digit)) ? digit - '0' : 0;
        if (row > 0 && name.size() > kGraphKeyAt)
            GRAPHE(row, Symbol(name.substr(kGraphKeyAt)));
        return;
    }
    if (sym == cmd::MAT.Sym()) {
        auto* list = dynamic_cast<lysora::FLD*>(FLD(cmd::MAT));
        if (!list)
            return;
        list->VALIDATE(); // the value of the entry now selected
        const std::string picked = AllTrim(list->GET().Text());
        if (picked.empty()) {
            PREMIER();
        } else if (data_->FindName(picked)) {
            SETDEF(data_->Current().definition);
            ShowValues();
        }
        return;
    }
    DLG::ONCMD(sym);
}

// ---- Outputs -------------------------------------------------------------------------

std::vector<ExportGroup> DLG_FICHEMAT::Groups() const
{
    std::vector<ExportGroup> groups;
    for (Symbol tab : {kAAE, kAANE, kAP}) {
        const FLD_GRILLE* grid = Grid(tab);
        groups.push_back({GroupOf(tab).courts, grid ? grid->LIGNES() : Value()});
    }
    return groups;
}

void DLG_FICHEMAT::EXPORTER()
{
    const std::string path = GETSAVEFILENAME({{"Excel", "*.csv"}, {"RTF", "*.rtf"}, {LIB(Symbol("EXPORTOLVAN")), "*.txt"}});
    if (path.empty())
        return;
    DOEVENTS();
    WAITCURSOR(true);
    switch (LastFilterIndex()) {
    case 1: EXPORTEXCEL(path); break;
    case 2: EXPORTRTF(path); break;
    case 3: EXPORTOLVAN(path); break;
    default: break;
    }
    WAITCURSOR(false);
}

void DLG_FICHEMAT::EXPORTEXCEL(const std::string& path)
{
    SaveExport(path, SpreadsheetText(OutputTitle(), definition_, Groups(), DecimalSeparator()));
}

void DLG_FICHEMAT::EXPORTOLVAN(const std::string& path)
{
    const FeedstuffShown shown = data_->Current();
    const std::vector<OlvanItem> items =
        shown.matiere ? GETVALEURS(shown.matiere, {Symbol("TB"), Symbol("DIG_V"), Symbol("TDIG_V")})
                      : std::vector<OlvanItem>{};
    SaveExport(path, OlvanText(shown.matiere, shown.libelle, items, BatchMarker()));
}

std::vector<OlvanItem> DLG_FICHEMAT::GETVALEURS(int matiere, const std::vector<Symbol>& types)
{
    return data_->GETVALEURS(matiere, types);
}

void DLG_FICHEMAT::TITREEDITION(PL& pl)
{
    pl.PAGE_TETE = Block{Row{CELL(kPageWidth, kHeaderHeight, OutputTitle(), "C")},
                         Row{CELL(kPageWidth, int(kHeaderGap))}};
    pl.FONT_SIZE_TETE = kHeaderFontSize;
}

void DLG_FICHEMAT::Tables(PL& pl, bool printed)
{
    const PageFooter footer = CurrentPageFooter();
    const std::vector<ExportGroup> groups = Groups();
    const Symbol titles[] = {kAAE, kAANE, kAP};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        IMPRIMERTABLEAU(pl, groups[g].courts, TableRows(groups[g].rows), LIB(titles[g]), footer);
        if (g == 0)
            pl.OUT(kTableGap);
        if (g == 1) {
            if (printed)
                PIEDPAGE(pl, footer);
            pl.FORMFEED();
        }
    }
    if (printed)
        PIEDPAGE(pl, footer);
}

void DLG_FICHEMAT::EXPORTRTF(const std::string& path)
{
    PL_RTF rtf(this, path, true, false, ExportRtfMessages());
    if (!rtf.OK)
        return;
    TITREEDITION(rtf);
    rtf.OUT(Row{CELL(kPageWidth, kDefinitionHeight, definition_)});
    rtf.OUT(kHeaderGap);
    Tables(rtf, false);
    rtf.CLOSE();
}

std::shared_ptr<PL> DLG_FICHEMAT::PrintedValues()
{
    auto pl = std::make_shared<PL>(this, "KVT", true, NewMetafileDrawer());
    TITREEDITION(*pl);
    Tables(*pl, true);
    pl->CLOSE();
    return pl;
}

void DLG_FICHEMAT::IMPRIMERVALEURS()
{
    std::shared_ptr<PL> pl = PrintedValues();
    if (_DEBUG()) {
        OpenPreview(pl);
        return;
    }
    WAITCURSOR(true);
    PRINT(*pl, HANDLE());
    WAITCURSOR(false);
}

void DLG_FICHEMAT::GRAPHE(int row, Symbol key)
{
    const GroupeNutriments& group = CURRENTTAB() == kAAE ? DONNEESGENERALES().aae : DONNEESGENERALES().aane;
    IMPRIMERGRAPHE(row, group.codes, group.courts, key);
}

} // namespace lysora
