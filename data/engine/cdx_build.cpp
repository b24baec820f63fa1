// A whole compound index file laid out afresh from tags' key lists (new and rebuilt
// indexes).
//
// May assume: each tag's keys sorted, of its declared length, with record numbers up to
// maxRec; names and expressions checked when the tags were declared.
// Must leave true: the file reads back (ReadCdx) as the same tags with the same keys: the
// directory first, then each tag's header, leaves and interior levels, consecutive pages.
#include "data/engine/cdx_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace lysora::engine {
namespace {

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
                                   offset == firstLeaf ? kNoPage : offset - kPage, kNoPage, false);
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
            EncodeInterior(w.NewPage(), page.data(), page.size(), keyLen, j == 0 ? kNoPage : offset - kPage,
                           j + 1 == lv->size() ? kNoPage : offset + kPage, lv->size() == 1);
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
