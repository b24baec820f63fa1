#include "services/utilities.h"

#include <gtest/gtest.h>

#include <vector>

namespace lysora {
namespace {

std::vector<std::string> AllTokens(std::string list, std::string_view separator)
{
    std::vector<std::string> tokens;
    while (!list.empty())
        tokens.push_back(NEXTTOKEN(list, separator));
    return tokens;
}

TEST(NextToken, TakesTokensUntilTheListIsEmpty)
{
    std::string list = "1,2,3";
    EXPECT_EQ(NEXTTOKEN(list, ","), "1");
    EXPECT_EQ(list, "2,3");
    EXPECT_EQ(NEXTTOKEN(list, ","), "2");
    EXPECT_EQ(NEXTTOKEN(list, ","), "3");
    EXPECT_EQ(list, "");

    list = "7";
    EXPECT_EQ(NEXTTOKEN(list, ","), "7");
    EXPECT_EQ(list, "");
    EXPECT_EQ(NEXTTOKEN(list, ","), "");
    EXPECT_EQ(list, "");
}

TEST(NextToken, EmptyFieldsAndTrailingSeparator)
{
    EXPECT_EQ(AllTokens("1,,3", ","), (std::vector<std::string>{"1", "", "3"}));
    EXPECT_EQ(AllTokens("1,2,", ","), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(AllTokens(",5", ","), (std::vector<std::string>{"", "5"}));
    EXPECT_EQ(AllTokens("a;b", ","), (std::vector<std::string>{"a;b"}));
}

TEST(Unamp, RemovesEveryAmpersand)
{
    EXPECT_EQ(UNAMP("&Fiches matières premières"), "Fiches matières premières");
    EXPECT_EQ(UNAMP("A&&B"), "AB");
    EXPECT_EQ(UNAMP("Mode d'&emploi"), "Mode d'emploi");
    EXPECT_EQ(UNAMP(""), "");
}

TEST(Crypter, ScramblesEveryByteAndUndoesItself)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += char(c);
    std::string scrambled = CRYPTER(all);
    ASSERT_EQ(scrambled.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_NE(scrambled[i], all[i]) << "byte " << i << " left as it was";
    EXPECT_EQ(CRYPTER(scrambled), all);
    EXPECT_EQ(DECRYPTER(scrambled), all);
    EXPECT_EQ(CRYPTER(""), "");
    std::string title = "Lysora – données d'illustration";
    EXPECT_EQ(DECRYPTER(CRYPTER(title)), title);
}

} // namespace
} // namespace lysora
