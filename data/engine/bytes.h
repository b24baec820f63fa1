// Integers in the engine's file formats: little-endian in tables, memo files and most of
// the index, big-endian where the index format says so (interior entries, the change stamp).
#pragma once

#include <cstdint>

namespace lysora::engine {

inline std::uint32_t Le16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
inline std::uint32_t Le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint32_t Be32(const unsigned char* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[0]) << 24;
}
inline void PutLe16(unsigned char* p, std::uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
inline void PutLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(v >> (8 * i));
}
inline void PutBe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[3 - i] = (unsigned char)(v >> (8 * i));
}

} // namespace lysora::engine
