// Pages recorded as memory metafiles: each spooled page is a whole metafile at its offset,
// and played under the 0.1 mm mapping it draws its borders where they were laid out.
#include "print/metafile_win32.h"
#include "print/spool.h"
#include "print/value_table.h"
#include "tests/print/sample_table.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

namespace lysora {
namespace {

// A white bitmap of the page at one pixel per millimetre, with the page played on it.
class PagePicture {
public:
    explicit PagePicture(HMETAFILE page, int widthMm = 210, int heightMm = 297) : w_(widthMm), h_(heightMm)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w_;
        info.bmiHeader.biHeight = -h_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, w_, h_};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetMapMode(dc_, MM_ANISOTROPIC);
        SetWindowExtEx(dc_, 10, 10, nullptr);
        SetViewportExtEx(dc_, 1, -1, nullptr);
        PlayMetaFile(dc_, page);
        GdiFlush();
    }
    ~PagePicture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    bool Dark(int x, int y) const { return (bits_[y * w_ + x] & 0xFFFFFF) < 0x808080; }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

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
    PagePicture picture(metafile);
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

} // namespace
} // namespace lysora
