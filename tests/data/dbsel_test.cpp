// Selections: key ranges, independent orders and positions on one work area, seeking,
// inserting and deleting, record locks between selections and with another process, and
// bursts of reads.
#include "data/dbsel.h"
#include "data/engine/file.h"
#include "data/notify.h"
#include "tests/data/data_fixture.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace lysora::testing {
namespace {

// Nutrients whose code order and order-number order differ.
const std::vector<ValueArray> kNutrients = {
    {"LYS", "Lysine", 3}, {"MET", "Méthionine", 1}, {"ALA", "Alanine", 4},
    {"MEC", "Méth. + cystine", 2}, {"THR", "Thréonine", 5},
};

class Selections : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        nutri = std::make_shared<DBF_NUTRI>();
        CreateTable(*nutri, kNutrients);
        db.ADD(nutri);
        db.DIRECTORY(Directory());
        ASSERT_TRUE(db.OPEN()) << messages.Texts();
    }
    void TearDown() override
    {
        db.CLOSE();
        DataTest::TearDown();
    }

    // The codes a selection sees from the top, trimmed.
    static std::vector<std::string> Codes(DBSEL& selection)
    {
        std::vector<std::string> codes;
        for (bool on = selection.GOTOP(); on; on = selection.SKIP())
            codes.push_back(Code(selection));
        return codes;
    }
    static std::string Code(DBSEL& selection)
    {
        std::string code = selection.Get(S("CODE")).Text();
        return code.substr(0, code.find(' '));
    }

    std::shared_ptr<DBF_NUTRI> nutri;
    DATABASE db;
};

using Strings = std::vector<std::string>;

// A registered window that counts the methods it is sent.
struct Window final : NotifyTarget {
    std::vector<std::string> received;
    bool SendMethod(Symbol method) override
    {
        if (method != Symbol("REFRESH") && method != Symbol("ONCOMMIT"))
            return false;
        received.push_back(method.Name());
        return true;
    }
};

TEST_F(Selections, KeyRangesFromOneOrTwoBoundsOrNone)
{
    DBSEL selection(nutri->AREA(), S("CODE"), "ME");
    EXPECT_EQ(Codes(selection), (Strings{"MEC", "MET"})) << "one bound: keys equal to it";
    selection.ORD(S("CODE"), "LYS", "MEC");
    EXPECT_EQ(Codes(selection), (Strings{"LYS", "MEC"}));
    selection.ORD(S("CODE"), "LYS", "");
    EXPECT_EQ(Codes(selection), (Strings{"LYS", "MEC", "MET", "THR"})) << "empty upper bound: open";
    EXPECT_EQ(selection.ORD(S("CODE")), S("CODE"));
    EXPECT_EQ(Codes(selection), (Strings{"ALA", "LYS", "MEC", "MET", "THR"})) << "no bounds";
    selection.ORD(S("CODE"), "ZZZ");
    EXPECT_FALSE(selection.GOTOP());
    EXPECT_TRUE(selection.Eof());
    EXPECT_EQ(selection.RECNO(), DBSEL::kEofRecno);
}

TEST_F(Selections, OrdersByNumberOrNameAndPhysicalOrder)
{
    DBSEL selection(Symbol("NUTRI"));
    EXPECT_EQ(selection.AREA(), nutri->AREA());
    EXPECT_EQ(selection.DBO(), nutri.get());
    EXPECT_EQ(Codes(selection), (Strings{"LYS", "MET", "ALA", "MEC", "THR"}));
    EXPECT_EQ(selection.ORD(2), S("ORDRE"));
    EXPECT_EQ(Codes(selection), (Strings{"MET", "MEC", "LYS", "ALA", "THR"}));
    EXPECT_TRUE(selection.ORD(S("ABSENT")).IsNull()) << "an unknown order is physical order";
    EXPECT_EQ(Codes(selection).front(), "LYS");
}

