// The one help call on Windows: WinHelp when it can show the topic, else the topic's page in
// the browser, else a message naming the page; and the main menu's five help actions and
// its help button, clicked on the real dialog, each opening its own page. A recording
// launcher stands in for the viewer and the browser.
#include "app/dlg_menu.h"
#include "services/help.h"
#include "services/help_win32.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

struct RecordingLauncher final : HelpLauncher {
    bool winHelpShows = false, browserOpens = true;
    std::vector<std::string> winHelpCalls, pagesOpened;
    HWND lastOwner = nullptr;

    RecordingLauncher() : previous_(SetHelpLauncher(this)) {}
    ~RecordingLauncher() override { SetHelpLauncher(previous_); }
    bool WinHelp(HWND owner, const std::string& file, unsigned command, unsigned long data) override
    {
        lastOwner = owner;
        winHelpCalls.push_back(file + " " + std::to_string(command) + " " + std::to_string(data));
        return winHelpShows;
    }
    bool OpenPage(HWND owner, const std::string& page) override
    {
        lastOwner = owner;
        pagesOpened.push_back(page);
        return browserOpens;
    }

private:
    HelpLauncher* previous_;
};

class HelpLaunch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application()) {
            SetApplication(App_New(GetModuleHandleA(nullptr)));
            __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr)); // the menu's button pictures
        }
    }
    void SetUp() override
    {
        SETPROGRAMDIR("C:\\Lysora\\");
        ASSERT_TRUE(CHOISIRLANGUE(kEnglish));
    }
    void TearDown() override { CHOISIRLANGUE(kEnglish); }

    RecordingLauncher launcher;
    testing::MessageRecorder messages;
};

TEST_F(HelpLaunch, WinHelpShowsTheTopicWhenItCan)
{
    launcher.winHelpShows = true;
    ShowHelp(nullptr, "C:\\Lysora\\helpeng.hlp", kHelpContext, 20);
    EXPECT_EQ(launcher.winHelpCalls, std::vector<std::string>{"C:\\Lysora\\helpeng.hlp 1 20"});
    EXPECT_TRUE(launcher.pagesOpened.empty());
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(HelpLaunch, OtherwiseThePageOfTheSameTopicOpensInTheBrowser)
{
    ShowHelp(nullptr, "C:\\Lysora\\cptsfra.hlp", kHelpContext, 15);
    EXPECT_EQ(launcher.winHelpCalls, std::vector<std::string>{"C:\\Lysora\\cptsfra.hlp 1 15"});
    EXPECT_EQ(launcher.pagesOpened, std::vector<std::string>{"C:\\Lysora\\help\\fra\\legal.html"});
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(HelpLaunch, WhenNeitherWorksAMessageNamesThePageInTheLanguage)
{
    launcher.browserOpens = false;
    ShowHelp(nullptr, "C:\\Lysora\\helpeng.hlp", kHelpContents, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].text, "The help cannot be opened; the page looked for is:\nC:\\Lysora\\help\\eng\\index.html");
    EXPECT_EQ(messages.shown[0].style, unsigned(kMbIconStop));

    ASSERT_TRUE(CHOISIRLANGUE(kFrench));
    ShowHelp(nullptr, "C:\\Lysora\\helpfra.hlp", kHelpContents, 0);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].caption, "Erreur");
    EXPECT_NE(messages.shown[1].text.find("C:\\Lysora\\help\\fra\\index.html"), std::string::npos);
}

TEST_F(HelpLaunch, AFileThatIsNoHelpOfTheProgramIsNamedWithoutTryingTheBrowser)
{
    ShowHelp(nullptr, "C:\\Lysora\\other.hlp", kHelpContents, 0);
    EXPECT_TRUE(launcher.pagesOpened.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("C:\\Lysora\\other.hlp"), std::string::npos);
}

TEST_F(HelpLaunch, TheSystemLauncherReportsAMissingPageInsteadOfOpeningNothing)
{
    // The real launcher: no .hlp file and no page exist in this folder.
    HelpLauncher* recording = SetHelpLauncher(nullptr);
    const std::string dir = "C:\\lysora-help-test-missing\\";
    ShowHelp(nullptr, dir + "helpeng.hlp", kHelpContext, 10);
    SetHelpLauncher(recording);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(dir + "help\\eng\\menu.html"), std::string::npos);
}

// Clicks the menu's button of command sym: the command message its button sends.
void Click(DLG_MENU& menu, const char* sym)
{
    WIN* button = menu.FLD(Symbol(sym));
    ASSERT_TRUE(button && button->HANDLE()) << sym;
    SendMessageA(menu.HANDLE(), WM_COMMAND, MAKEWPARAM(Symbol(sym).Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button->HANDLE()));
}

TEST_F(HelpLaunch, EachMenuActionAndTheHelpButtonOpenTheirPage)
{
    for (std::string_view language : {kEnglish, kFrench}) {
        ASSERT_TRUE(CHOISIRLANGUE(language));
        const std::string folder = "C:\\Lysora\\help\\" + std::string(language == kFrench ? "fra" : "eng") + "\\";
        launcher.pagesOpened.clear();
        {
            DLG_MENU menu;
            menu.SHOW();
            for (const char* sym : {"MODEEMPLOI", "CONCEPTMETHODOLOGIE", "IMPTABLE", "AUTEURS", "AVERTISSEMENT", "ONHELP"})
                Click(menu, sym);
            EXPECT_EQ(launcher.lastOwner, menu.HANDLE());
        }
        EXPECT_EQ(launcher.pagesOpened,
                  (std::vector<std::string>{folder + "index.html", folder + "concepts.html", folder + "table.html",
                                            folder + "authors.html", folder + "legal.html", folder + "menu.html"}));
    }
    // The pictures of the menu are not in this test's folder: only their messages may show.
    for (const testing::ShownMessage& shown : messages.shown)
        EXPECT_EQ(shown.text.find("help"), std::string::npos) << shown.text;
}

} // namespace
} // namespace lysora
