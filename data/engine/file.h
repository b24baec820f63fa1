// The engine's only door to the operating system: whole-range reads and writes at an
// offset, size, truncation, flush to disk, and byte-range locks. file_posix.cpp implements
// it with POSIX calls (fcntl record locks) for the host build, file_win32.cpp with
// CreateFileA/LockFileEx for the Windows build; MemoryFile keeps the bytes in memory
// (fuzzing and tests of hostile files), with locks that always succeed; FaultyFile wraps
// another file and makes its writes fail on demand (tests of every write path).
//
// POSIX record locks belong to the process and vanish when ANY descriptor of the file is
// closed by it, so the engine opens each file once per process (see table_open.cpp's file
// registry) and never closes a second descriptor of a file whose locks it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lysora::engine {

// Why an operation of the engine failed.
enum class Failure {
    kNone,    // it did not
    kBusy,    // another user or work area holds the record, or writes the table for too long
    kWrite,   // the files could not be written (disk full, failing or write-protected)
    kRefused, // anything else: a value that does not fit, a read-only table, a damaged file...
};

class File {
public:
    virtual ~File() = default;
    // Exactly n bytes at offset; false when fewer are there (short file) or on error.
    virtual bool Read(std::uint64_t offset, void* buffer, std::size_t n) = 0;
    virtual bool Write(std::uint64_t offset, const void* buffer, std::size_t n) = 0;
    virtual std::uint64_t Size() = 0;
    virtual bool Truncate(std::uint64_t size) = 0;
    virtual bool Sync() = 0; // the written bytes reach the disk
    // Byte-range lock, exclusive or shared; fails at once when another process holds a
    // conflicting lock (waits are the caller's, and always bounded: see LockWithin).
    // Locks may lie beyond the end of the file.
    virtual bool Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) = 0;
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

// Takes a lock, retrying for at most timeoutMs milliseconds while another process holds a
// conflicting one; false when it is still held after that.
bool LockWithin(File& file, std::uint64_t offset, std::uint64_t length, bool exclusive,
                int timeoutMs);

// Faults to inject into writes, shared by every file wrapped with the same plan so that
// "the Nth write" counts across a table's files in the order the engine writes them.
struct FaultPlan {
    long failWrite = 0; // the Nth write (1-based) fails and writes nothing; 0: none
    // Instead of failing, the Nth write ends the process at once (exit code 9), as a crash
    // there would; with crashHalfway, after half of its bytes reached the file.
    bool crash = false;
    bool crashHalfway = false;
    // Bytes that still reach the files; the write that crosses it stores its first part
    // only, and from then on every write, truncation and sync fails (a full disk, or the
    // machine stopping at that point).
    std::uint64_t byteBudget = ~std::uint64_t(0);
    bool failSync = false;
    long writes = 0;              // writes attempted so far
    bool stopped = false;         // the byte budget ran out
};
std::unique_ptr<File> FaultyFile(std::unique_ptr<File> inner, std::shared_ptr<FaultPlan> plan);

// Every file the engine opens by path from now on is handed to wrap, which returns the
// file to use (tests wrap it in a FaultyFile); an empty function restores plain opens.
using FileWrapper = std::function<std::unique_ptr<File>(std::unique_ptr<File>, const std::string& path)>;
void SetFileWrapper(FileWrapper wrap);
// OpenFile followed by the wrapper, if any: the engine's one way of opening by path.
std::unique_ptr<File> OpenTableFile(const std::string& path, bool write, bool create,
                                    std::string& error);

} // namespace lysora::engine
