// One open table: its files, an in-memory copy of its records and index keys, a record
// pointer with a controlling order and scopes, record locks, and writing back.
//
// Sharing between processes (bytes far beyond any real data of the table file are used as
// lock bytes, as dBASE-family engines do):
//   kOpenByte     every shared open holds a shared lock on it, an exclusive open an
//                 exclusive one, so exclusive opens and shared opens exclude each other;
//   kUpdateByte   a writer holds it exclusive while it writes the records, header and
//                 index; a reader holds it shared while it reads them, so no reader sees
//                 a half-written record or index;
//   kAppendByte   held exclusive while a record is appended (the table lock of appends);
//   kRecordBase-n the lock of record n.
// In a shared table every change is written through at once under kUpdateByte, with the
// header's change counter raised; every movement first compares the counter (and the
// record count) with the ones last read and reloads the records when they moved, and the
// index too when its own stamp (offset 8 of the index file) moved.
// In an exclusive table changes stay in memory until DBCOMMIT, an unlock, or closing.
#pragma once

#include "base/value.h"
#include "data/engine/cdx.h"
#include "data/engine/dbf.h"
#include "data/engine/expr.h"
#include "data/engine/file.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lysora::engine {

struct SharedFiles; // the process's one set of handles for a table (table.cpp)

constexpr std::uint64_t kOpenByte = 0x7FFFFFFEull;
constexpr std::uint64_t kUpdateByte = 0x7FFFFFFDull;
constexpr std::uint64_t kAppendByte = 0x7FFFFFFCull;
constexpr std::uint64_t kRecordBase = 0x7FFFFFFBull; // record n locks kRecordBase - n

class Table {
public:
    struct Tag {
        CdxTag cdx;
        KeyExpr keyExpr;
        Condition condition;
    };

    // Opens path (with or without ".dbf"). repairIndex: read only the tag definitions of the
    // index and rebuild its keys (for a damaged index; needs exclusive and writable).
    static std::unique_ptr<Table> Open(std::string_view path, bool shared, bool readOnly,
                                       bool repairIndex, std::string& error);
    // Over files given by the caller (memory files for fuzzing and tests): exclusive, no
    // locks. dbt and cdx may be null.
    static std::unique_ptr<Table> OpenFiles(std::unique_ptr<File> dbf, std::unique_ptr<File> dbt,
                                            std::unique_ptr<File> cdx, bool readOnly,
                                            std::string& error);
    static bool Create(std::string_view path, const std::vector<Field>& fields,
                       const std::vector<CdxTag>& tagDefs, std::string& error);
    ~Table();

    const DbfHeader& Header() const { return header_; }
    const std::vector<Field>& Fields() const { return header_.fields; }
    const std::vector<Tag>& Tags() const { return tags_; }
    std::uint32_t RecCount() const { return header_.records; }
    bool Shared() const { return shared_; }
    bool ReadOnly() const { return readOnly_; }
    const std::string& Error() const { return error_; }
    std::string BaseName() const { return baseName_; }

    // Record pointer.
    std::uint32_t Recno() const { return eof_ ? header_.records + 1 : recno_; }
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool Deleted() const;
    bool GoTo(std::uint32_t recno);
    bool GoTop();
    bool GoBottom();
    bool Skip(long count);
    bool Seek(std::string_view key, bool soft, bool last);

    // Orders: 0 physical, 1.. tags in file order.
    int Order() const { return order_; }
    bool SetOrder(int order);
    const std::optional<std::string>& Scope(int which) const { return scope_[which ? 1 : 0]; }
    void SetScope(int which, std::optional<std::string> bound);

    // Fields of the current record (1-based positions checked by the caller).
    Value Get(int pos);
    bool Put(int pos, const Value& value);

    bool Append();
    bool Delete();

    bool Lock(std::uint32_t recno);
    void Unlock(std::uint32_t recno); // 0: all
    std::vector<long> LockList() const { return {locks_.begin(), locks_.end()}; }
    bool Commit();
    bool Reindex();
    std::vector<std::string> Check() const;

    // The whole compound index file as it stands (tests and fuzzing).
    std::string IndexFileBytes() const;
    // Reads the first n bytes of an open table file (ReadFileHead).
    static bool ReadHeadIfOpen(const std::string& identity, std::size_t n, std::string& out);

private:
    Table() = default;
    bool Load(bool withKeys, std::string& error);
    bool LoadRecords(std::string& error);
    bool LoadIndex(bool withKeys, std::string& error);
    std::uint32_t IndexStamp() const; // the index header's change stamp
    bool CompileTags(std::string& error);
    bool Refresh();                // shared: take in other processes' changes
    bool SyncLocked();             // the same, the update lock being held
    bool BeginWrite();             // checks, and in a shared table takes the update lock
    bool EndWrite(bool ok);        // writes through (shared) and drops the update lock
    bool Flush();                  // writes every pending change
    bool Fail(std::string text);
    const char* Record(std::uint32_t recno) const {
        return data_.data() + std::size_t(recno - 1) * header_.recordLength;
    }
    char* MutableRecord(std::uint32_t recno) {
        return data_.data() + std::size_t(recno - 1) * header_.recordLength;
    }
    bool IsDeleted(std::uint32_t recno) const { return Record(recno)[0] == '*'; }
    bool KeyOf(const Tag& tag, const char* record, std::string& key) const; // false: FOR excludes it
    void IndexRemove(std::uint32_t recno, const char* record);
    void IndexAdd(std::uint32_t recno, const char* record);
    bool InScope(const KeyList& keys, KeyList::Pos p) const;
    KeyList::Pos CurrentPos() const;
    void SetPos(const KeyList& keys, KeyList::Pos p); // EOF when end or out of scope
    KeyList::Pos SkipDeletedForward(const KeyList& keys, KeyList::Pos p) const;
    KeyList::Pos SkipDeletedBackward(const KeyList& keys, KeyList::Pos p) const;
    bool EncodeField(const Field& f, const Value& v, std::string& bytes);

    std::shared_ptr<SharedFiles> files_;
    std::unique_ptr<File> ownDbf_, ownDbt_, ownCdx_; // OpenFiles only
    File* dbf_ = nullptr;
    File* dbt_ = nullptr;
    File* cdx_ = nullptr;
    std::string cdxPath_;
    std::string baseName_;
    bool shared_ = false, readOnly_ = false;
    bool writing_ = false; // inside BeginWrite/EndWrite of a shared table

    DbfHeader header_;
    std::string data_; // every record, as on disk
    std::vector<Tag> tags_;
    std::set<std::uint32_t> dirty_;
    bool headerDirty_ = false, indexDirty_ = false;
    std::uint32_t diskRecords_ = 0; // records the file holds (for the end-of-file byte)
    std::uint32_t indexStamp_ = 0;  // stamp of the index as last read or written

    std::uint32_t recno_ = 0;
    bool eof_ = true, bof_ = true;
    // Where recno_ stands in the controlling tag, valid while order, record and the key
    // list's version are those remembered.
    struct {
        int order = -1;
        std::uint64_t version = 0;
        std::uint32_t recno = 0;
        KeyList::Pos pos;
    } where_;
    int order_ = 0;
    std::optional<std::string> scope_[2];
    std::set<std::uint32_t> locks_;
    std::string error_;
};

} // namespace lysora::engine
