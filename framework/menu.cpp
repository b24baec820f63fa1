// Menus, tab strip, toolbar description and bitmap buttons (see menu.h).
#include "framework/menu.h"

namespace lysora {

MENU::MENU(Kind kind, std::string_view text) : txt_(text)
{
    handle_ = kind == kPopup ? CreatePopupMenu() : CreateMenu();
}

MENU::~MENU()
{
    if (owned_ && handle_ && IsMenu(handle_))
        DestroyMenu(handle_);
}

MENU& MENU::APPEND(Command command, std::string_view text) { return APPEND(int(command.Sym().Id()), text); }

MENU& MENU::APPEND(int command, std::string_view text)
{
    AppendMenuA(handle_, MF_STRING, UINT_PTR(command), std::string(text).c_str());
    return *this;
}

MENU& MENU::APPEND(MENU& subMenu)
{
    if (AppendMenuA(handle_, MF_POPUP, reinterpret_cast<UINT_PTR>(subMenu.HANDLE()), subMenu.TXT().c_str()))
        subMenu.AttachedToWindow(); // destroyed with this menu
    return *this;
}

MENU& MENU::APPEND()
{
    AppendMenuA(handle_, MF_SEPARATOR, 0, nullptr);
    return *this;
}

void MENU::CHECK(Symbol command) { SETCHECK(command, true); }
void MENU::UNCHECK(Symbol command) { SETCHECK(command, false); }

void MENU::SETCHECK(Symbol command, bool checked)
{
    CheckMenuItem(handle_, command.Id(), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MENU::ENABLE(Symbol command) { SETENABLE(command, true); }
void MENU::DISABLE(Symbol command) { SETENABLE(command, false); }

void MENU::SETENABLE(Symbol command, bool enabled)
{
    EnableMenuItem(handle_, command.Id(), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MENU::DELETE(Symbol command) { DeleteMenu(handle_, command.Id(), MF_BYCOMMAND); }

MENUCONTEXTUEL::MENUCONTEXTUEL() : MENU(kPopup, "Contextuel") {}

void MENUCONTEXTUEL::TRACK(WIN& owner)
{
    if (!handle_)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // The choice is returned, then sent to the owner as its command: closed without a
    // choice, the menu sends nothing.
    UINT chosen = UINT(TrackPopupMenu(handle_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                      cursor.x, cursor.y, 0, owner.HANDLE(), nullptr));
    DestroyMenu(handle_);
    handle_ = nullptr;
    if (chosen)
        owner.RunMenuChoice(chosen);
}

ONGLET::ONGLET(std::vector<Symbol> syms, std::vector<std::string> texts)
    : asym_(std::move(syms)), atxt_(std::move(texts))
{
    atxt_.resize(asym_.size());
}

ONGLET::~ONGLET()
{
    if (Exists())
        DestroyWindow(hwnd_);
}

bool ONGLET::CREATE(HWND parent, int id)
{
    // Clipping its siblings keeps the strip from painting over the controls of its pages.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER | (MULTILIGNE ? TCS_MULTILINE : 0);
    hwnd_ = CreateWindowExA(0, WC_TABCONTROLA, "", style, X, Y, L, H, parent,
                            reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_)
        return false;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()), FALSE);
    for (std::size_t i = 0; i < atxt_.size(); ++i)
        ADDTAB(int(i), atxt_[i]);
    return true;
}

void ONGLET::ADDTAB(int index, std::string_view text)
{
    std::string copy(text);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = copy.data();
    SendMessageA(hwnd_, TCM_INSERTITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item));
}

Symbol ONGLET::SELECTEDTAB() const
{
    if (!Exists())
        return {};
    int index = int(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
    return index >= 0 && index < int(asym_.size()) ? asym_[std::size_t(index)] : Symbol();
}

void ONGLET::SELECTTAB(Symbol sym)
{
    int index = IndexOf(sym);
    if (index >= 0 && Exists())
        SendMessageA(hwnd_, TCM_SETCURSEL, WPARAM(index), 0);
}

int ONGLET::IndexOf(Symbol sym) const
{
    for (std::size_t i = 0; i < asym_.size(); ++i)
        if (asym_[i] == sym)
            return int(i);
    return -1;
}

COLORREF ONGLET::PageColour() const
{
    if (!Exists() || L <= 20 || H <= 40)
        return CLR_INVALID;
    // The strip paints itself into a memory bitmap; a point low in the page tells the colour.
    HDC screen = GetDC(hwnd_);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, L, H);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageA(hwnd_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    COLORREF colour = GetPixel(memory, L / 2, H - 10);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd_, screen);
    return colour;
}

CTLBAR& CTLBAR::CMD(Command command, std::string_view bitmap)
{
    entries_.push_back({command.Sym(), std::string(bitmap), 0});
    return *this;
}

CTLBAR& CTLBAR::SEPAR(int gap)
{
    entries_.push_back({Symbol(), std::string(), gap});
    return *this;
}

BITMAPBUTTON::BITMAPBUTTON(WIN* parent, std::string_view commands) : WIN(parent, GKT_BUTTON)
{
    if (Record())
        Record()->style |= BS_OWNERDRAW;
    BKTEXT(commands);
}

} // namespace lysora
