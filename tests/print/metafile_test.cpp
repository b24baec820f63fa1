// Pages recorded as memory metafiles: each spooled page is a whole metafile at its offset,
// and played under the 0.1 mm mapping it draws its borders where they were laid out.
#include "print/metafile_win32.h"
#include "print/spool.h"
#include "print/value_table.h"
#include "tests/print/page_picture.h"
#include "tests/print/sample_table.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

TEST(MetafilePages, EverySpooledPageIsAWholeMetafileAtItsOffset)
{
    testing::MessageRecorder messages;
    PL pl(nullptr, "Table", true, NewMetafileDrawer());
    IMPRIMERVALEURS(pl, testing::SampleTable(50, 12)); // 32 lines on page 1
    ASSERT_EQ(pl.PageCount(), 2);
    EXPECT_TRUE(pl.SpoolOk());
    EXPECT_EQ(FileSize(pl.FILE), (long long)(pl.FILEPOS[1] + pl.FILESIZE[1]));
    for (int n = 1; n <= pl.PageCount(); ++n) {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(pl.ReadPage(n, bytes));
        EXPECT_TRUE(IsWholeMetafile(bytes.data(), bytes.size())) << "page " << n;
        HMETAFILE metafile = MetafileFromBytes(bytes);
        EXPECT_NE(metafile, nullptr);
        DeleteMetaFile(metafile);
    }
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST(MetafilePages, PlayedPageDrawsBordersWhereTheyWereLaidOut)
{
    PL pl(nullptr, "Boxes", false, NewMetafileDrawer());
    pl.XY(50, 40);
    pl.OUT(Row{CELL(40, 20, std::string(), "", 5), CELL(30, 20, std::string(), "", "B")});
    pl.CLOSE();
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(pl.ReadPage(1, bytes));
    HMETAFILE metafile = MetafileFromBytes(bytes);
    ASSERT_NE(metafile, nullptr);
    testing::PagePicture picture(metafile);
    DeleteMetaFile(metafile);
    EXPECT_TRUE(picture.Dark(50, 50));   // left border of the first cell
    EXPECT_TRUE(picture.Dark(70, 40));   // its top border
    EXPECT_TRUE(picture.Dark(90, 50));   // its right border
    EXPECT_TRUE(picture.Dark(105, 60));  // bottom border of the second cell
    EXPECT_FALSE(picture.Dark(105, 40)); // the second cell has no top border
    EXPECT_FALSE(picture.Dark(70, 50));  // inside the first cell
    EXPECT_FALSE(picture.Dark(30, 50));  // left of the row
}

TEST(MetafilePages, BytesThatAreNotAWholeMetafileMakeNoMetafile)
{
    std::vector<unsigned char> bytes(100, 0xFF);
    EXPECT_EQ(MetafileFromBytes(bytes), nullptr);
    EXPECT_EQ(MetafileFromBytes({}), nullptr);
}

TEST(MetafilePages, EveryRecordTheDrawerWritesPassesThePageCheck)
{
    testing::MessageRecorder messages;
    PL pl(nullptr, "Chart", false, NewMetafileDrawer());
    pl.OUT(Row{CELL(40, 10, std::string("Lysine"), "CBIU", 2), CELL(30, 10, std::string("7,5"), "R", "LB")});
    pl.FILL(0x00C08040);
    pl.RECTANGLE(200, 300, 400, 900);
    pl.FILL(std::nullopt);
    pl.RECTANGLE(500, 300, 700, 900);
    pl.LINE(100, 1000, 2000, 1000);
    pl.TEXTOUT(300, 1100, "Thréonine", 40, 900);
    pl.VTEXTOUT(600, 1100, "Méthionine");
    pl.CLOSE();
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(pl.ReadPage(1, bytes));
    EXPECT_EQ(SpoolPageFault(bytes.data(), bytes.size()), "");
    HMETAFILE metafile = MetafileFromBytes(bytes);
    ASSERT_NE(metafile, nullptr);
    testing::PagePicture picture(metafile);
    DeleteMetaFile(metafile);
    EXPECT_TRUE(picture.Dark(30, 50));  // the filled bar
    EXPECT_FALSE(picture.Dark(60, 60)); // inside the white one
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
    bytes[12] = 20; // the header's largest record: below the page's fonts and picture
    bytes[13] = bytes[14] = bytes[15] = 0;
    std::string fault;
    EXPECT_EQ(MetafileFromBytes(bytes, &fault), nullptr);
    EXPECT_NE(fault.find("plus grand que le plus grand enregistrement"), std::string::npos) << fault;
}

} // namespace
} // namespace lysora
