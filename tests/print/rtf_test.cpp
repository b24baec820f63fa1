// The RTF writer: document head, rows, units, page breaks where the printed layout breaks,
// texts, and file failures.
#include "print/pl_rtf.h"
#include "tests/print/recording_drawer.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include "tests/support/file_size_limit.h"
#endif

namespace lysora {
namespace {

using testing::MessageRecorder;

class RtfTest : public ::testing::Test {
protected:
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("lysora_rtf_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".rtf");
    void TearDown() override { std::filesystem::remove(path); }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        std::vector<std::string> lines;
        std::string text = all.str(), line;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos) {
                lines.push_back(text.substr(at)); // an unterminated last line
                break;
            }
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
    std::size_t Count(const std::string& wanted) const
    {
        std::size_t n = 0;
        for (const std::string& line : Lines())
            n += line == wanted;
        return n;
    }
};

TEST_F(RtfTest, ShortTableIsHeadRowsAndEndWithoutPageBreak)
{
    PL_RTF rtf(nullptr, path.string(), false);
    ASSERT_TRUE(rtf.OK);
    EXPECT_TRUE(rtf.RTF());
    rtf.PAGE_TETE = {Row{CELL(270, 8, std::string("Title"), "C")}};
    rtf.OUT(Row{CELL(45, 5, std::string("Maize"), "", 2), CELL(12, 5, std::string("8.5"), "C", 2)});
    EXPECT_TRUE(rtf.CLOSE());
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u + 3 + 4 + 1);
    EXPECT_EQ(lines[0], "{\\rtf1\\ansi \\deff4\\deflang1033{\\fonttbl{\\f4\\froman\\fcharset0\\fprq2 Arial;}}"
                        "{\\stylesheet{\\f4\\lang1036 \\snext0 Normal;}{\\*\\cs10 \\additive Default Paragraph Font;}}"
                        "\\paperw11907\\paperh16840\\margl567\\margr567\\margt567\\margb567"
                        "\\widowctrl\\prcolbl\\sprsspbf\\brkfrm\\hyphcaps0 \\sectd \\pard\\plain \\f4\\lang1036 ");
    // The header band: 8 mm = 454 twips high, 270 mm = 15310 twips wide, 5 mm characters.
    EXPECT_EQ(lines[1], "\\trowd \\trgaph70\\trrh454\\trleft-70 \\cellx15310");
    EXPECT_EQ(lines[2], "\\pard \\qc\\intbl {\\f4\\fs28 Title}\\cell ");
    EXPECT_EQ(lines[3], "\\pard \\intbl \\row");
    EXPECT_EQ(lines[4], "\\trowd \\trgaph70\\trrh284\\trleft-70 "
                        "\\clbrdrl\\brdrs\\brdrw15 \\clbrdrr\\brdrs\\brdrw15 \\clbrdrt\\brdrs\\brdrw15 "
                        "\\clbrdrb\\brdrs\\brdrw15 \\cellx2552"
                        "\\clbrdrl\\brdrs\\brdrw15 \\clbrdrr\\brdrs\\brdrw15 \\clbrdrt\\brdrs\\brdrw15 "
                        "\\clbrdrb\\brdrs\\brdrw15 \\cellx3232");
    EXPECT_EQ(lines[5], "\\pard \\ql\\intbl {\\f4\\fs20 Maize}\\cell ");
    EXPECT_EQ(lines[6], "\\pard \\qc\\intbl {\\f4\\fs20 8.5}\\cell ");
    EXPECT_EQ(lines.back(), "\\pard }");
    EXPECT_EQ(Count("\\pard\\page \\pard {\\fs4 \\par}"), 0u);
}

TEST_F(RtfTest, LandscapeGapsHairlinesAndCellPresentation)
{
    {
        PL_RTF rtf(nullptr, path.string(), true, true);
        rtf.FONT_SIZE = 6;
        rtf.OUT(10.0);
        rtf.OUT(Row{CELL(20, 0, std::string("a"), "", 1), CELL(20, 0, std::string("b"))});
        rtf.OUT(Row{CELL_FONT(30, 6, std::string("shaded"), "RBI", 1, true, 0, 4)});
        rtf.OUT(Row{CELL_FONT(30, 6, std::string("font"), "BUI", {}, false, 2)});
        rtf.CLOSE();
    }
    auto lines = Lines();
    EXPECT_NE(lines[0].find("\\paperh11907\\paperw16840"), std::string::npos);
    EXPECT_NE(lines[0].find("\\sectd \\lndscpsxn\\psz9 \\pard"), std::string::npos);
    EXPECT_EQ(lines[1], "\\pard {\\fs52 \\par }");
    EXPECT_EQ(lines[2], "\\trowd \\trgaph70\\trrh-10\\trleft-70 \\clbrdrt\\brdrs\\brdrw15 \\cellx1134"
                        "\\clbrdrt\\brdrs\\brdrw15 \\cellx2268");
    EXPECT_EQ(lines[3], "\\pard \\ql\\intbl {\\f4\\fs34 a}\\cell ");
    // Automatic row heights: no \trrh; border width from TRAIT; shading.
    EXPECT_EQ(lines[6], "\\trowd \\trgaph70\\trleft-70 \\clbrdrl\\brdrs\\brdrw20 \\clbrdrr\\brdrs\\brdrw20 "
                        "\\clbrdrt\\brdrs\\brdrw20 \\clbrdrb\\brdrs\\brdrw20 \\clshdng2000 \\cellx1702");
    EXPECT_EQ(lines[7], "\\pard \\qr\\intbl {\\f4\\fs34 shaded}\\cell ");
    EXPECT_EQ(lines[10], "\\pard \\ql\\intbl {\\b\\ul\\i\\f6\\fs34 font}\\cell ");
}

TEST_F(RtfTest, TextsKeepParagraphsAndEscapeRtfCharacters)
{
    {
        PL_RTF rtf(nullptr, path.string(), false);
        rtf.OUT(Row{CELL(40, 5, std::string("line 1\r\nline 2"))});
        rtf.OUT(Row{CELL(40, 5, std::string("{brace} back\\slash \xe9t\xe9"))});
        rtf.OUT(Row{CELL(40, 5, std::vector<std::string>{"a", "b"})});
        rtf.CLOSE();
    }
    auto lines = Lines();
    EXPECT_EQ(lines[2], "\\pard \\ql\\intbl {\\f4\\fs20 line 1\\par line 2}\\cell ");
    EXPECT_EQ(lines[5], "\\pard \\ql\\intbl {\\f4\\fs20 \\{brace\\} back\\\\slash \xe9t\xe9}\\cell ");
    EXPECT_EQ(lines[8], "\\pard \\ql\\intbl {\\f4\\fs20 a\rb}\\cell ");
}

TEST_F(RtfTest, PageBreaksFallWhereThePrintedLayoutBreaks)
{
    std::shared_ptr<testing::RecordedPages> pages;
    auto printed = testing::RecordingLayout(pages, true);
    PL_RTF rtf(nullptr, path.string(), true);
    for (PL* pl : {printed.get(), static_cast<PL*>(&rtf)}) {
        pl->PAGE_TETE = {Row{CELL(270, 8, std::string("Head"), "C")}};
        for (int i = 1; i <= 60; ++i)
            pl->OUT(Row{CELL(45, 5, "row " + std::to_string(i))});
    }
    printed->CLOSE();
    rtf.CLOSE();
    ASSERT_EQ(printed->PageCount(), 2);
    // Page 1 of the printed layout holds its header and rows 1 ... n.
    const std::string lastOnPage1 = pages->Texts(0).back();
    auto lines = Lines();
    EXPECT_EQ(Count("\\pard\\page \\pard {\\fs4 \\par}"), 1u);
    auto at = std::find(lines.begin(), lines.end(), "\\pard\\page \\pard {\\fs4 \\par}");
    ASSERT_NE(at, lines.end());
    EXPECT_NE((at - 2)->find(lastOnPage1 + "}"), std::string::npos) << *(at - 2);
    EXPECT_NE((at + 2)->find("Head}"), std::string::npos); // the page header again
}

TEST_F(RtfTest, FileThatCannotBeCreatedIsReportedAndNothingIsWritten)
{
    MessageRecorder messages;
    const std::string missing = (path.parent_path() / "no such folder" / "out.rtf").string();
    PL_RTF rtf(nullptr, missing, false, false, RtfMessages{"Failed to create file", "Failed to write file", "Error"});
    EXPECT_FALSE(rtf.OK);
    rtf.OUT(Row{CELL(10, 5, std::string("x"))});
    EXPECT_FALSE(rtf.CLOSE());
    ASSERT_EQ(messages.shown.size(), 1u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].text, "Failed to create file " + missing);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

#ifndef _WIN32
// A disk that fills half way through the document: said at close, and the cut document,
// which a word processor would open as a shorter one, is removed.
TEST_F(RtfTest, AWriteFailureIsReportedAtCloseAndLeavesNoDocument)
{
    MessageRecorder messages;
    bool closed = true;
    {
        testing::FileSizeLimit full(4096);
        ASSERT_TRUE(full.Ok());
        PL_RTF rtf(nullptr, path.string(), false);
        ASSERT_TRUE(rtf.OK);
        for (int i = 0; i < 2000; ++i)
            rtf.OUT(Row{CELL(45, 5, std::string(40, 'x'))});
        closed = rtf.CLOSE();
    }
    EXPECT_FALSE(closed);
    ASSERT_EQ(messages.shown.size(), 1u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Impossible d'écrire le fichier " + path.string());
    EXPECT_FALSE(std::filesystem::exists(path));
}
#endif

} // namespace
} // namespace lysora
