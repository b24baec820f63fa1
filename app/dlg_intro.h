// DLG_INTRO: the borderless intro window shown at start. It shows the intro picture and the
// title picture of the current language, offers one button per language (the current one
// focused), and closes after ten seconds or when a language is chosen. Closing it opens the
// database and then the main menu, or ends the program when the database cannot be opened.
#pragma once

#include "framework/dlg.h"

namespace lysora {

// The intro's commands: one per language button, and its timer.
#define DLG_INTRO_COMMANDS(OWN, SHARED) OWN(FRA) OWN(ENG) SHARED(ONTIMER)
LYSORA_COMMANDS(DLG_INTRO_COMMANDS)

class DLG_INTRO : public DLG {
public:
    static constexpr unsigned kDelayMs = 10000;
    static constexpr int kWidth = 538, kHeight = 323;

    DLG_INTRO();

    LYSORA_METHODS(DLG_INTRO, DLG, DLG_INTRO_COMMANDS)

    void ONFLD(Symbol sym) override;
    void FRA();
    void ENG();
    void ONTIMER();
    void ONCLOSE() override;

private:
    // Makes code the language (written to the settings file when it changes), then closes.
    void ChooseLanguage(std::string_view code);
};

} // namespace lysora
