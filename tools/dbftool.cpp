// dbftool: maintenance of the program's tables from the command line.
//   dbftool structure TABLE          header, fields and index tags
//   dbftool dump TABLE [TAG]         records as CSV (semicolon-free, RFC 4180 quoting),
//                                    in the tag's order or physical order; deleted
//                                    records are left out
//   dbftool check TABLE              every tag against the table; exit 1 on a problem
//   dbftool repair TABLE             cuts a record count the file cannot hold to the
//                                    whole records there, and rebuilds every tag from
//                                    the table (works on a damaged index as long as its
//                                    tag list is readable)
// Exit codes: 0 done, 1 problems found or the table refused, 2 bad arguments.
#include "data/engine/table.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

using namespace lysora;
using namespace lysora::engine;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: dbftool structure TABLE | dump TABLE [TAG] | check TABLE | repair TABLE\n");
    return 2;
}

std::string Csv(std::string text) {
    bool quote = text.find_first_of(",\"\r\n") != std::string::npos;
    if (!quote) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string RightTrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string FieldText(Table& t, int pos) {
    const Field& f = t.Fields()[std::size_t(pos - 1)];
    Value v = t.Get(pos);
    switch (f.type) {
    case 'N': {
        std::string text = FormatNumber(v.Number(), f.len, f.dec);
        return text.substr(std::min(text.size(), text.find_first_not_of(' ')));
    }
    case 'L': return v.Logical() ? "T" : "F";
    case 'D': return RightTrim(v.GetDate().ToDtos());
    default: return RightTrim(v.Text());
    }
}

int Structure(Table& t) {
    const DbfHeader& h = t.Header();
    std::printf("version 0x%02X, code page 0x%02X, %u records, header %u bytes, record %u bytes\n",
                h.version, h.codePage, h.records, h.headerLength, h.recordLength);
    std::printf("fields:\n");
    for (const Field& f : h.fields) std::printf("  %-10s %c %3d %2d\n", f.name.c_str(), f.type, f.len, f.dec);
    std::printf("tags:%s\n", t.Tags().empty() ? " none" : "");
    for (const Table::Tag& tag : t.Tags()) {
        std::printf("  %-10s key %s (%d bytes), %zu keys", tag.cdx.name.c_str(), tag.cdx.key.c_str(),
                    tag.cdx.keyLen, tag.cdx.keys.Size());
        if (!tag.cdx.forCondition.empty()) std::printf(", for %s", tag.cdx.forCondition.c_str());
        std::printf("\n");
    }
    return 0;
}

int Dump(Table& t, const char* tagName) {
    int order = 0;
    if (tagName) {
        std::string name = tagName;
        for (char& c : name) c = char(std::toupper((unsigned char)c));
        for (std::size_t i = 0; i < t.Tags().size(); ++i)
            if (t.Tags()[i].cdx.name == name) order = int(i + 1);
        if (order == 0) {
            std::fprintf(stderr, "dbftool: no tag %s\n", tagName);
            return 1;
        }
    }
    t.SetOrder(order);
    const int count = int(t.Fields().size());
    for (int i = 1; i <= count; ++i)
        std::printf("%s%s", i > 1 ? "," : "", t.Fields()[std::size_t(i - 1)].name.c_str());
    std::printf("\n");
    for (t.GoTop(); !t.Eof(); t.Skip(1)) {
        for (int i = 1; i <= count; ++i) std::printf("%s%s", i > 1 ? "," : "", Csv(FieldText(t, i)).c_str());
        std::printf("\n");
    }
    return 0;
}

int Check(Table& t) {
    std::vector<std::string> problems = t.Check();
    for (const std::string& p : problems) std::printf("%s\n", p.c_str());
    if (problems.empty()) std::printf("%zu tags agree with %u records\n", t.Tags().size(), t.RecCount());
    return problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string command = argv[1];
    const char* path = argv[2];
    bool repair = command == "repair";
    if (!repair && command != "structure" && command != "dump" && command != "check") return Usage();
    if ((command == "dump" && argc > 4) || (command != "dump" && argc != 3)) return Usage();
    std::string error;
    // Reading commands open shared and read-only, so they run beside the program (check
    // takes the index as it is, to say what is wrong with it); repairing needs the table
    // to itself.
    OpenMode mode = repair ? OpenMode::kRepair : command == "check" ? OpenMode::kInspect : OpenMode::kNormal;
    auto table = Table::Open(path, !repair, !repair, mode, error);
    if (!table) {
        std::fprintf(stderr, "dbftool: %s\n", error.c_str());
        return 1;
    }
    if (!table->Notice().empty()) std::fprintf(stderr, "dbftool: %s\n", table->Notice().c_str());
    if (command == "structure") return Structure(*table);
    if (command == "dump") return Dump(*table, argc == 4 ? argv[3] : nullptr);
    if (command == "check") return Check(*table);
    if (!table->Close()) {
        std::fprintf(stderr, "dbftool: %s\n", table->Error().c_str());
        return 1;
    }
    std::printf("%zu tags rebuilt over %u records\n", table->Tags().size(), table->RecCount());
    return 0;
}
