// The work-area operations on real files: creating and reopening tables, field values of
// every type, navigation along tags with scopes and deleted records, seeks, index upkeep,
// work areas and aliases, exclusive and read-only opens.
#include "tests/engine/engine_test_util.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace lysora::engine::test {
namespace {

// Keys of the MAT_NUTRI order read from the top: "matiere/nutri" per record.
std::vector<std::string> WalkOrder() {
    std::vector<std::string> seen;
    for (DBGOTOP(); !DBEOF(); DBSKIP(1))
        seen.push_back(std::to_string(int(FIELDGET(1).Number())) + "/" + Trim(FIELDGET(2).Text()));
    return seen;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.Path("valeurs");
        CreateValuesTable(path_);
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path_, "", false, false)) << LASTERROR();
        AppendValue(20, "LYS", 0.85);
        AppendValue(10, "MET", 0.30);
        AppendValue(10, "LYS", 0.60);
        AppendValue(300, "CYS", 1.10);
        AppendValue(20, "CYS", 0.25);
        ORDSETFOCUS("MAT_NUTRI");
    }
    ScratchDir dir_;
    std::string path_;
};

TEST_F(EngineTest, HeaderBytesFollowThePublishedLayout) {
    ASSERT_TRUE(DBCOMMIT());
    std::string dbf = Slurp(path_ + ".dbf");
    ASSERT_GE(dbf.size(), 32u);
    EXPECT_EQ(0x03, (unsigned char)dbf[0]);
    EXPECT_EQ(0x03, (unsigned char)dbf[29]);
    EXPECT_EQ(5, (unsigned char)dbf[4]);
    const int header = 32 + 4 * 32 + 1, record = 1 + 4 + 5 + 3 + 6;
    EXPECT_EQ(header, (unsigned char)dbf[8] | (unsigned char)dbf[9] << 8);
    EXPECT_EQ(record, (unsigned char)dbf[10] | (unsigned char)dbf[11] << 8);
    ASSERT_EQ(std::size_t(header + 5 * record + 1), dbf.size());
    EXPECT_EQ(0x1A, dbf.back());
    EXPECT_EQ(" ", dbf.substr(header, 1)); // live record
    EXPECT_EQ("  20LYS  ", dbf.substr(header + 1, 9));
    EXPECT_EQ("  0.85", dbf.substr(header + 1 + 12, 6));
    EXPECT_EQ(0u, Slurp(path_ + ".cdx").size() % 512);
}

TEST_F(EngineTest, WalksTheCompoundKeyInOrderAndSeeks) {
    EXPECT_EQ((std::vector<std::string>{"10/LYS", "10/MET", "20/CYS", "20/LYS", "300/CYS"}), WalkOrder());
    EXPECT_TRUE(DBSEEK("  20LYS"));
    EXPECT_EQ(1, RECNO());
    EXPECT_TRUE(DBSEEK("  20")); // a shorter key matches on its own length
    EXPECT_EQ(5, RECNO());
    EXPECT_FALSE(DBSEEK("  15"));
    EXPECT_TRUE(DBEOF());
    EXPECT_EQ(LASTREC() + 1, RECNO());
    EXPECT_FALSE(DBSEEK("  15", true)); // soft: on the next key
    EXPECT_FALSE(DBEOF());
    EXPECT_EQ(5, RECNO());
    EXPECT_TRUE(DBSEEK("  10", false, true)); // last of the matches
    EXPECT_EQ(2, RECNO());
    EXPECT_FALSE(DBSEEK(" 999", true));
    EXPECT_TRUE(DBEOF());
}

TEST_F(EngineTest, ScopesBoundTopBottomAndSkips) {
    ORDSCOPE(0, std::string("  20"));
    ORDSCOPE(1, std::string("  20"));
    EXPECT_EQ((std::vector<std::string>{"20/CYS", "20/LYS"}), WalkOrder());
    DBGOBOTTOM();
    EXPECT_EQ(1, RECNO());
    DBSKIP(-1);
    EXPECT_EQ(5, RECNO());
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(5, RECNO());
    EXPECT_FALSE(DBSEEK("  10"));
    EXPECT_FALSE(DBSEEK(" 300"));
    EXPECT_EQ(std::optional<std::string>("  20"), ORDSCOPE(1, std::nullopt));
    EXPECT_EQ((std::vector<std::string>{"20/CYS", "20/LYS", "300/CYS"}), WalkOrder());
    ORDSETFOCUS(0); // changing the order drops the scopes
    ORDSETFOCUS("mat_nutri");
    EXPECT_EQ(5u, WalkOrder().size());
}

