// BrowseSource (see browse_source.h).
#include "framework/browse_source.h"

#include "base/display_number.h"

#include <algorithm>

namespace lysora {

BrowseSource::BrowseSource(DBSEL& selection, std::vector<Column> columns)
    : selection_(selection), columns_(std::move(columns))
{
}

template <class Move>
std::int32_t BrowseSource::Answer(std::int32_t from, Move move)
{
    const std::int32_t keep = selection_.RECNO();
    if (from)
        selection_.GOTO(from);
    const bool on = move();
    const std::int32_t reached = Keep(on && !selection_.Eof() ? selection_.RECNO() : 0);
    selection_.GOTO(keep);
    return reached;
}

std::int32_t BrowseSource::Keep(std::int32_t record)
{
    if (!record)
        return 0;
    if (kept_.size() > 2 * std::size_t(kThumbRange / 16)) // the rows of a few pages at most
        kept_.clear();
    kept_[record] = {ReadRow(), std::chrono::steady_clock::now()};
    return record;
}

std::vector<std::string> BrowseSource::ReadRow()
{
    std::vector<std::string> texts(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const Value value = selection_.Get(columns_[c].field);
        std::string text = columns_[c].dom ? columns_[c].dom->STR(value)
                           : value.IsNumber()  ? NumberText(value.Number(), kValueDecimals)
                                               : value.IsText() ? value.Text() : std::string();
        if (text.size() > kCellMax)
            text.resize(kCellMax);
        texts[c] = std::move(text);
    }
    return texts;
}

void BrowseSource::Remember(std::int32_t record, long rank)
{
    if (!record)
        return;
    if (ranks_.size() > 4096) // a long walk: only the newest ranks matter
        ranks_.clear();
    ranks_[record] = rank;
}

std::int32_t BrowseSource::GoTop()
{
    const std::int32_t record = Answer(0, [&] { return selection_.GOTOP(); });
    Remember(record, 0);
    return record;
}

std::int32_t BrowseSource::GoBottom()
{
    const std::int32_t record = Answer(0, [&] { return selection_.GOBOTTOM(); });
    if (mapped_ && count_ > 0)
        Remember(record, count_ - 1);
    return record;
}

std::int32_t BrowseSource::Skip(long n, std::int32_t record)
{
    if (!record)
        return 0;
    std::int32_t reached;
    if (n == 0) {
        // The record itself, unless another user deleted it meanwhile: then the record that
        // followed it (the last one when none did). Stepping forward and back tells which.
        const std::int32_t next = Skip(1, record);
        const std::int32_t back = next ? Skip(-1, next) : GoBottom();
        reached = back == record || !next ? back : next;
    } else {
        reached = Answer(record, [&] { return selection_.SKIP(n) && !(n < 0 && selection_.Bof()); });
    }
    if (auto known = ranks_.find(record); known != ranks_.end() && reached)
        Remember(reached, known->second + n);
    return reached;
}

bool BrowseSource::MapIsFresh() const
{
    return mapped_ &&
           std::chrono::steady_clock::now() - mappedAt_ < std::chrono::milliseconds(kSampleLifeMs);
}

void BrowseSource::Invalidate()
{
    kept_.clear();
    mapped_ = false;
    thumbRecord_ = 0;
    ranks_.clear();
}

void BrowseSource::MakeMap()
{
    const long before = count_;
    samples_.clear();
    count_ = 0;
    mapped_ = true;
    mappedAt_ = std::chrono::steady_clock::now();
    const std::int32_t keep = selection_.RECNO();
    if (selection_.GOTOP()) {
        samples_.push_back(selection_.RECNO());
        // Each step must land further on: a table that cannot be read ends the map.
        while (selection_.SKIP(kSampleStep) && !selection_.Eof() && selection_.RECNO() != samples_.back())
            samples_.push_back(selection_.RECNO());
        // Past the last sample: the longest skip that still lands on a record.
        long low = 0, high = kSampleStep; // low reachable, high not
        while (high - low > 1) {
            const long middle = (low + high) / 2;
            selection_.GOTO(samples_.back());
            if (selection_.SKIP(middle) && !selection_.Eof())
                low = middle;
            else
                high = middle;
        }
        count_ = long(samples_.size() - 1) * kSampleStep + low + 1;
    }
    selection_.GOTO(keep);
    if (count_ != before)
        ranks_.clear(); // records came or went: ranks remembered before are wrong
    for (std::size_t k = 0; k < samples_.size(); ++k)
        Remember(samples_[k], long(k) * kSampleStep);
}

std::int32_t BrowseSource::Thumb(int position)
{
    position = std::clamp(position, 0, kThumbRange);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!MapIsFresh())
            MakeMap();
        if (count_ == 0)
            return 0;
        const long rank = long(position) * (count_ - 1) / kThumbRange;
        const std::size_t k = std::size_t(rank / kSampleStep);
        const std::int32_t record =
            Answer(samples_[k], [&] { return rank % kSampleStep == 0 || selection_.SKIP(rank % kSampleStep); });
        if (record) {
            Remember(record, rank);
            lastPosition_ = position;
            thumbRecord_ = record;
            return record;
        }
        Invalidate(); // the table changed under the map: made again once
    }
    return GoBottom();
}

int BrowseSource::Position(std::int32_t record)
{
    if (!MapIsFresh())
        MakeMap();
    if (record && record == thumbRecord_)
        return lastPosition_; // where the user let the thumb go
    const std::optional<long> rank = RankOf(record);
    if (!rank || count_ < 1)
        return lastPosition_;
    const long last = count_ - 1;
    const long position = last > 0 ? (*rank * kThumbRange + last / 2) / last : 0;
    lastPosition_ = int(std::clamp(position, 0L, long(kThumbRange)));
    thumbRecord_ = 0;
    return lastPosition_;
}

std::optional<long> BrowseSource::RankOf(std::int32_t record)
{
    if (auto known = ranks_.find(record); known != ranks_.end())
        return known->second;
    if (!record || !mapped_)
        return std::nullopt;
    // Not answered since the map was made (the map is new after a change): counted from the
    // nearest record of known rank before it, a sampled one at most kSampleStep steps back.
    const std::int32_t keep = selection_.RECNO();
    selection_.GOTO(record);
    std::optional<long> rank;
    for (long steps = 0; steps <= kSampleStep && !selection_.Eof(); ++steps) {
        if (auto known = ranks_.find(selection_.RECNO()); known != ranks_.end()) {
            rank = known->second + steps;
            break;
        }
        if (!selection_.SKIP(-1) || selection_.Bof())
            break;
    }
    selection_.GOTO(keep);
    if (rank)
        Remember(record, *rank);
    return rank;
}

void BrowseSource::Select(std::int32_t record)
{
    if (record)
        selection_.GOTO(record);
}

std::int32_t BrowseSource::Current() const { return selection_.Eof() ? 0 : selection_.RECNO(); }

std::vector<std::string> BrowseSource::Row(std::int32_t record)
{
    if (!record)
        return std::vector<std::string>(columns_.size());
    if (auto kept = kept_.find(record); kept != kept_.end()) {
        const bool fresh = std::chrono::steady_clock::now() - kept->second.at < std::chrono::milliseconds(kKeptRowMs);
        std::vector<std::string> texts = std::move(kept->second.texts);
        kept_.erase(kept);
        if (fresh)
            return texts;
    }
    const std::int32_t keep = selection_.RECNO();
    selection_.GOTO(record);
    std::vector<std::string> texts = ReadRow();
    selection_.GOTO(keep);
    return texts;
}

} // namespace lysora
