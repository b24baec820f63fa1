// Menus, pop-up menus, tab strip, toolbar description, bitmap buttons and the common file
// dialogs, on real windows.
#include "gui_fixture.h"
#include "tests/support/file_dialog.h"

#include <filesystem>

namespace lysora::testing {
namespace {

#define TEST_MENU_COMMANDS(OWN, SHARED) OWN(FICHEMAT)
class DLG_MENU : public DLG {
public:
    explicit DLG_MENU(int type = GKT_DIALOG, WIN* parent = nullptr) : DLG(parent, type, "Menu")
    {
        CENTER(400, 250);
        fiches_.APPEND(Command("FICHEMAT"), "&Fiches").APPEND().APPEND(Command("COMPARER"), "&Comparer");
        bar_.APPEND(fiches_);
        SETMENU(bar_);
    }
    LYSORA_METHODS(DLG_MENU, DLG, TEST_MENU_COMMANDS)
    void FICHEMAT() { calls.push_back("FICHEMAT"); }
    void ONCMD(Symbol sym) override { calls.push_back("ONCMD " + sym.Name()); }
    std::vector<std::string> calls;
    MENU bar_{MENU::kBar};
    MENU fiches_{MENU::kPopup, "&Fichiers"};
};

class MenuTest : public GuiTest {};

TEST_F(MenuTest, MenuItemsReachTheMethodOfTheirNameOrOnCmd)
{
    DLG_MENU dialog;
    dialog.SHOW();
    ASSERT_EQ(GetMenu(dialog.HANDLE()), dialog.bar_.HANDLE());
    // What the system sends when an item is chosen: the item's identifier, no window.
    SendMessageA(dialog.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("FICHEMAT").Id(), 0), 0);
    SendMessageA(dialog.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("COMPARER").Id(), 0), 0);
    // A command that is neither an element nor a menu item of an ordinary dialog is ignored.
    SendMessageA(dialog.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("AILLEURS").Id(), 0), 0);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"FICHEMAT", "ONCMD COMPARER"}));

    // The main window runs every command.
    DLG_MENU main(GKT_MAINDIALOG);
    main.SHOW();
    SendMessageA(main.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol("AILLEURS").Id(), 0), 0);
    EXPECT_EQ(main.calls, std::vector<std::string>{"ONCMD AILLEURS"});
    main.SHOW(GKT_SHOW_CLOSE);
}

TEST_F(MenuTest, ADialogOwnedByAnotherWindowGetsItsMenuBarToo)
{
    DLG owner(nullptr, GKT_DIALOG, "Propriétaire");
    owner.CENTER(300, 200);
    owner.SHOW();
    DLG_MENU dialog(GKT_DIALOG, &owner);
    dialog.SHOW();
    EXPECT_EQ(GetMenu(dialog.HANDLE()), dialog.bar_.HANDLE());
    EXPECT_EQ(GetWindow(dialog.HANDLE(), GW_OWNER), owner.HANDLE());
}

TEST_F(MenuTest, ItemsAreCheckedEnabledAndDeletedByCommand)
{
    DLG_MENU dialog;
    MENU& menu = dialog.fiches_;
    auto state = [&](const char* sym) { return GetMenuState(menu.HANDLE(), Symbol(sym).Id(), MF_BYCOMMAND); };
    menu.CHECK(Symbol("FICHEMAT"));
    EXPECT_TRUE(state("FICHEMAT") & MF_CHECKED);
    menu.SETCHECK(Symbol("FICHEMAT"), false);
    EXPECT_FALSE(state("FICHEMAT") & MF_CHECKED);
    menu.DISABLE(Symbol("COMPARER"));
    EXPECT_TRUE(state("COMPARER") & MF_GRAYED);
    menu.SETENABLE(Symbol("COMPARER"), true);
    EXPECT_FALSE(state("COMPARER") & MF_GRAYED);
    menu.DELETE(Symbol("COMPARER"));
    EXPECT_EQ(state("COMPARER"), UINT(-1));
    EXPECT_EQ(GetMenuItemCount(menu.HANDLE()), 2) << "the item and the separator remain";
}

// Timer procedures that act on the pop-up menu while it is tracked.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND popup = FindWindowA("#32768", nullptr);
    PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(MenuTest, APopUpMenuClosedWithoutAChoiceSendsNothing)
{
    DLG_MENU dialog;
    dialog.SHOW();
    MENUCONTEXTUEL popup;
    EXPECT_EQ(popup.TXT(), "Contextuel");
    popup.APPEND(Command("FICHEMAT"), "Fiche").APPEND(Command("EXPORTER"), "Exporter");
    SetTimer(nullptr, 0, 100, &CloseMenu);
    popup.TRACK(dialog);
    Pump();
    EXPECT_TRUE(dialog.calls.empty());
    EXPECT_EQ(popup.HANDLE(), nullptr) << "a contextual menu is used once";
}

