// maketables SOURCES OUTPUT: the administration tool that fills the reference tables. Reads
// the text sources in SOURCES, refuses them unless they meet every consistency rule, and
// writes matFRA, matENG, nutFRA, nutENG, valeurs and general (.dbf + .cdx) into OUTPUT, the
// general table's texts scrambled with the build's key. Exit code 0 on success.
#include "tools/maketables/table_sources.h"
#include "tools/maketables/table_writer.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: maketables SOURCES OUTPUT\n");
        return 2;
    }
    using namespace lysora::tables;
    SampleDatabase db;
    std::vector<std::string> problems = LoadSources(argv[1], db);
    if (problems.empty())
        problems = CheckSources(db);
    if (problems.empty())
        problems = WriteSampleDatabase(db, argv[2]);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "maketables: %s\n", problem.c_str());
    if (!problems.empty())
        return 1;
    std::printf("maketables: %lu feedstuffs, %lu nutrients, %lu values written to %s\n", (unsigned long)db.feedstuffs.size(),
                (unsigned long)db.nutrients.size(), (unsigned long)db.values.size(), argv[2]);
    return 0;
}
