// Test tool (Windows): the sample comparison table as Lysora prints and exports it, for the
// independent readers that check our output (print_outside_readers_test.py).
//   print_sample spool FOLDER   each spooled page as FOLDER\pageN.wmf, the laid-out texts
//                               of each page in FOLDER\pageN.txt (one per line)
//   print_sample rtf FILE       the RTF export
//   print_sample print FROM TO  prints through PrintRun, choosing pages FROM ... TO in its
//                               print dialog as a user would
//   print_sample preview ZOOM SECONDS  shows the preview at zoom index ZOOM (0: 400 % ...
//                               5: 50 %) for SECONDS, for screenshots
// Exit code 0 on success.
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "tests/print/printrun_runner.h"
#include "tests/print/recording_drawer.h"
#include "tests/print/sample_table.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

using namespace lysora;

// The sample fits two landscape pages: 32 lines on the first.
ComparisonPrint Sample() { return testing::SampleTable(40, 8); }

// Draws into a metafile and keeps the texts too.
class TeeDrawer final : public PageDrawer {
public:
    TeeDrawer(std::unique_ptr<PageDrawer> metafile, std::unique_ptr<PageDrawer> recorder)
        : metafile_(std::move(metafile)), recorder_(std::move(recorder))
    {
    }
    bool Begin() override { return recorder_->Begin() && metafile_->Begin(); }
    void Draw(const CellBox& cell) override
    {
        recorder_->Draw(cell);
        metafile_->Draw(cell);
    }
    std::vector<unsigned char> End() override
    {
        recorder_->End();
        return metafile_->End();
    }

private:
    std::unique_ptr<PageDrawer> metafile_, recorder_;
};

int Spool(const std::string& folder)
{
    auto pages = std::make_shared<testing::RecordedPages>();
    PL pl(nullptr, "Sample", true,
          std::make_unique<TeeDrawer>(NewMetafileDrawer(), std::make_unique<testing::RecordingDrawer>(pages)));
    IMPRIMERVALEURS(pl, Sample());
    for (int n = 1; n <= pl.PageCount(); ++n) {
        std::vector<unsigned char> bytes;
        if (!pl.ReadPage(n, bytes))
            return 1;
        std::ofstream(folder + "\\page" + std::to_string(n) + ".wmf", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        std::ofstream texts(folder + "\\page" + std::to_string(n) + ".txt", std::ios::binary);
        for (const std::string& text : pages->Texts(std::size_t(n - 1)))
            if (!text.empty())
                texts << text << "\n";
    }
    return pl.PageCount() == 2 ? 0 : 1;
}

int Print(int from, int to)
{
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    int status = 1;
    {
        auto pl = std::make_shared<PL>(nullptr, "Lysora sample", true, NewMetafileDrawer());
        IMPRIMERVALEURS(*pl, Sample());
        bool done = false;
        std::thread driver(testing::AnswerPrintDialog, from, to, &done);
        const bool printed = REMOTEPRINT(*pl);
        done = true;
        driver.join();
        status = printed ? 0 : 1;
    }
    SetApplication(nullptr);
    App_Delete(app);
    return status;
}

int Preview(int zoom, int seconds)
{
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    {
        auto pl = std::make_shared<PL>(nullptr, "Comparison of raw nutrients", true, NewMetafileDrawer());
        IMPRIMERVALEURS(*pl, Sample());
        PREVIEW* preview = OpenPreview(pl);
        HWND list = reinterpret_cast<WinPreview*>(preview->Record())->zoom_list;
        SendMessageA(list, LB_SETCURSEL, WPARAM(zoom), 0);
        SendMessageA(preview->HANDLE(), WM_COMMAND, MAKEWPARAM(199, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
        while (GetTickCount() < end && preview->Exists()) {
            DOEVENTS();
            Sleep(20);
        }
        if (preview->Exists())
            preview->CLOSE();
        DOEVENTS();
        WIN::ReleaseClosedWindows();
    }
    SetApplication(nullptr);
    App_Delete(app);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "spool" && argc == 3)
        return Spool(argv[2]);
    if (mode == "rtf" && argc == 3)
        return EXPORTRTF(argv[2], Sample()) ? 0 : 1;
    if (mode == "preview" && argc == 4)
        return Preview(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "print" && argc == 4)
        return Print(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: print_sample spool FOLDER | rtf FILE | print FROM TO | preview ZOOM SECONDS\n");
    return 2;
}