TEST_F(Selections, TwoSelectionsOnOneTableKeepTheirOwnOrderAndPosition)
{
    DBSEL byCode(nutri->AREA(), S("CODE"));
    DBSEL byRank(nutri->AREA(), S("ORDRE"), " ", "  3"); // ranks 1 to 3
    ASSERT_TRUE(byCode.GOTOP());
    ASSERT_TRUE(byRank.GOTOP());
    Strings code, rank;
    for (int step = 0; step < 3; ++step) {
        code.push_back(Code(byCode));
        rank.push_back(Code(byRank));
        byCode.SKIP();
        byRank.SKIP();
    }
    EXPECT_EQ(code, (Strings{"ALA", "LYS", "MEC"}));
    EXPECT_EQ(rank, (Strings{"MET", "MEC", "LYS"}));
    EXPECT_TRUE(byRank.Eof()) << "the range ends after rank 3";
    EXPECT_EQ(Code(byCode), "MET");
    EXPECT_TRUE(byCode.SKIP(-2));
    EXPECT_EQ(Code(byCode), "LYS");
    EXPECT_TRUE(byRank.GOBOTTOM());
    EXPECT_EQ(Code(byRank), "LYS");
}

TEST_F(Selections, SeekIsExactUnlessSoftOrGivenASuffix)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    EXPECT_TRUE(selection.SEEK("MEC"));
    EXPECT_EQ(Code(selection), "MEC");
    EXPECT_FALSE(selection.SEEK("MEA"));
    EXPECT_TRUE(selection.Eof());
    EXPECT_TRUE(selection.SEEK("MEA", "", true));
    EXPECT_EQ(Code(selection), "MEC");
    EXPECT_TRUE(selection.SEEK("ME", "T"));
    EXPECT_EQ(Code(selection), "MET");
    EXPECT_FALSE(selection.SEEK("ZZ", "", true));
}

TEST_F(Selections, EndOfFileIsZeroOrTheLargestRecordNumber)
{
    DBSEL selection(nutri->AREA());
    EXPECT_TRUE(selection.Eof()) << "a new selection is at end of file";
    selection.GOTO(0);
    EXPECT_TRUE(selection.Eof());
    selection.GOTO(DBSEL::kEofRecno);
    EXPECT_TRUE(selection.Eof());
    selection.GOTO(3);
    EXPECT_FALSE(selection.Eof());
    EXPECT_EQ(Code(selection), "ALA") << "GOTO moves the engine at the next read";
    selection.GOTO(DBSEL::kEofRecno);
    EXPECT_TRUE(selection.Get(S("CODE")).IsNil());
}

TEST_F(Selections, DeleteMovesToTheFollowingRecordOrToEndOfFile)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("LYS"));
    ASSERT_TRUE(selection.LOCK());
    EXPECT_TRUE(selection.DELETE());
    EXPECT_EQ(Code(selection), "MEC");
    EXPECT_EQ(selection.RECNO(), 4);

    ASSERT_TRUE(selection.GOBOTTOM());
    ASSERT_TRUE(selection.LOCK());
    EXPECT_TRUE(selection.DELETE());
    EXPECT_EQ(selection.RECNO(), DBSEL::kEofRecno);
    EXPECT_TRUE(selection.Eof());
    selection.UNLOCK();
    EXPECT_EQ(Codes(selection), (Strings{"ALA", "MEC", "MET"}));
    EXPECT_FALSE(selection.DELETE()) << "nothing to delete at end of file";
}

TEST_F(Selections, DeleteRefusedByTheEngineKeepsThePosition)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("LYS")); // not locked: a shared table refuses the change
    EXPECT_FALSE(selection.DELETE());
    EXPECT_EQ(Code(selection), "LYS");
    EXPECT_EQ(Codes(selection).size(), 5u);
}

