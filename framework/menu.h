// Menus, tab strip, toolbar description and bitmap buttons. Every menu item's and toolbar
// button's command identifier is the value of a symbol, so choosing it calls the window's
// method of that name, or ONCMD with the symbol.
#pragma once

#include "framework/win.h"

#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// A menu bar, or a pop-up menu (used as a sub-menu or shown at the cursor).
class MENU {
public:
    enum Kind { kBar, kPopup };
    // INIT: a menu bar (CreateMenu) or a pop-up menu (CreatePopupMenu); text is the caption
    // under which it appears when appended to another menu.
    explicit MENU(Kind kind = kBar, std::string_view text = {});
    virtual ~MENU();
    MENU(const MENU&) = delete;
    MENU& operator=(const MENU&) = delete;

    MENU& APPEND(Command command, std::string_view text); // text item
    MENU& APPEND(int command, std::string_view text);    // text item with a plain identifier
    MENU& APPEND(MENU& subMenu);                         // sub-menu under its text
    MENU& APPEND();                                      // separator

    void CHECK(Symbol command);
    void UNCHECK(Symbol command);
    void SETCHECK(Symbol command, bool checked);
    void ENABLE(Symbol command);
    void DISABLE(Symbol command);
    void SETENABLE(Symbol command, bool enabled);
    void DELETE(Symbol command);
    HMENU HANDLE() const { return handle_; }
    const std::string& TXT() const { return txt_; }

    // The menu now belongs to a window or another menu, which destroys it.
    void AttachedToWindow() { owned_ = false; }

protected:
    HMENU handle_ = nullptr;
    bool owned_ = true;
    std::string txt_; // __TXT
};

// A pop-up menu shown at the cursor; its choice arrives as a command on the owner window.
class MENUCONTEXTUEL : public MENU {
public:
    MENUCONTEXTUEL();
    void POPUP(WIN& owner) { TRACK(owner); }
    // Shows the menu at the cursor, owned by owner, until a choice or a click elsewhere;
    // then destroys it (a contextual menu is shown once).
    void TRACK(WIN& owner);
};

// The tab strip of a dialog (common-controls tab control).
class ONGLET {
public:
    ONGLET(std::vector<Symbol> syms, std::vector<std::string> texts);
    ~ONGLET();
    ONGLET(const ONGLET&) = delete;
    ONGLET& operator=(const ONGLET&) = delete;

    int X = 10, Y = 10, H = 200, L = 300;
    bool MULTILIGNE = false;
    Symbol CURRENTTAB;

    // Creates the control in the parent window and adds the tabs in order.
    bool CREATE(HWND parent, int id);
    void ADDTAB(int index, std::string_view text);
    Symbol SELECTEDTAB() const; // null symbol when no tab is selected
    void SELECTTAB(Symbol sym);
    HWND HANDLE() const { return hwnd_; }
    bool Exists() const { return hwnd_ && IsWindow(hwnd_); }
    const std::vector<Symbol>& ASYM() const { return asym_; }
    const std::vector<std::string>& ATXT() const { return atxt_; }
    int IndexOf(Symbol sym) const; // -1 when not a tab of this strip
    // The colour the strip paints its pages with (themes differ); CLR_INVALID when unknown.
    COLORREF PageColour() const;

private:
    std::vector<Symbol> asym_;
    std::vector<std::string> atxt_;
    HWND hwnd_ = nullptr;
};

// A toolbar description handed to the engine by WIN:SETCTLBAR.
class CTLBAR {
public:
    struct Entry {
        Symbol command;     // a button's command
        std::string bitmap; // its bitmap resource; empty for a separator
        int gap = 0;        // a separator's gap in pixels
    };
    CTLBAR& CMD(Command command, std::string_view bitmap);
    CTLBAR& SEPAR(int gap = 5);
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// A button whose face is a drawing-command text, painted by the engine.
class BITMAPBUTTON : public WIN {
public:
    BITMAPBUTTON(WIN* parent, std::string_view commands);
};

} // namespace lysora
