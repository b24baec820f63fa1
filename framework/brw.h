// BRW: the browse field of a dialog. It makes a browse control (type 9) whose questions
// about records it answers from a table selection (BrowseSource), with one column per field
// declared, each converted to text by its domain. Events of the control (clicks, double
// clicks, keyboard moves, typed keys) go to the dialog's ONKEY. It registers for the
// tables' change notifications when shown, so that a commit anywhere in the program
// redisplays it.
#pragma once

#include "data/dbsel.h"
#include "framework/browse_source.h"
#include "framework/win.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// REFRESH: the table changed, redisplay. ONCOMMIT: a commit happened somewhere in the program.
#define BRW_COMMANDS(OWN, SHARED) OWN(REFRESH) OWN(ONCOMMIT)
LYSORA_COMMANDS(BRW_COMMANDS)

class BRW : public WIN {
public:
    // Marker of a picture whose cells are drawing commands.
    static constexpr std::string_view kDrawnMarker = "\\XMODE";
    static constexpr int kBufferSize = 128;

    // INIT: the selection shown (it must outlive the browse) and a column for every field
    // given, with the table's domain and caption.
    BRW(WIN* parent, DBSEL& data, const std::vector<Symbol>& fields = {});

    LYSORA_METHODS(BRW, WIN, BRW_COMMANDS)

    // Declares a column: the field, its domain (none: plain text), a picture, a width in
    // pixels (0: from the domain) and a title (empty: the field's caption).
    BRW& FLD(Symbol field, DomPtr dom, std::string_view picture = {}, int width = 0, std::string_view title = {});

    // Rebuilds the page: message CB_SKIP, CB_THUMB, CB_CURRENT, CB_GOTOP or CB_GOBOTTOM.
    void DSP(int message, int n = 0, bool notify = false);
    // Redisplays in place, following the selection's record when it left the page.
    void REFRESH();
    void ONCOMMIT() { REFRESH(); }
    WIN& SHOW(int nShow = SW_SHOW) override;

    DBSEL& GET() const { return *data_; }
    void SET(DBSEL& data);

    // The columns' widths as declared (what the control was given).
    const std::vector<int>& Widths() const { return widths_; }
    WinBrw* Browse() const { return reinterpret_cast<WinBrw*>(Record()); }

protected:
    LRESULT OnEvent(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void MakeSource();
    void FillRow(int row, std::int32_t record);

    DBSEL* data_;                // DATA
    std::vector<Symbol> asym_;   // ASYM
    std::vector<DomPtr> adom_;   // ADOM
    std::vector<std::string> apic_, atxt_; // APIC, ATXT
    std::vector<int> widths_;
    std::unique_ptr<BrowseSource> source_;
};

} // namespace lysora
