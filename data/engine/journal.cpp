// The rollback journal (format in journal.h).
#include "data/engine/journal.h"

#include <algorithm>
#include <cstring>

namespace lysora::engine {
namespace {

constexpr char kMagic[8] = {'L', 'Y', 'S', 'J', 'R', 'N', 'L', '1'};
constexpr std::size_t kHead = 28;

void Put(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

std::uint64_t Get(const std::string& in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | (unsigned char)in[at + std::size_t(i)];
    return v;
}

std::uint32_t Checksum(const char* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ (unsigned char)p[i]) * 16777619u;
    return h;
}

struct Saved {
    JournalFile file;
    std::uint64_t offset;
    std::string bytes;
};

// Parses a journal; false when it was never finished (short, foreign or bad checksum).
bool Parse(const std::string& j, std::uint64_t oldSize[2], std::vector<Saved>& saved) {
    if (j.size() < kHead + 4 || std::memcmp(j.data(), kMagic, 8) != 0) return false;
    if (Checksum(j.data(), j.size() - 4) != Get(j, j.size() - 4, 4)) return false;
    oldSize[0] = Get(j, 8, 8);
    oldSize[1] = Get(j, 16, 8);
    std::uint64_t count = Get(j, 24, 4);
    std::size_t at = kHead;
    const std::size_t end = j.size() - 4;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (end - at < 13) return false;
        auto file = JournalFile(j[at] == 1 ? 1 : 0);
        std::uint64_t offset = Get(j, at + 1, 8);
        std::size_t length = std::size_t(Get(j, at + 9, 4));
        at += 13;
        if (end - at < length) return false;
        saved.push_back({file, offset, j.substr(at, length)});
        at += length;
    }
    return at == end;
}

// Puts saved bytes back and the files to their old sizes, then syncs them.
bool Restore(File* const files[2], const std::uint64_t oldSize[2], const std::vector<Saved>& saved) {
    for (const Saved& s : saved) {
        File* f = files[s.file];
        if (f && !f->Write(s.offset, s.bytes.data(), s.bytes.size())) return false;
    }
    for (int i = 0; i < 2; ++i)
        if (files[i] && files[i]->Size() != oldSize[i] && !files[i]->Truncate(oldSize[i])) return false;
    for (int i = 0; i < 2; ++i)
        if (files[i] && !files[i]->Sync()) return false;
    return true;
}

} // namespace

bool WriteWithJournal(const std::string& journalPath, File* const files[2],
                      const std::vector<PendingWrite>& writes, const std::uint64_t newSize[2],
                      bool durable, std::string& error) {
    std::uint64_t oldSize[2] = {files[0] ? files[0]->Size() : 0, files[1] ? files[1]->Size() : 0};
    std::string j(kMagic, 8);
    Put(j, oldSize[0], 8);
    Put(j, oldSize[1], 8);
    Put(j, 0, 4); // the count, set below
    std::uint32_t count = 0;
    std::vector<Saved> saved;
    for (const PendingWrite& w : writes) {
        // Bytes beyond the old end need no saving: cutting the file back undoes them.
        if (w.offset >= oldSize[w.file]) continue;
        std::size_t n = std::size_t(std::min<std::uint64_t>(w.bytes.size(), oldSize[w.file] - w.offset));
        std::string old(n, '\0');
        if (!files[w.file]->Read(w.offset, old.data(), n)) {
            error = "cannot read the bytes a change replaces";
            return false;
        }
        j += char(w.file);
        Put(j, w.offset, 8);
        Put(j, n, 4);
        j += old;
        saved.push_back({w.file, w.offset, std::move(old)});
        ++count;
    }
    for (int i = 0; i < 4; ++i) j[24 + std::size_t(i)] = char((count >> (8 * i)) & 0xFF);
    Put(j, Checksum(j.data(), j.size()), 4);

    auto journal = OpenTableFile(journalPath, true, true, error);
    if (!journal || !journal->Write(0, j.data(), j.size()) || (durable && !journal->Sync())) {
        journal.reset();
        RemoveFile(journalPath); // unfinished: the table and index are untouched
        if (error.empty()) error = "cannot write the journal " + journalPath;
        return false;
    }
    bool ok = true;
    for (const PendingWrite& w : writes)
        if (ok && !files[w.file]->Write(w.offset, w.bytes.data(), w.bytes.size())) ok = false;
    for (int i = 0; i < 2 && ok; ++i)
        if (files[i] && newSize[i] < files[i]->Size() && !files[i]->Truncate(newSize[i])) ok = false;
    for (int i = 0; i < 2 && ok && durable; ++i)
        if (files[i] && !files[i]->Sync()) ok = false;
    if (!ok) {
        error = "cannot write the table or its index (disk full or failing?)";
        // Undo now while the journal is still there to fall back on.
        if (!Restore(files, oldSize, saved)) {
            error += "; the old state will be restored when the table is next opened";
            return false;
        }
    }
    journal.reset();
    if (!RemoveFile(journalPath) && ok) {
        error = "cannot remove the journal " + journalPath;
        return false;
    }
    return ok;
}

bool RollBackJournal(const std::string& journalPath, File* const files[2], std::string& error) {
    if (!FileExists(journalPath)) return true;
    std::string j;
    {
        auto journal = OpenFile(journalPath, false, false, error);
        if (!journal) return false;
        j.resize(std::size_t(std::min<std::uint64_t>(journal->Size(), std::uint64_t(1) << 31)));
        if (!j.empty() && !journal->Read(0, j.data(), j.size())) {
            error = "cannot read the journal " + journalPath;
            return false;
        }
    }
    std::uint64_t oldSize[2];
    std::vector<Saved> saved;
    if (Parse(j, oldSize, saved)) {
        if (!files[0] || !files[0]->Writable() || (files[1] && !files[1]->Writable())) {
            error = "a change to this table was interrupted; open it writable once to undo it";
            return false;
        }
        if (!Restore(files, oldSize, saved)) {
            error = "cannot undo an interrupted change to the table";
            return false;
        }
    }
    if (!RemoveFile(journalPath)) {
        error = "cannot remove the journal " + journalPath;
        return false;
    }
    return true;
}

std::string EncodeChangeNote(const ChangeNote& note) {
    std::string out("LYSCHG01", 8);
    Put(out, note.before, 4);
    Put(out, note.after, 4);
    Put(out, note.ranges.size(), 4);
    for (const WrittenRange& r : note.ranges) {
        out += char(r.file);
        Put(out, r.offset, 8);
        Put(out, r.length, 4);
    }
    Put(out, Checksum(out.data(), out.size()), 4);
    return out;
}

bool DecodeChangeNote(const std::string& bytes, ChangeNote& note) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "LYSCHG01") != 0) return false;
    std::uint64_t count = Get(bytes, 16, 4);
    if (count > (bytes.size() - 24) / 13) return false;
    const std::size_t end = 20 + std::size_t(count) * 13;
    if (Checksum(bytes.data(), end) != Get(bytes, end, 4)) return false;
    note.before = std::uint32_t(Get(bytes, 8, 4));
    note.after = std::uint32_t(Get(bytes, 12, 4));
    note.ranges.clear();
    for (std::size_t at = 20; at < end; at += 13)
        note.ranges.push_back({JournalFile(bytes[at] == 1 ? 1 : 0), Get(bytes, at + 1, 8), std::uint32_t(Get(bytes, at + 9, 4))});
    return true;
}

} // namespace lysora::engine
