// Writing back only the index pages a change touched: leaves of changed blocks, the
// interior pages above them, the root offset, and the free-page list.
//
// May assume: the tag was written before (its pages known from the file or from the last
// write-back); the key list's changed blocks, reshapes and released pages say what changed.
// Must leave true: the pages written, with those untouched, form the tag's tree exactly as
// a whole rebuild would hold its keys (siblings linked, each interior key the highest of
// its child, one root marked); pages given up are not taken again by the same write-back;
// afterwards the tag's blocks are clean.
// Known limit: interior pages are split when they overflow and given up when empty, but
// never merged with a neighbour (a tag that shrinks much keeps sparse pages until a
// rebuild, dbftool repair).
#include "data/engine/cdx_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace lysora::engine {

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

// The entries of block b, for encoding.
void BlockEntries(const KeyList& keys, std::size_t b, std::vector<Entry>& entries) {
    entries.clear();
    for (std::size_t i = 0; i < keys.BlockSize(b); ++i) entries.push_back({keys.Key({b, i}), keys.Rec({b, i})});
}

void AddPage(std::vector<PageWrite>& writes, std::uint32_t at, const unsigned char* page) {
    writes.push_back({at, std::string(reinterpret_cast<const char*>(page), kPage)});
}

// A changed block that no longer fits its page goes on in new ones: split in halves, so
// that keys arriving anywhere leave pages half full at least rather than a full page
// beside a run of nearly empty ones; the last block (appends in key order) and a
// block far too big are cut where the page is full. From the highest index down, so
// that a split moves none of the blocks still to look at.
void SplitOverfullBlocks(KeyList& keys, int keyLen, const LeafLayout& layout) {
    std::vector<Entry> entries;
    unsigned char page[kPage];
    std::vector<std::size_t> changed = keys.ChangedBlocks();
    std::sort(changed.rbegin(), changed.rend());
    for (std::size_t b : changed)
        for (std::size_t cur = b; cur < keys.BlockCount(); ++cur) {
            BlockEntries(keys, cur, entries);
            std::memset(page, 0, kPage);
            std::size_t fit = EncodeLeaf(page, entries.data(), entries.size(), keyLen, layout, kNoPage, kNoPage, false);
            if (fit == entries.size()) break;
            const bool cutFull = cur + 1 == keys.BlockCount() || entries.size() > 2 * fit;
            keys.SplitBlock(cur, cutFull ? fit : entries.size() / 2);
        }
}

// The interior levels over the blocks as they now are: the lowest level follows the
// blocks inserted and removed, in their order, and is fixed up from there; laid out
// afresh when it cannot follow them (or there were none).
void PlaceInteriorLevels(CdxTag& tag, std::size_t perPage, PageSpace& space) {
    KeyList& keys = tag.keys;
    Levels& levels = tag.pages.levels;
    const std::size_t n = keys.BlockCount();
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
    if (n > 0 && tag.pages.emptyRoot) space.Give(tag.pages.root);
    if (n <= 1)
        BuildLevels(levels, 0, perPage, space);
    else if (levels.empty() || recount)
        BuildLevels(levels, n, perPage, space);
    else
        Rebalance(levels, perPage, space);
}

// The changed blocks (their neighbours are among them when links changed), each on its
// page, a new one when it had none; returns them in order.
std::vector<std::size_t> WriteChangedLeaves(KeyList& keys, int keyLen, const LeafLayout& layout, PageSpace& space,
                                            std::vector<PageWrite>& writes) {
    const std::size_t n = keys.BlockCount();
    std::vector<std::size_t> changed = keys.ChangedBlocks();
    std::sort(changed.begin(), changed.end());
    for (std::size_t b : changed)
        if (keys.BlockLeaf(b).page == 0) keys.BlockLeaf(b).page = space.Take();
    std::vector<Entry> entries;
    unsigned char page[kPage];
    for (std::size_t b : changed) {
        KeyList::Leaf& leaf = keys.BlockLeaf(b);
        leaf.left = b == 0 ? kNoPage : keys.BlockLeaf(b - 1).page;
        leaf.right = b + 1 == n ? kNoPage : keys.BlockLeaf(b + 1).page;
        leaf.root = n == 1;
        BlockEntries(keys, b, entries);
        std::memset(page, 0, kPage);
        [[maybe_unused]] std::size_t fit =
            EncodeLeaf(page, entries.data(), entries.size(), keyLen, layout, leaf.left, leaf.right, leaf.root);
        assert(fit == entries.size());
        AddPage(writes, leaf.page, page);
        writes.back().old = std::move(leaf.bytes);
        leaf.bytes = writes.back().bytes;
        leaf.dirty = false;
    }
    return changed;
}

// The children of every interior page, by index: for each level, each page's first child
// (first) and the first leaf below it (firstLeaf).
struct Descent {
    std::vector<std::vector<std::size_t>> first, firstLeaf;
};

