// Changes to records: fields encoded into their bytes, new memos placed, records appended,
// changed and deleted, every tag kept in step with every change.
//
// May assume: the record changed is the current one, inside the table, and in a shared
// table locked by this area; a shared change that does not wait (appends, memos) is made
// between BeginWrite and EndWrite.
// Must leave true: each tag holds exactly the records its condition admits, each under
// the key its record gives now; a value that does not fit its field changes nothing; a
// change reaches the files with the next write-back (exclusive) or when the area leaves
// the record (shared, pending).
#include "data/engine/table_internal.h"

#include <algorithm>
#include <cstring>

namespace lysora::engine {

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

} // namespace lysora::engine