TEST_F(MenuTest, APopUpMenuChoiceReachesTheOwnersMethod)
{
    DLG_MENU dialog;
    dialog.SHOW();
    MENUCONTEXTUEL popup;
    popup.APPEND(Command("FICHEMAT"), "Fiche").APPEND(Command("EXPORTER"), "Exporter");
    SetTimer(nullptr, 0, 100, &ChooseFirstItem);
    popup.POPUP(dialog);
    Pump();
    EXPECT_EQ(dialog.calls, std::vector<std::string>{"FICHEMAT"});
}

TEST_F(MenuTest, TabStripAnswersItsSelectionAndNilWithoutOne)
{
    DLG dialog(nullptr, GKT_DIALOG, "Onglets");
    dialog.CENTER(400, 300);
    dialog.SHOW();
    ONGLET tabs({Symbol("AAE"), Symbol("AANE"), Symbol("AP")}, {"Essentiels", "Non essentiels", "Analyse"});
    ASSERT_TRUE(tabs.CREATE(dialog.HANDLE(), 500));
    EXPECT_EQ(SendMessageA(tabs.HANDLE(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(tabs.SELECTEDTAB(), Symbol("AAE"));
    tabs.SELECTTAB(Symbol("AP"));
    EXPECT_EQ(tabs.SELECTEDTAB(), Symbol("AP"));
    SendMessageA(tabs.HANDLE(), TCM_SETCURSEL, WPARAM(-1), 0);
    EXPECT_TRUE(tabs.SELECTEDTAB().IsNull());
    tabs.SELECTTAB(Symbol("AUTRE")); // not a tab: nothing changes
    EXPECT_TRUE(tabs.SELECTEDTAB().IsNull());
}

TEST_F(MenuTest, ToolbarEntriesReachTheEngineInOrderWithTheirGaps)
{
    // Buttons need the program's bitmaps: this test program has "outil".
    WIN frame(nullptr, GKT_MDIFRAME, "Barre");
    CTLBAR bar;
    bar.CMD(Command("IMPRIMER"), "outil").SEPAR().CMD(Command("AIDE"), "outil").SEPAR(12).CMD(Command("QUITTER"), "outil");
    frame.SETCTLBAR(bar);
    CtlBar* strip = frame.Record()->ctlbar;
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->count, 3);
    const CtlBarButton* b = strip->buttons;
    EXPECT_EQ(b[0].command, Symbol("IMPRIMER").Id());
    EXPECT_EQ(b[1].x, b[0].x + b[0].width + 5 + 5) << "the usual spacing plus the 5-pixel gap";
    EXPECT_EQ(b[2].x, b[1].x + b[1].width + 5 + 12);
    EXPECT_EQ(b[2].command, Symbol("QUITTER").Id());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MenuTest, BitmapButtonsAreOwnerDrawnWithTheirFace)
{
    DLG dialog(nullptr, GKT_DIALOG, "Boutons");
    dialog.CENTER(300, 200);
    dialog.GCMDOKCANCEL();
    WIN* ok = dialog.CMD(cmd::OK);
    ASSERT_NE(dynamic_cast<BITMAPBUTTON*>(ok), nullptr);
    EXPECT_TRUE(ok->Record()->style & BS_OWNERDRAW);
    EXPECT_STREQ(ok->Record()->command_text, "@5:1 #ok @35:2 F+'&Ok'");
    EXPECT_EQ(ok->Record()->req_w, 75);
    EXPECT_STREQ(dialog.CMD(cmd::CLOSE)->Record()->command_text, "@5:1 #cancel @23:2 F+'&Annuler'");
    EXPECT_EQ(dialog.CMD(cmd::CLOSE)->Record()->req_y, 45);
    dialog.SHOW();
    UpdateWindow(dialog.HANDLE());
    // This program has no "ok" bitmap: the engine says so while painting the face.
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].text, "Ressource non trouvée");
    EXPECT_EQ(ok->GETTEXT(), "&Ok") << "the caption still gives Alt+O";
}

TEST_F(MenuTest, SaveDialogReturnsThePathOrNothingWhenCancelled)
{
    DLG owner(nullptr, GKT_DIALOG, "Export");
    owner.CENTER(300, 200);
    owner.SHOW();
    const FilterRows rows = {{"Excel", "*.csv"}, {"RTF", "*.rtf"}};

    AnswerNextFileDialog("");
    EXPECT_EQ(owner.GETSAVEFILENAME(rows), "");
    EXPECT_EQ(LastFilterIndex(), 1) << "unchanged by a cancelled dialog";

    std::string path = (std::filesystem::current_path() / "export_essai.csv").string();
    std::filesystem::remove(path);
    AnswerNextFileDialog(path);
    std::string chosen = owner.GETSAVEFILENAME(rows);
    EXPECT_EQ(chosen.substr(chosen.size() - std::min<std::size_t>(chosen.size(), 16)), "export_essai.csv");
    EXPECT_EQ(LastFilterIndex(), 1);
}

} // namespace
} // namespace lysora::testing
