// DLG_MENU: the main menu, shown once the database is open. Seven picture buttons with
// their labels lead to the help topics and to the views; a quit button and a help button
// sit at the bottom. Closing the menu ends the program.
#pragma once

#include "framework/dlg.h"

#include <memory>

namespace lysora {

// The menu's commands: its seven items, top to bottom, the administration frame (debug
// copies only) and help.
#define DLG_MENU_COMMANDS(OWN, SHARED)                                                                         \
    OWN(MODEEMPLOI) OWN(CONCEPTMETHODOLOGIE) OWN(FICHEMAT) OWN(COMPMAT) OWN(IMPTABLE) OWN(AUTEURS)             \
    OWN(AVERTISSEMENT) OWN(PARAMS) SHARED(ONHELP)
LYSORA_COMMANDS(DLG_MENU_COMMANDS)

class MAINWINDOW;

class DLG_MENU : public DLG {
public:
    static constexpr int kWidth = 538, kHeight = 342;

    DLG_MENU();
    ~DLG_MENU() override;

    LYSORA_METHODS(DLG_MENU, DLG, DLG_MENU_COMMANDS)

    // A square picture button with the command at (280, y) and its label at (310, y + 1);
    // a click on either runs the item.
    void MENUITEM(Command command, int y);
    // A click on an item's label: the item's command.
    void ONCMD(Symbol sym) override;

    void ONFLD(Symbol sym) override;
    void MODEEMPLOI();
    void CONCEPTMETHODOLOGIE();
    void FICHEMAT();
    void COMPMAT();
    void IMPTABLE();
    void AUTEURS();
    void AVERTISSEMENT();
    void ONHELP() override;
    void ONCLOSE() override;
    // Opens the administration frame, which becomes the main window, maximised; brings it
    // forward when it is open already. A debug copy shows an "A&dministration" button for it.
    void PARAMS();
    MAINWINDOW* Frame() const { return frame_.get(); }

private:
    // Shows a help file: command 3 (contents) with data 0, or 1 (context) with a topic.
    void Help(const std::string& file, unsigned command, unsigned long data);
    // Opens the view of that dialog class, owned by the menu; nothing while no class of
    // that name is registered.
    void OpenView(const char* dialogClass);

    std::unique_ptr<MAINWINDOW> frame_;
};

} // namespace lysora
