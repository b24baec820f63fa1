// The rollback journal that makes each write-back of a table all or nothing.
//
// Before a write-back overwrites bytes of the table file, its index file or its memo file,
// or cuts them off, the old contents of those bytes and the old sizes of the three files
// are written to a journal file beside the table (TABLE.jnl), with the table header's
// change counter before and after the write-back; only then are the files written (memo blocks,
// records, then header, then index), and the journal is marked finished with by zeroing its
// first byte. A write-back that stops part-way (a failed write, a full disk, the
// program or the machine stopping) leaves a live journal behind, and whoever next takes the
// table's update lock exclusively puts the old bytes back: the files then hold the state
// before the write-back, whole. A live journal whose counters the table's header does not
// show (the files were restored from a backup, or copied from elsewhere) belongs to other
// files: it is refused, and the files are left as they are.
//
// The journal file is opened once per process and kept open while the table is, and is
// written over at every write-back rather than created and removed (one write to fill it,
// one to mark it done); the last process to close the table removes it.
//
// Journal file (integers little-endian):
//   0   8  "LYSJRNL3" while live; its first byte zero once done with
//   8   8  length of the journal proper (from byte 0 to its checksum included)
//   16  8  size of the table file before the write-back
//   24  8  size of the index file before the write-back (0: there was none)
//   32  8  size of the memo file before the write-back (0: there was none)
//   40  4  the table header's change counter before the write-back (header offset 16)
//   44  4  the change counter the write-back gives it
//   48  4  number of saved ranges
//   52     per range: 1 file (0 table, 1 index, 2 memo), 8 offset, 4 length, the old bytes
//          (what the writes overwrite, and what cutting a file shorter removes)
//   end 4  FNV-1a checksum of every byte before it
// A journal that is short or fails its checksum was never finished, so the files were not
// touched yet: it needs no undoing. Bytes past the length are left over from a longer one.
#pragma once

#include "data/engine/file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lysora::engine {

// FNV-1a over n bytes: the checksum that ends a journal and a change note.
std::uint32_t Checksum(const char* p, std::size_t n);

enum JournalFile { kTableFile = 0, kIndexFile = 1, kMemoFile = 2 };
constexpr int kJournalFiles = 3;

constexpr std::uint64_t kKeepSize = ~std::uint64_t(0); // a new size that cuts nothing

struct PendingWrite {
    JournalFile file;
    std::uint64_t offset;
    std::string bytes;
    // The bytes it replaces, when the caller knows them as the file holds them (read under
    // the same lock, or written by this process since); empty: the journal reads them.
    std::string old = {};
};

class Journal {
public:
    // writable false (a table opened read-only): the journal is only ever read.
    Journal(std::string path, bool writable) : path_(std::move(path)), writable_(writable) {}
    const std::string& Path() const { return path_; }

    // Writes writes (in their order) to files[...] under the journal, then cuts each file
    // to newSize[file] when that is below its size; the writes take the table header's
    // change counter from counterBefore to counterAfter. durable: the journal reaches the disk
    // before the files are touched, the files before the journal is marked done, and that
    // mark too. On failure the old bytes are put back at once when possible (else the
    // journal stays live for the next writer); false + error either way.
    bool Write(File* const files[kJournalFiles], const std::vector<PendingWrite>& writes,
               const std::uint64_t newSize[kJournalFiles], std::uint32_t counterBefore,
               std::uint32_t counterAfter, bool durable, std::string& error);
    // When a live journal is there, puts the old bytes back into files (each needed
    // writable when it has ranges or a size to restore; a null file skips its ranges) and
    // marks it done. true when nothing is left to undo. A journal that does not belong to
    // the files (their header's change counter is neither of its own) is left live and
    // refused: false + error.
    bool RollBack(File* const files[kJournalFiles], std::string& error);
    // The same undo, made in copies of the files (memory files) rather than in the files:
    // a reader that cannot write them sees the state before the interrupted write-back,
    // and the journal stays live for a writable open to undo. true when nothing is left to
    // undo in the copies; false + error on a journal of other files or an unreadable one.
    bool UndoInCopies(File* const copies[kJournalFiles], std::string& error);
    // A live journal is there (read from the file: another process may have left it).
    bool Live();
    bool Sync();   // the journal file's last write reaches the disk
    // Removes the file when it holds nothing to undo (its table is closed everywhere).
    void Remove();

private:
    bool OpenFile(bool create, std::string& error);
    std::string path_;
    bool writable_;
    std::unique_ptr<File> file_;
};

// The change note beside a shared table (TABLE.chg), rewritten by every write-back of a
// shared table before it releases the header lock: for each of the last write-backs (at
// most kNoteSteps, oldest first, each following the one before it), the change counter
// before and after and the byte ranges of the table and index files it wrote, so that a
// reader some write-backs behind reads those ranges again rather than everything.
//   0   8  "LYSCHG02"
//   8   4  number of write-backs
//   per write-back: 4 change counter before, 4 after, 4 number of ranges,
//                   per range: 1 file, 8 offset, 4 length
//   end 4  FNV-1a checksum of every byte before it
// A note that fails its checksum, or whose write-backs do not lead from a reader's counter
// to the header's, is ignored (a full reload).
struct WrittenRange {
    JournalFile file;
    std::uint64_t offset;
    std::uint32_t length;
};
struct ChangeNote {
    std::uint32_t before = 0, after = 0;
    std::vector<WrittenRange> ranges;
};
constexpr std::size_t kNoteSteps = 32;       // write-backs a note describes at most
constexpr std::size_t kNoteRanges = 4096;    // and ranges, all of them together
std::string EncodeChangeNotes(const std::vector<ChangeNote>& notes);
bool DecodeChangeNotes(const std::string& bytes, std::vector<ChangeNote>& notes);

// What a reader must read again to catch up by the notes, from its change counter `from`
// to the header's `to`.
struct NotedTable {
    std::uint32_t headerLength, recordLength, records; // as the header on disk has them
    bool hasIndex;
};
struct CatchUp {
    // The records written (0-based, first and last of each run), inside the table.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> records;
    std::vector<std::uint32_t> pages; // index pages written, ascending, each once
    bool wholeIndex = false;          // other index bytes written (a root moved, all of it)
};
// false when the notes do not lead from `from` to `to`, or name an index the table does
// not have: the reader reads everything again.
bool PlanCatchUp(const std::vector<ChangeNote>& notes, std::uint32_t from, std::uint32_t to, const NotedTable& table,
                 CatchUp& plan);

} // namespace lysora::engine
