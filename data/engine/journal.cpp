// The rollback journal (format in journal.h).
#include "data/engine/journal.h"

#include "data/engine/cdx.h"

#include <algorithm>
#include <cstring>

namespace lysora::engine {
namespace {

constexpr char kMagic[8] = {'L', 'Y', 'S', 'J', 'R', 'N', 'L', '3'};
constexpr std::size_t kHead = 52;
constexpr std::uint64_t kCounterAt = 16; // of the change counter in the table's header
constexpr std::size_t kLongest = std::size_t(1) << 31;

void Put(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

std::uint64_t Get(const std::string& in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | (unsigned char)in[at + std::size_t(i)];
    return v;
}

JournalFile FileOf(char c) { return c == 1 ? kIndexFile : c == 2 ? kMemoFile : kTableFile; }

struct Saved {
    JournalFile file;
    std::uint64_t offset;
    std::string bytes;
};

struct Parsed {
    std::uint64_t oldSize[kJournalFiles];
    std::uint32_t counter[2]; // before, after
    std::vector<Saved> saved;
};

// Parses a journal (j holds exactly its length); false when it was never finished.
bool Parse(const std::string& j, Parsed& parsed) {
    std::vector<Saved>& saved = parsed.saved;
    if (j.size() < kHead + 4 || std::memcmp(j.data(), kMagic, 8) != 0) return false;
    if (Checksum(j.data(), j.size() - 4) != Get(j, j.size() - 4, 4)) return false;
    for (int i = 0; i < kJournalFiles; ++i) parsed.oldSize[i] = Get(j, 16 + 8 * std::size_t(i), 8);
    parsed.counter[0] = std::uint32_t(Get(j, 40, 4));
    parsed.counter[1] = std::uint32_t(Get(j, 44, 4));
    std::uint64_t count = Get(j, 48, 4);
    std::size_t at = kHead;
    const std::size_t end = j.size() - 4;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (end - at < 13) return false;
        JournalFile file = FileOf(j[at]);
        std::uint64_t offset = Get(j, at + 1, 8);
        std::size_t length = std::size_t(Get(j, at + 9, 4));
        at += 13;
        if (end - at < length) return false;
        saved.push_back({file, offset, j.substr(at, length)});
        at += length;
    }
    return at == end;
}

// The table's header shows the counter before or after the write-back, or, when the
// write-back stopped inside the header's write, each byte from one or the other.
bool BelongsToTable(File& table, const std::uint32_t counter[2]) {
    unsigned char now[4];
    if (!table.Read(kCounterAt, now, sizeof now)) return false;
    for (int i = 0; i < 4; ++i)
        if (now[i] != ((counter[0] >> (8 * i)) & 0xFF) && now[i] != ((counter[1] >> (8 * i)) & 0xFF)) return false;
    return true;
}

// Puts saved bytes back and the files to their old sizes, then syncs them.
bool Restore(File* const files[kJournalFiles], const std::uint64_t oldSize[kJournalFiles],
             const std::vector<Saved>& saved) {
    for (const Saved& s : saved) {
        File* f = files[s.file];
        if (f && !f->Write(s.offset, s.bytes.data(), s.bytes.size())) return false;
    }
    for (int i = 0; i < kJournalFiles; ++i)
        if (files[i] && files[i]->Size() != oldSize[i] && !files[i]->Truncate(oldSize[i])) return false;
    for (int i = 0; i < kJournalFiles; ++i)
        if (files[i] && !files[i]->Sync()) return false;
    return true;
}

// The journal of a write-back (j, finished and checksummed) and the old bytes it saves:
// what the writes overwrite below each file's old end, and what cutting a file removes.
bool Compose(File* const files[kJournalFiles], const std::vector<PendingWrite>& writes,
             const std::uint64_t newSize[kJournalFiles], const std::uint64_t oldSize[kJournalFiles],
             std::uint32_t counterBefore, std::uint32_t counterAfter, std::string& j, std::vector<Saved>& saved,
             std::string& error) {
    j.assign(kMagic, 8);
    Put(j, 0, 8); // the length, set below
    for (int i = 0; i < kJournalFiles; ++i) Put(j, oldSize[i], 8);
    Put(j, counterBefore, 4);
    Put(j, counterAfter, 4);
    Put(j, 0, 4); // the count, set below
    std::uint32_t count = 0;
    auto save = [&](JournalFile file, std::uint64_t offset, std::string old) {
        j += char(file);
        Put(j, offset, 8);
        Put(j, old.size(), 4);
        j += old;
        saved.push_back({file, offset, std::move(old)});
        ++count;
    };
    for (const PendingWrite& w : writes) {
        // Bytes beyond the old end need no saving: cutting the file back undoes them.
        if (w.offset >= oldSize[w.file]) continue;
        std::size_t n = std::size_t(std::min<std::uint64_t>(w.bytes.size(), oldSize[w.file] - w.offset));
        std::string old = w.old.size() >= n ? w.old.substr(0, n) : std::string(n, '\0');
        if (w.old.size() < n && !files[w.file]->Read(w.offset, old.data(), n)) {
            error = "cannot read the bytes a change replaces";
            return false;
        }
        save(w.file, w.offset, std::move(old));
    }
    // What cutting a file shorter removes is saved too, so that the undo puts it back.
    for (int i = 0; i < kJournalFiles; ++i) {
        if (!files[i] || newSize[i] == kKeepSize || newSize[i] >= oldSize[i]) continue;
        std::string cut(std::size_t(oldSize[i] - newSize[i]), '\0');
        if (!files[i]->Read(newSize[i], cut.data(), cut.size())) {
            error = "cannot read the bytes a change cuts off";
            return false;
        }
        save(JournalFile(i), newSize[i], std::move(cut));
    }
    for (int i = 0; i < 4; ++i) j[48 + std::size_t(i)] = char((count >> (8 * i)) & 0xFF);
    const std::uint64_t length = j.size() + 4;
    for (int i = 0; i < 8; ++i) j[8 + std::size_t(i)] = char((length >> (8 * i)) & 0xFF);
    Put(j, Checksum(j.data(), j.size()), 4);
    return true;
}

// Reads a live journal: false + error when it cannot be read; parsed false when it was
// never finished (the files were not touched yet).
bool ReadLive(File& file, const std::string& path, Parsed& out, bool& parsed, std::string& error) {
    std::string j(16, '\0');
    std::uint64_t length = 0;
    if (file.Read(0, j.data(), j.size())) length = Get(j, 8, 8);
    parsed = false;
    if (length < kHead + 4 || length > kLongest || length > file.Size()) return true;
    j.resize(std::size_t(length));
    if (!file.Read(0, j.data(), j.size())) {
        error = "cannot read the journal " + path;
        return false;
    }
    parsed = Parse(j, out);
    return true;
}

// Reads a live journal for undoing it. finished: it was written whole, so its saved bytes are
// to be put back. A finished journal whose change counter the table's header does not match
// belongs to other files (restored from a backup?): false, with finished still true.
bool ReadUndo(File& journal, const std::string& path, File* table, Parsed& parsed, bool& finished,
              std::string& error) {
    if (!ReadLive(journal, path, parsed, finished, error)) {
        finished = false;
        return false;
    }
    if (finished && (!table || !BelongsToTable(*table, parsed.counter))) {
        error = "the journal " + path + " of an interrupted change does not belong to these files "
                "(restored from a backup?)";
        return false;
    }
    return true;
}

} // namespace

std::uint32_t Checksum(const char* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ (unsigned char)p[i]) * 16777619u;
    return h;
}

