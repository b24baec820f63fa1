// Table and memo file formats (described in dbf_format.h): header reading with every count
// checked, header writing, number and logical text forms, dBASE III memo blocks.
#include "data/engine/dbf_format.h"

#include "data/engine/bytes.h"

#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace lysora::engine {
namespace {

bool KnownVersion(std::uint8_t v) {
    switch (v) {
    case 0x03: case 0x83: case 0x30: case 0x31: case 0xF5: case 0x8B: case 0x04: case 0x8C:
        return true;
    default:
        return false;
    }
}

void PutPrefix(unsigned char* p, const DbfHeader& h) {
    std::memset(p, 0, kDbfPrefix);
    p[0] = h.version;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    tm = *std::localtime(&now);
#else
    localtime_r(&now, &tm);
#endif
    p[1] = (unsigned char)(tm.tm_year % 256);
    p[2] = (unsigned char)(tm.tm_mon + 1);
    p[3] = (unsigned char)tm.tm_mday;
    PutLe32(p + 4, h.records);
    PutLe16(p + 8, h.headerLength);
    PutLe16(p + 10, h.recordLength);
    PutLe32(p + 16, h.changeCounter);
    p[28] = h.flags;
    p[29] = h.codePage;
}

// The field descriptors in desc (the header after its prefix), up to the terminator, each
// checked and placed after the one before; offset ends past the last field.
bool ReadFields(const std::string& desc, DbfHeader& h, std::uint32_t& offset, std::string& error) {
    for (std::size_t at = 0;; at += 32) {
        if (at >= desc.size()) {
            error = "field list has no terminator";
            return false;
        }
        if (desc[at] == '\x0D') return true;
        if (at + 32 > desc.size()) {
            error = "field descriptor cut short";
            return false;
        }
        auto* d = reinterpret_cast<const unsigned char*>(desc.data() + at);
        Field f;
        std::size_t n = 0;
        while (n < 11 && d[n] != 0) ++n;
        f.name.assign(reinterpret_cast<const char*>(d), n);
        while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
        for (char& c : f.name) c = char(std::toupper((unsigned char)c));
        f.type = char(std::toupper(d[11]));
        if (f.type == 'F') f.type = 'N';
        f.len = d[16];
        f.dec = d[17];
        if (f.type == 'C') { // FoxPro keeps widths above 255 in the decimals byte
            f.len += 256 * f.dec;
            f.dec = 0;
        }
        std::string bad = CheckFieldSpec(f.name, f.type, f.len, f.dec);
        if (!bad.empty()) {
            error = "field " + std::to_string(h.fields.size() + 1) + ": " + bad;
            return false;
        }
        f.offset = int(offset);
        offset += std::uint32_t(f.len);
        if (offset > kMaxRecordLength) {
            error = "fields longer than a record can be";
            return false;
        }
        h.fields.push_back(f);
    }
}

} // namespace

bool ReadDbfHeader(File& file, DbfHeader& h, std::string& error, bool cutCount) {
    std::uint64_t size = file.Size();
    unsigned char p[kDbfPrefix];
    if (size < kDbfPrefix + 1 || !file.Read(0, p, kDbfPrefix)) {
        error = "table file too short for a header";
        return false;
    }
    h = DbfHeader{};
    h.version = p[0];
    if (!KnownVersion(h.version)) {
        error = "not a dBASE table (version byte " + std::to_string(h.version) + ")";
        return false;
    }
    h.records = Le32(p + 4);
    h.headerLength = Le16(p + 8);
    h.recordLength = Le16(p + 10);
    h.changeCounter = Le32(p + 16);
    h.flags = p[28];
    h.codePage = p[29];
    if (h.headerLength < kDbfPrefix + 1 || h.headerLength > size) {
        error = "table header length out of range";
        return false;
    }
    if (h.recordLength < 2) {
        error = "table record length out of range";
        return false;
    }
    std::string desc(h.headerLength - kDbfPrefix, '\0');
    if (!file.Read(kDbfPrefix, desc.data(), desc.size())) {
        error = "table header cut short";
        return false;
    }
    std::uint32_t offset = 1;
    if (!ReadFields(desc, h, offset, error)) return false;
    if (h.fields.empty()) {
        error = "table has no field";
        return false;
    }
    if (offset != h.recordLength) {
        error = "record length " + std::to_string(h.recordLength) +
                " differs from the sum of the field widths " + std::to_string(offset);
        return false;
    }
    std::uint64_t room = (size - h.headerLength) / h.recordLength;
    if (h.records > room && cutCount) h.records = std::uint32_t(room);
    if (h.records > room) {
        error = "record count " + std::to_string(h.records) + " larger than the file holds (" +
                std::to_string(room) + "); repair it with dbftool repair";
        return false;
    }
    if (h.records > kMaxRecords) {
        error = "record count out of range";
        return false;
    }
    return true;
}

