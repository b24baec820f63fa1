// One page of a compound index, encoded and decoded (layout in cdx.h).
//
// May assume: when encoding, entries sorted and keys of the declared length, record
// numbers within the layout's mask; when decoding, nothing about the page's bytes.
// Must leave true: an encoded page is one DecodeLeaf reads back entry for entry; a decoded
// page never reads or writes outside its 512 bytes, and a page whose counts or bit widths
// do not fit is refused with an error text.
#include "data/engine/cdx_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace lysora::engine {
namespace {

int BitsFor(std::uint64_t v) {
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

} // namespace

LeafLayout LayoutFor(int keyLen, std::uint32_t maxRec) {
    LeafLayout l;
    l.keyBits = BitsFor(std::uint64_t(keyLen));
    l.recBits = std::max(BitsFor(std::max<std::uint32_t>(maxRec, 1)), 12);
    l.bytes = std::max(3, (l.recBits + 2 * l.keyBits + 7) / 8);
    l.recBits = std::min(32, l.bytes * 8 - 2 * l.keyBits);
    l.recMask = l.recBits == 32 ? 0xFFFFFFFFu : (std::uint32_t(1) << l.recBits) - 1;
    assert(maxRec <= l.recMask);
    return l;
}

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

} // namespace lysora::engine
