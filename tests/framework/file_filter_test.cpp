// The filter text of the common file dialogs.
#include "framework/file_filter.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

using namespace std::string_literals;

TEST(FileFilter, EachRowGivesDescriptionWithPatternThenPatternAndTheListEndsWithTwoNuls)
{
    EXPECT_EQ(BuildFilterText({{"Excel", "*.csv"}, {"RTF", "*.rtf"}}),
              "Excel (*.csv)\0*.csv\0RTF (*.rtf)\0*.rtf\0\0"s);
}

TEST(FileFilter, NoRowsGiveAllFiles)
{
    EXPECT_EQ(BuildFilterText({}), "Tous les fichiers (*.*)\0*.*\0\0"s);
}

} // namespace
} // namespace lysora
