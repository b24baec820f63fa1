// The standard browse and form dialogs over a real table: the browse field's columns and
// rows, the form opened for a new or the current record and every way it closes (each
// releasing the lock), bad input that keeps the form open with what was typed, duplicate
// keys, records held or deleted by another selection, deletion with confirmation, the
// browse dialog going away under an open form, saves the disk refuses, and the field
// browse of a table-code control.
#include "base/text.h"
#include "data/engine/file.h"
#include "framework/dlg_std.h"
#include "tests/framework/nutri_tables.h"
#include "tests/support/window_queue.h"

#include <functional>

namespace lysora::testing {
namespace {

class StandardDialogs : public NutriTables {
protected:
    void SetUp() override
    {
        NutriTables::SetUp();
        CreateTable(*nutri, {{"LYS", "Lysine", 2}, {"MET", "Méthionine", 1}, {"THR", "Thréonine", 3},
                             {"TRP", "Tryptophane", 4}});
        db.ADD(nutri);
        db.DIRECTORY(Directory());
        ASSERT_TRUE(db.OPEN(true, false)) << messages.Texts();
        Make();
    }
    void TearDown() override
    {
        dialog.reset();
        Pump();
        WIN::ReleaseClosedWindows();
        NutriTables::TearDown();
    }

    void Make()
    {
        dialog = std::make_unique<DLGBRW_STD>("Nutriments", std::make_unique<DBSEL>(nutri->AREA(), S("CODE")));
        dialog->BOUTONS();
        dialog->SHOW();
        Pump();
    }
    DBSEL& Sel() { return dialog->Selection(); }
    WinBrw* Browse() { return dialog->Browser()->Browse(); }
    std::string Cell(int column, int row) { return Browse()->columns[column]->cells[row]; }
    // Another selection of the table, as another window of the program would have.
    std::unique_ptr<DBSEL> Other(const char* code)
    {
        auto other = std::make_unique<DBSEL>(nutri->AREA(), S("CODE"));
        EXPECT_TRUE(other->SEEK(code));
        return other;
    }
    void Command(Command command) { dialog->ONCMD(command.Sym()); Pump(); }
    void Type(const char* field, const char* text)
    {
        SetWindowTextA(dialog->Form()->FLD(S(field))->HANDLE(), text);
    }
    std::string Typed(const char* field) { return dialog->Form()->FLD(S(field))->GETTEXT(); }
    int Count()
    {
        DBSEL counter(nutri->AREA(), S("CODE"));
        int n = 0;
        for (bool on = counter.GOTOP(); on; on = counter.SKIP(1))
            ++n;
        return n;
    }
    void Select(const char* code)
    {
        ASSERT_TRUE(Sel().SEEK(code));
        dialog->Browser()->REFRESH();
    }

