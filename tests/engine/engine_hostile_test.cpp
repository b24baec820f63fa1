// Bad and hostile table, memo and index files are refused with a clear error, or read as
// far as they are sound, and never crash or hang: hand-made cases for each kind of damage,
// then every truncation and many byte changes of valid files through the fuzzing entry.
#include "tests/engine/fuzz/fuzz_tables.h"

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

// Truncations, and bytes set to 0x00, 0xFF or a flipped bit, all along every valid file.
TEST(EngineHostile, EveryTruncationAndByteChangeIsSurvived) {
    for (const std::string& seed : FuzzSeeds()) {
        std::string error;
        for (std::size_t len = 0; len < seed.size(); len += (len < 1100 ? 3 : 13))
            Open(seed.substr(0, len), error);
        const std::size_t step = seed.size() > 3000 ? 7 : 3;
        for (std::size_t i = 1; i < seed.size(); i += step) {
            for (char value : {char(0), char(0xFF), char(seed[i] ^ 0x10)}) {
                std::string s = seed;
                s[i] = value;
                std::string error;
                Open(s, error);
            }
        }
    }
}

} // namespace
} // namespace lysora::engine::fuzz
