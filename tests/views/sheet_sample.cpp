// Test tool (Windows): the feedstuff sheet's three exports of shipped feedstuffs, written by
// the sheet itself from what its grids hold, for the independent readers of the files.
//   sheet_sample export LANGUAGE SEPARATOR FOLDER CODE...
// opens the sheet on each feedstuff code in turn (as the remembered "Mat") and writes
// FOLDER/sheet_CODE.csv, FOLDER/sheet_CODE.rtf and FOLDER/sheet_CODE.txt (the formulation
// file); LANGUAGE is FRA or ENG, SEPARATOR the Windows decimal separator. Runs in the folder
// of the shipped tables. Exit code 0 on success, 1 when a feedstuff cannot be shown or a
// file was not written.
#include "app/opendb.h"
#include "app/settings.h"
#include "app/strings.h"
#include "data/domain_text.h"
#include "views/dlg_fichemat.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace lysora;

int Export(const std::string& folder, int count, char** codes)
{
    int status = 0;
    for (int i = 0; i < count; ++i) {
        const std::string code = codes[i];
        PUTPARAM(kParams, kKeyMat, code);
        std::unique_ptr<DLG> created = DialogClasses::Instance().Create(Symbol("DLG_FICHEMAT"));
        auto* sheet = dynamic_cast<DLG_FICHEMAT*>(WIN::Adopt(std::move(created)));
        if (!sheet)
            return 1;
        sheet->SHOW();
        WIN::DOEVENTS();
        if (std::to_string(sheet->Current().matiere) != code) {
            std::fprintf(stderr, "the sheet shows feedstuff %d, not %s\n", sheet->Current().matiere, code.c_str());
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
        }
        sheet->CLOSE();
        WIN::DOEVENTS();
        WIN::ReleaseClosedWindows();
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "export" || argc < 6 || std::string(argv[3]).size() != 1) {
        std::fprintf(stderr, "usage: sheet_sample export FRA|ENG SEPARATOR FOLDER CODE...\n");
        return 2;
    }
    App* app = App_New(GetModuleHandleA(nullptr));
    SetApplication(app);
    __Out_RegisterBitmapInstance(GetModuleHandleA(nullptr));
    RegisterDialogClass<DLG_FICHEMAT>("DLG_FICHEMAT");
    CHOISIRLANGUE(argv[2]);
    SetDecimalSeparator(argv[3][0]);
    const int status = OPENDB(false) ? Export(argv[4], argc - 5, argv + 5) : 1;
    WIN::ReleaseClosedWindows();
    SetApplication(nullptr);
    App_Delete(app);
    return status;
}