    std::unique_ptr<DLGBRW_STD> dialog;
};

TEST_F(StandardDialogs, TheBrowseShowsTheRecordsInOrderThroughTheirDomains)
{
    EXPECT_EQ(dialog->TYPEFENETRE(), GKT_DIALOG) << "no MDI frame here";
    ASSERT_EQ(Browse()->column_count, 3);
    EXPECT_STREQ(Browse()->columns[1]->title, "Nom");
    EXPECT_EQ(dialog->Browser()->Widths(), (std::vector<int>{50, 210, 50}));
    EXPECT_EQ(Browse()->columns[2]->format, DT_RIGHT) << "numbers to the right";
    EXPECT_EQ(Cell(0, 0), "LYS ");
    EXPECT_EQ(Cell(1, 1), "Méthionine          ");
    EXPECT_EQ(Cell(2, 3), "  4");
    EXPECT_EQ(Browse()->page[4], 0);
    EXPECT_EQ(Browse()->current_row, 0) << "shown on its first record";
    for (const char* button : {"INSERT", "UPDATE", "DELETE", "CLOSE"})
        EXPECT_NE(dialog->FLD(S(button)), nullptr) << button;
}

TEST_F(StandardDialogs, EveryWayOfClosingTheFormReleasesTheRecord)
{
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> closes = {
        {"Escape", [](HWND form) { SendMessageA(form, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"close box", [](HWND form) { SendMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4", [](HWND form) { SendMessageA(form, WM_SYSKEYDOWN, VK_F4, 1 << 29); }},
        {"Annuler", [](HWND form) { SendMessageA(form, WM_COMMAND, MAKEWPARAM(cmd::CLOSE.Sym().Id(), 0), 0); }},
    };
    Select("THR");
    for (const auto& [how, close] : closes) {
        Command(cmd::UPDATE);
        DLGFRM_STD* form = dialog->Form();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(form->Exists()) << how;
        EXPECT_EQ(form->GETTEXT(), "Nutriments  -  Modification");
        EXPECT_EQ(Typed("NOM"), "Thréonine");
        EXPECT_FALSE(IsWindowEnabled(dialog->HANDLE())) << "the browse waits for its form";
        EXPECT_FALSE(Other("THR")->LOCK()) << how << ": the record is held while the form is open";
        Type("NOM", "Changed but cancelled");
        close(form->HANDLE());
        Pump();
        EXPECT_FALSE(form->Exists()) << how;
        EXPECT_EQ(dialog->Form(), form) << "one form, reused";
        EXPECT_TRUE(IsWindowEnabled(dialog->HANDLE())) << how;
        auto other = Other("THR");
        EXPECT_TRUE(other->LOCK()) << how << ": released";
        other->UNLOCK();
        EXPECT_EQ(AllTrim(other->Get(S("NOM")).Text()), "Thréonine") << how;
    }
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(StandardDialogs, ANewRecordIsCommittedOnceAndShownSelected)
{
    Command(cmd::INSERT);
    ASSERT_TRUE(dialog->Form()->Exists());
    EXPECT_EQ(dialog->Form()->GETTEXT(), "Nutriments  -  Création");
    EXPECT_EQ(Typed("NOM"), "") << "a new record starts blank";
    Type("CODE", "HIS");
    Type("NOM", "Histidine");
    Type("ORDRE", "5");
    SendMessageA(dialog->Form()->HANDLE(), WM_COMMAND, MAKEWPARAM(cmd::OK.Sym().Id(), 0), 0);
    Pump();
    EXPECT_FALSE(dialog->Form()->Exists());
    EXPECT_EQ(Count(), 5);
    EXPECT_TRUE(Other("HIS")->LOCK()) << "released after the commit";
    EXPECT_EQ(AllTrim(Sel().Get(S("NOM")).Text()), "Histidine");
    EXPECT_EQ(Cell(0, 0), "HIS ") << "the browse shows the new record";
    EXPECT_GE(Browse()->current_row, 0);
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();

    // A new form again, cancelled: nothing is added.
    Command(cmd::INSERT);
    Type("CODE", "ARG");
    dialog->Form()->CLOSE();
    Pump();
    EXPECT_EQ(Count(), 5);
}

TEST_F(StandardDialogs, BadInputKeepsTheFormOpenWithWhatWasTyped)
{
    Command(cmd::INSERT);
    DLGFRM_STD* form = dialog->Form();
    Type("NOM", "Valine");
    Type("ORDRE", "7");
    EXPECT_FALSE(form->OK()) << "the code is mandatory";
    Type("CODE", "VAL");
    Type("ORDRE", "1234");
    EXPECT_FALSE(form->OK()) << "three digits at most";
    Type("ORDRE", "7");
    Type("CODE", "met");
    EXPECT_FALSE(form->OK()) << "the code of another record";
    ASSERT_EQ(messages.shown.size(), 3u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Saisie obligatoire");
    EXPECT_EQ(messages.shown[1].text, "Valeur trop grande");
    EXPECT_EQ(messages.shown[2].text, "Code déjà existant");
    EXPECT_EQ(GetFocus(), form->FLD(S("CODE"))->HANDLE()) << "the field to mend has the focus";
    EXPECT_TRUE(form->Exists());
    EXPECT_EQ(Typed("NOM"), "Valine");
    EXPECT_EQ(Typed("ORDRE"), "7");
    EXPECT_EQ(Count(), 4) << "nothing appended by the refused tries";
    Type("CODE", "VAL");
    EXPECT_TRUE(form->OK());
    Pump();
    EXPECT_EQ(Count(), 5);
    EXPECT_TRUE(Other("VAL"));
}

// The disk refuses every write while the user saves a modification, then a new record:
// each time the form stays open with what was typed, the message says that the files
// cannot be written, the browse still answers, and once the disk is back the same OK
// saves what was typed, once.
TEST_F(StandardDialogs, ASaveTheDiskRefusesKeepsTheFormOpenAndSaysWhy)
{
    auto plan = std::make_shared<engine::FaultPlan>();
    engine::SetFileWrapper([plan](std::unique_ptr<engine::File> f, const std::string&) {
        return engine::FaultyFile(std::move(f), plan);
    });
    dialog.reset();
    db.CLOSE();
    ASSERT_TRUE(db.OPEN(true, false)) << messages.Texts();
    Make();
    // A click on a button where it shows, as the mouse gives it.
    auto click = [](DLG& window, const char* button) {
        HWND hwnd = window.FLD(S(button))->HANDLE();
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump();
    };
    DLGFRM_STD* form = nullptr;
    // OK with the disk full: the form stays, saying why; then with the disk back: it closes.
    auto okOnAFullDisk = [&] {
        plan->byteBudget = 0;
        const std::size_t before = messages.shown.size();
        click(*form, "OK");
        ASSERT_EQ(messages.shown.size(), before + 1) << messages.Texts();
        EXPECT_EQ(messages.shown.back().text.rfind("Enregistrement impossible : les fichiers ne peuvent pas être écrits", 0),
                  0u)
            << messages.shown.back().text;
        EXPECT_TRUE(form->Exists());
    };
    auto okOnceTheDiskIsBack = [&] {
        plan->byteBudget = ~std::uint64_t(0);
        plan->stopped = false;
        click(*form, "OK");
        EXPECT_FALSE(form->Exists()) << messages.Texts();
    };
    Select("THR");
    click(*dialog, "UPDATE");
    form = dialog->Form();
    ASSERT_TRUE(form && form->Exists());
    Type("NOM", "Thréonine totale");
    okOnAFullDisk();
    EXPECT_EQ(Typed("NOM"), "Thréonine totale");
    SendMessageA(dialog->Browser()->HANDLE(), WM_KEYDOWN, VK_DOWN, 0); // the browse answers
    Pump();
    okOnceTheDiskIsBack();
    EXPECT_EQ(AllTrim(Other("THR")->Get(S("NOM")).Text()), "Thréonine totale");

    click(*dialog, "INSERT");
    ASSERT_TRUE(form->Exists());
    Type("CODE", "HIS");
    Type("NOM", "Histidine");
    Type("ORDRE", "5");
    okOnAFullDisk();
    EXPECT_EQ(Typed("CODE"), "HIS");
    EXPECT_EQ(Typed("NOM"), "Histidine");
    okOnceTheDiskIsBack();
    engine::SetFileWrapper({});
    EXPECT_EQ(Count(), 5);
    EXPECT_EQ(AllTrim(Other("HIS")->Get(S("NOM")).Text()), "Histidine");
    EXPECT_EQ(messages.shown.size(), 2u) << messages.Texts();
}

TEST_F(StandardDialogs, AModifiedRecordKeepsItsOwnKeyButCannotTakeAnother)
{
    Select("TRP");
    Command(cmd::UPDATE);
    DLGFRM_STD* form = dialog->Form();
    Type("NOM", "Tryptophane total");
    Type("CODE", "LYS");
    EXPECT_FALSE(form->OK());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Code déjà existant");
    Type("CODE", "TRP");
    EXPECT_TRUE(form->OK());
    Pump();
    EXPECT_EQ(AllTrim(Other("TRP")->Get(S("NOM")).Text()), "Tryptophane total");
    EXPECT_EQ(Count(), 4);
}

TEST_F(StandardDialogs, ARecordHeldElsewhereIsRefusedForModificationAndDeletion)
{
    auto holder = Other("MET");
    ASSERT_TRUE(holder->LOCK());
    Select("MET");
    Command(cmd::UPDATE);
    EXPECT_TRUE(dialog->Form() == nullptr || !dialog->Form()->Exists());
    messages.answer = kIdYes;
    Command(cmd::DELETE);
    ASSERT_EQ(messages.shown.size(), 3u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Fichier non disponible");
    EXPECT_EQ(messages.shown[1].text, "Suppression ?");
    EXPECT_EQ(messages.shown[2].text, "Fichier non disponible");
    EXPECT_EQ(Count(), 4);
    holder->UNLOCK();
}

TEST_F(StandardDialogs, ARecordDeletedElsewhereIsReportedOnceAndLeavesTheBrowse)
{
    Select("MET");
    auto remover = Other("MET");
    ASSERT_TRUE(remover->LOCK());
    ASSERT_TRUE(remover->DELETE());
    remover->UNLOCK();
    // Deleted without the browse being told (another copy of the program would not tell it).
    Command(cmd::UPDATE);
    ASSERT_EQ(messages.shown.size(), 1u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Enregistrement supprimé par un autre utilisateur");
    EXPECT_TRUE(dialog->Form() == nullptr || !dialog->Form()->Exists());
    for (int row = 0; row < 3; ++row)
        EXPECT_NE(Cell(0, row), "MET ") << "the browse was redrawn without it";
    EXPECT_EQ(Cell(0, 1), "THR ");
    EXPECT_EQ(AllTrim(Sel().Get(S("CODE")).Text()), "THR") << "the record that followed is current";
}

TEST_F(StandardDialogs, DeletionAsksFirst)
{
    Select("THR");
    messages.answer = kIdNo;
    Command(cmd::DELETE);
    EXPECT_EQ(Count(), 4);
    messages.answer = kIdYes;
    Command(cmd::DELETE);
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Cell(0, 2), "TRP ");
    EXPECT_EQ(Browse()->page[3], 0);
    EXPECT_TRUE(Other("TRP")->LOCK()) << "the deleting lock is gone";
}

TEST_F(StandardDialogs, AnEmptySelectionOffersOnlyCreation)
{
    dialog = std::make_unique<DLGBRW_STD>(
        "Vide", std::make_unique<DBSEL>(nutri->AREA(), ItemRef(S("CODE")), std::string("ZZZ")));
    dialog->BOUTONS();
    dialog->SHOW();
    Pump();
    EXPECT_EQ(Browse()->page[0], 0);
    messages.answer = kIdYes;
    Command(cmd::UPDATE);
    Command(cmd::DELETE);
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
    EXPECT_EQ(dialog->Form(), nullptr);
    Command(cmd::INSERT);
    ASSERT_NE(dialog->Form(), nullptr);
    EXPECT_TRUE(dialog->Form()->Exists());
    EXPECT_EQ(Typed("CODE"), "");
}

TEST_F(StandardDialogs, ADoubleClickOpensTheClickedRecord)
{
    HWND browse = dialog->Browser()->HANDLE();
    const int y = Browse()->grid_top + 2 * Browse()->row_height + 5;
    const int x = Browse()->grid_left + 10;
    SendMessageA(browse, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(browse, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(browse, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    Pump();
    ASSERT_NE(dialog->Form(), nullptr);
    EXPECT_TRUE(dialog->Form()->Exists());
    EXPECT_EQ(Typed("CODE"), "THR");
    dialog->Form()->CLOSE();
    Pump();
}

TEST_F(StandardDialogs, TheBrowseDialogGoingAwayTakesItsFormAndLock)
{
    Select("LYS");
    Command(cmd::UPDATE);
    ASSERT_TRUE(dialog->Form()->Exists());
    HWND form = dialog->Form()->HANDLE();
    dialog.reset();
    Pump();
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(Other("LYS")->LOCK());

    // Closing the browse window (not the object) with its form open does the same.
    Make();
    Select("MET");
    Command(cmd::UPDATE);
    form = dialog->Form()->HANDLE();
    dialog->SHOW(GKT_SHOW_CLOSE);
    Pump();
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(dialog->Exists());
    EXPECT_TRUE(Other("MET")->LOCK());
}

TEST_F(StandardDialogs, TheFieldBrowsePicksACodeForATableCodeControl)
{
    InstallFieldBrowse();
    DLG form(nullptr, GKT_DIALOG, "Code");
    form.CENTER(500, 150);
    form.LBL(Symbol(), "Nutriment :")
        .FLD(S("NUTRI"), std::make_unique<CTL_TBL>(&form, 4, S("NUTRI"), S("CODE"),
                                                   std::vector<Symbol>{S("CODE"), S("NOM")}));
    form.SHOW();
    auto& code = static_cast<CTL_TBL&>(*form.FLD(S("NUTRI")));
    code.SET(Value("THR"));
    code.ONCMD(S("NUTRI"));
    Pump();
    HWND picker = GetActiveWindow();
    auto* chooser = dynamic_cast<DLGFLD_STD*>(WIN::FromHandle(picker));
    ASSERT_NE(chooser, nullptr);
    EXPECT_FALSE(IsWindowEnabled(form.HANDLE())) << "the form waits for the choice";
    auto* browse = dynamic_cast<BRW*>(chooser->FLD(S("BRW")));
    ASSERT_NE(browse, nullptr);
    const WinBrw* b = browse->Browse();
    ASSERT_GE(b->current_row, 0);
    EXPECT_STREQ(b->columns[0]->cells[b->current_row], "THR ") << "positioned on the control's code";
    SendMessageA(browse->HANDLE(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(browse->HANDLE(), WM_LBUTTONDBLCLK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_EQ(code.GETTEXT(), "TRP");
    EXPECT_EQ(code.Description(), "Tryptophane");
    EXPECT_TRUE(IsWindowEnabled(form.HANDLE()));
    CTL_TBL::BrowseHook() = nullptr;
}

} // namespace
} // namespace lysora::testing

namespace lysora::testing {
namespace {

TEST_F(StandardDialogs, AListFieldShowsAValueReadWithItsFieldPadding)
{
    DLG form(nullptr, GKT_DIALOG, "Liste");
    form.CENTER(300, 120);
    auto list = std::make_unique<COMBO>(&form);
    COMBO& combo = *list;
    combo.SETLIST({"LYS", "MET"}, {"Lysine", "Méthionine"});
    form.FLD(S("NUTRI"), std::move(list));
    form.SHOW();
    combo.SET(Value("MET  ")); // as a five-character field holds it
    EXPECT_EQ(combo.SelectedText(), "Méthionine");
}

} // namespace
} // namespace lysora::testing
