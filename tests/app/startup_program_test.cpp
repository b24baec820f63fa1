// The program as a whole, from the outside: copies of Lysora.exe with their tables and
// pictures started under different settings and folders, their intro, menu and messages
// read from their windows. Every box is answered and every process ends within its limit.
#include "services/reftables.h"
#include "services/strings.h"
#include "program_runner.h"
#include "tools/maketables/table_sources.h"
#include "tools/maketables/table_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lysora::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kLimit = 20s;
// The intro closes by itself after ten seconds; the menu follows soon after.
constexpr auto kTimerLimit = 25s;

bool IsIntro(HWND hwnd) { return ProgramCopy::ClassOf(hwnd) == "GKT-DLG" && ProgramCopy::Text(hwnd) == "Lysora"; }
bool IsMenu(HWND hwnd)
{
    return ProgramCopy::ClassOf(hwnd) == "GKT-DLG" && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

bool HasText(HWND parent, const std::string& text) { return ProgramCopy::ChildWithText(parent, text) != nullptr; }

tables::SampleDatabase SampleData()
{
    tables::SampleDatabase db;
    EXPECT_TRUE(tables::LoadSources(LYSORA_TABLES_DIR, db).empty());
    return db;
}

// The menu shows the software title and its captions in the language.
void ExpectMenuIn(HWND menu, tables::Language language)
{
    ASSERT_TRUE(menu);
    const bool french = language == tables::kFra;
    EXPECT_EQ(ProgramCopy::Text(menu), SampleData().general.titre[language]);
    for (const char* caption : french ? std::vector<const char*>{"Mode d'&emploi", "&Fiches matières premières",
                                                                 "A&vertissement", "&Quitter"}
                                      : std::vector<const char*>{"&Help", "&Feedstuffs", "&Legal notice", "&Quit"})
        EXPECT_TRUE(HasText(menu, caption)) << caption;
}

// The text of the window that has the focus in the program, once it has settled on the
// expected one (or after a second).
std::string FocusedText(const ProgramCopy& copy, const std::string& expected)
{
    std::string text;
    for (int i = 0; i < 20 && text != expected; ++i, Sleep(50))
        text = ProgramCopy::Text(copy.Focus());
    return text;
}

class StartupProgram : public ::testing::Test {
protected:
    // Starts the copy and answers its intro with the button of that caption; the menu.
    HWND MenuAfterClicking(ProgramCopy& copy, const std::string& caption, const std::string& focused = {})
    {
        EXPECT_TRUE(copy.Start());
        HWND intro = copy.WaitWindow(IsIntro, kLimit);
        EXPECT_TRUE(intro);
        if (!intro)
            return nullptr;
        if (!focused.empty()) {
            EXPECT_EQ(FocusedText(copy, focused), focused);
        }
        HWND button = ProgramCopy::ChildWithText(intro, caption);
        EXPECT_TRUE(button) << caption;
        if (!button)
            return nullptr;
        ProgramCopy::Click(button);
        return copy.WaitWindow(IsMenu, kLimit);
    }

    // Closes the menu as its quit button does and expects a clean end.
    void Quit(ProgramCopy& copy, HWND menu)
    {
        PostMessageA(menu, WM_CLOSE, 0, 0);
        EXPECT_EQ(copy.WaitExit(kLimit), std::optional<DWORD>(0));
        EXPECT_TRUE(copy.BoxesClosedMeanwhile().empty());
    }

    // Starts the copy, chooses English, and expects the messages in order, then the end of
    // the program without its menu.
    void ExpectFailure(ProgramCopy& copy, const std::vector<std::string>& texts)
    {
        ASSERT_TRUE(copy.Start());
        HWND intro = copy.WaitWindow(IsIntro, kLimit);
        ASSERT_TRUE(intro);
        ProgramCopy::Click(ProgramCopy::ChildWithText(intro, "&English"));
        for (const std::string& text : texts) {
            std::optional<BoxSeen> box = copy.WaitBox(kLimit);
            ASSERT_TRUE(box) << "no box for: " << text;
            EXPECT_EQ(box->text, text);
        }
        EXPECT_EQ(copy.WaitExit(kLimit), std::optional<DWORD>(0));
        EXPECT_FALSE(copy.WaitBox(0ms)) << "a further message";
        EXPECT_TRUE(std::none_of(copy.Windows().begin(), copy.Windows().end(), IsMenu));
    }
};

TEST_F(StartupProgram, WithoutSettingsTheIntroIsEnglishAndFocusesEnglish)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND intro = copy.WaitWindow(IsIntro, kLimit);
    ASSERT_TRUE(intro);
    EXPECT_TRUE(copy.BoxesClosedMeanwhile().empty());
    EXPECT_FALSE(GetWindowLongA(intro, GWL_STYLE) & WS_CAPTION) << "the intro has no caption bar";
    RECT frame;
    GetWindowRect(intro, &frame);
    EXPECT_EQ(frame.right - frame.left, 538);
    EXPECT_EQ(frame.bottom - frame.top, 323);
    EXPECT_EQ(FocusedText(copy, "&English"), "&English");

    // English is already the language: the settings file is not created.
    ProgramCopy::Click(ProgramCopy::ChildWithText(intro, "&English"));
    HWND menu = copy.WaitWindow(IsMenu, kLimit);
    ExpectMenuIn(menu, tables::kEng);
    EXPECT_EQ(FocusedText(copy, "&Quit"), "&Quit");
    EXPECT_FALSE(copy.SettingsBytes());
    GetWindowRect(menu, &frame);
    EXPECT_EQ(frame.right - frame.left, 538);
    EXPECT_EQ(frame.bottom - frame.top, 342);

    auto item = [menu](const char* text) {
        for (HWND child : ProgramCopy::Children(menu))
            if (ProgramCopy::ClassOf(child) == "GKT-BUTTON" && ProgramCopy::Text(child) == text)
                return child;
        return HWND(nullptr);
    };
    // The feedstuff sheet opens over the menu, which waits until it is closed; closing it
    // remembers its feedstuff.
    ASSERT_TRUE(item("&Feedstuffs"));
    ProgramCopy::Click(item("&Feedstuffs"));
    HWND sheet = copy.WaitWindow([](HWND hwnd) { return ProgramCopy::Text(hwnd) == "Feedstuffs"; }, kLimit);
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(IsWindowEnabled(menu));
    PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (auto end = std::chrono::steady_clock::now() + kLimit; IsWindow(sheet) && std::chrono::steady_clock::now() < end;)
        Sleep(50);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_NE(copy.SettingsBytes().value_or("").find("Mat="), std::string::npos);
    EXPECT_FALSE(copy.WaitBox(std::chrono::milliseconds(300)));
    EXPECT_EQ(copy.Windows(), std::vector<HWND>{menu});

    // The comparison opens its selection, which blocks the menu until it closes.
    ASSERT_TRUE(item("&Comparison of feedstuffs"));
    ProgramCopy::Click(item("&Comparison of feedstuffs"));
    HWND selection = copy.WaitWindow(
        [](HWND hwnd) { return ProgramCopy::Text(hwnd) == "Choice of feedstuffs and nutrients to compare"; }, kLimit);
    ASSERT_TRUE(selection);
    EXPECT_FALSE(IsWindowEnabled(menu));
    PostMessageA(selection, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(selection); ++i)
        Sleep(20);
    EXPECT_FALSE(IsWindow(selection));
    EXPECT_TRUE(IsWindowEnabled(menu));
    EXPECT_FALSE(copy.WaitBox(std::chrono::milliseconds(300)));
    EXPECT_EQ(copy.Windows(), std::vector<HWND>{menu});
    Quit(copy, menu);
}

