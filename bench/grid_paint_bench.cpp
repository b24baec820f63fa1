// Benchmark (Windows build, run under Wine and Xvfb by scripts/bench): the comparison
// table's grid (240-pixel titles, 38-pixel columns, 13 columns and 19 rows shown) holding
// 1,000 feedstuffs by 60 nutrients, painted whole (headers and rows) and rows only (as
// while scrolling), and re-sorted on a header click with the repaint that follows.
#include "framework/dlg.h"
#include "views/grid/fld_grille.h"

#include <chrono>
#include <cstdio>

namespace {

using namespace lysora;
using Clock = std::chrono::steady_clock;

Value Rows()
{
    ValueArray rows;
    for (int m = 0; m < 1000; ++m) {
        ValueArray row{Value("Feedstuff " + std::to_string((m * 7919) % 100000))};
        for (int n = 0; n < 60; ++n)
            row.push_back((m + n) % 17 == 0 ? Value(0) : Value(double((m * 31 + n * 7) % 10000) / 100));
        rows.push_back(Value(row));
    }
    return Value(rows);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

template <class Step>
double MillisecondsPerRun(int runs, Step step)
{
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i)
        step(i);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

} // namespace

int main()
{
    App* app = App_New(GetModuleHandleA(nullptr));
    if (!app)
        return 1;
    SetApplication(app);
    int result = 0;
    {
        DLG dialog(nullptr, GKT_DIALOG, "grid");
        dialog.CENTER(785, 534);
        auto grid = DOM_GRILLE(240, 38, 750, 18, 19).CONTROL(&dialog);
        for (int n = 0; n < 60; ++n)
            grid->COLONNES.push_back("N" + std::to_string(100 + n));
        grid->TRIAUTORISE = true;
        grid->TRIERLIGNES(1);
        grid->LIGNES(Rows());
        FLD_GRILLE& shown = *grid;
        dialog.XFLDMIN(0).XY(15, 80).FLD(Symbol("GRILLE"), std::move(grid));
        dialog.SHOW();
        Pump();
        HWND hwnd = shown.HANDLE();
        constexpr int kRuns = 200;
        const double whole = MillisecondsPerRun(kRuns, [&](int) {
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
        });
        const double rowsOnly = MillisecondsPerRun(kRuns, [&](int i) {
            shown.POSITIONNERRELATIFV(i % 2 ? -1 : 1); // one row down, one back up
        });
        const double sortAndPaint = MillisecondsPerRun(kRuns, [&](int i) {
            shown.CLICENTETE(2 + i % 60);
            UpdateWindow(hwnd);
        });
        std::printf("grid_paint_bench: 1000 rows x 60 columns, 19 x 13 shown: whole repaint %.2f ms, "
                    "one-row scroll %.2f ms, header click (sort + repaint) %.2f ms (mean of %d)\n",
                    whole, rowsOnly, sortAndPaint, kRuns);
        result = shown.NB_LIGNES() == 1000 ? 0 : 1;
        dialog.CLOSE();
        Pump();
    }
    SetApplication(nullptr);
    App_Delete(app);
    return result;
}
