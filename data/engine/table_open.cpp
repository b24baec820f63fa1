// Opening and closing a table, and the process's registry of open file sets.
//
// May assume: nothing about the files (they may be missing, locked by another program,
// write-protected, or left by a write-back that stopped part-way).
// Must leave true: a table handed out has its files open once per process (one SharedFiles
// per file identity, found through the registry), holds the open byte shared (a shared
// open) or exclusive (an exclusive one), has no interrupted write-back behind what it
// loaded, and its index agreed with its records when loaded (unless inspected or repaired).
// Closing writes what waits, releases every lock it took, and the last closer anywhere
// removes a finished journal. Creating never replaces a table another program has open.
#include "data/engine/table_internal.h"

#include <cctype>

namespace lysora::engine {
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

// The companion file base + ext in either case; empty when there is none.
std::string Companion(const std::string& base, const char* lower, const char* upper) {
    if (FileExists(base + lower)) return base + lower;
    if (FileExists(base + upper)) return base + upper;
    return {};
}

// The handles a new open of the table joins: those of another work area of this program
// when it has the table open (an open that cannot share them is refused), else files
// opened now, with the open byte held.
std::shared_ptr<SharedFiles> OpenFileSet(const std::string& base, const std::string& dbfPath, bool shared,
                                         bool readOnly, std::string& error);

std::shared_ptr<SharedFiles> ShareFiles(const std::string& base, const std::string& dbfPath, bool shared,
                                        bool readOnly, std::string& error) {
    auto it = Registry().find(FileIdentity(dbfPath));
    std::shared_ptr<SharedFiles> files = it != Registry().end() ? it->second.lock() : nullptr;
    if (!files) return OpenFileSet(base, dbfPath, shared, readOnly, error);
    if (files->exclusive || !shared) {
        error = "table " + dbfPath + " is already open" + (files->exclusive ? " exclusively" : "") + " in this program";
        return nullptr;
    }
    if (files->readOnly && !readOnly) {
        error = "table " + dbfPath + " is already open read-only in this program";
        return nullptr;
    }
    return files;
}

std::shared_ptr<SharedFiles> OpenFileSet(const std::string& base, const std::string& dbfPath, bool shared,
                                         bool readOnly, std::string& error) {
    auto files = std::make_shared<SharedFiles>();
    files->identity = FileIdentity(dbfPath);
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
    // An index that is there but cannot be opened must not be left behind, stale.
    std::string dbtPath = Companion(base, ".dbt", ".DBT"), cdxPath = Companion(base, ".cdx", ".CDX");
    if ((!dbtPath.empty() && !(files->dbt = OpenTableFile(dbtPath, !readOnly, false, error))) ||
        (!cdxPath.empty() && !(files->cdx = OpenTableFile(cdxPath, !readOnly, false, error)))) {
        files->dbf->Unlock(kOpenByte, 1);
        return nullptr;
    }
    error.clear();
    files->journal = std::make_unique<Journal>(base + ".jnl", !readOnly);
    Registry()[files->identity] = files;
    return files;
}

// A new table's fields, checked, upper case, placed one after the other in the record.
bool NewTableHeader(const std::vector<Field>& fieldDefs, DbfHeader& h, std::string& error) {
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
    return true;
}

// A new table's tags, named in upper case, each compiled against the fields.
bool NewTableTags(const std::vector<CdxTag>& tagDefs, const std::vector<Field>& fields,
                  std::vector<Table::Tag>& tags, std::string& error) {
    for (const CdxTag& def : tagDefs) {
        Table::Tag tag;
        tag.cdx.name = def.name;
        for (char& c : tag.cdx.name) c = char(std::toupper((unsigned char)c));
        if (tag.cdx.name.empty() || tag.cdx.name.size() > 10) {
            error = "tag name must have 1 to 10 characters";
            return false;
        }
        for (const Table::Tag& other : tags)
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
        if (!tag.keyExpr.Compile(def.key, fields, why) || !tag.condition.Compile(def.forCondition, fields, why)) {
            error = "tag " + tag.cdx.name + ": " + why;
            return false;
        }
        tag.cdx.keyLen = tag.keyExpr.Length();
        tag.cdx.keys = KeyList(tag.cdx.keyLen);
        tags.push_back(std::move(tag));
    }
    return true;
}

// Never overwrite a table another program has open: its open lock must be free.
// (Released again before the file is emptied: Windows refuses to cut a locked file.)
bool Replaceable(const std::string& base, std::string& error) {
    if (!FileExists(base + ".dbf")) return true;
    auto probe = OpenFile(base + ".dbf", true, false, error);
    if (!probe || !probe->Lock(kOpenByte, 1, true)) {
        error = "table " + base + ".dbf is in use and cannot be replaced";
        return false;
    }
    probe->Unlock(kOpenByte, 1);
    return true;
}

// The index first, so that a table whose header names an index never lacks one; each
// file synced, so that a table reported created is there.
bool WriteNewTable(const std::string& base, DbfHeader& h, const std::vector<Table::Tag>& tags, std::string& error) {
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
        h.flags = kStructuralIndexFlag;
        std::vector<const CdxTag*> cdxTags;
        for (const Table::Tag& t : tags) cdxTags.push_back(&t.cdx);
        if (!write(base + ".cdx", BuildCdx(cdxTags, 1))) return false;
    }
    if (h.version == 0x83 && !write(base + ".dbt", NewMemoFileHeader())) return false;
    for (const char* ext : {".jnl", ".chg"}) // they belong to the table replaced
        if (FileExists(base + ext)) RemoveFile(base + ext);
    return write(base + ".dbf", BuildDbfHeader(h) + "\x1A");
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
    std::shared_ptr<SharedFiles> files = ShareFiles(base, dbfPath, shared, readOnly, error);
    if (!files) return nullptr;
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
    if (!t->Start(mode, error)) return nullptr;
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
    if (!t->Start(mode, error)) return nullptr;
    return t;
}

bool Table::Start(OpenMode mode, std::string& error) {
    bool locked = false;
    if (!ReadyToLoad(locked)) {
        error = error_;
        return false;
    }
    bool ok = Load(mode, error);
    if (locked) UnlockForUpdate();
    if (ok && mode == OpenMode::kRepair && !(Reindex() && Commit())) {
        error = error_;
        ok = false;
    }
    if (ok) GoTop();
    return ok;
}

// A write-back that another process (or this one, earlier) did not finish is undone
// first, by whoever can take the header lock exclusively; a shared open loads under the
// header lock held shared (locked), with no interrupted write-back behind it. One that
// cannot undo it (the files or the journal cannot be written here) reads the files as
// they were before it, from copies.
bool Table::ReadyToLoad(bool& locked) {
    if (!files_) return true;
    if (!shared_) return UndoInterruptedWrite();
    if (!CanUndo() && journal_->Live()) {
        bool viewed = false;
        if (!ViewBeforeInterruptedWrite(viewed)) return false;
        if (viewed) return true;
    }
    locked = LockForReading();
    return locked;
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
    std::vector<Tag> tags;
    return NewTableHeader(fieldDefs, h, error) && NewTableTags(tagDefs, h.fields, tags, error) &&
           Replaceable(base, error) && WriteNewTable(base, h, tags, error);
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
