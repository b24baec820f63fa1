// DLG_MENU (see dlg_menu.h).
#include "app/dlg_menu.h"

#include "app/admin.h"
#include "app/start.h"
#include "services/help.h"
#include "services/help_win32.h"
#include "services/program_dir.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "views/picture/fld_bitmap.h"

namespace lysora {
namespace {

constexpr int kItemSize = 22;
constexpr std::string_view kLabelPrefix = "LBL"; // an item's label: LBL + the item's command
constexpr unsigned long kTopicTable = 50, kTopicAuthors = 9, kTopicNotice = 15, kTopicMenu = 10;

// The items in menu order, from top to bottom.
constexpr Command kItems[] = {cmd::MODEEMPLOI, cmd::CONCEPTMETHODOLOGIE, cmd::FICHEMAT,     cmd::COMPMAT,
                              cmd::IMPTABLE,   cmd::AUTEURS,             cmd::AVERTISSEMENT};

} // namespace

DLG_MENU::DLG_MENU() : DLG(nullptr, GKT_DIALOG, DONNEESGENERALES().titre)
{
    SetMainWindow(this);
    if (Record())
        Record()->style |= WS_MINIMIZEBOX;
    XFLDMIN(0); // fields go exactly where the pen is
    XY(0, 0).FLD(Symbol("FOND"), DOM_BITMAP(FICHIERIMAGE("menu.bmp")).CONTROL(this));
    for (int k = 0; k < int(std::size(kItems)); ++k)
        MENUITEM(kItems[k], 50 + 27 * k);
    XY(380, 280).CMD(cmd::CLOSE, LIB(Symbol("QUITTER")), 0, std::nullopt, "#" + LIB(Symbol("BTQUITTER")));
    XY(490, 280).CMD(cmd::ONHELP, "", kItemSize, std::nullopt, "#Aide");
    if (_DEBUG()) // its letter is free among the items of both languages
        XY(20, 280).CMD(cmd::PARAMS, "A&dministration", 110);
    CENTER(kWidth, kHeight);
}

void DLG_MENU::MENUITEM(Command command, int y)
{
    const Symbol sym = command.Sym();
    const std::string text = LIB(sym);
    XY(280, y).CMD(command, text, 0, std::nullopt, "#Menu");
    if (WIN* element = CMD(sym))
        element->MOVE(WIN::kKeep, WIN::kKeep, kItemSize, kItemSize);
    const Symbol label(std::string(kLabelPrefix) + sym.Name());
    XY(310, y + 1).LBL(label, text);
    if (WIN* element = FLD(label)) {
        element->SETCOLOR(255, 255, 255, 0, 0, 0); // black on white
        // The label answers a click like its button (ONCMD runs the item).
        if (Win* record = element->Record())
            record->style |= SS_NOTIFY;
    }
}

void DLG_MENU::ONCMD(Symbol sym)
{
    for (Command item : kItems)
        if (sym.Name() == std::string(kLabelPrefix) + item.Sym().Name()) {
            CallMethod(item.Sym());
            return;
        }
}

void DLG_MENU::ONFLD(Symbol sym)
{
    if (sym.IsNull())
        FOCUS(cmd::CLOSE);
}

void DLG_MENU::Help(const std::string& file, unsigned command, unsigned long data)
{
    ShowHelp(HANDLE(), file, command, data);
}

void DLG_MENU::MODEEMPLOI() { Help(FICHIERAIDE(), kHelpContents, 0); }
void DLG_MENU::CONCEPTMETHODOLOGIE() { Help(FICHIERCONCEPTS(), kHelpContents, 0); }
void DLG_MENU::IMPTABLE() { Help(FICHIERAIDE(), kHelpContext, kTopicTable); }
void DLG_MENU::AUTEURS() { Help(FICHIERCONCEPTS(), kHelpContext, kTopicAuthors); }
void DLG_MENU::AVERTISSEMENT() { Help(FICHIERCONCEPTS(), kHelpContext, kTopicNotice); }
void DLG_MENU::ONHELP() { Help(FICHIERAIDE(), kHelpContext, kTopicMenu); }

void DLG_MENU::FICHEMAT() { OpenView("DLG_FICHEMAT"); }
void DLG_MENU::COMPMAT() { OpenView("DLG_COMPMATSELECT"); }

void DLG_MENU::OpenView(const char* dialogClass)
{
    std::unique_ptr<DLG> view = DialogClasses::Instance().Create(Symbol(dialogClass));
    if (!view)
        return;
    view->ORIG(this);
    WIN::Adopt(std::move(view))->SHOW();
}

DLG_MENU::~DLG_MENU()
{
    // The frame and its browse windows go before the menu's own elements.
    frame_.reset();
}

void DLG_MENU::PARAMS()
{
    if (frame_ && frame_->Exists()) {
        SetForegroundWindow(frame_->HANDLE());
        return;
    }
    RegisterAdministration();
    frame_ = std::make_unique<MAINWINDOW>(this);
    SetMainWindow(frame_.get());
    frame_->SHOW(SW_SHOWMAXIMIZED);
}

void DLG_MENU::ONCLOSE()
{
    DLG::ONCLOSE();
    PostQuitMessage(0);
}

} // namespace lysora
