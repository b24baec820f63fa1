// One open table (see table.h): opening with the process-wide registry of file handles
// and the open-mode lock, loading and checking records and index, navigation along the
// physical order or a tag within its scopes, changes kept in step with every tag, record
// locks, and writing back.
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
    int opens = 0;
    bool exclusive = false;
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

// The update lock, held for the life of a scope.
class UpdateLock {
public:
    UpdateLock(File* f, bool exclusive, bool active) : f_(active ? f : nullptr) {
        if (f_) f_->Lock(kUpdateByte, 1, exclusive, true);
    }
    ~UpdateLock() {
        if (f_) f_->Unlock(kUpdateByte, 1);
    }
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    File* f_;
};

} // namespace

bool Table::Fail(std::string text) {
    error_ = std::move(text);
    return false;
}

Table::~Table() {
    if (!readOnly_) Flush();
    Unlock(0);
    if (files_) {
        if (--files_->opens == 0) {
            files_->dbf->Unlock(kOpenByte, 1);
            Registry().erase(files_->identity);
        }
    }
}

std::unique_ptr<Table> Table::Open(std::string_view path, bool shared, bool readOnly,
                                   bool repairIndex, std::string& error) {
    std::string base = StripDbf(path);
    std::string dbfPath = base + ".dbf";
    if (!FileExists(dbfPath)) {
        dbfPath = base + ".DBF";
        if (!FileExists(dbfPath)) {
            error = "table file " + base + ".dbf not found";
            return nullptr;
        }
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
    } else {
        files = std::make_shared<SharedFiles>();
        files->identity = identity;
        files->dbf = OpenFile(dbfPath, true, false, error);
        if (!files->dbf) return nullptr;
        if (!files->dbf->Lock(kOpenByte, 1, !shared, false)) {
            error = shared ? "table " + dbfPath + " is open exclusively by another user"
                           : "table " + dbfPath + " is in use by another user";
            return nullptr;
        }
        files->exclusive = !shared;
        for (const char* ext : {".dbt", ".DBT"})
            if (!files->dbt && FileExists(base + ext)) files->dbt = OpenFile(base + ext, true, false, error);
        for (const char* ext : {".cdx", ".CDX"})
            if (!files->cdx && FileExists(base + ext)) files->cdx = OpenFile(base + ext, true, false, error);
        error.clear();
        registry[identity] = files;
    }
    ++files->opens;
    std::unique_ptr<Table> t(new Table());
    t->files_ = files;
    t->dbf_ = files->dbf.get();
    t->dbt_ = files->dbt.get();
    t->cdx_ = files->cdx.get();
    t->cdxPath_ = base + ".cdx";
    t->shared_ = shared;
    t->readOnly_ = readOnly || !files->dbf->Writable();
    std::size_t slash = base.find_last_of("/\\");
    t->baseName_ = base.substr(slash == std::string::npos ? 0 : slash + 1);
    if (repairIndex && (shared || t->readOnly_)) {
        error = "rebuilding an index needs the table open exclusively and writable";
        return nullptr;
    }
    bool ok;
    {
        UpdateLock lock(t->dbf_, false, shared);
        ok = t->Load(!repairIndex, error);
    }
    if (ok && repairIndex) {
        ok = t->Reindex() && t->Flush();
        if (!ok) error = t->error_;
    }
    if (!ok) return nullptr;
    t->GoTop();
    return t;
}

std::unique_ptr<Table> Table::OpenFiles(std::unique_ptr<File> dbf, std::unique_ptr<File> dbt,
                                        std::unique_ptr<File> cdx, bool readOnly,
                                        std::string& error) {
    std::unique_ptr<Table> t(new Table());
    t->ownDbf_ = std::move(dbf);
    t->ownDbt_ = std::move(dbt);
    t->ownCdx_ = std::move(cdx);
    t->dbf_ = t->ownDbf_.get();
    t->dbt_ = t->ownDbt_.get();
    t->cdx_ = t->ownCdx_.get();
    t->readOnly_ = readOnly || !t->dbf_->Writable();
    if (!t->Load(true, error)) return nullptr;
    t->GoTop();
    return t;
}

bool Table::Load(bool withKeys, std::string& error) {
    return LoadRecords(error) && LoadIndex(withKeys, error);
}

