// One open table (see table.h): opening with the process-wide registry of file handles
// and the open-mode lock, loading and checking records and index, navigation along the
// physical order or a tag within its scopes, changes kept in step with every tag, record
// locks, and writing back under the journal.
#include "data/engine/table.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstring>

namespace lysora::engine {

// The handles of one table file set, shared by every work area of the process that has
// it open (POSIX drops a process's locks when any descriptor of the file closes).
struct SharedFiles {
    std::string identity;
    std::unique_ptr<File> dbf, dbt, cdx;
    std::unique_ptr<File> note; // the change note, opened when first written or read
    std::unique_ptr<Journal> journal;
    int opens = 0;
    bool exclusive = false;
    bool readOnly = false; // opened for reading only: later opens cannot write through it
    std::map<std::uint32_t, const Table*> recordOwner;
};

namespace {

// Never destroyed: tables still open in work areas close after every other static.
std::map<std::string, std::weak_ptr<SharedFiles>>& Registry() {
    static auto* registry = new std::map<std::string, std::weak_ptr<SharedFiles>>;
    return *registry;
}

std::string StripDbf(std::string_view path) {
    std::string p(path);
    if (p.size() > 4) {
        std::string ext = p.substr(p.size() - 4);
        for (char& c : ext) c = char(std::tolower((unsigned char)c));
        if (ext == ".dbf") p.resize(p.size() - 4);
    }
    return p;
}

std::uint32_t Le16Of(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }

std::uint32_t Le32Of(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// The companion file base + ext in either case; empty when there is none.
std::string Companion(const std::string& base, const char* lower, const char* upper) {
    if (FileExists(base + lower)) return base + lower;
    if (FileExists(base + upper)) return base + upper;
    return {};
}

} // namespace

bool Table::Fail(std::string text, Failure kind) {
    error_ = std::move(text);
    failure_ = kind;
    return false;
}

Table::~Table() { Close(); }

bool Table::Close() {
    if (closed_) return true;
    bool ok = readOnly_ || Commit();
    // Changes that could not be written are lost, as reported: the locks go without a second try.
    if (!ok) pending_.clear();
    Unlock(0);
    if (files_ && --files_->opens == 0) {
        files_->dbf->Unlock(kOpenByte, 1);
        // The journal goes with the last user of the table anywhere (its open lock free).
        if (files_->dbf->Writable() && files_->dbf->Lock(kOpenByte, 1, true)) {
            files_->journal->Remove();
            files_->dbf->Unlock(kOpenByte, 1);
        }
        Registry().erase(files_->identity);
    }
    files_.reset();
    closed_ = true;
    return ok;
}

std::unique_ptr<Table> Table::Open(std::string_view path, bool shared, bool readOnly,
                                   OpenMode mode, std::string& error) {
    std::string base = StripDbf(path);
    std::string dbfPath = Companion(base, ".dbf", ".DBF");
    if (dbfPath.empty()) {
        error = "table file " + base + ".dbf not found";
        return nullptr;
    }
    if (mode == OpenMode::kRepair && (shared || readOnly)) {
        error = "repairing a table needs it open exclusively and writable";
        return nullptr;
    }
    std::string identity = FileIdentity(dbfPath);
    auto& registry = Registry();
    std::shared_ptr<SharedFiles> files;
    if (auto it = registry.find(identity); it != registry.end()) files = it->second.lock();
    if (files) {
        if (files->exclusive || !shared) {
            error = "table " + dbfPath + " is already open" +
                    (files->exclusive ? " exclusively" : "") + " in this program";
            return nullptr;
        }
        if (files->readOnly && !readOnly) {
            error = "table " + dbfPath + " is already open read-only in this program";
            return nullptr;
        }
    } else {
        files = std::make_shared<SharedFiles>();
        files->identity = identity;
        files->readOnly = readOnly;
        // A read-only open asks for read access only, so read-only folders and media work;
        // an exclusive one needs write access all the same, to lock the file exclusively.
        files->dbf = OpenTableFile(dbfPath, !readOnly || !shared, false, error);
        if (!files->dbf) return nullptr;
        if (!shared && !files->dbf->Writable()) {
            error = "table " + dbfPath + " cannot be written, so it cannot be opened exclusively: open it shared";
            return nullptr;
        }
        // The last user closing the table holds the open byte exclusively for a moment (to
        // remove the journal): an open meeting that waits for it, a little.
        if (!LockWithin(*files->dbf, kOpenByte, 1, !shared, kOpenWaitMs)) {
            error = shared ? "table " + dbfPath + " is open exclusively by another user"
                           : "table " + dbfPath + " is in use by another user";
            return nullptr;
        }
        files->exclusive = !shared;
        std::string dbtPath = Companion(base, ".dbt", ".DBT");
        if (!dbtPath.empty() && !(files->dbt = OpenTableFile(dbtPath, !readOnly, false, error))) {
            files->dbf->Unlock(kOpenByte, 1);
            return nullptr;
        }
        // An index that is there but cannot be opened must not be left behind, stale.
        std::string cdxPath = Companion(base, ".cdx", ".CDX");
        if (!cdxPath.empty() && !(files->cdx = OpenTableFile(cdxPath, !readOnly, false, error))) {
            files->dbf->Unlock(kOpenByte, 1);
            return nullptr;
        }
        error.clear();
        files->journal = std::make_unique<Journal>(base + ".jnl", !readOnly);
        registry[identity] = files;
    }
    ++files->opens;
    std::unique_ptr<Table> t(new Table());
    t->files_ = files;
    t->dbf_ = files->dbf.get();
    t->dbt_ = files->dbt.get();
    t->cdx_ = files->cdx.get();
    t->cdxPath_ = base + ".cdx";
    t->journal_ = files->journal.get();
    t->notePath_ = base + ".chg";
    t->shared_ = shared;
    // A table whose index cannot be written is read-only as a whole: no change may reach
    // the records and then fail at the index.
    t->readOnly_ = readOnly || !t->dbf_->Writable() || (t->dbt_ && !t->dbt_->Writable()) ||
                   (t->cdx_ && !t->cdx_->Writable());
    std::size_t slash = base.find_last_of("/\\");
    t->baseName_ = base.substr(slash == std::string::npos ? 0 : slash + 1);
    if (mode == OpenMode::kRepair && t->readOnly_) {
        error = "repairing a table needs its files writable";
        return nullptr;
    }
    // A write-back that another process (or this one, earlier) did not finish is undone
    // first, by whoever can take the header lock exclusively.
    if (!shared && !t->UndoInterruptedWrite()) {
        error = t->error_;
        return nullptr;
    }
    bool ok = !shared || t->LockForReading();
    if (ok) {
        ok = t->Load(mode, error);
        if (shared) t->UnlockForUpdate();
    } else {
        error = t->error_;
    }
    if (ok && mode == OpenMode::kRepair) {
        ok = t->Reindex() && t->Commit();
        if (!ok) error = t->error_;
    }
    if (!ok) return nullptr;
    t->GoTop();
    return t;
}

std::unique_ptr<Table> Table::OpenFiles(std::unique_ptr<File> dbf, std::unique_ptr<File> dbt,
                                        std::unique_ptr<File> cdx, bool readOnly,
                                        OpenMode mode, std::string& error) {
    std::unique_ptr<Table> t(new Table());
    t->ownDbf_ = std::move(dbf);
    t->ownDbt_ = std::move(dbt);
    t->ownCdx_ = std::move(cdx);
    t->dbf_ = t->ownDbf_.get();
    t->dbt_ = t->ownDbt_.get();
    t->cdx_ = t->ownCdx_.get();
    t->readOnly_ = readOnly || !t->dbf_->Writable();
    if (!t->Load(mode, error)) return nullptr;
    if (mode == OpenMode::kRepair && !(t->Reindex() && t->Commit())) {
        error = t->error_;
        return nullptr;
    }
    t->GoTop();
    return t;
}

bool Table::Load(OpenMode mode, std::string& error) {
    if (!LoadRecords(mode == OpenMode::kRepair, error)) return false;
    if ((header_.flags & kStructuralIndexFlag) && !cdx_) {
        error = "the table's index file " + cdxPath_ + " is missing";
        return false;
    }
    if (!LoadIndex(mode != OpenMode::kRepair, error)) return false;
    if (mode != OpenMode::kNormal) return true;
    std::vector<std::string> problems = IndexProblems(1);
    if (!problems.empty()) {
        error = "the index file does not agree with the table (" + problems.front() +
                "); rebuild it with dbftool repair";
        return false;
    }
    return true;
}

bool Table::LoadRecords(bool cutCount, std::string& error) {
    if (!ReadDbfHeader(*dbf_, header_, error, cutCount)) return false;
    bool memo = std::any_of(header_.fields.begin(), header_.fields.end(),
                            [](const Field& f) { return f.type == 'M'; });
    if (memo && !dbt_) {
        error = "memo file (.dbt) of the table is missing";
        return false;
    }
    data_.assign(std::size_t(header_.records) * header_.recordLength, '\0');
    if (!data_.empty() && !dbf_->Read(header_.headerLength, data_.data(), data_.size())) {
        error = "table records unreadable";
        return false;
    }
    // A count cut by a repair goes back to the file with the next write-back, which also
    // drops the torn record after the last whole one.
    std::uint32_t onDisk = header_.records;
    unsigned char count[4];
    if (cutCount && dbf_->Read(4, count, 4))
        onDisk = std::uint32_t(count[0]) | std::uint32_t(count[1]) << 8 | std::uint32_t(count[2]) << 16 |
                 std::uint32_t(count[3]) << 24;
    diskRecords_ = onDisk;
    headerDirty_ = onDisk != header_.records;
    dirty_.clear();
    return true;
}

std::uint32_t Table::IndexStamp() const {
    unsigned char p[4] = {0, 0, 0, 0};
    if (cdx_) cdx_->Read(8, p, 4);
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

bool Table::LoadIndex(bool withKeys, std::string& error) {
    tags_.clear();
    indexDirty_ = indexRebuild_ = false;
    if (!cdx_) return true;
    indexStamp_ = IndexStamp();
    std::vector<CdxTag> cdxTags;
    if (!ReadCdx(*cdx_, withKeys, cdxTags, error, &freePages_)) {
        error = "index file " + cdxPath_ + ": " + error + "; rebuild it with dbftool repair";
        return false;
    }
    for (CdxTag& c : cdxTags) {
        Tag tag;
        tag.cdx = std::move(c);
        tags_.push_back(std::move(tag));
    }
    if (!CompileTags(error)) return false;
    for (const Tag& tag : tags_)
        for (auto p = tag.cdx.keys.Begin(); !tag.cdx.keys.IsEnd(p); p = tag.cdx.keys.Next(p))
            if (tag.cdx.keys.Rec(p) == 0 || tag.cdx.keys.Rec(p) > header_.records) {
                error = "tag " + tag.cdx.name + " refers to record " +
                        std::to_string(tag.cdx.keys.Rec(p)) + " beyond the table";
                return false;
            }
    return true;
}
bool Table::CompileTags(std::string& error) {
    for (Tag& tag : tags_) {
        std::string why;
        if (!tag.keyExpr.Compile(tag.cdx.key, header_.fields, why) ||
            !tag.condition.Compile(tag.cdx.forCondition, header_.fields, why)) {
            error = "tag " + tag.cdx.name + ": " + why;
            return false;
        }
        if (tag.keyExpr.Length() != tag.cdx.keyLen) {
            error = "tag " + tag.cdx.name + ": key length " + std::to_string(tag.cdx.keyLen) +
                    " differs from its expression's " + std::to_string(tag.keyExpr.Length());
            return false;
        }
    }
    return true;
}

bool Table::Create(std::string_view path, const std::vector<Field>& fieldDefs,
                   const std::vector<CdxTag>& tagDefs, std::string& error) {
    std::string base = StripDbf(path);
    std::string identity = FileIdentity(base + ".dbf");
    if (!identity.empty() && Registry().count(identity) && !Registry()[identity].expired()) {
        error = "table " + base + ".dbf is open";
        return false;
    }
    DbfHeader h;
    std::uint32_t offset = 1;
    bool memo = false;
    for (const Field& def : fieldDefs) {
        Field f = def;
        for (char& c : f.name) c = char(std::toupper((unsigned char)c));
        f.type = char(std::toupper((unsigned char)f.type));
        std::string bad = CheckFieldSpec(f.name, f.type, f.len, f.dec);
        if (!bad.empty()) {
            error = bad;
            return false;
        }
        for (const Field& other : h.fields)
            if (other.name == f.name) {
                error = "field " + f.name + " declared twice";
                return false;
            }
        f.offset = int(offset);
        offset += std::uint32_t(f.len);
        memo = memo || f.type == 'M';
        h.fields.push_back(f);
    }
    if (h.fields.empty() || h.fields.size() > 255 || offset > kMaxRecordLength) {
        error = "a table needs 1 to 255 fields within 65535 bytes";
        return false;
    }
    h.version = memo ? 0x83 : 0x03;
    h.headerLength = std::uint32_t(kDbfPrefix + 32 * h.fields.size() + 1);
    h.recordLength = offset;
    h.codePage = 0x03;
    std::vector<Tag> tags;
    for (const CdxTag& def : tagDefs) {
        Tag tag;
        tag.cdx.name = def.name;
        for (char& c : tag.cdx.name) c = char(std::toupper((unsigned char)c));
        if (tag.cdx.name.empty() || tag.cdx.name.size() > 10) {
            error = "tag name must have 1 to 10 characters";
            return false;
        }
        for (const Tag& other : tags)
            if (other.cdx.name == tag.cdx.name) {
                error = "tag " + tag.cdx.name + " declared twice";
                return false;
            }
        tag.cdx.key = def.key;
        tag.cdx.forCondition = def.forCondition;
        if (!ExpressionsFit(def.key, def.forCondition)) {
            error = "tag " + tag.cdx.name + ": key expression and condition longer than an index holds (" +
                    std::to_string(kMaxExpressions) + " characters together)";
            return false;
        }
        std::string why;
        if (!tag.keyExpr.Compile(def.key, h.fields, why) ||
            !tag.condition.Compile(def.forCondition, h.fields, why)) {
            error = "tag " + tag.cdx.name + ": " + why;
            return false;
        }
        tag.cdx.keyLen = tag.keyExpr.Length();
        tag.cdx.keys = KeyList(tag.cdx.keyLen);
        tags.push_back(std::move(tag));
    }
    // Never overwrite a table another program has open: its open lock must be free.
    // (Released again before the file is emptied: Windows refuses to cut a locked file.)
    if (FileExists(base + ".dbf")) {
        auto probe = OpenFile(base + ".dbf", true, false, error);
        if (!probe || !probe->Lock(kOpenByte, 1, true)) {
            error = "table " + base + ".dbf is in use and cannot be replaced";
            return false;
        }
        probe->Unlock(kOpenByte, 1);
    }
    if (!tags.empty()) h.flags = kStructuralIndexFlag;
    // The index first, so that a table whose header names an index never lacks one; each
    // file synced, so that a table reported created is there.
    auto write = [&](const std::string& path, const std::string& bytes) {
        auto f = OpenTableFile(path, true, true, error);
        if (!f || !f->Write(0, bytes.data(), bytes.size()) || !f->Sync()) {
            error = "cannot write " + path + (error.empty() ? "" : ": " + error);
            return false;
        }
        return true;
    };
    if (tags.empty()) {
        if (FileExists(base + ".cdx") && !RemoveFile(base + ".cdx")) {
            error = "cannot remove the old index " + base + ".cdx";
            return false;
        }
    } else {
        std::vector<const CdxTag*> cdxTags;
        for (const Tag& t : tags) cdxTags.push_back(&t.cdx);
        if (!write(base + ".cdx", BuildCdx(cdxTags, 1))) return false;
    }
    if (memo && !write(base + ".dbt", NewMemoFileHeader())) return false;
    for (const char* ext : {".jnl", ".chg"}) // they belong to the table replaced
        if (FileExists(base + ext)) RemoveFile(base + ext);
    return write(base + ".dbf", BuildDbfHeader(h) + "\x1A");
}

// ---- staying current ----

bool Table::LockForUpdate(bool exclusive) {
    if (!LockWithin(*dbf_, kHeaderLockByte, 1, exclusive, kLockWaitMs)) {
        // Said as it is: others only reading hold the lock shared, and then a shared one is had.
        const bool reading = exclusive && dbf_->Lock(kHeaderLockByte, 1, false);
        if (reading) dbf_->Unlock(kHeaderLockByte, 1);
        return Fail("table " + baseName_ + " is busy: another user has been " + (reading ? "reading" : "writing") +
                        " it for too long",
                    Failure::kBusy);
    }
    if (cdx_ && !LockWithin(*cdx_, kIndexLockByte, 1, exclusive, kLockWaitMs)) {
        dbf_->Unlock(kHeaderLockByte, 1);
        return Fail("the index of table " + baseName_ + " is busy: another user has been writing it for too long",
                    Failure::kBusy);
    }
    return true;
}

// Writers mark their journal done before they release the header lock, so a live journal
// seen while holding the lock shared was left by a writer that stopped: its half-written
// bytes must not be read. It is undone, with the lock exclusive, and the lock taken again.
bool Table::LockForReading() {
    for (int attempt = 0;; ++attempt) {
        if (!LockForUpdate(false)) return false;
        if (!journal_->Live()) return true;
        UnlockForUpdate();
        if (attempt == 3) return Fail("table " + baseName_ + ": an interrupted change keeps coming back; try again");
        if (!LockForUpdate(true)) return false;
        const bool undone = UndoInterruptedWrite();
        UnlockForUpdate();
        if (!undone) return false;
    }
}

void Table::UnlockForUpdate() {
    if (cdx_) cdx_->Unlock(kIndexLockByte, 1);
    dbf_->Unlock(kHeaderLockByte, 1);
}

bool Table::UndoInterruptedWrite() {
    if (!journal_ || !journal_->Live()) return true;
    File* files[kJournalFiles] = {dbf_, cdx_, dbt_};
    std::string error;
    return journal_->RollBack(files, error) || Fail("table " + baseName_ + ": " + error);
}

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
    records = Le32Of(prefix + 4);
    counter = Le32Of(prefix + 16);
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

bool Table::Flush(bool durable) {
    if (readOnly_ || (dirty_.empty() && memos_.empty() && !headerDirty_ && !indexDirty_ &&
                      header_.records == diskRecords_))
        return true;
    // A journal left by a write-back that failed must be undone before a new one is made.
    if (!UndoInterruptedWrite()) return false;
    const std::uint32_t len = header_.recordLength;
    std::vector<PendingWrite> writes;
    std::uint64_t newSize[kJournalFiles] = {kKeepSize, kKeepSize, kKeepSize};
    // New memos first, then the memo header that counts their blocks: a record never
    // names a memo that is not there.
    for (auto& [block, bytes] : memos_) writes.push_back({kMemoFile, std::uint64_t(block) * kMemoBlock, bytes});
    if (!memos_.empty()) {
        std::string next(4, '\0');
        for (int i = 0; i < 4; ++i) next[std::size_t(i)] = char((memoNext_ >> (8 * i)) & 0xFF);
        writes.push_back({kMemoFile, 0, next});
    }
    // Then records (contiguous dirty records in one write, with the end-of-file mark when
    // they end the table), then the header that counts them, then the index.
    const std::uint64_t end = header_.headerLength + std::uint64_t(header_.records) * len;
    const bool endMoved = header_.records != diskRecords_;
    bool endWritten = false;
    for (auto it = dirty_.begin(); it != dirty_.end();) {
        std::uint32_t first = *it, last = first;
        auto next = std::next(it);
        while (next != dirty_.end() && *next == last + 1) last = *next++;
        std::uint64_t at = header_.headerLength + std::uint64_t(first - 1) * len;
        writes.push_back({kTableFile, at, std::string(Record(first), std::size_t(last - first + 1) * len)});
        if (endMoved && last == header_.records) {
            writes.back().bytes += '\x1A';
            endWritten = true;
        }
        it = next;
    }
    if (endMoved && !endWritten) writes.push_back({kTableFile, end, std::string(1, '\x1A')});
    if (header_.records < diskRecords_) newSize[kTableFile] = end + 1;
    DbfHeader next = header_;
    ++next.changeCounter;
    if (!tags_.empty()) next.flags |= kStructuralIndexFlag;
    // (a shared table's write-back read the header when it took the update lock)
    if (!(shared_ && writing_) && !dbf_->Read(0, diskPrefix_.data(), kDbfPrefix)) return Fail("table header unreadable");
    writes.push_back({kTableFile, 0, DbfPrefix(diskPrefix_, next), diskPrefix_});
    std::uint32_t stamp = indexStamp_;
    // The index: written whole when new or rebuilt, otherwise only the pages the changes
    // touched. Either way stamped with the table's change counter (big-endian, in the
    // directory header's reserved word) so that other processes know to read it again.
    const bool wholeIndex = indexDirty_ && !tags_.empty() &&
        (indexRebuild_ || !cdx_ || std::any_of(tags_.begin(), tags_.end(), [](const Tag& t) { return t.cdx.pages.header == 0; }));
    std::string wholeBytes;
    std::vector<std::uint32_t> freeAfter; // the free pages once written (none after a whole index)
    if (indexDirty_ && !tags_.empty()) {
        stamp = next.changeCounter;
        std::string stampBytes(4, '\0');
        for (int i = 0; i < 4; ++i) stampBytes[std::size_t(i)] = char(stamp >> (24 - 8 * i));
        if (!cdx_) {
            std::string error;
            if (files_) {
                files_->cdx = OpenTableFile(cdxPath_, true, true, error);
                cdx_ = files_->cdx.get();
            }
            if (!cdx_) return Fail("cannot create the index file: " + error, Failure::kWrite);
        }
        const std::uint32_t maxRec = std::max<std::uint32_t>(header_.records, 1);
        if (wholeIndex) {
            std::vector<const CdxTag*> cdxTags;
            for (const Tag& t : tags_) cdxTags.push_back(&t.cdx);
            wholeBytes = BuildCdx(cdxTags, maxRec);
            wholeBytes.replace(8, 4, stampBytes);
            newSize[kIndexFile] = wholeBytes.size();
            writes.push_back({kIndexFile, 0, wholeBytes});
        } else {
            std::uint64_t size = cdx_->Size();
            if (size > 0xFFFFF000ull) return Fail("index file " + cdxPath_ + " is full; rebuild it with dbftool repair");
            PageSpace space{freePages_, std::uint32_t((size + kPage - 1) / kPage * kPage), {}};
            std::vector<PageWrite> pages;
            for (Tag& t : tags_) UpdateTagPages(t.cdx, maxRec, space, pages);
            const std::uint32_t head = ChainFreePages(space, pages);
            for (PageWrite& w : pages) writes.push_back({kIndexFile, w.offset, std::move(w.bytes), std::move(w.old)});
            // The free list's head and the stamp, side by side in the file header.
            std::string headBytes(4, '\0');
            for (int i = 0; i < 4; ++i) headBytes[std::size_t(i)] = char(head >> (8 * i));
            writes.push_back({kIndexFile, 4, headBytes + stampBytes});
            freeAfter = std::move(space.free);
        }
    }
    File* files[kJournalFiles] = {dbf_, cdx_, dbt_};
    std::string error;
    bool ok;
    if (!journal_) { // files given by the caller: written in place
        ok = std::all_of(writes.begin(), writes.end(), [&](const PendingWrite& w) {
            return files[w.file]->Write(w.offset, w.bytes.data(), w.bytes.size());
        });
        for (int i = 0; i < kJournalFiles && ok; ++i)
            if (files[i] && newSize[i] != kKeepSize && newSize[i] < files[i]->Size()) ok = files[i]->Truncate(newSize[i]);
        if (!ok) error = "cannot write the table or its index";
    } else {
        ok = WriteChangeNote(next.changeCounter, writes, error) &&
             journal_->Write(files, writes, newSize,
                             Le32Of(reinterpret_cast<const unsigned char*>(diskPrefix_.data()) + 16),
                             next.changeCounter, durable, error);
    }
    if (!ok) {
        // The pages of a partial index write-back are known no more: write it whole next.
        indexRebuild_ = indexRebuild_ || (indexDirty_ && !tags_.empty());
        return Fail("table " + baseName_ + ": " + error, Failure::kWrite);
    }
    if (wholeIndex && !AdoptIndexPages(wholeBytes)) return false;
    if (indexDirty_ && !tags_.empty()) freePages_ = std::move(freeAfter);
    indexRebuild_ = false;
    header_.changeCounter = next.changeCounter;
    header_.flags = next.flags;
    indexStamp_ = stamp;
    diskRecords_ = header_.records;
    dirty_.clear();
    pending_.clear();
    memos_.clear();
    headerDirty_ = indexDirty_ = false;
    return true;
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
    std::vector<ChangeNote> notes;
    if (!ReadChangeNotes(notes) || notes.empty() || notes.back().after != counter) return false;
    std::size_t first = notes.size();
    for (std::size_t i = notes.size(); i-- > 0;) {
        if (i + 1 < notes.size() && notes[i].after != notes[i + 1].before) break;
        if (notes[i].before == header_.changeCounter) {
            first = i;
            break;
        }
    }
    if (first == notes.size()) return false;
    std::vector<WrittenRange> written;
    for (std::size_t i = first; i < notes.size(); ++i)
        written.insert(written.end(), notes[i].ranges.begin(), notes[i].ranges.end());
    std::string error;
    const std::uint32_t len = header_.recordLength;
    data_.resize(std::size_t(records) * len, ' '); // a failed read below: the caller reads all again
    std::vector<std::uint32_t> pages;
    bool wholeIndex = false;
    for (const WrittenRange& r : written) {
        if (r.file == kIndexFile) {
            if (r.offset == 4 && r.length == 8) continue; // the free list's head and the stamp
            if (r.offset % kPage != 0 || r.length != kPage) wholeIndex = true; // a root moved, or all of it
            pages.push_back(std::uint32_t(r.offset));
            continue;
        }
        const std::uint64_t from = std::max<std::uint64_t>(r.offset, header_.headerLength);
        const std::uint64_t to = std::min<std::uint64_t>(r.offset + r.length, header_.headerLength + std::uint64_t(records) * len);
        if (from >= to) continue; // the header, or the end-of-file mark
        const std::uint64_t first = (from - header_.headerLength) / len, last = (to - 1 - header_.headerLength) / len;
        if (!dbf_->Read(header_.headerLength + first * len, data_.data() + first * len, std::size_t(last - first + 1) * len))
            return false;
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    header_.records = diskRecords_ = records;
    header_.changeCounter = counter;
    // The index: leaves rewritten in place are read into their blocks; anything else (new
    // pages, a moved root) and the whole index is read again.
    unsigned char page[kPage];
    for (std::uint32_t at : pages) {
        if (wholeIndex) break;
        if (!cdx_->Read(at, page, kPage)) {
            wholeIndex = true;
            break;
        }
        bool known = false;
        for (Tag& tag : tags_) {
            auto& levels = tag.cdx.pages.levels;
            for (std::size_t lv = 0; lv < levels.size(); ++lv)
                for (InteriorPage& node : levels[lv])
                    if (node.page == at && Le16Of(page) == (lv == 0 ? 1u : 0u) && Le16Of(page + 2) == node.children) {
                        node.bytes.assign(reinterpret_cast<const char*>(page), kPage); // rewritten in place
                        known = true;
                    }
            if (known) break;
            std::string keys;
            std::vector<std::uint32_t> recs;
            if ((page[0] & 2) && DecodeLeaf(page, at, tag.cdx.keyLen, keys, recs, error) &&
                tag.cdx.keys.ReloadPage(at, Le32Of(page + 4), Le32Of(page + 8),
                                        std::string(reinterpret_cast<const char*>(page), kPage), keys, recs)) {
                known = true;
                break;
            }
        }
        if (!known) wholeIndex = true;
    }
    if (wholeIndex && !pages.empty() && !LoadIndex(true, error)) return Fail("table changed by another user and now unreadable: " + error);
    indexStamp_ = IndexStamp();
    if (recno_ > header_.records) eof_ = true;
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

// ---- keys ----

bool Table::KeyOf(const Tag& tag, const char* record, std::string& key) const {
    if (!tag.condition.Eval(record)) return false;
    key.resize(std::size_t(tag.keyExpr.Length()));
    tag.keyExpr.Eval(record, key.data());
    return true;
}

void Table::IndexRemove(std::uint32_t recno, const char* record) {
    std::string key;
    for (Tag& tag : tags_)
        if (KeyOf(tag, record, key)) tag.cdx.keys.Erase(key.data(), recno);
}

void Table::IndexAdd(std::uint32_t recno, const char* record) {
    std::string key;
    for (Tag& tag : tags_)
        if (KeyOf(tag, record, key)) tag.cdx.keys.Insert(key.data(), recno);
}

bool Table::Reindex() {
    if (readOnly_) return Fail("table is open read-only");
    if (shared_) return Fail("rebuilding the index needs the table open exclusively");
    for (Tag& tag : tags_) {
        const std::size_t keyLen = std::size_t(tag.keyExpr.Length());
        std::vector<char> keys;
        std::vector<std::uint32_t> recs;
        keys.reserve(std::size_t(header_.records) * keyLen);
        recs.reserve(header_.records);
        for (std::uint32_t r = 1; r <= header_.records; ++r) {
            const char* record = Record(r);
            if (!tag.condition.Eval(record)) continue;
            keys.resize(keys.size() + keyLen);
            tag.keyExpr.Eval(record, keys.data() + keys.size() - keyLen);
            recs.push_back(r);
        }
        std::vector<std::uint32_t> order(recs.size());
        for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            int c = std::memcmp(keys.data() + a * keyLen, keys.data() + b * keyLen, keyLen);
            return c != 0 ? c < 0 : recs[a] < recs[b];
        });
        tag.cdx.keys = KeyList(int(keyLen));
        for (std::uint32_t i : order) tag.cdx.keys.PushBack(keys.data() + i * keyLen, recs[i]);
    }
    indexDirty_ = indexRebuild_ = true;
    return true;
}

std::vector<std::string> Table::Check() const { return IndexProblems(25); }

// One pass over each tag: every entry must be a record the tag's condition admits, filed
// under the key its record gives now, once, in ascending order; then every such record
// must have been met.
std::vector<std::string> Table::IndexProblems(std::size_t limit) const {
    std::vector<std::string> problems;
    auto report = [&](std::string text) {
        if (problems.size() < limit) problems.push_back(std::move(text));
        return problems.size() < limit;
    };
    std::string key;
    std::vector<bool> met;
    for (const Tag& tag : tags_) {
        const KeyList& keys = tag.cdx.keys;
        const std::size_t keyLen = std::size_t(keys.KeyLength());
        met.assign(std::size_t(header_.records) + 1, false);
        KeyList::Pos prev = keys.End();
        for (auto p = keys.Begin(); !keys.IsEnd(p); prev = p, p = keys.Next(p)) {
            const std::uint32_t r = keys.Rec(p);
            if (r < 1 || r > header_.records) {
                if (!report("tag " + tag.cdx.name + " refers to record " + std::to_string(r) + " beyond the table"))
                    return problems;
                continue;
            }
            if (met[r]) {
                if (!report("tag " + tag.cdx.name + " holds record " + std::to_string(r) + " twice")) return problems;
            } else if (!KeyOf(tag, Record(r), key)) {
                if (!report("tag " + tag.cdx.name + " holds record " + std::to_string(r) + ", which its condition leaves out"))
                    return problems;
            } else if (std::memcmp(keys.Key(p), key.data(), keyLen) != 0) {
                if (!report("tag " + tag.cdx.name + ": record " + std::to_string(r) + " is filed under \"" +
                            std::string(keys.Key(p), keyLen) + "\" instead of \"" + key + "\""))
                    return problems;
            }
            met[r] = true;
            if (!keys.IsEnd(prev)) {
                int c = std::memcmp(keys.Key(prev), keys.Key(p), keyLen);
                if ((c > 0 || (c == 0 && keys.Rec(prev) >= r)) &&
                    !report("tag " + tag.cdx.name + ": keys out of order at record " + std::to_string(r)))
                    return problems;
            }
        }
        std::size_t missing = 0;
        std::uint32_t firstMissing = 0;
        for (std::uint32_t r = 1; r <= header_.records; ++r)
            if (!met[r] && KeyOf(tag, Record(r), key) && missing++ == 0) firstMissing = r;
        if (missing > 0 &&
            !report("tag " + tag.cdx.name + " lacks " + std::to_string(missing) + " of the " +
                    std::to_string(header_.records) + " records (the first: record " +
                    std::to_string(firstMissing) + ")"))
            return problems;
    }
    return problems;
}

// ---- navigation ----

bool Table::Deleted() const { return !eof_ && recno_ >= 1 && recno_ <= header_.records && IsDeleted(recno_); }

bool Table::InScope(const KeyList& keys, KeyList::Pos p) const {
    if (keys.IsEnd(p)) return false;
    const char* k = keys.Key(p);
    if (scope_[0] && ComparePrefix(k, keys.KeyLength(), *scope_[0]) < 0) return false;
    if (scope_[1] && ComparePrefix(k, keys.KeyLength(), *scope_[1]) > 0) return false;
    return true;
}

void Table::SetPos(const KeyList& keys, KeyList::Pos p) {
    if (!InScope(keys, p)) {
        eof_ = true;
        recno_ = header_.records + 1;
        return;
    }
    eof_ = false;
    recno_ = keys.Rec(p);
    where_ = {order_, keys.Version(), recno_, p};
}

KeyList::Pos Table::SkipDeletedForward(const KeyList& keys, KeyList::Pos p) const {
    while (!keys.IsEnd(p) && IsDeleted(keys.Rec(p))) p = keys.Next(p);
    return p;
}

KeyList::Pos Table::SkipDeletedBackward(const KeyList& keys, KeyList::Pos p) const {
    while (!keys.IsEnd(p) && IsDeleted(keys.Rec(p))) p = keys.Prev(p);
    return p;
}

// Where the current record stands in the controlling tag; when it is not in the tag (its
// FOR condition excludes it) the entry that would follow it.
KeyList::Pos Table::CurrentPos() const {
    const Tag& tag = tags_[std::size_t(order_ - 1)];
    if (where_.order == order_ && where_.recno == recno_ && where_.version == tag.cdx.keys.Version())
        return where_.pos;
    std::string key;
    const bool inTag = KeyOf(tag, Record(recno_), key);
    if (!inTag) {
        key.resize(std::size_t(tag.keyExpr.Length()));
        tag.keyExpr.Eval(Record(recno_), key.data());
    }
    KeyList::Pos p = tag.cdx.keys.Find(key.data(), recno_);
    if (!tag.cdx.keys.IsEnd(p)) return p;
    p = tag.cdx.keys.LowerBound(key);
    while (!tag.cdx.keys.IsEnd(p) && std::memcmp(tag.cdx.keys.Key(p), key.data(), key.size()) == 0 &&
           tag.cdx.keys.Rec(p) < recno_)
        p = tag.cdx.keys.Next(p);
    return p;
}

bool Table::GoTo(std::uint32_t recno) {
    if (!Refresh()) return false;
    bof_ = false;
    if (recno < 1 || recno > header_.records) {
        eof_ = true;
        recno_ = header_.records + 1;
        return true;
    }
    eof_ = false;
    recno_ = recno;
    return true;
}

bool Table::GoTop() {
    if (!Refresh()) return false;
    bof_ = false;
    if (order_ == 0) {
        std::uint32_t r = 1;
        while (r <= header_.records && IsDeleted(r)) ++r;
        eof_ = r > header_.records;
        recno_ = r;
        bof_ = eof_;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = scope_[0] ? keys.LowerBound(*scope_[0]) : keys.Begin();
    SetPos(keys, SkipDeletedForward(keys, p));
    bof_ = eof_;
    return true;
}

bool Table::GoBottom() {
    if (!Refresh()) return false;
    bof_ = false;
    if (order_ == 0) {
        std::uint32_t r = header_.records;
        while (r >= 1 && IsDeleted(r)) --r;
        eof_ = r == 0;
        recno_ = eof_ ? header_.records + 1 : r;
        bof_ = eof_;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = scope_[1] ? keys.Prev(keys.UpperBound(*scope_[1])) : keys.Last();
    SetPos(keys, SkipDeletedBackward(keys, p));
    bof_ = eof_;
    return true;
}

bool Table::Skip(long count) {
    if (!Refresh()) return false;
    if (count == 0) return true;
    if (eof_ && count > 0) return true;
    if (eof_) { // backwards from the end: the last record first
        GoBottom();
        if (eof_) return true;
        ++count;
    }
    bof_ = false;
    if (recno_ < 1 || recno_ > header_.records) return GoTop();
    if (order_ == 0) {
        std::uint32_t r = recno_;
        for (; count > 0; --count) {
            do ++r; while (r <= header_.records && IsDeleted(r));
            if (r > header_.records) {
                eof_ = true;
                recno_ = header_.records + 1;
                return true;
            }
        }
        for (; count < 0; ++count) {
            std::uint32_t back = r;
            do --back; while (back >= 1 && IsDeleted(back));
            if (back < 1) {
                GoTop();
                bof_ = true;
                return true;
            }
            r = back;
        }
        recno_ = r;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = CurrentPos();
    const bool inTag = !keys.IsEnd(p) && keys.Rec(p) == recno_;
    if (count > 0 && !inTag) { // p already is the entry after the record
        p = SkipDeletedForward(keys, p);
        --count;
    }
    for (; count > 0; --count) p = SkipDeletedForward(keys, keys.Next(p));
    for (; count < 0; ++count) {
        KeyList::Pos back = SkipDeletedBackward(keys, keys.Prev(p));
        if (!InScope(keys, back)) {
            GoTop();
            bof_ = true;
            return true;
        }
        p = back;
    }
    SetPos(keys, p);
    return true;
}

bool Table::Seek(std::string_view key, bool soft, bool last) {
    if (!Refresh()) return false;
    if (order_ == 0) return Fail("seek needs an order");
    error_.clear(); // a key not found is no failure
    bof_ = false;
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p;
    if (last) {
        p = SkipDeletedBackward(keys, keys.Prev(keys.UpperBound(key)));
        if (!keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), key) == 0 && InScope(keys, p)) {
            SetPos(keys, p);
            return true;
        }
    }
    p = keys.LowerBound(key);
    if (scope_[0] && !keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), *scope_[0]) < 0)
        p = keys.LowerBound(*scope_[0]);
    p = SkipDeletedForward(keys, p);
    bool found = !keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), key) == 0 && InScope(keys, p);
    if (found || soft) {
        SetPos(keys, p);
        return found;
    }
    eof_ = true;
    recno_ = header_.records + 1;
    return false;
}

