// Reading the table sources and checking the shipped data's consistency rules.
#include "tools/maketables/table_sources.h"

#include "base/display_number.h"
#include "services/reftables.h"
#include "tools/maketables/cp1252.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <set>

namespace lysora::tables {
namespace {

// Field widths of the reference tables, as their declarations give them.
constexpr std::size_t kLibelleWidth = 100, kCourtMatWidth = 20, kDefinitionWidth = 600;
constexpr std::size_t kNutriWidth = 5, kCourtNutriWidth = 5, kLongWidth = 35;
constexpr std::size_t kTitreWidth = 100, kCopyWidth = 200;
constexpr double kLargestValue = 999.99; // numeric 6 with 2 decimals
constexpr int kLargestNbVal = 999, kLargestOrdre = 999, kLargestMatiere = 9999;
constexpr std::size_t kLeastFeedstuffs = 60;
// Contents are in % as fed (g per 100 g): none can exceed the whole feed. A table filled in
// g/kg by mistake fails here.
constexpr double kWholeFeed = 100;

// Values are kept with 2 decimals, so a value computed from others agrees within half a
// unit of the last decimal plus the rounding of its inputs.
constexpr double kRounding = 0.0061;

constexpr const char* kGeneralFile = "general.txt";
constexpr const char* kNutrientsFile = "nutrients.txt";
constexpr const char* kFeedstuffsFile = "feedstuffs.txt";
constexpr const char* kValuesFile = "values.txt";

class Problems {
public:
    void Add(const std::string& file, int line, const std::string& what)
    {
        list_.push_back(file + ":" + std::to_string(line) + ": " + what);
    }
    std::vector<std::string> Take() { return std::move(list_); }

private:
    std::vector<std::string> list_;
};

struct SourceLine {
    int number;
    std::string text;
};

std::string Trim(std::string_view text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// The lines of a source file that are neither blank nor comments.
std::optional<std::vector<SourceLine>> ReadSourceLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<SourceLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        std::string trimmed = Trim(text);
        if (!trimmed.empty() && trimmed.front() != '#')
            lines.push_back({number, text});
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = line.find(';', start);
        fields.push_back(Trim(std::string_view(line).substr(start, end == std::string::npos ? end : end - start)));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

std::optional<double> ParseNumber(const std::string& text)
{
    // Plain decimals only: digits with at most one point and at most two decimals.
    std::size_t point = text.find('.');
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos ||
        (point != std::string::npos && (text.find('.', point + 1) != std::string::npos || text.size() - point - 1 > 2)))
        return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> ParseInteger(const std::string& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// Reads a file of "KEY = value" lines, in blocks opened by "[name]" lines (lines before the
// first block belong to a block with an empty name).
struct Entry {
    int line = 0;
    std::string text; // UTF-8 as written
};

struct Block {
    int line = 0;
    std::string name;
    std::map<std::string, Entry> values;
};

std::vector<Block> ParseBlocks(const std::string& file, const std::vector<SourceLine>& lines, Problems& problems)
{
    std::vector<Block> blocks(1);
    for (const SourceLine& line : lines) {
        std::string trimmed = Trim(line.text);
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            blocks.push_back({line.number, Trim(trimmed.substr(1, trimmed.size() - 2)), {}});
            continue;
        }
        std::size_t equals = trimmed.find('=');
        if (equals == std::string::npos) {
            problems.Add(file, line.number, "expected KEY = value");
            continue;
        }
        std::string key = Trim(trimmed.substr(0, equals));
        if (!blocks.back().values.emplace(key, Entry{line.number, Trim(trimmed.substr(equals + 1))}).second)
            problems.Add(file, line.number, "key " + key + " given twice");
    }
    return blocks;
}

// Reads a file of ";"-separated rows whose first row names the columns, which must be
// expected. Calls row(line, fields) for each further row with the right number of fields.
void ParseRows(const std::string& file, const std::vector<SourceLine>& lines, const std::vector<std::string>& expected,
               Problems& problems, const std::function<void(int, const std::vector<std::string>&)>& row)
{
    if (lines.empty() || SplitFields(lines.front().text) != expected) {
        problems.Add(file, lines.empty() ? 1 : lines.front().number, "the header row must name the columns in order");
        return;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> fields = SplitFields(lines[i].text);
        if (fields.size() != expected.size())
            problems.Add(file, lines[i].number, "expected " + std::to_string(expected.size()) + " fields");
        else
            row(lines[i].number, fields);
    }
}

// Reading one source: its lines, its problems, and conversions that report where they fail.
class Source {
public:
    Source(const std::string& directory, const char* name, Problems& problems)
        : file_(name), problems_(problems)
    {
        auto read = ReadSourceLines(directory + "/" + name);
        if (!read)
            problems.Add(file_, 0, "cannot be read");
        else
            lines_ = std::move(*read);
    }
    const std::vector<SourceLine>& Lines() const { return lines_; }
    const std::string& File() const { return file_; }

    std::string Text(int line, const std::string& utf8)
    {
        auto text = Utf8ToCp1252(utf8);
        if (!text)
            problems_.Add(file_, line, "text is not UTF-8 or not Windows-1252: " + utf8);
        return text.value_or("");
    }
    int Integer(int line, const std::string& text, const char* what)
    {
        auto value = ParseInteger(text);
        if (!value)
            problems_.Add(file_, line, std::string(what) + " is not a whole number: " + text);
        return value.value_or(0);
    }
    std::optional<double> Number(int line, const std::string& text, const char* what)
    {
        if (text.empty())
            return std::nullopt;
        auto value = ParseNumber(text);
        if (!value)
            problems_.Add(file_, line, std::string(what) + " is not a number with at most 2 decimals: " + text);
        return value;
    }
    // The text and the whole number of key in block, reported at the key's line.
    std::string TextOf(const Block& block, const std::string& key)
    {
        const Entry* entry = Find(block, key);
        return entry ? Text(entry->line, entry->text) : std::string();
    }
    int IntegerOf(const Block& block, const std::string& key)
    {
        const Entry* entry = Find(block, key);
        return entry ? Integer(entry->line, entry->text, key.c_str()) : 0;
    }

private:
    const Entry* Find(const Block& block, const std::string& key)
    {
        auto found = block.values.find(key);
        if (found == block.values.end()) {
            problems_.Add(file_, block.line, key + " missing");
            return nullptr;
        }
        return &found->second;
    }

    std::string file_;
    Problems& problems_;
    std::vector<SourceLine> lines_;
};

void LoadGeneral(const std::string& directory, General& general, Problems& problems)
{
    Source source(directory, kGeneralFile, problems);
    std::vector<Block> blocks = ParseBlocks(source.File(), source.Lines(), problems);
    const Block& block = blocks.front();
    general.titre[kFra] = source.TextOf(block, "TITREFRA");
    general.titre[kEng] = source.TextOf(block, "TITREENG");
    general.copy[kFra] = source.TextOf(block, "COPYFRA");
    general.copy[kEng] = source.TextOf(block, "COPYENG");
    general.ordre1 = source.IntegerOf(block, "ORDRE1");
    general.ordre2 = source.IntegerOf(block, "ORDRE2");
    general.nutri = source.TextOf(block, "NUTRI");
    if (blocks.size() > 1)
        problems.Add(source.File(), blocks[1].line, "general data has no blocks");
}

void LoadNutrients(const std::string& directory, std::vector<Nutrient>& nutrients, Problems& problems)
{
    Source source(directory, kNutrientsFile, problems);
    const std::vector<std::string> columns = {"NUTRI", "ORDRE",     "TB",       "TB16G",     "DIG_A",   "DIG_V",
                                              "TDIG_V", "COURT FRA", "LONG FRA", "COURT ENG", "LONG ENG"};
    ParseRows(source.File(), source.Lines(), columns, problems, [&](int line, const std::vector<std::string>& f) {
        Nutrient n;
        n.line = line;
        n.code = source.Text(line, f[0]);
        n.ordre = source.Integer(line, f[1], "ORDRE");
        for (int t = 0; t < kValueTypes; ++t) {
            if (f[2 + t] != "O" && f[2 + t] != "N")
                problems.Add(source.File(), line, std::string(kValueTypeNames[t]) + " must be O or N");
            n.carries[t] = f[2 + t] == "O";
        }
        n.court = {source.Text(line, f[7]), source.Text(line, f[9])};
        n.longName = {source.Text(line, f[8]), source.Text(line, f[10])};
        nutrients.push_back(n);
    });
}

void LoadFeedstuffs(const std::string& directory, std::vector<Feedstuff>& feedstuffs, Problems& problems)
{
    Source source(directory, kFeedstuffsFile, problems);
    std::vector<Block> blocks = ParseBlocks(source.File(), source.Lines(), problems);
    if (!blocks.front().values.empty())
        problems.Add(source.File(), 1, "values before the first [code] block");
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        Feedstuff f;
        f.line = block.line;
        f.code = source.Integer(block.line, block.name, "the feedstuff code");
        const char* suffix[2] = {" FRA", " ENG"};
        for (int language : {kFra, kEng}) {
            f.libelle[language] = source.TextOf(block, std::string("LIBELLE") + suffix[language]);
            f.court[language] = source.TextOf(block, std::string("COURT") + suffix[language]);
            f.definition[language] = source.TextOf(block, std::string("DEFINITION") + suffix[language]);
        }
        if (block.values.size() != 6)
            problems.Add(source.File(), block.line, "a feedstuff has exactly six keys");
        feedstuffs.push_back(f);
    }
}

void LoadValues(const std::string& directory, std::vector<ValueRecord>& values, Problems& problems)
{
    Source source(directory, kValuesFile, problems);
    const std::vector<std::string> columns = {"MATIERE", "NUTRI",   "NB_VAL", "TB",     "E_TB",    "TB16G",   "E_TB16G",
                                              "DIG_A",   "E_DIG_A", "DIG_V",  "E_DIG_V", "TDIG_V", "E_TDIG_V"};
    ParseRows(source.File(), source.Lines(), columns, problems, [&](int line, const std::vector<std::string>& f) {
        ValueRecord v;
        v.line = line;
        v.matiere = source.Integer(line, f[0], "MATIERE");
        v.nutri = source.Text(line, f[1]);
        v.nbVal = source.Integer(line, f[2], "NB_VAL");
        for (int t = 0; t < kValueTypes; ++t) {
            v.mean[t] = source.Number(line, f[3 + 2 * t], kValueTypeNames[t]);
            v.deviation[t] = source.Number(line, f[4 + 2 * t], kValueTypeNames[t]);
        }
        values.push_back(v);
    });
}

// ---- Consistency rules ----------------------------------------------------------------

// Amino-acid sums shipped as nutrients of their own: the sum, then its two parts.
constexpr const char* kSums[][3] = {{"MC", "MET", "CYS"}, {"PT", "PHE", "TYR"}};
// Proximate fractions that cannot together exceed the dry matter (NDF overlaps them).
constexpr const char* kDryMatter = "DM";
constexpr const char* kFractions[] = {"ASH", "EE", "CF", "STA", "SUG"};

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

std::string Show(double value) { return FixedText(value, kValueDecimals); }

class Checker {
public:
    explicit Checker(const SampleDatabase& db) : db_(db)
    {
        for (const Nutrient& n : db.nutrients)
            nutrients_.emplace(n.code, &n);
        for (const ValueRecord& v : db.values)
            values_.emplace(std::pair(v.matiere, v.nutri), &v);
    }