namespace {

// Marking a journal done zeroes its first byte: one byte, so that the mark cannot tear.
const char kDone[1] = {};

} // namespace

bool Journal::OpenFile(bool create, std::string& error) {
    if (file_) return true;
    if (!create && !FileExists(path_)) return false;
    if (writable_) file_ = OpenTableFile(path_, true, false, error);
    if (!file_ && writable_ && create) file_ = OpenTableFile(path_, true, true, error);
    if (!file_ && !create) file_ = OpenTableFile(path_, false, false, error); // read-only media
    return file_ != nullptr;
}

bool Journal::Write(File* const files[kJournalFiles], const std::vector<PendingWrite>& writes,
                    const std::uint64_t newSize[kJournalFiles], std::uint32_t counterBefore,
                    std::uint32_t counterAfter, bool durable, std::string& error) {
    std::uint64_t oldSize[kJournalFiles];
    for (int i = 0; i < kJournalFiles; ++i) oldSize[i] = files[i] ? files[i]->Size() : 0;
    std::string j;
    std::vector<Saved> saved;
    if (!Compose(files, writes, newSize, oldSize, counterBefore, counterAfter, j, saved, error)) return false;

    // Written in two steps: the journal whole but not live yet (its first byte zero), then
    // its first byte. A write stopped part-way then leaves nothing that reads as live; in
    // one step, a new journal starting with the same bytes as the one before it, cut short,
    // would bring that finished journal back to life, and undo a completed write-back.
    const char live[1] = {kMagic[0]};
    j[0] = 0;
    if (!OpenFile(true, error) || !file_->Writable() || !file_->Write(0, j.data(), j.size()) ||
        (durable && !file_->Sync()) || !file_->Write(0, live, sizeof live) || (durable && !file_->Sync())) {
        // Unfinished (a short or bad checksum): the files are untouched, nothing to undo.
        if (error.empty()) error = "cannot write the journal " + path_;
        return false;
    }
    bool ok = true;
    for (const PendingWrite& w : writes)
        if (ok && !files[w.file]->Write(w.offset, w.bytes.data(), w.bytes.size())) ok = false;
    for (int i = 0; i < kJournalFiles && ok; ++i)
        if (files[i] && newSize[i] != kKeepSize && newSize[i] < files[i]->Size() && !files[i]->Truncate(newSize[i]))
            ok = false;
    for (int i = 0; i < kJournalFiles && ok && durable; ++i)
        if (files[i] && !files[i]->Sync()) ok = false;
    if (!ok) {
        error = "cannot write the table or its index (disk full or failing?)";
        // Undo now while the journal is still there to fall back on.
        if (!Restore(files, oldSize, saved)) {
            error += "; the old state will be restored when the table is next written or opened";
            return false;
        }
    }
    if (!file_->Write(0, kDone, sizeof kDone) || (durable && !file_->Sync())) {
        if (ok) error = "cannot mark the journal " + path_ + " done";
        return false;
    }
    return ok;
}

