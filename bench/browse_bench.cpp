// The answers behind the maintenance browse on a values table of 300,000 records (6,000
// feedstuffs by 50 nutrients) opened shared, as the program opens it: what one page down,
// page up and thumb drag cost in questions to the selection (the new top record, its thumb
// position, the records of a 30-row page and their cell texts through the domains), and
// what making the thumb's rank map costs, which happens after a commit and every few
// seconds. The target for each page move is well below 20 ms.
#include "bench/values_table.h"
#include "framework/browse_source.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

using namespace lysora;

namespace {

constexpr int kRows = 30;

BrowseSource& Source()
{
    static std::unique_ptr<BrowseSource> source = [] {
        DBSEL& selection = lysora::bench::ValuesSelection();
        std::vector<BrowseSource::Column> columns;
        for (std::size_t i = 0; i < selection.FLDSYM().size(); ++i)
            columns.push_back({selection.FLDSYM()[i], selection.FLDOBJ()[i]});
        return std::make_unique<BrowseSource>(selection, std::move(columns));
    }();
    return *source;
}

// The questions of one page rebuild from a new top record, as the browse asks them.
std::size_t FillPage(BrowseSource& source, std::int32_t top)
{
    std::size_t bytes = std::size_t(source.Position(top));
    std::int32_t record = top;
    for (int row = 0; row < kRows && record; ++row) {
        for (const std::string& text : source.Row(record))
            bytes += text.size();
        record = source.Skip(1, record);
    }
    return bytes;
}

void PageDownAndUp(benchmark::State& state)
{
    BrowseSource& source = Source();
    std::int32_t top = source.Thumb(BrowseSource::kThumbRange / 2);
    bool down = true;
    std::size_t bytes = 0;
    int moves = 0;
    for (auto _ : state) {
        std::int32_t next = source.Skip(down ? kRows : -kRows, top);
        if (!next)
            next = down ? source.GoBottom() : source.GoTop();
        top = next;
        bytes += FillPage(source, top);
        if (++moves % 50 == 0)
            down = !down;
    }
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK(PageDownAndUp)->Unit(benchmark::kMillisecond);

// A thumb drag: the record at a random position, then its page. After a commit the rank
// map is made again first (it is also made again when it has aged): the worst single move.
void ThumbDrag(benchmark::State& state, bool afterCommit)
{
    BrowseSource& source = Source();
    std::mt19937 rng(3);
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (afterCommit)
            source.Invalidate();
        const std::int32_t top = source.Thumb(int(rng() % (BrowseSource::kThumbRange + 1)));
        bytes += FillPage(source, top);
    }
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK_CAPTURE(ThumbDrag, mapped, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ThumbDrag, after_commit, true)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
