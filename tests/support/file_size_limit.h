// Test helper of the host tests: a disk that fills up. While a FileSizeLimit lives, no file
// of this process can grow beyond the given size; a write past it fails (EFBIG) instead of
// ending the process.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace lysora::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ok_ = getrlimit(RLIMIT_FSIZE, &before_) == 0;
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = before_;
        small.rlim_cur = bytes;
        ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Ok() const { return ok_; } // false when the limit could not be set

private:
    struct rlimit before_ {};
    void (*previous_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace lysora::testing