Descent Descend(const Levels& levels, [[maybe_unused]] std::size_t leaves) {
    const std::size_t depth = levels.size();
    Descent d{std::vector<std::vector<std::size_t>>(depth), std::vector<std::vector<std::size_t>>(depth)};
    for (std::size_t lv = depth; lv-- > 0;) {
        std::size_t at = 0;
        for (const InteriorPage& p : levels[lv]) {
            d.first[lv].push_back(at);
            d.firstLeaf[lv].push_back(lv + 1 == depth ? at : d.firstLeaf[lv + 1][at]);
            at += p.children;
        }
        assert(at == (lv + 1 == depth ? leaves : levels[lv + 1].size()));
    }
    return d;
}

// Interior page j of level lv encoded from its children: each child's page and the last
// entry of the last leaf below it.
void EncodeInteriorPage(const CdxTag& tag, const Descent& d, std::size_t lv, std::size_t j, unsigned char* page) {
    const KeyList& keys = tag.keys;
    const Levels& levels = tag.pages.levels;
    const std::size_t n = keys.BlockCount();
    const bool lowest = lv + 1 == levels.size();
    std::vector<Child> children;
    for (std::size_t k = 0; k < levels[lv][j].children; ++k) {
        const std::size_t c = d.first[lv][j] + k;
        const std::size_t lastLeaf = lowest ? c : (c + 1 < levels[lv + 1].size() ? d.firstLeaf[lv + 1][c + 1] : n) - 1;
        const KeyList::Pos last{lastLeaf, keys.BlockSize(lastLeaf) - 1};
        children.push_back({lowest ? keys.BlockLeaf(c).page : levels[lv + 1][c].page, {keys.Key(last), keys.Rec(last)}});
    }
    std::memset(page, 0, kPage);
    EncodeInterior(page, children.data(), children.size(), tag.keyLen, j == 0 ? kNoPage : levels[lv][j - 1].page,
                   j + 1 == levels[lv].size() ? kNoPage : levels[lv][j + 1].page, lv == 0);
}

// Interior pages above the changed leaves and pages, up to the root: encoded again and
// written when their bytes differ.
void WriteInteriorPages(CdxTag& tag, const std::vector<std::size_t>& changed, std::vector<PageWrite>& writes) {
    Levels& levels = tag.pages.levels;
    if (levels.empty()) return;
    const std::size_t depth = levels.size();
    for (std::size_t b : changed) levels[depth - 1][Holder(levels[depth - 1], b)].dirty = true;
    for (std::size_t lv = depth - 1; lv > 0; --lv)
        for (std::size_t j = 0; j < levels[lv].size(); ++j)
            if (levels[lv][j].dirty) levels[lv - 1][Holder(levels[lv - 1], j)].dirty = true;
    const Descent d = Descend(levels, tag.keys.BlockCount());
    unsigned char page[kPage];
    for (std::size_t lv = 0; lv < depth; ++lv)
        for (std::size_t j = 0; j < levels[lv].size(); ++j) {
            InteriorPage& node = levels[lv][j];
            if (!node.dirty) continue;
            EncodeInteriorPage(tag, d, lv, j, page);
            if (node.bytes.size() != kPage || std::memcmp(node.bytes.data(), page, kPage) != 0) {
                AddPage(writes, node.page, page);
                writes.back().old = std::move(node.bytes);
                node.bytes = writes.back().bytes;
            }
            node.dirty = false;
        }
}

// The root: an empty leaf for a tag whose condition now admits no record, the one leaf,
// or the top interior page; its offset written into the tag header when it moved.
void PlaceRoot(CdxTag& tag, const LeafLayout& layout, PageSpace& space, std::vector<PageWrite>& writes) {
    TagPages& pages = tag.pages;
    const std::size_t n = tag.keys.BlockCount();
    std::uint32_t root = 0;
    if (n == 0 && !pages.emptyRoot) {
        unsigned char page[kPage] = {};
        root = space.Take();
        EncodeLeaf(page, nullptr, 0, tag.keyLen, layout, kNoPage, kNoPage, true);
        AddPage(writes, root, page);
    }
    if (n == 0 && pages.emptyRoot) root = pages.root;
    if (n == 1) root = tag.keys.BlockLeaf(0).page;
    if (n > 1) root = pages.levels[0][0].page;
    pages.emptyRoot = n == 0;
    if (root != pages.root) {
        unsigned char at[4];
        PutLe32(at, root);
        writes.push_back({pages.header, std::string(reinterpret_cast<const char*>(at), 4)});
        pages.root = root;
    }
}

} // namespace

void UpdateTagPages(CdxTag& tag, std::uint32_t maxRec, PageSpace& space, std::vector<PageWrite>& writes) {
    const LeafLayout layout = LayoutFor(tag.keyLen, maxRec);
    SplitOverfullBlocks(tag.keys, tag.keyLen, layout);
    PlaceInteriorLevels(tag, PerInteriorPage(tag.keyLen), space);
    const std::vector<std::size_t> changed = WriteChangedLeaves(tag.keys, tag.keyLen, layout, space, writes);
    WriteInteriorPages(tag, changed, writes);
    PlaceRoot(tag, layout, space, writes);
    tag.keys.ForgetChanges();
}

} // namespace lysora::engine
