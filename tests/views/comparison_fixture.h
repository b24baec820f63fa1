// Shared by the comparison tests: a small database written into a private program
// directory by the table writer, opened as the program opens its tables, and what its
// values are (the test's own copy, read nowhere through the code under test).
//
// Feedstuffs 3 "Maize", 7 "Barley", 12 "Blé tendre"; nutrients LYS (every type, order 10),
// DM (raw content only, order 210) and the permanent nutrient CP (no g/16 g N, order 300:
// it still heads the list). Barley has CP, LYS and DM; wheat has CP and LYS but no DM
// record; maize has LYS only, with an apparent digestibility of 2.5 and a stored 0.
#pragma once

#include "app/reftables.h"
#include "app/strings.h"
#include "tests/app/app_test_support.h"
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

// The small database written and opened in a private program directory, in English.
class ComparisonDatabaseFixture : public ProgramDirFixture {
protected:
    void SetUp() override
    {
        ProgramDirFixture::SetUp();
        ASSERT_TRUE(tables::WriteSampleDatabase(SmallDatabase(), dir_.string()).empty());
        ASSERT_TRUE(Open(kEnglish));
    }
    void TearDown() override
    {
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE();
        CHOISIRLANGUE(kEnglish);
        ProgramDirFixture::TearDown();
    }
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
};

} // namespace lysora::test
