// Fuzz entry point (see spool_fuzz.h). The input up to the first NUL byte is a command line;
// what follows is a spool file. Every page the command line names is read from that file and
// checked as PrintRun checks it; the whole file is checked as one page too, so that page
// bytes are reached without a matching command line. Nothing may read outside the data, and
// whatever is accepted must keep its promises (sizes within limits, offsets the running sums
// of the sizes, a page read only when it lies wholly inside the file, an accepted page a
// whole metafile). In the Windows build every accepted page is also made a metafile and
// played on a memory device context, as the printer and the preview play it.
#include "tests/print/fuzz/spool_fuzz.h"

#include "print/spool.h"

#ifdef _WIN32
#include "print/metafile_win32.h"
#include "tests/print/page_picture.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Checks one page; an accepted one is played where the system is at hand.
void CheckAndPlay(const unsigned char* bytes, std::size_t size)
{
    using namespace lysora;
    if (!SpoolPageFault(bytes, size).empty())
        return;
    if (!IsWholeMetafile(bytes, size))
        std::abort();
#ifdef _WIN32
    HMETAFILE metafile = MetafileFromBytes(std::vector<unsigned char>(bytes, bytes + size));
    if (!metafile)
        std::abort();
    testing::PagePicture picture(metafile);
    DeleteMetaFile(metafile);
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace lysora;
    const auto* text = reinterpret_cast<const char*>(data);
    std::string_view all(text, size);
    const std::size_t split = all.find('\0');
    const std::string_view line = all.substr(0, split);
    const std::string_view file = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    CheckAndPlay(reinterpret_cast<const unsigned char*>(file.data()), file.size());

    ParsedCommandLine parsed = ParsePrintCommandLine(line);
    if (parsed.status != ParsedCommandLine::kOk) {
        if (!parsed.job.sizes.empty())
            std::abort();
        return 0;
    }
    const PrintJob& job = parsed.job;
    if (job.PageCount() < 1 || job.PageCount() > kMaxPrintPages || job.offsets.size() != job.sizes.size())
        std::abort();
    std::uint64_t expected = 0;
    for (std::size_t i = 0; i < job.sizes.size(); ++i) {
        if (job.offsets[i] != expected || job.sizes[i] == 0 || job.sizes[i] > kMaxPageBytes)
            std::abort();
        expected += job.sizes[i];
    }

    std::FILE* spool = std::tmpfile();
    if (!spool)
        return 0;
    std::fwrite(file.data(), 1, file.size(), spool);
    std::fflush(spool);
    std::vector<unsigned char> page;
    for (std::size_t i = 0; i < job.sizes.size() && i < 64; ++i) {
        const bool read = ReadSpoolPage(spool, job.offsets[i], job.sizes[i], page);
        if (read != (job.offsets[i] + job.sizes[i] <= file.size()))
            std::abort();
        if (read)
            CheckAndPlay(page.data(), page.size());
    }
    std::fclose(spool);
    return 0;
}
