// The record pointer: going to a record, the top or the bottom, skipping and seeking along
// the physical order or the controlling tag within its scopes; reading the current record.
//
// May assume: records and tags in memory agree (every change keeps them in step), and a
// shared area is made current (Refresh) before each movement.
// Must leave true: the pointer is a live record inside the table and inside the scopes,
// or end of file (Recno() = count + 1); deleted records are passed over; a remembered
// position in a tag is used only while order, record and key list version are unchanged.
#include "data/engine/table_internal.h"

#include <cstring>

namespace lysora::engine {

bool Table::Deleted() const { return !eof_ && recno_ >= 1 && recno_ <= header_.records && IsDeleted(recno_); }

bool Table::InScope(const KeyList& keys, KeyList::Pos p) const {
    if (keys.IsEnd(p)) return false;
    const char* k = keys.Key(p);
    if (scope_[0] && ComparePrefix(k, keys.KeyLength(), *scope_[0]) < 0) return false;
    if (scope_[1] && ComparePrefix(k, keys.KeyLength(), *scope_[1]) > 0) return false;
    return true;
}

void Table::SetPos(const KeyList& keys, KeyList::Pos p) {
    if (!InScope(keys, p)) {
        eof_ = true;
        recno_ = header_.records + 1;
        return;
    }
    eof_ = false;
    recno_ = keys.Rec(p);
    where_ = {order_, keys.Version(), recno_, p};
}

KeyList::Pos Table::SkipDeletedForward(const KeyList& keys, KeyList::Pos p) const {
    while (!keys.IsEnd(p) && IsDeleted(keys.Rec(p))) p = keys.Next(p);
    return p;
}

KeyList::Pos Table::SkipDeletedBackward(const KeyList& keys, KeyList::Pos p) const {
    while (!keys.IsEnd(p) && IsDeleted(keys.Rec(p))) p = keys.Prev(p);
    return p;
}

// Where the current record stands in the controlling tag; when it is not in the tag (its
// FOR condition excludes it) the entry that would follow it.
KeyList::Pos Table::CurrentPos() const {
    const Tag& tag = tags_[std::size_t(order_ - 1)];
    if (where_.order == order_ && where_.recno == recno_ && where_.version == tag.cdx.keys.Version())
        return where_.pos;
    std::string key;
    const bool inTag = KeyOf(tag, Record(recno_), key);
    if (!inTag) {
        key.resize(std::size_t(tag.keyExpr.Length()));
        tag.keyExpr.Eval(Record(recno_), key.data());
    }
    KeyList::Pos p = tag.cdx.keys.Find(key.data(), recno_);
    if (!tag.cdx.keys.IsEnd(p)) return p;
    p = tag.cdx.keys.LowerBound(key);
    while (!tag.cdx.keys.IsEnd(p) && std::memcmp(tag.cdx.keys.Key(p), key.data(), key.size()) == 0 &&
           tag.cdx.keys.Rec(p) < recno_)
        p = tag.cdx.keys.Next(p);
    return p;
}

bool Table::GoTo(std::uint32_t recno) {
    if (!Refresh()) return false;
    bof_ = false;
    if (recno < 1 || recno > header_.records) {
        eof_ = true;
        recno_ = header_.records + 1;
        return true;
    }
    eof_ = false;
    recno_ = recno;
    return true;
}

bool Table::GoTop() {
    if (!Refresh()) return false;
    bof_ = false;
    if (order_ == 0) {
        std::uint32_t r = 1;
        while (r <= header_.records && IsDeleted(r)) ++r;
        eof_ = r > header_.records;
        recno_ = r;
        bof_ = eof_;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = scope_[0] ? keys.LowerBound(*scope_[0]) : keys.Begin();
    SetPos(keys, SkipDeletedForward(keys, p));
    bof_ = eof_;
    return true;
}

bool Table::GoBottom() {
    if (!Refresh()) return false;
    bof_ = false;
    if (order_ == 0) {
        std::uint32_t r = header_.records;
        while (r >= 1 && IsDeleted(r)) --r;
        eof_ = r == 0;
        recno_ = eof_ ? header_.records + 1 : r;
        bof_ = eof_;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = scope_[1] ? keys.Prev(keys.UpperBound(*scope_[1])) : keys.Last();
    SetPos(keys, SkipDeletedBackward(keys, p));
    bof_ = eof_;
    return true;
}

bool Table::Skip(long count) {
    if (!Refresh()) return false;
    if (count == 0) return true;
    if (eof_ && count > 0) return true;
    if (eof_) { // backwards from the end: the last record first
        GoBottom();
        if (eof_) return true;
        ++count;
    }
    bof_ = false;
    if (recno_ < 1 || recno_ > header_.records) return GoTop();
    if (order_ == 0) {
        std::uint32_t r = recno_;
        for (; count > 0; --count) {
            do ++r; while (r <= header_.records && IsDeleted(r));
            if (r > header_.records) {
                eof_ = true;
                recno_ = header_.records + 1;
                return true;
            }
        }
        for (; count < 0; ++count) {
            std::uint32_t back = r;
            do --back; while (back >= 1 && IsDeleted(back));
            if (back < 1) {
                GoTop();
                bof_ = true;
                return true;
            }
            r = back;
        }
        recno_ = r;
        return true;
    }
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p = CurrentPos();
    const bool inTag = !keys.IsEnd(p) && keys.Rec(p) == recno_;
    if (count > 0 && !inTag) { // p already is the entry after the record
        p = SkipDeletedForward(keys, p);
        --count;
    }
    for (; count > 0; --count) p = SkipDeletedForward(keys, keys.Next(p));
    for (; count < 0; ++count) {
        KeyList::Pos back = SkipDeletedBackward(keys, keys.Prev(p));
        if (!InScope(keys, back)) {
            GoTop();
            bof_ = true;
            return true;
        }
        p = back;
    }
    SetPos(keys, p);
    return true;
}

bool Table::Seek(std::string_view key, bool soft, bool last) {
    if (!Refresh()) return false;
    if (order_ == 0) return Fail("seek needs an order");
    error_.clear(); // a key not found is no failure
    bof_ = false;
    const KeyList& keys = tags_[std::size_t(order_ - 1)].cdx.keys;
    KeyList::Pos p;
    if (last) {
        p = SkipDeletedBackward(keys, keys.Prev(keys.UpperBound(key)));
        if (!keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), key) == 0 && InScope(keys, p)) {
            SetPos(keys, p);
            return true;
        }
    }
    p = keys.LowerBound(key);
    if (scope_[0] && !keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), *scope_[0]) < 0)
        p = keys.LowerBound(*scope_[0]);
    p = SkipDeletedForward(keys, p);
    bool found = !keys.IsEnd(p) && ComparePrefix(keys.Key(p), keys.KeyLength(), key) == 0 && InScope(keys, p);
    if (found || soft) {
        SetPos(keys, p);
        return found;
    }
    eof_ = true;
    recno_ = header_.records + 1;
    return false;
}