std::string BuildDbfHeader(const DbfHeader& h) {
    assert(h.headerLength == kDbfPrefix + 32 * h.fields.size() + 1);
    std::string bytes(h.headerLength, '\0');
    auto* p = reinterpret_cast<unsigned char*>(bytes.data());
    PutPrefix(p, h);
    for (std::size_t i = 0; i < h.fields.size(); ++i) {
        const Field& f = h.fields[i];
        unsigned char* d = p + kDbfPrefix + 32 * i;
        std::memcpy(d, f.name.data(), std::min<std::size_t>(f.name.size(), 10));
        d[11] = (unsigned char)f.type;
        PutLe32(d + 12, std::uint32_t(f.offset));
        // A text field's width above 255 goes on in the decimals byte.
        d[16] = (unsigned char)(f.len & 0xFF);
        d[17] = (unsigned char)(f.type == 'C' ? f.len >> 8 : f.dec);
    }
    p[h.headerLength - 1] = 0x0D;
    return bytes;
}

std::string DbfPrefix(std::string_view current, const DbfHeader& h) {
    assert(current.size() == kDbfPrefix);
    std::string bytes(current);
    auto* p = reinterpret_cast<unsigned char*>(bytes.data());
    unsigned char fresh[kDbfPrefix];
    PutPrefix(fresh, h);
    // Keep the bytes we do not own (reserved, the other flags) as the file has them.
    std::memcpy(p, fresh, 12);
    std::memcpy(p + 16, fresh + 16, 4);
    p[28] = (unsigned char)((p[28] & ~kStructuralIndexFlag) | (h.flags & kStructuralIndexFlag));
    p[29] = h.codePage;
    return bytes;
}

std::string CheckFieldSpec(const std::string& name, char type, int len, int dec) {
    if (name.empty() || name.size() > 10) return "field name must have 1 to 10 characters";
    if (!std::isalpha((unsigned char)name[0])) return "field name must start with a letter";
    for (char c : name)
        if (!std::isalnum((unsigned char)c) && c != '_') return "bad character in field name " + name;
    switch (type) {
    case 'C':
        // Widths above 255 keep their high byte in the decimals byte (see the header notes).
        if (len < 1 || len > kMaxTextWidth || dec != 0)
            return "text field " + name + ": width 1 to " + std::to_string(kMaxTextWidth);
        break;
    case 'N':
        if (len < 1 || len > 20 || dec < 0 || dec > 15 || (dec > 0 && dec > len - 2))
            return "numeric field " + name + ": bad width or decimals";
        break;
    case 'L':
        if (len != 1 || dec != 0) return "logical field " + name + ": width 1";
        break;
    case 'D':
        if (len != 8 || dec != 0) return "date field " + name + ": width 8";
        break;
    case 'M':
        if (len != 10 || dec != 0) return "memo field " + name + ": width 10";
        break;
    default:
        return "field " + name + ": unknown type";
    }
    return {};
}