    std::vector<std::string> Run()
    {
        CheckGeneral();
        CheckNutrients();
        CheckFeedstuffs();
        for (const ValueRecord& v : db_.values)
            CheckRecord(v);
        for (const Feedstuff& f : db_.feedstuffs)
            CheckFeedstuffValues(f);
        return problems_.Take();
    }

private:
    void Width(const char* file, int line, const std::string& what, const std::string& text, std::size_t width)
    {
        if (text.empty())
            problems_.Add(file, line, what + " is empty");
        else if (text.size() > width)
            problems_.Add(file, line, what + " is longer than " + std::to_string(width) + " characters");
    }

    void CheckGeneral()
    {
        const General& g = db_.general;
        for (int language : {kFra, kEng}) {
            Width(kGeneralFile, 0, "the title", g.titre[language], kTitreWidth);
            Width(kGeneralFile, 0, "the copyright text", g.copy[language], kCopyWidth);
        }
        Width(kGeneralFile, 0, "the permanent nutrient", g.nutri, kNutriWidth);
        // The texts must say plainly that the values are sample data, not for formulation.
        for (const std::string* text : {&g.titre[kEng], &g.copy[kEng]})
            if (text->find("not for") == std::string::npos || text->find("formulation") == std::string::npos)
                problems_.Add(kGeneralFile, 0, "the English title and copyright must say: not for formulation");
        for (const std::string* text : {&g.titre[kFra], &g.copy[kFra]})
            if (text->find("formul") == std::string::npos)
                problems_.Add(kGeneralFile, 0, "the French title and copyright must say the values are not for formulation");
        // The program trims blanks before unscrambling: no character may scramble to a blank
        // or a control character, or it would be lost.
        for (const std::string* text : {&g.titre[kFra], &g.titre[kEng], &g.copy[kFra], &g.copy[kEng], &g.nutri})
            for (char c : *text)
                if (static_cast<unsigned char>(CRYPTER(std::string(1, c))[0]) <= 0x20)
                    problems_.Add(kGeneralFile, 0, std::string("the character '") + c + "' scrambles to a blank or a control byte");
        if (g.ordre1 < 1 || g.ordre2 <= g.ordre1 || g.ordre2 > kLargestOrdre)
            problems_.Add(kGeneralFile, 0, "ORDRE1 and ORDRE2 must satisfy 1 <= ORDRE1 < ORDRE2 <= 999");
    }

