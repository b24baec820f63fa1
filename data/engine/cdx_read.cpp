// Reading a compound index file into tags: their headers, every page of their trees, and
// the file's free-page list.
//
// May assume: nothing about the file's bytes (a torn write, a hostile or truncated file).
// Must leave true: every page offset, count and length is checked before it is used;
// pages outside the file or visited twice, keys out of order and the marks of a torn
// write make the read fail with an error text; what a successful read gives is a key
// list per tag, in order, with each block knowing the leaf page it came from.
// Known limit: tags are ascending and non-unique; others are refused.
#include "data/engine/cdx_internal.h"

#include "data/engine/bytes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

namespace lysora::engine {
namespace {

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

// The walk down one tag's tree (ReadTree): the pages met so far, the page in hand, and the
// last entry read, which the next must follow in order.
class TreeWalk {
public:
    TreeWalk(File& file, const TagHeader& h, std::string& error) : file_(file), h_(h), error_(error), size_(file.Size()) {}
    const unsigned char* Page() const { return page_; }
    const std::set<std::uint32_t>& Seen() const { return seen_; }

    // Reads the page at `at` into the hand: inside the file, past the directory's header,
    // not met before.
    bool Load(std::uint32_t at) {
        if (at % kPage != 0 || std::uint64_t(at) + kPage > size_ || at < 2 * kPage)
            return Fail("index page " + std::to_string(at) + " outside the file");
        if (!seen_.insert(at).second) return Fail("index pages form a loop at " + std::to_string(at));
        if (!file_.Read(at, page_, kPage)) return Fail("index page " + std::to_string(at) + " unreadable");
        return true;
    }

    // The page in hand, i-th of its level at depth, is marked as a root at the top only and
    // is of the same kind (leaf or interior) as the others of its level.
    bool AtItsLevel(std::uint32_t at, int depth, std::size_t i, bool& leaves) {
        const std::uint32_t attributes = Le16(page_);
        if (attributes > 3 || bool(attributes & 1) != (depth == 0))
            return Fail(depth == 0 ? "root page " + std::to_string(at) + " lacks its root mark"
                                   : "index page " + std::to_string(at) + " is marked as a root below the root");
        if (i > 0 && leaves != bool(attributes & 2))
            return Fail("index page " + std::to_string(at) + " is not at its level");
        leaves = attributes & 2;
        return true;
    }

    // The interior page in hand: its children join the level below, and the page is kept
    // in pages (when given).
    bool ReadInterior(std::uint32_t at, int depth, std::vector<std::uint32_t>& below, TagPages* pages) {
        const std::uint32_t count = Le16(page_ + 2);
        if (count == 0) return Fail("empty interior index page " + std::to_string(at));
        if (12 + std::uint64_t(count) * std::uint64_t(h_.keyLen + 8) > kPage)
            return Fail("interior page " + std::to_string(at) + " cannot hold its keys");
        for (std::uint32_t k = 0; k < count; ++k)
            below.push_back(Be32(page_ + 12 + k * std::uint32_t(h_.keyLen + 8) + std::uint32_t(h_.keyLen) + 4));
        if (pages) {
            if (pages->levels.size() <= std::size_t(depth)) pages->levels.resize(std::size_t(depth) + 1);
            pages->levels[std::size_t(depth)].push_back({at, count, std::string(reinterpret_cast<const char*>(page_), kPage), false});
        }
        return true;
    }

    // The leaf in hand, i-th of the bottom level `leaves`, linked to its neighbours there.
    bool LinkedInLevel(const std::vector<std::uint32_t>& leaves, std::size_t i) {
        const std::uint32_t at = leaves[i];
        const std::uint32_t left = Le32(page_ + 4), right = Le32(page_ + 8);
        if (left != (i == 0 ? kNoPage : leaves[i - 1]) || right != (i + 1 == leaves.size() ? kNoPage : leaves[i + 1]))
            return Fail("leaf page " + std::to_string(at) + " is not linked to its neighbours (a torn write?)");
        if (Le16(page_ + 2) == 0 && leaves.size() > 1) return Fail("leaf page " + std::to_string(at) + " has a bad layout");
        return true;
    }

    // The entries of the leaf in hand, each above the one before, given to add(key, rec).
    template <typename Add>
    bool ReadEntries(std::uint32_t at, Add& add) {
        decodedKeys_.clear();
        decodedRecs_.clear();
        if (!DecodeLeaf(page_, at, h_.keyLen, decodedKeys_, decodedRecs_, error_)) return false;
        for (std::size_t e = 0; e < decodedRecs_.size(); ++e) {
            const char* key = decodedKeys_.data() + e * std::size_t(h_.keyLen);
            const std::uint32_t rec = decodedRecs_[e];
            if (!first_) {
                int c = std::memcmp(lastKey_.data(), key, lastKey_.size());
                if (c > 0 || (c == 0 && lastRec_ >= rec)) return Fail("keys out of order in leaf page " + std::to_string(at));
            }
            first_ = false;
            lastKey_.assign(key, std::size_t(h_.keyLen));
            lastRec_ = rec;
            if (!add(key, rec)) return false;
        }
        return true;
    }

private:
    bool Fail(std::string text) {
        error_ = std::move(text);
        return false;
    }
    File& file_;
    const TagHeader& h_;
    std::string& error_;
    const std::uint64_t size_;
    std::set<std::uint32_t> seen_;
    unsigned char page_[kPage];
    bool first_ = true;
    std::string lastKey_, decodedKeys_;
    std::vector<std::uint32_t> decodedRecs_;
    std::uint32_t lastRec_ = 0;
};

// Reads a tag's tree level by level from the root: every interior page (kept in pages),
// then every leaf in order, each checked against its neighbours' links. Calls
// leaf(offset, left, right, root, count, page) before each leaf's entries and add(key, rec)
// for each. The interior pages of a level give the next level's pages in order, down to
// the leaves.
template <typename OnLeaf, typename Add>
bool ReadTree(File& file, const TagHeader& h, TagPages* pages, std::set<std::uint32_t>* used, OnLeaf leaf, Add add,
              std::string& error) {
    TreeWalk walk(file, h, error);
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
            if (!walk.Load(at) || !walk.AtItsLevel(at, depth, i, leaves)) return false;
            if (!leaves) {
                if (!walk.ReadInterior(at, depth, below, pages)) return false;
                continue;
            }
            if (!walk.LinkedInLevel(level, i)) return false;
            const unsigned char* page = walk.Page();
            leaf(at, Le32(page + 4), Le32(page + 8), level.size() == 1, Le16(page + 2), page);
            if (!walk.ReadEntries(at, add)) return false;
        }
        level = std::move(below);
    }
    if (used) used->insert(walk.Seen().begin(), walk.Seen().end());
    return true;
}

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

} // namespace lysora::engine