bool Journal::Live() {
    std::string error;
    char magic[8];
    return OpenFile(false, error) && file_->Read(0, magic, sizeof magic) &&
           std::memcmp(magic, kMagic, sizeof magic) == 0;
}

bool Journal::RollBack(File* const files[kJournalFiles], std::string& error) {
    if (!Live()) return true;
    Parsed parsed;
    bool finished = false;
    if (!ReadUndo(*file_, path_, files[kTableFile], parsed, finished, error)) {
        if (finished) error += "; they were left as they are: remove it to open them";
        return false;
    }
    if (finished) {
        for (int i = 0; i < kJournalFiles; ++i)
            if (files[i] && !files[i]->Writable()) {
                error = "a change to this table was interrupted; open it writable once to undo it";
                return false;
            }
        if (!Restore(files, parsed.oldSize, parsed.saved)) {
            error = "cannot undo an interrupted change to the table";
            return false;
        }
    }
    if (!file_->Writable() || !file_->Write(0, kDone, sizeof kDone) || !file_->Sync()) {
        error = "cannot mark the journal " + path_ + " done";
        return false;
    }
    return true;
}

bool Journal::UndoInCopies(File* const copies[kJournalFiles], std::string& error) {
    if (!Live()) return true;
    Parsed parsed;
    bool finished = false;
    if (!ReadUndo(*file_, path_, copies[kTableFile], parsed, finished, error)) return false;
    if (!finished) return true;
    if (!Restore(copies, parsed.oldSize, parsed.saved)) {
        error = "cannot undo an interrupted change to the table in memory";
        return false;
    }
    return true;
}

bool Journal::Sync() { return !file_ || file_->Sync(); }

