// What every build shares around File: the bounded lock wait, the process-wide open
// wrapper, and FaultyFile, which passes reads through and makes writes fail as its plan
// says (a chosen write, a byte budget that runs out part-way through a write, syncs).
#include "data/engine/file.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace lysora::engine {
namespace {

class FaultFile final : public File {
public:
    FaultFile(std::unique_ptr<File> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}

    bool Read(std::uint64_t offset, void* buffer, std::size_t n) override { return inner_->Read(offset, buffer, n); }
    bool Write(std::uint64_t offset, const void* buffer, std::size_t n) override {
        FaultPlan& plan = *plan_;
        if (plan.stopped) return false;
        if (++plan.writes == plan.failWrite) {
            if (!plan.crash) return false;
            if (plan.crashHalfway) inner_->Write(offset, buffer, n / 2);
            std::_Exit(9);
        }
        if (n > plan.byteBudget) { // a torn write: its first part only
            if (plan.byteBudget > 0) inner_->Write(offset, buffer, std::size_t(plan.byteBudget));
            plan.byteBudget = 0;
            plan.stopped = true;
            return false;
        }
        plan.byteBudget -= n;
        return inner_->Write(offset, buffer, n);
    }
    std::uint64_t Size() override { return inner_->Size(); }
    bool Truncate(std::uint64_t size) override { return !plan_->stopped && inner_->Truncate(size); }
    bool Sync() override { return !plan_->stopped && !plan_->failSync && inner_->Sync(); }
    bool Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
        return inner_->Lock(offset, length, exclusive);
    }
    void Unlock(std::uint64_t offset, std::uint64_t length) override { inner_->Unlock(offset, length); }
    bool Writable() const override { return inner_->Writable(); }

private:
    std::unique_ptr<File> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

FileWrapper& Wrapper() {
    static FileWrapper wrap;
    return wrap;
}

} // namespace

std::unique_ptr<File> FaultyFile(std::unique_ptr<File> inner, std::shared_ptr<FaultPlan> plan) {
    return std::make_unique<FaultFile>(std::move(inner), std::move(plan));
}

void SetFileWrapper(FileWrapper wrap) { Wrapper() = std::move(wrap); }

std::unique_ptr<File> OpenTableFile(const std::string& path, bool write, bool create,
                                    std::string& error) {
    std::unique_ptr<File> file = OpenFile(path, write, create, error);
    if (file && Wrapper()) file = Wrapper()(std::move(file), path);
    return file;
}

bool LockWithin(File& file, std::uint64_t offset, std::uint64_t length, bool exclusive,
                int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        if (file.Lock(offset, length, exclusive)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(10));
    }
}

} // namespace lysora::engine
