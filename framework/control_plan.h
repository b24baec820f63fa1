// DOM:CONTROL's decision, without any window: which field control edits a domain's values,
// how wide and how many characters, read from what the domain says of its field (type
// letter, width, decimals, the form of its values).
#pragma once

#include "data/domain.h"

namespace lysora {

// Which field control edits a domain's values.
enum class ControlClass {
    EDIT,        // plain edit
    EDIT_NUM,    // number edit
    EDIT_DAT,    // date edit (DDMMYY accepted)
    EDIT_CARNUM, // character field holding a number
    COMBO,       // drop-down list of values
    CTL_BOOL,    // check box holding "O" or "N"
    CTL_COLOR,   // colour box holding "r0g0b0"
};

// What DOM:CONTROL creates for a domain.
struct ControlSpec {
    ControlClass kind = ControlClass::EDIT;
    int width = 0;          // requested width, pixels of the dialog
    int height = 0;         // requested height; 0 for the control's normal height
    int nbcar = 0;          // maximum number of characters typed (NBCAR)
    bool upperCase = false; // ES_UPPERCASE added
    bool multiLine = false; // ES_MULTILINE added
    int len = 0, dec = 0;   // the control's own LEN and DEC (EDIT_CARNUM)
};

// The control width rule: rounded up to a multiple of 20, capped at 300.
int RoundControlWidth(int width);

// The control for a domain. A list read from a table is read first: its texts decide the width.
ControlSpec PlanControl(DOM& dom);

} // namespace lysora
