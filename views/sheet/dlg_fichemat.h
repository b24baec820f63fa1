// DLG_FICHEMAT: the feedstuff sheet. One feedstuff at a time, picked by name in a drop-down
// list or reached with the four navigation buttons in alphabetical order; its definition in
// a white box; three tab pages (essential amino acids, non-essential amino acids, proximate
// analysis), each a grid of the group's nutrients against the eleven value fields. The
// feedstuff last shown is remembered in the settings ("Mat") and shown again next time.
//
// Its outputs: the values printed, or exported to a spreadsheet file, an RTF document or
// the import file of the OLVAN 2 formulation software; each exports what the grids hold.
// The graph buttons beside the mean rows of the two amino-acid pages draw the current
// feedstuff's values of that row across the page's nutrients as a bar graph, shown in the
// print preview.
#pragma once

#include "framework/dlg.h"
#include "print/pl.h"
#include "views/chart/chart.h"
#include "views/grid/fld_grille.h"
#include "views/sheet/sheet_data.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// The sheet's commands: the four navigation buttons, the filling of the three tab pages, the
// batch, and the outputs and help it shares with other views.
#define DLG_FICHEMAT_COMMANDS(OWN, SHARED)                                                                     \
    OWN(PREMIER) OWN(PRECEDENT) OWN(SUIVANT) OWN(DERNIER) OWN(INIT_AAE) OWN(INIT_AANE) OWN(INIT_AP) OWN(LOT)   \
    SHARED(EXPORTER) SHARED(IMPRIMERVALEURS) SHARED(ONHELP)
LYSORA_COMMANDS(DLG_FICHEMAT_COMMANDS)

namespace cmd {
inline constexpr Command MAT{"MAT"}; // the drop-down list of feedstuffs
} // namespace cmd

class DLG_FICHEMAT : public DLG {
public:
    static constexpr int kWidth = 745, kHeight = 495;
    // The definition box, in client pixels.
    static constexpr RECT kDefinitionBox{15, 45, 15 + 705, 45 + 71};

    DLG_FICHEMAT(); // INIT

    LYSORA_METHODS(DLG_FICHEMAT, DLG, DLG_FICHEMAT_COMMANDS)

    // The graph buttons of a page: one left of each mean row; the command of each is the
    // prefix, the row number and the comparison key run together (GRAPHE11COMPTB).
    void SETBOUTONS(std::string_view prefix);
    void SETBOUTONGRAPHE(std::string_view prefix, int row, std::string_view key);
    void INIT_AAE();
    void INIT_AANE();
    void INIT_AP();
    void ONCREATE() override;
    void ONCLOSE() override;
    void ONHELP() override;
    void RAFRAICHIRGRILLES();
    Value CREERLIGNES(const std::vector<std::string>& codes);
    void ONFLD(Symbol sym) override;
    void SETDEF(std::string_view text);
    bool MATFROMINI();
    void PREMIER();
    void PRECEDENT();
    void SUIVANT();
    void DERNIER();
    void ONCMD(Symbol sym) override;
    // The bar graph of one value row for the current page's group.
    void GRAPHE(int row, Symbol key);

    // ---- The user's batch ----
    // Opens the batch dialog of the current feedstuff.
    void LOT();
    // Keeps the batch of the current feedstuff in the settings (an empty one removes it) and
    // shows the feedstuff adjusted to it.
    void APPLIQUERLOT(const Batch& batch);
    // The marker line above the tabs ("Adjusted to your batch: ..."), empty without a batch.
    std::string BatchMarker();
    HWND BatchLine() const { return batchLine_; }

    // ---- Outputs ----
    // Asks for a file and a format (the filter row chosen, whatever the name's extension).
    void EXPORTER();
    // Each shows "failed to create file" when the file cannot be created.
    void EXPORTEXCEL(const std::string& path);
    void EXPORTRTF(const std::string& path);
    void EXPORTOLVAN(const std::string& path);
    std::vector<OlvanItem> GETVALEURS(int matiere, const std::vector<Symbol>& types);
    // The bar graph of mean row `row` of the value-field list for the nutrients `codes`
    // (short names `names`), key the comparison of that value type (COMPTB ... COMPTDIG_V):
    // one bar per nutrient that carries the value, drawn on a landscape page and shown in
    // the print preview. With nothing to plot nothing is drawn or shown.
    void IMPRIMERGRAPHE(int row, const std::vector<std::string>& codes, const std::vector<std::string>& names,
                        Symbol key);
    // The last graph's geometry (no bars before the first), and its coordinate mapping.
    const ChartGeometry& Chart() const { return chart_; }
    double N2X(double n) const { return chart_.N2X(n); }
    double P2Y(double v) const { return chart_.P2Y(v); }
    // The three tables printed (previewed in a debug copy of the program).
    void IMPRIMERVALEURS();
    // The printout of the three tables, laid out and closed: the first two groups on page
    // one, the proximate analysis on page two.
    std::shared_ptr<PL> PrintedValues();
    // The page header of a printout: the feedstuff's name.
    void TITREEDITION(PL& pl);

    // ---- What the sheet shows ----
    FLD_GRILLE* Grid(Symbol tab) const; // the grid of the page AAE, AANE or AP
    HWND DefinitionBox() const { return definitionBox_; }
    const std::string& DefinitionText() const { return definition_; }
    FeedstuffShown Current() { return data_->Current(); }

private:
    // The common tail of navigation: the name in the list, the definition, the feedstuff's
    // batch and the grids.
    void ShowCurrent();
    // The current feedstuff's values: its batch from the settings, the grids, the marker.
    void ShowValues();
    // The current feedstuff's name, followed by the batch marker when there is one: the
    // title line of every output.
    std::string OutputTitle();
    void AddGrid(Symbol sym, const std::vector<std::string>& titles);
    // The three groups as the grids hold them, essential amino acids first.
    std::vector<ExportGroup> Groups() const;
    // The three tables on a page layout; printed ones end their pages with the footer.
    void Tables(PL& pl, bool printed);
    void Subclass();

    std::unique_ptr<SheetData> data_;
    HWND definitionBox_ = nullptr;
    HWND batchLine_ = nullptr;
    std::string definition_;
    ChartGeometry chart_ = kSheetGraphGeometry;
};

} // namespace lysora
