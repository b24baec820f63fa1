// The shared set-up of the framework's window tests (see gui_fixture.h).
#include "gui_fixture.h"

namespace lysora::testing {
namespace {

BoxRecorder* gRecorder = nullptr;

int __stdcall RecordEngineBox(HWND, const char* text, const char* caption, UINT style)
{
    return gRecorder ? gRecorder->Show(text ? text : "", caption ? caption : "", style) : IDOK;
}

// One application object for the whole test program, as a program has.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        app_ = App_New(GetModuleHandleA(nullptr));
        ASSERT_NE(app_, nullptr);
        SetApplication(app_);
    }
    void TearDown() override
    {
        WIN::ReleaseClosedWindows();
        SetApplication(nullptr);
        App_Delete(app_);
    }

private:
    App* app_ = nullptr;
};

const auto* gEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

void GuiTest::SetUp()
{
    gRecorder = &boxes;
    SetMessages(&boxes);
    Gkt_SetMessageBox(&RecordEngineBox);
}

void GuiTest::TearDown()
{
    Pump();
    WIN::ReleaseClosedWindows();
    Gkt_SetMessageBox(nullptr);
    SetMessages(nullptr);
    gRecorder = nullptr;
}

void GuiTest::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void GuiTest::PumpFor(int ms)
{
    DWORD end = GetTickCount() + DWORD(ms);
    while (GetTickCount() < end) {
        Pump();
        Sleep(5);
    }
    Pump();
}

std::vector<std::string> GuiTest::Texts() const
{
    std::vector<std::string> texts;
    for (const Box& box : boxes.shown)
        texts.push_back(box.text);
    return texts;
}

HWND ElementWindow(const DLG& dialog, const char* sym)
{
    WIN* element = dialog.FLD(Symbol(sym));
    return element ? element->HANDLE() : nullptr;
}

} // namespace lysora::testing
