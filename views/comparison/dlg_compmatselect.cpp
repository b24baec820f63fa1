// DLG_COMPMATSELECT (see dlg_compmatselect.h).
#include "views/comparison/dlg_compmatselect.h"

#include "framework/subclass.h"
#include "services/colours.h"
#include "services/help.h"
#include "services/help_win32.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "views/comparison/comparison.h"
#include "views/comparison/dlg_compmat.h"

#include <algorithm>

namespace lysora {
namespace {

const Symbol kTypeValeur("TYPEVALEUR");
constexpr char kListProperty[] = "LysoraSelectionList";

// Enter, Escape and Tab typed in a list go to the dialog, as from its other controls.
LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    WNDPROC replaced = ReplacedProcedure(hwnd, msg, kListProperty);
    if (msg == WM_KEYDOWN && (wparam == VK_ESCAPE || wparam == VK_TAB))
        return SendMessageA(GetParent(hwnd), msg, wparam, lparam);
    if (msg == WM_CHAR && wparam == VK_RETURN) {
        if (auto* dialog = dynamic_cast<DLG*>(WIN::FromHandle(GetParent(hwnd))))
            dialog->ONKEY(VK_RETURN);
        return 0;
    }
    return replaced ? CallWindowProcA(replaced, hwnd, msg, wparam, lparam) : DefWindowProcA(hwnd, msg, wparam, lparam);
}

int LineCount(HWND lb) { return lb ? int(SendMessageA(lb, LB_GETCOUNT, 0, 0)) : 0; }

// A list as wide inside as its longest entry: a narrower list scrolls sideways to show it
// whole ("Matières azotées totales (N x 6,25)" in French).
void FitExtent(HWND lb, const std::vector<std::string>& texts)
{
    int widest = 0;
    for (const std::string& text : texts)
        widest = std::max(widest, WIN::GETTEXTWIDTH(text, lb));
    SendMessageA(lb, LB_SETHORIZONTALEXTENT, WPARAM(widest + 6), 0);
}

} // namespace

DLG_COMPMATSELECT::DLG_COMPMATSELECT() : DLG(MainWindow(), GKT_DIALOG, LIB(Symbol("CHOIXMATCOMP")))
{
    XFLDMIN(0); // fields go exactly where the pen is
    TYPEVALEUR(*this, std::string(kTypeParDefaut));
    LN(35);
    const int listTop = PenY();
    X(14).LBL(Symbol("LBLLISTEMAT"), LIB(Symbol("LISTEMAT")) + " :");
    XY(XNUTRI, listTop).LBL(Symbol("LBLLISTENUTRI"), LIB(Symbol("LISTENUTRI")) + " :");

    struct Button {
        Command command;
        int x;
        const char* caption;
        int width;
        const char* picture;
    };
    const Button buttons[] = {
        {cmd::SELECTALLMAT, 178, "TOUT", 38, "BTTOUT"},   {cmd::CLEARMAT, 226, "RIEN", 38, "BTRIEN"},
        {cmd::AAE, 471, "AAECOURT", 38, "BTAAE"},         {cmd::AANE, 516, "AANECOURT", 45, "BTAANE"},
        {cmd::AP, 570, "APCOURT", 28, "BTAP"},            {cmd::SELECTALLNUTRI, 606, "TOUT", 38, "BTTOUT"},
        {cmd::CLEARNUTRI, 652, "RIEN", 38, "BTRIEN"},
    };
    for (const Button& b : buttons)
        XY(b.x, 437).CMD(b.command, LIB(Symbol(b.caption)), b.width, std::nullopt, "#" + LIB(Symbol(b.picture)));
    XY(220, 480).CMD(cmd::CREERTABLEAU, LIB(Symbol("CREERTABLEAU")), 165, std::nullopt,
                     "#" + LIB(Symbol("BTCROISE")));
    XY(400, 480).CMD(cmd::CLOSE, LIB(Symbol("RETOURMENU")), 120, std::nullopt, "#" + LIB(Symbol("BTRETOUR")));
    XY(667, 480).CMD(cmd::ONHELP, "", 22, std::nullopt, "#aide");

    BKTEXT("#choix");
    const COLORREF accent = COULEURACCENT();
    SETCOLOR(GetRValue(accent), GetGValue(accent), GetBValue(accent));
    CENTER(kWidth, kHeight);
    BLOQUER();
}

void DLG_COMPMATSELECT::TYPEVALEUR(DLG& dialog, const std::string& valueType)
{
    dialog.XY(kMargin, 10).LBL(Symbol("LBLTYPEVALEUR"), LIB(Symbol("TYPEVALEUR")) + " :").LN();
    dialog.X(kMargin).FLD(kTypeValeur, DOMTYPEVALEUR());
    if (WIN* field = dialog.FLD(kTypeValeur))
        field->MOVE(WIN::kKeep, WIN::kKeep, 250, 200);
    dialog.FLDSET(kTypeValeur, Value(valueType));
}

HWND DLG_COMPMATSELECT::MakeList(int x, int y, int w, int h, DWORD style)
{
    HWND lb = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", style, x, y, w, h, HANDLE(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!lb)
        return nullptr;
    SendMessageA(lb, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), FALSE);
    SubclassControl(lb, kListProperty, ListProc);
    return lb;
}

