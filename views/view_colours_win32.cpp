// SETCOULEURS (see view_colours.h).
#include "views/view_colours.h"

#include "print/preview_win32.h"
#include "services/colours.h"
#include "services/strings.h"
#include "views/grid/fld_grille.h"

namespace lysora {

void SETCOULEURS()
{
    ChooseProgramColours();
    FLD_GRILLE::SetHeaderBrush(BROSSEENTETE());
    PreviewCaptionSource() = [] {
        return PreviewCaptions{LIB(Symbol("IMPRESSION")), LIB(Symbol("ZOOM")), UNAMP(LIB(Symbol("FERMER")))};
    };
}

} // namespace lysora
