// Locks: record locks of a work area, and the header and index locks an update or a read
// of the files takes, each bounded in time.
//
// May assume: the files are open with the open byte held; other processes follow the same
// lock bytes (table.h), and a writer marks its journal done before it releases the header
// lock.
// Must leave true: a record is locked by at most one work area of the process (the shared
// registry's owner map) and one process; the header lock is taken before the index lock
// and released after it; no wait lasts beyond kLockWaitMs; a live journal found under the
// lock is undone (lock exclusive) before anything is read.
#include "data/engine/table_internal.h"

namespace lysora::engine {

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

bool Table::CanUndo() const {
    return files_ && !files_->readOnly && dbf_->Writable() && (!cdx_ || cdx_->Writable()) &&
           (!dbt_ || dbt_->Writable());
}

bool Table::UndoInterruptedWrite() {
    if (!journal_ || !journal_->Live()) return true;
    File* files[kJournalFiles] = {dbf_, cdx_, dbt_};
    std::string error;
    return journal_->RollBack(files, error) || Fail("table " + baseName_ + ": " + error);
}

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

} // namespace lysora::engine
