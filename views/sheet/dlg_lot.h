// DLG_LOT: the small dialog in which the user enters the crude protein and dry matter of the
// batch of the sheet's feedstuff (% as fed, each optional), beside the table's values for
// reference. OK applies the batch to the sheet, "Table values" removes it, Cancel changes
// nothing; an entry that is not a number, out of range, or a protein not below the dry
// matter is refused with a message and the dialog stays open with what was typed.
//
// The feedstuff sheet that opens it is its owner and stays disabled while it is open.
#pragma once

#include "framework/dlg.h"
#include "views/sheet/batch.h"

namespace lysora {

class DLG_FICHEMAT;

// "Table values" removes the batch. OK, which every dialog answers, runs DLG_LOT::OK below.
#define DLG_LOT_COMMANDS(OWN, SHARED) OWN(VALEURSTABLE)
LYSORA_COMMANDS(DLG_LOT_COMMANDS)

// The two entry fields: crude protein and dry matter.
namespace cmd {
inline constexpr Command LOTPROTEINE{"LOTPROTEINE"};
inline constexpr Command LOTMS{"LOTMS"};
} // namespace cmd

class DLG_LOT : public DLG {
public:
    // INIT: the sheet, its feedstuff's batch (shown in the fields) and table values.
    DLG_LOT(DLG_FICHEMAT* sheet, const Batch& batch, const BatchBasis& table);

    LYSORA_METHODS(DLG_LOT, DLG, DLG_LOT_COMMANDS)

    // Checks the entries; applies the batch and closes, or says why and stays open.
    bool OK() override;
    // Removes the sheet's batch and closes.
    void VALEURSTABLE();

private:
    DLG_FICHEMAT* sheet_;
};

} // namespace lysora
