// DLG_INTRO (see dlg_intro.h).
#include "app/dlg_intro.h"

#include "app/dlg_menu.h"
#include "app/start.h"
#include "services/opendb.h"
#include "services/settings.h"
#include "services/strings.h"
#include "views/picture/fld_bitmap.h"

namespace lysora {
namespace {

constexpr int kButtonHeight = 30;

} // namespace

DLG_INTRO::DLG_INTRO() : DLG(nullptr, GKT_DIALOG, "Lysora")
{
    SetMainWindow(this);
    if (Record()) {
        Record()->style = WS_POPUP; // no border, no caption bar
        Record()->ex_style = 0;
    }
    XFLDMIN(0); // fields go exactly where the pen is
    XY(0, 0).FLD(Symbol("ACCUEIL"), DOM_BITMAP(FICHIERIMAGE("accueil.bmp")).CONTROL(this));
    XY(282, 40).FLD(Symbol("TITRE"), DOM_BITMAP(FICHIERIMAGE(LIB(Symbol("BMPTITRE")))).CONTROL(this));
    XY(380, 228).CMD(cmd::FRA, "&Francais", 0, std::nullopt, "#francais");
    XY(380, 268).CMD(cmd::ENG, "&English", 0, std::nullopt, "#english");
    for (Command language : {cmd::FRA, cmd::ENG})
        if (WIN* button = CMD(language); button && button->Record())
            button->Record()->req_h = kButtonHeight;
    SETTIMER(kDelayMs);
    CENTER(kWidth, kHeight);
}

void DLG_INTRO::ONFLD(Symbol sym)
{
    if (sym.IsNull() && !LANGUE().empty())
        FOCUS(Symbol(LANGUE()));
}

void DLG_INTRO::FRA() { ChooseLanguage(kFrench); }

void DLG_INTRO::ENG() { ChooseLanguage(kEnglish); }

void DLG_INTRO::ChooseLanguage(std::string_view code)
{
    if (LANGUE() != code) {
        PUTPARAM(kParams, kKeyLangue, code);
        // Chosen for this run even when the settings file cannot be written.
        CHOISIRLANGUE(code);
    }
    CLOSE();
}

void DLG_INTRO::ONTIMER() { CLOSE(); }

void DLG_INTRO::ONCLOSE()
{
    DLG::ONCLOSE();
    if (!OPENDB()) {
        PostQuitMessage(0);
        return;
    }
    WIN::Adopt(std::make_unique<DLG_MENU>())->SHOW();
}

} // namespace lysora