TEST_F(EngineTest, DeletedRecordsVanishFromNavigationButStayReachable) {
    ASSERT_TRUE(DBSEEK("  20CYS"));
    ASSERT_TRUE(DBDELETE());
    EXPECT_TRUE(DELETED());
    EXPECT_EQ((std::vector<std::string>{"10/LYS", "10/MET", "20/LYS", "300/CYS"}), WalkOrder());
    EXPECT_FALSE(DBSEEK("  20CYS"));
    EXPECT_TRUE(DBSEEK("  20"));
    EXPECT_EQ(1, RECNO());
    ASSERT_TRUE(DBGOTO(5));
    EXPECT_TRUE(DELETED());
    EXPECT_FALSE(DBEOF());
    ORDSETFOCUS(0);
    EXPECT_EQ(4u, WalkOrder().size());
    EXPECT_TRUE(ORDCHECK().empty());
}

TEST_F(EngineTest, IndexFollowsFieldChangesAndSurvivesReopen) {
    ASSERT_TRUE(DBSEEK("  10MET"));
    ASSERT_TRUE(FIELDPUT(1, Value(400)));
    EXPECT_EQ((std::vector<std::string>{"10/LYS", "20/CYS", "20/LYS", "300/CYS", "400/MET"}), WalkOrder());
    EXPECT_TRUE(ORDCHECK().empty());
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "", path_ + ".dbf", "VAL", true, true)) << LASTERROR();
    EXPECT_EQ(1, ORDCOUNT());
    EXPECT_EQ("MAT_NUTRI", ORDNAME(1));
    EXPECT_EQ("str(MATIERE,4,0)+NUTRI", ORDKEY(1));
    ORDSETFOCUS(1);
    EXPECT_EQ((std::vector<std::string>{"10/LYS", "20/CYS", "20/LYS", "300/CYS", "400/MET"}), WalkOrder());
    EXPECT_TRUE(ORDCHECK().empty());
    DBGOTO(1);
    EXPECT_DOUBLE_EQ(0.85, FIELDGET(4).Number());
    EXPECT_FALSE(FIELDPUT(4, Value(1.0))); // read-only
    EXPECT_FALSE(DBAPPEND());
}

TEST_F(EngineTest, NumbersThatDoNotFitAreRefusedAndTypesChecked) {
    DBGOTO(1);
    EXPECT_FALSE(FIELDPUT(4, Value(12345.0)));
    EXPECT_FALSE(LASTERROR().empty());
    EXPECT_FALSE(FIELDPUT(2, Value(3)));
    EXPECT_TRUE(FIELDPUT(2, Value("ABCDEFGH"))); // cut to the width
    EXPECT_EQ("ABCDE", FIELDGET(2).Text());
    EXPECT_EQ(Value(), FIELDGET(9));
    EXPECT_EQ(Value("N"), DBFIELDINFO(DBS_TYPE, 4));
    EXPECT_EQ(Value(6), DBFIELDINFO(DBS_LEN, 4));
    EXPECT_EQ(Value(2), DBFIELDINFO(DBS_DEC, 4));
    EXPECT_EQ(4, FIELDPOS("tb"));
    EXPECT_EQ(0, FIELDPOS("XX"));
}

