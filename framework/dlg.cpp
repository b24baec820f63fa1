// DLG (see dlg.h): the layout pen, the element lists, groups and tab pages, data transfer,
// validation in order and the dialog's command handling.
#include "framework/dlg.h"

#include "base/messages.h"
#include "data/domain_text.h"

#include <algorithm>

namespace lysora {
namespace {

// A label sits this much lower than the field on its line, so their texts line up.
constexpr int kLabelDrop = 3;

// Width of a caption in the engine's control font.
int TextWidth(std::string_view text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, GetFont());
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

bool IsInternalName(Symbol sym) { return sym.Name().rfind("__", 0) == 0; }

} // namespace

DLG::DLG(WIN* parent, int type, std::string_view text) : WIN(parent, type, text) {}

DLG::~DLG()
{
    // The dialog's window (its elements' windows with it) goes while the dialog part still
    // answers its WM_DESTROY (origin activated, blocked window enabled), before the elements
    // are released.
    DestroyWindowNow();
}

void DLG::Forget(const WIN& gone)
{
    if (orig_ == &gone)
        orig_ = nullptr;
    if (blocked_ == &gone)
        blocked_ = nullptr;
    WIN::Forget(gone);
}

// ---- The pen ------------------------------------------------------------------------

DLG& DLG::X(int x)
{
    x_ = x;
    return *this;
}

DLG& DLG::Y(int y)
{
    y_ = y;
    return *this;
}

DLG& DLG::XY(int x, int y) { return X(x).Y(y); }

DLG& DLG::LN(int dy)
{
    x_ = kMargin;
    y_ += dy;
    return *this;
}

DLG& DLG::XFLDMIN(int x)
{
    xfld_ = x;
    return *this;
}

bool DLG::TabIsCurrent() const
{
    return onglet_ && !currentGroup_.empty() && onglet_->IndexOf(Symbol(currentGroup_)) >= 0;
}

POINT DLG::Placed(int x, int y, bool button) const
{
    if (!TabIsCurrent())
        return {x, y};
    POINT placed{x + onglet_->X, y + onglet_->Y + kTabStripHeight};
    if (button && x < 0)
        placed.x += onglet_->L; // relative to the page's right edge
    return placed;
}

// ---- Elements -----------------------------------------------------------------------

DLG::Element& DLG::Append(Symbol sym, std::unique_ptr<WIN> object, std::string_view text, Check check)
{
    elements_.push_back({sym, std::move(object), std::string(text), check});
    if (!currentGroup_.empty())
        if (Group* group = FindGroup(currentGroup_))
            group->members.push_back(elements_.size() - 1);
    return elements_.back();
}

DLG& DLG::LBL(Symbol sym, std::string_view text)
{
    std::string trimmed = AllTrim(text);
    if (sym.IsNull() && (trimmed.empty() || trimmed == ":")) {
        x_ = std::max(x_, kFieldColumn);
        return *this;
    }
    auto label = std::make_unique<WIN>(this, GKT_LABEL, text);
    label->ID(sym);
    POINT at = Placed(x_, y_ + kLabelDrop, false);
    int width = TextWidth(text);
    if (Win* record = label->Record()) {
        record->req_x = at.x;
        record->req_y = at.y;
        record->req_w = width + 1;
    }
    x_ = std::max(x_ + width, kFieldColumn);
    Append(sym, std::move(label), text, Check::Off);
    return *this;
}

DLG& DLG::FLD(Symbol sym, DomPtr dom, int width, std::string_view text)
{
    if (!dom && data_)
        dom = data_->FLDOBJ(sym);
    if (!dom) {
        ERROR("Champ " + sym.Name() + " : domaine inconnu");
        return *this;
    }
    std::unique_ptr<lysora::FLD> control = CONTROL(dom, this);
    if (control && width > 0 && control->Record())
        control->Record()->req_w = width;
    return FLD(sym, std::move(control), text);
}

DLG& DLG::FLD(Symbol sym, std::unique_ptr<lysora::FLD> control, std::string_view text)
{
    if (!control)
        return *this;
    if (Win* record = control->Record()) {
        POINT at = Placed(std::max(x_, xfld_), y_, false);
        record->req_x = at.x;
        record->req_y = at.y;
    }
    control->ID(sym);
    Append(sym, std::move(control), text, Check::Field);
    return *this;
}

WIN* DLG::FLD(Symbol sym) const
{
    int index = IndexOf(sym);
    return index < 0 ? nullptr : elements_[std::size_t(index)].object.get();
}

DLG& DLG::CMD(Command command, std::string_view text, int width, std::optional<bool> validate,
              std::string_view commands)
{
    const Symbol sym = command.Sym();
    std::unique_ptr<WIN> button;
    if (commands.empty()) {
        button = std::make_unique<WIN>(this, GKT_BUTTON, text);
    } else {
        button = std::make_unique<BITMAPBUTTON>(this, commands);
        button->SETTEXT(text); // its Alt+letter
    }
    if (Win* record = button->Record()) {
        POINT at = Placed(x_, y_, true);
        record->req_x = at.x;
        record->req_y = at.y;
        if (width > 0)
            record->req_w = width;
    }
    button->ID(sym);
    Check check = sym == cmd::OK.Sym() || validate.has_value() ? Check::Off : Check::Nil;
    Append(sym, std::move(button), text, check);
    y_ += kButtonStep;
    return *this;
}

DLG& DLG::DATALBLFLDLN(const std::vector<Symbol>& syms)
{
    for (Symbol sym : syms) {
        LBL(Symbol(), (data_ ? data_->FLDTXT(sym) : std::string()) + " :");
        FLD(sym, DomPtr());
        LN();
    }
    return *this;
}

DLG& DLG::CMDOKCANCEL()
{
    XY(kButtonColumn, kMargin);
    CMD(cmd::OK, "&Ok", kButtonWidth);
    return CMD(cmd::CLOSE, "&Annuler", kButtonWidth);
}

DLG& DLG::GCMDOK() { return CMD(cmd::OK, "&Ok", kButtonWidth, std::nullopt, "@5:1 #ok @35:2 F+'&Ok'"); }

DLG& DLG::GCMDCANCEL() { return CMD(cmd::CLOSE, "&Annuler", kButtonWidth, std::nullopt, "@5:1 #cancel @23:2 F+'&Annuler'"); }

DLG& DLG::GCMDOKCANCEL()
{
    XY(kButtonColumn, kMargin);
    GCMDOK();
    return GCMDCANCEL();
}

DLG& DLG::CREATEGROUPBOX(std::string_view text, int w, int h)
{
    POINT at = Placed(x_, y_, false);
    groupBoxes_.push_back({std::string(text), int(at.x), int(at.y), w, h});
    if (Exists())
        CreateGroupBoxes();
    return *this;
}

void DLG::CreateGroupBoxes()
{
    for (GroupBox& box : groupBoxes_) {
        if (box.hwnd && IsWindow(box.hwnd))
            continue; // a box of an earlier window is gone with it
        box.hwnd = CreateWindowExA(0, "BUTTON", box.text.c_str(), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, box.x, box.y,
                                   box.w, box.h, HANDLE(), nullptr, GetModuleHandleA(nullptr), nullptr);
        if (box.hwnd)
            SendMessageA(box.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), FALSE);
    }
}

