// The spool files' temporary names, host build: an exclusive create in the temporary folder
// ($TMPDIR or /tmp), then the current folder. Names follow the Windows form prefix + four
// hexadecimal digits + ".tmp".
#include "print/spool_name.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace lysora {

std::string TMPNAME(std::string_view prefix)
{
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string folders[] = {tmpdir && *tmpdir ? tmpdir : "/tmp", "."};
    std::string shortPrefix(prefix.substr(0, 3));
    unsigned start = unsigned(getpid()) * 31u + unsigned(std::time(nullptr));
    for (const std::string& folder : folders) {
        for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
            unsigned unique = (start + attempt) % 0xFFFF + 1; // 1..FFFF, as Windows numbers them
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%04X.tmp", unique);
            std::string name = folder + "/" + shortPrefix + suffix;
            int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd >= 0) {
                close(fd);
                return name;
            }
            if (errno != EEXIST)
                break; // folder missing or not writable: try the next one
        }
    }
    return {};
}

} // namespace lysora