    bool IsPermanent(const Nutrient& n) const { return n.code == db_.general.nutri; }
    bool IsProximate(const Nutrient& n) const { return n.ordre >= db_.general.ordre2; }

    void CheckNutrients()
    {
        std::set<int> orders;
        if (nutrients_.size() != db_.nutrients.size())
            problems_.Add(kNutrientsFile, 0, "nutrient codes must be unique");
        if (!nutrients_.count(db_.general.nutri))
            problems_.Add(kNutrientsFile, 0, "the permanent nutrient " + db_.general.nutri + " is missing");
        for (const Nutrient& n : db_.nutrients) {
            Width(kNutrientsFile, n.line, "the code", n.code, kNutriWidth);
            if (n.code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string::npos)
                problems_.Add(kNutrientsFile, n.line, "codes are upper-case letters and digits");
            if (!orders.insert(n.ordre).second || n.ordre > kLargestOrdre)
                problems_.Add(kNutrientsFile, n.line, "ORDRE must be unique and at most 999");
            for (int language : {kFra, kEng}) {
                Width(kNutrientsFile, n.line, "the short name", n.court[language], kCourtNutriWidth);
                Width(kNutrientsFile, n.line, "the long name", n.longName[language], kLongWidth);
            }
            std::array<bool, kValueTypes> expected;
            if (IsPermanent(n)) // protein in g/16 g N would always read 100
                expected = {true, false, true, true, true};
            else if (IsProximate(n)) // analyses: no digestibility, nothing per 16 g N
                expected = {true, false, false, false, false};
            else // amino acids carry every value type
                expected = {true, true, true, true, true};
            if (n.carries != expected)
                problems_.Add(kNutrientsFile, n.line, "support flags do not fit the nutrient's group");
        }
    }

