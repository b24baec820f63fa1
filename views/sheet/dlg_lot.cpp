// DLG_LOT (see dlg_lot.h).
#include "views/sheet/dlg_lot.h"

#include "base/messages.h"
#include "data/domain.h"
#include "data/domain_text.h"
#include "services/colours.h"
#include "services/strings.h"
#include "views/sheet/dlg_fichemat.h"

namespace lysora {
namespace {

constexpr int kEntryWidth = 8; // characters of an entry: "100,00" and a little room
constexpr int kEntryColumn = 275, kEntryPixels = 70, kTableColumn = 355;
constexpr int kWidth = 480, kHeight = 150, kButtonRow = 85;

// The table's value beside an entry; "-" when the table has none.
std::string TableText(double value)
{
    return LIB(Symbol("LOTTABLE")) + " " + (value > 0 ? BatchNumber(value, DecimalSeparator()) : std::string("-"));
}

std::string EntryText(const std::optional<double>& value)
{
    return value ? BatchNumber(*value, DecimalSeparator()) : std::string();
}

} // namespace

DLG_LOT::DLG_LOT(DLG_FICHEMAT* sheet, const Batch& batch, const BatchBasis& table)
    : DLG(sheet, GKT_DIALOG, LIB(Symbol("LOTTITRE"))), sheet_(sheet)
{
    XFLDMIN(kEntryColumn);
    const struct {
        Command command;
        const char* label;
        std::optional<double> value;
        double table;
    } entries[] = {{cmd::LOTPROTEINE, "LOTPROTEINE", batch.proteine, table.proteine},
                   {cmd::LOTMS, "LOTMS", batch.matiereSeche, table.matiereSeche}};
    for (const auto& entry : entries) {
        LBL(Symbol(), LIB(Symbol(entry.label)));
        X(kEntryColumn).FLD(entry.command, std::make_shared<DOM_CAR>(kEntryWidth, false), kEntryPixels);
        X(kTableColumn).LBL(Symbol(), TableText(entry.table)).LN();
        FLDSET(entry.command, Value(EntryText(entry.value)));
    }
    XY(15, kButtonRow).CMD(cmd::OK, LIB(Symbol("OK")), 80);
    XY(105, kButtonRow).CMD(cmd::CLOSE, LIB(Symbol("ANNULER")), 100);
    XY(215, kButtonRow).CMD(cmd::VALEURSTABLE, LIB(Symbol("LOTVALEURSTABLE")), 170);
    const COLORREF accent = COULEURACCENT();
    SETCOLOR(GetRValue(accent), GetGValue(accent), GetBValue(accent));
    CENTER(kWidth, kHeight);
    BLOQUER();
}

bool DLG_LOT::OK()
{
    auto typed = [this](Command command) {
        WIN* field = FLD(command);
        return field ? field->GETTEXT() : std::string();
    };
    Batch batch;
    const BatchCheck check = ReadBatch(typed(cmd::LOTPROTEINE), typed(cmd::LOTMS), DecimalSeparator(), batch);
    if (!check.Ok()) {
        FOCUS(check.field == 2 ? cmd::LOTMS : cmd::LOTPROTEINE);
        ShowMessage(LIB(Symbol(check.key)), LIB(Symbol("ERREUR")), kMbOk | kMbIconStop);
        return false;
    }
    DLG_FICHEMAT* sheet = sheet_;
    CLOSE();
    sheet->APPLIQUERLOT(batch);
    return true;
}

void DLG_LOT::VALEURSTABLE()
{
    DLG_FICHEMAT* sheet = sheet_;
    CLOSE();
    sheet->APPLIQUERLOT(Batch{});
}

} // namespace lysora