TEST_F(Selections, InsertLocksTheNewRecordAndCommitNotifies)
{
    Window window;
    NOTIFY_REGISTER(&window);
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.INSERT(Value(ValueArray{Value("CYS"), Value("Cystine"), Value(6)})));
    EXPECT_EQ(selection.RECNO(), 6);
    EXPECT_EQ(selection.ALOCK(), (std::vector<std::int32_t>{6}));
    EXPECT_TRUE(selection.Put(S("NOM"), Value("Cystine totale")));
    EXPECT_TRUE(selection.COMMIT());
    EXPECT_EQ(window.received, (Strings{"ONCOMMIT"}));
    selection.UNLOCK();
    EXPECT_TRUE(selection.ALOCK().empty());

    ASSERT_TRUE(selection.SEEK("CYS"));
    EXPECT_EQ(selection.Get(S("NOM")).Text().substr(0, 14), "Cystine totale");
    EXPECT_DOUBLE_EQ(selection.Get(S("ORDRE")).Number(), 6);
    NOTIFY_UNREGISTER(&window);
}

// A value that does not fit its field (a rank too wide, a text for a number) or a write
// that fails leaves no record behind, blank or half filled: the insert reports the
// failure, the selection stays where it was and holds no new lock.
TEST_F(Selections, AnInsertThatFailsAppendsNothing)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("MET"));
    const std::int32_t before = selection.RECNO();
    for (const ValueArray& values : {ValueArray{Value("CYS"), Value("Cystine"), Value(12345)},
                                     ValueArray{Value("CYS"), Value("Cystine"), Value("six")}}) {
        EXPECT_FALSE(selection.INSERT(Value(values)));
        EXPECT_FALSE(engine::LASTERROR().empty());
        EXPECT_EQ(engine::LASTREC(), 5);
        EXPECT_EQ(selection.RECNO(), before);
        EXPECT_TRUE(selection.ALOCK().empty());
    }
    {
        auto plan = std::make_shared<engine::FaultPlan>();
        engine::SetFileWrapper([plan](std::unique_ptr<engine::File> f, const std::string&) {
            return engine::FaultyFile(std::move(f), plan);
        });
        db.CLOSE();
        ASSERT_TRUE(db.OPEN()) << messages.Texts();
        DBSEL other(nutri->AREA(), S("CODE"));
        plan->failWrite = plan->writes + 3; // the record, after the change note and the journal
        EXPECT_FALSE(other.INSERT(Value(ValueArray{Value("CYS"), Value("Cystine"), Value(6)})));
        EXPECT_TRUE(other.ALOCK().empty());
        engine::SetFileWrapper({});
    }
    db.CLOSE();
    ASSERT_TRUE(db.OPEN()) << messages.Texts();
    DBSEL reopened(nutri->AREA(), S("CODE"));
    EXPECT_EQ(Codes(reopened), (Strings{"ALA", "LYS", "MEC", "MET", "THR"}));
    EXPECT_EQ(engine::LASTREC(), 5);
}

// A change that cannot be written: every movement says so and stays put (a loop over the
// selection ends), COMMIT fails without telling the windows to redraw, and the reason is
// given; once the files can be written again the change lands.
TEST_F(Selections, AFailingSaveIsReportedByEveryMovementAndTheCommit)
{
    auto plan = std::make_shared<engine::FaultPlan>();
    engine::SetFileWrapper([plan](std::unique_ptr<engine::File> f, const std::string&) {
        return engine::FaultyFile(std::move(f), plan);
    });
    db.CLOSE();
    ASSERT_TRUE(db.OPEN()) << messages.Texts();
    Window window;
    NOTIFY_REGISTER(&window);
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("LYS"));
    ASSERT_TRUE(selection.LOCK());
    ASSERT_TRUE(selection.Put(S("NOM"), Value("Lysine totale"))); // waits until the record is left
    plan->byteBudget = 0; // the disk is full from now on
    const std::int32_t at = selection.RECNO();
    EXPECT_FALSE(selection.SKIP(1));
    EXPECT_EQ(selection.RECNO(), at);
    EXPECT_FALSE(selection.SKIP(-1));
    EXPECT_FALSE(selection.GOTOP());
    EXPECT_FALSE(selection.SEEK("MET"));
    EXPECT_EQ(selection.RECNO(), at);
    int steps = 0;
    for (bool on = selection.GOTOP(); on && steps < 10; on = selection.SKIP())
        ++steps;
    EXPECT_EQ(steps, 0);
    EXPECT_FALSE(selection.COMMIT());
    EXPECT_NE(DBSEL::FAILURE().find("Enregistrement impossible"), std::string::npos) << DBSEL::FAILURE();
    EXPECT_TRUE(window.received.empty()) << "ONCOMMIT after a failed save";
    engine::SetFileWrapper({});
    plan->byteBudget = ~std::uint64_t(0);
    plan->stopped = false;
    EXPECT_TRUE(selection.COMMIT()) << engine::LASTERROR();
    EXPECT_EQ(window.received, (Strings{"ONCOMMIT"}));
    EXPECT_TRUE(DBSEL::FAILURE().empty());
    selection.UNLOCK();
    NOTIFY_UNREGISTER(&window);
    db.CLOSE();
    ASSERT_TRUE(db.OPEN()) << messages.Texts();
    DBSEL reopened(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(reopened.SEEK("LYS"));
    EXPECT_EQ(reopened.Get(S("NOM")).Text().substr(0, 13), "Lysine totale");
    EXPECT_EQ(Codes(reopened), (Strings{"ALA", "LYS", "MEC", "MET", "THR"}));
}