bool Table::SetOrder(int order) {
    if (order < 0 || order > int(tags_.size())) return Fail("no order " + std::to_string(order));
    if (order != order_) {
        order_ = order;
        scope_[0].reset();
        scope_[1].reset();
    }
    return true;
}

void Table::SetScope(int which, std::optional<std::string> bound) { scope_[which ? 1 : 0] = std::move(bound); }

// ---- fields ----

Value Table::Get(int pos) {
    if (eof_ || pos < 1 || pos > int(header_.fields.size()) || recno_ > header_.records) return {};
    const Field& f = header_.fields[std::size_t(pos - 1)];
    const char* p = Record(recno_) + f.offset;
    switch (f.type) {
    case 'N':
        return Value(ParseNumber(p, std::size_t(f.len)));
    case 'L':
        return Value(ParseLogical(*p));
    case 'D':
        return Value(Date::FromDtos(std::string_view(p, 8)));
    case 'M': {
        double block = ParseNumber(p, std::size_t(f.len));
        if (block < 1 || !dbt_) return Value(std::string());
        std::string text, error;
        if (block > 4294967295.0) {
            Fail("memo block " + FormatNumber(block, 10, 0) + " outside the memo file");
            return Value(std::string());
        }
        if (auto waiting = memos_.find(std::uint32_t(block)); waiting != memos_.end())
            return Value(waiting->second.substr(0, waiting->second.find('\x1A')));
        if (!ReadMemo(*dbt_, std::uint32_t(block), text, error)) {
            Fail(error);
            return Value(std::string());
        }
        return Value(std::move(text));
    }
    default:
        return Value(std::string(p, std::size_t(f.len)));
    }
}

