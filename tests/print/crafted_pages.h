// Test helper: metafile pages written record by record, as a hostile or damaged spool file
// would hold them, and the hostile pages the print path must refuse before they reach the
// system.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace lysora::testing {

struct CraftedPage {
    std::uint16_t objects = 0; // the header's object table size
    // Each record: its function number, then its parameter words.
    std::vector<std::vector<std::uint16_t>> records;

    // The whole metafile: a memory metafile header with the true sizes, the records, the
    // end record.
    std::vector<unsigned char> Bytes() const
    {
        std::vector<std::uint16_t> words = {1, 9, 0x0300, 0, 0, objects, 0, 0, 0};
        std::uint32_t largest = 3;
        for (const std::vector<std::uint16_t>& record : records) {
            const std::uint32_t size = std::uint32_t(2 + record.size()); // the size's two words
            largest = std::max(largest, size);
            words.push_back(std::uint16_t(size));
            words.push_back(std::uint16_t(size >> 16));
            words.insert(words.end(), record.begin(), record.end());
        }
        words.insert(words.end(), {3, 0, 0});
        words[3] = std::uint16_t(words.size());
        words[4] = std::uint16_t(words.size() >> 16);
        words[6] = std::uint16_t(largest);
        words[7] = std::uint16_t(largest >> 16);
        std::vector<unsigned char> bytes;
        for (std::uint16_t w : words) {
            bytes.push_back(std::uint8_t(w));
            bytes.push_back(std::uint8_t(w >> 8));
        }
        return bytes;
    }
};

// A picture header as the picture records carry it: width, height, bits per pixel,
// uncompressed, no colour count (the 40-byte header as ten pairs of words).
inline std::vector<std::uint16_t> PictureHeader(int width, int height, int bits)
{
    return {40, 0, std::uint16_t(width), std::uint16_t(width >> 16), std::uint16_t(height),
            std::uint16_t(height >> 16), 1, std::uint16_t(bits), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

struct HostilePage {
    const char* what;
    CraftedPage page;
    const char* fault; // a part of the reason given for refusing it
};

inline std::vector<HostilePage> HostilePages()
{
    // Picture records claiming 4000 x 4000 pixels of 24 bits with no pixel data: in the
    // form the page drawer writes, and in another; a label's picture one row short.
    std::vector<std::uint16_t> big = {0x0B41, 0x0020, 0x00CC, 4000, 4000, 0, 0, 100, 100, 0, 0};
    std::vector<std::uint16_t> stretchDib = {0x0F43, 0x0020, 0x00CC, 0, 4000, 4000, 0, 0, 100, 100, 0, 0};
    std::vector<std::uint16_t> label = {0x0B41, 0x0020, 0x00CC, 350, 50, 0, 0, 350, 50, 0, 0};
    for (std::uint16_t w : PictureHeader(4000, 4000, 24)) {
        big.push_back(w);
        stretchDib.push_back(w);
    }
    for (std::uint16_t w : PictureHeader(50, 350, 1))
        label.push_back(w);
    label.resize(label.size() + 4 + 349 * 4); // two colours, 349 rows of 8 bytes
    const char* picture = "image plus grande que son enregistrement";
    const char* unexpected = "type d'enregistrement inattendu";
    return {
        {"picture without its pixels", {0, {big}}, picture},
        {"label picture one row short", {0, {label}}, picture},
        {"picture record of another kind", {0, {stretchDib}}, unexpected},
        {"polyline whose count runs past its record", {0, {{0x0325, 1000, 10, 10, 20, 20}}}, unexpected},
        {"text whose count runs past its record", {0, {{0x0A32, 100, 100, 500, 0, 0x6261, 0x6463}}},
         "texte plus long que son enregistrement"},
        {"selection outside the object table", {2, {{0x012D, 40}}}, "objet hors de la table des objets"},
        {"font without the end of its name", {1, {{0x02FB, 35, 0, 0, 0, 0, 0, 0, 0, 0, 0x4141, 0x4141}}},
         "nom de police sans fin"},
    };
}

} // namespace lysora::testing
