// Runs the drawing-command fuzz entry point over tricky inputs, so that the entry point
// itself is built and exercised by every host test run (under the sanitizers).
#include "tests/guikit/fuzz/out_parse_fuzz.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OutParseFuzzCorpus, TrickyInputsAreReadWithoutFault)
{
    std::vector<std::string> corpus = {
        "",
        std::string("\0\0", 2),
        "\x7F\x80@-2147483648:-2147483648",
        "@-16777216:-1 R2147483647:2147483647:w255 R-2147483648:-1:",
        "'" + std::string(5000, 'x'),
        "F'" + std::string(500, 'y'),
        "F" + std::string(500, 'z') + "99999999999999+*_'t'",
        "#" + std::string(500, '9'),
        "/" + std::string(500, 'B') + "BAR",
        "/BAR-2147483648 /BAR0x7FFFFFFF",
        "Crgbw r0x g0X b- w+",
        "'''''''''",
        "F'''",
        "C" + std::string(3000, 'r'),
        "\t\n\r\v\f @ 0x",
    };
    for (const auto& input : corpus) {
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), 0);
    }
}

} // namespace
