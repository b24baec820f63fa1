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

namespace lysora::testing {
namespace {

// Checks one page; an accepted one is played where the system is at hand.
void CheckAndPlay(const unsigned char* bytes, std::size_t size, SpoolInputCheck& check)
{
    if (!SpoolPageFault(bytes, size).empty())
        return;
    if (!IsWholeMetafile(bytes, size)) {
        check.broken = "an accepted page is not a whole metafile";
        return;
    }
#ifdef _WIN32
    HMETAFILE metafile = MetafileFromBytes(std::vector<unsigned char>(bytes, bytes + size));
    if (!metafile) {
        check.broken = "an accepted page does not make a metafile";
        return;
    }
    PagePicture picture(metafile);
    DeleteMetaFile(metafile);
#endif
    ++check.pagesAccepted;
}

// The promises of an accepted command line: a page count within limits, each page's
// offset the running sum of the sizes before it, no empty or oversized page.
std::string JobFault(const PrintJob& job)
{
    if (job.PageCount() < 1 || job.PageCount() > kMaxPrintPages || job.offsets.size() != job.sizes.size())
        return "an accepted line has a page count out of bounds";
    std::uint64_t expected = 0;
    for (std::size_t i = 0; i < job.sizes.size(); ++i) {
        if (job.offsets[i] != expected || job.sizes[i] == 0 || job.sizes[i] > kMaxPageBytes)
            return "an accepted line has a page outside its running offsets or size limits";
        expected += job.sizes[i];
    }
    return {};
}

} // namespace

SpoolInputCheck CheckSpoolInput(const std::uint8_t* data, std::size_t size)
{
    SpoolInputCheck check;
    const auto* text = reinterpret_cast<const char*>(data);
    std::string_view all(text, size);
    const std::size_t split = all.find('\0');
    const std::string_view line = all.substr(0, split);
    const std::string_view file = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    CheckAndPlay(reinterpret_cast<const unsigned char*>(file.data()), file.size(), check);

    ParsedCommandLine parsed = ParsePrintCommandLine(line);
    if (parsed.status != ParsedCommandLine::kOk) {
        if (!parsed.job.sizes.empty())
            check.broken = "a refused line still lists pages";
        return check;
    }
    const PrintJob& job = parsed.job;
    if (std::string fault = JobFault(job); !fault.empty()) {
        check.broken = fault;
        return check;
    }

    std::FILE* spool = std::tmpfile();
    if (!spool)
        return check;
    std::fwrite(file.data(), 1, file.size(), spool);
    std::fflush(spool);
    std::vector<unsigned char> page;
    for (std::size_t i = 0; i < job.sizes.size() && i < 64 && check.broken.empty(); ++i) {
        const bool read = ReadSpoolPage(spool, job.offsets[i], job.sizes[i], page);
        if (read != (job.offsets[i] + job.sizes[i] <= file.size())) {
            check.broken = "a page was read that is not wholly inside the file, or the reverse";
            break;
        }
        if (read) {
            ++check.pagesRead;
            CheckAndPlay(page.data(), page.size(), check);
        }
    }
    std::fclose(spool);
    return check;
}

} // namespace lysora::testing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!lysora::testing::CheckSpoolInput(data, size).broken.empty())
        std::abort();
    return 0;
}
