// Test tool (Windows): the comparison histogram of a few feedstuffs of the shipped tables,
// drawn as Lysora draws it, for screenshots and for the independent metafile reader.
//   histogram_sample preview SECONDS   shows the chart's preview for SECONDS
//   histogram_sample spool FILE        writes the chart's spooled page to FILE
// Runs in the folder of the shipped tables. Exit code 0 on success.
#include "app/opendb.h"
#include "app/strings.h"
#include "app/utilities.h"
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "views/dlg_nutriselect.h"
#include "views/histogram.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace lysora;

const HistogramRequest kRequest{Symbol("DIG_V"), "LYS", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}};

int Preview(int seconds)
{
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    if (!IMPRIMERGRAPHE(nullptr, kRequest))
        return 1;
    WIN::DOEVENTS();
    // The whole page in view: zoom "75 %".
    if (HWND preview = FindWindowA("GKT-PRINTPREVIEW", nullptr)) {
        HWND list = GetDlgItem(preview, 199);
        SendMessageA(list, LB_SETCURSEL, 4, 0);
        SendMessageA(preview, WM_COMMAND, MAKEWPARAM(199, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    while (GetTickCount() < end) {
        WIN::DOEVENTS();
        Sleep(20);
    }
    return 0;
}

int Spool(const std::string& file)
{
    HistogramPage page = ReadHistogram(kRequest.valueType, kRequest.nutrient, kRequest.feedstuffs);
    page.fill = RGB(255, 240, 120);
    PL pl(nullptr, "Histogram", true, NewMetafileDrawer());
    DrawHistogram(pl, page, ChartOutput::Printer);
    std::vector<unsigned char> bytes;
    if (!pl.CLOSE() || !pl.ReadPage(1, bytes))
        return 1;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    CHOISIRLANGUE(kEnglish);
    PreviewCaptionSource() = [] {
        return PreviewCaptions{LIB(Symbol("IMPRESSION")), LIB(Symbol("ZOOM")), UNAMP(LIB(Symbol("FERMER")))};
    };
    int status = 2;
    if (!OPENDB(false))
        status = 1;
    else if (mode == "preview" && argc == 3)
        status = Preview(std::atoi(argv[2]));
    else if (mode == "spool" && argc == 3)
        status = Spool(argv[2]);
    else
        std::fprintf(stderr, "usage: histogram_sample preview SECONDS | spool FILE\n");
    WIN::ReleaseClosedWindows();
    SetApplication(nullptr);
    App_Delete(app);
    return status;
}
