// File access for POSIX systems: pread/pwrite, fdatasync, and fcntl record locks
// (F_SETLK / F_SETLKW), which other processes' locks exclude.
#include "data/engine/file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lysora::engine {
namespace {

class PosixFile final : public File {
public:
    PosixFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
    ~PosixFile() override { ::close(fd_); }

    bool Read(std::uint64_t offset, void* buffer, std::size_t n) override {
        auto* p = static_cast<char*>(buffer);
        while (n > 0) {
            ssize_t got = ::pread(fd_, p, n, off_t(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            p += got;
            offset += std::uint64_t(got);
            n -= std::size_t(got);
        }
        return true;
    }
    bool Write(std::uint64_t offset, const void* buffer, std::size_t n) override {
        auto* p = static_cast<const char*>(buffer);
        while (n > 0) {
            ssize_t put = ::pwrite(fd_, p, n, off_t(offset));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            p += put;
            offset += std::uint64_t(put);
            n -= std::size_t(put);
        }
        return true;
    }
    std::uint64_t Size() override {
        struct stat st;
        return ::fstat(fd_, &st) == 0 ? std::uint64_t(st.st_size) : 0;
    }
    bool Truncate(std::uint64_t size) override { return ::ftruncate(fd_, off_t(size)) == 0; }
    bool Sync() override { return ::fdatasync(fd_) == 0; }
    bool Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
        struct flock fl {};
        fl.l_type = short(exclusive && writable_ ? F_WRLCK : F_RDLCK);
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(offset);
        fl.l_len = off_t(length);
        for (;;) {
            if (::fcntl(fd_, F_SETLK, &fl) == 0) return true;
            if (errno != EINTR) return false;
        }
    }
    void Unlock(std::uint64_t offset, std::uint64_t length) override {
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = off_t(offset);
        fl.l_len = off_t(length);
        ::fcntl(fd_, F_SETLK, &fl);
    }
    bool Writable() const override { return writable_; }

private:
    int fd_;
    bool writable_;
};

} // namespace

std::string NativePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

std::unique_ptr<File> OpenFile(const std::string& path, bool write, bool create,
                               std::string& error) {
    std::string p = NativePath(path);
    int flags = O_CLOEXEC | (create ? O_RDWR | O_CREAT | O_TRUNC : write ? O_RDWR : O_RDONLY);
    int fd = ::open(p.c_str(), flags, 0644);
    bool writable = create || write;
    if (fd < 0 && write && !create && (errno == EACCES || errno == EROFS)) {
        fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        writable = false;
    }
    if (fd < 0) {
        error = "cannot open " + p + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = p + " is not a regular file";
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, writable);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

std::string FileIdentity(const std::string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

} // namespace lysora::engine
