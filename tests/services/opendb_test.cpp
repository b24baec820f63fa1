// Opening the program's database on copies of the shipped tables: read-only or writable as
// asked, the general data and nutrient groups loaded for the language, and each failure
// reported with its messages and answered false.
#include "services/opendb.h"

#include "services/reftables.h"
#include "services/strings.h"
#include "tests/support/program_dir_fixture.h"
#include "tools/maketables/table_sources.h"
#include "tools/maketables/table_writer.h"

#include <filesystem>

namespace lysora {
namespace {

namespace fs = std::filesystem;

class OpenDbTest : public test::ProgramDirFixture {
protected:
    void SetUp() override
    {
        test::ProgramDirFixture::SetUp();
        // The shipped tables, from the build's bin/ folder (the working directory).
        for (const fs::directory_entry& entry : fs::directory_iterator(fs::current_path())) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".dbf" || ext == ".cdx")
                fs::copy_file(entry.path(), dir_ / entry.path().filename());
        }
        ASSERT_TRUE(tables::LoadSources(LYSORA_TABLES_DIR, sample_).empty());
        CHOISIRLANGUE(kEnglish);
    }
    void TearDown() override
    {
        if (DATABASE* database = BASEPROGRAMME())
            database->CLOSE(); // the files may go
        CHOISIRLANGUE(kEnglish);
        test::ProgramDirFixture::TearDown();
    }

    tables::SampleDatabase sample_;
    test::MessageRecorder messages_;
};

TEST_F(OpenDbTest, OpensReadOnlyAndLoadsTheGeneralDataOfTheLanguage)
{
    CHOISIRLANGUE(kFrench);
    ASSERT_TRUE(OPENDB(false));
    EXPECT_TRUE(messages_.shown.empty());
    ASSERT_TRUE(BASEPROGRAMME());
    EXPECT_EQ(BASEPROGRAMME()->DIRECTORY(), PROGRAMDIR());
    EXPECT_EQ(BASEPROGRAMME()->READONLY(), std::optional<bool>(true));
    EXPECT_EQ(BASEPROGRAMME()->SHARED(), std::optional<bool>(true));
    EXPECT_EQ(BASEPROGRAMME()->AOBJ().size(), 4u);

    const DonneesGenerales& data = DONNEESGENERALES();
    EXPECT_EQ(data.titre, sample_.general.titre[tables::kFra]);
    EXPECT_EQ(data.ordre1, sample_.general.ordre1);
    EXPECT_EQ(data.ordre2, sample_.general.ordre2);
    for (const GroupeNutriments* group : {&data.aae, &data.aane, &data.ap}) {
        ASSERT_GT(group->codes.size(), 1u);
        EXPECT_EQ(group->codes.front(), sample_.general.nutri); // the permanent nutrient heads it
    }
}

TEST_F(OpenDbTest, ADebugCopyOpensWritableAndTheLanguageChoosesTheTables)
{
    ASSERT_TRUE(OPENDB(true));
    EXPECT_EQ(BASEPROGRAMME()->READONLY(), std::optional<bool>(false));
    EXPECT_EQ(DONNEESGENERALES().titre, sample_.general.titre[tables::kEng]);
    EXPECT_EQ(BASEPROGRAMME()->AOBJ().front()->FILENAME(), "matENG");
}

TEST_F(OpenDbTest, AMissingTableIsReportedAndNothingStaysOpen)
{
    fs::remove(dir_ / "nutENG.dbf");
    EXPECT_FALSE(OPENDB(false));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, "Fichier non trouvé");
    EXPECT_EQ(messages_.shown[1].text, "Fichiers non disponibles");
    EXPECT_EQ(messages_.shown[1].caption, "Erreur");
    EXPECT_FALSE(BASEPROGRAMME()->READONLY().has_value()) << "the database stays closed";

    // The French tables are all there.
    messages_.shown.clear();
    CHOISIRLANGUE(kFrench);
    EXPECT_TRUE(OPENDB(false));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(OpenDbTest, AnEmptyGeneralTableStopsTheOpening)
{
    std::string error;
    ASSERT_TRUE(tables::CreateTable(DBF_GENERAL(), dir_.string(), error)) << error;
    EXPECT_FALSE(OPENDB(false));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Table générale non renseignée; utilisez l'outil d'administration");
    EXPECT_EQ(messages_.shown[0].caption, "Erreur");
}

} // namespace
} // namespace lysora