bool Table::LoadRecords(std::string& error) {
    if (!ReadDbfHeader(*dbf_, header_, error)) return false;
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
    diskRecords_ = header_.records;
    return true;
}

std::uint32_t Table::IndexStamp() const {
    unsigned char p[4] = {0, 0, 0, 0};
    if (cdx_) cdx_->Read(8, p, 4);
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

bool Table::LoadIndex(bool withKeys, std::string& error) {
    tags_.clear();
    if (!cdx_) return true;
    indexStamp_ = IndexStamp();
    std::vector<CdxTag> cdxTags;
    if (!ReadCdx(*cdx_, withKeys, cdxTags, error)) return false;
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
        if (!probe || !probe->Lock(kOpenByte, 1, true, false)) {
            error = "table " + base + ".dbf is in use and cannot be replaced";
            return false;
        }
        probe->Unlock(kOpenByte, 1);
    }
    std::string bytes = BuildDbfHeader(h) + "\x1A";
    auto dbf = OpenFile(base + ".dbf", true, true, error);
    if (!dbf || !dbf->Write(0, bytes.data(), bytes.size())) {
        if (error.empty()) error = "cannot write " + base + ".dbf";
        return false;
    }
    if (memo) {
        std::string head = NewMemoFileHeader();
        auto dbt = OpenFile(base + ".dbt", true, true, error);
        if (!dbt || !dbt->Write(0, head.data(), head.size())) {
            if (error.empty()) error = "cannot write " + base + ".dbt";
            return false;
        }
    }
    if (tags.empty()) {
        if (FileExists(base + ".cdx")) RemoveFile(base + ".cdx");
        return true;
    }
    std::vector<const CdxTag*> cdxTags;
    for (const Tag& t : tags) cdxTags.push_back(&t.cdx);
    std::string cdxBytes = BuildCdx(cdxTags, 1);
    auto cdx = OpenFile(base + ".cdx", true, true, error);
    if (!cdx || !cdx->Write(0, cdxBytes.data(), cdxBytes.size())) {
        if (error.empty()) error = "cannot write " + base + ".cdx";
        return false;
    }
    return true;
}

// ---- staying current ----

bool Table::Refresh() {
    if (!shared_) return true;
    UpdateLock lock(dbf_, false, true);
    return SyncLocked();
}

bool Table::SyncLocked() {
    unsigned char prefix[kDbfPrefix];
    if (!dbf_->Read(0, prefix, sizeof prefix)) return Fail("table header unreadable");
    std::uint32_t records = std::uint32_t(prefix[4]) | std::uint32_t(prefix[5]) << 8 |
                            std::uint32_t(prefix[6]) << 16 | std::uint32_t(prefix[7]) << 24;
    std::uint32_t counter = std::uint32_t(prefix[16]) | std::uint32_t(prefix[17]) << 8 |
                            std::uint32_t(prefix[18]) << 16 | std::uint32_t(prefix[19]) << 24;
    if (records == header_.records && counter == header_.changeCounter) return true;
    // The index is read again only when its writer stamped it anew.
    std::string error;
    const bool indexChanged = cdx_ && IndexStamp() != indexStamp_;
    if (!LoadRecords(error) || (indexChanged && !LoadIndex(true, error)))
        return Fail("table changed by another user and now unreadable: " + error);
    if (recno_ > header_.records) eof_ = true;
    return true;
}

bool Table::BeginWrite() {
    if (readOnly_) return Fail("table is open read-only");
    if (!shared_) return true;
    dbf_->Lock(kUpdateByte, 1, true, true);
    writing_ = true;
    if (!SyncLocked()) {
        dbf_->Unlock(kUpdateByte, 1);
        writing_ = false;
        return false;
    }
    return true;
}

bool Table::EndWrite(bool ok) {
    if (!shared_) return ok;
    bool flushed = Flush();
    dbf_->Unlock(kUpdateByte, 1);
    writing_ = false;
    return ok && flushed;
}

