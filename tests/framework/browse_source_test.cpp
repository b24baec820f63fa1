// What a browse field answers its control, from a real table: the ends and steps of the
// order within the key range, the thumb's ranks on a table longer than several samples,
// records deleted meanwhile, the cell texts, and the selection's current record left alone.
#include "framework/browse_source.h"
#include "tests/framework/nutri_tables.h"

#include <cstdio>

namespace lysora::testing {
namespace {

constexpr int kCount = 1300; // more than two rank samples, and a partial one

std::string Code(int i)
{
    char code[8];
    std::snprintf(code, sizeof code, "%04d", i);
    return code;
}

class BrowseAnswers : public NutriTables {
protected:
    void Open(int count)
    {
        std::vector<ValueArray> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back({Value(Code(i)), Value("Nutriment " + std::to_string(i)), Value(i % 1000)});
        CreateTable(*nutri, rows);
        db.ADD(nutri);
        db.DIRECTORY(Directory());
        ASSERT_TRUE(db.OPEN(true, false)) << messages.Texts();
        selection = std::make_unique<DBSEL>(nutri->AREA(), S("CODE"));
        source = std::make_unique<BrowseSource>(
            *selection, std::vector<BrowseSource::Column>{{S("CODE"), nutri->FLDOBJ()[0]},
                                                          {S("ORDRE"), nutri->FLDOBJ()[2]},
                                                          {S("NOM"), nullptr}});
    }
    // The record at rank k, by walking the order.
    std::int32_t AtRank(long k)
    {
        DBSEL walker(nutri->AREA(), S("CODE"));
        walker.GOTOP();
        if (k)
            walker.SKIP(k);
        return walker.RECNO();
    }
    std::string CodeOf(std::int32_t record) { return source->Row(record)[0]; }