TEST_F(Selections, LocksBelongToOneSelectionAtATime)
{
    DBSEL first(nutri->AREA(), S("CODE"));
    DBSEL second(nutri->AREA(), S("ORDRE"));
    ASSERT_TRUE(first.SEEK("MET"));
    ASSERT_TRUE(second.GOTOP()); // rank 1 is MET too
    ASSERT_EQ(first.RECNO(), second.RECNO());

    EXPECT_TRUE(first.LOCK());
    EXPECT_TRUE(first.LOCK()) << "a record already held locks again at once";
    EXPECT_FALSE(second.LOCK()) << "another selection of the process holds it";
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
    EXPECT_TRUE(second.ALOCK().empty());

    ASSERT_TRUE(second.SKIP());
    EXPECT_TRUE(second.LOCK()) << "other records stay free";
    first.UNLOCK();
    ASSERT_TRUE(second.GOTOP());
    EXPECT_TRUE(second.LOCK());
    EXPECT_EQ(second.ALOCK().size(), 2u);
}

TEST_F(Selections, LockOfAHeldRecordDoesNotConsultTheEngine)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.SEEK("ALA"));
    ASSERT_TRUE(selection.LOCK());
    // Deleted behind the selection's back, through the table itself.
    engine::DBSELECTAREA(nutri->AREA());
    engine::DBGOTO(selection.RECNO());
    ASSERT_TRUE(nutri->DELETE());
    EXPECT_TRUE(selection.LOCK());
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
}

TEST_F(Selections, LockOfAVanishedRecordTellsTheUserAndRefreshesBrowses)
{
    Window window;
    NOTIFY_REGISTER(&window);
    DBSEL viewer(nutri->AREA(), S("CODE"));
    DBSEL editor(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(viewer.SEEK("THR"));
    ASSERT_TRUE(editor.SEEK("THR"));
    ASSERT_TRUE(editor.LOCK());
    ASSERT_TRUE(editor.DELETE());
    editor.UNLOCK();

    EXPECT_FALSE(viewer.LOCK());
    ASSERT_EQ(messages.shown.size(), 1u) << messages.Texts();
    EXPECT_EQ(messages.shown[0].text, "Enregistrement supprimé par un autre utilisateur");
    EXPECT_EQ(messages.shown[0].caption, "");
    EXPECT_EQ(window.received, (Strings{"REFRESH"}));
    EXPECT_TRUE(viewer.ALOCK().empty());
    NOTIFY_UNREGISTER(&window);
}

TEST_F(Selections, DestroyedSelectionsGiveTheirLocksBack)
{
    std::int32_t recno = 0;
    {
        DBSEL editor(nutri->AREA(), S("CODE"));
        ASSERT_TRUE(editor.SEEK("LYS"));
        ASSERT_TRUE(editor.LOCK());
        recno = editor.RECNO();
    }
    engine::DBSELECTAREA(nutri->AREA());
    EXPECT_TRUE(engine::DBRLOCKLIST().empty());
    DBSEL other(nutri->AREA());
    other.GOTO(recno);
    EXPECT_TRUE(other.LOCK());
}

TEST_F(Selections, ClosedTablesLeaveSelectionsAtEndOfFile)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    ASSERT_TRUE(selection.GOTOP());
    db.CLOSE();
    EXPECT_FALSE(selection.GOTOP());
    EXPECT_FALSE(selection.SKIP());
    EXPECT_FALSE(selection.LOCK());
    EXPECT_TRUE(selection.Eof());
}

