// The picture field on real windows: sized to its picture (and its sunken border), resource
// and file names resolved as the program names them, the picture painted with its colours,
// a double click reaching the dialog as the field's command, and a failed load leaving an
// empty field.
#include "views/picture/fld_bitmap.h"

#include "framework/dlg.h"
#include "tests/support/message_recorder.h"
#include "tests/support/window_queue.h"
#include "tests/views/picture/bmp_test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lysora {
namespace {

namespace fs = std::filesystem;
using bmp::testing::BmpSpec;

// A dialog that remembers the commands reaching ONCMD.
class RecordingDialog : public DLG {
public:
    RecordingDialog() : DLG(nullptr, GKT_DIALOG, "picture field") { CENTER(400, 300); }
    void ONCMD(Symbol sym) override { commands.push_back(sym); }
    std::vector<Symbol> commands;
};

using testing::Pump;
using testing::WindowSize;

// An 8-bit picture of width x height: the left half red, the right half blue.
BmpSpec TwoColours(int width, int height)
{
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colours = {0xFF0000, 0x0000FF};
    const std::uint32_t row = bmp::testing::RowBytes(width, 8);
    spec.pixels.assign(std::size_t(row) * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            spec.pixels[std::size_t(y) * row + std::size_t(x)] = 1;
    return spec;
}

class PictureFieldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application()) {
            SetApplication(App_New(GetModuleHandleA(nullptr)));
            __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
        }
    }
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("lysora_picture_" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override
    {
        dialog_.reset();
        Pump();
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // The dialog shown with one picture field, made by the domain for the name given.
    FLD_BITMAP& Show(const std::string& name, bool relief = false)
    {
        dialog_ = std::make_unique<RecordingDialog>();
        auto field = DOM_BITMAP(name).CONTROL(dialog_.get());
        field->RELIEF(relief);
        FLD_BITMAP& shown = *field;
        dialog_->XFLDMIN(0).XY(10, 20).FLD(Symbol("IMAGE"), std::move(field));
        dialog_->SHOW();
        Pump();
        return shown;
    }

    void Write(const std::string& file, const BmpSpec& spec)
    {
        bmp::testing::WriteFile((dir_ / file).string(), bmp::testing::MakeBmp(spec));
    }

    fs::path dir_, previous_;
    std::unique_ptr<RecordingDialog> dialog_;
    testing::MessageRecorder messages_;
};

TEST_F(PictureFieldTest, TheWindowFitsThePictureAndItsSunkenBorder)
{
    Write("wide.bmp", TwoColours(200, 100));
    FLD_BITMAP& plain = Show("wide.bmp");
    EXPECT_EQ(plain.L(), 200);
    EXPECT_EQ(plain.H(), 100);
    EXPECT_EQ(WindowSize(plain.HANDLE()).cx, 200);
    EXPECT_EQ(WindowSize(plain.HANDLE()).cy, 100);

    FLD_BITMAP& framed = Show("wide.bmp", true);
    EXPECT_EQ(WindowSize(framed.HANDLE()).cx, 204);
    EXPECT_EQ(WindowSize(framed.HANDLE()).cy, 104);
    EXPECT_TRUE(GetWindowLongA(framed.HANDLE(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // At the pen, and still there after the dialog is resized.
    dialog_->MOVE(WIN::kKeep, WIN::kKeep, 500, 350);
    Pump();
    RECT place;
    GetWindowRect(framed.HANDLE(), &place);
    MapWindowPoints(nullptr, dialog_->HANDLE(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 20);
    EXPECT_EQ(place.right - place.left, 204);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PictureFieldTest, ThePictureIsPaintedWithItsColours)
{
    Write("colours.bmp", TwoColours(200, 100));
    FLD_BITMAP& field = Show("colours.bmp", true);
    UpdateWindow(field.HANDLE());
    HDC dc = GetDC(field.HANDLE());
    const COLORREF left = GetPixel(dc, 10, 50);
    const COLORREF right = GetPixel(dc, 190, 50);
    ReleaseDC(field.HANDLE(), dc);
    EXPECT_EQ(left, RGB(255, 0, 0));
    EXPECT_EQ(right, RGB(0, 0, 255));
}

TEST_F(PictureFieldTest, NamesAreResourcesFilesInTheWorkingDirectoryOrPaths)
{
    // No dot: a bitmap resource of the program.
    BITMAP resource{};
    HBITMAP menu = LoadBitmapA(GetModuleHandleA(nullptr), "MENU");
    ASSERT_TRUE(menu);
    GetObjectA(menu, sizeof resource, &resource);
    DeleteObject(menu);
    FLD_BITMAP& fromResource = Show("Menu");
    EXPECT_EQ(fromResource.L(), resource.bmWidth);
    EXPECT_EQ(fromResource.H(), resource.bmHeight);

    // A dot: a file of the working directory, or the path as given when it holds a "\".
    fs::create_directories(dir_ / "sub");
    Write("sub\\inner.bmp", TwoColours(30, 20));
    Write("here.bmp", TwoColours(40, 10));
    EXPECT_EQ(Show("here.bmp").L(), 40);
    EXPECT_EQ(Show((dir_ / "sub" / "inner.bmp").string()).L(), 30);
    EXPECT_TRUE(messages_.shown.empty());

    // The working directory, not the program's.
    FLD_BITMAP& missing = Show("inner.bmp");
    EXPECT_EQ(missing.L(), 0);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Impossible d'ouvrir le fichier " + (dir_ / "inner.bmp").string());
    EXPECT_EQ(messages_.shown[0].caption, "Erreur");
}

TEST_F(PictureFieldTest, AFailedPictureLeavesAnEmptyFieldAndAnotherReplacesIt)
{
    FLD_BITMAP& field = Show("NOSUCHPICTURE", true);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Impossible de charger la ressource NOSUCHPICTURE");
    EXPECT_EQ(field.L(), 0);
    EXPECT_EQ(field.H(), 0);
    EXPECT_EQ(WindowSize(field.HANDLE()).cx, 0) << "no border around nothing";

    BmpSpec deep;
    deep.width = 20;
    deep.height = 10;
    deep.bitCount = 24;
    Write("deep.bmp", deep);
    field.SET(Value("deep.bmp"));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text, (dir_ / "deep.bmp").string() + " a 24 bits par pixel (non supporté)");

    Write("small.bmp", TwoColours(50, 30));
    field.SET(Value("small.bmp"));
    EXPECT_EQ(WindowSize(field.HANDLE()).cx, 54);
    EXPECT_EQ(WindowSize(field.HANDLE()).cy, 34);
    EXPECT_EQ(field.GET(), Value("small.bmp"));
    EXPECT_TRUE(field.VALIDATE().empty());

    field.SET(Value(""));
    EXPECT_EQ(field.L(), 0);
    EXPECT_EQ(WindowSize(field.HANDLE()).cy, 0);
    EXPECT_EQ(messages_.shown.size(), 2u);
}

TEST_F(PictureFieldTest, ADoubleClickIsTheFieldsCommandInItsDialog)
{
    Write("click.bmp", TwoColours(60, 40));
    FLD_BITMAP& field = Show("click.bmp");
    EXPECT_TRUE(GetClassLongA(field.HANDLE(), GCL_STYLE) & CS_DBLCLKS);
    // The mouse reaches the picture (a plain label would let it through to the dialog).
    POINT inside{30, 20};
    ClientToScreen(field.HANDLE(), &inside);
    EXPECT_EQ(SendMessageA(field.HANDLE(), WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCLIENT);

    SendMessageA(field.HANDLE(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 20));
    ASSERT_EQ(dialog_->commands.size(), 1u);
    EXPECT_EQ(dialog_->commands[0], Symbol("IMAGE"));
    // A single click is no command; nor is a text set on the picture.
    SendMessageA(field.HANDLE(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20));
    SendMessageA(field.HANDLE(), WM_LBUTTONUP, 0, MAKELPARAM(30, 20));
    field.SETTEXT("text");
    Pump();
    EXPECT_EQ(dialog_->commands.size(), 1u);
    EXPECT_EQ(WindowSize(field.HANDLE()).cx, 60);
}

} // namespace
} // namespace lysora
