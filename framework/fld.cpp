// Field controls and DOM:CONTROL (see fld.h).
#include "framework/fld.h"

#include "data/domain_text.h"
#include "framework/menu.h"
#include "framework/table_data.h"

#include <algorithm>
#include <map>

namespace lysora {
namespace {

bool IsBlank(std::string_view text) { return AllTrim(text).empty(); }

// The parts of a table-code field on their line: code edit, description, "..." button.
constexpr int kPixelsPerChar = 10, kEditPadding = 10;
constexpr int kDescriptionChars = 20;
constexpr int kPartGap = 5;
constexpr int kBrowseButtonWidth = 25, kBrowseButtonHeight = 20;

} // namespace

// ---- FLD ----------------------------------------------------------------------------

FLD::FLD(WIN* parent, int type) : WIN(parent, type) {}

std::string FLD::TextOf(const Value& value)
{
    if (dom_)
        return ShowFieldValue(*dom_, value);
    return value.IsText() ? AllTrim(value.Text()) : std::string();
}

void FLD::SET(const Value& value)
{
    value_ = value;
    SETTEXT(TextOf(value));
}

void FLD::ONCREATE()
{
    WIN::ONCREATE();
    SETTEXT(TextOf(value_));
}

std::string FLD::Apply(const FieldCheck& check, bool blank)
{
    if (check.Valid() || blank)
        value_ = check.value;
    if (check.Valid() && check.text != GETTEXT())
        SETTEXT(check.text);
    return check.error;
}

std::string FLD::VALIDATE()
{
    std::string text = GETTEXT();
    if (!dom_) {
        value_ = Value(text);
        return {};
    }
    FieldCheck check = CheckFieldText(*dom_, text);
    // A logical (or other non-text) field keeps its value, not the text that shows it, so
    // that what the dialog stores has the field's own type.
    if (check.Valid() && dom_->TYP() != "C")
        check.value = dom_->VAL(text);
    return Apply(check, false);
}

void EDIT::ONCREATE()
{
    FLD::ONCREATE();
    if (NBCAR > 0)
        SendMessageA(HANDLE(), EM_LIMITTEXT, WPARAM(NBCAR), 0);
}

// ---- EDIT_NUM, EDIT_DAT, EDIT_CARNUM ----------------------------------------------------

std::string EDIT_NUM::VALIDATE()
{
    std::string text = GETTEXT();
    if (!dom_)
        return {};
    return Apply(CheckNumText(*dom_, text), IsBlank(text));
}

std::string EDIT_NUM::TextOf(const Value& value) { return dom_ ? ShowNumValue(*dom_, value) : std::string(); }

std::string EDIT_DAT::VALIDATE()
{
    std::string text = GETTEXT();
    if (!dom_)
        return {};
    return Apply(CheckDateText(*dom_, text), IsBlankDateText(text));
}

std::string EDIT_DAT::TextOf(const Value& value) { return ShowDateValue(value); }

std::string EDIT_CARNUM::VALIDATE()
{
    std::string text = GETTEXT();
    FieldCheck check = CheckCarNumText(LEN, DEC, text);
    if (check.Valid() && Mandatory() && IsBlank(check.text))
        check.error = kSaisieObligatoire;
    return Apply(check, false);
}

std::string EDIT_CARNUM::TextOf(const Value& value) { return ShowCarNumValue(LEN, DEC, value); }

// ---- COMBO --------------------------------------------------------------------------

void COMBO::SETLIST(std::vector<std::string> values, std::vector<std::string> texts)
{
    values_ = std::move(values);
    texts_ = std::move(texts);
    // Values without a text are not offered: the texts pair with the first values.
    if (!texts_.empty())
        values_.resize(std::min(values_.size(), texts_.size()));
    texts_.resize(texts_.empty() ? 0 : values_.size());
    selected_ = -1;
    if (!Exists())
        return;
    SendMessageA(HANDLE(), CB_RESETCONTENT, 0, 0);
    for (const std::string& text : Shown())
        SendMessageA(HANDLE(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void COMBO::ONCREATE()
{
    WIN::ONCREATE();
    int keep = selected_;
    SETLIST(values_, texts_);
    Select(keep);
}

void COMBO::Select(int index)
{
    selected_ = index;
    if (Exists())
        SendMessageA(HANDLE(), CB_SETCURSEL, WPARAM(index), 0);
}

void COMBO::SET(const Value& value)
{
    value_ = value;
    // A value read from a table keeps its field's padding: trailing blanks do not count.
    const std::string wanted = Trim(value.Text());
    int index = -1;
    for (std::size_t i = 0; i < values_.size() && index < 0; ++i)
        if (Trim(values_[i]) == wanted)
            index = int(i);
    for (std::size_t i = 0; i < texts_.size() && index < 0; ++i)
        if (Trim(texts_[i]) == wanted)
            index = int(i);
    Select(index);
}

std::string COMBO::SelectedText() const
{
    int index = Exists() ? int(SendMessageA(HANDLE(), CB_GETCURSEL, 0, 0)) : selected_;
    return index >= 0 && index < int(Shown().size()) ? Shown()[std::size_t(index)] : std::string();
}

std::string COMBO::VALIDATE()
{
    std::string text = SelectedText();
    std::string value;
    const std::vector<std::string>& shown = Shown();
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i] == text && !text.empty()) {
            value = values_[i];
            selected_ = int(i);
            break;
        }
    value_ = Value(value);
    if (Mandatory() && IsBlank(value))
        return std::string(kSaisieObligatoire);
    return {};
}

// ---- CTL_BOOL, CTL_COLOR ------------------------------------------------------------

Value CTL_BOOL::GET()
{
    if (!Exists())
        return value_;
    return Value(BoolFlag(Value(GETTEXT())));
}

void CTL_BOOL::SET(const Value& value)
{
    value_ = Value(BoolFlag(value));
    SETTEXT(value_.Text() == "O" ? "Y" : "");
}

std::string CTL_BOOL::VALIDATE()
{
    value_ = GET();
    return dom_ ? dom_->VALIDATE(value_) : std::string();
}

Value CTL_COLOR::GET()
{
    std::string text = Exists() ? GETTEXT() : value_.Text();
    return Value(IsBlank(text) ? std::string("r0g0b0") : text);
}

// ---- CTL_TBL ------------------------------------------------------------------------

CTL_TBL::CTL_TBL(WIN* parent, int codeLen, std::shared_ptr<CodeTable> table, bool mandatory,
                 std::string_view bitmap)
    : FLD(parent, GKT_EDIT), codeLen_(codeLen), table_(std::move(table)), mandatory_(mandatory),
      description_(parent, GKT_EDIT)
{
    NBCAR = codeLen;
    if (Record())
        Record()->req_w = RoundControlWidth(codeLen * kPixelsPerChar + kEditPadding);
    if (description_.Record()) {
        description_.Record()->req_w = RoundControlWidth(kDescriptionChars * kPixelsPerChar + kEditPadding);
        description_.Record()->style |= ES_READONLY;
        description_.Record()->style &= ~DWORD(WS_TABSTOP);
    }
    if (bitmap.empty())
        button_ = std::make_unique<WIN>(parent, GKT_BUTTON, "...");
    else
        button_ = std::make_unique<BITMAPBUTTON>(parent, std::string("#") + std::string(bitmap));
    if (button_->Record())
        button_->Record()->req_w = kBrowseButtonWidth;
}

CTL_TBL::CTL_TBL(WIN* parent, int codeLen, Symbol table, Symbol order, const std::vector<Symbol>& fields,
                 bool mandatory, std::string_view bitmap)
    : CTL_TBL(parent, codeLen,
              fields.empty() ? nullptr
                             : std::make_shared<TableCodes>(table, order, fields.front(),
                                                            fields.size() > 1 ? fields[1] : fields.front()),
              mandatory, bitmap)
{
}

std::function<void(CTL_TBL&)>& CTL_TBL::BrowseHook()
{
    static std::function<void(CTL_TBL&)> hook;
    return hook;
}

void CTL_TBL::ID(Symbol sym)
{
    FLD::ID(sym);
    button_->ID(sym); // the button's click is the control's command
}

WIN& CTL_TBL::SHOW(int nShow)
{
    // The description and the button follow the code edit on the same line.
    Win* code = Record();
    if (code && description_.Record() && button_->Record() && !Exists()) {
        Win* text = description_.Record();
        text->req_x = code->req_x + code->req_w + kPartGap;
        text->req_y = code->req_y;
        button_->Record()->req_x = text->req_x + text->req_w + kPartGap;
        button_->Record()->req_y = code->req_y;
        button_->Record()->req_h = kBrowseButtonHeight;
    }
    FLD::SHOW(nShow);
    if (Exists())
        SendMessageA(HANDLE(), EM_LIMITTEXT, WPARAM(codeLen_), 0);
    description_.SHOW(nShow);
    button_->SHOW(nShow);
    return *this;
}

void CTL_TBL::Display(int nShow)
{
    if (!Exists()) {
        SHOW(nShow);
        return;
    }
    for (HWND hwnd : Windows())
        ShowWindow(hwnd, nShow);
}

std::vector<HWND> CTL_TBL::Windows() const
{
    std::vector<HWND> parts;
    for (const WIN* part : {static_cast<const WIN*>(this), static_cast<const WIN*>(&description_),
                            static_cast<const WIN*>(button_.get())})
        if (part->Exists())
            parts.push_back(part->HANDLE());
    return parts;
}

void CTL_TBL::Describe(const std::optional<std::string>& text)
{
    description_.SETTEXT(text ? AllTrim(*text) : std::string());
}

void CTL_TBL::SET(const Value& value)
{
    std::string code = AllTrim(value.Text());
    value_ = Value(code);
    SETTEXT(code);
    Describe(code.empty() || !table_ ? std::nullopt : table_->Describe(code + std::string(std::size_t(std::max(0, codeLen_ - int(code.size()))), ' ')));
}

std::string CTL_TBL::VALIDATE()
{
    std::string code = AllTrim(GETTEXT());
    if (code.empty()) {
        value_ = Value("");
        Describe(std::nullopt);
        return mandatory_ || Mandatory() ? std::string(kSaisieObligatoire) : std::string();
    }
    std::string padded = code;
    if (int(padded.size()) < codeLen_)
        padded.append(std::size_t(codeLen_) - padded.size(), ' ');
    std::optional<std::string> found = table_ ? table_->Describe(padded) : std::nullopt;
    Describe(found);
    if (!found)
        return std::string(kNonTrouve);
    value_ = Value(code);
    return {};
}

void CTL_TBL::ONCMD(Symbol)
{
    if (BrowseHook())
        BrowseHook()(*this);
}

// ---- DOM:CONTROL --------------------------------------------------------------------

namespace {

template <class T>
std::unique_ptr<FLD> Make(WIN* parent)
{
    return std::make_unique<T>(parent);
}

const std::map<ControlClass, ControlFactory>& DomainControls()
{
    static const std::map<ControlClass, ControlFactory> table = {
        {ControlClass::EDIT, &Make<EDIT>},         {ControlClass::EDIT_NUM, &Make<EDIT_NUM>},
        {ControlClass::EDIT_DAT, &Make<EDIT_DAT>}, {ControlClass::EDIT_CARNUM, &Make<EDIT_CARNUM>},
        {ControlClass::COMBO, &Make<COMBO>},       {ControlClass::CTL_BOOL, &Make<CTL_BOOL>},
        {ControlClass::CTL_COLOR, &Make<CTL_COLOR>},
    };
    return table;
}

} // namespace

std::unique_ptr<FLD> CONTROL(const DomPtr& dom, WIN* parent, std::string_view picture, const ControlFactory& factory)
{
    if (!dom)
        return nullptr;
    ControlSpec spec = PlanControl(*dom);
    std::unique_ptr<FLD> control = factory ? factory(parent) : DomainControls().at(spec.kind)(parent);
    if (!control)
        return nullptr;
    control->SetDomain(dom);
    control->NBCAR = spec.nbcar;
    control->PICTURE = picture;
    if (Win* record = control->Record()) {
        record->req_w = spec.width;
        if (spec.height > 0)
            record->req_h = spec.height;
        if (spec.upperCase)
            record->style |= ES_UPPERCASE;
        if (spec.multiLine)
            record->style |= ES_MULTILINE | ES_WANTRETURN;
    }
    if (auto* carnum = dynamic_cast<EDIT_CARNUM*>(control.get())) {
        carnum->LEN = spec.len;
        carnum->DEC = spec.dec;
    }
    if (auto* combo = dynamic_cast<COMBO*>(control.get()))
        if (auto* list = dynamic_cast<DOM_CARLST*>(dom.get()))
            combo->SETLIST(list->Values(), list->Texts());
    return control;
}

} // namespace lysora
