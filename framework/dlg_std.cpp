// DLGBRW_STD, DLGFRM_STD and DLGFLD_STD (see dlg_std.h).
#include "framework/dlg_std.h"

#include "base/text.h"

#include <algorithm>

namespace lysora {
namespace {

const Symbol kBrw("BRW");

// The browse dialog is an MDI child inside an MDI frame, else a dialog of its own.
int BrowseType()
{
    WIN* main = MainWindow();
    return main && main->TYPEFENETRE() == GKT_MDIFRAME ? GKT_MDICHILD : GKT_DIALOG;
}

std::vector<Symbol> FieldsOr(std::vector<Symbol> fields, const DBSEL& selection)
{
    return fields.empty() ? selection.FLDSYM() : fields;
}

// The message about a record that cannot be had, from the program's main window.
void ShowUnavailable(WIN& fallback)
{
    WIN* main = MainWindow();
    (main ? *main : fallback).MESSAGE(kFichierNonDisponible);
}

// Why a save failed, as the table says it; "Enregistrement impossible" when it says nothing.
std::string SaveFailure()
{
    const std::string why = DBSEL::FAILURE();
    return why.empty() ? std::string(kEnregistrementImpossible) : why;
}

} // namespace

// ---- DLGBRW_STD -------------------------------------------------------------------------

DLGBRW_STD::DLGBRW_STD(std::string_view title, std::unique_ptr<DBSEL> selection, std::vector<Symbol> fields)
    : DLG(MainWindow(), BrowseType(), title), selection_(std::move(selection)),
      fields_(FieldsOr(std::move(fields), *selection_))
{
    if (Record()) {
        Record()->req_w = kWidth;
        Record()->req_h = kHeight;
    }
    auto browse = std::make_unique<BRW>(this, *selection_, fields_);
    browse->ID(kBrw);
    if (Win* record = browse->Record()) {
        record->req_x = kMargin;
        record->req_y = kMargin;
        record->req_w = -kMargin;     // to the right edge, less the margin
        record->req_h = -(115 + 10);  // down to the button row
    }
    Append(kBrw, std::move(browse), {}, Check::Nil);
    XY(kMargin, -115);
}

DLGBRW_STD::~DLGBRW_STD()
{
    // The form and the windows go while the selection they use is still here.
    w_.reset();
    DestroyWindowNow();
}

BRW* DLGBRW_STD::Browser() const { return dynamic_cast<BRW*>(FLD(kBrw)); }

void DLGBRW_STD::BOUTONS()
{
    CMD(cmd::INSERT, "&Ajouter");
    CMD(cmd::UPDATE, "&Modifier");
    CMD(cmd::DELETE, "&Supprimer");
    CMD(cmd::CLOSE, "&Fermer");
}

void DLGBRW_STD::ONKEY(int key)
{
    if (key == kDoubleClick)
        ONCMD(cmd::UPDATE);
}

void DLGBRW_STD::ONCMD(Symbol sym)
{
    if (sym == cmd::INSERT.Sym() || (sym == cmd::UPDATE.Sym() && !selection_->Eof()))
        OpenForm(sym);
    else if (sym == cmd::DELETE.Sym())
        Delete();
    else
        DLG::ONCMD(sym);
}

DLGFRM_STD& DLGBRW_STD::DLGFRM()
{
    if (!w_)
        w_ = std::make_unique<DLGFRM_STD>(this, *selection_, fields_);
    return *w_;
}

void DLGBRW_STD::OpenForm(Symbol action)
{
    // A form already open keeps its record: it is brought forward, nothing else.
    if (w_ && w_->Exists()) {
        SetActiveWindow(w_->HANDLE());
        return;
    }
    const bool insert = action == cmd::INSERT.Sym();
    if (!insert && !selection_->LOCK()) {
        // A record deleted meanwhile was reported by the lock itself, and the browses redrawn.
        if (!selection_->Vanished())
            ShowUnavailable(*this);
        return;
    }
    DLGFRM_STD& form = DLGFRM();
    form.ORIG(this, true);
    form.ACTION = action;
    form.SETTEXT(Caption() + "  -  " + (insert ? "Création" : "Modification"));
    form.LOAD(insert);
    form.SHOW();
}

void DLGBRW_STD::Delete()
{
    if (selection_->Eof() || !CONFIRM("Suppression ?"))
        return;
    if (!selection_->LOCK()) {
        if (!selection_->Vanished())
            ShowUnavailable(*this);
        return;
    }
    const bool deleted = selection_->DELETE();
    selection_->UNLOCK();
    if (!selection_->COMMIT() || !deleted)
        ERROR(SaveFailure());
}

void DLGBRW_STD::ONCLOSE()
{
    // The form of a closing browse goes too, releasing its record.
    if (w_ && w_->Exists())
        w_->SHOW(GKT_SHOW_CLOSE);
    DLG::ONCLOSE();
}

// ---- DLGFRM_STD -------------------------------------------------------------------------

DLGFRM_STD::DLGFRM_STD(DLGBRW_STD* owner, DBSEL& selection, std::vector<Symbol> fields)
    : DLG(MainWindow(), GKT_DIALOG), owner_(owner), selection_(selection), data_(selection)
{
    DATA(&data_);
    fields = FieldsOr(std::move(fields), selection);
    DATALBLFLDLN(fields);
    const int bottom = PenY();
    int right = 0;
    for (const Element& element : Elements())
        if (const Win* record = element.object->Record(); record && record->req_x >= 0 && record->req_w > 0)
            right = std::max(right, record->req_x + record->req_w);
    CMDOKCANCEL();
    const int buttons = 2 * kButtonStep + kMargin;
    CENTER(right + kMargin - kButtonColumn + 10, std::max(bottom, buttons) + 40);
}

DLGFRM_STD::~DLGFRM_STD()
{
    // Closed here, while it is still a form: its closing releases the record.
    DestroyWindowNow();
}

bool DLGFRM_STD::KeyIsFree()
{
    // The key of the browsed order, as the form would write it, must name no other record.
    const DBF* table = selection_.DBO();
    const std::vector<Symbol> keyFields = table ? table->ORDFIELDS(selection_.ORDNUMBER()) : std::vector<Symbol>{};
    if (keyFields.empty())
        return true;
    auto keyOf = [&](auto&& value) {
        std::string key;
        for (Symbol field : keyFields) {
            const DOM* dom = table->FLDOBJ(field);
            std::string part = dom ? dom->ORDVAL(value(field)) : value(field).Text();
            if (dom && dom->TYP() == "C" && int(part.size()) < dom->LEN())
                part.append(std::size_t(dom->LEN()) - part.size(), ' ');
            key += part;
        }
        return key;
    };
    const std::string key = keyOf([&](Symbol field) { return FLDGET(field); });
    DBSEL other(selection_.AREA(), ItemRef(selection_.ORDNUMBER()));
    if (!other.SEEK(key))
        return true;
    const bool updating = ACTION == cmd::UPDATE.Sym();
    for (std::int32_t seen = 0; other.RECNO() != seen;) {
        if (!updating || other.RECNO() != selection_.RECNO()) {
            SETERR(keyFields.front(), kCleExistante);
            return false;
        }
        seen = other.RECNO();
        if (!other.SKIP(1) || keyOf([&](Symbol field) { return other.Get(field); }) != key)
            break;
    }
    return true;
}

bool DLGFRM_STD::STORE()
{
    if (ACTION == cmd::INSERT.Sym()) {
        if (!selection_.INSERT()) {
            ERRORMSG(SaveFailure());
            return false;
        }
        // Appended and locked: a second try after a failure stores into this same record.
        appended_ = true;
        ACTION = cmd::UPDATE.Sym();
    }
    if (DLG::STORE())
        return true;
    ERRORMSG(kEnregistrementImpossible);
    return false;
}

bool DLGFRM_STD::OK()
{
    if (!VALIDATE_(Elements().size(), true, true).empty() || !KeyIsFree() || !STORE())
        return false;
    if (!selection_.COMMIT()) {
        ERRORMSG(SaveFailure());
        return false; // what was typed is still in the form, and in the locked record
    }
    appended_ = false;
    CLOSE();
    return true;
}

void DLGFRM_STD::ONCLOSE()
{
    DLG::ONCLOSE();
    if (appended_) {
        // Appended, never committed: the blank record is taken back.
        selection_.DELETE();
        selection_.COMMIT();
        appended_ = false;
    }
    selection_.UNLOCK();
    if (owner_)
        if (BRW* browse = owner_->Browser())
            browse->REFRESH();
}

// ---- DLGFLD_STD -------------------------------------------------------------------------

DLGFLD_STD::DLGFLD_STD(CTL_TBL& control, std::unique_ptr<DBSEL> selection, Symbol codeField,
                       std::vector<Symbol> fields)
    : DLG(control.PARENT(), GKT_DIALOG, selection->TXT()), control_(control), selection_(std::move(selection)),
      codeField_(codeField)
{
    auto browse = std::make_unique<BRW>(this, *selection_, FieldsOr(std::move(fields), *selection_));
    browse->ID(kBrw);
    if (Win* record = browse->Record()) {
        record->req_x = kMargin;
        record->req_y = kMargin;
        record->req_w = 420;
        record->req_h = 260;
    }
    Append(kBrw, std::move(browse), {}, Check::Nil);
    XY(-kButtonWidth - kMargin, kMargin);
    CMD(cmd::OK, "&Ok", kButtonWidth);
    CMD(cmd::CLOSE, "&Annuler", kButtonWidth);
    ORIG(control.PARENT(), true);
    CENTER(420 + 3 * kMargin + kButtonWidth + 10, 260 + 2 * kMargin + 30);
}

DLGFLD_STD::~DLGFLD_STD() { DestroyWindowNow(); }

void DLGFLD_STD::ONKEY(int key)
{
    if (key == GKT_CHAR_DBLCLICK || key == VK_RETURN)
        OK();
}

bool DLGFLD_STD::OK()
{
    if (!selection_->Eof()) {
        control_.SET(selection_->Get(codeField_));
        control_.FOCUS();
    }
    CLOSE();
    return true;
}

void DLGFLD_STD::Open(CTL_TBL& control)
{
    auto* codes = dynamic_cast<TableCodes*>(control.Codes().get());
    if (!codes || !DBSEL::ISOPEN(codes->Table()))
        return;
    auto selection = std::make_unique<DBSEL>(AreaRef(codes->Table()), ItemRef(codes->Order()));
    std::vector<Symbol> fields{codes->CodeField()};
    if (codes->TextField() != codes->CodeField())
        fields.push_back(codes->TextField());
    const std::string code = AllTrim(control.GETTEXT());
    auto dialog = std::make_unique<DLGFLD_STD>(control, std::move(selection), codes->CodeField(), fields);
    DBSEL& shown = *dialog->selection_;
    WIN* opened = Adopt(std::move(dialog));
    opened->SHOW();
    // Positioned on the control's code, or the nearest one after it.
    if (!code.empty() && shown.SEEK(code, {}, true))
        if (auto* browse = dynamic_cast<BRW*>(static_cast<DLG*>(opened)->FLD(kBrw)))
            browse->DSP(CB_CURRENT, 0, false);
}

void InstallFieldBrowse() { CTL_TBL::BrowseHook() = [](CTL_TBL& control) { DLGFLD_STD::Open(control); }; }

} // namespace lysora
