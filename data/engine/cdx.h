// Compound index files (.cdx): reading every tag into memory, writing a whole file, and
// writing back only the pages a change touched; the in-memory sorted key list each tag is
// kept in while the table is open, whose blocks mirror the tag's leaf pages.
//
// File layout (512-byte pages; integers little-endian unless marked BE):
//   A tag header is two pages (1024 bytes):
//     0   4  offset of the root page          4   4  offset of the first free page
//                                               (0xFFFFFFFF or 0: none; used in the file's
//                                               first header only)
//     8   4  (reserved; change stamp, BE)      12  2  key length (1..240)
//     14  1  options: 0x20 compact, 0x40 compound, 0x80 structural, 0x08 FOR, 0x01 unique
//     15  1  signature (1)                    502 2  0 ascending, 1 descending
//     504 2  offset of the FOR expression in the pool   506 2  its length with NUL
//     508 2  offset of the key expression in the pool   510 2  its length with NUL
//     512 512 expression pool: key expression, NUL, FOR expression, NUL
//   The file starts with the header of the tag directory (options 0xE0, key length 10),
//   itself a compact tag whose keys are the tag names (upper case, blank-padded) and whose
//   record numbers are the offsets of the tags' headers.
//   Interior page: 0 2 attributes (0 interior, +1 root), 2 2 key count, 4 4 left and 8 4
//     right sibling (0xFFFFFFFF none); from 12, per key: the key (key length bytes), the
//     record number (4, BE) and the child page offset (4, BE); each key is the highest
//     key of its child.
//   Leaf page: attributes 2 (+1 root), count, siblings as above, then 12 2 free bytes,
//     14 4 record-number mask, 18 1 duplicate-count mask, 19 1 trailing-count mask,
//     20 1 record-number bits, 21 1 duplicate bits, 22 1 trailing bits, 23 1 bytes per
//     entry (n). From 24: one n-byte little-endian entry per key holding the record
//     number (low bits), then the count of leading bytes shared with the previous key of
//     the page, then the count of trailing blanks dropped. The remaining key bytes are
//     stored from the end of the page downwards, first key last in the page.
//   Keys ascend by bytes, then by record number.
//   Free page: 0 4 offset of the next free page (0xFFFFFFFF: the last), then zeros. Pages
//     a change no longer needs are kept in this list and taken again by later changes.
#pragma once

#include "data/engine/file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lysora::engine {

constexpr std::uint32_t kPage = 512;
constexpr int kMaxKey = 240;
// A tag's key expression and FOR condition share its 512-byte pool, each ended by a NUL.
constexpr std::size_t kMaxExpressions = kPage - 2;
inline bool ExpressionsFit(std::string_view key, std::string_view forCondition) {
    return key.size() + forCondition.size() <= kMaxExpressions;
}

// Compares a key with a seek text on the text's length: 0 when the key starts with it.
int ComparePrefix(const char* key, int keyLen, std::string_view text);

// The keys of one tag, sorted by key then record number, in blocks so that inserting or
// removing one is cheap. A position is (block, index). Once written, each block is one
// leaf page of the index file: it remembers that page, the sibling links and root mark
// written in it, and whether its keys changed since (dirty).
class KeyList {
public:
    struct Pos {
        std::size_t block = 0, index = 0;
        friend bool operator==(Pos, Pos) = default;
    };
    explicit KeyList(int keyLen = 1) : keyLen_(keyLen), version_(NextVersion()) {}

    int KeyLength() const { return keyLen_; }
    // Changes with every insertion or removal; no two lists ever share a value, so a
    // position remembered with it stays valid while the version is the same.
    std::uint64_t Version() const { return version_; }
    std::size_t Size() const { return size_; }
    void Clear();
    // Appends an entry that sorts after every other (building from sorted input).
    void PushBack(const char* key, std::uint32_t rec);
    // Starts a block read from leaf page `page` (with the links and mark it holds); the
    // entries that follow go into it, clean.
    void BeginPage(std::uint32_t page, std::uint32_t left, std::uint32_t right, bool root, std::string bytes);
    void Insert(const char* key, std::uint32_t rec);
    bool Erase(const char* key, std::uint32_t rec); // false when not there
    // Position of an exact entry; End() when absent.
    Pos Find(const char* key, std::uint32_t rec) const;
    Pos LowerBound(std::string_view text) const; // first key with ComparePrefix >= 0
    Pos UpperBound(std::string_view text) const; // first key with ComparePrefix > 0

