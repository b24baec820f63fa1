// File access for Windows: CreateFileA sharing read and write with other processes,
// ReadFile/WriteFile at an offset, FlushFileBuffers, and LockFileEx byte-range locks.
// Windows locks belong to the handle, so one handle per file per process suffices.
#include "data/engine/file.h"

#include "base/last_error_win32.h"

#include <windows.h>

namespace lysora::engine {
namespace {

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED ov{};
    ov.Offset = DWORD(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = DWORD(offset >> 32);
    return ov;
}

class WinFile final : public File {
public:
    WinFile(HANDLE h, bool writable) : h_(h), writable_(writable) {}
    ~WinFile() override { CloseHandle(h_); }

    bool Read(std::uint64_t offset, void* buffer, std::size_t n) override {
        auto* p = static_cast<char*>(buffer);
        while (n > 0) {
            OVERLAPPED ov = At(offset);
            DWORD got = 0;
            if (!ReadFile(h_, p, DWORD(n), &got, &ov) || got == 0) return false;
            p += got;
            offset += got;
            n -= got;
        }
        return true;
    }
    bool Write(std::uint64_t offset, const void* buffer, std::size_t n) override {
        auto* p = static_cast<const char*>(buffer);
        while (n > 0) {
            OVERLAPPED ov = At(offset);
            DWORD put = 0;
            if (!WriteFile(h_, p, DWORD(n), &put, &ov) || put == 0) return false;
            p += put;
            offset += put;
            n -= put;
        }
        return true;
    }
    std::uint64_t Size() override {
        LARGE_INTEGER size;
        return GetFileSizeEx(h_, &size) ? std::uint64_t(size.QuadPart) : 0;
    }
    bool Truncate(std::uint64_t size) override {
        LARGE_INTEGER pos;
        pos.QuadPart = LONGLONG(size);
        return SetFilePointerEx(h_, pos, nullptr, FILE_BEGIN) && SetEndOfFile(h_);
    }
    bool Sync() override { return FlushFileBuffers(h_) != 0; }
    bool Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
        OVERLAPPED ov = At(offset);
        DWORD flags = (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY;
        return LockFileEx(h_, flags, 0, DWORD(length & 0xFFFFFFFFu), DWORD(length >> 32),
                          &ov) != 0;
    }
    void Unlock(std::uint64_t offset, std::uint64_t length) override {
        OVERLAPPED ov = At(offset);
        UnlockFileEx(h_, 0, DWORD(length & 0xFFFFFFFFu), DWORD(length >> 32), &ov);
    }
    bool Writable() const override { return writable_; }

private:
    HANDLE h_;
    bool writable_;
};

} // namespace

std::string NativePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::unique_ptr<File> OpenFile(const std::string& path, bool write, bool create,
                               std::string& error) {
    std::string p = NativePath(path);
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    bool writable = create || write;
    HANDLE h = CreateFileA(p.c_str(), writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                           share, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && write && !create &&
        GetLastError() == ERROR_ACCESS_DENIED) {
        h = CreateFileA(p.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        writable = false;
    }
    if (h == INVALID_HANDLE_VALUE) {
        error = "cannot open " + p + ": " + LastErrorText();
        return nullptr;
    }
    return std::make_unique<WinFile>(h, writable);
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(NativePath(path).c_str()) != 0; }

std::string FileIdentity(const std::string& path) {
    if (!FileExists(path)) return {};
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(NativePath(path).c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return {};
    std::string s(full, n);
    CharUpperBuffA(s.data(), DWORD(s.size()));
    return s;
}

} // namespace lysora::engine
