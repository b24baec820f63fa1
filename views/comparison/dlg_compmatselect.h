// DLG_COMPMATSELECT: the first step of the comparison. The user picks a value type, any
// number of feedstuffs and any number of nutrients; "create a cross table" saves the choice
// in the settings file, closes this dialog and opens DLG_COMPMAT. The last choice is shown
// again the next time; saved keys that no longer name a line are left out.
//
// The two lists are plain multiple-selection list boxes made when the dialog first shows;
// Enter, Escape and Tab typed in them act as in the dialog's other controls.
#pragma once

#include "framework/dlg.h"

#include <string>
#include <vector>

namespace lysora {

// The selection's commands: all or none of the feedstuffs; the nutrients of a group, all or
// none; the cross table; help.
#define DLG_COMPMATSELECT_COMMANDS(OWN, SHARED)                                                                \
    OWN(SELECTALLMAT) OWN(CLEARMAT) OWN(AAE) OWN(AANE) OWN(AP) OWN(SELECTALLNUTRI) OWN(CLEARNUTRI)             \
    OWN(CREERTABLEAU) SHARED(ONHELP)
LYSORA_COMMANDS(DLG_COMPMATSELECT_COMMANDS)

class DLG_COMPMATSELECT : public DLG {
public:
    static constexpr int kWidth = 710, kHeight = 534;
    static constexpr int XNUTRI = 470;
    static constexpr unsigned long kHelpTopic = 30;

    DLG_COMPMATSELECT();

    LYSORA_METHODS(DLG_COMPMATSELECT, DLG, DLG_COMPMATSELECT_COMMANDS)

    void ONFLD(Symbol sym) override;
    void ONKEY(int key) override;
    void ONCMD(Symbol sym) override;
    void ONHELP() override;

    void LOADINI();
    void CREERTABLEAU();
    void SELECTALLMAT();
    void CLEARMAT();
    void SELECTALLNUTRI();
    void CLEARNUTRI();
    void AAE();
    void AANE();
    void AP();
    // Selects exactly the nutrient lines whose code is among codes.
    void FILTRERNUTRI(const std::vector<std::string>& codes);

    // List box helpers (index -1: every line).
    static void ADDSTRING(HWND lb, const std::string& text);
    static void INSERTSTRING(HWND lb, const std::string& text, int index);
    static void SETSEL(HWND lb, int index, bool select);
    static bool ISSELECTED(HWND lb, int index);
    static void CLEARLB(HWND lb) { SETSEL(lb, -1, false); }
    static void SELECTALLLB(HWND lb) { SETSEL(lb, -1, true); }

    HWND LBMAT = nullptr;
    HWND LBNUTRI = nullptr;
    std::vector<double> ACLESMAT;
    std::vector<std::string> ACLESNUTRI;
    std::vector<std::string> ACOURTS;

    // The value type shown by the drop-down list.
    std::string ValueType();
    // The label and the value-type drop-down list at the top left of a comparison dialog,
    // showing valueType.
    static void TYPEVALEUR(DLG& dialog, const std::string& valueType);

private:
    HWND MakeList(int x, int y, int w, int h, DWORD style);
};

} // namespace lysora
