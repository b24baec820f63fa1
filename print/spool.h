// What passes between Lysora and PrintRun: the print command line and the pages of the
// spool file. The spool file is the pages' Windows metafiles one after the other, with no
// header of its own; the command line gives each page's size, and a page's offset is the sum
// of the sizes before it.
//
// Both the command line and the file come from outside the print program, so everything
// read is checked: field count and form, a sane page count, sizes that fit in the file, and
// each page a whole metafile before it reaches the system.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// Limits of what a print command line may ask for; far above any document of the program.
// The print dialog counts pages in 16 bits.
inline constexpr int kMaxPrintPages = 65535;
inline constexpr std::uint64_t kMaxPageBytes = 64u << 20;

struct PrintJob {
    std::uint64_t owner = 0; // window handle, re-enabled at the end
    std::string title;
    std::string path;        // the spool file
    bool landscape = false;
    std::vector<std::uint64_t> offsets, sizes;
    int PageCount() const { return int(sizes.size()); }
};

// "PrintRun.exe ;owner;title;path;O|N;count;size1;...". A ";" in the title becomes ",",
// so that it cannot shift the fields.
std::string PrintCommandLine(std::uint64_t owner, std::string_view title, std::string_view path, bool landscape,
                             const std::vector<std::uint64_t>& sizes);

struct ParsedCommandLine {
    enum Status { kNoJob, kOk, kBad } status = kNoJob;
    PrintJob job;
    std::string error; // kBad: what is wrong, for the message box
};

// Reads a command line as PrintCommandLine writes it (the program name, quoted or not, up to
// the first ";"). No ";" at all: kNoJob (started by hand).
ParsedCommandLine ParsePrintCommandLine(std::string_view line);

// True when bytes hold exactly one Windows metafile (memory or disk type): its header, a
// chain of records each inside the data, ending with the end record at the last byte.
bool IsWholeMetafile(const unsigned char* bytes, std::size_t size);

// Why bytes are not a page as Lysora writes it; empty when they are one. A page is one whole
// metafile made only of the records the page drawer writes (fonts, pens, brushes, text,
// lines, rectangles, the pictures of turned labels, object selection), each with its
// parameters, texts and pictures inside the record and its objects inside the page's object
// table. Anything else (another record type, a count or a picture running past its record)
// is refused before the page reaches the system: playing it could read outside the page.
std::string SpoolPageFault(const unsigned char* bytes, std::size_t size);

// Size of a file in bytes, -1 when it cannot be told.
long long FileSize(std::FILE* file);

// Reads one page (offset, size) from file; false unless all its bytes were read.
bool ReadSpoolPage(std::FILE* file, std::uint64_t offset, std::uint64_t size, std::vector<unsigned char>& bytes);

} // namespace lysora
