// The sheet's export texts: the spreadsheet file in the user's decimal separator against
// the formulation file's ".", "-" against 0, the header's fields matching the rows', the
// permanent nutrient once, the feedstuff name cut for the formulation file, and a file that
// cannot be created or written whole.
#include "views/sheet/sheet_exports.h"

#include "services/strings.h"
#include "tests/support/message_recorder.h"
#include "views/export/export_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#ifndef _WIN32
#include "tests/support/file_size_limit.h"
#endif

namespace lysora {
namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Two rows of a group whose first nutrient is the permanent one.
ExportGroup Group(std::vector<std::string> courts, std::vector<Value> first, std::vector<Value> second)
{
    ValueArray a{Value("Raw content")}, b{Value("Number of values")};
    a.insert(a.end(), first.begin(), first.end());
    b.insert(b.end(), second.begin(), second.end());
    return {std::move(courts), Value(ValueArray{Value(a), Value(b)})};
}

TEST(SheetExports, TheSpreadsheetShowsWhatTheGridsShowInTheUsersSeparator)
{
    const std::vector<ExportGroup> groups = {
        Group({"CP", "Lys", "Met"}, {Value(180), Value(12.5), Value(0)}, {Value(4), Value(4), Value(0)}),
        Group({"CP", "Ala"}, {Value(180), Value()}, {Value(4), Value(3)}),
        Group({"CP", "DM", "Ash"}, {Value(180), Value(880.25), Value(50)}, {Value(4), Value(), Value(2)})};
    const std::string text = SpreadsheetText("Wheat", "Soft wheat grain", groups, ',');
    const std::vector<std::string> lines = Split(text, "\r\n");
    ASSERT_EQ(lines.size(), 7u); // name, definition, blank, header, two rows, and after the last CR LF
    EXPECT_EQ(lines[0], "Wheat");
    EXPECT_EQ(lines[1], "Soft wheat grain");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], ";CP;Lys;Met;Ala;DM;Ash"); // the permanent nutrient once, first
    EXPECT_EQ(lines[4], "Raw content;180;12,50;-;;880,25;50"); // whole, or the tables' two decimals
    EXPECT_EQ(lines[5], "Number of values;4;4;-;3;;2");
    EXPECT_EQ(lines[6], "");
    // As many fields in the header as in every row.
    EXPECT_EQ(Split(lines[3], ";").size(), Split(lines[4], ";").size());
    EXPECT_EQ(Split(lines[3], ";").size(), Split(lines[5], ";").size());

    EXPECT_NE(SpreadsheetText("Wheat", "", groups, '.').find(";12.50;"), std::string::npos);
}

TEST(SheetExports, TheFormulationFileUsesDotsZerosAndACutName)
{
    const std::string longName(60, 'n');
    const std::string text = OlvanText(12, "  " + longName + "  ", {{"1LYS", 12.5}, {"2LYS", 0}, {"3MET", 80}});
    const std::vector<std::string> lines = Split(text, "\r\n");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Matieres Premieres  - OLVAN 2 - (c) OLVAN-FORMULATION");
    EXPECT_EQ(lines[1], "01\t12\t" + longName.substr(0, 50));
    EXPECT_EQ(lines[2], "02\t3");
    EXPECT_EQ(lines[3], "03\t1LYS\t12.50");
    EXPECT_EQ(lines[4], "03\t2LYS\t0");
    EXPECT_EQ(lines[5], "03\t3MET\t80");

    // No feedstuff: the title line alone.
    EXPECT_EQ(OlvanText(0, "", {}), "Matieres Premieres  - OLVAN 2 - (c) OLVAN-FORMULATION\r\n");
}

TEST(SheetExports, AnExportThatCannotBeCreatedOrWrittenIsSaidAndLeavesNoFile)
{
    CHOISIRLANGUE("FRA");
    testing::MessageRecorder messages;
    const auto dir = std::filesystem::temp_directory_path() / "lysora_sheet_exports_test";
    std::filesystem::create_directories(dir);
    const std::string missing = (dir / "missing" / "out.csv").string();
    EXPECT_FALSE(SaveExport(missing, "x"));
    EXPECT_FALSE(SaveExport(dir.string(), "x")); // a folder's name
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, LIB(Symbol("ERREURCREATIONFICHIER")) + " " + missing);
    EXPECT_EQ(messages.shown[0].caption, "Erreur");
    EXPECT_TRUE(std::filesystem::is_directory(dir));

    const std::string path = (dir / "out.csv").string();
    ASSERT_TRUE(SaveExport(path, "a much longer first text"));
    ASSERT_TRUE(SaveExport(path, "short"));
    EXPECT_EQ(std::filesystem::file_size(path), 5u);
#ifndef _WIN32
    // A disk that fills half way through: said as a write error, and the cut file removed.
    bool saved = true;
    {
        testing::FileSizeLimit full(4096);
        ASSERT_TRUE(full.Ok());
        saved = SaveExport(path, std::string(100000, 'y'));
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text, LIB(Symbol("ERREURECRITUREFICHIER")) + " " + path);
#endif
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace lysora
