// The table-file fuzzing entry (fuzz_tables.h) and its valid companion files.
#include "tests/engine/fuzz/fuzz_tables.h"

#include "data/engine/table.h"

namespace lysora::engine::fuzz {
namespace {

std::vector<Field> Layout(std::vector<Field> fields) {
    int offset = 1;
    for (Field& f : fields) {
        f.offset = offset;
        offset += f.len;
    }
    return fields;
}

std::string MakeTable(const std::vector<Field>& fields, const std::vector<std::string>& records, bool memo) {
    DbfHeader h;
    h.version = memo ? 0x83 : 0x03;
    h.fields = fields;
    h.headerLength = std::uint32_t(kDbfPrefix + 32 * fields.size() + 1);
    h.recordLength = std::uint32_t(fields.back().offset + fields.back().len);
    h.records = std::uint32_t(records.size());
    std::string bytes = BuildDbfHeader(h);
    for (const std::string& r : records) bytes += r;
    return bytes + "\x1A";
}

const std::vector<Field>& ValueFields() {
    static const std::vector<Field> fields = Layout({{"MATIERE", 'N', 4, 0, 0}, {"NUTRI", 'C', 5, 0, 0}, {"TB", 'N', 6, 2, 0}});
    return fields;
}

std::string ValuesTable() {
    static const char* nutrients[] = {"LYS  ", "MET  ", "CYS  ", "THR  "};
    std::vector<std::string> records;
    for (int i = 0; i < 60; ++i)
        records.push_back((i % 7 ? " " : "*") + FormatNumber(i * 37 % 50, 4, 0) + nutrients[i % 4] +
                          FormatNumber(i / 3.0, 6, 2));
    return MakeTable(ValueFields(), records, false);
}

std::string ValuesIndex() {
    // Built by the engine itself: a table over memory files, reindexed, written back.
    std::vector<CdxTag> defs(2);
    defs[0].name = "MAT_NUTRI";
    defs[0].key = "str(MATIERE,4,0)+NUTRI";
    defs[0].keyLen = 9;
    defs[0].keys = KeyList(9);
    defs[1].name = "TB";
    defs[1].key = "str(TB,6,2)";
    defs[1].forCondition = "MATIERE > 10 .AND. NUTRI <> 'LYS'";
    defs[1].keyLen = 6;
    defs[1].keys = KeyList(6);
    std::vector<const CdxTag*> empty{&defs[0], &defs[1]};
    std::string error;
    auto table = Table::OpenFiles(MemoryFile(ValuesTable()), nullptr, MemoryFile(BuildCdx(empty, 60)), false, OpenMode::kRepair, error);
    if (!table) return {};
    // Read back what the table wrote to its index file.
    return table->IndexFileBytes();
}

const std::vector<Field>& MemoFields() {
    static const std::vector<Field> fields = Layout({{"NAME", 'C', 6, 0, 0}, {"NOTE", 'M', 10, 0, 0}});
    return fields;
}

std::string MemoTable() {
    return MakeTable(MemoFields(),
                     {" first " + FormatNumber(1, 10, 0), " secnd " + FormatNumber(2, 10, 0),
                      "*third " + FormatNumber(4, 10, 0), " none  " + std::string(10, ' ')},
                     true);
}

std::string MemoFile() {
    std::string dbt = NewMemoFileHeader();
    dbt[0] = 6;
    auto block = [](std::string text) {
        text += "\x1A\x1A";
        text.resize((text.size() + kMemoBlock - 1) / kMemoBlock * kMemoBlock, '\0');
        return text;
    };
    return dbt + block("a short memo") + block(std::string(600, 'x')) + block("deleted one's memo");
}

void Exercise(Table& t) {
    const int fields = int(t.Fields().size());
    for (int order = 0; order <= int(t.Tags().size()); ++order) {
        t.SetOrder(order);
        int steps = 0;
        for (t.GoTop(); !t.Eof() && steps < 5000; t.Skip(1), ++steps)
            for (int f = 1; f <= fields; ++f) t.Get(f);
        steps = 0;
        for (t.GoBottom(); !t.Eof() && !t.Bof() && steps < 5000; t.Skip(-1), ++steps) t.Deleted();
        for (const char* key : {"", "  1", "  20", "\xFF", "  20CYS  xxxxxxxxxxxxxxxxxx"}) {
            t.Seek(key, false, false);
            t.Seek(key, true, true);
        }
        t.SetScope(0, std::string("  1"));
        t.SetScope(1, std::string("  3"));
        for (t.GoTop(); !t.Eof() && steps < 10000; t.Skip(1), ++steps) {}
        t.Check();
    }
    // Changes go through the index upkeep and the writers.
    t.SetOrder(t.Tags().empty() ? 0 : 1);
    if (t.GoTo(1) && !t.Eof()) {
        for (int f = 1; f <= fields; ++f) t.Put(f, t.Get(f));
        t.Put(1, Value(std::string("zz")));
        t.Put(1, Value(7));
        t.Delete();
    }
    if (t.Append(true)) t.Put(fields, Value(std::string("new")));
    t.Commit();
}

} // namespace

bool FuzzTableFiles(const std::uint8_t* data, std::size_t size, std::string* error) {
    std::string why;
    if (size < 1) return false;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::unique_ptr<Table> table;
    switch (data[0] % 3) {
    case kTable:
        table = Table::OpenFiles(MemoryFile(bytes), MemoryFile(MemoFile()), nullptr, false, OpenMode::kNormal, why);
        break;
    case kMemo:
        table = Table::OpenFiles(MemoryFile(MemoTable()), MemoryFile(bytes), nullptr, false, OpenMode::kNormal, why);
        break;
    default:
        table = Table::OpenFiles(MemoryFile(ValuesTable()), nullptr, MemoryFile(bytes), false, OpenMode::kInspect, why);
        break;
    }
    if (error) *error = why;
    if (!table) return false;
    Exercise(*table);
    return true;
}

std::vector<std::string> FuzzSeeds() {
    return {std::string(1, char(kTable)) + ValuesTable(), std::string(1, char(kTable)) + MemoTable(),
            std::string(1, char(kMemo)) + MemoFile(), std::string(1, char(kIndex)) + ValuesIndex()};
}

} // namespace lysora::engine::fuzz
