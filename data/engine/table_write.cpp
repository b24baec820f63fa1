// Writing back: the changes of a work area reach the files in one write-back, under the
// journal, with the change note of a shared table written first.
//
// May assume: a shared table's write-back holds the header and index locks exclusively
// (BeginWrite), with no interrupted write-back behind it and the area current with the
// files; an exclusive table's files are this process's alone.
// Must leave true: the files hold the state before a write-back or the state after it,
// whatever stops it; the header's change counter is raised by every write-back that
// completed, the index stamped with it when its pages changed; after a failed write-back
// the area goes on from what the files hold, with its waiting changes on top again.
#include "data/engine/table_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>

namespace lysora::engine {

bool Table::BeginWrite() {
    if (readOnly_) return Fail("table is open read-only");
    if (!shared_) return true;
    if (!LockForUpdate(true)) return false;
    writing_ = true;
    if (!UndoInterruptedWrite() || !SyncLocked()) {
        UnlockForUpdate();
        writing_ = false;
        return false;
    }
    for (const auto& entry : pending_) dirty_.insert(entry.first);
    return true;
}

bool Table::EndWrite(bool ok) {
    if (!shared_) return ok;
    bool flushed = Flush(false);
    if (!flushed) {
        // This area goes on from what the files hold, as every other process does, with its
        // waiting changes on top again (their records are still locked by it): they are
        // written back with the next write-back, or reported lost when the table closes.
        std::string error;
        if (!UndoInterruptedWrite())
            stale_ = true;
        else if (!(LoadRecords(false, error) && LoadIndex(true, error)))
            error_ += "; " + error;
        for (const auto& [recno, image] : pending_)
            if (recno <= header_.records) ReplaceRecord(recno, image.data());
        memos_.clear(); // only the records written through named them, and they are gone
    }
    UnlockForUpdate();
    writing_ = false;
    return ok && flushed;
}

bool Table::WritePending() {
    if (pending_.empty() || writing_) return true;
    return BeginWrite() && EndWrite(true);
}

// Every pending change in one write-back, under the journal: new memos first, then the
// memo header that counts their blocks (a record never names a memo that is not there),
// then the records, then the header that counts them, then the index.
bool Table::Flush(bool durable) {
    if (readOnly_ || (dirty_.empty() && memos_.empty() && !headerDirty_ && !indexDirty_ &&
                      header_.records == diskRecords_))
        return true;
    // A journal left by a write-back that failed must be undone before a new one is made.
    if (!UndoInterruptedWrite()) return false;
    WriteBack plan;
    PlanMemos(plan);
    PlanRecords(plan);
    if (!PlanHeader(plan) || !PlanIndex(plan)) return false;
    if (!WriteThrough(plan, durable)) {
        // The pages of a partial index write-back are known no more: write it whole next.
        indexRebuild_ = indexRebuild_ || (indexDirty_ && !tags_.empty());
        return false;
    }
    if (!plan.wholeIndex.empty() && !AdoptIndexPages(plan.wholeIndex)) return false;
    if (indexDirty_ && !tags_.empty()) freePages_ = std::move(plan.freeAfter);
    indexRebuild_ = false;
    header_.changeCounter = plan.next.changeCounter;
    header_.flags = plan.next.flags;
    indexStamp_ = plan.stamp;
    diskRecords_ = header_.records;
    dirty_.clear();
    pending_.clear();
    memos_.clear();
    headerDirty_ = indexDirty_ = false;
    return true;
}

void Table::PlanMemos(WriteBack& plan) const {
    for (auto& [block, bytes] : memos_) plan.writes.push_back({kMemoFile, std::uint64_t(block) * kMemoBlock, bytes});
    if (memos_.empty()) return;
    std::string next(4, '\0');
    PutLe32(reinterpret_cast<unsigned char*>(next.data()), memoNext_);
    plan.writes.push_back({kMemoFile, 0, next});
}

// Contiguous dirty records in one write, with the end-of-file mark when they end the
// table; a table grown shorter is cut after its mark.
void Table::PlanRecords(WriteBack& plan) const {
    const std::uint32_t len = header_.recordLength;
    const std::uint64_t end = header_.headerLength + std::uint64_t(header_.records) * len;
    const bool endMoved = header_.records != diskRecords_;
    bool endWritten = false;
    for (auto it = dirty_.begin(); it != dirty_.end();) {
        std::uint32_t first = *it, last = first;
        auto next = std::next(it);
        while (next != dirty_.end() && *next == last + 1) last = *next++;
        std::uint64_t at = header_.headerLength + std::uint64_t(first - 1) * len;
        plan.writes.push_back({kTableFile, at, std::string(Record(first), std::size_t(last - first + 1) * len)});
        if (endMoved && last == header_.records) {
            plan.writes.back().bytes += '\x1A';
            endWritten = true;
        }
        it = next;
    }
    if (endMoved && !endWritten) plan.writes.push_back({kTableFile, end, std::string(1, '\x1A')});
    if (header_.records < diskRecords_) plan.newSize[kTableFile] = end + 1;
}

// The header with the change counter raised, over the prefix as the file has it.
bool Table::PlanHeader(WriteBack& plan) {
    plan.next = header_;
    ++plan.next.changeCounter;
    if (!tags_.empty()) plan.next.flags |= kStructuralIndexFlag;
    // (a shared table's write-back read the header when it took the update lock)
    if (!(shared_ && writing_) && !dbf_->Read(0, diskPrefix_.data(), kDbfPrefix)) return Fail("table header unreadable");
    plan.writes.push_back({kTableFile, 0, DbfPrefix(diskPrefix_, plan.next), diskPrefix_});
    plan.stamp = indexStamp_;
    return true;
}

// The index: written whole when new or rebuilt, otherwise only the pages the changes
// touched. Either way stamped with the table's change counter (big-endian, in the
// directory header's reserved word) so that other processes know to read it again.
bool Table::PlanIndex(WriteBack& plan) {
    if (!indexDirty_ || tags_.empty()) return true;
    plan.stamp = plan.next.changeCounter;
    std::string stampBytes(4, '\0');
    PutBe32(reinterpret_cast<unsigned char*>(stampBytes.data()), plan.stamp);
    const bool whole = indexRebuild_ || !cdx_ ||
                       std::any_of(tags_.begin(), tags_.end(), [](const Tag& t) { return t.cdx.pages.header == 0; });
    if (!cdx_) {
        std::string error;
        if (files_) {
            files_->cdx = OpenTableFile(cdxPath_, true, true, error);
            cdx_ = files_->cdx.get();
        }
        if (!cdx_) return Fail("cannot create the index file: " + error, Failure::kWrite);
    }
    const std::uint32_t maxRec = std::max<std::uint32_t>(header_.records, 1);
    if (whole) {
        std::vector<const CdxTag*> cdxTags;
        for (const Tag& t : tags_) cdxTags.push_back(&t.cdx);
        plan.wholeIndex = BuildCdx(cdxTags, maxRec);
        plan.wholeIndex.replace(8, 4, stampBytes);
        plan.newSize[kIndexFile] = plan.wholeIndex.size();
        plan.writes.push_back({kIndexFile, 0, plan.wholeIndex});
        return true;
    }
    std::uint64_t size = cdx_->Size();
    if (size > 0xFFFFF000ull) return Fail("index file " + cdxPath_ + " is full; rebuild it with dbftool repair");
    PageSpace space{freePages_, std::uint32_t((size + kPage - 1) / kPage * kPage), {}};
    std::vector<PageWrite> pages;
    for (Tag& t : tags_) UpdateTagPages(t.cdx, maxRec, space, pages);
    const std::uint32_t head = ChainFreePages(space, pages);
    for (PageWrite& w : pages) plan.writes.push_back({kIndexFile, w.offset, std::move(w.bytes), std::move(w.old)});
    // The free list's head and the stamp, side by side in the file header.
    std::string headBytes(4, '\0');
    PutLe32(reinterpret_cast<unsigned char*>(headBytes.data()), head);
    plan.writes.push_back({kIndexFile, 4, headBytes + stampBytes});
    plan.freeAfter = std::move(space.free);
    return true;
}

// Through the journal (and, in a shared table, after the change note); files given by the
// caller are written in place.
bool Table::WriteThrough(const WriteBack& plan, bool durable) {
    File* files[kJournalFiles] = {dbf_, cdx_, dbt_};
    std::string error;
    bool ok;
    if (!journal_) {
        ok = std::all_of(plan.writes.begin(), plan.writes.end(), [&](const PendingWrite& w) {
            return files[w.file]->Write(w.offset, w.bytes.data(), w.bytes.size());
        });
        for (int i = 0; i < kJournalFiles && ok; ++i)
            if (files[i] && plan.newSize[i] != kKeepSize && plan.newSize[i] < files[i]->Size())
                ok = files[i]->Truncate(plan.newSize[i]);
        if (!ok) error = "cannot write the table or its index";
    } else {
        ok = WriteChangeNote(plan.next.changeCounter, plan.writes, error) &&
             journal_->Write(files, plan.writes, plan.newSize,
                             Le32(reinterpret_cast<const unsigned char*>(diskPrefix_.data()) + 16),
                             plan.next.changeCounter, durable, error);
    }
    return ok || Fail("table " + baseName_ + ": " + error, Failure::kWrite);
}

// A shared table's write-back first says, in the change note, what it is about to write
// (readers trust the note only once the header shows its counter, which happens only when
// the write-back completed).
bool Table::WriteChangeNote(std::uint32_t after, const std::vector<PendingWrite>& writes, std::string& error) {
    if (!shared_ || !files_) return true;
    // A handle opened by a reader of the note may be read-only: a write-back needs its own.
    if (!files_->note || !files_->note->Writable())
        files_->note = OpenTableFile(notePath_, true, !FileExists(notePath_), error);
    // The write-backs noted so far go on only when they lead to the table as it stands.
    std::vector<ChangeNote> notes;
    if (!ReadChangeNotes(notes) || notes.empty() || notes.back().after != header_.changeCounter) notes.clear();
    ChangeNote note{header_.changeCounter, after, {}};
    for (const PendingWrite& w : writes) note.ranges.push_back({w.file, w.offset, std::uint32_t(w.bytes.size())});
    notes.push_back(std::move(note));
    std::size_t ranges = 0;
    for (const ChangeNote& n : notes) ranges += n.ranges.size();
    while (notes.size() > 1 && (notes.size() > kNoteSteps || ranges > kNoteRanges)) {
        ranges -= notes.front().ranges.size();
        notes.erase(notes.begin());
    }
    std::string bytes = EncodeChangeNotes(notes);
    if (!files_->note || !files_->note->Write(0, bytes.data(), bytes.size())) {
        if (error.empty()) error = "cannot write the change note " + notePath_;
        return false;
    }
    return true;
}

// After the index was written whole: its tags' key lists are taken from the bytes written,
// so that their blocks know their pages for the write-backs to come.
bool Table::AdoptIndexPages(const std::string& bytes) {
    std::vector<CdxTag> written;
    std::string error;
    auto file = MemoryFile(bytes, false);
    if (!ReadCdx(*file, true, written, error) || written.size() != tags_.size())
        return Fail("index file " + cdxPath_ + " as written does not read back: " + error);
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        tags_[i].cdx.keys = std::move(written[i].keys);
        tags_[i].cdx.pages = std::move(written[i].pages);
    }
    where_ = {};
    return true;
}

bool Table::Commit() {
    if (readOnly_) return true;
    // A shared table's changes are written back as they are made (those waiting now);
    // an exclusive table's all now.
    if (!(shared_ ? WritePending() : Flush(true))) return false;
    // Changes already written through (shared tables, memos) reach the disk too.
    // The journal last: its mark of the last write-back done must not reach the disk later
    // than that write-back, or a stop would undo it.
    bool synced = dbf_->Sync() && (!dbt_ || dbt_->Sync()) && (!cdx_ || cdx_->Sync()) && (!journal_ || journal_->Sync());
    return synced || Fail("the system could not put the changes on the disk", Failure::kWrite);
}

} // namespace lysora::engine