TEST_F(StartupProgram, LowerCaseFraIsFrenchAndItsButtonLeavesTheSettingsUntouched)
{
    ProgramCopy copy;
    copy.WriteLanguage("fra");
    const std::optional<std::string> before = copy.SettingsBytes();
    HWND menu = MenuAfterClicking(copy, "&Francais", "&Francais");
    ExpectMenuIn(menu, tables::kFra);
    EXPECT_EQ(copy.SettingsBytes(), before);
    Quit(copy, menu);
}

TEST_F(StartupProgram, ChoosingTheOtherLanguageWritesItAndTheMenuFollows)
{
    ProgramCopy copy;
    copy.WriteLanguage("ENG");
    HWND menu = MenuAfterClicking(copy, "&Francais", "&English");
    ExpectMenuIn(menu, tables::kFra);
    EXPECT_EQ(copy.ReadLanguage(), "FRA");
    Quit(copy, menu);

    // The next start is French at once; English chosen again.
    HWND again = MenuAfterClicking(copy, "&English", "&Francais");
    ExpectMenuIn(again, tables::kEng);
    EXPECT_EQ(copy.ReadLanguage(), "ENG");
    Quit(copy, again);
}

TEST_F(StartupProgram, TheIntroClosesByItselfLikeTheCurrentLanguageButton)
{
    ProgramCopy copy;
    copy.WriteLanguage("FRA");
    const std::optional<std::string> before = copy.SettingsBytes();
    ASSERT_TRUE(copy.Start());
    ASSERT_TRUE(copy.WaitWindow(IsIntro, kLimit));
    HWND menu = copy.WaitWindow(IsMenu, kTimerLimit);
    ExpectMenuIn(menu, tables::kFra);
    EXPECT_TRUE(std::none_of(copy.Windows().begin(), copy.Windows().end(), IsIntro));
    EXPECT_EQ(copy.SettingsBytes(), before);
    Quit(copy, menu);
}

