// The administration from the outside, with two debug copies of the program running at once
// on the same table files (hard links, so that both open the very same files, as two users
// of one folder would): one edits nutrients through its frame, browse and form, the other
// browses them. A record one copy holds is refused to the other with "Fichier non
// disponible"; a committed change shows in the other on its next move, which then saves a
// change of its own; a record one deletes
// is reported as deleted to the other; after both quit the table holds every record once.
//
// With LYSORA_SCREENSHOTS set to a folder, the screen is saved there (BMP) at the main steps.
#include "base/text.h"
#include "data/engine/engine.h"
#include "guikit/guikit.h"
#include "program_runner.h"
#include "tests/support/window_picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

namespace lysora::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kLimit = 20s;

bool IsMenu(HWND hwnd)
{
    return ProgramCopy::ClassOf(hwnd) == "GKT-DLG" && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION &&
           ProgramCopy::ChildWithText(hwnd, "A&dministration");
}
bool IsFrame(HWND hwnd) { return ProgramCopy::ClassOf(hwnd) == "GKT-MDI"; }
std::function<bool(HWND)> Captioned(const std::string& caption)
{
    return [caption](HWND hwnd) { return ProgramCopy::Text(hwnd) == caption; };
}

// The whole screen as the copy left it, once it waits for input with every paint done,
// saved as NAME.bmp in the LYSORA_SCREENSHOTS folder.
void SaveScreen(const ProgramCopy& copy, const std::string& name)
{
    const char* folder = std::getenv("LYSORA_SCREENSHOTS");
    if (!folder)
        return;
    WaitForInputIdle(copy.Process(), 5000);
    lysora::testing::SaveWindow(GetDesktopWindow(), std::string(folder) + "\\" + name + ".bmp");
}

// One running copy with its nutrient browse open.
class Admin {
public:
    explicit Admin(ProgramCopy& copy) : copy_(copy) {}

    // Intro in French, menu, "A&dministration", frame, "Tables" > "Nutriments".
    void OpenNutrients()
    {
        ASSERT_TRUE(copy_.Start());
        HWND intro = copy_.WaitWindow([](HWND h) { return ProgramCopy::ChildWithText(h, "&Francais"); }, kLimit);
        ASSERT_TRUE(intro);
        ProgramCopy::Click(ProgramCopy::ChildWithText(intro, "&Francais"));
        HWND menu = copy_.WaitWindow(IsMenu, kLimit);
        ASSERT_TRUE(menu) << "a debug copy offers the administration";
        ProgramCopy::Click(ProgramCopy::ChildWithText(menu, "A&dministration"));
        frame = copy_.WaitWindow(IsFrame, kLimit);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(IsZoomed(frame)) << "the frame is shown maximised";
        // "&Tables" by its letter, then the second item. (The menu belongs to the other
        // process: it is worked with keys, as a user would; again if the frame was not
        // ready for them yet.)
        for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
            PostMessageA(frame, WM_SYSCOMMAND, SC_KEYMENU, 't');
            Eventually([] { return FindWindowA("#32768", nullptr) != nullptr; }, 2s); // the menu drops down
            PostMessageA(frame, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(frame, WM_KEYDOWN, VK_RETURN, 0);
            Eventually([&] { return (dialog = Child(frame, "Nutriments")) != nullptr; }, 4s);
        }
        ASSERT_TRUE(dialog);
        for (HWND child : ProgramCopy::Children(dialog))
            if (ProgramCopy::ClassOf(child) == "GKT-BRW")
                browse = child;
        ASSERT_TRUE(browse);
    }

    static HWND Child(HWND parent, const std::string& text)
    {
        for (HWND child : ProgramCopy::Children(parent))
            if (ProgramCopy::ClassOf(child) == "GKT-MDICHILD" && ProgramCopy::Text(child) == text)
                return child;
        return nullptr;
    }