bool Table::Flush() {
    if (readOnly_ || (dirty_.empty() && !headerDirty_ && !indexDirty_)) return true;
    const std::uint32_t len = header_.recordLength;
    // Contiguous dirty records go out in one write.
    for (auto it = dirty_.begin(); it != dirty_.end();) {
        std::uint32_t first = *it, last = first;
        auto next = std::next(it);
        while (next != dirty_.end() && *next == last + 1) last = *next++;
        std::uint64_t at = header_.headerLength + std::uint64_t(first - 1) * len;
        if (!dbf_->Write(at, Record(first), std::size_t(last - first + 1) * len))
            return Fail("cannot write the table file");
        it = next;
    }
    dirty_.clear();
    if (headerDirty_ || header_.records != diskRecords_) {
        if (header_.records != diskRecords_) {
            char eofMark = 0x1A;
            std::uint64_t end = header_.headerLength + std::uint64_t(header_.records) * len;
            if (!dbf_->Write(end, &eofMark, 1)) return Fail("cannot write the table file");
            if (header_.records < diskRecords_) dbf_->Truncate(end + 1);
            diskRecords_ = header_.records;
        }
    }
    ++header_.changeCounter;
    if (!WriteDbfPrefix(*dbf_, header_)) return Fail("cannot write the table header");
    headerDirty_ = false;
    if (indexDirty_ && !tags_.empty()) {
        std::vector<const CdxTag*> cdxTags;
        for (const Tag& t : tags_) cdxTags.push_back(&t.cdx);
        std::string bytes = BuildCdx(cdxTags, std::max<std::uint32_t>(header_.records, 1));
        // Stamp the index with the table's change counter (big-endian, in the header's
        // reserved word) so that other processes know to read it again.
        indexStamp_ = header_.changeCounter;
        for (int i = 0; i < 4; ++i) bytes[std::size_t(8 + i)] = char(indexStamp_ >> (24 - 8 * i));
        if (!cdx_) {
            std::string error;
            if (files_) {
                files_->cdx = OpenFile(cdxPath_, true, true, error);
                cdx_ = files_->cdx.get();
            }
            if (!cdx_) return Fail("cannot create the index file: " + error);
        }
        if (!cdx_->Write(0, bytes.data(), bytes.size()) || !cdx_->Truncate(bytes.size()))
            return Fail("cannot write the index file");
    }
    indexDirty_ = false;
    return true;
}

bool Table::Commit() {
    if (readOnly_) return true;
    bool ok;
    {
        UpdateLock lock(dbf_, true, shared_ && !writing_);
        ok = Flush();
    }
    if (!ok) return false;
    bool synced = dbf_->Sync() && (!dbt_ || dbt_->Sync()) && (!cdx_ || cdx_->Sync());
    return synced || Fail("the system could not put the changes on the disk");
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
    indexDirty_ = true;
    return true;
}

std::vector<std::string> Table::Check() const {
    std::vector<std::string> problems;
    std::string key;
    for (const Tag& tag : tags_) {
        const KeyList& keys = tag.cdx.keys;
        std::size_t expected = 0, wrong = 0;
        for (std::uint32_t r = 1; r <= header_.records; ++r) {
            if (!KeyOf(tag, Record(r), key)) continue;
            ++expected;
            if (keys.IsEnd(keys.Find(key.data(), r))) {
                if (++wrong <= 5)
                    problems.push_back("tag " + tag.cdx.name + ": record " + std::to_string(r) +
                                       " missing under its key \"" + key + "\"");
            }
        }
        if (wrong > 5)
            problems.push_back("tag " + tag.cdx.name + ": " + std::to_string(wrong - 5) + " more records missing");
        if (keys.Size() != expected)
            problems.push_back("tag " + tag.cdx.name + " holds " + std::to_string(keys.Size()) +
                               " keys for " + std::to_string(expected) + " records");
        // Order (kept by construction, but a file read from elsewhere is checked here too).
        KeyList::Pos prev = keys.End();
        for (auto p = keys.Begin(); !keys.IsEnd(p); p = keys.Next(p)) {
            if (!keys.IsEnd(prev)) {
                int c = std::memcmp(keys.Key(prev), keys.Key(p), std::size_t(keys.KeyLength()));
                if (c > 0 || (c == 0 && keys.Rec(prev) >= keys.Rec(p))) {
                    problems.push_back("tag " + tag.cdx.name + ": keys out of order at record " +
                                       std::to_string(keys.Rec(p)));
                    break;
                }
            }
            prev = p;
        }
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
        std::string error;
        if (!dbt_ || !WriteMemo(*dbt_, v.Text(), block, error)) return Fail("memo: " + error);
        bytes = FormatNumber(block, 10, 0);
        return true;
    }
    }
    return Fail("field " + f.name + " has an unknown type");
}