TEST_F(StartupProgram, AnInvalidLanguageIsReportedAndNoWindowOpens)
{
    ProgramCopy copy;
    copy.WriteLanguage("DE");
    ASSERT_TRUE(copy.Start());
    std::optional<BoxSeen> box = copy.WaitBox(kLimit);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "DE is not a valid language");
    EXPECT_EQ(box->caption, "Error");
    EXPECT_EQ(copy.WaitExit(kLimit), std::optional<DWORD>(0));
    EXPECT_FALSE(copy.ShowedAWindow());
}

TEST_F(StartupProgram, AMissingTableEndsTheProgramAfterItsMessages)
{
    ProgramCopy copy;
    std::filesystem::remove(copy.PathOf("valeurs.dbf"));
    ExpectFailure(copy, {"Fichier non trouvé", "Fichiers non disponibles"});
}

// The general table written from the sample data, changed by the test first.
void WriteGeneral(ProgramCopy& copy, const std::function<void(tables::General&)>& change)
{
    tables::SampleDatabase db = SampleData();
    change(db.general);
    ASSERT_EQ(tables::WriteSampleDatabase(db, copy.Dir().string()), std::vector<std::string>{});
}

TEST_F(StartupProgram, EachIncompleteGeneralTableHasItsMessage)
{
    struct Case {
        std::function<void(ProgramCopy&)> prepare;
        std::string message;
    };
    const Case cases[] = {
        {[](ProgramCopy& copy) {
             std::string error;
             ASSERT_TRUE(tables::CreateTable(DBF_GENERAL(), copy.Dir().string(), error)) << error;
         },
         "Table générale non renseignée; utilisez l'outil d'administration"},
        {[](ProgramCopy& copy) { WriteGeneral(copy, [](tables::General& g) { g.nutri.clear(); }); },
         "Nutriment global non renseigné; utilisez l'outil d'administration"},
        {[](ProgramCopy& copy) { WriteGeneral(copy, [](tables::General& g) { g.ordre1 = 0; }); },
         "Ordre1 non renseigné; utilisez l'outil d'administration"},
        {[](ProgramCopy& copy) { WriteGeneral(copy, [](tables::General& g) { g.ordre2 = 0; }); },
         "Ordre2 non renseigné; utilisez l'outil d'administration"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ProgramCopy copy;
        c.prepare(copy);
        ExpectFailure(copy, {c.message});
    }
}

} // namespace
} // namespace lysora::test
