// Bad and hostile table, memo and index files are refused with a clear error, or read as
// far as they are sound, and never crash or hang: hand-made cases for each kind of damage,
// then every truncation and many byte changes of valid files through the fuzzing entry,
// and the change note read by a copy catching up, damaged the same ways.
#include "tests/engine/fuzz/fuzz_notes.h"
#include "tests/engine/fuzz/fuzz_tables.h"

#include "data/engine/journal.h"
#include "data/engine/table.h"

#include <gtest/gtest.h>

namespace lysora::engine::fuzz {
namespace {

std::string Seed(int i) { return FuzzSeeds()[std::size_t(i)]; }

bool Open(const std::string& input, std::string& error) {
    return FuzzTableFiles(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), &error);
}

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char(v >> (8 * i));
}

TEST(EngineHostile, ValidSeedsOpen) {
    for (const std::string& seed : FuzzSeeds()) {
        std::string error;
        EXPECT_TRUE(Open(seed, error)) << error;
    }
}

TEST(EngineHostile, DamagedTablesAreRefusedWithAReason) {
    const std::string table = Seed(0); // selector byte, then the table
    struct Case {
        const char* expect;
        std::string bytes;
    };
    std::vector<Case> cases;
    std::string s = table;
    s[1] = 0x42;
    cases.push_back({"not a dBASE table", s});
    s = table;
    Put32(s, 1 + 4, 1000000);
    cases.push_back({"larger than the file", s});
    s = table;
    s[1 + 8] = char(0xFF);
    s[1 + 9] = char(0x7F);
    cases.push_back({"header length", s});
    s = table;
    s[1 + 10] = 3; // record length disagreeing with the fields
    s[1 + 11] = 0;
    cases.push_back({"record length", s});
    s = table.substr(0, 1 + 40);
    cases.push_back({"header", s});
    s = table;
    s[1 + 32 + 11] = 'X'; // unknown field type
    cases.push_back({"unknown type", s});
    s = table;
    s[1 + 32 + 16] = 0; // width 0
    cases.push_back({"field", s});
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Open(c.bytes, error)) << c.expect;
        EXPECT_NE(std::string::npos, error.find(c.expect)) << error;
    }
    // A table cut short keeps the whole records it holds, but a count beyond them fails.
    std::string error;
    EXPECT_FALSE(Open(table.substr(0, table.size() - 30), error));
}

TEST(EngineHostile, DamagedIndexesAreRefusedWithAReason) {
    const std::string index = Seed(3);
    ASSERT_GT(index.size(), 1u + 4 * 512);
    auto at = [](std::size_t offset) { return 1 + offset; };
    auto get32 = [&](const std::string& s, std::size_t offset) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | (unsigned char)s[at(offset) + std::size_t(i)];
        return v;
    };
    struct Case {
        const char* expect;
        std::string bytes;
    };
    std::vector<Case> cases;
    std::string s = index;
    Put32(s, at(0), 0x7FFFF000); // directory root far outside the file
    cases.push_back({"outside the file", s});
    s = index;
    s[at(14)] = 0x20; // not compound
    cases.push_back({"not a compound index", s});
    // The first tag's header follows the directory; find its root leaf and damage it.
    std::uint32_t dirRoot = get32(index, 0);
    // The directory leaf's first entry holds the first tag header offset in its low bits.
    std::uint32_t firstTag = get32(index, dirRoot + 24) & get32(index, dirRoot + 14);
    std::uint32_t root = get32(index, firstTag);
    s = index;
    s[at(firstTag + 12)] = char(250); // key longer than allowed
    cases.push_back({"out of range", s});
    s = index;
    s[at(firstTag + 502)] = 1; // descending
    cases.push_back({"descending", s});
    // Walk down to the first leaf of that tag, then make its right sibling itself.
    std::uint32_t page = root;
    while (!((unsigned char)index[at(page)] & 2)) {
        std::size_t e = at(page + 12 + 9 + 4);
        page = std::uint32_t((unsigned char)index[e]) << 24 | std::uint32_t((unsigned char)index[e + 1]) << 16 |
               std::uint32_t((unsigned char)index[e + 2]) << 8 | std::uint32_t((unsigned char)index[e + 3]);
        ASSERT_LT(page, index.size());
    }
    s = index;
    Put32(s, at(page + 8), page); // the leaves' links must be those their parents give
    cases.push_back({"not linked to its neighbours", s});
    s = index;
    Put32(s, at(page + 8), 1u << 30);
    cases.push_back({"not linked to its neighbours", s});
    s = index;
    Put32(s, at(page + 8), 0); // a torn chain: 0 is no page, not the end
    cases.push_back({"not linked to its neighbours", s});

    s = index;
    std::fill(s.begin() + std::ptrdiff_t(at(root)), s.begin() + std::ptrdiff_t(at(root + 512)), '\0');
    cases.push_back({"lacks its root mark", s}); // an all-zero page is no empty root
    s = index;
    s[at(page + 23)] = 100; // bytes per entry
    cases.push_back({"bad layout", s});
    s = index;
    s[at(page + 2)] = char(0xFF); // key count far beyond the page
    s[at(page + 3)] = 0x7F;
    cases.push_back({"bad layout", s});
    s = index;
    // Every entry's duplicate and trailing counts at their maximum: longer than the key.
    for (std::size_t i = 0; i < 8; ++i) s[at(page + 24 + i * 3 + 2)] = char(0xFF);
    cases.push_back({"", s});
    s = index;
    std::swap(s[at(510)], s[at(508)]);
    cases.push_back({"", s}); // harmless: only positions of an empty pool
    for (const Case& c : cases) {
        std::string error;
        bool opened = Open(c.bytes, error);
        if (*c.expect) {
            EXPECT_FALSE(opened) << c.expect;
            EXPECT_NE(std::string::npos, error.find(c.expect)) << c.expect << ": " << error;
        }
    }
}

