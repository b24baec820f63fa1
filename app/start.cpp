// START (see start.h).
#include "app/start.h"

#include "app/admin.h"
#include "app/dlg_intro.h"
#include "services/colours.h"
#include "services/reftables.h"
#include "services/screen.h"
#include "services/settings.h"
#include "services/strings.h"
#include "views/grid/fld_grille.h"
#include "views/sheet/dlg_fichemat.h"
#include "views/view_colours.h"

#include <memory>
#include <string>

namespace lysora {
namespace {

HICON& ProgramIcon()
{
    static HICON icon = nullptr;
    return icon;
}

} // namespace

void SETICON(std::string_view name)
{
    ProgramIcon() = LoadIconA(GetModuleHandleA(nullptr), std::string(name).c_str());
    WIN::SetProgramIcon(ProgramIcon());
}

HICON ICONEPROGRAMME() { return ProgramIcon(); }

std::string FICHIERIMAGE(std::string_view file) { return PROGRAMDIR() + std::string(file); }

void START()
{
    SETCOULEURS();
    SETICON("Icone");
    INITREGLAGES();
    RegisterDialogClass<DLG_FICHEMAT>("DLG_FICHEMAT");
    InstallFieldBrowse(); // the "..." button of every table-code field
    if (INITLANGUE()) {
        // The intro opens the database and the menu when it closes, or posts the quit.
        auto intro = std::make_unique<DLG_INTRO>();
        intro->SHOW();
        Loop_Main(0);
        // The menu and the intro are closed by now; their objects go before the brush, and
        // the administration's browse windows while their tables are still open.
        WIN::ReleaseClosedWindows();
        GLOBAL_RELEASE();
    }
    // The tables are closed here, while the table engine is whole, rather than by the
    // program's exit.
    if (DATABASE* database = BASEPROGRAMME())
        database->CLOSE();
    FLD_GRILLE::SetHeaderBrush(nullptr);
    ReleaseProgramColours();
}

} // namespace lysora