TEST(EngineFiles, EveryFieldTypeAndMemosRoundTrip) {
    ScratchDir dir;
    std::string path = dir.Path("mixed");
    std::string error;
    ASSERT_TRUE(DBCREATE(path,
                         {{"NAME", 'C', 10, 0}, {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0},
                          {"NOTE", 'M', 10, 0}, {"QTY", 'N', 8, 3}},
                         {{"BYDATE", "dtos(BORN)+if(OK,'Y','N' )", "QTY > 1"}, {"NAME", "NAME", ""}},
                         &error))
        << error;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false)) << LASTERROR();
    std::string longText(1500, 'x');
    longText += "\xE9t\xE9"; // Windows-1252 bytes
    struct Row { const char* name; int y; bool ok; double qty; std::string note; };
    std::vector<Row> rows = {{"B", 2001, true, 2.5, longText}, {"A", 1999, false, 7.125, "short"},
                             {"C", 2001, false, 0.5, ""}};
    for (const Row& r : rows) {
        ASSERT_TRUE(DBAPPEND());
        ASSERT_TRUE(FIELDPUT(1, Value(r.name)));
        ASSERT_TRUE(FIELDPUT(2, Value(Date::FromYmd(r.y, 3, 4))));
        ASSERT_TRUE(FIELDPUT(3, Value(r.ok)));
        ASSERT_TRUE(FIELDPUT(4, Value(r.note)));
        ASSERT_TRUE(FIELDPUT(5, Value(r.qty)));
    }
    DBCLOSEAREA();
    std::string head = ReadFileHead(path + ".dbf", 32);
    ASSERT_EQ(32u, head.size());
    EXPECT_EQ(0x83, (unsigned char)head[0]);
    EXPECT_EQ(0x03, (unsigned char)head[29]);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, false)) << LASTERROR();
    EXPECT_EQ("BYDATE", ORDNAME(1));
    EXPECT_EQ("QTY > 1", ORDFOR(1));
    ORDSETFOCUS("BYDATE");
    std::vector<std::string> names;
    for (DBGOTOP(); !DBEOF(); DBSKIP()) names.push_back(Trim(FIELDGET(1).Text()));
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), names); // C fails the FOR condition
    EXPECT_TRUE(DBSEEK("20010304Y"));
    EXPECT_EQ(longText, FIELDGET(4).Text());
    EXPECT_EQ(Value(Date::FromYmd(2001, 3, 4)), FIELDGET(2));
    EXPECT_EQ(Value(true), FIELDGET(3));
    EXPECT_DOUBLE_EQ(2.5, FIELDGET(5).Number());
    DBGOTO(3);
    EXPECT_EQ("", FIELDGET(4).Text());
    ASSERT_TRUE(DBRLOCK());
    ASSERT_TRUE(FIELDPUT(5, Value(4.0))); // now C enters the tag
    names.clear();
    for (DBGOTOP(); !DBEOF(); DBSKIP()) names.push_back(Trim(FIELDGET(1).Text()));
    EXPECT_EQ((std::vector<std::string>{"A", "C", "B"}), names); // "...N" before "...Y"
    EXPECT_TRUE(ORDCHECK().empty());
}

TEST(EngineFiles, WorkAreasAliasesAndOpenModes) {
    ScratchDir dir;
    std::string a = dir.Path("alpha"), b = dir.Path("beta");
    CreateValuesTable(a);
    CreateValuesTable(b);
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", dir.Path("missing"), "", true, false));
    EXPECT_TRUE(NETERR());
    EXPECT_NE(std::string::npos, LASTERROR().find("not found"));
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", a, "", true, false));
    EXPECT_FALSE(NETERR());
    EXPECT_EQ(1, SELECT());
    EXPECT_EQ("ALPHA", ALIAS());
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", b, "second", false, false));
    EXPECT_EQ(2, SELECT());
    EXPECT_EQ(2, SELECT("SECOND"));
    EXPECT_EQ(0, SELECT("nothing"));
    // The same alias twice, an exclusive table opened again: refused.
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", a, "second", true, false));
    EXPECT_TRUE(NETERR());
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", b, "third", true, false));
    // A shared table opens again in another area; exclusively it does not.
    EXPECT_TRUE(DBUSEAREA(true, "DBFCDX", a, "again", true, false));
    EXPECT_EQ(3, SELECT());
    EXPECT_FALSE(DBUSEAREA(true, "DBFCDX", a, "excl", false, false));
    ASSERT_TRUE(DBSELECTAREA("alpha"));
    EXPECT_EQ(1, SELECT());
    AppendValue(1, "LYS", 1);
    EXPECT_EQ((std::vector<long>{1}), DBRLOCKLIST());
    // The other area sees the record, but cannot lock it while area 1 holds it.
    ASSERT_TRUE(DBSELECTAREA(3));
    DBGOTOP();
    EXPECT_EQ(1, RECNO());
    EXPECT_FALSE(DBRLOCK(1));
    EXPECT_FALSE(FIELDPUT(4, Value(2.0)));
    DBSELECTAREA(1);
    DBRUNLOCK();
    DBSELECTAREA(3);
    EXPECT_TRUE(DBRLOCK(1));
    EXPECT_TRUE(FIELDPUT(4, Value(2.0)));
    DBSELECTAREA(1);
    DBSKIP(0);
    EXPECT_DOUBLE_EQ(1.0, FIELDGET(4).Number()); // area 3 has not left the record yet
    DBSELECTAREA(3);
    DBRUNLOCK(); // leaving the record writes its change back
    DBSELECTAREA(1);
    DBSKIP(0);
    EXPECT_DOUBLE_EQ(2.0, FIELDGET(4).Number());
    DBCLOSEALL();
    EXPECT_FALSE(USED());
    EXPECT_EQ(1, SELECT());
    EXPECT_FALSE(DBSELECTAREA(0));
    EXPECT_FALSE(DBSELECTAREA(101));
}

