// A test folder holding the nutrient table with two nutrients, open in the one DATABASE.
#pragma once

#include "tests/data/data_fixture.h"

namespace lysora::testing {

class NutriTables : public DataTest {
protected:
    void OpenNutrients()
    {
        CreateTable(*nutri, {{"LYS", "Lysine", 2}, {"MET", "Méthionine", 1}});
        db.ADD(nutri);
        db.DIRECTORY(Directory());
        ASSERT_TRUE(db.OPEN(true, false)) << messages.Texts();
    }
    std::shared_ptr<DBF_NUTRI> nutri = std::make_shared<DBF_NUTRI>();
    DATABASE db;
};

} // namespace lysora::testing