void DLG_COMPMATSELECT::ONFLD(Symbol sym)
{
    if (!sym.IsNull() || LBMAT)
        return;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_MULTIPLESEL;
    LBMAT = MakeList(14, 95, 445, 350, style | WS_TABSTOP);
    LBNUTRI = MakeList(XNUTRI, 95, 220, 350, style);

    WAITCURSOR(true);
    const SelectionList mat = FeedstuffList();
    SendMessageA(LBMAT, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < mat.texts.size(); ++i) {
        ADDSTRING(LBMAT, mat.texts[i]);
        ACLESMAT.push_back(mat.keys[i].Number());
    }
    SendMessageA(LBMAT, WM_SETREDRAW, TRUE, 0);
    FitExtent(LBMAT, mat.texts);
    const SelectionList nutri = NutrientList(DONNEESGENERALES().nutriPermanent);
    for (std::size_t i = 0; i < nutri.texts.size(); ++i) {
        ADDSTRING(LBNUTRI, nutri.texts[i]);
        ACLESNUTRI.push_back(nutri.keys[i].Text());
    }
    FitExtent(LBNUTRI, nutri.texts);
    ACOURTS = nutri.courts;
    LOADINI();
    WAITCURSOR(false);
}

void DLG_COMPMATSELECT::LOADINI()
{
    FLDSET(kTypeValeur, Value(SavedValueType()));
    const std::vector<std::size_t> mat = SavedFeedstuffLines(ACLESMAT);
    for (std::size_t line : mat)
        SETSEL(LBMAT, int(line), true);
    for (std::size_t line : SavedNutrientLines(ACLESNUTRI))
        SETSEL(LBNUTRI, int(line), true);
    if (!mat.empty()) // the first chosen feedstuff in view
        SendMessageA(LBMAT, LB_SETTOPINDEX, *std::min_element(mat.begin(), mat.end()), 0);
}

std::string DLG_COMPMATSELECT::ValueType()
{
    auto* field = dynamic_cast<lysora::FLD*>(FLD(kTypeValeur));
    if (!field)
        return {};
    field->VALIDATE();
    return field->GET().Text();
}

void DLG_COMPMATSELECT::ONKEY(int key)
{
    if (key == VK_RETURN)
        CREERTABLEAU();
    else
        DLG::ONKEY(key);
}

void DLG_COMPMATSELECT::ONCMD(Symbol sym)
{
    if (sym == kTypeValeur && ValueType().empty())
        FLDSET(kTypeValeur, Value(std::string(kTypeParDefaut)));
}

void DLG_COMPMATSELECT::CREERTABLEAU()
{
    const std::string valueType = ValueType();
    if (valueType.empty())
        return;
    ComparisonChoice choice{valueType, {}, {}};
    for (int i = 0; i < LineCount(LBMAT) && std::size_t(i) < ACLESMAT.size(); ++i)
        if (ISSELECTED(LBMAT, i))
            choice.feedstuffs.push_back(ACLESMAT[std::size_t(i)]);
    if (choice.feedstuffs.empty()) {
        ERROR(LIB(Symbol("ERREURCHOIXMAT")), LIB(Symbol("ATTENTION")));
        return;
    }
    std::vector<std::string> courts;
    for (int i = 0; i < LineCount(LBNUTRI) && std::size_t(i) < ACLESNUTRI.size(); ++i)
        if (ISSELECTED(LBNUTRI, i)) {
            choice.nutrients.push_back(ACLESNUTRI[std::size_t(i)]);
            courts.push_back(ACOURTS[std::size_t(i)]);
        }
    if (choice.nutrients.empty()) {
        ERROR(LIB(Symbol("ERREURCHOIXNUTRI")), LIB(Symbol("ATTENTION")));
        return;
    }
    SAVEINI(choice);
    // This dialog goes first: it gives back the main window it blocked, which the table
    // then blocks in its turn.
    WIN* orig = ORIG();
    CLOSE();
    auto table = std::make_unique<DLG_COMPMAT>(choice.valueType, choice.feedstuffs, choice.nutrients, courts);
    table->ORIG(orig);
    WIN::Adopt(std::move(table))->SHOW();
}

void DLG_COMPMATSELECT::FILTRERNUTRI(const std::vector<std::string>& codes)
{
    for (std::size_t i = 0; i < ACLESNUTRI.size(); ++i)
        SETSEL(LBNUTRI, int(i), std::find(codes.begin(), codes.end(), ACLESNUTRI[i]) != codes.end());
}

void DLG_COMPMATSELECT::SELECTALLMAT() { SELECTALLLB(LBMAT); }
void DLG_COMPMATSELECT::CLEARMAT() { CLEARLB(LBMAT); }
void DLG_COMPMATSELECT::SELECTALLNUTRI() { SELECTALLLB(LBNUTRI); }
void DLG_COMPMATSELECT::CLEARNUTRI() { CLEARLB(LBNUTRI); }
void DLG_COMPMATSELECT::AAE() { FILTRERNUTRI(DONNEESGENERALES().aae.codes); }
void DLG_COMPMATSELECT::AANE() { FILTRERNUTRI(DONNEESGENERALES().aane.codes); }
void DLG_COMPMATSELECT::AP() { FILTRERNUTRI(DONNEESGENERALES().ap.codes); }

void DLG_COMPMATSELECT::ONHELP() { ShowHelp(HANDLE(), FICHIERAIDE(), kHelpContext, kHelpTopic); }

void DLG_COMPMATSELECT::ADDSTRING(HWND lb, const std::string& text)
{
    SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void DLG_COMPMATSELECT::INSERTSTRING(HWND lb, const std::string& text, int index)
{
    SendMessageA(lb, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void DLG_COMPMATSELECT::SETSEL(HWND lb, int index, bool select)
{
    if (lb)
        SendMessageA(lb, LB_SETSEL, select, LPARAM(index));
}

bool DLG_COMPMATSELECT::ISSELECTED(HWND lb, int index)
{
    return lb && SendMessageA(lb, LB_GETSEL, WPARAM(index), 0) > 0;
}

} // namespace lysora