DLG& DLG::GRP(std::string_view name, int x)
{
    if (!FindGroup(name))
        groups_.push_back({std::string(name), x, {}});
    currentGroup_ = name;
    return *this;
}

const std::vector<std::size_t>* DLG::GRP()
{
    if (currentGroup_.empty())
        return nullptr;
    if (Group* group = FindGroup(currentGroup_))
        return &group->members;
    ShowMessage("Groupe " + currentGroup_ + " inconnu", "Erreur", kMbOk | kMbIconStop);
    return nullptr;
}

const DLG::Group* DLG::PageOf(std::size_t element)
{
    if (!onglet_)
        return nullptr;
    for (const Group& group : groups_)
        if (onglet_->IndexOf(Symbol(group.name)) >= 0 &&
            std::find(group.members.begin(), group.members.end(), element) != group.members.end())
            return &group;
    return nullptr;
}

DLG::Group* DLG::FindGroup(std::string_view name)
{
    for (Group& group : groups_)
        if (group.name == name)
            return &group;
    return nullptr;
}

void DLG::SETZORDER()
{
    HWND after = HWND_TOP;
    for (const Element& element : elements_)
        for (HWND hwnd : element.object->Windows()) {
            SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = hwnd;
        }
}

int DLG::IndexOf(Symbol sym) const
{
    if (sym.IsNull())
        return -1;
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].sym == sym)
            return int(i);
    return -1;
}