bool Table::EncodeField(const Field& f, const Value& v, std::string& bytes) {
    bytes.assign(std::size_t(f.len), ' ');
    if (v.IsNil()) return true;
    switch (f.type) {
    case 'C':
        if (!v.IsText()) return Fail("field " + f.name + " takes a text");
        bytes.replace(0, std::min(bytes.size(), v.Text().size()), v.Text().substr(0, bytes.size()));
        return true;
    case 'N': {
        if (!v.IsNumber()) return Fail("field " + f.name + " takes a number");
        bytes = FormatNumber(v.Number(), f.len, f.dec);
        if (bytes.find('*') != std::string::npos)
            return Fail("number " + std::to_string(v.Number()) + " does not fit field " + f.name);
        return true;
    }
    case 'L':
        if (!v.IsLogical()) return Fail("field " + f.name + " takes a logical");
        bytes = v.Logical() ? "T" : "F";
        return true;
    case 'D':
        if (!v.IsDate()) return Fail("field " + f.name + " takes a date");
        bytes = v.GetDate().ToDtos();
        if (bytes.size() != 8) bytes.assign(8, ' ');
        return true;
    case 'M': {
        if (!v.IsText()) return Fail("field " + f.name + " takes a text");
        if (v.Text().empty()) return true;
        std::uint32_t block = 0;
        if (!PlaceMemo(v.Text(), block)) return false;
        bytes = FormatNumber(block, 10, 0);
        return true;
    }
    }
    return Fail("field " + f.name + " has an unknown type");
}

