// The comparison histogram under Wine, on the shipped tables: the nutrient choice and every
// way of leaving it, the chart drawn into a one-page preview (bars and whiskers found by
// their pixels), printing from the preview drawing the chart again, and the cases where
// there is nothing to chart.
#include "views/chart/dlg_nutriselect.h"

#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "services/opendb.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "tests/framework/gui_fixture.h"
#include "tests/support/program_dir_fixture.h"
#include "views/chart/histogram.h"

#include <filesystem>

namespace lysora {
namespace {

namespace fs = std::filesystem;

const Symbol kTB("TB");
const std::vector<std::string> kCodes{"LYS", "MET", "THR"};
const std::vector<std::string> kCourts{"Lys", "Met", "Thr"};
const std::vector<std::string> kFeedstuffs{"1", "2", "3", "4", "5"};

// The window callback of FindWindowObject (a plain function: 32-bit callbacks are stdcall).
template <class T>
BOOL CALLBACK TakeWindowObject(HWND hwnd, LPARAM out)
{
    if (auto* object = dynamic_cast<T*>(WIN::FromHandle(hwnd)); object && IsWindow(hwnd)) {
        *reinterpret_cast<T**>(out) = object;
        return FALSE;
    }
    return TRUE;
}

// The first window of this thread whose object is a T; null when none.
template <class T>
T* FindWindowObject()
{
    T* found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeWindowObject<T>, reinterpret_cast<LPARAM>(&found));
    return found;
}

class HistogramTest : public testing::GuiTest {
protected:
    void SetUp() override
    {
        testing::GuiTest::SetUp();
        dir_ = fs::temp_directory_path() / ("lysora_histo_" + std::string(::testing::UnitTest::GetInstance()
                                                                            ->current_test_info()
                                                                            ->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const fs::directory_entry& entry : fs::directory_iterator(fs::current_path())) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".dbf" || ext == ".cdx")
                fs::copy_file(entry.path(), dir_ / entry.path().filename());
        }
        previousDir_ = PROGRAMDIR();
        SETPROGRAMDIR(dir_.string());
        // The buttons' faces are bitmaps of this program's resources.
        static const int registered = __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
        (void)registered;
        CHOISIRLANGUE(kEnglish);
        ASSERT_TRUE(OPENDB(false)) << ::testing::PrintToString(Texts());
        PreviewCaptionSource() = [] {
            return PreviewCaptions{LIB(Symbol("IMPRESSION")), LIB(Symbol("ZOOM")), UNAMP(LIB(Symbol("FERMER")))};
        };
        owner_ = std::make_unique<DLG>(nullptr, GKT_DIALOG, "Comparison table");
        owner_->CENTER(400, 300);
        owner_->SHOW();
        Pump();
    }
    void TearDown() override
    {
        if (PREVIEW* preview = FindWindowObject<PREVIEW>())
            preview->CLOSE();
        if (auto* dialog = FindWindowObject<DLG_NUTRISELECT>())
            dialog->CLOSE();
        Pump();
        WIN::ReleaseClosedWindows();
        owner_.reset();
        Pump();
        WIN::ReleaseClosedWindows();
        PreviewCaptionSource() = nullptr;
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        SETPROGRAMDIR(previousDir_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        testing::GuiTest::TearDown();
    }

    DLG_NUTRISELECT* Open(Symbol type = kTB, std::vector<std::string> feedstuffs = kFeedstuffs)
    {
        OUVRIRHISTOGRAMME(owner_.get(), type, kCodes, kCourts, feedstuffs);
        Pump();
        return FindWindowObject<DLG_NUTRISELECT>();
    }
    static void Command(HWND window, Symbol sym)
    {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(sym.Id(), BN_CLICKED), 0);
        Pump();
    }
    static COLORREF Pixel(HWND window, int x, int y)
    {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }
    bool OwnerEnabled() const { return IsWindowEnabled(owner_->HANDLE()) != FALSE; }

    std::unique_ptr<DLG> owner_;
    fs::path dir_;
    std::string previousDir_;
};

TEST_F(HistogramTest, DialogOffersTheNutrientsAndBlocksTheComparison)
{
    DLG_NUTRISELECT* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GETTEXT(), "Histogram");
    EXPECT_EQ(dialog->FLDGET(Symbol("NUTRI")).Text(), "LYS");
    EXPECT_FALSE(OwnerEnabled());
    HWND list = testing::ElementWindow(*dialog, "NUTRI");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 3);
    // The coloured band over the white one (a true-colour screen), right of the controls.
    EXPECT_EQ(Pixel(dialog->HANDLE(), 232, 5), RGB(255, 184, 0));
    EXPECT_EQ(Pixel(dialog->HANDLE(), 232, 45), RGB(255, 184, 0));
    EXPECT_EQ(Pixel(dialog->HANDLE(), 232, 56), RGB(255, 255, 255));
    EXPECT_TRUE(boxes.shown.empty()) << ::testing::PrintToString(Texts());
}