TEST_F(Selections, DefinitionLookUpsGoToTheTable)
{
    DBSEL selection(nutri->AREA());
    EXPECT_EQ(selection.FLDSYM(1), S("CODE"));
    EXPECT_EQ(selection.FLDSYM().size(), 3u);
    EXPECT_EQ(selection.FLDOBJ(S("NOM"))->LEN(), 20);
    EXPECT_EQ(selection.FLDTXT(S("NOM"), 2), "Name");
    EXPECT_EQ(selection.TXT(), "Nutriments");
    selection.TXT(Value("Acides aminés"), Value());
    EXPECT_EQ(nutri->TXT(), "Acides aminés");
}

// The second process of the lock tests, holding one record locked from its start until
// it is told to let go (at the latest when this object goes).
// A burst of reads on a selection's table reads as usual and refuses the selection's
// changes until it ends (the engine's tests show what other processes' changes do).
TEST_F(Selections, ABurstOfReadsRefusesChangesUntilItEnds)
{
    DBSEL selection(nutri->AREA(), S("CODE"));
    const Strings all = Codes(selection);
    ASSERT_FALSE(all.empty());
    selection.GOTOP();
    {
        const auto burst = selection.Burst();
        ASSERT_TRUE(burst.Active()) << engine::LASTERROR();
        EXPECT_EQ(all, Codes(selection));
        selection.GOTOP();
        EXPECT_FALSE(selection.LOCK());
        EXPECT_FALSE(selection.Vanished());
        EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
        EXPECT_FALSE(selection.INSERT());
    }
    EXPECT_TRUE(selection.LOCK()) << engine::LASTERROR();
    EXPECT_TRUE(selection.Put(S("CODE"), Value(std::string("ZZZ"))));
    selection.UNLOCK();
    EXPECT_EQ("ZZZ", Codes(selection).back());
}

class LockHolder {
public:
    LockHolder(const std::string& table, int recno, std::string ready, std::string release)
        : ready_(std::move(ready)), release_(std::move(release))
    {
#ifdef _WIN32
        const std::string program = "data_lock_holder.exe";
#else
        const std::string program = "./data_lock_holder";
#endif
        std::string command = program + " " + table + " " + std::to_string(recno) + " " + ready_ + " " + release_;
        thread_ = std::thread([this, command] { exitCode_ = std::system(command.c_str()); });
    }
    ~LockHolder() { Release(); }

    bool WaitUntilLocked() const
    {
        for (int wait = 0; wait < 1500 && !std::filesystem::exists(ready_); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::filesystem::exists(ready_);
    }
    int Release() // lets go and waits for the process to end; its exit code
    {
        if (thread_.joinable()) {
            std::ofstream(release_).put('x');
            thread_.join();
        }
        return exitCode_;
    }

private:
    std::string ready_, release_;
    std::thread thread_;
    int exitCode_ = -1;
};

// Another process holds a record lock: our lock fails, silently, until it lets go.
TEST_F(Selections, RecordLockedByAnotherProcess)
{
    LockHolder holder(PathOf("NUTRI"), 2, PathOf("ready"), PathOf("release"));
    ASSERT_TRUE(holder.WaitUntilLocked()) << "the other process did not take its lock";

    DBSEL selection(nutri->AREA());
    selection.GOTO(2);
    EXPECT_FALSE(selection.LOCK());
    EXPECT_TRUE(messages.shown.empty()) << messages.Texts();
    selection.GOTO(3);
    EXPECT_TRUE(selection.LOCK()) << "its other records are free";

    EXPECT_EQ(holder.Release(), 0);
    selection.GOTO(2);
    EXPECT_TRUE(selection.LOCK());
}

} // namespace
} // namespace lysora::testing