TEST(EngineHostile, MemosOutsideTheFileAreErrorsNotCrashes) {
    std::string memo = Seed(2);
    std::string error;
    EXPECT_TRUE(Open(memo.substr(0, 1 + 512 + 100), error)) << error; // later memos cut off
    std::string dbf = Seed(1);
    std::size_t recordStart = dbf.size() - 1 - 4 * 17;
    dbf.replace(recordStart + 7, 10, "4000000000");
    EXPECT_TRUE(Open(dbf, error)) << error; // the table opens; that memo reads as an error
    auto table = Table::OpenFiles(MemoryFile(dbf.substr(1)), MemoryFile(memo.substr(1)), nullptr, true, OpenMode::kNormal, error);
    ASSERT_TRUE(table);
    table->GoTo(1);
    EXPECT_EQ("", table->Get(2).Text());
    EXPECT_NE(std::string::npos, table->Error().find("outside the memo file"));
    table->GoTo(2);
    EXPECT_EQ(std::string(600, 'x'), table->Get(2).Text());
    // A block number beyond any 32-bit offset.
    dbf.replace(recordStart + 7, 10, "9999999999");
    table = Table::OpenFiles(MemoryFile(dbf.substr(1)), MemoryFile(memo.substr(1)), nullptr, true, OpenMode::kNormal, error);
    ASSERT_TRUE(table);
    table->GoTo(1);
    EXPECT_EQ("", table->Get(2).Text());
    EXPECT_NE(std::string::npos, table->Error().find("outside the memo file"));
}

// Truncations, and bytes set to 0x00, 0xFF or a flipped bit, all along every valid file
// (the sanitizers of the host build catch a read outside them). Every refusal says why; a
// table or index file cut before its end-of-file mark is never read in part; any bytes
// inside the records of a table leave it readable (only its header and its index can be
// damaged past reading; a memo file is read only memo by memo). Both outcomes must be
// met where both can be, so that neither goes untested.
TEST(EngineHostile, EveryTruncationAndByteChangeIsRefusedWithAReasonOrRead) {
    for (const std::string& seed : FuzzSeeds()) {
        SCOPED_TRACE("reader " + std::to_string(int(seed[0])) + ", " + std::to_string(seed.size()) + " bytes");
        int opened = 0, refused = 0;
        auto expectOutcome = [&](const std::string& input, const std::string& what, bool mustOpen, bool mustRefuse) {
            std::string error;
            const bool ok = Open(input, error);
            ++(ok ? opened : refused);
            EXPECT_TRUE(ok || !error.empty()) << what << " refused without a reason";
            EXPECT_TRUE(ok || !mustOpen) << what << ": " << error;
            EXPECT_FALSE(ok && mustRefuse) << what << " read in part";
        };
        const bool wholeOrNothing = seed[0] != kMemo; // a cut memo file only loses memos
        for (std::size_t len = 1; len < seed.size(); len += (len < 1100 ? 3 : 13))
            expectOutcome(seed.substr(0, len), "cut to " + std::to_string(len), false,
                          wholeOrNothing && len + 1 < seed.size());
        // The records of a table begin at its header length (bytes 8-9, after the selector).
        const std::size_t records = seed[0] == kTable ? 1 + std::size_t((unsigned char)seed[9] | (unsigned char)seed[10] << 8)
                                                      : seed.size();
        const std::size_t step = seed.size() > 3000 ? 7 : 3;
        for (std::size_t i = 1; i < seed.size(); i += step) {
            for (char value : {char(0), char(0xFF), char(seed[i] ^ 0x10)}) {
                std::string s = seed;
                s[i] = value;
                expectOutcome(s, "byte " + std::to_string(i) + " set to " + std::to_string((unsigned char)value),
                              i >= records, false);
            }
        }
        EXPECT_GT(opened, 0);
        EXPECT_TRUE(!wholeOrNothing || refused > 0);
    }
}

