// The administration side: the frame MAINWINDOW (an MDI frame shown maximised) whose menu
// opens one browse window per maintained table, the program-wide registry of those windows
// (one object per browse class for the whole run, re-shown when chosen again), and the three
// table browses. Only a debug copy of the program offers the tables; the frame itself is
// opened by the main menu's PARAMS.
#pragma once

#include "framework/dlg_std.h"
#include "framework/menu.h"

#include <memory>

namespace lysora {

// The frame's commands: a browse class each, and quitting.
namespace cmd {
inline constexpr Command DLGBRW_MAT{"DLGBRW_MAT"};
inline constexpr Command DLGBRW_NUTRI{"DLGBRW_NUTRI"};
inline constexpr Command DLGBRW_VAL{"DLGBRW_VAL"};
} // namespace cmd

class MAINWINDOW : public WIN {
public:
    // The window given (the main menu) is closed with the frame: closing the frame ends the
    // program.
    explicit MAINWINDOW(WIN* closedWithIt = nullptr);
    // A browse class: its window is shown, re-shown or brought forward; a beep while it
    // waits for one of its forms.
    void ONCMD(Symbol sym) override;
    void ONCLOSE() override;

private:
    WIN* closedWithIt_;
    MENU bar_;
    MENU tables_{MENU::kPopup, "&Tables"};
};

// The window object registered for a class, null when none.
WIN* GLOBAL_OBJECT(Symbol cls);
// Registers the object of a class; the registry keeps it for the rest of the run.
WIN* GLOBAL_REGISTER(Symbol cls, std::unique_ptr<WIN> object);
// Releases every registered object (at the end of the run, while the tables are open).
void GLOBAL_RELEASE();

// Makes the browse classes known by name (MAINWINDOW creates them from its commands).
void RegisterAdministration();

class DLGBRW_MAT : public DLGBRW_STD {
public:
    DLGBRW_MAT();
};

class DLGBRW_NUTRI : public DLGBRW_STD {
public:
    DLGBRW_NUTRI();
};

class DLGBRW_VAL : public DLGBRW_STD {
public:
    DLGBRW_VAL();
};

} // namespace lysora
