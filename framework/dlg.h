// DLG: a dialog window laid out with a pen that moves over its client area while labels,
// fields and buttons are appended (each element known by its symbol), with validation of
// the fields in order and the error box, transfer of values between the fields and a data
// object, named groups of controls and tab pages, and the dialog's command handling.
// The registry of dialog classes lets a command named after a class open that dialog.
#pragma once

#include "framework/data_object.h"
#include "framework/fld.h"
#include "framework/menu.h"
#include "framework/win.h"

#include <memory>
#include <string>
#include <vector>

namespace lysora {

class DLG;
using DialogClasses = ClassRegistry<DLG>;

// Registers a dialog class under its name, so that a command of that name opens it.
template <class T>
void RegisterDialogClass(const char* name)
{
    DialogClasses::Instance().Add<T>(name);
}

// OK validates, stores and closes (DLG::OK, which dialogs override); CLOSE is every window's.
#define DLG_COMMANDS(OWN, SHARED) SHARED(OK)

class DLG : public WIN {
public:
    // What validation does with an element: a field is checked; a button's command is
    // preceded by a check of the elements before it (Off) or not (Nil); labels are Off.
    enum class Check { Field, Off, Nil };

    struct Element {
        Symbol sym;
        std::unique_ptr<WIN> object;
        std::string text;
        Check check;
    };
    struct Group {
        std::string name;
        int x = 0;
        std::vector<std::size_t> members; // element indices
    };

    // The layout, in pixels of the client area: the pen starts kMargin from the top left and
    // goes back to kMargin on a new line, kLineHeight lower; fields stand at kFieldColumn at
    // least; a button moves the pen kButtonStep down; OK and Cancel stand kButtonColumn from
    // the right edge, kButtonWidth wide; a page's pen starts kMargin, kPageTop into the page,
    // below the tab strip.
    static constexpr int kMargin = 15, kLineHeight = 25, kFieldColumn = 115, kButtonStep = 30;
    static constexpr int kButtonColumn = -90, kButtonWidth = 75, kTabStripHeight = 25, kPageTop = 10;

    explicit DLG(WIN* parent = MainWindow(), int type = GKT_DIALOG, std::string_view text = {});
    ~DLG() override;

    LYSORA_METHODS(DLG, WIN, DLG_COMMANDS)

    // ---- The pen ----
    DLG& X(int x);
    DLG& Y(int y);
    DLG& XY(int x, int y);
    DLG& LN(int dy = kLineHeight);
    DLG& XFLDMIN(int x = kFieldColumn);
    int PenX() const { return x_; }
    int PenY() const { return y_; }

    // ---- Elements ----
    DLG& LBL(Symbol sym, std::string_view text);
    // A field of a domain (null: the data object's domain for sym), width 0: the domain's.
    DLG& FLD(Symbol sym, DomPtr dom, int width = 0, std::string_view text = {});
    // A control made elsewhere, taken as it is.
    DLG& FLD(Symbol sym, std::unique_ptr<lysora::FLD> control, std::string_view text = {});
    WIN* FLD(Symbol sym) const; // the element of sym, null when none
    // A button; validate: true/false when its command is preceded by validation, none when
    // not; with drawing commands, a bitmap button.
    DLG& CMD(Command command, std::string_view text, int width = 0, std::optional<bool> validate = std::nullopt,
             std::string_view commands = {});
    WIN* CMD(Symbol sym) const { return FLD(sym); }
    DLG& DATALBLFLDLN(const std::vector<Symbol>& syms);
    DLG& CMDOKCANCEL();
    DLG& GCMDOK();
    DLG& GCMDCANCEL();
    DLG& GCMDOKCANCEL();
    // A group box (frame with a caption) at the pen, w x h.
    DLG& CREATEGROUPBOX(std::string_view text, int w, int h);
    // Declares a group and makes it current; later elements join it.
    DLG& GRP(std::string_view name, int x = 0);
    // The element indices of the current group; null (after the message) when unknown.
    const std::vector<std::size_t>* GRP();
    void SETZORDER();

