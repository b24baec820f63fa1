// Test tool (Windows): the feedstuff sheet's three exports of shipped feedstuffs, written by
// the sheet itself from what its grids hold, for the independent readers of the files.
//   sheet_sample export LANGUAGE SEPARATOR FOLDER CODE...
// opens the sheet on each feedstuff code in turn (as the remembered "Mat") and writes
// FOLDER/sheet_CODE.csv, FOLDER/sheet_CODE.rtf and FOLDER/sheet_CODE.txt (the formulation
// file);
//   sheet_sample preview LANGUAGE SEPARATOR SECONDS CODE
// shows the printout of the three tables of that feedstuff in the preview, whole page in
// view, for SECONDS (for pictures). LANGUAGE is FRA or ENG, SEPARATOR the Windows decimal
// separator. Runs in the folder of the shipped tables. Exit code 0 on success, 1 when a
// feedstuff cannot be shown or a file was not written.
#include "data/domain_text.h"
#include "print/preview_win32.h"
#include "services/opendb.h"
#include "services/settings.h"
#include "services/strings.h"
#include "views/sheet/dlg_fichemat.h"
#include "views/view_colours.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace lysora;

// The sheet opened on the feedstuff of that code, as the remembered one; null (and said)
// when it shows another one.
DLG_FICHEMAT* OpenSheet(const std::string& code)
{
    PUTPARAM(kParams, kKeyMat, code);
    auto* sheet = dynamic_cast<DLG_FICHEMAT*>(WIN::Adopt(DialogClasses::Instance().Create(Symbol("DLG_FICHEMAT"))));
    if (!sheet)
        return nullptr;
    sheet->SHOW();
    WIN::DOEVENTS();
    if (std::to_string(sheet->Current().matiere) == code)
        return sheet;
    std::fprintf(stderr, "the sheet shows feedstuff %d, not %s\n", sheet->Current().matiere, code.c_str());
    sheet->CLOSE();
    return nullptr;
}

void CloseSheet(DLG_FICHEMAT& sheet)
{
    sheet.CLOSE();
    WIN::DOEVENTS();
    WIN::ReleaseClosedWindows();
}

int Export(const std::string& folder, int count, char** codes)
{
    int status = 0;
    for (int i = 0; i < count; ++i) {
        const std::string code = codes[i];
        DLG_FICHEMAT* sheet = OpenSheet(code);
        if (!sheet) {
            status = 1;
        } else {
            const std::string base = folder + "\\sheet_" + code;
            sheet->EXPORTEXCEL(base + ".csv");
            sheet->EXPORTRTF(base + ".rtf");
            sheet->EXPORTOLVAN(base + ".txt");
            for (const char* extension : {".csv", ".rtf", ".txt"})
                if (!std::filesystem::exists(base + extension)) {
                    std::fprintf(stderr, "%s%s not written\n", base.c_str(), extension);
                    status = 1;
                }
            CloseSheet(*sheet);
        }
    }
    return status;
}

int Preview(int seconds, const std::string& code)
{
    DLG_FICHEMAT* sheet = OpenSheet(code);
    if (!sheet)
        return 1;
    PREVIEW* preview = OpenPreview(sheet->PrintedValues());
    if (HWND list = preview ? GetDlgItem(preview->HANDLE(), 199) : nullptr) { // zoom "75 %"
        SendMessageA(list, LB_SETCURSEL, 4, 0);
        SendMessageA(preview->HANDLE(), WM_COMMAND, MAKEWPARAM(199, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    while (GetTickCount() < end) {
        WIN::DOEVENTS();
        Sleep(20);
    }
    CloseSheet(*sheet);
    return preview ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool exporting = mode == "export" && argc >= 6, previewing = mode == "preview" && argc == 6;
    if (!(exporting || previewing) || std::string(argv[3]).size() != 1) {
        std::fprintf(stderr, "usage: sheet_sample export FRA|ENG SEPARATOR FOLDER CODE...\n"
                             "       sheet_sample preview FRA|ENG SEPARATOR SECONDS CODE\n");
        return 2;
    }
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
    RegisterDialogClass<DLG_FICHEMAT>("DLG_FICHEMAT");
    CHOISIRLANGUE(argv[2]);
    SetDecimalSeparator(argv[3][0]);
    SETCOULEURS();
    int status = 1;
    if (OPENDB(false))
        status = exporting ? Export(argv[4], argc - 5, argv + 5) : Preview(std::atoi(argv[4]), argv[5]);
    WIN::ReleaseClosedWindows();
    SetApplication(nullptr);
    App_Delete(app);
    return status;
}
