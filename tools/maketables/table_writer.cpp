// Each table is created from its declaration, opened through the data layer (whose open
// checks the new file against the declaration, as the program will) exclusive and writable,
// filled record by record, committed, checked against its index and closed; a failure of
// any of these steps is a problem, so no truncated table is ever reported as written.
#include "tools/maketables/table_writer.h"

#include "data/engine/engine.h"
#include "services/reftables.h"
#include "services/strings.h"

#include <functional>

namespace lysora::tables {
namespace {

class Writer {
public:
    explicit Writer(std::string directory) : directory_(std::move(directory)) {}

    // Creates and opens table, then calls fill to add its records.
    void Write(DBF& table, const std::function<void()>& fill)
    {
        std::string error;
        if (!CreateTable(table, directory_, error)) {
            problems_.push_back(table.FILENAME() + ": " + error);
            return;
        }
        if (!table.OPEN(false, false, directory_)) {
            problems_.push_back(table.FILENAME() + ": the new table does not open: " + engine::LASTERROR());
            return;
        }
        current_ = &table;
        fill();
        engine::DBSELECTAREA(table.AREA());
        if (!engine::DBCOMMIT())
            problems_.push_back(table.FILENAME() + ": cannot write the table: " + engine::LASTERROR());
        for (const std::string& problem : engine::ORDCHECK())
            problems_.push_back(table.FILENAME() + ": index: " + problem);
        if (!table.CLOSE())
            problems_.push_back(table.FILENAME() + ": cannot close the table: " + engine::LASTERROR());
    }

    void Append()
    {
        if (!current_->INSERT())
            problems_.push_back(current_->FILENAME() + ": append refused: " + engine::LASTERROR());
    }

    void Put(const char* field, const Value& value)
    {
        // The engine cuts a text to its field's width: refuse instead of losing the end.
        const DOM* domain = current_->FLDOBJ(Symbol(field));
        if (domain && value.IsText() && value.Text().size() > std::size_t(domain->LEN())) {
            problems_.push_back(current_->FILENAME() + ": " + field + " longer than " + std::to_string(domain->LEN()) +
                                " characters: " + value.Text());
            return;
        }
        if (!current_->Put(Symbol(field), value))
            problems_.push_back(current_->FILENAME() + ": " + field + " refused: " + engine::LASTERROR());
    }

    std::vector<std::string> Problems() { return std::move(problems_); }

private:
    std::string directory_;
    DBF* current_ = nullptr;
    std::vector<std::string> problems_;
};

Value Optional(const std::optional<double>& number) { return number ? Value(*number) : Value(); }
Value Flag(bool carried) { return Value(carried ? "O" : "N"); }

} // namespace

bool CreateTable(const DBF& table, const std::string& directory, std::string& error)
{
    std::vector<engine::FieldSpec> fields;
    for (std::size_t i = 0; i < table.FLDSYM().size(); ++i) {
        const DOM& domain = *table.FLDOBJ()[i];
        fields.push_back({table.FLDSYM()[i].Name(), domain.TYP().empty() ? 'C' : domain.TYP()[0], domain.LEN(), domain.DEC()});
    }
    std::vector<engine::TagSpec> tags;
    for (std::size_t i = 0; i < table.AORDSYM().size(); ++i)
        tags.push_back({table.AORDSYM()[i].Name(), table.AORDKEY()[i], table.AORDFOR()[i]});
    return engine::DBCREATE(directory + "/" + table.FILENAME(), fields, tags, &error);
}

std::vector<std::string> WriteSampleDatabase(const SampleDatabase& db, const std::string& directory)
{
    Writer writer(directory);
    for (Language language : {kFra, kEng}) {
        CHOISIRLANGUE(language == kFra ? kFrench : kEnglish);
        DBF_MAT feedstuffs;
        writer.Write(feedstuffs, [&] {
            for (const Feedstuff& f : db.feedstuffs) {
                writer.Append();
                writer.Put("MATIERE", f.code);
                writer.Put("LIBELLE", f.libelle[language]);
                writer.Put("COURT", f.court[language]);
                writer.Put("DEFINITION", f.definition[language]);
            }
        });
        DBF_NUTRI nutrients;
        writer.Write(nutrients, [&] {
            for (const Nutrient& n : db.nutrients) {
                writer.Append();
                writer.Put("NUTRI", n.code);
                writer.Put("COURT", n.court[language]);
                writer.Put("LONG", n.longName[language]);
                writer.Put("ORDRE", n.ordre);
                for (int t = 0; t < kValueTypes; ++t)
                    writer.Put(kValueTypeNames[t], Flag(n.carries[t]));
            }
        });
    }
    DBF_VAL values;
    writer.Write(values, [&] {
        for (const ValueRecord& v : db.values) {
            writer.Append();
            writer.Put("MATIERE", v.matiere);
            writer.Put("NUTRI", v.nutri);
            writer.Put("NB_VAL", v.nbVal);
            for (int t = 0; t < kValueTypes; ++t) {
                writer.Put(kValueTypeNames[t], Optional(v.mean[t]));
                writer.Put(("E_" + std::string(kValueTypeNames[t])).c_str(), Optional(v.deviation[t]));
            }
        }
    });
    DBF_GENERAL general;
    writer.Write(general, [&] {
        const General& g = db.general;
        writer.Append();
        writer.Put("TITREFRA", CRYPTER(g.titre[kFra]));
        writer.Put("TITREENG", CRYPTER(g.titre[kEng]));
        writer.Put("COPYFRA", CRYPTER(g.copy[kFra]));
        writer.Put("COPYENG", CRYPTER(g.copy[kEng]));
        writer.Put("ORDRE1", g.ordre1);
        writer.Put("ORDRE2", g.ordre2);
        writer.Put("NUTRI", CRYPTER(g.nutri));
    });
    return writer.Problems();
}

} // namespace lysora::tables
