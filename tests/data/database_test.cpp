// The database and its table definitions: declarations, opening in one mode or another,
// the checks of the table files, and field access by name.
#include "tests/data/data_fixture.h"

#include "data/engine/file.h"

#include <fstream>

namespace lysora::testing {
namespace {

using Declarations = ::testing::Test;
using Database = DataTest;

// Overwrites one byte of a file.
void PatchByte(const std::string& path, std::streamoff offset, unsigned char byte)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(file.is_open()) << path;
    file.seekp(offset);
    file.put(char(byte));
}

TEST(Declarations, OrdersFromFieldsJoinTheirDomainKeys)
{
    DBF table("T");
    table.FLD(S("CODE"), std::make_shared<DOM_CAR>(4), "Code");
    table.FLD(S("ORDRE"), std::make_shared<DOM_NUM>(3, 0), "Ordre");
    table.FLD(S("DATEMAJ"), std::make_shared<DOM_DAT>(), "Date");
    table.ORD(S("MIXTE"), std::vector<Symbol>{S("CODE"), S("ORDRE"), S("DATEMAJ")}, "!DELETED()", "Mixte");
    table.ORD(S("LIBRE"), "upper(CODE)");
    ASSERT_EQ(table.AORDKEY().size(), 2u);
    EXPECT_EQ(table.AORDKEY()[0], "CODE+str(ORDRE,3,0)+dtos(DATEMAJ)");
    EXPECT_EQ(table.AORDFOR()[0], "!DELETED()");
    EXPECT_EQ(table.AORDTXT()[0], "Mixte");
    EXPECT_EQ(table.AORDKEY()[1], "upper(CODE)");
    EXPECT_EQ(table.OrderNumber(S("LIBRE")), 2);
    EXPECT_EQ(table.OrderNumber(3), 0);
}

TEST(Declarations, LookUpsByNumberOrSymbol)
{
    DBF_NUTRI table;
    EXPECT_EQ(table.FLDSYM(2), S("NOM"));
    EXPECT_TRUE(table.FLDSYM(4).IsNull());
    EXPECT_EQ(table.FLDOBJ(S("ORDRE"))->TYP(), "N");
    EXPECT_EQ(table.FLDOBJ(1)->LEN(), 4);
    EXPECT_EQ(table.FLDOBJ(S("ABSENT")), nullptr);
    EXPECT_EQ(table.FLDTXT(S("NOM")), "Nom");
    EXPECT_EQ(table.FLDTXT(S("NOM"), 2), "Name");
    EXPECT_EQ(table.FLDTXT(S("NOM"), 3), "Nom"); // text 3 defaults to text 1
    EXPECT_EQ(table.FLDTXT(3, 3), "N°");
    EXPECT_EQ(table.FLDTXT(3, 7), "Ordre");
    EXPECT_EQ(table.FLDSYM().size(), 3u);
}

TEST(Declarations, TitlesTakeTextsArraysOrNothing)
{
    DBF_NUTRI table;
    EXPECT_EQ(table.TXT(), "Nutriments");
    EXPECT_EQ(table.TXT(true), "Nutrients");
    table.TXT(Value(12), Value("Second"));
    EXPECT_EQ(table.TXT(), "");
    EXPECT_EQ(table.TXT(true), "Second");
}

TEST_F(Database, OpensRegistersAndClosesEveryTable)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    auto mat = std::make_shared<DBF_MAT>();
    CreateTable(*nutri);
    CreateTable(*mat);
    DATABASE db;
    db.ADD(nutri);
    db.ADD(mat);
    EXPECT_EQ(db.DIRECTORY(Directory()), Directory());
    EXPECT_FALSE(db.SHARED().has_value());

    ASSERT_TRUE(db.OPEN()) << messages.Texts();
    EXPECT_EQ(db.SHARED(), true);
    EXPECT_EQ(db.READONLY(), false);
    EXPECT_NE(nutri->AREA(), 0);
    EXPECT_NE(mat->AREA(), nutri->AREA());
    EXPECT_EQ(I_AREADBF[nutri->AREA()], nutri.get());
    EXPECT_EQ(I_AREADBF[mat->AREA()], mat.get());

