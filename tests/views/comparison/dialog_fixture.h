// The fixture of the views' dialog tests on real windows: the program's pictures registered,
// the decimal point, every dialog left open closed at the end, and a program directory with
// a database that goes with the test.
#pragma once

#include "data/domain_text.h"
#include "tests/framework/gui_fixture.h"
#include "tests/views/comparison/comparison_fixture.h"

#include <memory>

namespace lysora::test {

class ViewDialogTest : public testing::GuiTest {
protected:
    void SetUp() override
    {
        testing::GuiTest::SetUp();
        SetDecimalSeparator('.');
        static const bool pictures = (__Out_RegisterBitmapInstance(GetModuleHandleA(nullptr)), true);
        (void)pictures;
    }
    void TearDown() override
    {
        for (DLG* dialog : testing::OpenDialogs<DLG>())
            dialog->CLOSE();
        PumpFor(30);
        testing::GuiTest::TearDown();
        database_.reset();
        SetDecimalSeparator('.');
    }

    std::unique_ptr<DatabaseDir> database_;
};

} // namespace lysora::test
