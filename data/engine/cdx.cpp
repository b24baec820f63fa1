// Compound index reading and writing (layout in cdx.h) and the in-memory key lists.
// Known limits: tags are ascending and non-unique (others are refused); interior pages
// are split when they overflow and given up when empty, but never merged with a neighbour
// (a tag that shrinks much keeps sparse pages until a rebuild, dbftool repair).
#include "data/engine/cdx.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <set>

namespace lysora::engine {
namespace {

constexpr std::size_t kBlockMax = 256;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr int kLeafArea = int(kPage) - 24;

std::uint32_t Le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint32_t Be32(const unsigned char* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 |
           std::uint32_t(p[0]) << 24;
}
std::uint32_t Le16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
void PutLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(v >> (8 * i));
}
void PutBe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[3 - i] = (unsigned char)(v >> (8 * i));
}
void PutLe16(unsigned char* p, std::uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

int BitsFor(std::uint64_t v) {
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

// ---- reading ----

struct TagHeader {
    std::uint32_t root = 0;
    int keyLen = 0;
    std::uint8_t options = 0;
    bool descending = false;
    std::string key, forCondition;
};

bool ReadTagHeader(File& file, std::uint64_t at, TagHeader& h, std::string& error) {
    unsigned char p[2 * kPage];
    if (at % kPage != 0 || at + sizeof p > file.Size() || !file.Read(at, p, sizeof p)) {
        error = "tag header at " + std::to_string(at) + " outside the index file";
        return false;
    }
    h.root = Le32(p);
    h.keyLen = int(Le16(p + 12));
    h.options = p[14];
    h.descending = Le16(p + 502) != 0;
    if (h.keyLen < 1 || h.keyLen > kMaxKey) {
        error = "tag key length " + std::to_string(h.keyLen) + " out of range";
        return false;
    }
    const char* pool = reinterpret_cast<const char*>(p + kPage);
    std::size_t n = strnlen(pool, kPage);
    h.key.assign(pool, n);
    if (n + 1 < kPage) {
        const char* rest = pool + n + 1;
        h.forCondition.assign(rest, strnlen(rest, kPage - n - 1));
    }
    return true;
}

// Reads a tag's tree level by level from the root: every interior page (kept in pages),
// then every leaf in order, each checked against its neighbours' links. Calls
// leaf(offset, left, right, root, count) before each leaf's entries and add(key, rec) for each.
template <typename OnLeaf, typename Add>
bool ReadTree(File& file, const TagHeader& h, TagPages* pages, std::set<std::uint32_t>* used, OnLeaf leaf, Add add,
              std::string& error) {
    const std::uint64_t size = file.Size();
    std::set<std::uint32_t> seen;
    unsigned char page[kPage];
    auto load = [&](std::uint32_t at) {
        if (at % kPage != 0 || std::uint64_t(at) + kPage > size || at < 2 * kPage) {
            error = "index page " + std::to_string(at) + " outside the file";
            return false;
        }
        if (!seen.insert(at).second) {
            error = "index pages form a loop at " + std::to_string(at);
            return false;
        }
        if (!file.Read(at, page, kPage)) {
            error = "index page " + std::to_string(at) + " unreadable";
            return false;
        }
        return true;
    };
    bool first = true;
    std::string lastKey, decodedKeys;
    std::vector<std::uint32_t> decodedRecs;
    std::uint32_t lastRec = 0;
    // The leaf in `page`, i-th of the bottom level `leaves`.
    auto readLeaf = [&](const std::vector<std::uint32_t>& leaves, std::size_t i) {
        const std::uint32_t at = leaves[i];
        const std::uint32_t left = Le32(page + 4), right = Le32(page + 8);
        if (left != (i == 0 ? kNone : leaves[i - 1]) || right != (i + 1 == leaves.size() ? kNone : leaves[i + 1])) {
            error = "leaf page " + std::to_string(at) + " is not linked to its neighbours (a torn write?)";
            return false;
        }
        if (Le16(page + 2) == 0 && leaves.size() > 1) {
            error = "leaf page " + std::to_string(at) + " has a bad layout";
            return false;
        }
        leaf(at, left, right, leaves.size() == 1, Le16(page + 2), page);
        decodedKeys.clear();
        decodedRecs.clear();
        if (!DecodeLeaf(page, at, h.keyLen, decodedKeys, decodedRecs, error)) return false;
        for (std::size_t e = 0; e < decodedRecs.size(); ++e) {
            const char* key = decodedKeys.data() + e * std::size_t(h.keyLen);
            const std::uint32_t rec = decodedRecs[e];
            if (!first) {
                int c = std::memcmp(lastKey.data(), key, lastKey.size());
                if (c > 0 || (c == 0 && lastRec >= rec)) {
                    error = "keys out of order in leaf page " + std::to_string(at);
                    return false;
                }
            }
            first = false;
            lastKey.assign(key, std::size_t(h.keyLen));
            lastRec = rec;
            if (!add(key, rec)) return false;
        }
        return true;
    };
    // Level by level from the root: the interior pages of a level give the next level's
    // pages in order, down to the leaves.
    std::vector<std::uint32_t> level{h.root};
    for (int depth = 0; !level.empty(); ++depth) {
        if (depth > 32) {
            error = "index tree too deep";
            return false;
        }
        std::vector<std::uint32_t> below;
        bool leaves = false;
        for (std::size_t i = 0; i < level.size(); ++i) {
            const std::uint32_t at = level[i];
            if (!load(at)) return false;
            const std::uint32_t attributes = Le16(page);
            if (attributes > 3 || bool(attributes & 1) != (depth == 0)) {
                error = depth == 0 ? "root page " + std::to_string(at) + " lacks its root mark"
                                   : "index page " + std::to_string(at) + " is marked as a root below the root";
                return false;
            }
            if (i > 0 && leaves != bool(attributes & 2)) {
                error = "index page " + std::to_string(at) + " is not at its level";
                return false;
            }
            leaves = attributes & 2;
            if (leaves) {
                if (!readLeaf(level, i)) return false;
                continue;
            }
            std::uint32_t count = Le16(page + 2);
            if (count == 0) {
                error = "empty interior index page " + std::to_string(at);
                return false;
            }
            if (12 + std::uint64_t(count) * std::uint64_t(h.keyLen + 8) > kPage) {
                error = "interior page " + std::to_string(at) + " cannot hold its keys";
                return false;
            }
            for (std::uint32_t k = 0; k < count; ++k)
                below.push_back(Be32(page + 12 + k * std::uint32_t(h.keyLen + 8) + std::uint32_t(h.keyLen) + 4));
            if (pages) {
                if (pages->levels.size() <= std::size_t(depth)) pages->levels.resize(std::size_t(depth) + 1);
                pages->levels[std::size_t(depth)].push_back(
                    {at, count, std::string(reinterpret_cast<const char*>(page), kPage), false});
            }
        }
        level = std::move(below);
    }
    if (used) used->insert(seen.begin(), seen.end());
    return true;
}

// ---- writing ----

struct Entry {
    const char* key;
    std::uint32_t rec;
};

// How a leaf packs its entries: record number, then the counts of bytes shared with the
// previous key and of trailing blanks, in `bytes` bytes per entry.
struct LeafLayout {
    int recBits, keyBits, bytes;
    std::uint32_t recMask;
};

LeafLayout LayoutFor(int keyLen, std::uint32_t maxRec) {
    LeafLayout l;
    l.keyBits = BitsFor(std::uint64_t(keyLen));
    l.recBits = std::max(BitsFor(std::max<std::uint32_t>(maxRec, 1)), 12);
    l.bytes = std::max(3, (l.recBits + 2 * l.keyBits + 7) / 8);
    l.recBits = std::min(32, l.bytes * 8 - 2 * l.keyBits);
    l.recMask = l.recBits == 32 ? kNone : (std::uint32_t(1) << l.recBits) - 1;
    assert(maxRec <= l.recMask);
    return l;
}

// Encodes as many of entries[0, n) as fit into the leaf page p (512 zero bytes); returns
// how many did. A page always takes at least one entry.
std::size_t EncodeLeaf(unsigned char* p, const Entry* entries, std::size_t n, int keyLen, const LeafLayout& l,
                       std::uint32_t left, std::uint32_t right, bool root) {
    int used = 0, end = int(kPage);
    std::uint32_t count = 0;
    const char* prev = nullptr;
    for (; count < n; ++count) {
        const char* k = entries[count].key;
        int trail = 0;
        while (trail < keyLen && k[keyLen - 1 - trail] == ' ') ++trail;
        int dup = 0;
        if (prev)
            while (dup < keyLen - trail && prev[dup] == k[dup]) ++dup;
        int stored = keyLen - dup - trail;
        if (used + l.bytes + stored > kLeafArea) break;
        std::uint64_t v = entries[count].rec | std::uint64_t(dup) << l.recBits |
                          std::uint64_t(trail) << (l.recBits + l.keyBits);
        for (int b = 0; b < l.bytes; ++b)
            p[24 + count * std::uint32_t(l.bytes) + std::uint32_t(b)] = (unsigned char)(v >> (8 * b));
        end -= stored;
        std::memcpy(p + end, k + dup, std::size_t(stored));
        used += l.bytes + stored;
        prev = k;
    }
    assert(count > 0 || n == 0);
    PutLe16(p, root ? 3 : 2);
    PutLe16(p + 2, count);
    PutLe32(p + 4, left);
    PutLe32(p + 8, right);
    PutLe16(p + 12, std::uint32_t(kLeafArea - used));
    PutLe32(p + 14, l.recMask);
    p[18] = p[19] = (unsigned char)((1 << l.keyBits) - 1);
    p[20] = (unsigned char)l.recBits;
    p[21] = p[22] = (unsigned char)l.keyBits;
    p[23] = (unsigned char)l.bytes;
    return count;
}

// A child of an interior page: its page and its highest entry.
struct Child {
    std::uint32_t offset;
    Entry last;
};

std::size_t PerInteriorPage(int keyLen) { return (kPage - 12) / std::size_t(keyLen + 8); }

void EncodeInterior(unsigned char* p, const Child* children, std::size_t n, int keyLen, std::uint32_t left,
                    std::uint32_t right, bool root) {
    PutLe16(p, root ? 1 : 0);
    PutLe16(p + 2, std::uint32_t(n));
    PutLe32(p + 4, left);
    PutLe32(p + 8, right);
    for (std::size_t k = 0; k < n; ++k) {
        unsigned char* e = p + 12 + k * std::size_t(keyLen + 8);
        std::memcpy(e, children[k].last.key, std::size_t(keyLen));
        PutBe32(e + keyLen, children[k].last.rec);
        PutBe32(e + keyLen + 4, children[k].offset);
    }
}

// The interior levels above `level` (the leaves), as pages to lay out: each entry of the
// result is one level, top first, each a list of pages, each a list of children.
std::vector<std::vector<std::vector<Child>>> InteriorLevels(std::vector<Child> level, int keyLen) {
    std::vector<std::vector<std::vector<Child>>> levels;
    const std::size_t perNode = PerInteriorPage(keyLen);
    while (level.size() > 1) {
        std::vector<std::vector<Child>> pages;
        for (std::size_t j = 0; j < level.size(); j += perNode)
            pages.emplace_back(level.begin() + std::ptrdiff_t(j),
                               level.begin() + std::ptrdiff_t(std::min(level.size(), j + perNode)));
        levels.insert(levels.begin(), pages);
        level.clear();
        for (const auto& page : pages) level.push_back({0, page.back().last});
    }
    return levels;
}

class PageWriter {
public:
    PageWriter(std::string& out) : out_(out) {}
    std::uint32_t NextOffset() const { return std::uint32_t(out_.size()); }
    unsigned char* NewPage() {
        out_.append(kPage, '\0');
        return reinterpret_cast<unsigned char*>(out_.data() + out_.size() - kPage);
    }
    unsigned char* At(std::uint32_t offset) { return reinterpret_cast<unsigned char*>(out_.data() + offset); }

private:
    std::string& out_;
};

// Writes the leaves then the interior levels of one tag, in that order, into a file being
// built; returns the root's offset.
std::uint32_t WriteTree(PageWriter& w, const std::vector<Entry>& entries, int keyLen, std::uint32_t maxRec) {
    const LeafLayout layout = LayoutFor(keyLen, maxRec);
    // Leaves are consecutive pages: a leaf's right sibling is the page after it.
    const std::uint32_t firstLeaf = w.NextOffset();
    std::vector<Child> level;
    std::size_t i = 0;
    do { // at least one leaf, even for an empty tag
        std::uint32_t offset = w.NextOffset();
        unsigned char* p = w.NewPage();
        std::size_t n = EncodeLeaf(p, entries.data() + i, entries.size() - i, keyLen, layout,
                                   offset == firstLeaf ? kNone : offset - kPage, kNone, false);
        i += n;
        if (i < entries.size()) PutLe32(p + 8, offset + kPage);
        level.push_back({offset, n ? entries[i - 1] : Entry{nullptr, 0}});
    } while (i < entries.size());
    if (level.size() == 1) {
        PutLe16(w.At(level[0].offset), 3);
        return level[0].offset;
    }
    auto levels = InteriorLevels(level, keyLen);
    // Bottom level first, so that each page's children have their offsets already.
    std::vector<std::uint32_t> below;
    for (const Child& c : level) below.push_back(c.offset);
    std::uint32_t root = 0;
    for (auto lv = levels.rbegin(); lv != levels.rend(); ++lv) {
        std::vector<std::uint32_t> offsets;
        std::size_t child = 0;
        const std::uint32_t first = w.NextOffset();
        for (std::size_t j = 0; j < lv->size(); ++j) {
            std::vector<Child>& page = (*lv)[j];
            for (Child& c : page) c.offset = below[child++];
            std::uint32_t offset = w.NextOffset();
            EncodeInterior(w.NewPage(), page.data(), page.size(), keyLen, j == 0 ? kNone : offset - kPage,
                           j + 1 == lv->size() ? kNone : offset + kPage, lv->size() == 1);
            offsets.push_back(offset);
        }
        (void)first;
        root = offsets.front();
        below = std::move(offsets);
    }
    return root;
}

void WriteTagHeader(unsigned char* p, std::uint32_t root, int keyLen, std::uint8_t options,
                    const std::string& key, const std::string& forCondition) {
    PutLe32(p, root);
    PutLe32(p + 4, kNoPage); // no free pages
    PutLe16(p + 12, std::uint32_t(keyLen));
    p[14] = options;
    p[15] = 1;
    assert(ExpressionsFit(key, forCondition)); // refused when the tag was declared
    std::size_t keyPool = key.size() + 1;
    std::size_t forPool = forCondition.size() + 1;
    PutLe16(p + 504, std::uint32_t(keyPool));
    PutLe16(p + 506, std::uint32_t(forPool));
    PutLe16(p + 508, 0);
    PutLe16(p + 510, std::uint32_t(keyPool));
    std::memcpy(p + kPage, key.data(), keyPool - 1);
    std::memcpy(p + kPage + keyPool, forCondition.data(), forPool - 1);
}

} // namespace

int ComparePrefix(const char* key, int keyLen, std::string_view text) {
    std::size_t n = std::min<std::size_t>(std::size_t(keyLen), text.size());
    int c = std::memcmp(key, text.data(), n);
    if (c != 0) return c < 0 ? -1 : 1;
    return text.size() > std::size_t(keyLen) ? -1 : 0;
}

// ---- KeyList ----

int KeyList::Compare(const char* k1, std::uint32_t r1, const char* k2, std::uint32_t r2) const {
    int c = std::memcmp(k1, k2, std::size_t(keyLen_));
    if (c != 0) return c;
    return r1 < r2 ? -1 : r1 > r2 ? 1 : 0;
}

std::uint64_t KeyList::NextVersion() {
    static std::uint64_t counter = 0;
    return ++counter;
}

void KeyList::Clear() {
    version_ = NextVersion();
    blocks_.clear();
    fenceKeys_.clear();
    fenceRecs_.clear();
    size_ = 0;
    ForgetChanges();
}

void KeyList::ForgetChanges() {
    for (std::size_t b : changed_)
        if (b < blocks_.size()) blocks_[b].listed = false;
    changed_.clear();
    reshapes_.clear();
    released_.clear();
}

void KeyList::Touch(std::size_t b) {
    Block& block = blocks_[b];
    block.leaf.dirty = true;
    if (!block.listed) {
        block.listed = true;
        changed_.push_back(b);
    }
}

// Keeps changed_ naming the same blocks after block b was inserted or removed, marks the
// neighbours whose links change, and records the change.
void KeyList::Reshaped(std::size_t b, int change) {
    std::vector<std::size_t> kept;
    for (std::size_t c : changed_) {
        if (change < 0 && c == b) continue;
        kept.push_back(c >= b && (change > 0 || c > b) ? c + std::size_t(std::ptrdiff_t(change)) : c);
    }
    // (inserted: an old index >= b moved up one; removed: one above b moved down one)
    changed_ = std::move(kept);
    reshapes_.push_back({b, change});
    if (change > 0) Touch(b);
    if (b > 0) Touch(b - 1);
    const std::size_t right = change > 0 ? b + 1 : b;
    if (right < blocks_.size()) Touch(right);
}

void KeyList::SetFence(std::size_t block) {
    const Block& b = blocks_[block];
    assert(!b.recs.empty() && fenceRecs_.size() == blocks_.size());
    std::memcpy(fenceKeys_.data() + block * std::size_t(keyLen_),
                b.keys.data() + (b.recs.size() - 1) * std::size_t(keyLen_), std::size_t(keyLen_));
    fenceRecs_[block] = b.recs.back();
}

void KeyList::BeginPage(std::uint32_t page, std::uint32_t left, std::uint32_t right, bool root, std::string bytes) {
    blocks_.emplace_back();
    blocks_.back().leaf = {page, left, right, root, false, std::move(bytes)};
    fenceKeys_.resize(fenceKeys_.size() + std::size_t(keyLen_));
    fenceRecs_.push_back(0);
}

void KeyList::PushBack(const char* key, std::uint32_t rec) {
    const bool pageBlock = !blocks_.empty() && blocks_.back().leaf.page != 0;
    if (blocks_.empty() || (!pageBlock && blocks_.back().recs.size() >= kBlockMax / 2 + kBlockMax / 4)) {
        blocks_.emplace_back();
        fenceKeys_.resize(fenceKeys_.size() + std::size_t(keyLen_));
        fenceRecs_.push_back(0);
        Reshaped(blocks_.size() - 1, +1);
    }
    Block& b = blocks_.back();
    if (b.leaf.page == 0) Touch(blocks_.size() - 1);
    b.keys.insert(b.keys.end(), key, key + keyLen_);
    b.recs.push_back(rec);
    ++size_;
    version_ = NextVersion();
    SetFence(blocks_.size() - 1);
}

// The first block whose last entry is not below (key, rec); the last block when none.
std::size_t KeyList::BlockFor(const char* key, std::uint32_t rec) const {
    std::size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (Compare(Fence(mid), fenceRecs_[mid], key, rec) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The place of the entry (key, rec) within block b: the first entry not below it.
std::size_t KeyList::PlaceInBlock(const Block& b, const char* key, std::uint32_t rec) const {
    std::size_t lo = 0, hi = b.recs.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (Compare(b.keys.data() + mid * std::size_t(keyLen_), b.recs[mid], key, rec) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void KeyList::Insert(const char* key, std::uint32_t rec) {
    if (blocks_.empty()) {
        PushBack(key, rec);
        return;
    }
    std::size_t bi = std::min(BlockFor(key, rec), blocks_.size() - 1);
    Block& b = blocks_[bi];
    std::size_t lo = PlaceInBlock(b, key, rec);
    b.keys.insert(b.keys.begin() + std::ptrdiff_t(lo * std::size_t(keyLen_)), key, key + keyLen_);
    b.recs.insert(b.recs.begin() + std::ptrdiff_t(lo), rec);
    Touch(bi);
    ++size_;
    version_ = NextVersion();
    if (b.recs.size() > kBlockMax)
        SplitBlock(bi, b.recs.size() / 2);
    else
        SetFence(bi);
}

void KeyList::SplitBlock(std::size_t bi, std::size_t at) {
    Block& b = blocks_[bi];
    assert(at > 0 && at < b.recs.size());
    Block right;
    right.keys.assign(b.keys.begin() + std::ptrdiff_t(at * std::size_t(keyLen_)), b.keys.end());
    right.recs.assign(b.recs.begin() + std::ptrdiff_t(at), b.recs.end());
    b.keys.resize(at * std::size_t(keyLen_));
    b.recs.resize(at);
    blocks_.insert(blocks_.begin() + std::ptrdiff_t(bi + 1), std::move(right));
    fenceKeys_.insert(fenceKeys_.begin() + std::ptrdiff_t((bi + 1) * std::size_t(keyLen_)),
                      std::size_t(keyLen_), '\0');
    fenceRecs_.insert(fenceRecs_.begin() + std::ptrdiff_t(bi + 1), 0);
    SetFence(bi);
    SetFence(bi + 1);
    Reshaped(bi + 1, +1);
    Touch(bi);
    version_ = NextVersion();
}

KeyList::Pos KeyList::Find(const char* key, std::uint32_t rec) const {
    std::size_t bi = BlockFor(key, rec);
    if (bi >= blocks_.size()) return End();
    const Block& b = blocks_[bi];
    std::size_t lo = PlaceInBlock(b, key, rec);
    if (lo < b.recs.size() && b.recs[lo] == rec &&
        std::memcmp(b.keys.data() + lo * std::size_t(keyLen_), key, std::size_t(keyLen_)) == 0)
        return {bi, lo};
    return End();
}

bool KeyList::Erase(const char* key, std::uint32_t rec) {
    Pos p = Find(key, rec);
    if (IsEnd(p)) return false;
    Block& b = blocks_[p.block];
    b.keys.erase(b.keys.begin() + std::ptrdiff_t(p.index * std::size_t(keyLen_)),
                 b.keys.begin() + std::ptrdiff_t((p.index + 1) * std::size_t(keyLen_)));
    b.recs.erase(b.recs.begin() + std::ptrdiff_t(p.index));
    Touch(p.block);
    if (b.recs.empty()) {
        if (b.leaf.page != 0) released_.push_back(b.leaf.page);
        blocks_.erase(blocks_.begin() + std::ptrdiff_t(p.block));
        fenceKeys_.erase(fenceKeys_.begin() + std::ptrdiff_t(p.block * std::size_t(keyLen_)),
                         fenceKeys_.begin() + std::ptrdiff_t((p.block + 1) * std::size_t(keyLen_)));
        fenceRecs_.erase(fenceRecs_.begin() + std::ptrdiff_t(p.block));
        Reshaped(p.block, -1);
    } else {
        SetFence(p.block);
    }
    --size_;
    version_ = NextVersion();
    return true;
}

KeyList::Pos KeyList::LowerBound(std::string_view text) const { return Bound(text, false); }
KeyList::Pos KeyList::UpperBound(std::string_view text) const { return Bound(text, true); }

// The first key above text (pastEqual) or not below it: first the block, by its last key
// (its fence), then the key within the block; both binary searches.
KeyList::Pos KeyList::Bound(std::string_view text, bool pastEqual) const {
    auto before = [&](const char* key) {
        int c = ComparePrefix(key, keyLen_, text);
        return pastEqual ? c <= 0 : c < 0;
    };
    std::size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (before(Fence(mid)))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo >= blocks_.size()) return End();
    const Block& b = blocks_[lo];
    std::size_t l = 0, h = b.recs.size();
    while (l < h) {
        std::size_t mid = (l + h) / 2;
        if (before(b.keys.data() + mid * std::size_t(keyLen_)))
            l = mid + 1;
        else
            h = mid;
    }
    return {lo, l};
}

KeyList::Pos KeyList::Next(Pos p) const {
    if (IsEnd(p)) return End();
    if (++p.index < blocks_[p.block].recs.size()) return p;
    return {p.block + 1, 0};
}

KeyList::Pos KeyList::Prev(Pos p) const {
    if (p.index > 0 && !IsEnd(p)) return {p.block, p.index - 1};
    if (p.block == 0 || blocks_.empty()) return End();
    std::size_t b = std::min(p.block, blocks_.size()) - 1;
    return {b, blocks_[b].recs.size() - 1};
}

KeyList::Pos KeyList::Last() const {
    if (blocks_.empty()) return End();
    return {blocks_.size() - 1, blocks_.back().recs.size() - 1};
}

// ---- one leaf ----

bool DecodeLeaf(const unsigned char* page, std::uint32_t at, int keyLen, std::string& keys,
                std::vector<std::uint32_t>& recs, std::string& error) {
    std::uint32_t count = Le16(page + 2);
    std::uint32_t recMask = Le32(page + 14);
    int dupMask = page[18], trailMask = page[19];
    int recBits = page[20], dupBits = page[21], trailBits = page[22], bytes = page[23];
    if (!(Le16(page) & 2) || bytes < 1 || bytes > 8 || recBits > 32 || recBits + dupBits + trailBits > bytes * 8 ||
        dupBits > 8 || trailBits > 8 || std::uint64_t(count) * std::uint64_t(bytes) > std::uint64_t(kLeafArea)) {
        error = "leaf page " + std::to_string(at) + " has a bad layout";
        return false;
    }
    std::string key(std::size_t(keyLen), ' ');
    int end = int(kPage);
    for (std::uint32_t e = 0; e < count; ++e) {
        std::uint64_t v = 0;
        for (int b = bytes - 1; b >= 0; --b) v = v << 8 | page[24 + e * std::uint32_t(bytes) + std::uint32_t(b)];
        std::uint32_t rec = std::uint32_t(v) & recMask;
        int dup = int(v >> recBits) & dupMask;
        int trail = int(v >> (recBits + dupBits)) & trailMask;
        if (dup + trail > keyLen || (e == 0 && dup > 0)) {
            error = "key longer than declared in leaf page " + std::to_string(at);
            return false;
        }
        int stored = keyLen - dup - trail;
        end -= stored;
        if (end < 24 + int(count) * bytes) {
            error = "keys overflow leaf page " + std::to_string(at);
            return false;
        }
        std::memcpy(key.data() + dup, page + end, std::size_t(stored));
        std::memset(key.data() + dup + stored, ' ', std::size_t(trail));
        keys += key;
        recs.push_back(rec);
    }
    return true;
}

bool KeyList::ReloadPage(std::uint32_t page, std::uint32_t left, std::uint32_t right, std::string bytes, const std::string& keys,
                         const std::vector<std::uint32_t>& recs) {
    if (recs.empty()) return false;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        Block& block = blocks_[b];
        if (block.leaf.page != page) continue;
        if (block.leaf.left != left || block.leaf.right != right) return false;
        size_ = size_ - block.recs.size() + recs.size();
        block.keys.assign(keys.begin(), keys.end());
        block.recs = recs;
        block.leaf.dirty = false;
        block.leaf.bytes = std::move(bytes);
        SetFence(b);
        version_ = NextVersion();
        return true;
    }
    return false;
}

// ---- pages a change touched ----

std::uint32_t PageSpace::Take() {
    if (!free.empty()) {
        const std::uint32_t at = free.back();
        free.pop_back();
        return at;
    }
    const std::uint32_t at = end;
    end += kPage;
    return at;
}

std::uint32_t ChainFreePages(PageSpace& space, std::vector<PageWrite>& writes) {
    for (std::uint32_t at : space.freed) {
        unsigned char page[kPage] = {};
        PutLe32(page, space.free.empty() ? kNoPage : space.free.back());
        writes.push_back({at, std::string(reinterpret_cast<const char*>(page), kPage)});
        space.free.push_back(at);
    }
    space.freed.clear();
    return space.free.empty() ? kNoPage : space.free.back();
}

namespace {

using Levels = std::vector<std::vector<InteriorPage>>;

// The page of `level` that points to the `child`-th page of the level below (the last
// page when child is past them all).
std::size_t Holder(const std::vector<InteriorPage>& level, std::size_t child) {
    std::size_t first = 0;
    for (std::size_t j = 0; j + 1 < level.size(); ++j) {
        if (child < first + level[j].children) return j;
        first += level[j].children;
    }
    return level.empty() ? 0 : level.size() - 1;
}

// Interior levels laid out afresh over n leaves, each page full; the old pages are given up.
void BuildLevels(Levels& levels, std::size_t n, std::size_t perPage, PageSpace& space) {
    for (const auto& level : levels)
        for (const InteriorPage& p : level) space.Give(p.page);
    levels.clear();
    for (std::size_t count = n; count > 1;) {
        std::vector<InteriorPage> level;
        for (std::size_t j = 0; j < count; j += perPage) level.push_back({space.Take(), std::min(perPage, count - j), {}, true});
        count = level.size();
        levels.insert(levels.begin(), std::move(level));
    }
}

// On level lv: a page pointing to more children than a page holds is split into as many
// even pages as needed (the new ones placed after it), one left without children is given
// up; the level above counts its pages again. Neighbours whose links change are marked.
void FixLevel(Levels& levels, std::size_t lv, std::size_t perPage, PageSpace& space) {
    std::vector<InteriorPage>& level = levels[lv];
    for (std::size_t j = 0; j < level.size();) {
        const std::size_t c = level[j].children;
        if (c != 0 && c <= perPage) {
            ++j;
            continue;
        }
        const std::size_t parent = lv > 0 ? Holder(levels[lv - 1], j) : 0;
        if (c == 0) {
            space.Give(level[j].page);
            level.erase(level.begin() + std::ptrdiff_t(j));
            if (lv > 0) --levels[lv - 1][parent].children;
            if (j > 0) level[j - 1].dirty = true;
            if (j < level.size()) level[j].dirty = true;
            continue;
        }
        const std::size_t pieces = (c + perPage - 1) / perPage;
        std::vector<InteriorPage> more;
        for (std::size_t k = 0; k < pieces; ++k) {
            const std::size_t size = c / pieces + (k < c % pieces ? 1 : 0);
            if (k == 0)
                level[j].children = size;
            else
                more.push_back({space.Take(), size, {}, true});
        }
        level[j].dirty = true;
        level.insert(level.begin() + std::ptrdiff_t(j + 1), more.begin(), more.end());
        if (lv > 0) levels[lv - 1][parent].children += pieces - 1;
        j += pieces;
        if (j < level.size()) level[j].dirty = true;
    }
}

// Every level fixed from the lowest up; then a root added above a top level of several
// pages, or dropped while it points to a single page.
void Rebalance(Levels& levels, std::size_t perPage, PageSpace& space) {
    for (std::size_t lv = levels.size(); lv-- > 0;) FixLevel(levels, lv, perPage, space);
    while (levels[0].size() > 1) {
        for (InteriorPage& p : levels[0]) p.dirty = true; // the old root loses its mark
        levels.insert(levels.begin(), std::vector<InteriorPage>{{space.Take(), levels[0].size(), {}, true}});
        FixLevel(levels, 0, perPage, space);
    }
    while (levels.size() > 1 && levels[0][0].children == 1) {
        space.Give(levels[0][0].page);
        levels.erase(levels.begin());
        levels[0][0].dirty = true; // the new root gets its mark
    }
}

} // namespace

void UpdateTagPages(CdxTag& tag, std::uint32_t maxRec, PageSpace& space, std::vector<PageWrite>& writes) {
    KeyList& keys = tag.keys;
    TagPages& pages = tag.pages;
    Levels& levels = pages.levels;
    const int keyLen = tag.keyLen;
    const LeafLayout layout = LayoutFor(keyLen, maxRec);
    const std::size_t perPage = PerInteriorPage(keyLen);
    std::vector<Entry> entries;
    auto blockEntries = [&](std::size_t b) {
        entries.clear();
        for (std::size_t i = 0; i < keys.BlockSize(b); ++i) entries.push_back({keys.Key({b, i}), keys.Rec({b, i})});
    };
    unsigned char page[kPage];
    auto write = [&](std::uint32_t at) { writes.push_back({at, std::string(reinterpret_cast<const char*>(page), kPage)}); };

    // A changed block that no longer fits its page goes on in new ones: split in halves, so
    // that keys arriving anywhere leave pages half full at least rather than a full page
    // beside a run of nearly empty ones; the last block (appends in key order) and a
    // block far too big are cut where the page is full. From the highest index down, so
    // that a split moves none of the blocks still to look at.
    std::vector<std::size_t> changed = keys.ChangedBlocks();
    std::sort(changed.rbegin(), changed.rend());
    for (std::size_t b : changed)
        for (std::size_t cur = b; cur < keys.BlockCount(); ++cur) {
            blockEntries(cur);
            std::memset(page, 0, kPage);
            std::size_t fit = EncodeLeaf(page, entries.data(), entries.size(), keyLen, layout, kNone, kNone, false);
            if (fit == entries.size()) break;
            const bool cutFull = cur + 1 == keys.BlockCount() || entries.size() > 2 * fit;
            keys.SplitBlock(cur, cutFull ? fit : entries.size() / 2);
        }
    const std::size_t n = keys.BlockCount();

    // The lowest interior level follows the blocks inserted and removed, in their order.
    bool recount = false;
    if (!levels.empty()) {
        std::vector<InteriorPage>& low = levels.back();
        for (const KeyList::Reshape& r : keys.Reshapes()) {
            InteriorPage& holder = low[Holder(low, r.change > 0 && r.block > 0 ? r.block - 1 : r.block)];
            if (r.change < 0 && holder.children == 0) {
                recount = true;
                break;
            }
            holder.children = std::size_t(std::ptrdiff_t(holder.children) + r.change);
            holder.dirty = true;
        }
        std::size_t total = 0;
        for (const InteriorPage& p : low) total += p.children;
        recount = recount || total != n;
    }
    for (std::uint32_t at : keys.ReleasedPages()) space.Give(at);
    if (n > 0 && pages.emptyRoot) space.Give(pages.root);
    if (n <= 1)
        BuildLevels(levels, 0, perPage, space);
    else if (levels.empty() || recount)
        BuildLevels(levels, n, perPage, space);
    else
        Rebalance(levels, perPage, space);

    // Leaves: the changed blocks (their neighbours are among them when links changed).
    changed = keys.ChangedBlocks();
    std::sort(changed.begin(), changed.end());
    for (std::size_t b : changed)
        if (keys.BlockLeaf(b).page == 0) keys.BlockLeaf(b).page = space.Take();
    for (std::size_t b : changed) {
        KeyList::Leaf& leaf = keys.BlockLeaf(b);
        leaf.left = b == 0 ? kNone : keys.BlockLeaf(b - 1).page;
        leaf.right = b + 1 == n ? kNone : keys.BlockLeaf(b + 1).page;
        leaf.root = n == 1;
        blockEntries(b);
        std::memset(page, 0, kPage);
        [[maybe_unused]] std::size_t fit =
            EncodeLeaf(page, entries.data(), entries.size(), keyLen, layout, leaf.left, leaf.right, leaf.root);
        assert(fit == entries.size());
        write(leaf.page);
        writes.back().old = std::move(leaf.bytes);
        leaf.bytes = writes.back().bytes;
        leaf.dirty = false;
    }

    // Interior pages above the changed leaves and pages, up to the root: encoded again and
    // written when their bytes differ.
    if (!levels.empty()) {
        const std::size_t depth = levels.size();
        for (std::size_t b : changed) levels[depth - 1][Holder(levels[depth - 1], b)].dirty = true;
        for (std::size_t lv = depth - 1; lv > 0; --lv)
            for (std::size_t j = 0; j < levels[lv].size(); ++j)
                if (levels[lv][j].dirty) levels[lv - 1][Holder(levels[lv - 1], j)].dirty = true;
        // Each page's first child, and the first leaf below each page.
        std::vector<std::vector<std::size_t>> first(depth), firstLeaf(depth);
        for (std::size_t lv = depth; lv-- > 0;) {
            std::size_t at = 0;
            for (const InteriorPage& p : levels[lv]) {
                first[lv].push_back(at);
                firstLeaf[lv].push_back(lv + 1 == depth ? at : firstLeaf[lv + 1][at]);
                at += p.children;
            }
            assert(at == (lv + 1 == depth ? n : levels[lv + 1].size()));
        }
        std::vector<Child> children;
        for (std::size_t lv = 0; lv < depth; ++lv)
            for (std::size_t j = 0; j < levels[lv].size(); ++j) {
                InteriorPage& node = levels[lv][j];
                if (!node.dirty) continue;
                children.clear();
                for (std::size_t k = 0; k < node.children; ++k) {
                    const std::size_t c = first[lv][j] + k;
                    const bool lowest = lv + 1 == depth;
                    const std::size_t lastLeaf =
                        lowest ? c : (c + 1 < levels[lv + 1].size() ? firstLeaf[lv + 1][c + 1] : n) - 1;
                    const KeyList::Pos last{lastLeaf, keys.BlockSize(lastLeaf) - 1};
                    children.push_back({lowest ? keys.BlockLeaf(c).page : levels[lv + 1][c].page,
                                        {keys.Key(last), keys.Rec(last)}});
                }
                std::memset(page, 0, kPage);
                EncodeInterior(page, children.data(), children.size(), keyLen,
                               j == 0 ? kNone : levels[lv][j - 1].page,
                               j + 1 == levels[lv].size() ? kNone : levels[lv][j + 1].page, lv == 0);
                if (node.bytes.size() != kPage || std::memcmp(node.bytes.data(), page, kPage) != 0) {
                    write(node.page);
                    writes.back().old = std::move(node.bytes);
                    node.bytes = writes.back().bytes;
                }
                node.dirty = false;
            }
    }

    std::uint32_t root = 0;
    if (n == 0 && !pages.emptyRoot) { // a tag whose condition now admits no record: an empty root leaf
        root = space.Take();
        std::memset(page, 0, kPage);
        EncodeLeaf(page, nullptr, 0, keyLen, layout, kNone, kNone, true);
        write(root);
    }
    if (n == 0 && pages.emptyRoot) root = pages.root;
    if (n == 1) root = keys.BlockLeaf(0).page;
    if (n > 1) root = levels[0][0].page;
    pages.emptyRoot = n == 0;
    keys.ForgetChanges();
    if (root != pages.root) {
        unsigned char at[4];
        PutLe32(at, root);
        writes.push_back({pages.header, std::string(reinterpret_cast<const char*>(at), 4)});
        pages.root = root;
    }
}

// ---- whole files ----

namespace {

// The free-page list from the file header at 0, checked against the pages in use.
std::vector<std::uint32_t> ReadFreePages(File& file, const std::set<std::uint32_t>& used) {
    std::vector<std::uint32_t> list;
    std::set<std::uint32_t> met;
    const std::uint64_t size = file.Size();
    unsigned char p[4];
    if (!file.Read(4, p, 4)) return {};
    for (std::uint32_t at = Le32(p); at != kNoPage && at != 0; at = Le32(p)) {
        if (at % kPage != 0 || at < 2 * kPage || std::uint64_t(at) + kPage > size || used.count(at) ||
            !met.insert(at).second || !file.Read(at, p, 4))
            return {};
        list.push_back(at);
    }
    std::reverse(list.begin(), list.end());
    return list;
}

} // namespace

bool ReadCdx(File& file, bool withKeys, std::vector<CdxTag>& tags, std::string& error,
             std::vector<std::uint32_t>* freePages) {
    tags.clear();
    std::set<std::uint32_t> used{0, kPage};
    TagHeader directory;
    if (!ReadTagHeader(file, 0, directory, error)) {
        error = "index file: " + error;
        return false;
    }
    if (!(directory.options & 0x40)) {
        error = "index file is not a compound index";
        return false;
    }
    std::vector<std::pair<std::string, std::uint32_t>> names;
    auto noLeaf = [](std::uint32_t, std::uint32_t, std::uint32_t, bool, std::uint32_t, const unsigned char*) {};
    bool ok = ReadTree(file, directory, nullptr, &used, noLeaf, [&](const char* key, std::uint32_t rec) {
        if (names.size() >= 256) {
            error = "too many tags";
            return false;
        }
        std::string name(key, std::size_t(directory.keyLen));
        name.erase(name.find_last_not_of(std::string(" \0", 2)) + 1);
        names.emplace_back(name, rec);
        return true;
    }, error);
    if (!ok) {
        error = "index tag directory: " + error;
        return false;
    }
    // Tags in the order of their headers in the file: the order they were created in.
    std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return a.second < b.second; });
    for (auto& [name, offset] : names) {
        TagHeader h;
        if (!ReadTagHeader(file, offset, h, error)) {
            error = "tag " + name + ": " + error;
            return false;
        }
        if (h.descending || (h.options & 0x01)) {
            error = "tag " + name + ": descending and unique tags are not supported";
            return false;
        }
        CdxTag tag;
        tag.name = name;
        for (char& c : tag.name) c = char(std::toupper((unsigned char)c));
        tag.key = h.key;
        tag.forCondition = h.forCondition;
        tag.keyLen = h.keyLen;
        tag.keys = KeyList(h.keyLen);
        tag.pages.header = offset;
        tag.pages.root = h.root;
        auto beginPage = [&](std::uint32_t at, std::uint32_t left, std::uint32_t right, bool root, std::uint32_t count,
                             const unsigned char* page) {
            if (count > 0)
                tag.keys.BeginPage(at, left, right, root, std::string(reinterpret_cast<const char*>(page), kPage));
            else // only an empty root leaf has no entries; a key list has no empty block
                tag.pages.emptyRoot = true;
        };
        used.insert(offset);
        used.insert(offset + kPage);
        if (withKeys &&
            !ReadTree(file, h, &tag.pages, &used, beginPage, [&](const char* key, std::uint32_t rec) {
                tag.keys.PushBack(key, rec);
                return true;
            }, error)) {
            error = "tag " + name + ": " + error;
            return false;
        }
        tags.push_back(std::move(tag));
    }
    if (freePages) *freePages = withKeys ? ReadFreePages(file, used) : std::vector<std::uint32_t>{};
    return true;
}

std::string BuildCdx(const std::vector<const CdxTag*>& tags, std::uint32_t maxRec) {
    std::string out(2 * kPage, '\0');
    PageWriter w(out);
    // The directory's keys are the padded names; its record numbers, the tag header
    // offsets, are known only after laying the directory out, so lay it out with
    // placeholders first (its size depends on the names alone) and patch it after.
    std::vector<std::size_t> byName(tags.size());
    for (std::size_t i = 0; i < tags.size(); ++i) byName[i] = i;
    std::vector<std::string> padded(tags.size());
    for (std::size_t i = 0; i < tags.size(); ++i) {
        padded[i] = tags[i]->name.substr(0, 10);
        padded[i].resize(10, ' ');
    }
    std::sort(byName.begin(), byName.end(), [&](std::size_t a, std::size_t b) { return padded[a] < padded[b]; });
    const std::uint32_t bigOffset = 0x7FFFFE00; // widest record-number field the patch may need
    std::vector<Entry> dirEntries;
    for (std::size_t i : byName) dirEntries.push_back({padded[i].data(), bigOffset});
    std::string dirPages;
    {
        std::string scratch(2 * kPage, '\0');
        PageWriter sw(scratch);
        WriteTree(sw, dirEntries, 10, bigOffset);
        dirPages = scratch;
    }
    std::uint32_t tagStart = std::uint32_t(dirPages.size());
    out.resize(tagStart, '\0');

    std::vector<std::uint32_t> headerAt(tags.size());
    for (std::size_t t = 0; t < tags.size(); ++t) {
        const CdxTag& tag = *tags[t];
        headerAt[t] = w.NextOffset();
        w.NewPage();
        w.NewPage();
        std::vector<Entry> entries;
        entries.reserve(tag.keys.Size());
        for (auto p = tag.keys.Begin(); !tag.keys.IsEnd(p); p = tag.keys.Next(p))
            entries.push_back({tag.keys.Key(p), tag.keys.Rec(p)});
        std::uint32_t root = WriteTree(w, entries, tag.keyLen, std::max<std::uint32_t>(maxRec, 1));
        std::uint8_t options = 0x60 | (tag.forCondition.empty() ? 0 : 0x08);
        WriteTagHeader(w.At(headerAt[t]), root, tag.keyLen, options, tag.key, tag.forCondition);
    }
    // Now the directory, for real, into the pages reserved for it.
    dirEntries.clear();
    for (std::size_t i : byName) dirEntries.push_back({padded[i].data(), headerAt[i]});
    // Record numbers as wide as the real offsets need: fewer bytes per entry, never more
    // pages than reserved; a page left over stays unused.
    std::string dir(2 * kPage, '\0');
    PageWriter dw(dir);
    std::uint32_t widest = headerAt.empty() ? 1 : *std::max_element(headerAt.begin(), headerAt.end());
    std::uint32_t dirRoot = WriteTree(dw, dirEntries, 10, widest);
    assert(dir.size() <= tagStart);
    dir.resize(tagStart, '\0');
    WriteTagHeader(reinterpret_cast<unsigned char*>(dir.data()), dirRoot, 10, 0xE0, "", "");
    std::memcpy(out.data(), dir.data(), dir.size());
    return out;
}

} // namespace lysora::engine
