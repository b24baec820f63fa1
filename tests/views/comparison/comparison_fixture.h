// Shared by the comparison tests: a small database written into a private program
// directory by the table writer, opened as the program opens its tables, and what its
// values are (the test's own copy, read nowhere through the code under test).
//
// Feedstuffs 3 "Maize", 7 "Barley", 12 "Blé tendre"; nutrients LYS (every type, order 10),
// DM (raw content only, order 210) and the permanent nutrient CP (no g/16 g N, order 300:
// it still heads the list). Barley has CP, LYS and DM; wheat has CP and LYS but no DM
// record; maize has LYS only, with an apparent digestibility of 2.5 and a stored 0.
#pragma once

#include "services/reftables.h"
#include "services/settings.h"
#include "services/strings.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_writer.h"

#include <optional>

namespace lysora::test {

inline tables::ValueRecord Values(int mat, std::string nutri, std::vector<std::optional<double>> means)
{
    tables::ValueRecord record;
    record.matiere = mat;
    record.nutri = std::move(nutri);
    record.nbVal = 3;
    for (std::size_t t = 0; t < means.size(); ++t) {
        record.mean[t] = means[t];
        if (means[t])
            record.deviation[t] = 0.5;
    }
    return record;
}

inline tables::SampleDatabase SmallDatabase()
{
    tables::SampleDatabase db;
    db.general.titre = {"Lysora (exemple)", "Lysora (sample)"};
    db.general.copy = {"Données d'exemple", "Sample data"};
    db.general.ordre1 = 100;
    db.general.ordre2 = 200;
    db.general.nutri = "CP";
    auto nutrient = [](std::string code, int ordre, std::array<bool, 5> carries, std::string fra, std::string eng) {
        tables::Nutrient n;
        n.code = std::move(code);
        n.ordre = ordre;
        n.carries = carries;
        n.court = {n.code.substr(0, 3), n.code.substr(0, 3)};
        n.longName = {std::move(fra), std::move(eng)};
        return n;
    };
    db.nutrients = {nutrient("LYS", 10, {true, true, true, true, true}, "Lysine", "Lysine"),
                    nutrient("DM", 210, {true, false, false, false, false}, "Matière sèche", "Dry matter"),
                    nutrient("CP", 300, {true, false, true, true, true}, "Matières azotées", "Crude protein")};
    auto feedstuff = [](int code, std::string name) {
        tables::Feedstuff f;
        f.code = code;
        f.libelle = {name, name};
        f.court = {name.substr(0, 5), name.substr(0, 5)};
        f.definition = {"-", "-"};
        return f;
    };
    db.feedstuffs = {feedstuff(3, "Maize"), feedstuff(7, "Barley"), feedstuff(12, "Blé tendre")};
    db.values = {Values(7, "CP", {105, {}, 75.5, 82, 86.1}),   Values(7, "LYS", {3.78, 3.6, 70, 79, 2.99}),
                 Values(7, "DM", {870}),                         Values(12, "CP", {115, {}, 78, 87, 100.05}),
                 Values(12, "LYS", {3.22, 2.8, 70.19, 81, 2.61}), Values(3, "LYS", {2.4, 3, 2.5, 0, 0})};
    return db;
}

// A private program directory holding a database, removed at the end: the small one
// above, or copies of the shipped tables of the build's bin/ folder (the working directory).
class DatabaseDir {
public:
    explicit DatabaseDir(bool shipped = false)
    {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("lysora_comparison_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        previous_ = PROGRAMDIR();
        SETPROGRAMDIR(dir_.string() + std::string(1, std::filesystem::path::preferred_separator));
        if (!shipped) {
            written_ = tables::WriteSampleDatabase(SmallDatabase(), dir_.string()).empty();
            return;
        }
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::current_path())) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".dbf" || ext == ".cdx")
                std::filesystem::copy_file(entry.path(), dir_ / entry.path().filename());
        }
        written_ = std::filesystem::exists(dir_ / "valeurs.dbf");
    }
    ~DatabaseDir()
    {
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE(); // the files may go
        CHOISIRLANGUE(kEnglish);
        SETPROGRAMDIR(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    DatabaseDir(const DatabaseDir&) = delete;
    DatabaseDir& operator=(const DatabaseDir&) = delete;

    bool Written() const { return written_; }
    // Opens the database in a language, with the general data and nutrient groups loaded.
    bool Open(std::string_view language)
    {
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        CHOISIRLANGUE(language);
        DATABASE& database = I_DATABASE();
        database.DIRECTORY(PROGRAMDIR());
        return database.OPEN(true, true) && LOADGENERAL() && LOADNUTRIMENTS();
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Path() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string previous_;
    bool written_ = false;
};

} // namespace lysora::test
