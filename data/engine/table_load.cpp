// Loading a table's records and index from its files, checking one against the other, and
// rebuilding the index from the records.
//
// May assume: no write-back is half done in the files while it reads them (the caller
// holds the header lock, shared or exclusive, with no live journal, or the files are its
// own); the header and index may be damaged in any way.
// Must leave true: every count, offset and length read is checked before use; a load
// either fails with an error text naming what is wrong (and dbftool repair where it
// helps) or leaves records, tags and their compiled expressions consistent with the
// files, every tag entry naming a record inside the table. A reader that cannot undo an
// interrupted write-back loads copies of the files with the undo made in them, never in
// the files, and says so (Notice).
#include "data/engine/table_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cstring>

namespace lysora::engine {

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
        onDisk = Le32(count);
    diskRecords_ = onDisk;
    headerDirty_ = onDisk != header_.records;
    dirty_.clear();
    return true;
}

std::uint32_t Table::IndexStamp() const {
    unsigned char p[4] = {0, 0, 0, 0};
    if (cdx_) cdx_->Read(8, p, 4);
    return Be32(p);
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

// The undo made in memory: the files are copied whole under the header lock, the journal's
// saved bytes put back into the copies, and the table reads the copies from then on (a
// view that stays as it was: the files stay as they are, with the journal live for the
// next writable open).
bool Table::ViewBeforeInterruptedWrite(bool& viewed) {
    viewed = false;
    if (!LockForUpdate(false)) return false;
    if (!journal_->Live()) {
        UnlockForUpdate();
        return true;
    }
    std::unique_ptr<File> copies[kJournalFiles];
    File* const sources[kJournalFiles] = {dbf_, cdx_, dbt_};
    for (int i = 0; i < kJournalFiles; ++i) {
        if (!sources[i]) continue;
        std::string bytes(std::size_t(sources[i]->Size()), '\0');
        if (!sources[i]->Read(0, bytes.data(), bytes.size())) {
            UnlockForUpdate();
            return Fail("table " + baseName_ + " unreadable");
        }
        copies[i] = MemoryFile(std::move(bytes), true);
    }
    UnlockForUpdate();
    File* const view[kJournalFiles] = {copies[kTableFile].get(), copies[kIndexFile].get(), copies[kMemoFile].get()};
    std::string error;
    if (!journal_->UndoInCopies(view, error)) return Fail("table " + baseName_ + ": " + error);
    ownDbf_ = std::move(copies[kTableFile]);
    ownCdx_ = std::move(copies[kIndexFile]);
    ownDbt_ = std::move(copies[kMemoFile]);
    dbf_ = ownDbf_.get();
    cdx_ = ownCdx_.get();
    dbt_ = ownDbt_.get();
    viewed = true;
    notice_ = "table " + baseName_ + ": a change to it was interrupted and cannot be undone here (its files " +
              "cannot be written); it is shown as it was before that change. Open it writable once " +
              "(dbftool repair) to repair it";
    return true;
}

} // namespace lysora::engine
