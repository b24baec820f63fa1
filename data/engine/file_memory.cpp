// Files held in memory: the readers run over them when fuzzed and when tests feed them
// hostile bytes. Locks always succeed (no other process can see these bytes).
#include "data/engine/file.h"

#include <cstring>

namespace lysora::engine {
namespace {

class MemFile final : public File {
public:
    MemFile(std::string bytes, bool writable) : bytes_(std::move(bytes)), writable_(writable) {}

    bool Read(std::uint64_t offset, void* buffer, std::size_t n) override {
        if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
        std::memcpy(buffer, bytes_.data() + offset, n);
        return true;
    }
    bool Write(std::uint64_t offset, const void* buffer, std::size_t n) override {
        if (!writable_ || offset > (std::uint64_t(1) << 30) || n > (std::size_t(1) << 30))
            return false;
        if (offset + n > bytes_.size()) bytes_.resize(offset + n, '\0');
        std::memcpy(bytes_.data() + offset, buffer, n);
        return true;
    }
    std::uint64_t Size() override { return bytes_.size(); }
    bool Truncate(std::uint64_t size) override {
        if (!writable_ || size > (std::uint64_t(1) << 30)) return false;
        bytes_.resize(size, '\0');
        return true;
    }
    bool Sync() override { return true; }
    bool Lock(std::uint64_t, std::uint64_t, bool) override { return true; }
    void Unlock(std::uint64_t, std::uint64_t) override {}
    bool Writable() const override { return writable_; }

private:
    std::string bytes_;
    bool writable_;
};

} // namespace

std::unique_ptr<File> MemoryFile(std::string bytes, bool writable) {
    return std::make_unique<MemFile>(std::move(bytes), writable);
}

} // namespace lysora::engine
