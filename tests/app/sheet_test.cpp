// The feedstuff sheet on real windows, opened from the real main menu over databases written
// for each test: what the grids draw (blank, "-", the user's decimal comma), navigation by
// its buttons and by a name picked in the list, the tab pages, every way of closing it and
// the feedstuff it remembers, stale or hostile settings, an empty feedstuff table, a
// group wide enough to scroll, and the bar graphs its graph buttons preview.
//
// With LYSORA_SCREENSHOTS naming a folder, the tests that show the sheet also save it there
// as BMP pictures (sheet_<lang>_<tab>.bmp, sheet_scroll.bmp, and sheet_graph_preview.bmp of
// the shipped tables' first feedstuff).
#include "views/sheet/dlg_fichemat.h"

#include "app/dlg_menu.h"
#include "base/display_number.h"
#include "data/domain_text.h"
#include "print/preview_win32.h"
#include "services/help_win32.h"
#include "services/opendb.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tests/support/file_dialog.h"
#include "tests/support/generated_tables.h"
#include "tests/support/message_recorder.h"
#include "tests/support/user_input.h"
#include "tests/support/window_picture.h"
#include "tests/support/window_queue.h"
#include "views/chart/chart.h"
#include "views/sheet/dlg_lot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lysora {
namespace {

using testing::Pump;
namespace fs = std::filesystem;

const Symbol kAAE("AAE"), kAANE("AANE"), kAP("AP");

int __stdcall NoEngineBox(HWND, const char*, const char*, UINT) { return IDOK; }

// Records what help would show instead of showing it.
struct HelpAsked final : HelpLauncher {
    std::vector<std::string> asked;
    bool WinHelp(HWND, const std::string& hlpFile, unsigned command, unsigned long data) override
    {
        asked.push_back(fs::path(hlpFile).filename().string() + " " + std::to_string(command) + " " +
                        std::to_string(data));
        return true;
    }
    bool OpenPage(HWND, const std::string&) override { return false; }
};

// The pixels of a rectangle of a window as it shows them, 1 where dark (text or lines).
std::vector<int> Ink(HDC dc, RECT box)
{
    std::vector<int> ink;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            ink.push_back(GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128);
        }
    return ink;
}

// The ink of a text as the grid draws it in a cell: its font, black, centred on its place.
std::vector<int> ExpectedInk(const std::string& text, RECT cell, POINT at)
{
    const int w = cell.right - cell.left, h = cell.bottom - cell.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontA(14, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, 1); // transparent
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutA(dc, at.x - cell.left, at.y - cell.top, text.c_str(), int(text.size()));
    std::vector<int> ink = Ink(dc, all);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ink;
}

class SheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application()) {
            SetApplication(App_New(GetModuleHandleA(nullptr)));
            __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
        }
        static HBRUSH header = CreateSolidBrush(RGB(255, 240, 120));
        FLD_GRILLE::SetHeaderBrush(header);
        RegisterDialogClass<DLG_FICHEMAT>("DLG_FICHEMAT");
    }
    void SetUp() override
    {
        Gkt_SetMessageBox(&NoEngineBox);
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("lysora_sheet_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previousDir_ = PROGRAMDIR();
        workingDir_ = fs::current_path(); // a confirmed file dialog moves it to the file's folder
    }
    void TearDown() override
    {
        menu_.reset();
        Pump();
        WIN::ReleaseClosedWindows();
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        SetDecimalSeparator('.');
        CHOISIRLANGUE(kEnglish);
        SETPROGRAMDIR(previousDir_);
        fs::current_path(workingDir_);
        Gkt_SetMessageBox(nullptr);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
    }

    // The database written into the test's program folder and opened in that language.
    void OpenDatabase(const tables::SampleDatabase& db, std::string_view language = kFrench)
    {
        const std::string problem = testing::OpenAsProgramDatabase(db, dir_, language);
        ASSERT_EQ(problem, "") << messages_.Texts();
        std::error_code ignored;
        fs::copy_file("menu.bmp", dir_ / "menu.bmp", ignored); // beside the test program
    }
    // Nutrient N001's raw content 12.5 everywhere, opened with the French decimal comma.
    void OpenWithLysineAt12AndAHalf(tables::SampleDatabase db)
    {
        for (tables::ValueRecord& v : db.values)
            if (v.nutri == "N001")
                v.mean[tables::kTB] = 12.5;
        OpenDatabase(db);
        SetDecimalSeparator(',');
    }
    static tables::SampleDatabase Shipped()
    {
        tables::SampleDatabase db;
        const std::vector<std::string> problems = tables::LoadSources(LYSORA_TABLES_DIR, db);
        EXPECT_TRUE(problems.empty());
        return db;
    }
    void SetMat(const std::string& value) { PUTPARAM(kParams, kKeyMat, value); }
    std::string Mat() const { return GETPARAM(kParams, kKeyMat); }

    // The menu, then its feedstuff button clicked: the sheet it opened.
    DLG_FICHEMAT& OpenSheet()
    {
        if (!menu_) {
            menu_ = std::make_unique<DLG_MENU>();
            menu_->SHOW();
            Pump();
        }
        SendMessageA(menu_->CMD(cmd::FICHEMAT)->HANDLE(), BM_CLICK, 0, 0);
        Pump();
        DLG_FICHEMAT* sheet = Sheet();
        EXPECT_NE(sheet, nullptr);
        return *sheet;
    }
    // The open window of class T (the sheet, a preview), null when none is open.
    template <class T>
    static BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM out)
    {
        if (auto* window = dynamic_cast<T*>(WIN::FromHandle(hwnd)); window && IsWindow(hwnd))
            *reinterpret_cast<T**>(out) = window;
        return TRUE;
    }
    template <class T>
    static T* Open()
    {
        T* found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &FindWindowOf<T>, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static DLG_FICHEMAT* Sheet() { return Open<DLG_FICHEMAT>(); }
    static void Click(DLG& dialog, Symbol sym)
    {
        SendMessageA(dialog.FLD(sym)->HANDLE(), BM_CLICK, 0, 0);
        Pump();
    }
    // Picks the entry of that text in the name list, as the user does with the mouse.
    static void Pick(DLG_FICHEMAT& sheet, const std::string& name)
    {
        HWND list = sheet.FLD(cmd::MAT)->HANDLE();
        const LRESULT index = SendMessageA(list, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_GE(index, 0) << name;
        SendMessageA(list, CB_SETCURSEL, WPARAM(index), 0);
        SendMessageA(sheet.HANDLE(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        Pump();
    }
    // A click on the tab of that index, with the mouse.
    static void ClickTab(DLG_FICHEMAT& sheet, int index)
    {
        HWND tabs = sheet.Onglet()->HANDLE();
        RECT item{};
        SendMessageA(tabs, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tabs, WM_LBUTTONUP, 0, at);
        Pump();
    }
    static std::string ListText(DLG_FICHEMAT& sheet) { return sheet.FLD(cmd::MAT)->GETTEXT(); }
    static std::string BoxText(DLG_FICHEMAT& sheet)
    {
        char text[1024] = {};
        GetWindowTextA(sheet.DefinitionBox(), text, sizeof text);
        return text;
    }
    static std::string CellText(DLG_FICHEMAT& sheet, Symbol tab, int row, int col)
    {
        return sheet.Grid(tab)->Model().CellText(row, col, DecimalSeparator());
    }
    static void Screenshot(WIN& window, const std::string& name) { testing::SaveScreenshot(window.HANDLE(), name); }

    fs::path dir_;
    std::string previousDir_;
    fs::path workingDir_;
    std::unique_ptr<DLG_MENU> menu_;
    testing::MessageRecorder messages_;
};

// ---- What the grids draw ------------------------------------------------------------

TEST_F(SheetTest, TheGridsDrawBlankForNoValueDashForZeroAndTheUsersComma)
{
    tables::SampleDatabase db = testing::GeneratedDatabase(1, 6, 3, 5);
    db.nutrients[1].carries[tables::kDIG_A] = false;                           // N001: blank DIG_A rows
    std::erase_if(db.values, [](const tables::ValueRecord& v) { return v.nutri == "N002"; }); // N002: "-"
    OpenWithLysineAt12AndAHalf(db);
    DLG_FICHEMAT& sheet = OpenSheet();
    FLD_GRILLE& grid = *sheet.Grid(kAAE);
    UpdateWindow(grid.HANDLE());

    // Columns: N000 (permanent), N001, N002. Rows: TB, E_TB, ..., DIG_A is row 4.
    EXPECT_EQ(CellText(sheet, kAAE, 0, 1), "12,50");
    EXPECT_EQ(CellText(sheet, kAAE, 4, 1), "");
    EXPECT_EQ(CellText(sheet, kAAE, 10, 1), "3"); // the number of values
    EXPECT_EQ(CellText(sheet, kAAE, 0, 2), "-");

    // And on the screen: each cell's ink is exactly that text in the grid's font.
    const GridGeometry& g = grid.Model().Geometry();
    HDC dc = GetDC(grid.HANDLE());
    struct Case {
        int row, col;
        std::string text;
    };
    for (const Case& c : {Case{0, 1, "12,50"}, Case{4, 1, ""}, Case{5, 1, ""}, Case{0, 2, "-"}, Case{10, 2, "-"}}) {
        const RECT inside{g.X(c.col) + 1, g.Y(c.row) + 1, g.X(c.col + 1), g.Y(c.row + 1)};
        const POINT at{g.X(c.col) + g.colWidth / 2, g.Y(c.row) + g.rowHeight / 8};
        const std::vector<int> shownInk = Ink(dc, inside), wantedInk = ExpectedInk(c.text, inside, at);
        std::string dump;
        const int w = inside.right - inside.left;
        for (std::size_t k = 0; k < shownInk.size(); ++k)
            dump += std::string(shownInk[k] ? "#" : ".") + (wantedInk[k] ? "@" : " ") + ((int(k) + 1) % w ? "" : "\n");
        EXPECT_EQ(shownInk, wantedInk) << c.row << "," << c.col << " " << c.text << "\n" << dump;
    }
    // The header cells are painted in the header colour, the value cells are not.
    EXPECT_EQ(GetPixel(dc, g.X(1) + 2, 2), RGB(255, 240, 120));
    EXPECT_NE(GetPixel(dc, g.X(1) + 2, g.Y(4) + 2), RGB(255, 240, 120));
    ReleaseDC(grid.HANDLE(), dc);
}

// ---- Driven from the menu -----------------------------------------------------------

TEST_F(SheetTest, FromTheMenuItNavigatesPicksByNameAndSwitchesPages)
{
    tables::SampleDatabase db = Shipped();
    OpenDatabase(db);
    SetMat("");
    DLG_FICHEMAT& sheet = OpenSheet();
    EXPECT_FALSE(IsWindowEnabled(menu_->HANDLE())); // the menu waits while the sheet is open
    EXPECT_TRUE(IsWindowVisible(sheet.HANDLE()));

    // The names in alphabetical order, as the list offers them.
    HWND list = sheet.FLD(cmd::MAT)->HANDLE();
    const int count = int(SendMessageA(list, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(count, int(db.feedstuffs.size()));
    auto entry = [list](int i) {
        char text[256] = {};
        SendMessageA(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    EXPECT_EQ(ListText(sheet), entry(0));
    EXPECT_EQ(BoxText(sheet), sheet.DefinitionText());
    EXPECT_FALSE(BoxText(sheet).empty());

    Click(sheet, cmd::PRECEDENT); // on the first: stays
    EXPECT_EQ(ListText(sheet), entry(0));
    Click(sheet, cmd::SUIVANT);
    EXPECT_EQ(ListText(sheet), entry(1));
    Click(sheet, cmd::DERNIER);
    EXPECT_EQ(ListText(sheet), entry(count - 1));
    const std::string lastCell = CellText(sheet, kAAE, 0, 1);
    Click(sheet, cmd::SUIVANT); // on the last: stays, nothing redrawn differently
    EXPECT_EQ(ListText(sheet), entry(count - 1));
    EXPECT_EQ(CellText(sheet, kAAE, 0, 1), lastCell);
    Click(sheet, cmd::PREMIER);
    EXPECT_EQ(ListText(sheet), entry(0));

    // Picked by name: the definition and every grid follow.
    const tables::Feedstuff& soy = db.feedstuffs[5];
    Pick(sheet, soy.libelle[tables::kFra]);
    EXPECT_EQ(sheet.Current().matiere, soy.code);
    EXPECT_EQ(BoxText(sheet), soy.definition[tables::kFra]);
    for (const tables::ValueRecord& v : db.values) {
        if (v.matiere == soy.code && v.nutri == DONNEESGENERALES().ap.codes[1]) {
            EXPECT_EQ(CellText(sheet, kAP, 0, 1), DisplayNumber(Value(*v.mean[tables::kTB]), DecimalSeparator()));
        }
    }

    // Pages: one grid shown at a time; graph buttons on the two amino-acid pages only.
    auto shown = [&sheet](const char* sym) { return IsWindowVisible(sheet.FLD(Symbol(sym))->HANDLE()) != FALSE; };
    EXPECT_TRUE(shown("GRILLEAAE"));
    EXPECT_TRUE(shown("GRAPHE13COMPTB16G"));
    EXPECT_FALSE(shown("GRILLEAANE"));
    ClickTab(sheet, 1);
    EXPECT_EQ(sheet.CURRENTTAB(), kAANE);
    EXPECT_TRUE(shown("GRILLEAANE"));
    EXPECT_TRUE(shown("GRAPHE29COMPTDIG_V"));
    EXPECT_FALSE(shown("GRILLEAAE"));
    EXPECT_FALSE(shown("GRAPHE13COMPTB16G"));
    ClickTab(sheet, 2);
    EXPECT_TRUE(shown("GRILLEAP"));
    EXPECT_FALSE(shown("GRAPHE29COMPTDIG_V"));
    // A graph button's command reaches the sheet without harm.
    Click(sheet, Symbol("GRAPHE11COMPTB"));
    // All eleven rows always fit: no vertical bar on any page.
    for (Symbol tab : {kAAE, kAANE, kAP})
        EXPECT_FALSE(sheet.Grid(tab)->VSCROLLBARPRESENT());

    // The definition box is black on white; its help is the sheet's topic.
    UpdateWindow(sheet.DefinitionBox());
    HDC box = GetDC(sheet.DefinitionBox());
    EXPECT_EQ(GetPixel(box, 600, 50), RGB(255, 255, 255));
    ReleaseDC(sheet.DefinitionBox(), box);
    HelpAsked help;
    HelpLauncher* previous = SetHelpLauncher(&help);
    Click(sheet, cmd::ONHELP);
    SetHelpLauncher(previous);
    EXPECT_EQ(help.asked, std::vector<std::string>{"helpfra.hlp 1 20"});
}

TEST_F(SheetTest, EveryWayOfClosingRemembersTheFeedstuffAndReopensOnIt)
{
    OpenDatabase(testing::GeneratedDatabase(20, 8, 3, 5));
    SetMat("12");
    struct Way {
        const char* name;
        void (*close)(DLG_FICHEMAT&);
    };
    const Way ways[] = {
        {"close box", [](DLG_FICHEMAT& s) { PostMessageA(s.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", [](DLG_FICHEMAT& s) { PostMessageA(s.FLD(cmd::SUIVANT)->HANDLE(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Alt+F4",
         [](DLG_FICHEMAT& s) {
             PostMessageA(s.FLD(cmd::SUIVANT)->HANDLE(), WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
         }},
        {"its button", [](DLG_FICHEMAT& s) { SendMessageA(s.FLD(cmd::CLOSE)->HANDLE(), BM_CLICK, 0, 0); }},
    };
    int expected = 12;
    for (const Way& way : ways) {
        DLG_FICHEMAT& sheet = OpenSheet();
        EXPECT_EQ(sheet.Current().matiere, expected) << way.name; // "Mat" wins over the names' order
        Click(sheet, cmd::SUIVANT);
        expected = sheet.Current().matiere;
        way.close(sheet);
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_EQ(Sheet(), nullptr) << way.name;
        EXPECT_EQ(Mat(), std::to_string(expected)) << way.name;
        EXPECT_TRUE(IsWindowEnabled(menu_->HANDLE())) << way.name;
    }
    // The menu closed under an open sheet takes it along, and it still remembers.
    DLG_FICHEMAT& sheet = OpenSheet();
    Click(sheet, cmd::DERNIER);
    const int last = sheet.Current().matiere;
    menu_.reset();
    Pump();
    EXPECT_EQ(Sheet(), nullptr);
    EXPECT_EQ(Mat(), std::to_string(last));
}

// ---- Bad input ----------------------------------------------------------------------

TEST_F(SheetTest, StaleOrHostileSettingsOpenOnTheFirstFeedstuffSilently)
{
    tables::SampleDatabase db = testing::GeneratedDatabase(6, 4, 2, 3);
    db.feedstuffs.erase(db.feedstuffs.begin() + 3); // feedstuff 4 is gone, its values stay
    OpenDatabase(db);
    for (const char* setting : {"4", "abc", "99999999999999999999", "-1", "0", "2.5", "%s%n", "  "}) {
        SetMat(setting);
        DLG_FICHEMAT& sheet = OpenSheet();
        EXPECT_EQ(ListText(sheet), "Feedstuff 0001") << setting;
        EXPECT_EQ(BoxText(sheet), "Definition of Feedstuff 0001") << setting;
        EXPECT_EQ(CellText(sheet, kAAE, 0, 0), DisplayNumber(Value(1 + 0 + 0 + 1.0), '.')) << setting;
        sheet.CLOSE();
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_EQ(Mat(), "1") << setting; // replaced by the feedstuff shown
    }
}

TEST_F(SheetTest, AnEmptyFeedstuffTableOpensBlankAndTheButtonsDoNothing)
{
    OpenDatabase(testing::GeneratedDatabase(0, 30, 20, 25));
    SetMat("7");
    DLG_FICHEMAT& sheet = OpenSheet();
    EXPECT_EQ(ListText(sheet), "");
    EXPECT_EQ(BoxText(sheet), "");
    for (Command button : {cmd::PREMIER, cmd::SUIVANT, cmd::DERNIER, cmd::PRECEDENT, Command("GRAPHE11COMPTB"),
                           Command("GRAPHE15COMPDIG_A")})
        Click(sheet, button);
    EXPECT_EQ(Open<PREVIEW>(), nullptr); // no feedstuff, no graph
    for (Symbol tab : {kAAE, kAANE, kAP}) {
        const FLD_GRILLE& grid = *sheet.Grid(tab);
        ASSERT_EQ(grid.NB_LIGNES(), 11);
        for (int r = 0; r < 11; ++r)
            for (int c = 0; c < grid.Model().ShownCols(); ++c)
                EXPECT_EQ(CellText(sheet, tab, r, c), "") << r << "," << c;
    }
    sheet.CLOSE();
    Pump();
    EXPECT_EQ(Mat(), "7"); // nothing shown, nothing remembered
}

// ---- Outputs -----------------------------------------------------------------------

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(SheetTest, ExportsWriteWhatTheGridsShowAndAFileThatCannotBeMadeIsSaid)
{
    tables::SampleDatabase db = testing::GeneratedDatabase(2, 6, 3, 5);
    OpenWithLysineAt12AndAHalf(db);
    DLG_FICHEMAT& sheet = OpenSheet();
    Click(sheet, cmd::SUIVANT); // feedstuff 2

    sheet.EXPORTEXCEL((dir_ / "values.csv").string());
    const std::string csv = ReadAll(dir_ / "values.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "Feedstuff 0002");
    EXPECT_NE(csv.find("\r\n;N000;N001;N002;N003;N004;N005\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("Teneur brute;3;12,50;3,02;"), std::string::npos) << csv;

    sheet.EXPORTOLVAN((dir_ / "olvan.txt").string());
    const std::string olvan = ReadAll(dir_ / "olvan.txt");
    EXPECT_NE(olvan.find("\r\n01\t2\tFeedstuff 0002\r\n"), std::string::npos) << olvan;
    EXPECT_NE(olvan.find("\r\n03\t1N001\t12.50\r\n"), std::string::npos) << olvan;

    sheet.EXPORTRTF((dir_ / "values.rtf").string());
    const std::string rtf = ReadAll(dir_ / "values.rtf");
    EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
    EXPECT_NE(rtf.find("Definition of Feedstuff 0002"), std::string::npos);
    EXPECT_NE(rtf.find("12,50"), std::string::npos);
    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();

    // The printout: the amino acids on one page, the proximate analysis on the next.
    const std::shared_ptr<PL> printed = sheet.PrintedValues();
    EXPECT_TRUE(printed->SpoolOk());
    EXPECT_EQ(printed->PageCount(), 2);

    const std::string nowhere = (dir_ / "no such folder" / "x.csv").string();
    sheet.EXPORTEXCEL(nowhere);
    sheet.EXPORTOLVAN(nowhere);
    sheet.EXPORTRTF(nowhere);
    ASSERT_EQ(messages_.shown.size(), 3u) << messages_.Texts();
    for (const testing::ShownMessage& shown : messages_.shown) {
        EXPECT_EQ(shown.text.rfind("Impossible de créer le fichier", 0), 0u) << shown.text; // RTF names the file
        EXPECT_EQ(shown.caption, "Erreur");
    }
    messages_.shown.clear();
}

// A file that another program holds open without sharing (a spreadsheet showing last
// week's export) cannot be replaced: each export says so and leaves that file as it was.
TEST_F(SheetTest, AnExportOverAFileHeldByAnotherProgramIsSaidAndLeavesItAsItWas)
{
    OpenDatabase(testing::GeneratedDatabase(2, 6, 3, 5));
    DLG_FICHEMAT& sheet = OpenSheet();
    const fs::path path = dir_ / "held.csv";
    std::ofstream(path, std::ios::binary) << "last week";
    HANDLE held = CreateFileA(path.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    sheet.EXPORTEXCEL(path.string());
    sheet.EXPORTRTF(path.string());
    sheet.EXPORTOLVAN(path.string());
    CloseHandle(held);
    ASSERT_EQ(messages_.shown.size(), 3u) << messages_.Texts();
    for (const testing::ShownMessage& shown : messages_.shown)
        EXPECT_EQ(shown.text, "Impossible de créer le fichier " + path.string());
    messages_.shown.clear();
    EXPECT_EQ(ReadAll(path), "last week");
}

// The export button: the format follows the filter row chosen in the save dialog, whatever
// the name's extension; a cancelled dialog writes nothing and says nothing.
TEST_F(SheetTest, TheExportButtonWritesTheFormatOfTheChosenRowWhateverTheExtension)
{
    OpenWithLysineAt12AndAHalf(testing::GeneratedDatabase(2, 6, 3, 5));
    DLG_FICHEMAT& sheet = OpenSheet();
    const struct {
        int row;
        std::string start;
    } rows[] = {{1, "Feedstuff 0001\r\nDefinition"}, {2, "{\\rtf"}, {3, "Matieres Premieres  - OLVAN 2"}};
    for (const auto& [row, start] : rows) {
        const fs::path path = dir_ / ("row" + std::to_string(row) + ".csv");
        testing::AnswerNextFileDialog(path.string(), row);
        Click(sheet, cmd::EXPORTER);
        EXPECT_EQ(ReadAll(path).rfind(start, 0), 0u) << "row " << row << ": " << ReadAll(path).substr(0, 40);
    }
    const auto files = [this] { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); };
    const auto before = files();
    testing::AnswerNextFileDialog("");
    Click(sheet, cmd::EXPORTER);
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
}

// ---- The bar graph -------------------------------------------------------------------

// What a preview page holds, read back from its metafile records: the rectangles (the bars,
// in page coordinates with y down) and the texts written.
struct GraphPage {
    std::vector<RECT> bars;
    std::vector<std::string> texts;
};

GraphPage ReadGraphPage(PL& document, int n)
{
    constexpr std::uint16_t kRectangle = 0x041B, kExtTextOut = 0x0A32, kEnd = 0x0000;
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(document.ReadPage(n, bytes));
    GraphPage page;
    auto word = [&](std::size_t at) { return std::uint16_t(bytes[at] | bytes[at + 1] << 8); };
    auto param = [&](std::size_t record, int k) { return int(std::int16_t(word(record + 6 + 2 * std::size_t(k)))); };
    std::size_t at = 18; // after the metafile header
    while (at + 6 <= bytes.size()) {
        const std::size_t size = 2 * (std::size_t(word(at)) | std::size_t(word(at + 2)) << 16);
        const std::uint16_t function = word(at + 4);
        if (function == kEnd || size < 6 || at + size > bytes.size())
            break;
        if (function == kRectangle) {
            // Bottom, right, top, left; the page's y is the negated drawing y.
            const int y1 = -param(at, 0), y2 = -param(at, 2);
            page.bars.push_back({std::min(param(at, 3), param(at, 1)), std::min(y1, y2),
                                 std::max(param(at, 3), param(at, 1)), std::max(y1, y2)});
        } else if (function == kExtTextOut) {
            const int count = param(at, 2), options = param(at, 3);
            const std::size_t text = at + 6 + 8 + ((options & (ETO_CLIPPED | ETO_OPAQUE)) ? 8 : 0);
            if (text + std::size_t(count) <= at + size)
                page.texts.emplace_back(reinterpret_cast<const char*>(&bytes[text]), std::size_t(count));
        }
        at += size;
    }
    return page;
}

TEST_F(SheetTest, AGraphButtonPreviewsOneBarPerNutrientThatCarriesTheValueAndClosesBackToTheSheet)
{
    // Essential amino acids N000 (permanent) to N003; N004 non-essential; N005 proximate.
    tables::SampleDatabase db = testing::GeneratedDatabase(1, 6, 4, 5);
    db.nutrients[2].carries[tables::kDIG_A] = false;                                          // N002
    std::erase_if(db.values, [](const tables::ValueRecord& v) { return v.nutri == "N003"; }); // flat bar
    OpenDatabase(db, kEnglish);
    DLG_FICHEMAT& sheet = OpenSheet();

    const struct {
        const char* button;
        int tab;
        const char* title;
        std::vector<ChartBar> bars; // feedstuff 1: mean 2 + n/100 + type/4, deviation type + 0.5
    } cases[] = {
        // The raw content leaves the permanent nutrient out; a missing record is a flat bar.
        {"GRAPHE11COMPTB", 0, "Comparison of raw nutrients", {{"N001", 2.01, 0.5}, {"N002", 2.02, 0.5}, {"N003", 0, 0}}},
        // The apparent digestibility starts with it, and leaves out what does not carry it.
        {"GRAPHE15COMPDIG_A", 0, "Comparison of apparent digestibilities", {{"N000", 2.5, 2.5}, {"N001", 2.51, 2.5}, {"N003", 0, 0}}},
        // The other amino-acid page charts its own group.
        {"GRAPHE23COMPTB16G", 1, "Comparison of amino acids expressed in g/16g N", {{"N004", 2.29, 1.5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ClickTab(sheet, c.tab);
        Click(sheet, Command(c.button));
        PREVIEW* preview = Open<PREVIEW>();
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->GETTEXT(), "Histogram");
        ASSERT_EQ(preview->Document().PageCount(), 1);
        EXPECT_NE(dynamic_cast<PL2*>(&preview->Document()), nullptr); // printing draws it again

        // The plot rectangle of the sheet graph, its scale the one of these bars.
        ChartGeometry chart{200, 450, 2650, 1200, 0, 0, int(c.bars.size())};
        const ChartScale scale = CALCULERECHELLE(c.bars);
        chart.P1 = scale.P1;
        chart.P2 = scale.P2;
        EXPECT_EQ(sheet.Chart().NB, chart.NB);
        EXPECT_EQ(sheet.Chart().P1, chart.P1);
        EXPECT_EQ(sheet.Chart().P2, chart.P2);

        const GraphPage page = ReadGraphPage(preview->Document(), 1);
        ASSERT_EQ(page.bars.size(), c.bars.size());
        for (std::size_t i = 0; i < c.bars.size(); ++i) {
            const double start = chart.N2X(double(i)), slot = chart.N2X(double(i + 1)) - start;
            const RECT& bar = page.bars[i];
            EXPECT_EQ(bar.left, std::lround(start + slot / 4)) << c.bars[i].label;
            EXPECT_EQ(bar.right, std::lround(start + slot * 3 / 4)) << c.bars[i].label;
            EXPECT_EQ(bar.bottom, std::lround(chart.P2Y(chart.P1))) << c.bars[i].label;
            EXPECT_EQ(bar.top, std::lround(chart.P2Y(c.bars[i].mean))) << c.bars[i].label;
            EXPECT_NE(std::find(page.texts.begin(), page.texts.end(), c.bars[i].label), page.texts.end());
        }
        EXPECT_NE(std::find(page.texts.begin(), page.texts.end(), c.title), page.texts.end());
        EXPECT_NE(std::find(page.texts.begin(), page.texts.end(), "Feedstuff 0001"), page.texts.end());
        if (c.bars.front().label != "N000") {
            EXPECT_EQ(std::find(page.texts.begin(), page.texts.end(), "N000"), page.texts.end());
        }

        // Its close button gives the sheet back, as it was.
        SendMessageA(preview->HANDLE(), WM_COMMAND, MAKEWPARAM(GKT_PREVIEW_CLOSE, BN_CLICKED), 0);
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_EQ(Open<PREVIEW>(), nullptr);
        ASSERT_EQ(Sheet(), &sheet);
        EXPECT_TRUE(IsWindowEnabled(sheet.HANDLE()));
        EXPECT_EQ(sheet.CURRENTTAB(), c.tab == 0 ? kAAE : kAANE);
        EXPECT_EQ(ListText(sheet), "Feedstuff 0001");
    }
    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
}

// The graph's preview closes every way back to the sheet; the sheet or the menu closed under
// an open preview takes it along.
TEST_F(SheetTest, TheGraphPreviewClosesEveryWayAndGoesWithTheSheet)
{
    OpenDatabase(testing::GeneratedDatabase(3, 6, 4, 5), kEnglish);
    DLG_FICHEMAT& sheet = OpenSheet();
    struct Way {
        const char* name;
        void (*close)(PREVIEW&);
    };
    const Way ways[] = {
        {"close box", [](PREVIEW& p) { PostMessageA(p.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", [](PREVIEW& p) { PostMessageA(GetFocus() ? GetFocus() : p.HANDLE(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Alt+F4",
         [](PREVIEW& p) {
             PostMessageA(GetFocus() ? GetFocus() : p.HANDLE(), WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
         }},
    };
    for (const Way& way : ways) {
        Click(sheet, Command("GRAPHE11COMPTB"));
        PREVIEW* preview = Open<PREVIEW>();
        ASSERT_NE(preview, nullptr) << way.name;
        way.close(*preview);
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_EQ(Open<PREVIEW>(), nullptr) << way.name;
        ASSERT_EQ(Sheet(), &sheet) << way.name;
        EXPECT_TRUE(IsWindowEnabled(sheet.HANDLE())) << way.name;
    }
    // The preview is an ordinary window owned by the sheet: the sheet closed under it, or
    // the menu closed under both, takes it along.
    Click(sheet, Command("GRAPHE11COMPTB"));
    ASSERT_NE(Open<PREVIEW>(), nullptr);
    SendMessageA(sheet.FLD(cmd::CLOSE)->HANDLE(), BM_CLICK, 0, 0);
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(Open<PREVIEW>(), nullptr);
    EXPECT_EQ(Sheet(), nullptr);
    DLG_FICHEMAT& reopened = OpenSheet();
    Click(reopened, cmd::DERNIER);
    const int last = reopened.Current().matiere;
    Click(reopened, Command("GRAPHE15COMPDIG_A"));
    ASSERT_NE(Open<PREVIEW>(), nullptr);
    menu_.reset();
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(Open<PREVIEW>(), nullptr);
    EXPECT_EQ(Sheet(), nullptr);
    EXPECT_EQ(Mat(), std::to_string(last));
    // And the sheet opens again as usual.
    DLG_FICHEMAT& again = OpenSheet();
    EXPECT_EQ(again.Current().matiere, last);
    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
}

TEST_F(SheetTest, AGroupWithNothingToPlotOpensNothing)
{
    // The non-essential page holds the permanent nutrient (never charted for raw contents)
    // and N004; neither carries the apparent digestibility, N004 no raw content either.
    tables::SampleDatabase db = testing::GeneratedDatabase(1, 6, 4, 5);
    db.nutrients[4].carries[tables::kTB] = false;
    db.nutrients[4].carries[tables::kDIG_A] = false;
    db.nutrients[0].carries[tables::kDIG_A] = false;
    OpenDatabase(db, kEnglish);
    DLG_FICHEMAT& sheet = OpenSheet();
    ClickTab(sheet, 1);
    for (const char* button : {"GRAPHE21COMPTB", "GRAPHE25COMPDIG_A"}) {
        Click(sheet, Command(button));
        EXPECT_EQ(Open<PREVIEW>(), nullptr) << button;
        EXPECT_EQ(sheet.Chart().NB, 0) << button;
    }
    // Both carry the standardised digestibility: a graph of two bars.
    Click(sheet, Command("GRAPHE27COMPDIG_V"));
    PREVIEW* preview = Open<PREVIEW>();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(ReadGraphPage(preview->Document(), 1).bars.size(), 2u); // N000 and N004
    preview->CLOSE();
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_TRUE(messages_.shown.empty()) << messages_.Texts();
}

// ---- A wide group and the pictures of the sheet --------------------------------------------

TEST_F(SheetTest, AGroupOfMoreThanThirteenNutrientsScrollsSideways)
{
    OpenDatabase(testing::GeneratedDatabase(3, 40, 25, 30), kEnglish);
    DLG_FICHEMAT& sheet = OpenSheet();
    FLD_GRILLE& wide = *sheet.Grid(kAAE);
    EXPECT_EQ(wide.NB_COL(), 25);
    EXPECT_TRUE(wide.HSCROLLBARPRESENT());
    EXPECT_TRUE(IsWindowVisible(wide.SCROLLH()));
    EXPECT_FALSE(IsWindowVisible(wide.SCROLLV()));
    EXPECT_FALSE(sheet.Grid(kAANE)->HSCROLLBARPRESENT());
    // The grid stays inside its page.
    RECT grid, page;
    GetWindowRect(wide.HANDLE(), &grid);
    GetWindowRect(sheet.Onglet()->HANDLE(), &page);
    EXPECT_LE(grid.right, page.right);
    EXPECT_LE(grid.bottom, page.bottom);
    SendMessageA(wide.HANDLE(), WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), reinterpret_cast<LPARAM>(wide.SCROLLH()));
    Pump();
    EXPECT_EQ(wide.Model().FirstCol(), 5);
    Screenshot(sheet, "sheet_scroll");
}

// The user's batch by real input, in French with the decimal comma: Alt+L opens the batch
// dialog, a refused entry says why and changes nothing, a batch typed and confirmed with
// Enter adjusts the sheet and its exports and is there again on reopening, and "Table values"
// by a click gives the table's values back. Pictures: sheet_batch.bmp, batch_dialog.bmp.
TEST_F(SheetTest, ABatchTypedOnTheSheetAdjustsItsValuesUntilTheTableValuesComeBack)
{
    tables::SampleDatabase db = Shipped();
    OpenDatabase(db);
    SetDecimalSeparator(',');
    SetMat("1");
    DLG_FICHEMAT& sheet = OpenSheet();
    const std::string tableLysine = CellText(sheet, kAAE, 0, 1), tableProtein = CellText(sheet, kAAE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(sheet.BatchLine()));

    auto openBatch = [&] {
        SetForegroundWindow(sheet.HANDLE());
        test::input::Key('L', {VK_MENU});
        Pump();
        DLG_LOT* dialog = Open<DLG_LOT>();
        EXPECT_NE(dialog, nullptr);
        return dialog;
    };
    // A click in each entry, its text selected with Home and Shift+End and typed over, then
    // Enter.
    auto typeBatch = [&](std::string_view protein, std::string_view dryMatter) {
        for (const auto& [entry, text] : {std::pair{cmd::LOTPROTEINE, protein}, std::pair{cmd::LOTMS, dryMatter}}) {
            test::input::Click(Open<DLG_LOT>()->FLD(entry)->HANDLE());
            test::input::Key(VK_HOME);
            test::input::Key(VK_END, {VK_SHIFT});
            test::input::Type(std::string(text));
            Pump();
        }
        test::input::Key(VK_RETURN);
        Pump();
    };

    // Refused: the protein above the dry matter. The dialog stays, the sheet is unchanged.
    ASSERT_NE(openBatch(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(sheet.HANDLE()));
    typeBatch("90", "88");
    ASSERT_EQ(messages_.shown.size(), 1u) << messages_.Texts();
    EXPECT_NE(messages_.shown[0].text.find("inférieures à sa matière sèche"), std::string::npos);
    messages_.shown.clear();
    ASSERT_NE(Open<DLG_LOT>(), nullptr);
    typeBatch("38,5", "abc");
    ASSERT_EQ(messages_.shown.size(), 1u) << messages_.Texts();
    messages_.shown.clear();
    EXPECT_EQ(GETPARAM(kParams, "Lot1"), "");

    typeBatch("38,5", "88");
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(Open<DLG_LOT>(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(sheet.HANDLE()));
    EXPECT_TRUE(IsWindowVisible(sheet.BatchLine()));
    char line[256] = {};
    GetWindowTextA(sheet.BatchLine(), line, sizeof line);
    EXPECT_EQ(std::string(line), "Ajusté au lot : MAT 38,50 %, MS 88,00 %");
    EXPECT_EQ(CellText(sheet, kAAE, 0, 0), DisplayNumber(Value(38.5), ',')); // the batch's protein
    const double lysine16g = sheet.Grid(kAAE)->LIGNES().Array()[2].Array()[2].Number();
    EXPECT_DOUBLE_EQ(sheet.Grid(kAAE)->LIGNES().Array()[0].Array()[2].Number(),
                     std::round(lysine16g * 38.5) / 100);
    EXPECT_EQ(CellText(sheet, kAAE, 1, 1), ""); // no deviation for a computed content
    EXPECT_EQ(GETPARAM(kParams, "Lot1"), "38.50;88.00");
    Screenshot(sheet, "sheet_batch");

    // The exports state the batch in their title line and carry the adjusted values.
    sheet.EXPORTEXCEL((dir_ / "values.csv").string());
    EXPECT_EQ(ReadAll(dir_ / "values.csv").rfind("Blé tendre - Ajusté au lot : MAT 38,50 %, MS 88,00 %\r\n", 0), 0u);
    sheet.EXPORTOLVAN((dir_ / "olvan.txt").string());
    const std::string olvan = ReadAll(dir_ / "olvan.txt");
    EXPECT_EQ(olvan.substr(0, olvan.find("\r\n")),
              "Matieres Premieres  - OLVAN 2 - (c) OLVAN-FORMULATION - Ajusté au lot : MAT 38,50 %, MS 88,00 %");
    EXPECT_NE(olvan.find("\r\n03\t1CP\t38.50\r\n"), std::string::npos) << olvan;

    // Reopened, the sheet shows the batch again; "Table values" by a click removes it.
    SendMessageA(sheet.HANDLE(), WM_CLOSE, 0, 0);
    Pump();
    WIN::ReleaseClosedWindows();
    DLG_FICHEMAT& reopened = OpenSheet();
    EXPECT_TRUE(IsWindowVisible(reopened.BatchLine()));
    EXPECT_NE(CellText(reopened, kAAE, 0, 1), tableLysine);
    SetForegroundWindow(reopened.HANDLE());
    test::input::Key('L', {VK_MENU});
    Pump();
    DLG_LOT* dialog = Open<DLG_LOT>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->FLD(cmd::LOTPROTEINE)->GETTEXT(), "38,50");
    Screenshot(*dialog, "batch_dialog");
    test::input::Click(dialog->FLD(cmd::VALEURSTABLE)->HANDLE());
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(Open<DLG_LOT>(), nullptr);
    EXPECT_FALSE(IsWindowVisible(reopened.BatchLine()));
    EXPECT_EQ(CellText(reopened, kAAE, 0, 1), tableLysine);
    EXPECT_EQ(CellText(reopened, kAAE, 0, 0), tableProtein);
    EXPECT_EQ(GETPARAM(kParams, "Lot1"), "");
}

TEST_F(SheetTest, PicturesOfEachPageInBothLanguages)
{
    for (std::string_view language : {kFrench, kEnglish}) {
        OpenDatabase(Shipped(), language);
        SetDecimalSeparator(language == kFrench ? ',' : '.'); // as a French system has it
        SetMat("");
        DLG_FICHEMAT& sheet = OpenSheet();
        const std::string lang = language == kFrench ? "fr" : "en";
        for (int page = 0; page < 3; ++page) {
            ClickTab(sheet, page);
            EXPECT_TRUE(IsWindowVisible(sheet.Grid(sheet.Onglet()->ASYM()[std::size_t(page)])->HANDLE()));
            Screenshot(sheet, "sheet_" + lang + "_" + LowerCase(sheet.CURRENTTAB().Name()));
        }
        if (language == kEnglish) {
            // The apparent digestibilities of the essential amino acids, previewed with the
            // program's own button texts.
            PreviewCaptionSource() = [] {
                return PreviewCaptions{LIB(Symbol("IMPRESSION")), LIB(Symbol("ZOOM")), UNAMP(LIB(Symbol("FERMER")))};
            };
            ClickTab(sheet, 0);
            Click(sheet, Command("GRAPHE15COMPDIG_A"));
            PREVIEW* preview = Open<PREVIEW>();
            ASSERT_NE(preview, nullptr);
            EXPECT_EQ(ReadGraphPage(preview->Document(), 1).bars.size(), std::size_t(sheet.Chart().NB));
            EXPECT_GT(sheet.Chart().NB, 5);
            Screenshot(*preview, "sheet_graph_preview");
            preview->CLOSE();
            Pump();
            WIN::ReleaseClosedWindows();
            PreviewCaptionSource() = nullptr;
        }
        // The caption is the sheet's title without its "&".
        EXPECT_EQ(sheet.GETTEXT(), language == kFrench ? "Fiches matières premières" : "Feedstuffs");
        menu_.reset();
        Pump();
        WIN::ReleaseClosedWindows();
        BASEPROGRAMME()->CLOSE();
    }
}

} // namespace
} // namespace lysora
