// The rollback journal that makes each write-back of a table all or nothing.
//
// Before a write-back overwrites bytes of the table file or of its index file, the old
// contents of those bytes and the old sizes of both files are written to a journal file
// beside the table (TABLE.jnl); only then are the table and index written (records, then
// header, then index), and the journal is removed once they are. A write-back that stops
// part-way (a failed write, a full disk, the program or the machine stopping) leaves the
// journal behind, and whoever next takes the table's update lock exclusively puts the old
// bytes back: the files then hold the state before the write-back, whole.
//
// Journal file (integers little-endian):
//   0   8  "LYSJRNL1"
//   8   8  size of the table file before the write-back
//   16  8  size of the index file before the write-back (0: there was none)
//   24  4  number of saved ranges
//   28     per range: 1 file (0 table, 1 index), 8 offset, 4 length, the old bytes
//   end 4  FNV-1a checksum of every byte before it
// A journal that is short or fails its checksum was never finished, so the table and index
// were not touched yet: it is simply removed.
#pragma once

#include "data/engine/file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lysora::engine {

enum JournalFile { kTableFile = 0, kIndexFile = 1 };

struct PendingWrite {
    JournalFile file;
    std::uint64_t offset;
    std::string bytes;
};

// Writes writes (in their order) to files[kTableFile] / files[kIndexFile] under a journal
// at journalPath, then cuts each file to newSize[file] when that is below its size.
// durable: the journal reaches the disk before the files are touched, and the files before
// the journal goes. On failure the old bytes are put back at once when possible (else the
// journal stays for the next opener); false + error either way.
bool WriteWithJournal(const std::string& journalPath, File* const files[2],
                      const std::vector<PendingWrite>& writes, const std::uint64_t newSize[2],
                      bool durable, std::string& error);

// When a finished journal is at journalPath, puts the old bytes back into files (both
// needed writable; a null index file skips its ranges) and removes the journal; an
// unfinished one is only removed. true when nothing is left to undo.
bool RollBackJournal(const std::string& journalPath, File* const files[2], std::string& error);

// The change note beside a shared table (TABLE.chg), rewritten by every write-back of a
// shared table before it releases the header lock: which byte ranges of the table and
// index files it wrote, and the change counter before and after, so that a reader one
// write-back behind reads those ranges again rather than everything.
//   0   8  "LYSCHG01"
//   8   4  change counter before        12  4  change counter after
//   16  4  number of ranges             20     per range: 1 file, 8 offset, 4 length
//   end 4  FNV-1a checksum of every byte before it
// A note that fails its checksum or names other counters is ignored (a full reload).
struct WrittenRange {
    JournalFile file;
    std::uint64_t offset;
    std::uint32_t length;
};
struct ChangeNote {
    std::uint32_t before = 0, after = 0;
    std::vector<WrittenRange> ranges;
};
std::string EncodeChangeNote(const ChangeNote& note);
bool DecodeChangeNote(const std::string& bytes, ChangeNote& note);

} // namespace lysora::engine
