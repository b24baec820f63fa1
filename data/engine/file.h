// The engine's only door to the operating system: whole-range reads and writes at an
// offset, size, truncation, flush to disk, and byte-range locks. file_posix.cpp implements
// it with POSIX calls (fcntl record locks) for the host build, file_win32.cpp with
// CreateFileA/LockFileEx for the Windows build; MemoryFile keeps the bytes in memory
// (fuzzing and tests of hostile files), with locks that always succeed.
//
// POSIX record locks belong to the process and vanish when ANY descriptor of the file is
// closed by it, so the engine opens each file once per process (see table.cpp's file
// registry) and never closes a second descriptor of a file whose locks it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lysora::engine {

class File {
public:
    virtual ~File() = default;
    // Exactly n bytes at offset; false when fewer are there (short file) or on error.
    virtual bool Read(std::uint64_t offset, void* buffer, std::size_t n) = 0;
    virtual bool Write(std::uint64_t offset, const void* buffer, std::size_t n) = 0;
    virtual std::uint64_t Size() = 0;
    virtual bool Truncate(std::uint64_t size) = 0;
    virtual bool Sync() = 0; // the written bytes reach the disk
    // Byte-range lock, exclusive or shared; wait false fails at once when another
    // process holds a conflicting lock. Locks may lie beyond the end of the file.
    virtual bool Lock(std::uint64_t offset, std::uint64_t length, bool exclusive, bool wait) = 0;
    virtual void Unlock(std::uint64_t offset, std::uint64_t length) = 0;
    virtual bool Writable() const = 0;
};

// Opens a file. write: read-write when possible (false when it is not writable);
// create: create or empty it. nullptr + error text on failure.
std::unique_ptr<File> OpenFile(const std::string& path, bool write, bool create,
                               std::string& error);
bool FileExists(const std::string& path);
bool RemoveFile(const std::string& path);
// A text naming the file itself (not the path that reached it), found without opening
// it; empty when the file does not exist.
std::string FileIdentity(const std::string& path);
// Turns "\" into the platform's separator.
std::string NativePath(std::string_view path);

std::unique_ptr<File> MemoryFile(std::string bytes, bool writable = true);

} // namespace lysora::engine
