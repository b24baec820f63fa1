#include "services/settings.h"

#include "tests/support/program_dir_fixture.h"

#include <vector>

namespace lysora {
namespace {

using SettingsTest = test::ProgramDirFixture;

TEST_F(SettingsTest, MissingFileReadsEmptyAndWritingCreatesFileAndSection)
{
    EXPECT_EQ(GETPARAM(kParams, kKeyLangue), "");
    PUTPARAM(kParams, kKeyLangue, "FRA");
    ASSERT_TRUE(std::filesystem::exists(PathOf("Lysora.ini")));
    EXPECT_NE(test::ReadFile(PathOf("Lysora.ini")).find("[Params]"), std::string::npos);
    // Section and key names match without regard to case.
    EXPECT_EQ(GETPARAM("params", "langue"), "FRA");
    EXPECT_EQ(GETPARAM("PARAMS", "LANGUE"), "FRA");
    EXPECT_EQ(GETPARAM(kParams, kKeyMat), "");
    EXPECT_EQ(GETPARAM("Other", kKeyLangue), "");
}

TEST_F(SettingsTest, RewritingAKeyKeepsTheOtherKeysAndSections)
{
    test::WriteFile(PathOf("Lysora.ini"),
                    "[Params]\r\nlangue=ENG\r\nListeMat=1,2,3\r\n\r\n[Autre]\r\nLangue=XX\r\n");
    PUTPARAM(kParams, kKeyLangue, "FRA");
    PUTPARAM(kParams, kKeyVal, "DIG_V");
    EXPECT_EQ(GETPARAM(kParams, kKeyLangue), "FRA");
    EXPECT_EQ(GETPARAM(kParams, kKeyVal), "DIG_V");
    EXPECT_EQ(GETPARAM(kParams, kKeyListeMat), "1,2,3");
    EXPECT_EQ(GETPARAM("Autre", kKeyLangue), "XX");
    // The key is written once, not added a second time.
    std::string text = test::ReadFile(PathOf("Lysora.ini"));
    EXPECT_EQ(text.find("ENG"), std::string::npos);
}

TEST_F(SettingsTest, ValuesAreTrimmedAndCutTo511Characters)
{
    std::string longValue(600, 'x');
    longValue[510] = 'y';
    test::WriteFile(PathOf("Lysora.ini"), "[Params]\r\n  ListeNutri =  " + longValue + "\r\nMat = 12 \r\n");
    std::string read = GETPARAM(kParams, kKeyListeNutri);
    ASSERT_EQ(read.size(), 511u);
    EXPECT_EQ(read.back(), 'y');
    EXPECT_EQ(GETPARAM(kParams, kKeyMat), "12");

    // A value written longer than 511 comes back cut too.
    PUTPARAM(kParams, kKeyListeMat, std::string(700, '7'));
    EXPECT_EQ(GETPARAM(kParams, kKeyListeMat), std::string(511, '7'));
}

TEST_F(SettingsTest, DecimalSeparatorComesFromWinIniAndDefaultsToPoint)
{
    // Not named win.ini: the system maps that name's [intl] section to its own settings.
    std::string winIni = PathOf("intl-test.ini");
    SETWININI(winIni);
    EXPECT_EQ(GETDECIMALSEP(), "."); // no file
    test::WriteFile(winIni, "[intl]\r\nsDecimal=,\r\n");
    EXPECT_EQ(GETDECIMALSEP(), ",");
    test::WriteFile(winIni, "[Intl]\r\nSDECIMAL=;:\r\n");
    EXPECT_EQ(GETDECIMALSEP(), ";"); // only the first character counts
    test::WriteFile(winIni, "[intl]\r\nsDecimal=\r\n");
    EXPECT_EQ(GETDECIMALSEP(), ".");
    SETWININI("");
    EXPECT_EQ(GETDECIMALSEP().size(), 1u);
}

TEST_F(SettingsTest, ProgramDirectoryAlwaysEndsWithASeparator)
{
    std::string dir = PROGRAMDIR();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(dir.back() == '/' || dir.back() == '\\');
    SETPROGRAMDIR(dir + "sub");
    EXPECT_TRUE(PROGRAMDIR().back() == '/' || PROGRAMDIR().back() == '\\');
    SETPROGRAMDIR(dir);
    EXPECT_EQ(PROGRAMDIR(), dir);
}

// ---- The lists the settings keep, joined by ","

std::vector<std::string> AllTokens(std::string list, std::string_view separator)
{
    std::vector<std::string> tokens;
    while (!list.empty())
        tokens.push_back(NEXTTOKEN(list, separator));
    return tokens;
}

TEST(NextToken, TakesTokensUntilTheListIsEmpty)
{
    std::string list = "1,2,3";
    EXPECT_EQ(NEXTTOKEN(list, ","), "1");
    EXPECT_EQ(list, "2,3");
    EXPECT_EQ(NEXTTOKEN(list, ","), "2");
    EXPECT_EQ(NEXTTOKEN(list, ","), "3");
    EXPECT_EQ(list, "");

    list = "7";
    EXPECT_EQ(NEXTTOKEN(list, ","), "7");
    EXPECT_EQ(list, "");
    EXPECT_EQ(NEXTTOKEN(list, ","), "");
    EXPECT_EQ(list, "");
}

TEST(NextToken, EmptyFieldsAndTrailingSeparator)
{
    EXPECT_EQ(AllTokens("1,,3", ","), (std::vector<std::string>{"1", "", "3"}));
    EXPECT_EQ(AllTokens("1,2,", ","), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(AllTokens(",5", ","), (std::vector<std::string>{"", "5"}));
    EXPECT_EQ(AllTokens("a;b", ","), (std::vector<std::string>{"a;b"}));
}

} // namespace
} // namespace lysora