// A feedstuff definition is a 600-wide text field: its width's high byte lives in the
// decimals byte of the descriptor, and the text round-trips whole.
TEST(EngineFiles, TextFieldsWiderThan255RoundTrip) {
    ScratchDir dir;
    std::string path = dir.Path("wide");
    std::string error;
    ASSERT_TRUE(DBCREATE(path, {{"CODE", 'N', 4, 0}, {"DEFINITION", 'C', 600, 0}, {"TAIL", 'C', 3, 0}},
                         {}, &error))
        << error;
    std::string head = ReadFileHead(path + ".dbf", 32 + 3 * 32);
    ASSERT_EQ(128u, head.size());
    EXPECT_EQ(600 % 256, (unsigned char)head[64 + 16]);
    EXPECT_EQ(600 / 256, (unsigned char)head[64 + 17]);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false)) << LASTERROR();
    std::string text(599, 'd');
    text += '!';
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value(7)) && FIELDPUT(2, Value(text)) && FIELDPUT(3, Value("end")));
    DBCLOSEAREA();
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", true, true)) << LASTERROR();
    EXPECT_EQ(600, DBFIELDINFO(DBS_LEN, 2).Number());
    EXPECT_EQ(0, DBFIELDINFO(DBS_DEC, 2).Number());
    ASSERT_TRUE(DBGOTO(1));
    EXPECT_EQ(text, FIELDGET(2).Text());
    EXPECT_EQ("end", FIELDGET(3).Text());
    DBCLOSEAREA();
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"A", 'C', 65001, 0}}, {}, &error));
}

TEST(EngineFiles, CreateRefusesBadDefinitions) {
    ScratchDir dir;
    std::string error;
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"1BAD", 'C', 5, 0}}, {}, &error));
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"A", 'N', 4, 3}}, {}, &error));
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"A", 'C', 5, 0}}, {{"T", "upper(A)", ""}}, &error));
    EXPECT_NE(std::string::npos, error.find("UPPER"));
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"A", 'C', 5, 0}}, {{"T", "B", ""}}, &error));
    EXPECT_FALSE(DBCREATE(dir.Path("t"), {{"A", 'C', 200, 0}, {"B", 'C', 100, 0}}, {{"T", "A+B", ""}}, &error));
    EXPECT_NE(std::string::npos, error.find("240"));
}

} // namespace
} // namespace lysora::engine::test

namespace lysora::engine::test {
namespace {

TEST(EngineEdges, EmptyAndFullyDeletedTablesStandAtEndOfFile) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int order : {0, 1}) {
        ORDSETFOCUS(order);
        DBGOTOP();
        EXPECT_TRUE(DBEOF());
        EXPECT_TRUE(BOF());
        EXPECT_EQ(1, RECNO());
        DBGOBOTTOM();
        EXPECT_TRUE(DBEOF());
        DBSKIP(-1);
        EXPECT_TRUE(DBEOF());
        EXPECT_FALSE(DELETED());
        EXPECT_EQ(Value(), FIELDGET(1));
        EXPECT_FALSE(FIELDPUT(1, Value(1)));
        EXPECT_FALSE(DBDELETE());
        EXPECT_FALSE(DBRLOCK());
    }
    AppendValue(1, "LYS", 1);
    AppendValue(2, "LYS", 1);
    for (long r : {1, 2}) {
        DBGOTO(r);
        ASSERT_TRUE(DBDELETE());
    }
    for (int order : {0, 1}) {
        ORDSETFOCUS(order);
        DBGOTOP();
        EXPECT_TRUE(DBEOF()) << order;
        DBGOBOTTOM();
        EXPECT_TRUE(DBEOF()) << order;
    }
    EXPECT_FALSE(DBSEEK("   1"));
    EXPECT_TRUE(DBGOTO(2));
    EXPECT_TRUE(DELETED());
    EXPECT_FALSE(DBGOTO(3) && !DBEOF());
    EXPECT_EQ(3, RECNO());
}

