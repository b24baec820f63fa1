// WIN: the framework's window object. It wraps one Win record of guikit32, installs its own
// event callback in it and turns engine events into method calls: a command whose
// identifier is the value of a symbol calls the method of that name, or ONCMD with the
// symbol. Also here: the handle-to-object registry the callbacks use, the program-wide
// application object and main window, message boxes and the common file dialogs.
//
// Teardown happens here, in one place, for every window object: destroying an object
// destroys its window (children with it), drops every reference other objects hold to it
// (parent, origin, owner record), leaves the main-window slot and frees the engine record.
// Objects handed to the framework (Adopt: a dialog class named by a command, a view) are
// released once their window is gone or was never made, always from the message loop, never
// while a callback runs or a window is being destroyed.
#pragma once

#include "data/notify.h"
#include "framework/file_filter.h"
#include "framework/method_table.h"
#include "framework/winapi.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

class CTLBAR;
class MENU;
class WIN;

using WinMethods = MethodTable<WIN>;

// The application object (App_New) every record is created with; the owner of new dialogs.
void SetApplication(App* app);
App* Application();
void SetMainWindow(WIN* main);
WIN* MainWindow();

// Index (from 1) of the filter row chosen in the last confirmed file dialog.
int LastFilterIndex();

// Every window answers CLOSE.
#define WIN_COMMANDS(OWN, SHARED) SHARED(CLOSE)

class WIN : public NotifyTarget, public MethodRoot<WIN> {
public:
    // A requested coordinate left as it is by MOVE.
    static constexpr int kKeep = 0x7FFFFFFF;

    // INIT: parent object (or none), engine window type, caption.
    WIN(WIN* parent, int type, std::string_view text = {});
    virtual ~WIN();
    WIN(const WIN&) = delete;
    WIN& operator=(const WIN&) = delete;

    // ---- Methods reached by name ----
    LYSORA_METHODS(WIN, MethodRoot<WIN>, WIN_COMMANDS)
    bool HasMethod(Symbol name) const { return Methods().Find(name) != nullptr; }
    // Calls the method of that name; false when the class has none.
    bool CallMethod(Symbol name);
    // Change notifications of the tables (ONCOMMIT, REFRESH) reach methods by name too.
    bool SendMethod(Symbol method) override { return CallMethod(method); }

    // ---- Window ----
    virtual WIN& SHOW(int nShow = SW_SHOW);
    // Shows or hides the window (created first when needed), keeping it enabled or disabled
    // as it is: what tab pages do with their controls.
    virtual void Display(int nShow);
    virtual void ONCREATE();
    void SETTIMER(unsigned ms);
    void KILLTIMER();
    virtual void CLOSE();
    virtual bool CANCLOSE() { return true; }
    void MOVE(int x, int y = kKeep, int w = kKeep, int h = kKeep);
    void CENTER(int w = kKeep, int h = kKeep);
    void BKTEXT(std::string_view commands);
    // Background and text colours from their red, green and blue bytes.
    void SETCOLOR(int r, int g, int b, int textR = 0, int textG = 0, int textB = 0);
    static void WHITEONDISABLE(bool on);
    void SETCTLBAR(const CTLBAR& bar);
    virtual HWND HANDLE() const;
    void SETTEXT(std::string_view text);
    std::string GETTEXT() const;
    void SETMENU(MENU& menu);
    virtual void SETICON(); // the program icon (below), or the system's until one is set
    // The program icon every window shows; start-up sets it from the program's resources.
    static void SetProgramIcon(HICON icon);
    virtual void FOCUS();
    virtual bool ISENABLED() const;
    bool Exists() const; // the window is created
    bool IsControl() const; // a child window of a dialog, not a top-level one
    // The command identifier (and Alt+letter identifier) of a child window: sym's value.
    virtual void ID(Symbol sym);

    // ---- Messages (French captions, as every framework message) ----
    bool CONFIRM(std::string_view text, std::string_view title = "Confirmation");
    void MESSAGE(std::string_view text, std::string_view title = "Message");
    void ERROR(std::string_view text, std::string_view title = "Erreur");

    // ---- Common file dialogs: the chosen path, empty when cancelled ----
    std::string GETSAVEFILENAME(const FilterRows& filters = {}, std::string_view directory = {});
    std::string GETOPENFILENAME(const FilterRows& filters = {}, std::string_view directory = {});

    // ---- Hooks ----
    WIN* PARENT() const { return parent_; }
    virtual void ONCLOSE() {}
    virtual void ONHELP() {}
    virtual void ONCMD(Symbol) {}
    int TYPEFENETRE() const;

    Win* Record() const { return record_; }
    const std::string& Caption() const { return caption_; }

    // The object of a window made by the framework; null for any other window.
    static WIN* FromHandle(HWND hwnd);
    // Runs a command chosen in a pop-up menu owned by this window: its WM_COMMAND arrives
    // while MenuCommandRunning() is true.
    void RunMenuChoice(unsigned command);
    static bool MenuCommandRunning();
    // Hands an object to the framework, which releases it after its window is destroyed.
    static WIN* Adopt(std::unique_ptr<WIN> object);
    // Releases the adopted objects whose window is gone (or never existed). Called while a
    // callback runs, it waits for the message loop.
    static void ReleaseClosedWindows();

    // ---- Helpers every view shares ----
    // The wait cursor (true) or the arrow (false).
    static void WAITCURSOR(bool wait);
    // Dispatches every message waiting in the thread's queue, then returns.
    static void DOEVENTS();
    // Width in pixels of a text in the screen's default font, or in the font of window when
    // one is given (a control's own font, as it draws its text).
    static int GETTEXTWIDTH(std::string_view text, HWND window = nullptr);

    // The windows that make up this element, in stacking order: its own, and for a compound
    // control its other parts. What showing, enabling and stacking an element act on.
    virtual std::vector<HWND> Windows() const;

protected:
    // Engine events of this window; the answer goes back to the engine.
    virtual LRESULT OnEvent(UINT msg, WPARAM wparam, LPARAM lparam);
    // Another object is being destroyed: every reference to it is dropped.
    virtual void Forget(const WIN& gone);
    // Closes the window without asking CANCLOSE again (the caller asked it already).
    void CloseAccepted();
    // Destroys the window now (before the object's parts are released).
    void DestroyWindowNow();
    void Register();
    void Unregister();
    // WM_DESTROY: timer stopped, table notifications and the object unregistered, ONCLOSE.
    void Destroyed();
    // Applies a command: the method of that name, else ONCMD.
    void RunCommand(Symbol sym);

    bool isMdi_ = false; // __ISMDI
    bool isSdi_ = false; // __ISSDI

private:
    static LRESULT CALLBACK Callback(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    void StartTimer();
    std::string RunFileDialog(bool save, const FilterRows& filters, std::string_view directory);

    Win* record_ = nullptr; // __PTR
    WIN* parent_ = nullptr;
    std::string caption_;
    bool timerRequested_ = false;
    unsigned timerMs_ = 0;
    UINT_PTR timerId_ = 0;
    bool closeAccepted_ = false; // CANCLOSE was asked already: the close goes through
};

} // namespace lysora
