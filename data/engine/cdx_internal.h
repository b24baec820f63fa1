// What the rooms of the compound index share beyond cdx.h: how one page is encoded. The
// rooms are
//   cdx_keys.cpp    the in-memory key list of a tag
//   cdx_pages.cpp   one leaf or interior page, encoded and decoded
//   cdx_read.cpp    reading an index file, every offset and count checked
//   cdx_build.cpp   a whole index file laid out afresh
//   cdx_update.cpp  writing back only the pages a change touched
// Each room's opening comment says what it may assume and what it must leave true.
#pragma once

#include "data/engine/cdx.h"

#include <cstddef>
#include <cstdint>

namespace lysora::engine {

constexpr int kLeafArea = int(kPage) - 24; // a leaf's bytes for entries and keys

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

// The layout of every leaf of a tag whose keys have keyLen bytes and whose record numbers
// go up to maxRec.
LeafLayout LayoutFor(int keyLen, std::uint32_t maxRec);

// Encodes as many of entries[0, n) as fit into the leaf page p (512 zero bytes); returns
// how many did. A page always takes at least one entry.
std::size_t EncodeLeaf(unsigned char* p, const Entry* entries, std::size_t n, int keyLen, const LeafLayout& l,
                       std::uint32_t left, std::uint32_t right, bool root);

// A child of an interior page: its page and its highest entry.
struct Child {
    std::uint32_t offset;
    Entry last;
};

inline std::size_t PerInteriorPage(int keyLen) { return (kPage - 12) / std::size_t(keyLen + 8); }

void EncodeInterior(unsigned char* p, const Child* children, std::size_t n, int keyLen, std::uint32_t left,
                    std::uint32_t right, bool root);

} // namespace lysora::engine
