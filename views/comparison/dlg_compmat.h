// DLG_COMPMAT: the cross table of the comparison, one row per chosen feedstuff and one
// column per chosen nutrient, each cell the stored value of the chosen type. Switching the
// type rebuilds the rows at once, keeping the column and direction the user sorted on; the
// table can be printed, exported (semicolon text in the on-screen order, or RTF), drawn as
// a histogram of one nutrient, or the selection modified.
#pragma once

#include "framework/dlg.h"
#include "print/value_table.h"

#include <string>
#include <vector>

namespace lysora {

class FLD_GRILLE;

// The table's commands: the histogram, back to the selection, and the outputs and help it
// shares with other views.
#define DLG_COMPMAT_COMMANDS(OWN, SHARED)                                                                      \
    OWN(GRAPHE) OWN(MODIFSEL) SHARED(IMPRIMERVALEURS) SHARED(EXPORTER) SHARED(ONHELP)
LYSORA_COMMANDS(DLG_COMPMAT_COMMANDS)

class DLG_COMPMAT : public DLG {
public:
    static constexpr int kWidth = 785, kHeight = 534;
    static constexpr unsigned long kHelpTopic = 40;
    // The histogram draws at most this many feedstuffs.
    static constexpr std::size_t kMaxMatGraphe = 30;

    DLG_COMPMAT(std::string valueType, std::vector<double> aMat, std::vector<std::string> aNutri,
                std::vector<std::string> aCourt);

    LYSORA_METHODS(DLG_COMPMAT, DLG, DLG_COMPMAT_COMMANDS)

    void ONCMD(Symbol sym) override;
    void ONHELP() override;

    void RAFRAICHIRGRILLE();
    Value CREERLIGNES() const;
    void MODIFSEL();
    void GRAPHE();
    void EXPORTER();
    // False when the file was not written (already shown).
    bool EXPORTEXCEL(const std::string& file);
    bool EXPORTRTF(const std::string& file);
    void IMPRIMERVALEURS();

    const std::string& ValueType() const { return valueType_; }
    FLD_GRILLE& GRILLE() const { return *grille_; }

    const std::vector<double> AMAT;
    const std::vector<std::string> ANUTRI;
    const std::vector<std::string> ACOURT;

protected:
    // The histogram of one of nutrients (codes and short names) for feedstuffs, owned by
    // owner; the histogram dialog is opened here.
    virtual void OUVRIRHISTOGRAMME(DLG& owner, const std::string& valueType, const std::vector<std::string>& codes,
                                   const std::vector<std::string>& courts, const std::vector<double>& feedstuffs);

private:
    // The table as printed and exported: title of the value type, columns, on-screen rows.
    ComparisonPrint PrintedTable() const;

    std::string valueType_;
    FLD_GRILLE* grille_ = nullptr;
};

} // namespace lysora
