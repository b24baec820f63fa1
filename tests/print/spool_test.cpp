// The print command line and the spool pages as the print program reads them: the line
// Lysora writes is read back as it was meant; hostile lines, short files and pages that are
// not whole metafiles are refused.
#include "print/spool.h"
#include "tests/print/crafted_pages.h"
#include "tests/print/fuzz/spool_fuzz.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace lysora {
namespace {

// A minimal metafile: header, one record (function 0x0103, SetMapMode, with one argument)
// and the end record.
std::vector<unsigned char> SmallMetafile()
{
    std::vector<unsigned char> wmf = {1, 0, 9, 0, 0, 3, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0,
                                      4, 0, 0, 0, 0x03, 0x01, 1, 0, 3, 0, 0, 0, 0, 0};
    wmf[6] = std::uint8_t(wmf.size() / 2);
    return wmf;
}

TEST(PrintCommandLine, WrittenLineIsReadBack)
{
    const std::string line = PrintCommandLine(123456, "Comparison; raw", "C:\\TEMP\\MTX1.tmp", true, {400, 250});
    EXPECT_EQ(line, "PrintRun.exe ;123456;Comparison, raw;C:\\TEMP\\MTX1.tmp;O;2;400;250");
    ParsedCommandLine parsed = ParsePrintCommandLine("\"C:\\Program Files\\Lysora\\PrintRun.exe\" " + line.substr(13));
    ASSERT_EQ(parsed.status, ParsedCommandLine::kOk) << parsed.error;
    EXPECT_EQ(parsed.job.owner, 123456u);
    EXPECT_EQ(parsed.job.title, "Comparison, raw");
    EXPECT_EQ(parsed.job.path, "C:\\TEMP\\MTX1.tmp");
    EXPECT_TRUE(parsed.job.landscape);
    EXPECT_EQ(parsed.job.sizes, (std::vector<std::uint64_t>{400, 250}));
    EXPECT_EQ(parsed.job.offsets, (std::vector<std::uint64_t>{0, 400}));
    EXPECT_FALSE(ParsePrintCommandLine("PrintRun.exe ;1;t;p;N;1;10").job.landscape);
}

TEST(PrintCommandLine, LineWithoutFieldsIsNoJob)
{
    EXPECT_EQ(ParsePrintCommandLine("PrintRun.exe").status, ParsedCommandLine::kNoJob);
    EXPECT_EQ(ParsePrintCommandLine("").status, ParsedCommandLine::kNoJob);
}

TEST(PrintCommandLine, MalformedLinesAreRefusedWithAReason)
{
    const char* bad[] = {
        "PrintRun.exe ;",                                // nothing
        "PrintRun.exe ;12x;t;p;N;1;10",                  // owner not a number
        "PrintRun.exe ;-1;t;p;N;1;10",                   // signed owner
        "PrintRun.exe ;1;t;;N;1;10",                     // no spool path
        "PrintRun.exe ;1;t;p;N;0",                       // no pages
        "PrintRun.exe ;1;t;p;N;99999999999999999999;1",  // absurd page count
        "PrintRun.exe ;1;t;p;N;65536;1",                 // above the dialog's 16 bits
        "PrintRun.exe ;1;t;p;N;3;10;20",                 // fewer sizes than pages
        "PrintRun.exe ;1;t;p;N;1;10;20",                 // more sizes than pages
        "PrintRun.exe ;1;t;p;N;2;10;0",                  // empty page
        "PrintRun.exe ;1;t;p;N;1; 10",                   // blank in a number
        "PrintRun.exe ;1;t;p;N;1;+10",                   // sign in a number
        "PrintRun.exe ;1;t;p;N;1;999999999999",          // page larger than any page
        "PrintRun.exe ;1;t;p;N;2;18446744073709551615;1" // sum beyond 64 bits
    };
    for (const char* line : bad) {
        ParsedCommandLine parsed = ParsePrintCommandLine(line);
        EXPECT_EQ(parsed.status, ParsedCommandLine::kBad) << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
        EXPECT_TRUE(parsed.job.sizes.empty()) << line;
    }
}

TEST(SpoolPage, WholeMetafilesAreAcceptedAndDamagedOnesRefused)
{
    const auto wmf = SmallMetafile();
    EXPECT_TRUE(IsWholeMetafile(wmf.data(), wmf.size()));
    auto damaged = wmf;
    damaged[2] = 8; // header size
    EXPECT_FALSE(IsWholeMetafile(damaged.data(), damaged.size()));
    damaged = wmf;
    damaged[18] = 0xFF; // a record running past the end
    EXPECT_FALSE(IsWholeMetafile(damaged.data(), damaged.size()));
    damaged = wmf;
    damaged[18] = 0; // a record of no size: would loop for ever
    damaged[19] = 0;
    EXPECT_FALSE(IsWholeMetafile(damaged.data(), damaged.size()));
    EXPECT_FALSE(IsWholeMetafile(wmf.data(), wmf.size() - 6)); // no end record, size disagrees
    auto longer = wmf;
    longer.insert(longer.end(), {3, 0, 0, 0, 0, 0});
    longer[6] = std::uint8_t(longer.size() / 2);
    EXPECT_FALSE(IsWholeMetafile(longer.data(), longer.size())); // bytes after the end record
    EXPECT_FALSE(IsWholeMetafile(nullptr, 0));
}

TEST(SpoolPage, WellFormedHostilePagesAreRefusedWithTheirReason)
{
    for (const testing::HostilePage& hostile : testing::HostilePages()) {
        const auto page = hostile.page.Bytes();
        ASSERT_TRUE(IsWholeMetafile(page.data(), page.size())) << hostile.what;
        const std::string fault = SpoolPageFault(page.data(), page.size());
        EXPECT_NE(fault.find(hostile.fault), std::string::npos) << hostile.what << ": " << fault;
        EXPECT_EQ(fault.rfind("enregistrement 1 (fonction 0x", 0), 0u) << fault;
    }
    auto wmf = SmallMetafile();
    EXPECT_EQ(SpoolPageFault(wmf.data(), wmf.size() - 2), "pas un métafichier entier");
    wmf[5] = 1; // a whole metafile of the first version (found by the fuzz run: not played)
    ASSERT_TRUE(IsWholeMetafile(wmf.data(), wmf.size()));
    EXPECT_EQ(SpoolPageFault(wmf.data(), wmf.size()), "en-tête de métafichier inattendu");
}

TEST(SpoolPage, PagesAreReadOnlyWhenWhollyInsideTheFile)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string content = "0123456789";
    std::fwrite(content.data(), 1, content.size(), file);
    std::vector<unsigned char> page;
    ASSERT_TRUE(ReadSpoolPage(file, 4, 6, page));
    EXPECT_EQ(std::string(page.begin(), page.end()), "456789");
    EXPECT_FALSE(ReadSpoolPage(file, 4, 7, page)); // truncated file
    EXPECT_TRUE(page.empty());
    EXPECT_FALSE(ReadSpoolPage(file, 11, 1, page));
    EXPECT_FALSE(ReadSpoolPage(file, UINT64_MAX, 2, page));
    EXPECT_FALSE(ReadSpoolPage(file, 0, 0, page));
    EXPECT_FALSE(ReadSpoolPage(nullptr, 0, 1, page));
    std::fclose(file);
}

