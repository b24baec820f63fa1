// The preview: the library's preview window (zoom, scrolling, keys, paper sizes) with the
// preview dialog that plays the spooled pages in it (page choice, caption, unreadable
// pages), every way of closing it, and the print launch when PrintRun cannot be started.
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "tests/framework/gui_fixture.h"
#include "tests/print/sample_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace lysora {
namespace {

constexpr COLORREF kDarkGrey = RGB(0x40, 0x40, 0x40);

// A document of n pages, each with a box.
std::shared_ptr<PL> Document(int pages, WIN* owner = nullptr, bool landscape = false)
{
    auto pl = std::make_shared<PL>(owner, "Doc", landscape, NewMetafileDrawer());
    for (int i = 1; i <= pages; ++i) {
        pl->OUT(Row{CELL(100, 20, "Page " + std::to_string(i), "C", 5)});
        pl->FORMFEED();
    }
    return pl;
}

class PreviewTest : public testing::GuiTest {
protected:
    void TearDown() override
    {
        if (preview_ && preview_->Exists())
            preview_->CLOSE();
        preview_ = nullptr;
        testing::GuiTest::TearDown();
    }
    PREVIEW* Open(std::shared_ptr<PL> pl)
    {
        preview_ = OpenPreview(std::move(pl));
        Pump();
        return preview_;
    }
    WinPreview* Record() const { return reinterpret_cast<WinPreview*>(preview_->Record()); }
    HWND Window() const { return preview_->HANDLE(); }
    void Command(int id)
    {
        SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Pump();
    }
    COLORREF Pixel(int x, int y)
    {
        RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        HDC dc = GetDC(Window());
        COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(Window(), dc);
        return colour;
    }
    // The x of the page's right edge at 100 %: the page width fills the view.
    int SheetRight() const
    {
        RECT client;
        GetClientRect(Window(), &client);
        return 5 + client.right - Record()->vscroll_width - 10;
    }