    Pos Begin() const { return {}; }
    Pos End() const { return {blocks_.size(), 0}; }
    bool IsEnd(Pos p) const { return p.block >= blocks_.size(); }
    Pos Next(Pos p) const;
    Pos Prev(Pos p) const; // End() before the first
    Pos Last() const;      // End() when empty
    const char* Key(Pos p) const { return blocks_[p.block].keys.data() + p.index * std::size_t(keyLen_); }
    std::uint32_t Rec(Pos p) const { return blocks_[p.block].recs[p.index]; }

    // The blocks as leaf pages (see UpdateTagPages).
    struct Leaf {
        std::uint32_t page = 0; // 0: not written yet
        std::uint32_t left = 0, right = 0;
        bool root = false;
        bool dirty = true;
        std::string bytes; // the page as last read or written (empty: not known)
    };
    std::size_t BlockCount() const { return blocks_.size(); }
    std::size_t BlockSize(std::size_t b) const { return blocks_[b].recs.size(); }
    Leaf& BlockLeaf(std::size_t b) { return blocks_[b].leaf; }
    const Leaf& BlockLeaf(std::size_t b) const { return blocks_[b].leaf; }
    // Moves the entries of block b from index `at` on into a new block after it.
    void SplitBlock(std::size_t b, std::size_t at);

    // What changed since ForgetChanges, for writing back only that: the blocks whose
    // entries or neighbours changed (each once, by their present index), the blocks
    // inserted (+1) and removed (-1) in the order it happened, by their index at the time,
    // and the pages of the removed blocks.
    struct Reshape {
        std::size_t block;
        int change;
    };
    const std::vector<std::size_t>& ChangedBlocks() const { return changed_; }
    const std::vector<Reshape>& Reshapes() const { return reshapes_; }
    const std::vector<std::uint32_t>& ReleasedPages() const { return released_; }
    void ForgetChanges();
    // Takes the entries of the block stored at leaf page `page` from that page as another
    // process rewrote it in place; false when no block is there or its links changed.
    bool ReloadPage(std::uint32_t page, std::uint32_t left, std::uint32_t right, std::string bytes, const std::string& keys,
                    const std::vector<std::uint32_t>& recs);

private:
    struct Block {
        std::vector<char> keys;
        std::vector<std::uint32_t> recs;
        Leaf leaf;
        bool listed = false; // in changed_
    };
    void Touch(std::size_t b);                  // its entries changed
    void Reshaped(std::size_t b, int change);   // block b was inserted (+1) or removed (-1)
    int Compare(const char* k1, std::uint32_t r1, const char* k2, std::uint32_t r2) const;
    std::size_t BlockFor(const char* key, std::uint32_t rec) const;
    std::size_t PlaceInBlock(const Block& b, const char* key, std::uint32_t rec) const;
    const char* Fence(std::size_t block) const { return fenceKeys_.data() + block * std::size_t(keyLen_); }
    void SetFence(std::size_t block);
    Pos Bound(std::string_view text, bool pastEqual) const;
    static std::uint64_t NextVersion();

    int keyLen_;
    std::uint64_t version_;
    std::size_t size_ = 0;
    std::vector<Block> blocks_;
    // Each block's last entry, side by side, so that finding a block reads one array.
    std::vector<char> fenceKeys_;
    std::vector<std::uint32_t> fenceRecs_;
    std::vector<std::size_t> changed_;
    std::vector<Reshape> reshapes_;
    std::vector<std::uint32_t> released_;
};

