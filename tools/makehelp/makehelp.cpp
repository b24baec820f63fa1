// makehelp SOURCES PICTURES TABLES OUTPUT: writes the help pages shipped beside the program.
// For each language and each help topic it converts SOURCES/<language>/<page>.txt
// (help_markup.h) into OUTPUT/<language>/<page>.html, with the navigation and the
// sample-data notice of the shipped tables read from TABLES; the whole-table page gets
// every value of those tables. The style sheet SOURCES/help.css goes to OUTPUT, and the
// pictures the pages show, from PICTURES, to OUTPUT/pictures. Exit code 0 on success; each
// problem is reported as "makehelp: file: what".
#include "base/text.h"
#include "services/help.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "tools/makehelp/help_markup.h"
#include "tools/makehelp/whole_table.h"
#include "tools/maketables/cp1252.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace lysora;

namespace {

int gProblems = 0;

void Problem(const std::string& where, const std::string& what)
{
    std::fprintf(stderr, "makehelp: %s: %s\n", where.c_str(), what.c_str());
    ++gProblems;
}

std::string Utf8(const std::string& cp1252) { return help::Escape(tables::Cp1252ToUtf8(cp1252)); }

// The navigation bar: the two contents pages and the same page in the other language.
std::string Navigation(const std::string& page)
{
    const bool french = LANGUE() == kFrench;
    return "<nav><a href=\"index.html\">" + Utf8(UNAMP(LIB(Symbol("MODEEMPLOI")))) + "</a> | <a href=\"concepts.html\">" +
           Utf8(UNAMP(LIB(Symbol("CONCEPTMETHODOLOGIE")))) + "</a> | <a href=\"../" + (french ? "eng/" : "fra/") + page +
           "\" hreflang=\"" + (french ? "en" : "fr") + "\">" + Utf8(LIB(Symbol(french ? "ANGLAIS" : "FRANCAIS"))) +
           "</a></nav>\n";
}

std::string PageHtml(const std::string& page, const help::Page& content)
{
    const DonneesGenerales& data = DONNEESGENERALES();
    return std::string("<!DOCTYPE html>\n<html lang=\"") + (LANGUE() == kFrench ? "fr" : "en") +
           "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + content.title + "</title>\n" +
           "<link rel=\"stylesheet\" href=\"../help.css\">\n</head>\n<body>\n" + Navigation(page) + "<main>\n<h1>" +
           content.title + "</h1>\n" + content.body + "</main>\n<footer>" + Utf8(data.titre) + "<br>" +
           Utf8(data.copyright) + "</footer>\n</body>\n</html>\n";
}

bool OpenTables(const std::string& tablesDir, std::string_view language)
{
    CHOISIRLANGUE(language);
    DATABASE& database = I_DATABASE();
    database.DIRECTORY(tablesDir);
    return database.OPEN(true, true) && LOADGENERAL() && LOADNUTRIMENTS();
}

// Copies by reading and writing: the Windows runtime's copy_file refuses to replace a file
// that exists, which every rebuild meets.
void CopyFile(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    fs::create_directories(to.parent_path(), error);
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!in || !(out << in.rdbuf()))
        Problem(from.string(), "cannot be copied to " + to.string());
}

void WriteLanguage(const fs::path& sources, const fs::path& pictures, const fs::path& output, std::string_view language)
{
    const std::string folder = LowerCase(language);
    fs::create_directories(output / folder);
    for (const HelpTopic& topic : HelpTopics()) {
        const std::string page = topic.page;
        const fs::path source = sources / folder / (page.substr(0, page.size() - 5) + ".txt");
        std::ifstream in(source, std::ios::binary);
        if (!in) {
            Problem(source.string(), "missing");
            continue;
        }
        std::ostringstream text;
        text << in.rdbuf();
        const help::Page content = help::ConvertMarkup(text.str(), help::WholeTableHtml);
        for (const std::string& problem : content.problems)
            Problem(source.string(), problem);
        for (const std::string& picture : content.pictures)
            CopyFile(pictures / picture, output / "pictures" / picture);
        std::ofstream(output / folder / page, std::ios::binary | std::ios::trunc) << PageHtml(page, content);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: makehelp SOURCES PICTURES TABLES OUTPUT\n");
        return 2;
    }
    const fs::path sources = argv[1], pictures = argv[2], output = argv[4];
    std::string tablesDir = argv[3];
    if (tablesDir.back() != '/' && tablesDir.back() != '\\')
        tablesDir += '/';
    CopyFile(sources / "help.css", output / "help.css");
    for (std::string_view language : {kFrench, kEnglish}) {
        if (!OpenTables(tablesDir, language)) {
            Problem(tablesDir, "the reference tables do not open");
            return 1;
        }
        WriteLanguage(sources, pictures, output, language);
        BASEPROGRAMME()->CLOSE();
    }
    if (gProblems == 0)
        std::printf("makehelp: help pages written to %s\n", output.string().c_str());
    return gProblems == 0 ? 0 : 1;
}