    PREVIEW* preview_ = nullptr;
};

TEST_F(PreviewTest, NewPreviewShowsPageOneAtHundredPercentFittedToTheWidth)
{
    Open(Document(3));
    EXPECT_EQ(preview_->GETTEXT(), "Doc  -  Page: 1/3");
    EXPECT_TRUE(IsZoomed(Window()));
    EXPECT_EQ(Record()->zoom_index, 3);
    EXPECT_EQ(Record()->page_width, 2100);
    EXPECT_EQ(Record()->page_height, 2970);
    HWND list = Record()->zoom_list;
    char text[32] = "";
    SendMessageA(list, LB_GETTEXT, SendMessageA(list, LB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "100 %");
    EXPECT_FALSE(IsWindowVisible(list));
    const int right = SheetRight();
    EXPECT_EQ(Pixel(right - 3, 40), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(right + 3, 40), kDarkGrey);
    EXPECT_EQ(Pixel(2, 40), kDarkGrey);
    EXPECT_NE(preview_->MF, nullptr);
}

TEST_F(PreviewTest, PageButtonsMoveWithinTheDocument)
{
    Open(Document(3));
    Command(GKT_PREVIEW_NEXT);
    EXPECT_EQ(preview_->GETTEXT(), "Doc  -  Page: 2/3");
    Command(GKT_PREVIEW_LAST);
    Command(GKT_PREVIEW_NEXT);
    EXPECT_EQ(preview_->PAGE, 3);
    Command(GKT_PREVIEW_FIRST);
    Command(GKT_PREVIEW_PREVIOUS);
    EXPECT_EQ(preview_->PAGE, 1);
    EXPECT_EQ(preview_->GETTEXT(), "Doc  -  Page: 1/3");
}

TEST_F(PreviewTest, OnePageDocumentIgnoresPreviousAndNext)
{
    Open(Document(1));
    Command(GKT_PREVIEW_NEXT);
    Command(GKT_PREVIEW_PREVIOUS);
    EXPECT_EQ(preview_->PAGE, 1);
    EXPECT_EQ(preview_->GETTEXT(), "Doc"); // no page to number
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

TEST_F(PreviewTest, FourHundredPercentShowsAQuarterOfThePageWidth)
{
    Open(Document(1));
    HWND list = Record()->zoom_list;
    Command(198);
    EXPECT_TRUE(IsWindowVisible(list));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(199, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Pump();
    EXPECT_EQ(Record()->zoom_index, 0);
    EXPECT_FALSE(IsWindowVisible(list));
    // The sheet now runs past the view's right edge: no dark margin there.
    EXPECT_EQ(Pixel(SheetRight() + 3, 40), RGB(255, 255, 255));
    int low = -1, high = -1;
    GetScrollRange(Record()->hscroll, SB_CTL, &low, &high);
    EXPECT_EQ(high, 2100);
    GetScrollRange(Record()->vscroll, SB_CTL, &low, &high);
    EXPECT_EQ(high, 2970);
}

TEST_F(PreviewTest, PageDownScrollsOneViewHeightAndStopsAtTheBottom)
{
    Open(Document(1));
    RECT client;
    GetClientRect(Window(), &client);
    const int viewHeight = client.bottom - Record()->hscroll_height - 22;
    const double unitsPerPixel = 2100.0 / (client.right - Record()->vscroll_width - 10);
    SendMessageA(Window(), WM_KEYDOWN, VK_NEXT, 0);
    Pump();
    EXPECT_EQ(Record()->v_pos, int(viewHeight * unitsPerPixel));
    EXPECT_EQ(GetScrollPos(Record()->vscroll, SB_CTL), Record()->v_pos);
    for (int i = 0; i < 20; ++i)
        SendMessageA(Window(), WM_KEYDOWN, VK_NEXT, 0);
    Pump();
    EXPECT_EQ(Record()->v_pos, 2970);
    SendMessageA(Window(), WM_KEYDOWN, VK_RIGHT, 0);
    Pump();
    EXPECT_GT(Record()->h_pos, 0);
    SendMessageA(Window(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Record()->v_pos, 0);
}

TEST_F(PreviewTest, LandscapePaperFitsItsWidthToTheView)
{
    Open(Document(1, nullptr, true));
    EXPECT_EQ(Record()->page_width, 2970);
    EXPECT_EQ(Record()->page_height, 2100);
    EXPECT_EQ(Record()->landscape, 1);
    EXPECT_EQ(Pixel(SheetRight() - 3, 40), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(SheetRight() + 3, 40), kDarkGrey);
}

TEST_F(PreviewTest, EveryWayOfClosingReleasesThePreviewAndItsPage)
{
    const auto closers = {
        +[](HWND w) { SendMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0); },
        +[](HWND w) { SendMessageA(w, WM_COMMAND, MAKEWPARAM(GKT_PREVIEW_CLOSE, BN_CLICKED), 0); },
        +[](HWND w) { SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, // Alt+F4, the close box
        +[](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); },
    };
    int round = 0;
    for (auto close : closers) {
        std::shared_ptr<PL> pl = Document(2);
        Open(pl);
        HWND hwnd = Window();
        close(hwnd);
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_FALSE(IsWindow(hwnd)) << "closer " << round;
        EXPECT_EQ(pl->PREVIEW_DLG, nullptr) << "closer " << round;
        EXPECT_EQ(pl.use_count(), 1) << "closer " << round; // the dialog is gone
        preview_ = nullptr;
        ++round;
    }
}

TEST_F(PreviewTest, DestroyingTheOwnerTakesThePreviewWithIt)
{
    auto owner = std::make_unique<DLG>(nullptr, GKT_DIALOG, "Owner");
    owner->SHOW();
    std::shared_ptr<PL> pl = Document(1, owner.get());
    Open(pl);
    HWND hwnd = Window();
    owner.reset();
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(pl.use_count(), 1);
    preview_ = nullptr;
}

TEST_F(PreviewTest, UnreadablePageIsReportedAndStaysBlank)
{
    std::shared_ptr<PL> pl = Document(2);
    Open(pl);
    // Page 2 is cut short behind the document's back.
    std::fflush(pl->FILE);
    std::filesystem::resize_file(pl->FILENAME, pl->FILEPOS[1] + 10);
    Command(GKT_PREVIEW_NEXT);
    EXPECT_EQ(preview_->PAGE, 2);
    EXPECT_EQ(preview_->MF, nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Erreur lecture fichier"});
    EXPECT_EQ(Pixel(SheetRight() / 2, 60), RGB(255, 255, 255)); // a blank sheet, painted
}

// PrintRun.exe is moved away for the test's time and put back whatever happens.
class HiddenPrintRun {
public:
    HiddenPrintRun() { std::filesystem::rename("PrintRun.exe", "PrintRun.exe.hidden", error_); }
    ~HiddenPrintRun()
    {
        std::error_code ignored;
        if (!error_)
            std::filesystem::rename("PrintRun.exe.hidden", "PrintRun.exe", ignored);
    }
    bool Ok() const { return !error_; }

private:
    std::error_code error_;
};

TEST_F(PreviewTest, MissingPrintRunIsReportedAndTheMainWindowIsUsableAgain)
{
    DLG main(nullptr, GKT_DIALOG, "Main");
    main.SHOW();
    SetMainWindow(&main);
    std::shared_ptr<PL> pl = Document(1, &main);
    const std::string spool = pl->FILENAME;
    {
        HiddenPrintRun hidden;
        ASSERT_TRUE(hidden.Ok()) << "PrintRun.exe is not beside the test";
        EXPECT_FALSE(PRINT(*pl, main.HANDLE()));
    }
    SetMainWindow(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text,
              "Impossible de lancer PrintRun.exe; vérifier qu'il soit présent dans le répertoire de l'application");
    EXPECT_EQ(boxes.shown[0].caption, "Erreur");
    EXPECT_EQ(boxes.shown[0].style, 0x2010u);
    EXPECT_TRUE(IsWindowEnabled(main.HANDLE()));
    EXPECT_EQ(GetFocus(), main.HANDLE());
    pl.reset();
    EXPECT_FALSE(std::filesystem::exists(spool)); // the spool file goes with its document
}

TEST_F(PreviewTest, ComparisonTablePrintOpensThePreviewOfItsPages)
{
    DLG owner(nullptr, GKT_DIALOG, "Comparison");
    owner.SHOW();
    IMPRIMERVALEURS(&owner, testing::SampleTable(40, 25), true);
    Pump();
    auto* shown = dynamic_cast<PREVIEW*>(WIN::FromHandle(GetActiveWindow()));
    ASSERT_NE(shown, nullptr);
    preview_ = shown;
    // 25 nutrients: a block of 19 columns and one of 6, 40 lines each, over landscape pages.
    EXPECT_EQ(preview_->GETTEXT(), "  -  Page: 1/" + std::to_string(preview_->Document().PageCount()));
    EXPECT_GE(preview_->Document().PageCount(), 3);
    EXPECT_TRUE(preview_->Document().LANDSCAPE);
    EXPECT_EQ(preview_->Document().OWNER, &owner);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

} // namespace
} // namespace lysora