    // The page the browse shows, read from the program's memory: row, column -> text.
    std::vector<std::vector<std::string>> Page()
    {
        std::vector<std::vector<std::string>> page;
        WinBrw b{};
        if (!Read(reinterpret_cast<const void*>(GetWindowLongPtrA(browse, GKT_EXTRA_RECORD)), &b, sizeof b))
            return page;
        record_ = b;
        for (int row = 0; row < b.visible_rows && row < GKT_BRW_MAX_ROWS && b.page[row]; ++row) {
            std::vector<std::string> cells;
            for (int c = 0; c < b.column_count && c < GKT_BRW_MAX_COLUMNS; ++c) {
                BrwColumn column{};
                char text[129] = {};
                if (Read(b.columns[c], &column, sizeof column) && column.buffer_size > 0)
                    Read(column.cells[row], text, std::size_t(std::min(column.buffer_size, 128)));
                cells.emplace_back(text);
            }
            page.push_back(cells);
        }
        return page;
    }
    // The row showing a code (first column), -1 when none.
    int RowOf(const std::string& code)
    {
        const auto page = Page();
        for (std::size_t row = 0; row < page.size(); ++row)
            if (!page[row].empty() && page[row][0].rfind(code, 0) == 0)
                return int(row);
        return -1;
    }
    void ClickRow(int row)
    {
        Page();
        const int x = record_.grid_left + 10, y = record_.grid_top + row * record_.row_height + 5;
        PostMessageA(browse, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(browse, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void Press(const char* button) { ProgramCopy::Click(ProgramCopy::ChildWithText(dialog, button)); }
    void Key(WPARAM key) { PostMessageA(browse, WM_KEYDOWN, key, 0); }
    // The form of that caption, shown by the program.
    HWND Form(const std::string& caption) { return copy_.WaitWindow(Captioned(caption), kLimit); }
    static HWND Edit(HWND form, int n)
    {
        int seen = 0;
        for (HWND child : ProgramCopy::Children(form))
            if (ProgramCopy::ClassOf(child) == "GKT-EDIT" && seen++ == n)
                return child;
        return nullptr;
    }
    void Quit() { PostMessageA(frame, WM_CLOSE, 0, 0); }

    HWND frame = nullptr, dialog = nullptr, browse = nullptr;

private:
    bool Read(const void* address, void* into, std::size_t size)
    {
        SIZE_T read = 0;
        return address && ReadProcessMemory(copy_.Process(), address, into, size, &read) && read == size;
    }
    ProgramCopy& copy_;
    WinBrw record_{};
};

// Every record of the nutrient table file, by code: long name (deleted records left out).
std::map<std::string, std::string> TableContents(const fs::path& file)
{
    std::map<std::string, std::string> rows;
    EXPECT_TRUE(engine::DBUSEAREA(true, "DBFCDX", file.string(), "", false, true)) << engine::LASTERROR();
    for (bool on = engine::DBGOTOP(); on && !engine::DBEOF(); engine::DBSKIP(1)) {
        const std::string code = AllTrim(engine::FIELDGET(1).Text());
        EXPECT_EQ(rows.count(code), 0u) << "a code twice: " << code;
        rows[code] = engine::FIELDGET(3).Text();
    }
    engine::DBCLOSEAREA();
    return rows;
}

TEST(AdminTwoCopies, EditsLocksAndDeletionsAreSeenByTheOtherCopy)
{
    ProgramCopy editorCopy("DBG"), readerCopy("DBG");
    editorCopy.WriteLanguage("FRA");
    readerCopy.WriteLanguage("FRA");
    // The reader's tables are the editor's files.
    for (const fs::directory_entry& entry : fs::directory_iterator(editorCopy.Dir()))
        if (entry.path().extension() == ".dbf" || entry.path().extension() == ".cdx") {
            const fs::path mine = readerCopy.Dir() / entry.path().filename();
            fs::remove(mine);
            fs::create_hard_link(entry.path(), mine);
        }
    const fs::path table = editorCopy.Dir() / "nutFRA.dbf";
    const auto before = TableContents(table);
    ASSERT_GE(before.size(), 4u);

    Admin editor(editorCopy), reader(readerCopy);
    editor.OpenNutrients();
    reader.OpenNutrients();
    if (HasFatalFailure())
        return;
    const auto page = editor.Page();
    ASSERT_GE(page.size(), 4u);
    EXPECT_EQ(reader.Page(), page) << "both copies show the same table";
    const std::string changed = AllTrim(page[1][0]), deleted = AllTrim(page[2][0]);

    // The editor opens the second record; the reader is refused it.
    editor.ClickRow(1);
    editor.Press("&Modifier");
    HWND form = editor.Form("Nutriments  -  Modification");
    ASSERT_TRUE(form);
    reader.ClickRow(1);
    reader.Press("&Modifier");
    std::optional<BoxSeen> refused = readerCopy.WaitBox(kLimit);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Fichier non disponible");

    // The editor changes its long name and commits; the reader sees it on its next move.
    HWND longName = Admin::Edit(form, 2);
    ASSERT_TRUE(longName);
    SendMessageA(longName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Nom long modifié"));
    ProgramCopy::Click(ProgramCopy::ChildWithText(form, "&Ok"));
    EXPECT_TRUE(Eventually([&] { return !IsWindow(form) || !IsWindowVisible(form); }));
    reader.Key(VK_DOWN);
    EXPECT_TRUE(Eventually([&] {
        const auto now = reader.Page();
        return now.size() > 1 && now[1].size() > 2 && now[1][2].rfind("Nom long modifi", 0) == 0;
    })) << "the committed change reaches the reader";

    // The reader, having taken in the editor's save, saves one of its own.
    const std::string second = AllTrim(page[3][0]);
    reader.ClickRow(3);
    reader.Press("&Modifier");
    HWND readerForm = reader.Form("Nutriments  -  Modification");
    ASSERT_TRUE(readerForm);
    SendMessageA(Admin::Edit(readerForm, 2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Second nom long"));
    ProgramCopy::Click(ProgramCopy::ChildWithText(readerForm, "&Ok"));
    EXPECT_TRUE(Eventually([&] { return !IsWindow(readerForm) || !IsWindowVisible(readerForm); }))
        << "the save of a copy that took in the other's";
    if (std::optional<BoxSeen> box = readerCopy.WaitBox(1s))
        ADD_FAILURE() << "the reader's save said: " << box->text;

    // The reader stands on the third record; the editor deletes it.
    reader.ClickRow(2);
    editor.ClickRow(2);
    editor.Press("&Supprimer");
    std::optional<BoxSeen> confirm = editorCopy.WaitBox(kLimit, IDYES);
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->text, "Suppression ?");
    EXPECT_TRUE(Eventually([&] { return editor.RowOf(deleted) < 0; }));
    reader.Press("&Modifier");
    std::optional<BoxSeen> gone = readerCopy.WaitBox(kLimit);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->text, "Enregistrement supprimé par un autre utilisateur");
    EXPECT_TRUE(Eventually([&] { return reader.RowOf(deleted) < 0; })) << "the reader's browse was redrawn";

    // The editor adds a record; the reader finds it after moving to the end.
    editor.Press("&Ajouter");
    HWND creation = editor.Form("Nutriments  -  Création");
    ASSERT_TRUE(creation);
    const char* fields[] = {"ZZZ", "Zz", "Nutriment ajouté", "99"};
    for (int i = 0; i < 4; ++i)
        SendMessageA(Admin::Edit(creation, i), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fields[i]));
    ProgramCopy::Click(ProgramCopy::ChildWithText(creation, "&Ok"));
    EXPECT_TRUE(Eventually([&] { return !IsWindow(creation) || !IsWindowVisible(creation); }));
    reader.Key(VK_NEXT);
    reader.Key(VK_NEXT);
    reader.Key(VK_NEXT);
    EXPECT_TRUE(Eventually([&] { return reader.RowOf("ZZZ") >= 0; })) << "the new record reaches the reader";

    editor.Quit();
    reader.Quit();
    for (ProgramCopy* copy : {&editorCopy, &readerCopy})
        if (std::optional<BoxSeen> box = copy->WaitBox(3s))
            ADD_FAILURE() << "unexpected box on quitting: " << box->caption << ": " << box->text;
    EXPECT_TRUE(editorCopy.WaitExit(kLimit));
    EXPECT_TRUE(readerCopy.WaitExit(kLimit));

    // Nothing lost, nothing twice: the table is what the editor did to it.
    const auto after = TableContents(table);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.count(deleted), 0u);
    EXPECT_EQ(after.count("ZZZ"), 1u);
    ASSERT_EQ(after.count(changed), 1u);
    EXPECT_EQ(after.at(changed).rfind("Nom long modifi", 0), 0u);
    ASSERT_EQ(after.count(second), 1u);
    EXPECT_EQ(after.at(second).rfind("Second nom long", 0), 0u);
    for (const auto& [code, name] : before) {
        if (code != deleted) {
            EXPECT_EQ(after.count(code), 1u) << code;
        }
    }
}

} // namespace
} // namespace lysora::test

namespace lysora::test {
namespace {

TEST(AdminFrame, ClosingTheFrameEndsTheProgramEvenWithAFormOpen)
{
    ProgramCopy copy("DBG");
    copy.WriteLanguage("FRA");
    Admin admin(copy);
    admin.OpenNutrients();
    if (HasFatalFailure())
        return;
    SaveScreen(copy, "admin_browse");
    admin.ClickRow(3);
    admin.Press("&Modifier");
    HWND form = admin.Form("Nutriments  -  Modification");
    ASSERT_TRUE(form) << copy.Shown();
    SaveScreen(copy, "admin_form");
    admin.Quit(); // the open form goes with the frame
    EXPECT_TRUE(copy.WaitExit(kLimit));
}

} // namespace
} // namespace lysora::test