TEST_F(HistogramTest, AnEmptyChoiceFallsBackOnTheFirstNutrient)
{
    DLG_NUTRISELECT* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND list = testing::ElementWindow(*dialog, "NUTRI");
    SendMessageA(list, CB_SETCURSEL, 2, 0);
    SendMessageA(dialog->HANDLE(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), LPARAM(list));
    Pump();
    EXPECT_EQ(dialog->FLDGET(Symbol("NUTRI")).Text(), "THR");
    SendMessageA(list, CB_SETCURSEL, WPARAM(-1), 0);
    SendMessageA(dialog->HANDLE(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), LPARAM(list));
    Pump();
    EXPECT_EQ(dialog->FLDGET(Symbol("NUTRI")).Text(), "LYS");
    // The dialog's own drawing keeps its geometry for the sheet's and its own use.
    dialog->IMPRIMERGRAPHE();
    Pump();
    EXPECT_EQ(dialog->Chart().NB, 5);
    EXPECT_GT(dialog->Chart().P2, dialog->Chart().P1);
    EXPECT_DOUBLE_EQ(dialog->N2X(5), 2850);
    EXPECT_DOUBLE_EQ(dialog->P2Y(dialog->Chart().P1), 1600);
    EXPECT_NE(FindWindowObject<PREVIEW>(), nullptr);
}

TEST_F(HistogramTest, EveryWayOfLeavingGivesTheComparisonBackAndDrawsNothing)
{
    const auto closers = {
        +[](DLG_NUTRISELECT& d) { Command(d.HANDLE(), cmd::CLOSE.Sym()); },
        +[](DLG_NUTRISELECT& d) { PostMessageA(d.HANDLE(), WM_SYSCOMMAND, SC_CLOSE, 0); }, // the close box
        +[](DLG_NUTRISELECT& d) {
            PostMessageA(testing::ElementWindow(d, "NUTRI"), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        // Alt+F4 on a button (on the drop-down list, F4 opens the list).
        +[](DLG_NUTRISELECT& d) {
            PostMessageA(testing::ElementWindow(d, "OK"), WM_SYSKEYDOWN, VK_F4, LPARAM(KF_ALTDOWN) << 16);
        },
    };
    int round = 0;
    for (auto close : closers) {
        DLG_NUTRISELECT* dialog = Open();
        ASSERT_NE(dialog, nullptr) << round;
        HWND hwnd = dialog->HANDLE();
        close(*dialog);
        Pump();
        WIN::ReleaseClosedWindows();
        EXPECT_FALSE(IsWindow(hwnd)) << "closer " << round;
        EXPECT_TRUE(OwnerEnabled()) << "closer " << round;
        EXPECT_EQ(FindWindowObject<PREVIEW>(), nullptr) << "closer " << round;
        ++round;
    }
    EXPECT_TRUE(boxes.shown.empty()) << ::testing::PrintToString(Texts());
}

TEST_F(HistogramTest, OwnerDestroyedWhileTheDialogIsOpenTakesItAlong)
{
    DLG_NUTRISELECT* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND hwnd = dialog->HANDLE();
    owner_.reset();
    Pump();
    WIN::ReleaseClosedWindows();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(FindWindowObject<DLG_NUTRISELECT>(), nullptr);
}

TEST_F(HistogramTest, OkDrawsTheChartInAOnePagePreview)
{
    DLG_NUTRISELECT* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    dialog->FLDSET(Symbol("NUTRI"), "THR");
    Command(dialog->HANDLE(), cmd::OK.Sym());
    WIN::ReleaseClosedWindows();
    EXPECT_EQ(FindWindowObject<DLG_NUTRISELECT>(), nullptr);
    EXPECT_TRUE(OwnerEnabled());
    PREVIEW* preview = FindWindowObject<PREVIEW>();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(boxes.shown.empty()) << ::testing::PrintToString(Texts());
    HWND window = preview->HANDLE();
    EXPECT_EQ(preview->GETTEXT(), "Histogram"); // the document's title
    EXPECT_EQ(preview->Document().PageCount(), 1);
    EXPECT_NE(dynamic_cast<PL2*>(&preview->Document()), nullptr);
    // F1 in the preview: it has no help page, and stays open.
    SendMessageA(window, WM_KEYDOWN, VK_F1, 0);
    HELPINFO help{};
    help.cbSize = sizeof help;
    SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(boxes.shown.empty()) << ::testing::PrintToString(Texts());

    // One page: no page buttons, the others from the left, in the program's language.
    for (int id = 101; id <= 104; ++id)
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, id))) << id;
    const struct {
        int id, x, y, w, h;
        const char* text;
    } placed[] = {{105, 0, 0, 80, 22, "Print"}, {198, 80, 0, 80, 22, "Zoom"}, {199, 80, 23, 80, 82, nullptr},
                  {200, 160, 0, 80, 22, "Close"}};
    for (const auto& control : placed) {
        HWND child = GetDlgItem(window, control.id);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, control.x) << control.id;
        EXPECT_EQ(r.top, control.y) << control.id;
        EXPECT_EQ(r.right - r.left, control.w) << control.id;
        EXPECT_EQ(r.bottom - r.top, control.h) << control.id;
        if (control.text) {
            char text[32] = "";
            GetWindowTextA(child, text, sizeof text);
            EXPECT_STREQ(text, control.text);
        }
    }

    // The bars by their pixels: the header colour inside each bar, the white page between.
    const HistogramPage page = ReadHistogram(kTB, "THR", kFeedstuffs);
    ChartGeometry chart = kHistogramGeometry;
    chart.NB = int(page.bars.size());
    const ChartScale scale = CALCULERECHELLE(page.bars);
    chart.P1 = scale.P1;
    chart.P2 = scale.P2;
    RECT client;
    GetClientRect(window, &client);
    const double pixels = double(client.right - GetSystemMetrics(SM_CXVSCROLL) - 10) / 2970;
    auto at = [&](double x, double y) { return Pixel(window, 5 + int(x * pixels), 27 + int(y * pixels)); };
    for (int i = 1; i <= chart.NB; ++i) {
        const ChartBar& bar = page.bars[std::size_t(i - 1)];
        ASSERT_GT(bar.mean, chart.P1) << bar.label;
        const double base = chart.P2Y(chart.P1), top = chart.P2Y(bar.mean);
        // Left of the whisker, halfway up the bar.
        EXPECT_EQ(at(chart.N2X(i - 0.6), (base + top) / 2), RGB(255, 240, 120)) << bar.label;
        EXPECT_EQ(at(chart.N2X(i - 0.95), (base + top) / 2), RGB(255, 255, 255)) << bar.label;
    }
}

