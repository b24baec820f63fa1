// Fuzz entry point (see spool_fuzz.h). The input up to the first NUL byte is a command line;
// what follows is a spool file. Every page the command line names is read from that file and
// checked as a metafile: nothing may read outside the data, and whatever is accepted must
// keep its promises (sizes within limits, offsets the running sums of the sizes, a page read
// only when it lies wholly inside the file).
#include "tests/print/fuzz/spool_fuzz.h"

#include "print/spool.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace lysora;
    const auto* text = reinterpret_cast<const char*>(data);
    std::string_view all(text, size);
    const std::size_t split = all.find('\0');
    const std::string_view line = all.substr(0, split);
    const std::string_view file = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);

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
        if (read) {
            IsWholeMetafile(page.data(), page.size());
        }
    }
    std::fclose(spool);
    IsWholeMetafile(data, size);
    return 0;
}
