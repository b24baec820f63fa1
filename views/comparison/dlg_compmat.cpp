// DLG_COMPMAT (see dlg_compmat.h).
#include "views/comparison/dlg_compmat.h"

#include "data/domain_text.h"
#include "print/preview_win32.h"
#include "services/colours.h"
#include "services/help.h"
#include "services/help_win32.h"
#include "services/program_dir.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "views/chart/dlg_nutriselect.h"
#include "views/chart/histogram.h"
#include "views/comparison/comparison.h"
#include "views/comparison/dlg_compmatselect.h"
#include "views/export/export_file.h"
#include "views/grid/fld_grille.h"

#include <cstdio>

namespace lysora {
namespace {

const Symbol kTypeValeur("TYPEVALEUR");
const Symbol kGrille("GRILLE");
constexpr int kFilterExcel = 1, kFilterRtf = 2;

} // namespace

DLG_COMPMAT::DLG_COMPMAT(std::string valueType, std::vector<double> aMat, std::vector<std::string> aNutri,
                         std::vector<std::string> aCourt)
    : DLG(MainWindow(), GKT_DIALOG, LIB(Symbol("TABLEAUCOMP"))), AMAT(std::move(aMat)), ANUTRI(std::move(aNutri)),
      ACOURT(std::move(aCourt)), valueType_(std::move(valueType))
{
    XFLDMIN(0); // fields go exactly where the pen is
    DLG_COMPMATSELECT::TYPEVALEUR(*this, valueType_);

    const std::string hint = LIB(Symbol("CLICENTETE"));
    XY(255 + (510 - GETTEXTWIDTH(hint)) / 2, 60).LBL(Symbol("LBLCLICENTETE"), hint);

    auto grid = DOM_GRILLE(240, 38, 750, 18, 19).CONTROL(this);
    grille_ = grid.get();
    grille_->COLONNES = ACOURT;
    grille_->TRIAUTORISE = true;
    grille_->TRIERLIGNES(1);
    XY(kMargin, 80).FLD(kGrille, std::move(grid));
    RAFRAICHIRGRILLE();

    struct Button {
        Command command;
        int x, width;
        std::string caption, picture;
    };
    const Button buttons[] = {
        {cmd::GRAPHE, 140, 22, "&" + LIB(Symbol("HISTOGRAMME")), "#graphe"},
        {cmd::IMPRIMERVALEURS, 178, 25, "&" + LIB(Symbol("IMPRESSION")), "#imprimer"},
        {cmd::EXPORTER, 220, 100, LIB(Symbol("EXPORTER")), "#" + LIB(Symbol("BTEXPORTER"))},
        {cmd::MODIFSEL, 340, 150, LIB(Symbol("MODIFSEL")), "#" + LIB(Symbol("BTMODIFIER"))},
        {cmd::CLOSE, 510, 120, LIB(Symbol("RETOURMENU")), "#" + LIB(Symbol("BTRETOUR"))},
        {cmd::ONHELP, 745, 22, "", "#aide"},
    };
    for (const Button& b : buttons)
        XY(b.x, 480).CMD(b.command, b.caption, b.width, std::nullopt, b.picture);

    BKTEXT("#comp");
    const COLORREF accent = COULEURACCENT();
    SETCOLOR(GetRValue(accent), GetGValue(accent), GetBValue(accent));
    CENTER(kWidth, kHeight);
    BLOQUER();
}

void DLG_COMPMAT::ONCMD(Symbol sym)
{
    if (sym != kTypeValeur)
        return;
    auto* field = dynamic_cast<lysora::FLD*>(FLD(kTypeValeur));
    if (!field)
        return;
    field->VALIDATE();
    std::string chosen = field->GET().Text();
    if (chosen.empty()) {
        chosen = std::string(kTypeParDefaut);
        FLDSET(kTypeValeur, Value(chosen));
    }
    // The list reports focus and drop-down changes too: only a new type rebuilds.
    if (chosen == valueType_)
        return;
    valueType_ = chosen;
    RAFRAICHIRGRILLE();
}

void DLG_COMPMAT::RAFRAICHIRGRILLE() { grille_->LIGNES(CREERLIGNES()); }

Value DLG_COMPMAT::CREERLIGNES() const
{
    WAITCURSOR(true);
    Value rows = lysora::CREERLIGNES(valueType_, AMAT, ANUTRI);
    WAITCURSOR(false);
    return rows;
}

void DLG_COMPMAT::MODIFSEL()
{
    // The selection opens as from the menu, owned by the main window, with the saved choice.
    WIN* orig = ORIG();
    CLOSE();
    auto selection = std::make_unique<DLG_COMPMATSELECT>();
    selection->ORIG(orig);
    WIN::Adopt(std::move(selection))->SHOW();
}

void DLG_COMPMAT::GRAPHE()
{
    if (AMAT.size() > kMaxMatGraphe && !CONFIRM(LIB(Symbol("AVERTISSEMENTHISTO")), LIB(Symbol("ATTENTION"))))
        return;
    const NutrientColumns kept = NutrientsCarrying(valueType_, ANUTRI, ACOURT);
    if (kept.codes.empty())
        return;
    OUVRIRHISTOGRAMME(*this, valueType_, kept.codes, kept.courts, AMAT);
}

void DLG_COMPMAT::OUVRIRHISTOGRAMME(DLG& owner, const std::string& valueType, const std::vector<std::string>& codes,
                                    const std::vector<std::string>& courts, const std::vector<double>& feedstuffs)
{
    // The histogram reads its feedstuffs by code, written as whole numbers.
    std::vector<std::string> keys;
    keys.reserve(feedstuffs.size());
    for (double code : feedstuffs)
        keys.push_back(std::to_string(static_cast<long long>(code)));
    lysora::OUVRIRHISTOGRAMME(&owner, Symbol(valueType), codes, courts, keys);
}

void DLG_COMPMAT::EXPORTER()
{
    const std::string file = GETSAVEFILENAME({{"Excel", "*.csv"}, {"RTF", "*.rtf"}});
    if (file.empty())
        return;
    DOEVENTS();
    WAITCURSOR(true);
    if (LastFilterIndex() == kFilterRtf)
        EXPORTRTF(file);
    else if (LastFilterIndex() == kFilterExcel)
        EXPORTEXCEL(file);
    WAITCURSOR(false);
}

bool DLG_COMPMAT::EXPORTEXCEL(const std::string& file)
{
    const std::string text = SemicolonText(grille_->COLONNES, grille_->LIGNES(), DecimalSeparator());
    return SaveExport(file, text);
}

ComparisonPrint DLG_COMPMAT::PrintedTable() const
{
    ComparisonPrint table;
    table.title = LIB(Symbol("COMP" + valueType_));
    table.columns = grille_->COLONNES;
    for (const Value& row : grille_->LIGNES().Array())
        table.rows.push_back(row.Array());
    table.footer = CurrentPageFooter();
    return table;
}

bool DLG_COMPMAT::EXPORTRTF(const std::string& file)
{
    return lysora::EXPORTRTF(file, PrintedTable(), ExportRtfMessages());
}

void DLG_COMPMAT::IMPRIMERVALEURS() { lysora::IMPRIMERVALEURS(this, PrintedTable(), _DEBUG()); }

void DLG_COMPMAT::ONHELP() { ShowHelp(HANDLE(), FICHIERAIDE(), kHelpContext, kHelpTopic); }

} // namespace lysora
