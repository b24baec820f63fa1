// The administration frame in-process: its menu bar outside a debug copy, and the rules by
// which a browse class chosen from it is created once, re-shown after it was closed,
// brought forward when open, and refused (with a beep) while one of its forms is open.
#include "app/admin.h"
#include "tests/support/message_recorder.h"
#include "tests/support/window_queue.h"

#include <gtest/gtest.h>

namespace lysora::testing {
namespace {

// A browse class stand-in: an MDI child dialog of the frame.
class DLGBRW_TESTE : public DLG {
public:
    DLGBRW_TESTE() : DLG(MainWindow(), GKT_MDICHILD, "Essai") { ++made; }
    static inline int made = 0;
};

class AdminFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        app = App_New(GetModuleHandleA(nullptr));
        SetApplication(app);
        RegisterDialogClass<DLGBRW_TESTE>("DLGBRW_TESTE");
    }
    static void TearDownTestSuite()
    {
        GLOBAL_RELEASE();
        SetApplication(nullptr);
        App_Delete(app);
    }
    void SetUp() override
    {
        frame = std::make_unique<MAINWINDOW>();
        SetMainWindow(frame.get());
        frame->SHOW(SW_SHOWMAXIMIZED);
        Pump();
    }
    void TearDown() override
    {
        GLOBAL_RELEASE();
        frame.reset();
        // The frame's end posted the quit message: taken here, it does not end the tests.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    HWND Active() const
    {
        return reinterpret_cast<HWND>(SendMessageA(frame->Record()->mdi_client, WM_MDIGETACTIVE, 0, 0));
    }

    static inline App* app = nullptr;
    MessageRecorder messages;
    std::unique_ptr<MAINWINDOW> frame;
    const Symbol teste{"DLGBRW_TESTE"};
};

TEST_F(AdminFrame, OutsideADebugCopyTheMenuBarOffersOnlyQuit)
{
    HMENU bar = GetMenu(frame->HANDLE());
    ASSERT_TRUE(bar);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    char text[32] = {};
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Quitter");
    EXPECT_TRUE(IsZoomed(frame->HANDLE()));
}

TEST_F(AdminFrame, ABrowseClassIsMadeOnceReShownAndBroughtForward)
{
    const int before = DLGBRW_TESTE::made;
    frame->ONCMD(Symbol("NOT_A_CLASS"));
    EXPECT_EQ(GLOBAL_OBJECT(Symbol("NOT_A_CLASS")), nullptr);

    frame->ONCMD(teste);
    WIN* object = GLOBAL_OBJECT(teste);
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Exists());
    EXPECT_EQ(GetParent(object->HANDLE()), frame->Record()->mdi_client) << "an MDI child of the frame";

    // Another child comes forward; choosing the class again brings its window back.
    auto other = std::make_unique<DLG>(frame.get(), GKT_MDICHILD, "Autre");
    other->SHOW();
    Pump();
    EXPECT_EQ(Active(), other->HANDLE());
    HWND first = object->HANDLE();
    frame->ONCMD(teste);
    Pump();
    EXPECT_EQ(Active(), first);
    EXPECT_EQ(object->HANDLE(), first) << "the same window";

    // Closed, then chosen again: the same object with a new window.
    object->CLOSE();
    Pump();
    EXPECT_FALSE(object->Exists());
    frame->ONCMD(teste);
    Pump();
    EXPECT_EQ(GLOBAL_OBJECT(teste), object);
    EXPECT_TRUE(object->Exists());
    EXPECT_EQ(DLGBRW_TESTE::made, before + 1);

    // Busy with a form (disabled): nothing happens but a beep.
    EnableWindow(object->HANDLE(), FALSE);
    Pump();
    frame->ONCMD(teste);
    Pump();
    EXPECT_TRUE(object->Exists());
    EXPECT_FALSE(IsWindowEnabled(object->HANDLE()));
    EXPECT_EQ(DLGBRW_TESTE::made, before + 1);
    EnableWindow(object->HANDLE(), TRUE);
}

TEST_F(AdminFrame, ClosingTheFrameClosesTheWindowGivenWithIt)
{
    DLG menu(nullptr, GKT_DIALOG, "Menu");
    menu.CENTER(200, 100);
    menu.SHOW();
    auto own = std::make_unique<MAINWINDOW>(&menu);
    own->SHOW();
    Pump();
    own->CLOSE();
    Pump();
    EXPECT_FALSE(own->Exists());
    EXPECT_FALSE(menu.Exists()) << "nothing is left open behind the frame";
}

} // namespace
} // namespace lysora::testing