// The change note a copy catching up reads: a note cut short or with any byte changed is
// never trusted (the copy reads everything again); one whose checksum is right but whose
// content is hostile is planned safely, and never sends a reader to an index its table
// lacks.
TEST(EngineHostile, ChangeNotesCutChangedOrHostileAreIgnoredOrReadSafely) {
    auto check = [](const std::string& input) {
        return FuzzChangeNote(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    };
    for (const std::string& seed : NoteSeeds()) {
        EXPECT_TRUE(NoteDecodes(seed));
        EXPECT_EQ("", check(seed));
        for (std::size_t len = 1; len < seed.size(); ++len) EXPECT_FALSE(NoteDecodes(seed.substr(0, len))) << "cut to " << len;
        for (std::size_t i = 1; i < seed.size(); ++i) {
            std::string s = seed;
            s[i] = char(s[i] ^ 0x21);
            EXPECT_FALSE(NoteDecodes(s)) << "byte " << i << " changed";
            s[0] = 1; // sealed: the changed note with its checksum made right
            EXPECT_EQ("", check(s)) << "byte " << i << " changed";
        }
    }
    // Sealed notes whose counts, offsets and lengths run past anything a file holds.
    auto sealed = [](std::string note) { return std::string(1, '\1') + note + std::string(4, '\0'); };
    auto le = [](std::uint64_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out += char(v >> (8 * i));
        return out;
    };
    const std::string head = "LYSCHG02" + le(1, 4) + le(7, 4) + le(8, 4);
    for (const std::string& note :
         {"LYSCHG02" + le(0xFFFFFFFF, 4), head + le(0xFFFFFFFF, 4),
          head + le(1, 4) + std::string(1, char(kTableFile)) + le(~std::uint64_t(0), 8) + le(0xFFFFFFFF, 4),
          head + le(1, 4) + std::string(1, char(kTableFile)) + le(97, 8) + le(0xFFFFFFFF, 4),
          head + le(1, 4) + std::string(1, char(kIndexFile)) + le(std::uint64_t(1) << 40, 8) + le(512, 4),
          head + le(1, 4) + std::string(1, char(7)) + le(1024, 8) + le(512, 4)}) {
        const std::string input = sealed(note);
        EXPECT_EQ("", check(input));
    }
    // An index page named for a table without index: the copy reads everything again.
    std::vector<ChangeNote> notes{{7, 8, {{kIndexFile, 2560, 512}}}};
    CatchUp plan;
    EXPECT_FALSE(PlanCatchUp(notes, 7, 8, {98, 26, 50, false}, plan));
    EXPECT_TRUE(PlanCatchUp(notes, 7, 8, {98, 26, 50, true}, plan));
    EXPECT_EQ(std::vector<std::uint32_t>{2560}, plan.pages);
    // A write running past the end of the table reads the records up to its end only.
    notes = {{7, 8, {{kTableFile, 98 + 26 * 48, 26 * 10}}}};
    ASSERT_TRUE(PlanCatchUp(notes, 7, 8, {98, 26, 50, false}, plan));
    ASSERT_EQ(1u, plan.records.size());
    EXPECT_EQ(48u, plan.records[0].first);
    EXPECT_EQ(49u, plan.records[0].second);
    EXPECT_FALSE(PlanCatchUp(notes, 6, 8, {98, 26, 50, false}, plan)); // the note does not lead from 6
}

} // namespace
} // namespace lysora::engine::fuzz