int DLG::IndexOfWindow(HWND hwnd) const
{
    if (!hwnd)
        return -1;
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].object->HANDLE() == hwnd)
            return int(i);
    return -1;
}

// ---- Data and validation ------------------------------------------------------------

DLG& DLG::DATA(DataObject* data)
{
    data_ = data;
    return *this;
}

void DLG::LOAD(bool blank)
{
    if (!data_)
        return;
    for (Element& element : elements_) {
        auto* field = dynamic_cast<lysora::FLD*>(element.object.get());
        if (field && !IsInternalName(element.sym) && data_->Has(element.sym))
            field->SET(blank ? Value() : data_->Get(element.sym));
    }
}

bool DLG::STORE()
{
    if (!data_)
        return false;
    bool stored = true;
    for (Element& element : elements_) {
        auto* field = dynamic_cast<lysora::FLD*>(element.object.get());
        if (field && !IsInternalName(element.sym) && data_->Has(element.sym))
            stored = data_->Put(element.sym, field->GET()) && stored;
    }
    return stored;
}

Value DLG::FLDGET(Symbol sym)
{
    auto* field = dynamic_cast<lysora::FLD*>(FLD(sym));
    return field ? field->GET() : Value();
}

void DLG::FLDSET(Symbol sym, const Value& value)
{
    if (auto* field = dynamic_cast<lysora::FLD*>(FLD(sym)))
        field->SET(value);
}

void DLG::FOCUS(Symbol sym)
{
    if (WIN* element = FLD(sym))
        element->FOCUS();
}