bool Table::SetOrder(int order) {
    if (order < 0 || order > int(tags_.size())) return Fail("no order " + std::to_string(order));
    if (order != order_) {
        order_ = order;
        scope_[0].reset();
        scope_[1].reset();
    }
    return true;
}

void Table::SetScope(int which, std::optional<std::string> bound) { scope_[which ? 1 : 0] = std::move(bound); }

// ---- fields ----

Value Table::Get(int pos) {
    if (eof_ || pos < 1 || pos > int(header_.fields.size()) || recno_ > header_.records) return {};
    const Field& f = header_.fields[std::size_t(pos - 1)];
    const char* p = Record(recno_) + f.offset;
    switch (f.type) {
    case 'N':
        return Value(ParseNumber(p, std::size_t(f.len)));
    case 'L':
        return Value(ParseLogical(*p));
    case 'D':
        return Value(Date::FromDtos(std::string_view(p, 8)));
    case 'M': {
        double block = ParseNumber(p, std::size_t(f.len));
        if (block < 1 || !dbt_) return Value(std::string());
        std::string text, error;
        if (block > 4294967295.0) {
            Fail("memo block " + FormatNumber(block, 10, 0) + " outside the memo file");
            return Value(std::string());
        }
        if (auto waiting = memos_.find(std::uint32_t(block)); waiting != memos_.end())
            return Value(waiting->second.substr(0, waiting->second.find('\x1A')));
        if (!ReadMemo(*dbt_, std::uint32_t(block), text, error)) {
            Fail(error);
            return Value(std::string());
        }
        return Value(std::move(text));
    }
    default:
        return Value(std::string(p, std::size_t(f.len)));
    }
}

} // namespace lysora::engine