bool Table::Put(int pos, const Value& value) {
    if (eof_ || recno_ > header_.records) return Fail("no current record (end of file)");
    if (pos < 1 || pos > int(header_.fields.size())) return Fail("no field " + std::to_string(pos));
    if (shared_ && !locks_.count(recno_)) return Fail("record " + std::to_string(recno_) + " is not locked");
    const Field& f = header_.fields[std::size_t(pos - 1)];
    if (!BeginWrite()) return false;
    std::string bytes;
    bool ok = EncodeField(f, value, bytes);
    if (ok && std::memcmp(Record(recno_) + f.offset, bytes.data(), bytes.size()) != 0) {
        std::string before(Record(recno_), header_.recordLength);
        std::memcpy(MutableRecord(recno_) + f.offset, bytes.data(), bytes.size());
        std::string key1, key2;
        for (Tag& tag : tags_) {
            bool was = KeyOf(tag, before.data(), key1), is = KeyOf(tag, Record(recno_), key2);
            if (was == is && (!was || key1 == key2)) continue;
            if (was) tag.cdx.keys.Erase(key1.data(), recno_);
            if (is) tag.cdx.keys.Insert(key2.data(), recno_);
            indexDirty_ = true;
        }
        dirty_.insert(recno_);
    }
    return EndWrite(ok);
}

bool Table::Append() {
    if (readOnly_) return Fail("table is open read-only");
    if (shared_ && !dbf_->Lock(kAppendByte, 1, true, true)) return Fail("cannot lock the table to append");
    bool ok = BeginWrite();
    std::uint32_t recno = 0;
    if (ok && header_.records >= kMaxRecords) ok = Fail("table is full");
    if (ok) {
        recno = header_.records + 1;
        // Lock the new record before anyone can see it (a shared table only).
        if (shared_ && !dbf_->Lock(kRecordBase - recno, 1, true, false))
            ok = Fail("cannot lock the appended record");
    }
    if (ok) {
        if (shared_) files_->recordOwner[recno] = this;
        locks_.insert(recno);
        data_.append(header_.recordLength, ' ');
        header_.records = recno;
        IndexAdd(recno, Record(recno));
        indexDirty_ = indexDirty_ || !tags_.empty();
        dirty_.insert(recno);
        headerDirty_ = true;
        recno_ = recno;
        eof_ = bof_ = false;
    }
    ok = EndWrite(ok);
    if (shared_) dbf_->Unlock(kAppendByte, 1);
    return ok;
}

bool Table::Delete() {
    if (eof_ || recno_ > header_.records) return Fail("no current record (end of file)");
    if (shared_ && !locks_.count(recno_)) return Fail("record " + std::to_string(recno_) + " is not locked");
    if (!BeginWrite()) return false;
    if (!IsDeleted(recno_)) {
        MutableRecord(recno_)[0] = '*';
        dirty_.insert(recno_);
    }
    return EndWrite(true);
}

// ---- locks ----

bool Table::Lock(std::uint32_t recno) {
    if (!Refresh()) return false;
    if (recno < 1 || recno > header_.records) return Fail("no record " + std::to_string(recno) + " to lock");
    if (locks_.count(recno)) return true;
    if (shared_) {
        auto owner = files_->recordOwner.find(recno);
        if (owner != files_->recordOwner.end()) return Fail("record " + std::to_string(recno) + " is locked in another work area");
        if (!dbf_->Lock(kRecordBase - recno, 1, true, false))
            return Fail("record " + std::to_string(recno) + " is locked by another user");
        files_->recordOwner[recno] = this;
    }
    locks_.insert(recno);
    return true;
}

// Nothing to write first: a shared table's changes are already on disk, and nobody else
// can see an exclusive table's.
void Table::Unlock(std::uint32_t recno) {
    auto release = [&](std::uint32_t r) {
        if (shared_ && files_) {
            dbf_->Unlock(kRecordBase - r, 1);
            files_->recordOwner.erase(r);
        }
        locks_.erase(r);
    };
    if (recno != 0) {
        if (locks_.count(recno)) release(recno);
        return;
    }
    while (!locks_.empty()) release(*locks_.begin());
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
