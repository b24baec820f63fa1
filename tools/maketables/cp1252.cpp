// UTF-8 decoding and the Windows-1252 code page: 0x00-0x7F and 0xA0-0xFF are the Unicode
// characters of the same number; 0x80-0x9F hold the typographic characters below (five of
// those codes are unassigned).
#include "tools/maketables/cp1252.h"

#include <cstdint>

namespace lysora::tables {
namespace {

constexpr char32_t kHighHalf[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<char> ToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighHalf[i] != 0 && kHighHalf[i] == c)
            return char(0x80 + i);
    return std::nullopt;
}

} // namespace

std::optional<std::string> Utf8ToCp1252(std::string_view utf8)
{
    std::string result;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || utf8.size() - i <= std::size_t(extra))
            return std::nullopt; // not a lead byte, or the sequence is cut short
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        auto byte = ToCp1252(c);
        if (!byte)
            return std::nullopt;
        result += *byte;
        i += std::size_t(extra) + 1;
    }
    return result;
}

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string result;
    for (char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        char32_t c = code < 0x80 || code >= 0xA0 ? code : kHighHalf[code - 0x80];
        if (c == 0 && code != 0)
            c = 0xFFFD;
        if (c < 0x80) {
            result += char(c);
        } else if (c < 0x800) {
            result += char(0xC0 | (c >> 6));
            result += char(0x80 | (c & 0x3F));
        } else {
            result += char(0xE0 | (c >> 12));
            result += char(0x80 | ((c >> 6) & 0x3F));
            result += char(0x80 | (c & 0x3F));
        }
    }
    return result;
}

} // namespace lysora::tables
