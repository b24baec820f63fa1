// One open table: its files, an in-memory copy of its records and index keys, a record
// pointer with a controlling order and scopes, record locks, and writing back.
//
// Sharing between processes. The lock bytes are those of FoxPro-style CDX engines, so that
// their users and ours exclude each other:
//   kHeaderLockByte (table file)   the header lock: held exclusive by whoever writes the
//                  table (appends, changed records, the header), shared by a reader while
//                  it reads the records;
//   kIndexLockByte (index file)    the index lock: exclusive while the index is written,
//                  shared while it is read (always taken after the header lock);
//   RecordLockByte(n) = kHeaderLockByte - n (table file)  the lock of record n;
//   kOpenByte (table file, just above the header byte)  our own: every shared open holds
//                  it shared, an exclusive open exclusive, so the two exclude each other.
// Only record locks fail at once when taken; the header and index locks wait for at most
// kLockWaitMs and then report that the table is busy, so no operation ever hangs.
// In a shared table a change to a record waits in its work area until the area leaves the
// record (moves, unlocks, appends, commits, closes), and is then written back under the
// header lock, with the header's change counter raised; every movement first compares the counter (and the
// record count) with the ones last read and reloads the records when they moved, and the
// index too when its own stamp (offset 8 of the index file) moved. Between BeginBurst and
// EndBurst (nested) that comparison is made once, at the start, and the area refuses changes
// to records meanwhile (see ReadBurst in engine.h).
// In an exclusive table changes stay in memory until DBCOMMIT, an unlock, or closing.
//
// Every write-back goes through the rollback journal (journal.h), so that the files hold
// either the state before it or the state after it, whatever stops it. Opening checks the
// index against the records (each tag holds exactly the records its condition admits,
// each under its current key) and refuses a damaged one, naming `dbftool repair`.
#pragma once

#include "base/value.h"
#include "data/engine/cdx.h"
#include "data/engine/dbf_format.h"
#include "data/engine/expr.h"
#include "data/engine/file.h"
#include "data/engine/journal.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lysora::engine {

struct SharedFiles; // the process's one set of handles for a table (table_internal.h)

constexpr std::uint64_t kHeaderLockByte = 0x7FFFFFFEull;
constexpr std::uint64_t kIndexLockByte = 0x7FFFFFFEull;
constexpr std::uint64_t kOpenByte = 0x7FFFFFFFull;
constexpr int kLockWaitMs = 5000;
constexpr int kOpenWaitMs = 500; // for the open byte, which others hold only while opening or closing
constexpr std::uint64_t RecordLockByte(std::uint32_t recno) { return kHeaderLockByte - recno; }

// How an open treats the index.
enum class OpenMode {
    kNormal,  // the index must agree with the records, or the open fails
    kInspect, // the index is taken as it is (checking tools report what is wrong)
    kRepair,  // a record count the file cannot hold is cut to the whole records there, and
              // every tag is rebuilt from its definition (needs exclusive and writable)
};

class Table {
public:
    struct Tag {
        CdxTag cdx;
        KeyExpr keyExpr;
        Condition condition;
    };

    // Opens path (with or without ".dbf").
    static std::unique_ptr<Table> Open(std::string_view path, bool shared, bool readOnly,
                                       OpenMode mode, std::string& error);
    // Over files given by the caller (memory files for fuzzing and tests): exclusive, no
    // locks, no journal. dbt and cdx may be null.
    static std::unique_ptr<Table> OpenFiles(std::unique_ptr<File> dbf, std::unique_ptr<File> dbt,
                                            std::unique_ptr<File> cdx, bool readOnly,
                                            OpenMode mode, std::string& error);
    static bool Create(std::string_view path, const std::vector<Field>& fields,
                       const std::vector<CdxTag>& tagDefs, std::string& error);
    // Writes what is pending, syncs, releases the locks and the files; false + Error()
    // when the changes could not be written. Later calls do nothing.
    bool Close();
    ~Table(); // closes when Close was not called (a failure then goes unreported)

    const DbfHeader& Header() const { return header_; }
    const std::vector<Field>& Fields() const { return header_.fields; }
    const std::vector<Tag>& Tags() const { return tags_; }
    std::uint32_t RecCount() const { return header_.records; }
    bool Shared() const { return shared_; }
    bool ReadOnly() const { return readOnly_; }
    const std::string& Error() const { return error_; }
    // What a reader should know about what it reads: "" or, when a change to the table was
    // interrupted and this process cannot undo it, that the table is shown as it was
    // before that change and needs a writable open to be repaired.
    const std::string& Notice() const { return notice_; }
    Failure FailureKind() const { return failure_; }
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

    // Appends a record, blank or holding values (field i the i-th; the missing ones blank);
    // a value that does not fit its field appends nothing. releaseLocks: the area's other
    // record locks go once it is done.
    bool Append(bool releaseLocks, const std::vector<Value>* values = nullptr);
    bool Delete();

    bool Lock(std::uint32_t recno);
    bool Unlock(std::uint32_t recno); // 0: all; false when waiting changes could not be written
    std::vector<long> LockList() const { return {locks_.begin(), locks_.end()}; }
    bool Commit();
    bool Reindex();
    std::vector<std::string> Check() const;