    // ---- Data and validation ----
    DataObject* DATA() const { return data_; }
    DLG& DATA(DataObject* data);
    // Fields from the data object (blank: every field empty, as for a new record).
    void LOAD(bool blank = false);
    bool STORE();
    Value FLDGET(Symbol sym);
    void FLDSET(Symbol sym, const Value& value);
    void FOCUS(Symbol sym);
    void FLDSHOW(const std::vector<Symbol>& syms, bool show);
    void FLDDISABLEBLANK(const std::vector<Symbol>& syms, bool disable);
    // Validates the elements before upTo (exclusive; 0-based count), from the first one when
    // all, else from the last failure; answers the error text, empty when all are valid.
    std::string VALIDATE_(std::size_t upTo, bool all, bool focus, std::string_view group = {});
    void SETERR(Symbol sym, std::string_view message);
    void ERRORMSG(std::string_view message);
    virtual bool OK();
    int IERROR() const { return ierror_; } // 1-based index of the failed element, 0 when none

    // ---- Window ----
    WIN& SHOW(int nShow = SW_SHOW) override;
    DLG& SHOWGROUP(int nShow, std::string_view group);
    void CLOSE() override { WIN::CLOSE(); }
    WIN* ORIG() const { return orig_; }
    void ORIG(WIN* orig, bool modal = false);
    void BLOQUER();
    void ONCREATE() override;
    virtual void CREATE() {} // description of a dialog built once its window exists
    virtual void ONKEY(int key);
    virtual void ONFLD(Symbol) {}
    virtual void ONTAB(Symbol) {}

    // ---- Tabs ----
    // Creates the tab strip at (x, y), w x h; each tab is a group, filled by "Init_" + name.
    // Call it from the dialog class's own constructor (or CREATE), where the Init_ methods
    // of that class are reachable by name.
    DLG& INITONGLET(const std::vector<Symbol>& syms, const std::vector<std::string>& texts, int x, int y, int w,
                    int h);
    ONGLET* Onglet() const { return onglet_.get(); }
    Symbol CURRENTTAB() const { return currentTab_; }
    void SHOWTAB(Symbol sym);
    bool VALIDATETAB();
    void SELECTTAB(Symbol sym);
    void TABCHANGED();

    const std::vector<Element>& Elements() const { return elements_; }
    int IndexOf(Symbol sym) const; // -1 when sym is not an element

protected:
    LRESULT OnEvent(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void Forget(const WIN& gone) override;
    // Adds an element (to the current group too) and answers it.
    Element& Append(Symbol sym, std::unique_ptr<WIN> object, std::string_view text, Check check);

private:
    LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
    void OnChildFocus(HWND child);
    void OnSpin(HWND field, int step);
    int IndexOfWindow(HWND hwnd) const;
    Group* FindGroup(std::string_view name);
    bool TabIsCurrent() const;
    // Pen position of a new control, shifted onto the current tab page.
    POINT Placed(int x, int y, bool button) const;
    void ShowGroupElements(const Group& group, int nShow);
    void CreateGroupBoxes();
    void CreateTabStrip();
    // Labels on a page take the page's colour, which the tab strip's theme decides.
    void PaintLabelsLikePages();
    void ShowMembers(std::size_t group, int nShow);
    // The tab page an element is on; null when it is on none (common to every page).
    const Group* PageOf(std::size_t element);

    int x_ = kMargin, y_ = kMargin; // __X, __Y
    int xfld_ = kFieldColumn;       // __XFLD
    std::vector<Element> elements_;
    std::vector<Group> groups_;
    std::string currentGroup_;
    int ierror_ = 0;
    DataObject* data_ = nullptr;
    std::unique_ptr<ONGLET> onglet_;
    Symbol currentTab_;
    WIN* orig_ = nullptr;
    WIN* blocked_ = nullptr;
    struct GroupBox {
        std::string text;
        int x, y, w, h;
        HWND hwnd = nullptr;
    };
    std::vector<GroupBox> groupBoxes_;
    bool validating_ = false; // an error box is up: focus changes do not validate again
};

} // namespace lysora
