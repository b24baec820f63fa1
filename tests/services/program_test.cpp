// The program-wide values start-up sets: colours by screen depth, the debug-copy test on the
// executable's path, and the number, date, directory and separator settings of the run.
#include "services/colours.h"
#include "services/settings.h"

#include "data/domain_text.h"
#include "services/program_dir.h"
#include "tests/support/program_dir_fixture.h"

namespace lysora {
namespace {

TEST(StartColours, ChosenByScreenDepth)
{
    const StartColours eight = ColoursForDepth(8);
    EXPECT_EQ(eight.accent, (Rgb{255, 190, 0}));
    EXPECT_TRUE(eight.accentPaletteRelative);
    EXPECT_EQ(eight.header, (Rgb{255, 255, 128}));

    const StartColours sixteen = ColoursForDepth(16);
    EXPECT_EQ(sixteen.accent, (Rgb{255, 192, 0}));
    EXPECT_FALSE(sixteen.accentPaletteRelative);
    EXPECT_EQ(sixteen.header, (Rgb{255, 240, 120}));

    for (int bits : {24, 32, 4, 0}) {
        const StartColours other = ColoursForDepth(bits);
        EXPECT_EQ(other.accent, (Rgb{255, 184, 0})) << bits;
        EXPECT_FALSE(other.accentPaletteRelative) << bits;
        EXPECT_EQ(other.header, (Rgb{255, 240, 120})) << bits;
    }
}

TEST(DebugCopy, OnlyUpperCaseDBGAnywhereInThePath)
{
    EXPECT_TRUE(IsDebugPath("C:\\Programmes\\DBG\\Lysora.exe"));
    EXPECT_TRUE(IsDebugPath("C:\\LysoraDBG.exe"));
    EXPECT_TRUE(IsDebugPath("D:\\aDBGb\\x\\Lysora.exe"));
    EXPECT_FALSE(IsDebugPath("C:\\Programmes\\dbg\\Lysora.exe"));
    EXPECT_FALSE(IsDebugPath("C:\\Programmes\\Dbg\\Lysora.exe"));
    EXPECT_FALSE(IsDebugPath("C:\\D\\B\\G\\Lysora.exe"));
    EXPECT_FALSE(IsDebugPath(""));
}

TEST(DebugCopy, TheExecutablePathIsTheRunningProgramsOwn)
{
    const std::string path = ExecutablePath();
    const std::string directory = ExecutableDirectory();
    ASSERT_FALSE(directory.empty());
    ASSERT_GT(path.size(), directory.size());
    EXPECT_EQ(path.substr(0, directory.size()), directory);
    EXPECT_NE(path.find("startup_test"), std::string::npos) << path;
}

class RunSettingsTest : public test::ProgramDirFixture {
protected:
    void TearDown() override
    {
        SETWININI("");
        SetDecimalSeparator('.');
        SetDateEpoch(1900);
        test::ProgramDirFixture::TearDown();
    }
};

TEST_F(RunSettingsTest, StartSetsEpochDirectorySeparatorAndTheLongField)
{
    const std::string winIni = PathOf("intl-test.ini");
    test::WriteFile(winIni, "[intl]\r\nsDecimal=,\r\n");
    SETWININI(winIni);
    INITREGLAGES();

    EXPECT_EQ(PROGRAMDIR(), ExecutableDirectory());
    EXPECT_EQ(DecimalSeparator(), ',');
    EXPECT_EQ(SYMLONG(), Symbol("LONG"));
    EXPECT_EQ(SYMLONG().Name(), "LONG");

    // Two-digit years fall in 1970-2069.
    int year = 0, month = 0, day = 0;
    CToD("31/12/69").ToYmd(year, month, day);
    EXPECT_EQ(year, 2069);
    CToD("01/01/70").ToYmd(year, month, day);
    EXPECT_EQ(year, 1970);

    // Numbers are written with "." whatever the user's separator.
    EXPECT_EQ(Str(12.5, 6, 2), " 12.50");
    EXPECT_EQ(ValTyped("2,5"), 2.5);
    EXPECT_EQ(Val("2.5"), 2.5);
}

TEST_F(RunSettingsTest, WithoutASystemSeparatorNumbersKeepTheDot)
{
    SETWININI(PathOf("missing.ini"));
    INITREGLAGES();
    EXPECT_EQ(DecimalSeparator(), '.');
}

} // namespace
} // namespace lysora
