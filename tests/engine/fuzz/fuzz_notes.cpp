// The change-note fuzzing entry (fuzz_notes.h) and its valid notes.
#include "tests/engine/fuzz/fuzz_notes.h"

#include "data/engine/journal.h"

namespace lysora::engine::fuzz {
namespace {

std::string Bytes(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 1 && bytes.size() >= 4) { // sealed: the checksum of what comes before it
        const std::uint32_t sum = Checksum(bytes.data(), bytes.size() - 4);
        for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + std::size_t(i)] = char(sum >> (8 * i));
    }
    return bytes;
}

std::string CheckPlan(const CatchUp& plan, const NotedTable& table) {
    for (const auto& [first, last] : plan.records)
        if (first > last || last >= table.records) return "a catch-up reads records outside the table";
    for (std::size_t i = 1; i < plan.pages.size(); ++i)
        if (plan.pages[i - 1] >= plan.pages[i]) return "a catch-up reads index pages out of order or twice";
    if (!table.hasIndex && (!plan.pages.empty() || plan.wholeIndex)) return "a catch-up reads an index the table lacks";
    return "";
}

} // namespace

bool NoteDecodes(const std::string& input) {
    std::vector<ChangeNote> notes;
    return !input.empty() &&
           DecodeChangeNotes(Bytes(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), notes);
}

std::string FuzzChangeNote(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return "";
    const std::string bytes = Bytes(data, size);
    std::vector<ChangeNote> notes;
    if (!DecodeChangeNotes(bytes, notes)) return "";
    const std::string again = EncodeChangeNotes(notes);
    if (bytes.compare(0, again.size(), again) != 0) return "a decoded note does not encode back to its bytes";
    if (notes.empty()) return "";
    std::vector<std::uint32_t> counters{0, notes.back().after};
    for (const ChangeNote& n : notes) counters.push_back(n.before);
    for (const NotedTable& table : {NotedTable{98, 26, 50, true}, NotedTable{98, 26, 50, false},
                                    NotedTable{33, 1, 0, true}, NotedTable{65535, 65535, 0x3FFFFFFF, true}})
        for (std::uint32_t from : counters) {
            CatchUp plan;
            if (!PlanCatchUp(notes, from, notes.back().after, table, plan)) continue;
            std::string broken = CheckPlan(plan, table);
            if (!broken.empty()) return broken;
        }
    return "";
}

std::vector<std::string> NoteSeeds() {
    // Three write-backs in a row: records changed and appended with the header, leaves
    // rewritten with the free list's head and stamp, a root moved, a memo written.
    std::vector<ChangeNote> notes{
        {7, 8, {{kTableFile, 98 + 26 * 3, 26}, {kTableFile, 0, 32}, {kIndexFile, 2560, 512}, {kIndexFile, 4, 8}}},
        {8, 9, {{kMemoFile, 1024, 512}, {kMemoFile, 0, 4}, {kTableFile, 98 + 26 * 50, 27}, {kTableFile, 0, 32},
                {kIndexFile, 3072, 512}, {kIndexFile, 2048, 4}, {kIndexFile, 4, 8}}},
        {9, 10, {{kTableFile, 98, 26 * 10}, {kTableFile, 0, 32}}},
    };
    std::vector<std::string> seeds;
    for (std::size_t n = 0; n <= notes.size(); ++n)
        seeds.push_back(std::string(1, '\0') + EncodeChangeNotes({notes.begin(), notes.begin() + std::ptrdiff_t(n)}));
    return seeds;
}

} // namespace lysora::engine::fuzz
