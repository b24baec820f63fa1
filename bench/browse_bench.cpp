// The answers behind the maintenance browse on a values table of 300,000 records (6,000
// feedstuffs by 50 nutrients) opened shared, as the program opens it: what one page down,
// page up and thumb drag cost in questions to the selection (the new top record, its thumb
// position, the records of a 30-row page and their cell texts through the domains), and
// what making the thumb's rank map costs, which happens after a commit and every few
// seconds. The target for each page move is well below 20 ms.
#include "data/dbf.h"
#include "data/dbsel.h"
#include "data/domain.h"
#include "data/engine/engine.h"
#include "framework/browse_source.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace lysora;

namespace {

constexpr int kFeedstuffs = 6000, kNutrients = 50, kRows = 30;
const char* const kValueFields[] = {"TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V",
                                    "E_TB", "E_TB16G", "E_DIG_A", "E_DIG_V", "E_TDIG_V"};

class Values : public DBF {
public:
    Values() : DBF("valeurs")
    {
        FLD(Symbol("MATIERE"), std::make_shared<DOM_NUM>(4, 0), "Matière première");
        FLD(Symbol("NUTRI"), std::make_shared<DOM_CAR>(5, true), "Nutriment");
        FLD(Symbol("NB_VAL"), std::make_shared<DOM_NUM>(3, 0), "Nombre de valeurs");
        for (const char* field : kValueFields)
            FLD(Symbol(field), std::make_shared<DOM_NUM>(6, 2), field);
        ORD(Symbol("MAT_NUTRI"), std::vector{Symbol("MATIERE"), Symbol("NUTRI")});
    }
};

void Die(const char* what)
{
    std::fprintf(stderr, "%s: %s\n", what, engine::LASTERROR().c_str());
    std::exit(1);
}

std::string Folder()
{
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / "lysora-browse-bench";
        std::filesystem::create_directories(d);
        return d.string() + "/";
    }();
    return dir;
}

// The table, built once per run, open shared; its selection in key order.
DBSEL& Selection()
{
    static std::unique_ptr<Values> table;
    static std::unique_ptr<DBSEL> selection;
    if (selection)
        return *selection;
    table = std::make_unique<Values>();
    std::vector<engine::FieldSpec> fields;
    for (std::size_t i = 0; i < table->FLDSYM().size(); ++i) {
        const DOM& dom = *table->FLDOBJ()[i];
        fields.push_back({table->FLDSYM()[i].Name(), dom.TYP()[0], dom.LEN(), dom.DEC()});
    }
    const std::string path = Folder() + "valeurs";
    if (!engine::DBCREATE(path, fields, {{"MAT_NUTRI", table->AORDKEY()[0], ""}}))
        Die("create");
    if (!engine::DBUSEAREA(true, "DBFCDX", path, "", false, false))
        Die("open");
    std::vector<int> order(kFeedstuffs * kNutrients);
    for (int i = 0; i < int(order.size()); ++i)
        order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (int i : order) {
        const int m = i / kNutrients + 1, n = i % kNutrients;
        bool ok = engine::DBAPPEND() && engine::FIELDPUT(1, Value(m)) &&
                  engine::FIELDPUT(2, Value("N" + std::to_string(100 + n))) && engine::FIELDPUT(3, Value(i % 20));
        for (int f = 0; f < 10 && ok; ++f)
            ok = engine::FIELDPUT(4 + f, Value(double((m * 31 + n * 7 + f) % 10000) / 100));
        if (!ok)
            Die("append");
    }
    if (!engine::DBCLOSEAREA())
        Die("close");
    if (!table->OPEN(true, false, Folder()))
        Die("open shared");
    selection = std::make_unique<DBSEL>(AreaRef(table->AREA()), ItemRef(Symbol("MAT_NUTRI")));
    return *selection;
}

BrowseSource& Source()
{
    static std::unique_ptr<BrowseSource> source = [] {
        DBSEL& selection = Selection();
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