TEST_F(HistogramTest, PrintingFromThePreviewDrawsTheChartAgainForThePrinter)
{
    // A layout that redraws: the preview's print button reaches the redraw, which gets the
    // preview as the owner of what it prints, and not the print program.
    std::vector<WIN*> redrawnFor;
    auto pl = std::make_shared<PL2>(owner_.get(), "Chart", true, NewMetafileDrawer(), [&](PL2& shown) {
        redrawnFor.push_back(shown.PREVIEW_DLG);
        return true;
    });
    pl->OUT(Row{CELL(100, 10, std::string("Page"))});
    pl->CLOSE();
    PREVIEW* preview = OpenPreview(pl);
    Pump();
    SendMessageA(preview->HANDLE(), WM_COMMAND, MAKEWPARAM(105, BN_CLICKED), 0);
    Pump();
    ASSERT_EQ(redrawnFor.size(), 1u);
    EXPECT_EQ(redrawnFor[0], preview);
    EXPECT_TRUE(boxes.shown.empty()) << ::testing::PrintToString(Texts());
}

TEST_F(HistogramTest, NothingToChartOpensNothing)
{
    OUVRIRHISTOGRAMME(owner_.get(), kTB, {}, {}, kFeedstuffs);
    OUVRIRHISTOGRAMME(owner_.get(), kTB, kCodes, kCourts, {});
    Pump();
    EXPECT_EQ(FindWindowObject<DLG_NUTRISELECT>(), nullptr);
    EXPECT_TRUE(OwnerEnabled());
    EXPECT_FALSE(IMPRIMERGRAPHE(owner_.get(), {kTB, "LYS", {}}).has_value());
    EXPECT_EQ(FindWindowObject<PREVIEW>(), nullptr);
}

TEST_F(HistogramTest, UnknownFeedstuffsAndValuesGiveFlatBarsWithTheirLabels)
{
    // Feedstuff 9999 does not exist, "x" is no code: both are charted flat, without label.
    const HistogramPage page = ReadHistogram(kTB, "LYS", {"1", "9999", "x"});
    ASSERT_EQ(page.bars.size(), 3u);
    EXPECT_FALSE(page.bars[0].label.empty());
    EXPECT_GT(page.bars[0].mean, 0);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(page.bars[i].label, "");
        EXPECT_EQ(page.bars[i].mean, 0);
        EXPECT_EQ(page.bars[i].sd, 0);
    }
    EXPECT_EQ(page.title, "Comparison of raw nutrients");
    EXPECT_EQ(page.nutrient, "Lysine");
    const std::optional<ChartGeometry> chart = IMPRIMERGRAPHE(owner_.get(), {kTB, "LYS", {"1", "9999", "x"}});
    ASSERT_TRUE(chart.has_value());
    EXPECT_EQ(chart->NB, 3);
    EXPECT_NE(FindWindowObject<PREVIEW>(), nullptr);
}

TEST_F(HistogramTest, OnlyTheFirstThirtyFeedstuffsAreCharted)
{
    std::vector<std::string> keys;
    for (int i = 1; i <= 45; ++i)
        keys.push_back(std::to_string(i));
    const HistogramPage page = ReadHistogram(kTB, "LYS", keys);
    ASSERT_EQ(page.bars.size(), 30u);
    const HistogramPage first = ReadHistogram(kTB, "LYS", {"30"});
    EXPECT_EQ(page.bars.back().label, first.bars.front().label);
}

} // namespace
} // namespace lysora
