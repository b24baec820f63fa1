// Shared by the data layer's tests: a message recorder, a folder of test tables made with
// the engine's create API, and two table declarations in the style of the program's own.
#pragma once

#include "base/messages.h"
#include "data/database.h"
#include "data/dbf.h"
#include "data/dbsel.h"
#include "data/domain.h"
#include "data/engine/engine.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lysora::testing {

using Shown = ShownMessage;

inline Symbol S(const char* name) { return Symbol(name); }

// Nutrients: a code, a name and an order number; orders by code and by order number.
class DBF_NUTRI : public DBF {
public:
    explicit DBF_NUTRI(std::string fileName = "NUTRI") : DBF(std::move(fileName))
    {
        TXT(Value("Nutriments"), Value(ValueArray{Value("Nutrients"), Value("Nutr.")}));
        FLD(S("CODE"), std::make_shared<DOM_UPPER>(4, true), "Code");
        FLD(S("NOM"), std::make_shared<DOM_CAR>(20), "Nom", "Name");
        FLD(S("ORDRE"), std::make_shared<DOM_NUM>(3, 0), "Ordre", "Order", "N°");
        ORD(S("CODE"), std::vector<Symbol>{S("CODE")}, "", "Par code");
        ORD(S("ORDRE"), std::vector<Symbol>{S("ORDRE")}, "", "Par ordre");
    }
};

// Feedstuffs: every field type, a memo among them (so the file's first byte is 0x83).
class DBF_MAT : public DBF {
public:
    DBF_MAT() : DBF("MAT")
    {
        TXT(Value("Matières premières"), Value());
        FLD(S("CODE"), std::make_shared<DOM_CAR>(4, true), "Code");
        FLD(S("LIBELLE"), std::make_shared<DOM_CAR>(30), "Libellé");
        FLD(S("PRIX"), std::make_shared<DOM_NUM>(8, 2), "Prix");
        FLD(S("ACTIF"), std::make_shared<DOM>("L", 1), "Actif");
        FLD(S("DATEMAJ"), std::make_shared<DOM_DAT>(), "Mise à jour");
        FLD(S("NOTE"), std::make_shared<DOM>("M", 10), "Note");
        ORD(S("CODE"), std::vector<Symbol>{S("CODE")}, "", "Par code");
    }
};

// The file fields and tags a declaration describes.
inline std::vector<engine::FieldSpec> FileFields(const DBF& table)
{
    std::vector<engine::FieldSpec> fields;
    for (std::size_t i = 0; i < table.FLDSYM().size(); ++i) {
        const DOM& dom = *table.FLDOBJ()[i];
        fields.push_back({table.FLDSYM()[i].Name(), dom.TYP()[0], dom.LEN(), dom.DEC()});
    }
    return fields;
}

inline std::vector<engine::TagSpec> FileTags(const DBF& table)
{
    std::vector<engine::TagSpec> tags;
    for (std::size_t i = 0; i < table.AORDSYM().size(); ++i)
        tags.push_back({table.AORDSYM()[i].Name(), table.AORDKEY()[i], table.AORDFOR()[i]});
    return tags;
}

// Each test works in its own folder of tables below the working directory, with the
// messages recorded; everything is closed and removed afterwards.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::string("datatest_") + info->test_suite_name() + "_" + info->name();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        previous_ = SetMessages(&messages);
    }
    void TearDown() override
    {
        engine::DBCLOSEALL();
        SetMessages(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // The folder as the program writes directories: with a trailing "\".
    std::string Directory() const { return folder_ + "\\"; }
    std::string PathOf(const std::string& fileName) const { return folder_ + "/" + fileName; }

    // Creates the table file a declaration describes, with rows of field values.
    void CreateTable(const DBF& table, const std::vector<ValueArray>& rows = {})
    {
        CreateFile(table.FILENAME(), FileFields(table), FileTags(table), rows);
    }

    void CreateFile(const std::string& fileName, const std::vector<engine::FieldSpec>& fields,
                    const std::vector<engine::TagSpec>& tags, const std::vector<ValueArray>& rows = {})
    {
        std::string error;
        ASSERT_TRUE(engine::DBCREATE(PathOf(fileName), fields, tags, &error)) << error;
        if (rows.empty())
            return;
        ASSERT_TRUE(engine::DBUSEAREA(true, "DBFCDX", PathOf(fileName), {}, false, false))
            << engine::LASTERROR();
        for (const ValueArray& row : rows) {
            ASSERT_TRUE(engine::DBAPPEND()) << engine::LASTERROR();
            for (std::size_t i = 0; i < row.size(); ++i)
                ASSERT_TRUE(engine::FIELDPUT(int(i) + 1, row[i])) << engine::LASTERROR();
        }
        engine::DBCLOSEAREA();
    }

    MessageRecorder messages;

private:
    std::string folder_;
    MessageSink* previous_ = nullptr;
};

} // namespace lysora::testing