    // A burst of reads: takes in other processes' changes now, then moves and reads without
    // checking again until the matching EndBurst. false + Error(): no burst began.
    bool BeginBurst();
    void EndBurst();

    // The whole compound index file as it stands (tests and fuzzing).
    std::string IndexFileBytes() const;
    // Reads the first n bytes of an open table file (ReadFileHead).
    static bool ReadHeadIfOpen(const std::string& identity, std::size_t n, std::string& out);

private:
    Table() = default;
    bool Start(OpenMode mode, std::string& error); // undoes, loads, repairs; then the top
    bool ReadyToLoad(bool& locked);
    bool CanUndo() const; // this process can write the files and the journal
    // Copies of the files as they were before an interrupted write-back, read from then
    // on (viewed false: no write-back was interrupted after all).
    bool ViewBeforeInterruptedWrite(bool& viewed);
    bool Load(OpenMode mode, std::string& error);
    bool LoadRecords(bool cutCount, std::string& error);
    bool LoadIndex(bool withKeys, std::string& error);
    // The first `limit` ways in which the index differs from the records.
    std::vector<std::string> IndexProblems(std::size_t limit) const;
    bool LockForUpdate(bool exclusive); // the header lock, then the index lock (bounded)
    bool LockForReading(); // the update lock shared, with no interrupted write-back behind it
    void UnlockForUpdate();
    bool UndoInterruptedWrite();        // rolls a journal back; the header lock held exclusive
    std::uint32_t IndexStamp() const; // the index header's change stamp
    bool CompileTags(std::string& error);
    bool Refresh();                // shared: take in other processes' changes
    bool SyncLocked();             // the same, the update lock being held
    bool ReadCounts(std::uint32_t& records, std::uint32_t& counter); // from the header on disk
    bool ReloadChanged(std::uint32_t records, std::uint32_t counter);
    bool ReloadIndexPage(std::uint32_t at);
    bool ReadChangeNotes(std::vector<ChangeNote>& notes); // false: no note, or not whole
    bool WriteChangeNote(std::uint32_t after, const std::vector<PendingWrite>& writes, std::string& error);
    bool BeginWrite();             // checks, and in a shared table takes the update lock
    bool EndWrite(bool ok);        // writes through (shared) and drops the update lock
    bool Flush(bool durable);      // writes every pending change, under the journal
    struct WriteBack;              // one write-back being made (table_internal.h)
    void PlanMemos(WriteBack& plan) const;
    void PlanRecords(WriteBack& plan) const;
    bool PlanHeader(WriteBack& plan);
    bool PlanIndex(WriteBack& plan);
    bool WriteThrough(const WriteBack& plan, bool durable);
    bool WritePending();           // shared: writes back the changes waiting in this area
    void ChangeRecord(std::uint32_t recno, const char* image);
    void ReplaceRecord(std::uint32_t recno, const char* image); // data and tags only
    bool AdoptIndexPages(const std::string& bytes);
    bool Fail(std::string text, Failure kind = Failure::kRefused);
    bool NotInBurst(); // false + Error() inside a burst: changes wait until it ends
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
    bool PlaceMemo(std::string_view text, std::uint32_t& block); // a new memo, written back with the record

    std::shared_ptr<SharedFiles> files_;
    std::unique_ptr<File> ownDbf_, ownDbt_, ownCdx_; // OpenFiles only
    File* dbf_ = nullptr;
    File* dbt_ = nullptr;
    File* cdx_ = nullptr;
    std::string cdxPath_;
    Journal* journal_ = nullptr; // null: no journal (files given by the caller)
    std::string notePath_;
    std::string baseName_;
    bool closed_ = false;
    bool shared_ = false, readOnly_ = false;
    bool writing_ = false; // inside BeginWrite/EndWrite of a shared table
    // A shared write-back failed and could not be undone at once: what this area holds may
    // differ from the files, so the next sync reads records and index again.
    bool stale_ = false;
    int bursts_ = 0; // read bursts open on this area (BeginBurst)

    DbfHeader header_;
    std::string data_; // every record, as on disk
    std::vector<Tag> tags_;
    std::set<std::uint32_t> dirty_;
    // Shared: records this area changed that wait until it leaves them, as they are to be.
    std::map<std::uint32_t, std::string> pending_;
    // New memos waiting for the next write-back (first block -> its blocks), and the first
    // block free after them.
    std::map<std::uint32_t, std::string> memos_;
    std::uint32_t memoNext_ = 0;
    bool headerDirty_ = false, indexDirty_ = false;
    bool indexRebuild_ = false; // the index is to be written whole (new, rebuilt, or its pages unknown)
    std::uint32_t diskRecords_ = 0; // records the file holds (for the end-of-file byte)
    std::uint32_t indexStamp_ = 0;  // stamp of the index as last read or written
    std::vector<std::uint32_t> freePages_; // the index file's free pages, head last
    std::string diskPrefix_ = std::string(kDbfPrefix, '\0'); // the header's first bytes as last read

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
    std::string notice_;
    Failure failure_ = Failure::kNone;
};

} // namespace lysora::engine