    void CheckFeedstuffs()
    {
        std::set<int> codes;
        if (db_.feedstuffs.size() < kLeastFeedstuffs)
            problems_.Add(kFeedstuffsFile, 0, "the sample database holds at least " + std::to_string(kLeastFeedstuffs) + " feedstuffs");
        for (const Feedstuff& f : db_.feedstuffs) {
            if (!codes.insert(f.code).second || f.code < 1 || f.code > kLargestMatiere)
                problems_.Add(kFeedstuffsFile, f.line, "codes are unique, from 1 to 9999");
            for (int language : {kFra, kEng}) {
                Width(kFeedstuffsFile, f.line, "LIBELLE", f.libelle[language], kLibelleWidth);
                Width(kFeedstuffsFile, f.line, "COURT", f.court[language], kCourtMatWidth);
                Width(kFeedstuffsFile, f.line, "DEFINITION", f.definition[language], kDefinitionWidth);
            }
        }
    }

    const ValueRecord* Find(int matiere, const std::string& nutri) const
    {
        auto found = values_.find(std::pair(matiere, nutri));
        return found == values_.end() ? nullptr : found->second;
    }

    void CheckRecord(const ValueRecord& v)
    {
        auto problem = [&](const std::string& what) { problems_.Add(kValuesFile, v.line, what); };
        if (Find(v.matiere, v.nutri) != &v)
            problem("the feedstuff and nutrient pair is given twice");
        if (std::none_of(db_.feedstuffs.begin(), db_.feedstuffs.end(), [&](auto& f) { return f.code == v.matiere; }))
            problem("unknown feedstuff " + std::to_string(v.matiere));
        auto nutrient = nutrients_.find(v.nutri);
        if (nutrient == nutrients_.end()) {
            problem("unknown nutrient " + v.nutri);
            return;
        }
        if (v.nbVal < 1 || v.nbVal > kLargestNbVal)
            problem("NB_VAL must be from 1 to 999");
        for (int t = 0; t < kValueTypes; ++t) {
            std::string type = kValueTypeNames[t];
            bool given = v.mean[t] || v.deviation[t];
            if (given != nutrient->second->carries[t]) {
                problem(type + (given ? " given for a nutrient that does not carry it" : " missing"));
                continue;
            }
            if (!given)
                continue;
            if (!v.mean[t] || !v.deviation[t])
                problem(type + " needs both its mean and its standard deviation");
            else if (*v.mean[t] <= 0 || *v.mean[t] > kLargestValue || *v.deviation[t] <= 0 || *v.deviation[t] > kLargestValue)
                problem(type + " and its standard deviation must be positive and at most 999.99");
        }
        auto mean = [&](ValueType t) { return v.mean[t].value_or(0); };
        if (v.mean[kDIG_V] && mean(kDIG_V) > 100)
            problem("DIG_V above 100");
        for (ValueType content : {kTB, kTDIG_V})
            if (v.mean[content] && mean(content) > kWholeFeed)
                problem(std::string(kValueTypeNames[content]) + " " + Show(mean(content)) + " is above 100 % as fed");
        if (v.mean[kDIG_A] && v.mean[kDIG_V] && mean(kDIG_A) > mean(kDIG_V))
            problem("DIG_A " + Show(mean(kDIG_A)) + " above DIG_V " + Show(mean(kDIG_V)));
        if (v.mean[kTDIG_V] && !Near(mean(kTDIG_V), mean(kTB) * mean(kDIG_V) / 100, kRounding))
            problem("TDIG_V " + Show(mean(kTDIG_V)) + " is not TB x DIG_V / 100 = " + Show(mean(kTB) * mean(kDIG_V) / 100));
        if (v.mean[kTB16G]) {
            const ValueRecord* protein = Find(v.matiere, db_.general.nutri);
            if (protein && protein->mean[kTB]) {
                double expected = mean(kTB) / *protein->mean[kTB] * 100;
                if (!Near(mean(kTB16G), expected, kRounding + expected * 0.0001))
                    problem("TB16G " + Show(mean(kTB16G)) + " is not TB / protein x 100 = " + Show(expected));
            }
        }
    }

