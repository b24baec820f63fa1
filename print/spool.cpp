// Print command line and spool pages (see spool.h).
#include "print/spool.h"

#include <charconv>

namespace lysora {
namespace {

// The next field of line up to ";" (or the end); line keeps what follows the ";".
std::string_view NextField(std::string_view& line)
{
    std::size_t end = line.find(';');
    std::string_view field = line.substr(0, end);
    line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
    return field;
}

// A decimal number of digits only (no sign, no blank), within max.
bool ReadNumber(std::string_view text, std::uint64_t max, std::uint64_t& number)
{
    if (text.empty() || text.size() > 20)
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && number <= max;
}

std::uint32_t Word32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t Word16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }

} // namespace

std::string PrintCommandLine(std::uint64_t owner, std::string_view title, std::string_view path, bool landscape,
                             const std::vector<std::uint64_t>& sizes)
{
    std::string safeTitle(title);
    for (char& c : safeTitle)
        if (c == ';')
            c = ',';
    std::string line = "PrintRun.exe ;" + std::to_string(owner) + ";" + safeTitle + ";" + std::string(path) + ";" +
                       (landscape ? "O" : "N") + ";" + std::to_string(sizes.size());
    for (std::uint64_t size : sizes)
        line += ";" + std::to_string(size);
    return line;
}

ParsedCommandLine ParsePrintCommandLine(std::string_view line)
{
    ParsedCommandLine parsed;
    if (line.find(';') == std::string_view::npos)
        return parsed;
    auto bad = [&](std::string why) {
        parsed.status = ParsedCommandLine::kBad;
        parsed.error = std::move(why);
        parsed.job = {};
        return parsed;
    };
    NextField(line); // the program name
    PrintJob& job = parsed.job;
    if (!ReadNumber(NextField(line), UINT64_MAX, job.owner))
        return bad("fenêtre propriétaire invalide");
    job.title = std::string(NextField(line));
    job.path = std::string(NextField(line));
    if (job.path.empty())
        return bad("fichier d'impression absent");
    job.landscape = NextField(line) == "O";
    std::uint64_t count = 0;
    if (!ReadNumber(NextField(line), kMaxPrintPages, count) || count == 0)
        return bad("nombre de pages invalide");
    std::uint64_t offset = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t size = 0;
        if (line.empty())
            return bad("tailles de page manquantes");
        if (!ReadNumber(NextField(line), kMaxPageBytes, size) || size == 0)
            return bad("taille de page invalide");
        job.offsets.push_back(offset);
        job.sizes.push_back(size);
        offset += size;
    }
    if (!line.empty())
        return bad("champs en trop");
    parsed.status = ParsedCommandLine::kOk;
    return parsed;
}

