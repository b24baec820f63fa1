// The in-memory key list of a tag: sorted entries in blocks, each block mirroring one leaf
// page once written, and the record of what changed since the last write-back.
//
// May assume: keys of the list's key length; an entry erased is one that is there.
// Must leave true: entries ascend by key then record number; no block is empty; each
// block's fence is its last entry; the version changes with every change; the changed
// blocks, reshapes and released pages say exactly what a write-back must write.
#include "data/engine/cdx_internal.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace lysora::engine {
namespace {

constexpr std::size_t kBlockMax = 256;

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

} // namespace lysora::engine
