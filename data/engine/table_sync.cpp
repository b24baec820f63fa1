// Staying current: a shared work area takes in the write-backs of other processes before
// it moves, reads or changes, and read bursts that check only once.
//
// May assume: the header's change counter and record count move with every completed
// write-back, and the change note describes the last ones (trusted only when it leads
// from this area's counter to the header's); this area's waiting changes are on records
// it holds locked.
// Must leave true: after a refresh the area holds the records and index as the files hold
// them, with its own waiting changes on top; a burst sees one state from its start to
// its end, and refuses changes meanwhile.
#include "data/engine/table_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cstring>

namespace lysora::engine {

// The common case costs one shared lock and one read of the header: nothing changed.
// Inside a read burst nothing is checked: the burst reads the state it began with.
bool Table::Refresh() {
    if (!shared_ || writing_ || bursts_ > 0) return true;
    if (!WritePending()) return false; // this area leaves the record it changed
    if (!LockWithin(*dbf_, kHeaderLockByte, 1, false, kLockWaitMs))
        return Fail("table " + baseName_ + " is busy: another user has been writing it for too long", Failure::kBusy);
    std::uint32_t records = 0, counter = 0;
    bool ok = ReadCounts(records, counter);
    const bool same = records == header_.records && counter == header_.changeCounter;
    dbf_->Unlock(kHeaderLockByte, 1);
    if (!ok || (same && !stale_)) return ok;
    if (!LockForReading()) return false;
    ok = SyncLocked();
    UnlockForUpdate();
    return ok;
}

bool Table::ReadCounts(std::uint32_t& records, std::uint32_t& counter) {
    unsigned char* prefix = reinterpret_cast<unsigned char*>(diskPrefix_.data());
    if (!dbf_->Read(0, prefix, kDbfPrefix)) return Fail("table header unreadable");
    records = Le32(prefix + 4);
    counter = Le32(prefix + 16);
    return true;
}

bool Table::SyncLocked() {
    std::uint32_t records = 0, counter = 0;
    if (!ReadCounts(records, counter)) return false;
    if (!stale_ && records == header_.records && counter == header_.changeCounter) return true;
    // The index is read again only when its writer stamped it anew.
    std::string error;
    const bool indexChanged = cdx_ && (stale_ || IndexStamp() != indexStamp_);
    if (!stale_ && ReloadChanged(records, counter)) return true;
    if (!LoadRecords(false, error) || (indexChanged && !LoadIndex(true, error)))
        return Fail("table changed by another user and now unreadable: " + error);
    stale_ = false;
    // This area's waiting changes go on top (their records are locked by it): into the
    // index too when it was read again, else it has them already.
    for (const auto& [recno, image] : pending_) {
        if (recno > header_.records) continue;
        if (indexChanged)
            ReplaceRecord(recno, image.data());
        else
            std::memcpy(MutableRecord(recno), image.data(), image.size());
    }
    if (recno_ > header_.records) eof_ = true;
    return true;
}

bool Table::ReadChangeNotes(std::vector<ChangeNote>& notes) {
    std::string error;
    if (!files_->note && FileExists(notePath_)) files_->note = OpenTableFile(notePath_, !files_->readOnly, false, error);
    if (!files_->note) return false;
    std::string bytes(std::size_t(std::min<std::uint64_t>(files_->note->Size(), 1u << 24)), '\0');
    return !bytes.empty() && files_->note->Read(0, bytes.data(), bytes.size()) && DecodeChangeNotes(bytes, notes);
}

// A reader some write-backs behind: the records and index pages the change note names for
// them are read again, nothing else. false when the note does not lead from this reader's
// state to the files' (the caller reads everything again).
bool Table::ReloadChanged(std::uint32_t records, std::uint32_t counter) {
    if (!shared_ || !files_ || !pending_.empty() || records < header_.records) return false;
    const std::uint32_t len = header_.recordLength;
    // A count the file cannot hold: the whole reload says what is wrong.
    if (records > kMaxRecords || header_.headerLength + std::uint64_t(records) * len > dbf_->Size()) return false;
    std::vector<ChangeNote> notes;
    CatchUp plan;
    if (!ReadChangeNotes(notes) ||
        !PlanCatchUp(notes, header_.changeCounter, counter, {header_.headerLength, len, records, cdx_ != nullptr}, plan))
        return false;
    data_.resize(std::size_t(records) * len, ' '); // a failed read below: the caller reads all again
    for (const auto& [first, last] : plan.records)
        if (!dbf_->Read(header_.headerLength + first * len, data_.data() + first * len, std::size_t(last - first + 1) * len))
            return false;
    header_.records = diskRecords_ = records;
    header_.changeCounter = counter;
    // The index: leaves rewritten in place are read into their blocks; anything else (new
    // pages, a moved root) and the whole index is read again.
    bool wholeIndex = plan.wholeIndex;
    for (std::size_t i = 0; i < plan.pages.size() && !wholeIndex; ++i) wholeIndex = !ReloadIndexPage(plan.pages[i]);
    std::string error;
    if (wholeIndex && !plan.pages.empty() && !LoadIndex(true, error))
        return Fail("table changed by another user and now unreadable: " + error);
    indexStamp_ = IndexStamp();
    if (recno_ > header_.records) eof_ = true;
    return true;
}

// The index page at `at`, rewritten in place by another process, taken into the interior
// page or the block that has it; false when none has it as it now is.
bool Table::ReloadIndexPage(std::uint32_t at) {
    unsigned char page[kPage];
    if (!cdx_->Read(at, page, kPage)) return false;
    std::string error;
    for (Tag& tag : tags_) {
        bool known = false;
        auto& levels = tag.cdx.pages.levels;
        for (std::size_t lv = 0; lv < levels.size(); ++lv)
            for (InteriorPage& node : levels[lv])
                if (node.page == at && Le16(page) == (lv == 0 ? 1u : 0u) && Le16(page + 2) == node.children) {
                    node.bytes.assign(reinterpret_cast<const char*>(page), kPage);
                    known = true;
                }
        if (known) return true;
        std::string keys;
        std::vector<std::uint32_t> recs;
        if ((page[0] & 2) && DecodeLeaf(page, at, tag.cdx.keyLen, keys, recs, error) &&
            tag.cdx.keys.ReloadPage(at, Le32(page + 4), Le32(page + 8),
                                    std::string(reinterpret_cast<const char*>(page), kPage), keys, recs))
            return true;
    }
    return false;
}

// A burst's first check writes back this area's waiting changes too, and changes are
// refused until it ends, so nothing waits in the area while Refresh is skipped.
bool Table::BeginBurst() {
    if (bursts_ == 0 && !Refresh()) return false;
    ++bursts_;
    return true;
}

void Table::EndBurst() {
    if (bursts_ > 0) --bursts_;
}

// A change made inside a burst would be made over a state other processes may have moved
// past (and a shared write-back reads the header anew, ending the burst's one view).
bool Table::NotInBurst() {
    return bursts_ == 0 || Fail("table " + baseName_ + " is being read in a burst: no change until it ends");
}

} // namespace lysora::engine