void DLG::FLDSHOW(const std::vector<Symbol>& syms, bool show)
{
    for (Symbol sym : syms)
        if (WIN* element = FLD(sym))
            for (HWND hwnd : element->Windows())
                ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

void DLG::FLDDISABLEBLANK(const std::vector<Symbol>& syms, bool disable)
{
    for (Symbol sym : syms) {
        WIN* element = FLD(sym);
        if (!element)
            continue;
        if (disable)
            FLDSET(sym, Value()); // a disabled field shows no stale value
        for (HWND hwnd : element->Windows())
            EnableWindow(hwnd, !disable);
    }
}

std::string DLG::VALIDATE_(std::size_t upTo, bool all, bool focus, std::string_view group)
{
    upTo = std::min(upTo, elements_.size());
    std::size_t start = all || ierror_ == 0 ? 0 : std::size_t(ierror_ - 1);
    const Group* only = group.empty() ? nullptr : FindGroup(group);
    std::string error;
    lysora::FLD* failed = nullptr;
    for (std::size_t i = start; i < upTo; ++i) {
        Element& element = elements_[i];
        auto* field = dynamic_cast<lysora::FLD*>(element.object.get());
        if (element.check != Check::Field || !field || !field->Exists())
            continue;
        if (only && std::find(only->members.begin(), only->members.end(), i) == only->members.end())
            continue;
        Value before = field->GET();
        error = field->VALIDATE();
        if (!(field->GET() == before))
            ONFLD(element.sym); // validation normalised the value
        if (!error.empty()) {
            ierror_ = int(i + 1);
            failed = field;
            break;
        }
    }
    if (!failed) {
        if (start < upTo)
            ierror_ = 0;
        return {};
    }
    validating_ = true;
    if (focus) {
        // A field on a page not shown is shown first, so the focus goes where the user sees.
        const Group* page = PageOf(std::size_t(ierror_ - 1));
        if (page && Symbol(page->name) != currentTab_ && onglet_) {
            onglet_->SELECTTAB(Symbol(page->name));
            SHOWTAB(Symbol(page->name));
            ONTAB(currentTab_);
        }
        failed->FOCUS();
    }
    ERRORMSG(error);
    validating_ = false;
    return error;
}

void DLG::SETERR(Symbol sym, std::string_view message)
{
    FOCUS(sym);
    ERRORMSG(message);
}

void DLG::ERRORMSG(std::string_view message) { ShowMessage(message, "Erreur", kMbOk | kMbIconStop); }

bool DLG::OK()
{
    if (!VALIDATE_(elements_.size(), true, true).empty())
        return false;
    if (data_) {
        if (!STORE())
            return true; // the data object said why; the dialog stays open
        if (data_->HasCommit() && !data_->COMMIT())
            return false; // nothing is lost: the dialog stays open
    }
    CLOSE();
    return true;
}

// ---- Window -------------------------------------------------------------------------

void DLG::CreateTabStrip()
{
    if (onglet_ && !onglet_->Exists() && Exists())
        onglet_->CREATE(HANDLE(), Symbol("ONGLET").Id());
}

void DLG::ShowGroupElements(const Group& group, int nShow)
{
    for (std::size_t index : group.members)
        elements_[index].object->Display(nShow);
}

void DLG::ShowMembers(std::size_t group, int nShow)
{
    if (group < groups_.size())
        ShowGroupElements(groups_[group], nShow);
}

DLG& DLG::SHOWGROUP(int nShow, std::string_view group)
{
    if (const Group* found = FindGroup(group))
        ShowGroupElements(*found, nShow);
    return *this;
}

WIN& DLG::SHOW(int nShow)
{
    if (nShow == GKT_SHOW_CLOSE) {
        // Asked once: once the dialog agreed, its controls go and so does the dialog.
        if (!CANCLOSE())
            return *this; // refused: the dialog stays whole
        for (Element& element : elements_)
            if (element.object->Exists())
                Win_Show(element.object->Record(), GKT_SHOW_CLOSE);
        CloseAccepted();
        return *this;
    }
    bool tabbed = onglet_ && groups_.size() > 1;
    if (!Exists()) {
        WIN::SHOW(GKT_SHOW_CREATE); // hidden; CREATE may still append elements
        if (!Exists())
            return *this;
        CreateTabStrip();
        CreateGroupBoxes();
        for (Element& element : elements_)
            element.object->SHOW(nShow);
        tabbed = onglet_ && groups_.size() > 1;
        if (tabbed && !onglet_->ASYM().empty()) {
            for (Element& element : elements_)
                element.object->Display(SW_HIDE);
            ShowMembers(0, nShow); // the controls common to every page
            ShowMembers(1, nShow); // the first page
            currentTab_ = onglet_->ASYM().front();
            onglet_->CURRENTTAB = currentTab_;
            onglet_->SELECTTAB(currentTab_);
            ONTAB(currentTab_);
        }
        if (onglet_ && onglet_->Exists()) {
            SetWindowPos(onglet_->HANDLE(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            PaintLabelsLikePages();
        }
        ONFLD(Symbol());
        WIN::SHOW(nShow);
        return *this;
    }
    if (tabbed) {
        // Shown again: the common controls and the current page only.
        ShowMembers(0, nShow);
        if (const Group* page = FindGroup(currentTab_.Name()))
            ShowGroupElements(*page, nShow);
    } else {
        for (Element& element : elements_)
            element.object->Display(nShow);
    }
    WIN::SHOW(nShow);
    return *this;
}

void DLG::PaintLabelsLikePages()
{
    COLORREF page = onglet_->PageColour();
    if (page == CLR_INVALID)
        return;
    for (std::size_t g = 1; g < groups_.size(); ++g) {
        if (onglet_->IndexOf(Symbol(groups_[g].name)) < 0)
            continue;
        for (std::size_t index : groups_[g].members) {
            WIN& element = *elements_[index].object;
            if (element.TYPEFENETRE() == GKT_LABEL && !element.Record()->bk_brush)
                Win_SetColor(element.Record(), page, GetSysColor(COLOR_BTNTEXT));
        }
    }
}

void DLG::ORIG(WIN* orig, bool modal)
{
    orig_ = orig;
    if (modal && orig && orig->Record() && Record())
        Record()->owner = orig->Record();
}

void DLG::BLOQUER()
{
    WIN* target = PARENT() ? PARENT() : orig_;
    if (target && target->Exists()) {
        EnableWindow(target->HANDLE(), FALSE);
        blocked_ = target;
    }
}

void DLG::ONCREATE()
{
    WIN::ONCREATE();
    CREATE();
}

void DLG::ONKEY(int key)
{
    if (key == VK_RETURN) {
        SendMessageA(HANDLE(), WM_COMMAND, MAKEWPARAM(cmd::OK.Sym().Id(), 0), 0);
        return;
    }
    if ((key != GKT_CHAR_PAGEUP && key != GKT_CHAR_PAGEDOWN) || !onglet_)
        return;
    int index = onglet_->IndexOf(currentTab_) + (key == GKT_CHAR_PAGEDOWN ? 1 : -1);
    if (index >= 0 && index < int(onglet_->ASYM().size()))
        SELECTTAB(onglet_->ASYM()[std::size_t(index)]);
}

// ---- Tabs ---------------------------------------------------------------------------

DLG& DLG::INITONGLET(const std::vector<Symbol>& syms, const std::vector<std::string>& texts, int x, int y, int w,
                     int h)
{
    onglet_ = std::make_unique<ONGLET>(syms, texts);
    onglet_->X = x;
    onglet_->Y = y;
    onglet_->L = w;
    onglet_->H = h;
    // The elements outside the pages, before and after, are common to every page: the
    // first group.
    if (groups_.empty()) {
        groups_.push_back({"__COMMUN", 0, {}});
        for (std::size_t i = 0; i < elements_.size(); ++i)
            groups_.front().members.push_back(i);
    }
    std::string common = groups_.front().name;
    int penX = x_, penY = y_;
    for (Symbol sym : syms) {
        GRP(sym.Name(), x);
        XY(kMargin, kPageTop); // the pen on the page
        CallMethod(Symbol("INIT_" + sym.Name()));
    }
    currentGroup_ = common;
    XY(penX, penY);
    CreateTabStrip();
    return *this;
}

void DLG::SHOWTAB(Symbol sym)
{
    if (const Group* current = FindGroup(currentTab_.Name()); current && !currentTab_.IsNull())
        ShowGroupElements(*current, SW_HIDE);
    if (const Group* page = FindGroup(sym.Name()))
        ShowGroupElements(*page, SW_SHOW);
    currentTab_ = sym;
    if (onglet_) {
        onglet_->CURRENTTAB = sym;
        if (onglet_->Exists()) {
            InvalidateRect(onglet_->HANDLE(), nullptr, TRUE);
            UpdateWindow(onglet_->HANDLE());
        }
    }
}

bool DLG::VALIDATETAB()
{
    if (currentTab_.IsNull())
        return true;
    return VALIDATE_(elements_.size(), true, true, currentTab_.Name()).empty();
}

void DLG::SELECTTAB(Symbol sym)
{
    if (!onglet_ || sym == currentTab_ || onglet_->IndexOf(sym) < 0 || !VALIDATETAB())
        return;
    onglet_->SELECTTAB(sym);
    TABCHANGED();
}

void DLG::TABCHANGED()
{
    if (!onglet_)
        return;
    Symbol selected = onglet_->SELECTEDTAB();
    if (!selected.IsNull() && selected != currentTab_)
        SHOWTAB(selected);
    ONTAB(currentTab_);
    const Group* page = FindGroup(currentTab_.Name());
    if (!page)
        return;
    for (std::size_t index : page->members) {
        HWND hwnd = elements_[index].object->HANDLE();
        if (hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP)) {
            SetFocus(hwnd);
            break;
        }
    }
}

// ---- Events -------------------------------------------------------------------------

LRESULT DLG::OnEvent(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_USER + 100:
    case GKTM_SPIN: OnSpin(reinterpret_cast<HWND>(wparam), int(lparam)); return 0;
    case WM_COMMAND: return OnCommand(wparam, lparam);
    case GKTM_CHILDFOCUS: OnChildFocus(reinterpret_cast<HWND>(wparam)); return 0;
    case WM_CHAR: ONKEY(int(wparam)); return 0;
    case WM_DESTROY:
        if (orig_ && orig_->Exists())
            Win_SetActive(orig_->Record());
        if (blocked_ && blocked_->Exists())
            EnableWindow(blocked_->HANDLE(), TRUE);
        blocked_ = nullptr;
        Destroyed();
        return 0;
    default: return WIN::OnEvent(msg, wparam, lparam);
    }
}

LRESULT DLG::OnCommand(WPARAM wparam, LPARAM lparam)
{
    // An MDI child answers only while it is the active one.
    WIN* main = MainWindow();
    if (TYPEFENETRE() == GKT_MDICHILD && main && main->Record() && main->Record()->mdi_client &&
        reinterpret_cast<HWND>(SendMessageA(main->Record()->mdi_client, WM_MDIGETACTIVE, 0, 0)) != HANDLE())
        return 0;
    WORD code = HIWORD(wparam);
    if (code == GKT_TAB_SELCHANGING)
        return VALIDATETAB() ? 0 : 1;
    if (code == GKT_TAB_SELCHANGE) {
        TABCHANGED();
        return 0;
    }
    Symbol sym = Symbol::FromId(LOWORD(wparam));
    int index = IndexOf(sym);
    if (index < 0 && lparam) { // a notification (check box, list) names its window
        index = IndexOfWindow(reinterpret_cast<HWND>(lparam));
        if (index >= 0)
            sym = elements_[std::size_t(index)].sym;
    }
    if (index >= 0) {
        Element& element = elements_[std::size_t(index)];
        auto* field = dynamic_cast<lysora::FLD*>(element.object.get());
        if (field && field->IsTableControl()) {
            if (VALIDATE_(std::size_t(index), false, true).empty())
                field->ONCMD(sym);
            return 0;
        }
        if (element.check != Check::Nil && !VALIDATE_(std::size_t(index), false, false).empty())
            return 0;
        if (CallMethod(sym))
            return 0;
        if (std::unique_ptr<DLG> opened = DialogClasses::Instance().Create(sym)) {
            opened->ORIG(this);
            Adopt(std::move(opened))->SHOW();
            return 0;
        }
        ONCMD(sym);
        return 0;
    }
    // Not an element: a main window runs every command; another dialog only those of its
    // menu bar or of a pop-up menu it showed (stray control notifications are ignored).
    if (sym.IsNull())
        return 0;
    bool fromMenu = MenuCommandRunning() ||
                    (GetMenu(HANDLE()) && GetMenuState(GetMenu(HANDLE()), sym.Id(), MF_BYCOMMAND) != UINT(-1));
    if (isMdi_ || isSdi_ || fromMenu)
        RunCommand(sym);
    return 0;
}

void DLG::OnChildFocus(HWND child)
{
    if (validating_)
        return;
    int index = IndexOfWindow(child);
    if (index < 0 || elements_[std::size_t(index)].check == Check::Nil)
        return;
    // A button pressed with the mouse checks the fields once, when its command comes on the
    // release: checking on the press too showed the error twice, the second box coming up
    // after the first and over the next click (Cancel seemed to check the fields again).
    if (elements_[std::size_t(index)].check == Check::Off && GetKeyState(VK_LBUTTON) < 0)
        return;
    VALIDATE_(std::size_t(index), false, false);
}

void DLG::OnSpin(HWND window, int step)
{
    int index = IndexOfWindow(window);
    auto* field = index < 0 ? nullptr : dynamic_cast<lysora::FLD*>(elements_[std::size_t(index)].object.get());
    if (!field || !field->Domain())
        return;
    Value value = field->Domain()->VAL(field->GETTEXT());
    if (value.IsNumber())
        field->SET(Value(value.Number() + step));
    else if (value.IsDate() && !value.GetDate().IsEmpty())
        field->SET(Value(Date{value.GetDate().day + step}));
}

} // namespace lysora
