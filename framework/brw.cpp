// BRW (see brw.h).
#include "framework/brw.h"

#include "framework/dlg.h"

#include <algorithm>

namespace lysora {
namespace {

constexpr int kMinWidth = 50, kMaxWidth = 500, kDateMinWidth = 90, kNoDomainWidth = 100;

// Pixels for a column of a domain: ten per character and one more character.
int ColumnWidth(const DomPtr& dom, const std::string& picture, int given)
{
    int width = given;
    if (width <= 0)
        width = !dom ? kNoDomainWidth : (int(picture.empty() ? dom->LEN() : int(picture.size())) + 1) * 10;
    width = std::clamp(width, kMinWidth, kMaxWidth);
    if (dom && dom->TYP() == "D")
        width = std::max(width, kDateMinWidth);
    return width;
}

} // namespace

BRW::BRW(WIN* parent, DBSEL& data, const std::vector<Symbol>& fields) : WIN(parent, GKT_BROWSE), data_(&data)
{
    const std::vector<Symbol>& syms = data.FLDSYM();
    for (Symbol field : fields) {
        auto found = std::find(syms.begin(), syms.end(), field);
        FLD(field, found == syms.end() ? DomPtr() : data.FLDOBJ()[std::size_t(found - syms.begin())]);
    }
    MakeSource();
}

BRW& BRW::FLD(Symbol field, DomPtr dom, std::string_view picture, int width, std::string_view title)
{
    std::string pic(picture);
    bool drawn = false;
    if (auto marker = pic.find(kDrawnMarker); marker != std::string::npos) {
        drawn = true;
        pic.erase(marker, kDrawnMarker.size());
    }
    std::string caption = title.empty() ? data_->FLDTXT(field) : std::string(title);
    width = ColumnWidth(dom, pic, width);
    const int format = dom && dom->TYP() == "N" ? DT_RIGHT : DT_LEFT;
    asym_.push_back(field);
    adom_.push_back(dom);
    apic_.push_back(pic);
    atxt_.push_back(caption);
    widths_.push_back(width);
    Brw_SetCol(Record(), -1, caption.c_str(), width, kBufferSize, format, drawn);
    MakeSource();
    return *this;
}

void BRW::MakeSource()
{
    std::vector<BrowseSource::Column> columns;
    for (std::size_t i = 0; i < asym_.size(); ++i)
        columns.push_back({asym_[i], adom_[i]});
    source_ = std::make_unique<BrowseSource>(*data_, std::move(columns));
}

void BRW::SET(DBSEL& data)
{
    data_ = &data;
    MakeSource();
    if (Exists())
        DSP(CB_GOTOP, 0, true);
}

void BRW::DSP(int message, int n, bool notify) { Brw_Dsp(Record(), message, n, notify); }

void BRW::REFRESH()
{
    if (!Exists())
        return;
    source_->Invalidate();
    // A current record deleted meanwhile gives way to the one that followed it.
    if (const std::int32_t current = source_->Current())
        if (const std::int32_t alive = source_->Skip(0, current); alive != current)
            source_->Select(alive);
    DSP(CB_SKIP, 0);
    // The selection's record (a new one, or the one that followed a deleted one) is shown.
    if (Browse()->current_row < 0 && source_->Current())
        DSP(CB_CURRENT);
}

WIN& BRW::SHOW(int nShow)
{
    if (!Exists())
        data_->GOTOP();
    WIN::SHOW(nShow);
    if (Exists())
        NOTIFY_REGISTER(this);
    return *this;
}

void BRW::FillRow(int row, std::int32_t record)
{
    const std::vector<std::string> texts = source_->Row(record);
    const int mark = record && record == source_->Current();
    for (std::size_t c = 0; c < texts.size(); ++c)
        Brw_SetText(Record(), int(c), row, texts[c].c_str(), mark);
}

LRESULT BRW::OnEvent(UINT msg, WPARAM wparam, LPARAM lparam)
{
    const auto record = std::int32_t(lparam);
    switch (msg) {
    case CB_GOTOP: return source_->GoTop();
    case CB_GOBOTTOM: return source_->GoBottom();
    case CB_SKIP: return source_->Skip(long(INT_PTR(wparam)), record);
    case CB_THUMB: return source_->Thumb(int(wparam));
    case CB_POSITION: return source_->Position(record);
    case CB_CURRENT: return source_->Current();
    case CB_SELECT: source_->Select(record); return 0;
    case CB_FILLROW: FillRow(int(wparam), record); return 0;
    case WM_CHAR:
        if (auto* dialog = dynamic_cast<DLG*>(PARENT()))
            dialog->ONKEY(int(wparam));
        return 0;
    default: return WIN::OnEvent(msg, wparam, lparam);
    }
}

} // namespace lysora