// A new memo takes the blocks after the last one (the memo file's or a waiting memo's) and
// waits, like the record naming it, for the next write-back.
bool Table::PlaceMemo(std::string_view text, std::uint32_t& block) {
    if (!dbt_) return Fail("memo: the table has no memo file");
    std::string error;
    if (memos_.empty() && !MemoNextBlock(*dbt_, memoNext_, error)) return Fail("memo: " + error);
    std::string bytes = MemoBlocks(text);
    const std::uint64_t blocks = bytes.size() / kMemoBlock;
    if (text.size() > kMaxMemo || memoNext_ + blocks > 0xFFFFFFFFull) return Fail("memo: too long, or the memo file is full");
    block = memoNext_;
    memoNext_ = std::uint32_t(memoNext_ + blocks);
    memos_[block] = std::move(bytes);
    return true;
}

// In a shared table a change waits in this work area until it leaves the record (a move,
// an unlock, an append, a commit or closing), then reaches the files in one write-back;
// the record is locked meanwhile, so no one else can change it. A memo does not wait: the
// memo and its record go back at once, in one write-back under the header lock.
bool Table::Put(int pos, const Value& value) {
    if (!NotInBurst()) return false;
    if (eof_ || recno_ > header_.records) return Fail("no current record (end of file)");
    if (pos < 1 || pos > int(header_.fields.size())) return Fail("no field " + std::to_string(pos));
    if (shared_ && !locks_.count(recno_)) return Fail("record " + std::to_string(recno_) + " is not locked");
    if (readOnly_) return Fail("table is open read-only");
    const Field& f = header_.fields[std::size_t(pos - 1)];
    const bool waits = shared_ && f.type != 'M';
    if (!waits && !BeginWrite()) return false;
    std::string bytes;
    bool ok = EncodeField(f, value, bytes);
    if (ok && std::memcmp(Record(recno_) + f.offset, bytes.data(), bytes.size()) != 0) {
        std::string image(Record(recno_), header_.recordLength);
        image.replace(std::size_t(f.offset), bytes.size(), bytes);
        ChangeRecord(recno_, image.data());
    }
    return waits ? ok : EndWrite(ok);
}

