// Closing windows, message by message: an adopted dialog closed by its close box, Escape,
// Alt+F4, its own button or the destruction of its owner is asked once, closes once and is
// released only after every one of its windows is gone, with every record freed; references
// to a released dialog (origin, owner, main window) are dropped; SHOW(0x10) asks once.
#include "gui_fixture.h"

#include "tests/support/heap_check.h"

#include "base/message_box.h"
#include "framework/code_table.h"

#include <cstdlib>

namespace lysora::testing {
namespace {

// What happened to one adopted dialog, in order; kept by the test, outliving the dialog.
struct CloseLog {
    std::vector<std::string> events;
    bool windowLeftAtRelease = false; // one of its windows still existed when it was released
};

// A dialog with a label, an edit and two buttons, that logs its close.
class DLG_ADOPTE : public DLG {
public:
    DLG_ADOPTE(CloseLog& log, WIN* parent = nullptr) : DLG(parent, GKT_DIALOG, "Adopté"), log_(log)
    {
        CENTER(320, 160);
        LBL(Symbol("LBLNOM"), "Nom :").FLD(Symbol("NOM"), std::make_shared<DOM_CAR>(10));
        XY(-90, 15).CMD(cmd::CLOSE, "&Fermer", 75).CMD(Command("AUTRE"), "Autre", 75);
    }
    ~DLG_ADOPTE() override
    {
        log_.events.push_back("released");
        for (HWND hwnd : windows_)
            if (IsWindow(hwnd))
                log_.windowLeftAtRelease = true;
    }
    bool CANCLOSE() override
    {
        log_.events.push_back("CANCLOSE");
        return true;
    }
    void ONCLOSE() override { log_.events.push_back("ONCLOSE"); }

    // Shows the dialog and notes its windows and records, for the checks after its release.
    void Open()
    {
        SHOW();
        windows_.push_back(HANDLE());
        records.push_back(Record());
        for (const Element& element : Elements()) {
            windows_.push_back(element.object->HANDLE());
            records.push_back(element.object->Record());
        }
    }

    std::vector<const Win*> records;

private:
    CloseLog& log_;
    std::vector<HWND> windows_;
};

class CloseTest : public GuiTest {
protected:
    // A new adopted dialog, shown.
    static DLG_ADOPTE& OpenAdopted(CloseLog& log, WIN* parent = nullptr)
    {
        auto* dialog = static_cast<DLG_ADOPTE*>(WIN::Adopt(std::make_unique<DLG_ADOPTE>(log, parent)));
        dialog->Open();
        return *dialog;
    }

    // The dialog of these records closed, released once, after its windows, and every
    // record freed (checked at once, before the heap hands the blocks out again).
    static void ExpectClosedAndReleased(const CloseLog& log, const std::vector<const Win*>& records,
                                        const std::vector<std::string>& events)
    {
        EXPECT_EQ(log.events, events);
        EXPECT_FALSE(log.windowLeftAtRelease) << "released while its windows were being destroyed";
        EXPECT_EQ(_heapchk(), _HEAPOK);
        for (const Win* record : records)
            EXPECT_FALSE(IsAllocated(record)) << "a record was not freed";
    }