// An interior page of a tag: its place in the file, how many pages of the level below
// (the leaves, for the lowest level) it points to, consecutively after those of the pages
// to its left, and its bytes as last read or written.
struct InteriorPage {
    std::uint32_t page = 0;
    std::size_t children = 0;
    std::string bytes;
    bool dirty = true; // to be encoded again (written only when its bytes differ)
};

// Where a tag lives in its index file, beyond its leaves (which its key list knows).
struct TagPages {
    std::uint32_t header = 0; // offset of the tag header; 0: the tag was never written
    std::uint32_t root = 0;
    bool emptyRoot = false; // the root is a leaf without entries (the key list is empty)
    // The interior levels, top level (the root) first; none while the root is a leaf.
    std::vector<std::vector<InteriorPage>> levels;
};

// A page to write into an index file.
struct PageWrite {
    std::uint32_t offset;
    std::string bytes;
    std::string old = {}; // the bytes it replaces when known (the page as last read or written)
};

// Where a write-back takes the index pages it needs and puts those it gives up. Pages
// given up are not taken again by the same write-back: they still hold what the files
// show until it completes.
struct PageSpace {
    std::vector<std::uint32_t> free;  // the file's free pages; the head of its list last
    std::uint32_t end = 0;            // the end of the file
    std::vector<std::uint32_t> freed; // given up by this write-back
    std::uint32_t Take();
    void Give(std::uint32_t page) { freed.push_back(page); }
};
// Once every tag is updated: the pages given up join the free list, each written with the
// offset of the next free page in its first four bytes (kNoPage ending the list); returns
// the new head for the file header (kNoPage when the list is empty).
std::uint32_t ChainFreePages(PageSpace& space, std::vector<PageWrite>& writes);
constexpr std::uint32_t kNoPage = 0xFFFFFFFFu;

struct CdxTag {
    std::string name;  // upper case
    std::string key;   // key expression as stored
    std::string forCondition;
    int keyLen = 0;
    KeyList keys;
    TagPages pages;
};

// Decodes the leaf page `page` (kPage bytes, found at offset at) of a tag whose keys have
// keyLen bytes: appends its keys to keys and its record numbers to recs. false + error on
// a page that is no leaf or is damaged.
bool DecodeLeaf(const unsigned char* page, std::uint32_t at, int keyLen, std::string& keys,
                std::vector<std::uint32_t>& recs, std::string& error);

// Appends to writes the pages of a written tag that its changes touched: leaves of changed
// blocks (a block that outgrew its page is split, the new part going to a new page),
// leaves whose sibling links or root mark changed, the interior pages above them whose
// contents changed (an interior page that overflows is split and one left without
// children is given up, as in any B-tree, so the pages beside them stay as they are), and
// the root offset in the tag header when the root moved. Pages come from and go to space.
// maxRec is the largest record number the leaves must be able to hold. Afterwards the
// tag's blocks are clean. The work is that of the changed blocks and their ancestors, plus
// one count per interior page.
void UpdateTagPages(CdxTag& tag, std::uint32_t maxRec, PageSpace& space, std::vector<PageWrite>& writes);

// Reads a compound index. withKeys false reads the tag names and expressions only
// (enough to rebuild a damaged index). Every page offset, count and length is checked:
// pages outside the file or visited twice, keys longer than declared, keys out of order
// make it fail with an error text, and so do the marks of a torn write: a root page
// without its root mark (an all-zero page), an empty interior page, a leaf chain that
// ends anywhere but at the "none" link.
// freePages (when given) receives the file's free-page list, head last; a list that is
// damaged (a page outside the file, in use, or met twice) is given as empty, and the pages
// in it stay unused.
bool ReadCdx(File& file, bool withKeys, std::vector<CdxTag>& tags, std::string& error,
             std::vector<std::uint32_t>* freePages = nullptr);
// The bytes of a compound index holding the tags (in any order; the directory sorts
// them). maxRec is the largest record number the tags may hold.
std::string BuildCdx(const std::vector<const CdxTag*>& tags, std::uint32_t maxRec);

} // namespace lysora::engine
