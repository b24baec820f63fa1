// Test tool (Windows): the sample comparison table as Lysora prints and exports it, for the
// independent readers that check our output (print_outside_readers_test.py).
//   print_sample spool FOLDER   each spooled page as FOLDER\pageN.wmf, the laid-out texts
//                               of each page in FOLDER\pageN.txt (one per line)
//   print_sample rtf FILE       the RTF export
//   print_sample print FROM TO [PRINTER]  prints through PrintRun, choosing the printer
//                               and pages FROM ... TO in its print dialog as a user would;
//                               PrintRun's messages are written to the standard output and
//                               its exit code is the tool's
//   print_sample preview ZOOM SECONDS  shows the preview at zoom index ZOOM (0: 400 % ...
//                               5: 50 %) for SECONDS, for screenshots
// Exit code 0 on success (print: PrintRun's).
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "print/spool.h"
#include "tests/print/printrun_runner.h"
#include "tests/print/recording_drawer.h"
#include "tests/print/sample_table.h"

#include <cstdio>
#include <fstream>
#include <string>

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

// PrintRun on the spooled pages of layout, as Lysora starts it; its print dialog answered
// with the printer (the default when empty) and pages from ... to, and its messages written
// to the standard output ("message: CAPTION: TEXT") and answered OK. PrintRun's exit code.
int RunOn(const PL& layout, int from, int to, const std::string& printer)
{
    const std::string arguments =
        PrintCommandLine(0, layout.LIB, layout.FILENAME, layout.LANDSCAPE, layout.FILESIZE).substr(13);
    auto result = testing::RunPrintRun(
        arguments,
        [&](HWND dialog, const testing::SeenDialog& seen) {
            if (seen.printDialog) {
                testing::ChoosePagesAndPrint(dialog, from, to, printer);
                return;
            }
            std::printf("message: %s: %s\n", seen.caption.c_str(), seen.text.c_str());
            std::fflush(stdout);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        },
        180000);
    return result.timedOut ? 98 : int(result.exitCode);
}

int Print(int from, int to, const std::string& printer)
{
    PL pl(nullptr, "Lysora sample", true, NewMetafileDrawer());
    IMPRIMERVALEURS(pl, Sample());
    return RunOn(pl, from, to, printer);
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
    if (mode == "print" && (argc == 4 || argc == 5))
        return Print(std::atoi(argv[2]), std::atoi(argv[3]), argc == 5 ? argv[4] : "");
    std::fprintf(stderr, "usage: print_sample spool FOLDER | rtf FILE | print FROM TO [PRINTER] | "
                         "preview ZOOM SECONDS\n");
    return 2;
}
