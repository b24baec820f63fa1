// The whole-table page (see whole_table.h).
#include "tools/makehelp/whole_table.h"

#include "base/display_number.h"
#include "base/text.h"
#include "services/reftables.h"
#include "services/strings.h"
#include "tools/makehelp/help_markup.h"
#include "tools/maketables/cp1252.h"

#include <cstdio>

namespace lysora::help {
namespace {

constexpr const char* kValueTypes[] = {"TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V"};

struct Group {
    const char* key; // string-table key of its name, and the table id's second half
    const GroupeNutriments* nutrients;
};

std::string Text(const std::string& cp1252) { return Escape(tables::Cp1252ToUtf8(cp1252)); }

// The codes and short names of group's nutrients that carry type. The permanent nutrient,
// which heads every group, is kept only where keepPermanent says, so that each value
// stands once on the page.
GroupeNutriments Carrying(const GroupeNutriments& group, const char* type, bool keepPermanent)
{
    GroupeNutriments carrying;
    DBSEL nutrients(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
    for (std::size_t i = 0; i < group.codes.size(); ++i) {
        if (group.codes[i] == DONNEESGENERALES().nutriPermanent && !keepPermanent)
            continue;
        std::string key = group.codes[i];
        key.resize(5, ' ');
        if (nutrients.SEEK(key) && nutrients.Get(Symbol(type)).Text() == "O") {
            carrying.codes.push_back(group.codes[i]);
            carrying.courts.push_back(group.courts[i]);
        }
    }
    return carrying;
}

std::string Cell(DBSEL& values, double matiere, const std::string& code, const char* type, char separator)
{
    char key[16];
    std::snprintf(key, sizeof key, "%4d%-5s", int(matiere), code.c_str());
    if (!values.SEEK(key))
        return "-";
    return DisplayNumber(values.Get(Symbol(type)), separator);
}

} // namespace

std::string WholeTableHtml()
{
    const char separator = LANGUE() == kFrench ? ',' : '.';
    const DonneesGenerales& data = DONNEESGENERALES();
    const Group groups[] = {{"AAE", &data.aae}, {"AANE", &data.aane}, {"AP", &data.ap}};
    DBSEL feedstuffs(AreaRef(TABLEMAT()), Symbol("LIBELLE"));
    DBSEL values(AreaRef("valeurs"), Symbol("MAT_NUTRI"));

    std::string contents = "<ul class=\"contents\">\n", tables;
    for (const char* type : kValueTypes) {
        for (const Group& group : groups) {
            const GroupeNutriments columns = Carrying(*group.nutrients, type, group.nutrients == &data.aae);
            if (columns.codes.empty())
                continue;
            const std::string id = std::string(type) + "-" + group.key;
            const std::string caption = Text(LIB(Symbol(type))) + " &ndash; " + Text(LIB(Symbol(group.key)));
            contents += "<li><a href=\"#" + id + "\">" + caption + "</a></li>\n";
            tables += "<table class=\"values\" id=\"" + id + "\">\n<caption>" + caption + "</caption>\n<thead>\n<tr><th></th>";
            for (const std::string& court : columns.courts)
                tables += "<th>" + Text(court) + "</th>";
            tables += "</tr>\n</thead>\n<tbody>\n";
            for (feedstuffs.GOTOP(); !feedstuffs.Eof(); feedstuffs.SKIP()) {
                const double matiere = feedstuffs.Get(Symbol("MATIERE")).Number();
                tables += "<tr><th>" + Text(AllTrim(feedstuffs.Get(Symbol("LIBELLE")).Text())) + "</th>";
                for (const std::string& code : columns.codes)
                    tables += "<td>" + Cell(values, matiere, code, type, separator) + "</td>";
                tables += "</tr>\n";
            }
            tables += "</tbody>\n</table>\n";
        }
    }
    return contents + "</ul>\n" + tables;
}

} // namespace lysora::help