void Journal::Remove() {
    if (FileExists(path_) && !Live()) {
        file_.reset();
        RemoveFile(path_);
    }
    file_.reset();
}

std::string EncodeChangeNotes(const std::vector<ChangeNote>& notes) {
    std::string out("LYSCHG02", 8);
    Put(out, notes.size(), 4);
    for (const ChangeNote& note : notes) {
        Put(out, note.before, 4);
        Put(out, note.after, 4);
        Put(out, note.ranges.size(), 4);
        for (const WrittenRange& r : note.ranges) {
            out += char(r.file);
            Put(out, r.offset, 8);
            Put(out, r.length, 4);
        }
    }
    Put(out, Checksum(out.data(), out.size()), 4);
    return out;
}

bool DecodeChangeNotes(const std::string& bytes, std::vector<ChangeNote>& notes) {
    notes.clear();
    if (bytes.size() < 16 || bytes.compare(0, 8, "LYSCHG02") != 0) return false;
    const std::uint64_t count = Get(bytes, 8, 4);
    std::size_t at = 12;
    const std::size_t end = bytes.size() - 4; // the checksum, when the note is whole
    for (std::uint64_t i = 0; i < count; ++i) {
        if (end - at < 12) return false;
        ChangeNote note;
        note.before = std::uint32_t(Get(bytes, at, 4));
        note.after = std::uint32_t(Get(bytes, at + 4, 4));
        const std::uint64_t ranges = Get(bytes, at + 8, 4);
        at += 12;
        if (ranges > (end - at) / 13) return false;
        for (std::uint64_t k = 0; k < ranges; ++k, at += 13) {
            if ((unsigned char)bytes[at] >= kJournalFiles) return false; // names no file of a table
            note.ranges.push_back({FileOf(bytes[at]), Get(bytes, at + 1, 8), std::uint32_t(Get(bytes, at + 9, 4))});
        }
        notes.push_back(std::move(note));
    }
    // Bytes past the checksum are left over from a longer note.
    return at + 4 <= bytes.size() && Checksum(bytes.data(), at) == Get(bytes, at, 4);
}

bool PlanCatchUp(const std::vector<ChangeNote>& notes, std::uint32_t from, std::uint32_t to, const NotedTable& table,
                 CatchUp& plan) {
    plan = {};
    if (notes.empty() || notes.back().after != to || table.recordLength == 0) return false;
    // The last run of notes, each following the one before, back to the reader's counter.
    std::size_t first = notes.size();
    for (std::size_t i = notes.size(); i-- > 0;) {
        if (i + 1 < notes.size() && notes[i].after != notes[i + 1].before) break;
        if (notes[i].before == from) {
            first = i;
            break;
        }
    }
    if (first == notes.size()) return false;
    const std::uint64_t start = table.headerLength, len = table.recordLength;
    const std::uint64_t end = start + std::uint64_t(table.records) * len;
    for (std::size_t i = first; i < notes.size(); ++i)
        for (const WrittenRange& r : notes[i].ranges) {
            if (r.file == kIndexFile) {
                if (!table.hasIndex) return false;
                if (r.offset == 4 && r.length == 8) continue; // the free list's head and the stamp
                if (r.offset % kPage != 0 || r.length != kPage || r.offset > 0xFFFFFFFFull)
                    plan.wholeIndex = true; // a root moved, or all of it
                plan.pages.push_back(std::uint32_t(r.offset));
                continue;
            }
            if (r.file == kMemoFile) continue; // memos are read from their file when asked for
            const std::uint64_t lo = std::max<std::uint64_t>(r.offset, start);
            const std::uint64_t hi = r.offset > end ? end : std::min<std::uint64_t>(r.offset + r.length, end);
            if (lo >= hi) continue; // the header, or the end-of-file mark
            plan.records.emplace_back((lo - start) / len, (hi - 1 - start) / len);
        }
    std::sort(plan.pages.begin(), plan.pages.end());
    plan.pages.erase(std::unique(plan.pages.begin(), plan.pages.end()), plan.pages.end());
    return true;
}

} // namespace lysora::engine
