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