    int area = mat->AREA();
    EXPECT_TRUE(db.CLOSE());
    EXPECT_EQ(mat->AREA(), 0);
    EXPECT_EQ(I_AREADBF[area], nullptr);
    EXPECT_FALSE(db.SHARED().has_value());
    EXPECT_FALSE(db.READONLY().has_value());
    ASSERT_TRUE(engine::DBSELECTAREA(area));
    EXPECT_FALSE(engine::USED());
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(Database, OpeningAgainInOneModeKeepsTablesAnotherModeReopensThem)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    CreateTable(*nutri, {{"LYS", "Lysine", 1}});
    DATABASE db;
    db.ADD(nutri);
    db.DIRECTORY(Directory());
    ASSERT_TRUE(db.OPEN(true, false));

    // A selection's order stays applied as long as the tables stay open.
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.GOTOP());
    EXPECT_EQ(I_AREASEL[nutri->AREA()], &selection);
    EXPECT_TRUE(db.OPEN(true, false));
    EXPECT_EQ(I_AREASEL[nutri->AREA()], &selection);

    ASSERT_TRUE(db.OPEN(true, true)); // read-only now: closed and reopened
    EXPECT_EQ(db.READONLY(), true);
    EXPECT_EQ(I_AREASEL[nutri->AREA()], nullptr);
    EXPECT_EQ(I_AREADBF[nutri->AREA()], nutri.get());
    DBSEL reader(nutri->AREA());
    EXPECT_FALSE(reader.INSERT()) << "a read-only table refuses new records";
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(Database, MissingFileNamesItsPathAndLeavesEverythingClosed)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    auto mat = std::make_shared<DBF_MAT>();
    CreateTable(*nutri); // MAT is missing
    DATABASE db;
    db.ADD(nutri);
    db.ADD(mat);
    db.DIRECTORY(Directory().substr(0, Directory().size() - 1)); // no trailing "\": added
    EXPECT_FALSE(db.OPEN());

    ASSERT_EQ(messages.shown.size(), 2u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Fichier non trouvé");
    EXPECT_EQ(messages.shown[0].caption, "Table " + Directory() + "MAT.dbf");
    EXPECT_EQ(messages.shown[0].style, unsigned(kMbIconStop));
    EXPECT_EQ(messages.shown[1].text, "Fichiers non disponibles");
    EXPECT_EQ(messages.shown[1].caption, "Erreur");
    EXPECT_EQ(messages.shown[1].style, unsigned(kMbIconStop));
    EXPECT_EQ(nutri->AREA(), 0) << "the table that did open is closed again";
    EXPECT_FALSE(db.SHARED().has_value());
    for (int area = 1; area <= engine::kMaxAreas; ++area)
        EXPECT_EQ(I_AREADBF[area], nullptr) << area;
}

TEST_F(Database, SignatureAcceptsMemoTablesOnlyWithTheWindowsCodePage)
{
    auto mat = std::make_shared<DBF_MAT>();
    CreateTable(*mat);
    const std::string file = PathOf("MAT.dbf");
    std::string head = engine::ReadFileHead(file, 32);
    ASSERT_EQ(head.size(), 32u);
    ASSERT_EQ((unsigned char)head[0], 0x83);
    ASSERT_EQ((unsigned char)head[29], 0x03);
    {
        DATABASE db;
        db.ADD(mat);
        db.DIRECTORY(Directory());
        EXPECT_TRUE(db.OPEN()) << messages.Texts();
    }

    PatchByte(file, 29, 0x57); // another code page
    DATABASE db;
    db.ADD(mat);
    db.DIRECTORY(Directory());
    EXPECT_FALSE(db.OPEN());
    ASSERT_EQ(messages.shown.size(), 2u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Fichier incorrect");
    EXPECT_EQ(messages.shown[0].caption, "Table MAT");
    EXPECT_EQ(messages.shown[1].text, "Fichiers non disponibles");
}

TEST_F(Database, SignatureAcceptsPlainTablesWhateverTheCodePage)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    CreateTable(*nutri);
    PatchByte(PathOf("NUTRI.dbf"), 29, 0x57);
    DATABASE db;
    db.ADD(nutri);
    db.DIRECTORY(Directory());
    EXPECT_TRUE(db.OPEN()) << messages.Texts();
}

