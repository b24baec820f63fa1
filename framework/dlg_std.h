// The standard dialogs that maintain any table from its definition alone:
// - DLGBRW_STD lists a selection's records in a browse field named BRW and carries out the
//   commands INSERT, UPDATE and DELETE (its subclasses add the button row);
// - DLGFRM_STD edits one record, a line per field, and commits it;
// - DLGFLD_STD lets the user pick a code for a table-code control (its "..." button).
//
// Locks: a record is locked from the moment the form opens it for modification (or appends
// it) until the form closes, confirmed or cancelled; a record another user or another
// selection holds is refused with "Fichier non disponible".
#pragma once

#include "framework/brw.h"
#include "framework/dlg.h"
#include "framework/table_data.h"

#include <memory>
#include <string>
#include <vector>

namespace lysora {

namespace cmd {
inline constexpr Command INSERT{"INSERT"};
inline constexpr Command UPDATE{"UPDATE"};
inline constexpr Command DELETE{"DELETE"};
} // namespace cmd

// The framework's texts for records that cannot be had or kept.
inline constexpr std::string_view kFichierNonDisponible = "Fichier non disponible";
inline constexpr std::string_view kCleExistante = "Code déjà existant";
inline constexpr std::string_view kEnregistrementImpossible = "Enregistrement impossible";

class DLGFRM_STD;

class DLGBRW_STD : public DLG {
public:
    // The browse dialog's size when it has none of its own.
    static constexpr int kWidth = 720, kHeight = 460;
    // The double click the browse control reports.
    static constexpr int kDoubleClick = GKT_CHAR_DBLCLICK;

    // INIT: title, the selection (owned by the dialog from now on), the fields shown
    // (empty: every field of the selection).
    DLGBRW_STD(std::string_view title, std::unique_ptr<DBSEL> selection, std::vector<Symbol> fields = {});
    ~DLGBRW_STD() override;

    void ONCMD(Symbol sym) override;
    // The command buttons: add, modify, delete, close.
    void BOUTONS();
    // A double click opens the current record for modification; other keys do nothing.
    void ONKEY(int key) override;
    void ONCLOSE() override;

    // The form, made on first use and kept.
    DLGFRM_STD& DLGFRM();
    DLGFRM_STD* Form() const { return w_.get(); }
    BRW* Browser() const;
    DBSEL& Selection() const { return *selection_; }
    const std::vector<Symbol>& Fields() const { return fields_; }

private:
    void OpenForm(Symbol action);
    void Delete();

    std::unique_ptr<DBSEL> selection_;
    std::vector<Symbol> fields_;
    std::unique_ptr<DLGFRM_STD> w_; // W
};

class DLGFRM_STD : public DLG {
public:
    // INIT: the browse dialog it belongs to, the selection, the fields (empty: all).
    DLGFRM_STD(DLGBRW_STD* owner, DBSEL& selection, std::vector<Symbol> fields = {});
    ~DLGFRM_STD() override;

    Symbol ACTION; // INSERT or UPDATE

    // Appends the record first when inserting, then stores the fields into it.
    bool STORE();
    // Validates every field, refuses a key another record has, stores and commits; the form
    // stays open with what was typed when any of these fails.
    bool OK() override;
    // Releases the lock (and a record appended but never committed), then redisplays the
    // owner's browse.
    void ONCLOSE() override;

private:
    bool KeyIsFree();

    DLGBRW_STD* owner_;
    DBSEL& selection_;
    SelectionData data_;
    bool appended_ = false; // a record was appended and not committed yet
};

// Picks a code for a table-code control: a browse of the table in its order, positioned on
// the control's code; a double click, Enter or "&Ok" sets the chosen code into the control.
class DLGFLD_STD : public DLG {
public:
    DLGFLD_STD(CTL_TBL& control, std::unique_ptr<DBSEL> selection, Symbol codeField, std::vector<Symbol> fields);
    ~DLGFLD_STD() override;
    void ONKEY(int key) override;
    bool OK() override;

    // Opens the field browse for a control whose codes come from an open table; installed
    // as the table-code control's browse hook by InstallFieldBrowse.
    static void Open(CTL_TBL& control);

private:
    CTL_TBL& control_;
    std::unique_ptr<DBSEL> selection_;
    Symbol codeField_;
};

// Makes the "..." button of every table-code control open DLGFLD_STD.
void InstallFieldBrowse();

} // namespace lysora