// The record as it is to be, with the tags following its keys; written back with the
// next write-back (dirty), or, in a shared table, when the record is left (pending).
void Table::ChangeRecord(std::uint32_t recno, const char* image) {
    ReplaceRecord(recno, image);
    if (shared_ && !writing_)
        pending_[recno].assign(image, header_.recordLength);
    else
        dirty_.insert(recno);
}

void Table::ReplaceRecord(std::uint32_t recno, const char* image) {
    std::string key1, key2;
    for (Tag& tag : tags_) {
        bool was = KeyOf(tag, Record(recno), key1), is = KeyOf(tag, image, key2);
        if (was == is && (!was || key1 == key2)) continue;
        if (was) tag.cdx.keys.Erase(key1.data(), recno);
        if (is) tag.cdx.keys.Insert(key2.data(), recno);
        indexDirty_ = true;
    }
    std::memcpy(MutableRecord(recno), image, header_.recordLength);
}

bool Table::WritePending() {
    if (pending_.empty() || writing_) return true;
    return BeginWrite() && EndWrite(true);
}

bool Table::Append(bool releaseLocks, const std::vector<Value>* values) {
    // In a shared table BeginWrite holds the header lock: the append lock of the format.
    // The changes waiting in this area go back in the same write-back.
    if (!NotInBurst() || !BeginWrite()) return false;
    const std::uint32_t recno = header_.records + 1;
    if (header_.records >= kMaxRecords) return EndWrite(Fail("table is full"));
    // The new record is made whole before anything is appended.
    std::string image(header_.recordLength, ' ');
    if (values) {
        const auto memos = memos_;
        const std::uint32_t memoNext = memoNext_;
        std::string bytes;
        for (std::size_t i = 0; i < values->size() && i < header_.fields.size(); ++i) {
            const Field& f = header_.fields[i];
            if (!EncodeField(f, (*values)[i], bytes)) {
                memos_ = memos; // the memos placed for it are not written
                memoNext_ = memoNext;
                return EndWrite(false);
            }
            image.replace(std::size_t(f.offset), bytes.size(), bytes);
        }
    }
    // Lock the new record before anyone can see it (a shared table only).
    if (shared_ && !dbf_->Lock(RecordLockByte(recno), 1, true))
        return EndWrite(Fail("cannot lock the appended record", Failure::kBusy));
    if (shared_) files_->recordOwner[recno] = this;
    locks_.insert(recno);
    data_.append(image);
    header_.records = recno;
    IndexAdd(recno, Record(recno));
    indexDirty_ = indexDirty_ || !tags_.empty();
    dirty_.insert(recno);
    headerDirty_ = true;
    recno_ = recno;
    eof_ = bof_ = false;
    if (EndWrite(true)) {
        if (releaseLocks)
            for (std::uint32_t other : std::vector<std::uint32_t>(locks_.begin(), locks_.end()))
                if (other != recno) Unlock(other);
        return true;
    }
    Unlock(recno); // the record never reached the file
    if (recno > header_.records) {
        eof_ = true;
        recno_ = header_.records + 1;
    }
    return false;
}

