// Benchmark (Windows build, run under Wine on a display by scripts/bench): the feedstuff
// sheet on the screen, one navigation step at a time (the next feedstuff, its three grids
// read again) followed by its repaint, finished before the clock stops: first the repaint
// the step asks for, then the whole sheet's.
// Reports the time per step on the shipped tables and on a generated database of 1,000
// feedstuffs by 60 nutrients.
#include "services/opendb.h"
#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tests/support/generated_tables.h"
#include "views/sheet/dlg_fichemat.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace lysora;
using Clock = std::chrono::steady_clock;

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Open(const tables::SampleDatabase& db, const std::string& name)
{
    return testing::OpenAsProgramDatabase(db, std::filesystem::temp_directory_path() / ("lysora-sheet-paint-" + name),
                                          kFrench)
        .empty();
}

// Steps through the feedstuffs with the sheet's own button, repainting after each: what the
// step left to repaint (the grids, the name, the definition), or with full, the whole sheet.
void Measure(DLG_FICHEMAT& sheet, const char* name, bool full)
{
    HWND next = sheet.FLD(cmd::SUIVANT)->HANDLE();
    HWND first = sheet.FLD(cmd::PREMIER)->HANDLE();
    constexpr int kSteps = 200;
    double best = 1e9, total = 0;
    for (int i = 0; i < kSteps; ++i) {
        const auto start = Clock::now();
        const int before = sheet.Current().matiere;
        SendMessageA(next, BM_CLICK, 0, 0);
        if (sheet.Current().matiere == before)
            SendMessageA(first, BM_CLICK, 0, 0);
        const UINT invalidate = full ? RDW_INVALIDATE | RDW_ERASE : 0;
        RedrawWindow(sheet.HANDLE(), nullptr, nullptr, invalidate | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        Pump();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        best = ms < best ? ms : best;
        total += ms;
    }
    std::printf("sheet_paint_bench: %s: navigation step and %s: best %.2f ms, mean %.2f ms over %d steps\n", name,
                full ? "the whole sheet repainted" : "its own repaint", best, total / kSteps, kSteps);
}

bool Measure(const char* name)
{
    auto sheet = std::make_unique<DLG_FICHEMAT>();
    sheet->SHOW();
    Pump();
    Measure(*sheet, name, false);
    Measure(*sheet, name, true);
    sheet.reset();
    Pump();
    return true;
}

} // namespace

int main()
{
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
    tables::SampleDatabase shipped;
    if (!tables::LoadSources(LYSORA_TABLES_DIR, shipped).empty() || !Open(shipped, "shipped") || !Measure("shipped tables"))
        return 1;
    if (!Open(testing::GeneratedDatabase(1000, 60), "generated") || !Measure("1,000 feedstuffs x 60 nutrients"))
        return 1;
    if (DATABASE* database = BASEPROGRAMME())
        database->CLOSE();
    SetApplication(nullptr);
    App_Delete(app);
    return 0;
}