// The fuzz entry's promises over inputs that once tripped a reader: nothing broken, the
// sound job's page read and played, the hostile pages read and refused.
TEST(SpoolFuzzCorpus, TrickyInputsKeepTheReadersPromises)
{
    const auto wmf = SmallMetafile();
    const std::string page(wmf.begin(), wmf.end());
    const std::string nul("\0", 1);
    auto check = [](const std::string& input) {
        return testing::CheckSpoolInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    };
    const std::string odd[] = {
        "",
        nul,
        "PrintRun.exe ;1;t;p;N;2;" + std::to_string(page.size()) + ";100" + nul + page, // second page cut
        "PrintRun.exe ;1;t;p;O;1;67108864" + nul + page,
        "x;" + std::string(10000, ';'),
        ";;;;;;;;",
        "PrintRun.exe ;1;t;p;N;65535;" + std::string(70000, '1'),
    };
    for (const std::string& input : odd)
        EXPECT_EQ(check(input).broken, "") << input.substr(0, 40);

    // A line drawn: a record of the kinds the page drawer writes.
    const auto line = testing::CraftedPage{0, {{0x0214, 10, 10}, {0x0213, 200, 100}}}.Bytes();
    const std::string drawn(line.begin(), line.end());
    const auto sound = check("PrintRun.exe ;1;t;p;N;1;" + std::to_string(drawn.size()) + nul + drawn);
    EXPECT_EQ(sound.broken, "");
    EXPECT_EQ(sound.pagesRead, 1);
    EXPECT_EQ(sound.pagesAccepted, 2); // the spool file as one page, then the page it names

    for (const testing::HostilePage& hostile : testing::HostilePages()) {
        const auto bytes = hostile.page.Bytes();
        const auto result = check("PrintRun.exe ;1;t;p;N;1;" + std::to_string(bytes.size()) + nul +
                                  std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(result.broken, "") << hostile.what;
        EXPECT_EQ(result.pagesRead, 1) << hostile.what;
        EXPECT_EQ(result.pagesAccepted, 0) << hostile.what;
    }
}

} // namespace
} // namespace lysora