double ParseNumber(const char* text, std::size_t len) {
    std::size_t i = 0;
    while (i < len && text[i] == ' ') ++i;
    char buf[64];
    std::size_t n = 0;
    while (i < len && n + 1 < sizeof buf) {
        char c = text[i];
        if (!(std::isdigit((unsigned char)c) || c == '.' || ((c == '-' || c == '+') && n == 0)))
            break;
        buf[n++] = c;
        ++i;
    }
    buf[n] = 0;
    if (n == 0) return 0;
    double v = std::strtod(buf, nullptr);
    return std::isfinite(v) ? v : 0;
}

std::string FormatNumber(double n, int len, int dec) {
    if (len <= 0) return {};
    if (!std::isfinite(n)) return std::string(std::size_t(len), '*');
    char buf[400];
    if (dec == 0 && std::fabs(n) < 1e15) {
        // The common integer case, without printf: round half away from zero.
        long long v = (long long)std::llround(n);
        bool neg = v < 0;
        unsigned long long u = neg ? 0ull - (unsigned long long)v : (unsigned long long)v;
        char* end = buf + sizeof buf;
        char* p = end;
        do {
            *--p = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (neg) *--p = '-';
        std::size_t width = std::size_t(end - p);
        if (width > std::size_t(len)) return std::string(std::size_t(len), '*');
        std::string s(std::size_t(len) - width, ' ');
        s.append(p, width);
        return s;
    }
    if (std::fabs(n) >= 1e300) return std::string(std::size_t(len), '*');
    int w = std::snprintf(buf, sizeof buf, "%*.*f", len, dec, n);
    if (w < 0 || w > len) return std::string(std::size_t(len), '*');
    return std::string(buf, std::size_t(w));
}

bool ParseLogical(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }

std::string NewMemoFileHeader() {
    std::string h(kMemoBlock, '\0');
    h[0] = 1; // next free block
    h[16] = 0x03;
    return h;
}

bool ReadMemo(File& dbt, std::uint32_t block, std::string& text, std::string& error) {
    text.clear();
    std::uint64_t size = dbt.Size();
    std::uint64_t at = std::uint64_t(block) * kMemoBlock;
    if (block == 0 || at >= size) {
        error = "memo block " + std::to_string(block) + " outside the memo file";
        return false;
    }
    char buf[kMemoBlock];
    while (at < size) {
        std::size_t n = std::size_t(std::min<std::uint64_t>(kMemoBlock, size - at));
        if (!dbt.Read(at, buf, n)) {
            error = "memo file unreadable";
            return false;
        }
        const void* end = std::memchr(buf, 0x1A, n);
        std::size_t take = end ? std::size_t(static_cast<const char*>(end) - buf) : n;
        if (text.size() + take > kMaxMemo) {
            error = "memo longer than " + std::to_string(kMaxMemo) + " bytes";
            return false;
        }
        text.append(buf, take);
        if (end) return true;
        at += n;
    }
    return true; // a memo cut by the end of the file keeps what is there
}

bool MemoNextBlock(File& dbt, std::uint32_t& next, std::string& error) {
    unsigned char head[4];
    if (!dbt.Read(0, head, 4)) {
        error = "memo file header unreadable";
        return false;
    }
    std::uint64_t first = Le32(head);
    std::uint64_t end = (dbt.Size() + kMemoBlock - 1) / kMemoBlock;
    if (first < end) first = end; // never write over a memo that is there
    if (first == 0) first = 1;
    if (first > 0xFFFFFFFFull) {
        error = "memo file full";
        return false;
    }
    next = std::uint32_t(first);
    return true;
}

std::string MemoBlocks(std::string_view text) {
    std::string data(text);
    data += "\x1A\x1A";
    data.resize((data.size() + kMemoBlock - 1) / kMemoBlock * kMemoBlock, '\0');
    return data;
}

} // namespace lysora::engine