    double Content(int matiere, const char* nutri) const
    {
        const ValueRecord* v = Find(matiere, nutri);
        return v ? v->mean[kTB].value_or(0) : 0;
    }

    void CheckFeedstuffValues(const Feedstuff& f)
    {
        auto problem = [&](const std::string& what) { problems_.Add(kFeedstuffsFile, f.line, what); };
        std::set<std::string> sumNames;
        for (auto& sum : kSums) {
            sumNames.insert(sum[0]);
            if (Find(f.code, sum[0]) &&
                !Near(Content(f.code, sum[0]), Content(f.code, sum[1]) + Content(f.code, sum[2]), 2 * kRounding))
                problem(std::string(sum[0]) + " is not " + sum[1] + " + " + sum[2]);
        }
        // A free amino acid (L-lysine HCl, DL-methionine...) holds one amino acid and the
        // sums that contain it; any other feedstuff has a record for every amino acid.
        auto isAminoAcid = [&](const Nutrient& n) { return !IsProximate(n) && !IsPermanent(n) && !sumNames.count(n.code); };
        const bool freeAminoAcid =
            std::count_if(db_.nutrients.begin(), db_.nutrients.end(),
                          [&](const Nutrient& n) { return isAminoAcid(n) && Find(f.code, n.code); }) == 1;
        // Every feedstuff has its protein and its dry matter.
        double protein = Content(f.code, db_.general.nutri.c_str());
        double aminoAcids = 0;
        for (const Nutrient& n : db_.nutrients) {
            bool required = IsPermanent(n) || n.code == kDryMatter || (!IsProximate(n) && !freeAminoAcid);
            if (required && !Find(f.code, n.code))
                problem("no value record for nutrient " + n.code);
            if (isAminoAcid(n))
                aminoAcids += Content(f.code, n.code.c_str());
        }
        double dryMatter = Content(f.code, kDryMatter);
        // In an intact protein the amino acids make up most, never more than all, of the
        // protein (N x 6.25). A free amino acid has the nitrogen content of its own molecule,
        // so its content may exceed its crude protein, but never its dry matter.
        if (freeAminoAcid && aminoAcids > dryMatter)
            problem("the free amino acid (" + Show(aminoAcids) + " %) exceeds the dry matter (" + Show(dryMatter) + " %)");
        if (!freeAminoAcid && (aminoAcids > protein * 1.02 || aminoAcids < protein * 0.6))
            problem("amino acids add up to " + Show(aminoAcids) + " % for " + Show(protein) + " % of protein");
        double fractions = protein;
        for (const char* fraction : kFractions)
            fractions += Content(f.code, fraction);
        if (fractions > dryMatter || dryMatter > kWholeFeed)
            problem("protein and proximate fractions (" + Show(fractions) + ") exceed the dry matter (" + Show(dryMatter) + ")");
        double cf = Content(f.code, "CF"), adf = Content(f.code, "ADF"), ndf = Content(f.code, "NDF");
        if ((cf && adf && cf > adf) || (adf && ndf && adf > ndf))
            problem("fibre fractions must satisfy CF <= ADF <= NDF");
    }

    const SampleDatabase& db_;
    Problems problems_;
    std::map<std::string, const Nutrient*> nutrients_;
    std::map<std::pair<int, std::string>, const ValueRecord*> values_;
};

} // namespace

std::vector<std::string> LoadSources(const std::string& directory, SampleDatabase& db)
{
    Problems problems;
    LoadGeneral(directory, db.general, problems);
    LoadNutrients(directory, db.nutrients, problems);
    LoadFeedstuffs(directory, db.feedstuffs, problems);
    LoadValues(directory, db.values, problems);
    return problems.Take();
}

std::vector<std::string> CheckSources(const SampleDatabase& db) { return Checker(db).Run(); }

} // namespace lysora::tables