TEST(EngineEdges, SkippingPastDeletedRecordsAtTheScopeEdges) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int m = 1; m <= 5; ++m)
        for (const char* n : {"A", "B", "C"}) AppendValue(m, n, m);
    ORDSETFOCUS(1);
    // Delete the first and last records of feedstuff 3 (keys "   3A" and "   3C").
    ASSERT_TRUE(DBSEEK("   3A") && DBDELETE());
    ASSERT_TRUE(DBSEEK("   3C") && DBDELETE());
    ORDSCOPE(0, std::string("   3"));
    ORDSCOPE(1, std::string("   3"));
    DBGOTOP();
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    DBGOBOTTOM();
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    DBSKIP(1);
    EXPECT_TRUE(DBEOF());
    DBSKIP(-1); // back from the end: the last record in scope
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    EXPECT_FALSE(DBEOF());
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    EXPECT_TRUE(DBSEEK("   3", true));
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    EXPECT_FALSE(DBSEEK("   2", true)); // below the scope: the scope's first record
    EXPECT_EQ("B", Trim(FIELDGET(2).Text()));
    EXPECT_FALSE(DBSEEK("   4", true)); // above the scope: end of file
    EXPECT_TRUE(DBEOF());
    // Skipping several at once, both ways, over the whole tag.
    ORDSCOPE(0, std::nullopt);
    ORDSCOPE(1, std::nullopt);
    DBGOTOP();
    DBSKIP(7); // 1A 1B 1C 2A 2B 2C 3B 4A: the deleted two are not counted
    EXPECT_EQ(4, int(FIELDGET(1).Number()));
    EXPECT_EQ("A", Trim(FIELDGET(2).Text()));
    DBSKIP(-2);
    EXPECT_EQ(2, int(FIELDGET(1).Number()));
    EXPECT_EQ("C", Trim(FIELDGET(2).Text()));
    DBSKIP(100);
    EXPECT_TRUE(DBEOF());
    DBSKIP(-100);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(1, RECNO());
}

TEST(EngineEdges, KeyExpressionsInTheFormsOrderKeysProduce) {
    ScratchDir dir;
    std::string path = dir.Path("t");
    std::string error;
    // A width written as Str() writes it, ten wide; logical and date forms.
    ASSERT_TRUE(DBCREATE(path, {{"MATIERE", 'N', 4, 0}, {"OK", 'L', 1, 0}, {"WHEN", 'D', 8, 0}, {"Q", 'N', 5, 1}},
                         {{"A", "str(MATIERE,         4,         0)+if(OK,'Y','N' )", ""},
                          {"B", "DTOS(WHEN)+STR(Q,7,2)", ""},
                          {"C", "Q", ".NOT. OK .AND. (Q >= 2 .OR. MATIERE = 9)"}},
                         &error))
        << error;
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value(12)) && FIELDPUT(2, Value(true)) &&
                FIELDPUT(3, Value(Date::FromYmd(2020, 2, 29))) && FIELDPUT(4, Value(-3.5)));
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value(9)) && FIELDPUT(4, Value(123456.0)) == false);
    ORDSETFOCUS("A");
    EXPECT_TRUE(DBSEEK("  12Y"));
    EXPECT_TRUE(DBSEEK("   9N"));
    ORDSETFOCUS("B");
    EXPECT_TRUE(DBSEEK("20200229  -3.50"));
    EXPECT_TRUE(DBSEEK("           0.00")); // blank date, blank number
    ORDSETFOCUS("C");
    DBGOTOP();
    EXPECT_EQ(2, RECNO()); // only record 2: not OK and MATIERE = 9
    DBSKIP();
    EXPECT_TRUE(DBEOF());
    EXPECT_TRUE(ORDCHECK().empty());
}

} // namespace
} // namespace lysora::engine::test