TEST_F(Database, FieldNamedDifferentlyFailsWithTheDeclaredNameAndAllStaysClosed)
{
    auto mat = std::make_shared<DBF_MAT>();
    auto nutri = std::make_shared<DBF_NUTRI>();
    CreateTable(*mat);
    std::vector<engine::FieldSpec> fields = FileFields(*nutri);
    fields[1].name = "LIBELLE"; // declared NOM
    CreateFile("NUTRI", fields, {});
    DATABASE db;
    db.ADD(mat);
    db.ADD(nutri);
    db.DIRECTORY(Directory());
    EXPECT_FALSE(db.OPEN());

    ASSERT_EQ(messages.shown.size(), 2u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Champ NOM incorrect");
    EXPECT_EQ(messages.shown[0].caption, "Table NUTRI");
    EXPECT_EQ(messages.shown[1].text, "Fichiers non disponibles");
    EXPECT_EQ(mat->AREA(), 0);
    EXPECT_EQ(nutri->AREA(), 0);
    for (int area = 1; area <= engine::kMaxAreas; ++area) {
        ASSERT_TRUE(engine::DBSELECTAREA(area));
        EXPECT_FALSE(engine::USED()) << "area " << area << " left open";
    }
}

TEST_F(Database, FieldTypeLengthDecimalsAndCountAreChecked)
{
    struct Case {
        const char* what;
        void (*change)(std::vector<engine::FieldSpec>&);
        const char* message;
    };
    const Case cases[] = {
        {"type", [](auto& f) { f[2] = {"ORDRE", 'C', 3, 0}; }, "Champ ORDRE incorrect"},
        {"length", [](auto& f) { f[1].len = 21; }, "Champ NOM incorrect"},
        {"decimals", [](auto& f) { f[2] = {"ORDRE", 'N', 3, 1}; }, "Champ ORDRE incorrect"},
        {"count", [](auto& f) { f.push_back({"EXTRA", 'C', 2, 0}); }, "Nombre de champs incorrect"},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        auto nutri = std::make_shared<DBF_NUTRI>();
        std::vector<engine::FieldSpec> fields = FileFields(*nutri);
        c.change(fields);
        CreateFile("NUTRI", fields, {});
        EXPECT_FALSE(nutri->OPEN(true, false, Directory())) << c.what;
        ASSERT_EQ(messages.shown.size(), 1u) << c.what << "\n" << messages.Texts();
        EXPECT_EQ(messages.shown[0].text, c.message) << c.what;
        EXPECT_EQ(messages.shown[0].caption, "Table NUTRI") << c.what;
        EXPECT_EQ(nutri->AREA(), 0) << c.what;
    }
}

TEST_F(Database, OrdersMustBeTheIndexTagsInDeclaredOrder)
{
    struct Case {
        const char* what;
        std::vector<engine::TagSpec> tags;
        const char* message; // "" when the open succeeds
    };
    const Case cases[] = {
        {"swapped", {{"ORDRE", "str(ORDRE,3,0)", ""}, {"CODE", "CODE", ""}}, "Index CODE incorrect"},
        {"missing", {{"CODE", "CODE", ""}}, "Index ORDRE incorrect"},
        {"none", {}, "Index CODE incorrect"},
        {"one more on file", {{"CODE", "CODE", ""}, {"ORDRE", "str(ORDRE,3,0)", ""}, {"NOM", "NOM", ""}}, ""},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        auto nutri = std::make_shared<DBF_NUTRI>();
        CreateFile("NUTRI", FileFields(*nutri), c.tags);
        EXPECT_EQ(nutri->OPEN(true, false, Directory()), !*c.message) << c.what;
        if (!*c.message) {
            EXPECT_TRUE(messages.shown.empty()) << c.what << "\n" << messages.Texts();
            nutri->CLOSE();
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u) << c.what << "\n" << messages.Texts();
        EXPECT_EQ(messages.shown[0].text, c.message) << c.what;
        EXPECT_EQ(messages.shown[0].caption, "Table NUTRI") << c.what;
        EXPECT_EQ(nutri->AREA(), 0) << c.what;
    }
}

// A table whose pending changes cannot reach the disk: closing the database says so, and
// the table keeps the state it had before.
TEST_F(Database, CloseReportsChangesThatCouldNotBeWritten)
{
    auto nutri = std::make_shared<DBF_NUTRI>();
    CreateTable(*nutri, {{"LYS", "Lysine", 1}});
    auto plan = std::make_shared<engine::FaultPlan>();
    engine::SetFileWrapper([plan](std::unique_ptr<engine::File> f, const std::string&) {
        return engine::FaultyFile(std::move(f), plan);
    });
    DATABASE db;
    db.ADD(nutri);
    db.DIRECTORY(Directory());
    ASSERT_TRUE(db.OPEN(false, false)) << messages.Texts();
    ASSERT_TRUE(nutri->INSERT());
    ASSERT_TRUE(nutri->Put(S("CODE"), Value("MET")));
    plan->byteBudget = 0; // the disk is full
    EXPECT_FALSE(db.CLOSE());
    EXPECT_FALSE(engine::LASTERROR().empty());
    EXPECT_EQ(nutri->AREA(), 0);
    EXPECT_FALSE(db.SHARED().has_value());
    engine::SetFileWrapper({});
    ASSERT_TRUE(db.OPEN(false, false)) << messages.Texts();
    engine::DBSELECTAREA(nutri->AREA());
    EXPECT_EQ(engine::LASTREC(), 1);
    EXPECT_TRUE(db.CLOSE());
}

TEST_F(Database, FieldsAreReadAndWrittenByName)
{
    auto mat = std::make_shared<DBF_MAT>();
    CreateTable(*mat, {{"BLE", "Blé tendre", 182.5, true, Date::FromYmd(2003, 2, 1), "Note"}});
    DATABASE db;
    db.ADD(mat);
    db.DIRECTORY(Directory());
    ASSERT_TRUE(db.OPEN(false, false)) << messages.Texts();
    engine::DBSELECTAREA(mat->AREA());
    engine::DBGOTOP();

    EXPECT_EQ(mat->Get(S("LIBELLE")).Text(), "Blé tendre" + std::string(20, ' '));
    EXPECT_DOUBLE_EQ(mat->Get(S("PRIX")).Number(), 182.5);
    EXPECT_TRUE(mat->Get(S("ACTIF")).Logical());
    EXPECT_EQ(mat->Get(S("DATEMAJ")).GetDate(), Date::FromYmd(2003, 2, 1));
    EXPECT_EQ(mat->Get(S("NOTE")).Text(), "Note");
    EXPECT_TRUE(mat->Put(S("PRIX"), Value(190.25)));
    EXPECT_DOUBLE_EQ(mat->Get(S("prix")).Number(), 190.25);
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();

    EXPECT_TRUE(mat->Get(S("COULEUR")).IsNil());
    EXPECT_FALSE(mat->Put(S("COULEUR"), Value("rouge")));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "MAT->COULEUR");
    EXPECT_EQ(messages.shown[0].caption, "NOIVarGet");
    EXPECT_EQ(messages.shown[1].text, "MAT->COULEUR");
    EXPECT_EQ(messages.shown[1].caption, "NOIVarPut");

    db.CLOSE();
    messages.shown.clear();
    EXPECT_TRUE(mat->Get(S("CODE")).IsNil()) << "a closed table reads nothing";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "NOIVarGet");
}

TEST_F(Database, TableObjectsCloseWhenDestroyed)
{
    int area = 0;
    {
        DBF_NUTRI nutri;
        CreateTable(nutri);
        ASSERT_TRUE(nutri.OPEN(true, false, Directory()));
        area = nutri.AREA();
        I_AREADBF.Set(area, &nutri);
    }
    EXPECT_EQ(I_AREADBF[area], nullptr);
    ASSERT_TRUE(engine::DBSELECTAREA(area));
    EXPECT_FALSE(engine::USED());
}

} // namespace
} // namespace lysora::testing