bool IsWholeMetafile(const unsigned char* bytes, std::size_t size)
{
    // Header: type (1 memory, 2 disk), header size 9 words, version, size in words,
    // object count, largest record, unused.
    constexpr std::size_t kHeader = 18;
    if (!bytes || size < kHeader + 6 || size % 2 != 0)
        return false;
    const std::uint16_t type = Word16(bytes), headerWords = Word16(bytes + 2), version = Word16(bytes + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return false;
    if (std::uint64_t(Word32(bytes + 6)) * 2 != size)
        return false;
    // Records: size in words (at least 3: size and function), then the function number.
    std::size_t at = kHeader;
    while (at + 6 <= size) {
        const std::uint64_t recordBytes = std::uint64_t(Word32(bytes + at)) * 2;
        const std::uint16_t function = Word16(bytes + at + 4);
        if (recordBytes < 6 || recordBytes > size - at)
            return false;
        at += std::size_t(recordBytes);
        if (function == 0)
            return recordBytes == 6 && at == size;
    }
    return false;
}

namespace {

// The metafile records the page drawer writes, by function number.
enum : std::uint16_t {
    kSetTextAlign = 0x012E,
    kSelectObject = 0x012D,
    kDeleteObject = 0x01F0,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePen = 0x02FA,
    kCreateFont = 0x02FB,
    kCreateBrush = 0x02FC,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
};

// Largest picture side a page may hold (pixels): far above the labels' 50 x 350.
constexpr std::int64_t kMaxPictureSide = 4096;

std::int16_t Signed16(const unsigned char* p) { return std::int16_t(Word16(p)); }

// One record: its parameter words and what the page's header allows.
struct Record {
    const unsigned char* params;
    std::size_t words; // parameter words
    std::uint16_t objects; // size of the page's object table
    std::uint16_t Word(std::size_t i) const { return Word16(params + 2 * i); }
    std::int16_t Int(std::size_t i) const { return Signed16(params + 2 * i); }
};

// Why the device-independent picture at info (bytes available) cannot be played from its
// source rectangle; null when it can. Only uncompressed pictures.
const char* PictureFault(const unsigned char* info, std::size_t bytes, int srcX, int srcY, int srcW, int srcH)
{
    constexpr std::size_t kInfoHeader = 40;
    if (bytes < kInfoHeader || Word32(info) != kInfoHeader)
        return "en-tête d'image invalide";
    const std::int64_t width = std::int32_t(Word32(info + 4));
    const std::int64_t height = std::int32_t(Word32(info + 8));
    const std::int64_t rows = height < 0 ? -height : height;
    const unsigned planes = Word16(info + 12), bits = Word16(info + 14);
    const std::uint32_t compression = Word32(info + 16), used = Word32(info + 32);
    if (width < 1 || rows < 1 || width > kMaxPictureSide || rows > kMaxPictureSide)
        return "taille d'image invalide";
    if (planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        compression != 0)
        return "format d'image non pris en charge";
    std::uint64_t colours = used;
    if (bits <= 8) {
        if (used > (1u << bits))
            return "table de couleurs invalide";
        if (used == 0)
            colours = 1u << bits;
    } else if (used > 256) {
        return "table de couleurs invalide";
    }
    const std::uint64_t stride = std::uint64_t((width * bits + 31) / 32) * 4;
    if (kInfoHeader + colours * 4 + stride * std::uint64_t(rows) > bytes)
        return "image plus grande que son enregistrement";
    if (srcX < 0 || srcY < 0 || srcW < 1 || srcH < 1 || srcX + srcW > width || srcY + srcH > rows)
        return "rectangle source hors de l'image";
    return nullptr;
}

// Why a record cannot be played; null when it can.
const char* RecordFault(std::uint16_t function, const Record& r)
{
    auto atLeast = [&](std::size_t words) { return r.words >= words ? nullptr : "paramètres manquants"; };
    auto textWords = [](std::size_t count) { return (count + 1) / 2; };
    switch (function) {
    case kSetTextAlign: return atLeast(1);
    case kLineTo:
    case kMoveTo: return atLeast(2);
    case kRectangle:
    case kCreateBrush: return atLeast(4);
    case kCreatePen: return atLeast(5);
    case kSelectObject:
    case kDeleteObject:
        if (r.words < 1)
            return "paramètres manquants";
        return r.Word(0) < r.objects ? nullptr : "objet hors de la table des objets";
    case kCreateFont: {
        // The font's fixed part (18 bytes), then its face name, ended inside the record.
        constexpr std::size_t kFixed = 18;
        if (r.words * 2 < kFixed + 1)
            return "paramètres manquants";
        for (std::size_t i = kFixed; i < r.words * 2; ++i)
            if (r.params[i] == 0)
                return nullptr;
        return "nom de police sans fin";
    }
    case kTextOut:
        // Count, the text (padded to a word), y, x.
        if (r.words < 1)
            return "paramètres manquants";
        return 1 + textWords(r.Word(0)) + 2 <= r.words ? nullptr : "texte plus long que son enregistrement";
    case kExtTextOut: {
        // y, x, count, options, the clipping rectangle when the options name one, the text.
        if (r.words < 4)
            return "paramètres manquants";
        constexpr std::uint16_t kOpaque = 2, kClipped = 4;
        const std::size_t rect = (r.Word(3) & (kOpaque | kClipped)) ? 4 : 0;
        return 4 + rect + textWords(r.Word(2)) <= r.words ? nullptr : "texte plus long que son enregistrement";
    }
    case kDibStretchBlt:
        // Raster operation (2 words), source height, width, y, x, destination height, width,
        // y, x; then the picture.
        if (r.words < 10)
            return "paramètres manquants";
        return PictureFault(r.params + 20, (r.words - 10) * 2, r.Int(5), r.Int(4), r.Int(3), r.Int(2));
    default: return "type d'enregistrement inattendu";
    }
}

std::string Hex4(std::uint16_t value)
{
    const char* digits = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += digits[(value >> shift) & 0xF];
    return text;
}

} // namespace

std::string SpoolPageFault(const unsigned char* bytes, std::size_t size)
{
    if (!IsWholeMetafile(bytes, size))
        return "pas un métafichier entier";
    // The page drawer records memory metafiles of the current version; the system plays no
    // other in memory.
    if (Word16(bytes) != 1 || Word16(bytes + 4) != 0x0300)
        return "en-tête de métafichier inattendu";
    const std::uint16_t objects = Word16(bytes + 10);
    const std::uint64_t largest = Word32(bytes + 12);
    std::size_t at = 18, number = 1;
    for (;; ++number) {
        const std::uint64_t words = Word32(bytes + at);
        const std::uint16_t function = Word16(bytes + at + 4);
        if (function == 0)
            return std::string();
        const char* fault = words > largest ? "plus grand que le plus grand enregistrement annoncé"
                                            : RecordFault(function, {bytes + at + 6, std::size_t(words) - 3, objects});
        if (fault)
            return "enregistrement " + std::to_string(number) + " (fonction " + Hex4(function) + ") : " + fault;
        at += std::size_t(words) * 2;
    }
}

long long FileSize(std::FILE* file)
{
    if (!file || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = std::ftell(file);
    return size < 0 ? -1 : size;
}

bool ReadSpoolPage(std::FILE* file, std::uint64_t offset, std::uint64_t size, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    const long long fileSize = FileSize(file);
    if (fileSize < 0 || size == 0 || size > kMaxPageBytes || offset > std::uint64_t(fileSize) ||
        size > std::uint64_t(fileSize) - offset)
        return false;
    bytes.resize(std::size_t(size));
    if (std::fseek(file, long(offset), SEEK_SET) != 0 || std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace lysora
