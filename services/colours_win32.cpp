// The program-wide colours (see colours.h).
#include "services/colours.h"

#include "services/screen.h"

namespace lysora {
namespace {

struct Colours {
    COLORREF accent = 0;
    COLORREF header = 0;
    HBRUSH headerBrush = nullptr;
};

COLORREF ToColorref(Rgb colour, bool paletteRelative)
{
    return paletteRelative ? PALETTERGB(colour.red, colour.green, colour.blue)
                           : RGB(colour.red, colour.green, colour.blue);
}

Colours ForThisScreen()
{
    const StartColours colours = ColoursForDepth(NBBPP());
    return {ToColorref(colours.accent, colours.accentPaletteRelative), ToColorref(colours.header, false), nullptr};
}

// Chosen on first use, so that whatever shows a view (the program, a test, a tool) paints
// in the same colours.
Colours& Program()
{
    static Colours colours = ForThisScreen();
    return colours;
}

} // namespace

void ChooseProgramColours()
{
    Colours& program = Program();
    const Colours chosen = ForThisScreen();
    program.accent = chosen.accent;
    program.header = chosen.header;
    if (!program.headerBrush)
        program.headerBrush = CreateSolidBrush(program.header);
}

void ReleaseProgramColours()
{
    if (Program().headerBrush)
        DeleteObject(Program().headerBrush);
    Program().headerBrush = nullptr;
}

COLORREF COULEURACCENT() { return Program().accent; }
COLORREF COULEURENTETE() { return Program().header; }
HBRUSH BROSSEENTETE()
{
    if (!Program().headerBrush)
        Program().headerBrush = CreateSolidBrush(Program().header);
    return Program().headerBrush;
}

} // namespace lysora
