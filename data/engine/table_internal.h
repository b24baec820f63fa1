// What the rooms of one open table share beyond table.h: the process's one set of handles
// for a table's files. The rooms are
//   table_open.cpp        opening and closing, the registry of handles, creating a table
//   table_load.cpp        loading records and index from the files, checking one against
//                         the other, rebuilding the index
//   table_sync.cpp        staying current with other processes' write-backs
//   table_navigation.cpp  the record pointer along the physical order or a tag
//   table_change.cpp      changes to records, kept in step with every tag
//   table_locks.cpp       record locks, and the header and index locks of an update
//   table_write.cpp       writing back under the journal, and the change note
// Each room's opening comment says what it may assume and what it must leave true.
#pragma once

#include "data/engine/table.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

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

// One write-back being made (Table::Flush): the writes in their order, the sizes the files
// are cut to, the header as it will be, and the index as written.
struct Table::WriteBack {
    std::vector<PendingWrite> writes;
    std::uint64_t newSize[kJournalFiles] = {kKeepSize, kKeepSize, kKeepSize};
    DbfHeader next;                        // the header once written (its counter raised)
    std::uint32_t stamp = 0;               // the index's stamp once written
    std::string wholeIndex;                // the index written whole; empty: pages, or none
    std::vector<std::uint32_t> freeAfter;  // the index's free pages once written
};

} // namespace lysora::engine