    // Runs the queue long enough for the framework's release from the message loop.
    static void Settle() { PumpFor(60); }
};

const std::vector<std::string> kClosed{"CANCLOSE", "ONCLOSE", "released"};

TEST_F(CloseTest, TheCloseBoxClosesAndReleasesAnAdoptedDialog)
{
    CloseLog log;
    DLG_ADOPTE& dialog = OpenAdopted(log);
    const std::vector<const Win*> records = dialog.records;
    SetMainWindow(&dialog);
    PostMessageA(dialog.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle();
    ExpectClosedAndReleased(log, records, kClosed);
    EXPECT_EQ(MainWindow(), nullptr) << "the main-window slot still names the released dialog";
}

TEST_F(CloseTest, EscapeInAFieldClosesAndReleasesAnAdoptedDialog)
{
    CloseLog log;
    DLG_ADOPTE& dialog = OpenAdopted(log);
    const std::vector<const Win*> records = dialog.records;
    HWND field = ElementWindow(dialog, "NOM");
    SetFocus(field);
    PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
    Settle();
    ExpectClosedAndReleased(log, records, kClosed);
}

TEST_F(CloseTest, AltF4InAFieldClosesAndReleasesAnAdoptedDialog)
{
    CloseLog log;
    DLG_ADOPTE& dialog = OpenAdopted(log);
    const std::vector<const Win*> records = dialog.records;
    HWND field = ElementWindow(dialog, "NOM");
    SetFocus(field);
    PostMessageA(field, WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
    Settle();
    ExpectClosedAndReleased(log, records, kClosed);
}

TEST_F(CloseTest, TheDialogsOwnButtonClosesAndReleasesIt)
{
    CloseLog log;
    DLG_ADOPTE& dialog = OpenAdopted(log);
    const std::vector<const Win*> records = dialog.records;
    SendMessageA(ElementWindow(dialog, "CLOSE"), BM_CLICK, 0, 0);
    Settle();
    ExpectClosedAndReleased(log, records, kClosed);
}

TEST_F(CloseTest, ClosingTheOwnerClosesAndReleasesTheDialogsItOwns)
{
    CloseLog ownerLog, ownedLog;
    DLG_ADOPTE& owner = OpenAdopted(ownerLog);
    DLG_ADOPTE& owned = OpenAdopted(ownedLog, &owner);
    std::vector<const Win*> records = owner.records;
    records.insert(records.end(), owned.records.begin(), owned.records.end());
    owned.ORIG(&owner, true);
    ASSERT_EQ(GetWindow(owned.HANDLE(), GW_OWNER), owner.HANDLE());
    PostMessageA(owner.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle();
    // The owned dialog is destroyed with its owner, not asked.
    ExpectClosedAndReleased(ownerLog, records, kClosed);
    EXPECT_EQ(ownedLog.events, (std::vector<std::string>{"ONCLOSE", "released"}));
    EXPECT_FALSE(ownedLog.windowLeftAtRelease);
}

TEST_F(CloseTest, ADialogOutlivingItsOriginForgetsIt)
{
    CloseLog originLog, openedLog;
    DLG_ADOPTE& origin = OpenAdopted(originLog);
    DLG_ADOPTE& opened = OpenAdopted(openedLog);
    const std::vector<const Win*> originRecords = origin.records, openedRecords = opened.records;
    opened.ORIG(&origin, true); // modal: its record names the origin's as owner
    opened.BLOQUER();
    ASSERT_EQ(opened.Record()->owner, origin.Record());
    // The origin goes first (closed by its box, as a user may once it is enabled again).
    EnableWindow(origin.HANDLE(), TRUE);
    PostMessageA(origin.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle();
    ExpectClosedAndReleased(originLog, originRecords, kClosed);
    EXPECT_EQ(opened.ORIG(), nullptr);
    EXPECT_EQ(opened.Record()->owner, nullptr);
    // Closing the dialog that stays reaches nothing of the released one.
    PostMessageA(opened.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle();
    ExpectClosedAndReleased(openedLog, openedRecords, kClosed);
}

TEST_F(CloseTest, AnAdoptedDialogNeverShownIsReleasedToo)
{
    CloseLog log;
    WIN::Adopt(std::make_unique<DLG_ADOPTE>(log));
    Settle();
    EXPECT_EQ(log.events, std::vector<std::string>{"released"});
}

// Agrees to close the first time it is asked only.
class DLG_UNEFOIS : public DLG {
public:
    DLG_UNEFOIS() : DLG(nullptr, GKT_DIALOG, "Une fois")
    {
        CENTER(300, 120);
        CMD(Command("BOUTON"), "Bouton");
    }
    bool CANCLOSE() override { return ++asked == 1; }
    int asked = 0;
};

TEST_F(CloseTest, ShowCloseAsksOnceAndThenClosesTheWholeDialog)
{
    DLG_UNEFOIS dialog;
    dialog.SHOW();
    dialog.SHOW(GKT_SHOW_CLOSE);
    EXPECT_EQ(dialog.asked, 1);
    EXPECT_FALSE(dialog.Exists()) << "left open with its controls destroyed";
    EXPECT_FALSE(IsWindow(ElementWindow(dialog, "BOUTON")));
}

// A table of no codes.
class NoCodes : public CodeTable {
public:
    std::optional<std::string> Describe(std::string_view) override { return std::nullopt; }
};

TEST_F(CloseTest, ShowingDisablingAndStackingATableFieldActOnAllItsParts)
{
    DLG dialog(nullptr, GKT_DIALOG, "Table");
    dialog.CENTER(500, 150);
    dialog.FLD(Symbol("CODE"), std::make_unique<CTL_TBL>(&dialog, 4, std::make_shared<NoCodes>()));
    dialog.LN().CMD(Command("AUTRE"), "Autre");
    dialog.SHOW();
    WIN* field = dialog.FLD(Symbol("CODE"));
    std::vector<HWND> parts = field->Windows();
    ASSERT_EQ(parts.size(), 3u);

    dialog.FLDSHOW({Symbol("CODE")}, false);
    for (HWND part : parts)
        EXPECT_FALSE(IsWindowVisible(part));
    dialog.FLDSHOW({Symbol("CODE")}, true);
    dialog.FLDDISABLEBLANK({Symbol("CODE")}, true);
    for (HWND part : parts) {
        EXPECT_TRUE(IsWindowVisible(part));
        EXPECT_FALSE(IsWindowEnabled(part));
    }

    // Stacked in list order, the parts stay together before the next element.
    SetWindowPos(ElementWindow(dialog, "AUTRE"), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    dialog.SETZORDER();
    EXPECT_EQ(GetWindow(parts[0], GW_HWNDNEXT), parts[1]);
    EXPECT_EQ(GetWindow(parts[1], GW_HWNDNEXT), parts[2]);
    EXPECT_EQ(GetWindow(parts[2], GW_HWNDNEXT), ElementWindow(dialog, "AUTRE"));
}

TEST_F(CloseTest, CenterWithoutASizeCentresTheWindowAsItIs)
{
    DLG dialog(nullptr, GKT_DIALOG, "Sans taille");
    dialog.CENTER(); // not created yet, no size: nothing to centre
    dialog.SHOW();
    RECT before;
    GetWindowRect(dialog.HANDLE(), &before);
    dialog.CENTER();
    RECT after, work;
    GetWindowRect(dialog.HANDLE(), &after);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_LE(std::abs((after.left - work.left) - (work.right - after.right)), 1);
    EXPECT_LE(std::abs((after.top - work.top) - (work.bottom - after.bottom)), 1);
}

TEST_F(CloseTest, TheSharedHelpersWaitCursorEventsAndTextWidth)
{
    WIN::WAITCURSOR(true);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    WIN::WAITCURSOR(false);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));

    DLG dialog(nullptr, GKT_DIALOG, "Avant");
    dialog.CENTER(200, 100);
    dialog.SHOW();
    PostMessageA(dialog.HANDLE(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialog.Exists());
    WIN::DOEVENTS();
    EXPECT_FALSE(dialog.Exists()) << "the posted close was left waiting";

    EXPECT_EQ(WIN::GETTEXTWIDTH(""), 0);
    HDC screen = GetDC(nullptr);
    SIZE size{};
    GetTextExtentPoint32A(screen, "Matières premières", 18, &size);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(WIN::GETTEXTWIDTH("Matières premières"), size.cx);
    EXPECT_GT(WIN::GETTEXTWIDTH("Matières premières"), WIN::GETTEXTWIDTH("Matières"));
}

// The owner of the message box the thread shows, noted once the box is up; then the box is
// answered.
HWND gBoxOwner = reinterpret_cast<HWND>(INT_PTR(-1));

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

void CALLBACK NoteOwnerAndAnswer(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    KillTimer(nullptr, timer);
    gBoxOwner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

HWND OwnerOfBoxShownWith(unsigned style)
{
    gBoxOwner = reinterpret_cast<HWND>(INT_PTR(-1));
    UINT_PTR timer = SetTimer(nullptr, 0, 50, NoteOwnerAndAnswer);
    MessageBoxSink().Show("Message", "Essai", style);
    KillTimer(nullptr, timer);
    return gBoxOwner;
}

TEST_F(CloseTest, ABoxAskedWithoutOwnerHasNoneWhileAWindowIsActive)
{
    DLG dialog(nullptr, GKT_DIALOG, "Active");
    dialog.CENTER(200, 100);
    dialog.SHOW();
    SetActiveWindow(dialog.HANDLE());
    ASSERT_EQ(GetActiveWindow(), dialog.HANDLE());
    EXPECT_EQ(OwnerOfBoxShownWith(kMbOk), dialog.HANDLE());
    SetActiveWindow(dialog.HANDLE());
    EXPECT_EQ(OwnerOfBoxShownWith(kMbOk | kMbIconStop | kMbNoOwner), nullptr);
}

} // namespace
} // namespace lysora::testing
