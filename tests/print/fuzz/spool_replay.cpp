// The spool fuzz entry point under Windows, where accepted pages are played on a memory
// device context (scripts/fuzz runs it after the host's libFuzzer run on the same corpus):
//   spool_replay seed FOLDER           writes real pages (a printed table, a chart's
//                                      figures and turned labels) and the hostile pages
//                                      the print path refuses, as inputs into FOLDER
//   spool_replay run FOLDER SECONDS    runs every input of FOLDER, then mutations of them
//                                      (bytes, words set to edge values, words inserted or
//                                      removed) until SECONDS have passed
// A broken promise aborts and a bad read crashes; either way the input being run is left in
// FOLDER\..\spool_replay_crash.bin. Exit code 0 when every run ended normally.
#include "print/metafile_win32.h"
#include "print/spool.h"
#include "print/value_table.h"
#include "tests/print/crafted_pages.h"
#include "tests/print/fuzz/spool_fuzz.h"
#include "tests/print/sample_table.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace lysora;
using Input = std::vector<unsigned char>;

// A fuzz input: the command line of one page, NUL, the page.
Input AsInput(const std::vector<unsigned char>& page)
{
    const std::string line = PrintCommandLine(1, "t", "p", false, {page.size()});
    Input input(line.begin(), line.end());
    input.push_back(0);
    input.insert(input.end(), page.begin(), page.end());
    return input;
}

std::vector<Input> RealPages()
{
    PL pl(nullptr, "Seed", true, NewMetafileDrawer());
    IMPRIMERVALEURS(pl, testing::SampleTable(12, 6));
    pl.FILL(0x00C08040);
    pl.RECTANGLE(200, 300, 400, 900);
    pl.FILL(std::nullopt);
    pl.LINE(100, 100, 2000, 100);
    pl.TEXTOUT(300, 950, "Lysine", 40, 900);
    pl.VTEXTOUT(500, 950, "Threonine");
    pl.CLOSE();
    std::vector<Input> inputs;
    for (int n = 1; n <= pl.PageCount(); ++n) {
        std::vector<unsigned char> bytes;
        if (pl.ReadPage(n, bytes))
            inputs.push_back(AsInput(bytes));
    }
    return inputs;
}

int Seed(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    std::vector<Input> inputs = RealPages();
    for (const testing::HostilePage& hostile : testing::HostilePages())
        inputs.push_back(AsInput(hostile.page.Bytes()));
    for (std::size_t i = 0; i < inputs.size(); ++i)
        std::ofstream(folder / ("seed" + std::to_string(i)), std::ios::binary)
            .write(reinterpret_cast<const char*>(inputs[i].data()), std::streamsize(inputs[i].size()));
    std::printf("%zu seed inputs written\n", inputs.size());
    return 0;
}

std::filesystem::path crashFile;
const Input* running = nullptr;

// Leaves the input that broke the run where it can be replayed.
void KeepRunningInput()
{
    if (!running)
        return;
    if (std::FILE* f = std::fopen(crashFile.string().c_str(), "wb")) {
        std::fwrite(running->data(), 1, running->size(), f);
        std::fclose(f);
    }
    std::fprintf(stderr, "input kept in %s\n", crashFile.string().c_str());
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS*)
{
    KeepRunningInput();
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnAbort(int)
{
    KeepRunningInput();
    std::_Exit(3);
}

void Run(const Input& input)
{
    running = &input;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    running = nullptr;
}

// One to four changes at random places of the page part (after the NUL) when there is one.
Input Mutate(Input input, std::mt19937& random)
{
    std::size_t start = 0;
    while (start < input.size() && input[start] != 0)
        ++start;
    start = start < input.size() ? start + 1 : 0;
    static const std::uint16_t edges[] = {0, 1, 2, 3, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 40, 4000};
    const int changes = 1 + int(random() % 4);
    for (int c = 0; c < changes && input.size() > start + 2; ++c) {
        const std::size_t span = input.size() - start - 1;
        const std::size_t at = start + (random() % span) / 2 * 2;
        switch (random() % 4) {
        case 0: input[at + random() % 2] ^= std::uint8_t(1u << (random() % 8)); break;
        case 1: {
            const std::uint16_t w = edges[random() % std::size(edges)];
            input[at] = std::uint8_t(w);
            input[at + 1] = std::uint8_t(w >> 8);
            break;
        }
        case 2: input.insert(input.begin() + long(at), {std::uint8_t(random()), std::uint8_t(random())}); break;
        default: input.erase(input.begin() + long(at), input.begin() + long(at) + 2); break;
        }
    }
    return input;
}

int Replay(const std::filesystem::path& folder, int seconds)
{
    crashFile = folder.parent_path() / "spool_replay_crash.bin";
    SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
    std::vector<Input> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "no input in %s\n", folder.string().c_str());
        return 2;
    }
    for (const Input& input : corpus)
        Run(input);
    std::mt19937 random(GetTickCount());
    const DWORD end = GetTickCount() + DWORD(seconds) * 1000;
    long runs = long(corpus.size()), played = 0;
    while (GetTickCount() < end) {
        const Input input = Mutate(corpus[random() % corpus.size()], random);
        Run(input);
        ++runs;
        std::size_t split = 0;
        while (split < input.size() && input[split] != 0)
            ++split;
        if (split < input.size() && SpoolPageFault(input.data() + split + 1, input.size() - split - 1).empty())
            ++played;
    }
    std::printf("%zu corpus inputs, %ld runs, %ld mutated pages accepted and played, no fault\n", corpus.size(), runs,
                played);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed" && argc == 3)
        return Seed(argv[2]);
    if (mode == "run" && argc == 4)
        return Replay(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: spool_replay seed FOLDER | run FOLDER SECONDS\n");
    return 2;
}
