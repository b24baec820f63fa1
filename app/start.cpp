// START (see start.h).
#include "app/start.h"

#include "app/admin.h"
#include "app/dlg_intro.h"
#include "app/program.h"
#include "app/reftables.h"
#include "app/screen.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/utilities.h"
#include "print/preview_win32.h"
#include "views/dlg_fichemat.h"
#include "views/fld_grille.h"

#include <memory>
#include <string>

namespace lysora {
namespace {

struct Globals {
    COLORREF accent = 0;
    COLORREF header = 0;
    HBRUSH headerBrush = nullptr;
    HICON icon = nullptr;
};

Globals& Program()
{
    static Globals globals;
    return globals;
}

COLORREF ToColorref(Rgb colour, bool paletteRelative)
{
    return paletteRelative ? PALETTERGB(colour.red, colour.green, colour.blue)
                           : RGB(colour.red, colour.green, colour.blue);
}

} // namespace

void SETICON(std::string_view name)
{
    Program().icon = LoadIconA(GetModuleHandleA(nullptr), std::string(name).c_str());
    WIN::SetProgramIcon(Program().icon);
}

COLORREF COULEURACCENT() { return Program().accent; }
COLORREF COULEURENTETE() { return Program().header; }
HBRUSH BROSSEENTETE() { return Program().headerBrush; }
HICON ICONEPROGRAMME() { return Program().icon; }

std::string FICHIERIMAGE(std::string_view file) { return PROGRAMDIR() + std::string(file); }

void SETCOULEURS()
{
    Globals& program = Program();
    const StartColours colours = ColoursForDepth(NBBPP());
    program.accent = ToColorref(colours.accent, colours.accentPaletteRelative);
    program.header = ToColorref(colours.header, false);
    if (!program.headerBrush)
        program.headerBrush = CreateSolidBrush(program.header);
    FLD_GRILLE::SetHeaderBrush(program.headerBrush);
    PreviewCaptionSource() = [] {
        return PreviewCaptions{LIB(Symbol("IMPRESSION")), LIB(Symbol("ZOOM")), UNAMP(LIB(Symbol("FERMER")))};
    };
}

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
    DeleteObject(Program().headerBrush);
    Program().headerBrush = nullptr;
}

} // namespace lysora