    std::unique_ptr<DBSEL> selection;
    std::unique_ptr<BrowseSource> source;
};

TEST_F(BrowseAnswers, AnEmptyTableAnswersNoRecord)
{
    Open(0);
    EXPECT_EQ(source->GoTop(), 0);
    EXPECT_EQ(source->GoBottom(), 0);
    EXPECT_EQ(source->Skip(1, 0), 0);
    EXPECT_EQ(source->Thumb(512), 0);
    EXPECT_EQ(source->Current(), 0);
    EXPECT_EQ(source->Row(0), (std::vector<std::string>{"", "", ""}));
}

TEST_F(BrowseAnswers, StepsStopAtBothEndsAndLeaveTheCurrentRecordAlone)
{
    Open(5);
    const std::int32_t first = source->GoTop(), last = source->GoBottom();
    EXPECT_EQ(CodeOf(first), "0000");
    EXPECT_EQ(CodeOf(last), "0004");
    source->Select(source->Skip(2, first));
    const std::int32_t current = source->Current();
    EXPECT_EQ(CodeOf(current), "0002");
    EXPECT_EQ(source->Skip(-1, first), 0) << "before the first record";
    EXPECT_EQ(source->Skip(1, last), 0) << "after the last record";
    EXPECT_EQ(source->Skip(-10, last), 0);
    EXPECT_EQ(source->Skip(4, first), last);
    EXPECT_EQ(source->Skip(-4, last), first);
    EXPECT_EQ(source->Skip(0, last), last);
    source->Thumb(700);
    source->Row(first);
    EXPECT_EQ(source->Current(), current) << "answers never move the selection";
    EXPECT_EQ(selection->RECNO(), current);
}

TEST_F(BrowseAnswers, TheKeyRangeBoundsTheSteps)
{
    Open(30);
    selection->ORD(S("CODE"), "0010", "0012");
    const std::int32_t first = source->GoTop();
    EXPECT_EQ(CodeOf(first), "0010");
    EXPECT_EQ(CodeOf(source->GoBottom()), "0012");
    EXPECT_EQ(source->Skip(3, first), 0);
    EXPECT_EQ(source->Skip(-1, first), 0);
    EXPECT_EQ(CodeOf(source->Thumb(1024)), "0012");
}

TEST_F(BrowseAnswers, TheThumbFindsRanksAndPlacesRecordsItAnswered)
{
    Open(kCount);
    EXPECT_EQ(source->Thumb(0), AtRank(0));
    EXPECT_EQ(source->Thumb(1024), AtRank(kCount - 1));
    for (int position : {1, 100, 511, 512, 1000, 1023}) {
        const long rank = long(position) * (kCount - 1) / 1024;
        const std::int32_t record = source->Thumb(position);
        EXPECT_EQ(record, AtRank(rank)) << position;
        EXPECT_EQ(source->Position(record), position) << position;
    }
    // A page down from a placed record is placed too.
    const std::int32_t top = source->Thumb(512);
    const std::int32_t below = source->Skip(30, top);
    const long rank = 512L * (kCount - 1) / 1024 + 30;
    EXPECT_EQ(source->Position(below), int((rank * 1024 + (kCount - 1) / 2) / (kCount - 1)));
    EXPECT_EQ(source->Position(source->GoTop()), 0);
    EXPECT_EQ(source->Position(source->GoBottom()), 1024);
}

TEST_F(BrowseAnswers, AfterASaveTheThumbStillFollowsPageMoves)
{
    Open(kCount);
    auto placed = [](long rank) { return int((rank * 1024 + (kCount - 1) / 2) / (kCount - 1)); };
    std::int32_t top = source->Thumb(300);
    const long rank = 300L * (kCount - 1) / 1024;
    // A form saved or closed: the browse redisplays its page from a new map.
    source->Invalidate();
    top = source->Skip(0, top);
    for (int page = 1; page <= 3; ++page) {
        top = source->Skip(25, top);
        EXPECT_EQ(source->Position(top), placed(rank + 25L * page)) << page;
    }
    EXPECT_EQ(source->Position(source->Skip(-75, top)), placed(rank));
}

TEST_F(BrowseAnswers, RecordsAddedOrDeletedAreSeenAfterACommit)
{
    Open(kCount);
    const std::int32_t last = source->Thumb(1024);
    // Another selection deletes the last record and appends two.
    DBSEL writer(nutri->AREA(), S("CODE"));
    writer.GOTO(last);
    ASSERT_TRUE(writer.LOCK());
    ASSERT_TRUE(writer.DELETE());
    writer.UNLOCK();
    for (const char* code : {"9998", "9999"}) {
        ASSERT_TRUE(writer.INSERT());
        ASSERT_TRUE(writer.Put(S("CODE"), Value(code)));
        writer.UNLOCK();
    }
    ASSERT_TRUE(writer.COMMIT());
    // The deleted record gives way to the record that followed it; after the commit the map
    // is new.
    EXPECT_EQ(CodeOf(source->Skip(0, last)), "9998");
    const std::int32_t before = source->Skip(-1, source->Skip(0, last));
    EXPECT_EQ(CodeOf(source->Skip(0, before)), "1298") << "a record still there stays";
    source->Invalidate();
    EXPECT_EQ(CodeOf(source->Thumb(1024)), "9999");
    EXPECT_EQ(source->Thumb(0), AtRank(0));
    EXPECT_EQ(source->Position(source->GoBottom()), 1024);
}

TEST_F(BrowseAnswers, CellsAreTextsOfTheirDomainsCutToAHundredCharacters)
{
    Open(3);
    const std::int32_t second = source->Skip(1, source->GoTop());
    EXPECT_EQ(source->Row(second), (std::vector<std::string>{"0001", "  1", "Nutriment 1         "}));
    // A domain that shows a long text: the cell keeps its first hundred characters.
    struct Long : DOM_CAR {
        Long() : DOM_CAR(20) {}
        std::string STR(const Value& value) override { return value.Text() + std::string(150, '-'); }
    };
    BrowseSource wide(*selection, {{S("NOM"), std::make_shared<Long>()}});
    const std::string cell = wide.Row(second)[0];
    EXPECT_EQ(cell.size(), BrowseSource::kCellMax);
    EXPECT_EQ(cell.substr(0, 11), "Nutriment 1");
}

} // namespace
} // namespace lysora::testing