bool Table::Delete() {
    if (!NotInBurst()) return false;
    if (eof_ || recno_ > header_.records) return Fail("no current record (end of file)");
    if (shared_ && !locks_.count(recno_)) return Fail("record " + std::to_string(recno_) + " is not locked");
    if (readOnly_) return Fail("table is open read-only");
    if (!IsDeleted(recno_)) {
        std::string image(Record(recno_), header_.recordLength);
        image[0] = '*';
        ChangeRecord(recno_, image.data());
    }
    return true;
}

// ---- locks ----

bool Table::Lock(std::uint32_t recno) {
    if (!NotInBurst() || !Refresh()) return false;
    if (recno < 1 || recno > header_.records) return Fail("no record " + std::to_string(recno) + " to lock");
    if (locks_.count(recno)) return true;
    if (shared_) {
        auto owner = files_->recordOwner.find(recno);
        if (owner != files_->recordOwner.end()) return Fail("record " + std::to_string(recno) + " is locked in another work area", Failure::kBusy);
        if (!dbf_->Lock(RecordLockByte(recno), 1, true))
            return Fail("record " + std::to_string(recno) + " is locked by another user", Failure::kBusy);
        files_->recordOwner[recno] = this;
    }
    locks_.insert(recno);
    return true;
}

// Nothing to write first: a shared table's changes are already on disk, and nobody else
// can see an exclusive table's.
bool Table::Unlock(std::uint32_t recno) {
    // The waiting changes go first, before anyone else may change the records; when they
    // cannot be written the locks go all the same (the changes still wait, to be written
    // with the next write-back or reported lost at closing).
    const bool written = WritePending();
    auto release = [&](std::uint32_t r) {
        if (shared_ && files_) {
            dbf_->Unlock(RecordLockByte(r), 1);
            files_->recordOwner.erase(r);
        }
        locks_.erase(r);
    };
    if (recno != 0) {
        if (locks_.count(recno)) release(recno);
        return written;
    }
    while (!locks_.empty()) release(*locks_.begin());
    return written;
}

std::string Table::IndexFileBytes() const {
    std::string bytes;
    if (cdx_) {
        bytes.resize(std::size_t(cdx_->Size()));
        if (!cdx_->Read(0, bytes.data(), bytes.size())) bytes.clear();
    }
    return bytes;
}

bool Table::ReadHeadIfOpen(const std::string& identity, std::size_t n, std::string& out) {
    auto it = Registry().find(identity);
    if (it == Registry().end()) return false;
    auto files = it->second.lock();
    if (!files) return false;
    std::uint64_t size = files->dbf->Size();
    out.assign(std::size_t(std::min<std::uint64_t>(size, n)), '\0');
    if (!files->dbf->Read(0, out.data(), out.size())) out.clear();
    return true;
}

} // namespace lysora::engine
