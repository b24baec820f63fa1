// Test tool (Windows): the comparison histogram of a few feedstuffs of the shipped tables,
// drawn as Lysora draws it, for screenshots and for the independent metafile reader.
//   histogram_sample preview SECONDS   shows the chart's preview for SECONDS
//   histogram_sample dialog SECONDS    shows the nutrient choice over a stand-in comparison
//   histogram_sample spool FILE        writes the chart's spooled page (drawn for the printer)
//                                      to FILE, and to FILE.txt the chart's geometry
//                                      "chart X Y W H P1 P2 NB" and one "bar MEAN SD LABEL"
//                                      line per bar
//   histogram_sample print             opens the preview, presses its print button and
//                                      answers PrintRun's print dialog (all pages)
// Runs in the folder of the shipped tables. Exit code 0 on success.
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "services/opendb.h"
#include "services/strings.h"
#include "views/chart/dlg_nutriselect.h"
#include "views/chart/histogram.h"

#include "tests/print/printrun_runner.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

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

void Pump(int seconds)
{
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    while (GetTickCount() < end) {
        WIN::DOEVENTS();
        Sleep(20);
    }
}

int Dialog(int seconds)
{
    __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
    DLG comparison(nullptr, GKT_DIALOG, "Comparison table");
    comparison.CENTER(500, 300);
    comparison.SHOW();
    OUVRIRHISTOGRAMME(&comparison, kRequest.valueType, {"LYS", "MET", "THR"}, {"Lys", "Met", "Thr"},
                      kRequest.feedstuffs);
    Pump(seconds);
    return 0;
}

int Spool(const std::string& file)
{
    HistogramPage page = ReadHistogram(kRequest.valueType, kRequest.nutrient, kRequest.feedstuffs);
    page.fill = RGB(255, 240, 120);
    PL pl(nullptr, "Histogram", true, NewMetafileDrawer());
    const ChartGeometry chart = DrawHistogram(pl, page, ChartOutput::Printer);
    std::vector<unsigned char> bytes;
    if (!pl.CLOSE() || pl.PageCount() != 1 || !pl.ReadPage(1, bytes))
        return 1;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::ofstream geometry(file + ".txt", std::ios::binary);
    geometry << "chart " << chart.X << " " << chart.Y << " " << chart.W << " " << chart.H << " " << chart.P1 << " "
             << chart.P2 << " " << chart.NB << "\n";
    for (const ChartBar& bar : page.bars)
        geometry << "bar " << bar.mean << " " << bar.sd << " " << bar.label << "\n";
    return 0;
}

// Printing goes through the preview's print button, as a user prints: the chart is drawn
// again for the printer and handed to PrintRun.
int Print()
{
    if (!IMPRIMERGRAPHE(nullptr, kRequest))
        return 1;
    WIN::DOEVENTS();
    HWND preview = FindWindowA("GKT-PRINTPREVIEW", nullptr);
    if (!preview)
        return 1;
    bool done = false;
    std::thread driver(testing::AnswerPrintDialog, 1, 1, &done);
    SendMessageA(preview, WM_COMMAND, MAKEWPARAM(105, BN_CLICKED), 0);
    done = true;
    driver.join();
    PostMessageA(preview, WM_CLOSE, 0, 0);
    WIN::DOEVENTS();
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
    else if (mode == "dialog" && argc == 3)
        status = Dialog(std::atoi(argv[2]));
    else if (mode == "print" && argc == 2)
        status = Print();
    else if (mode == "spool" && argc == 3)
        status = Spool(argv[2]);
    else
        std::fprintf(stderr, "usage: histogram_sample preview SECONDS | dialog SECONDS | spool FILE | print\n");
    WIN::ReleaseClosedWindows();
    SetApplication(nullptr);
    App_Delete(app);
    return status;
}
