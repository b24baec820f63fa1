#include "services/strings.h"

#include "tests/support/program_dir_fixture.h"

#include <set>

namespace lysora {
namespace {

class StringsTest : public test::ProgramDirFixture {
protected:
    void TearDown() override
    {
        // Leave the program in English for whatever test runs next.
        std::filesystem::remove(PathOf("Lysora.ini"));
        INITLANGUE();
        test::ProgramDirFixture::TearDown();
    }
    bool StartIn(const std::string& language)
    {
        PUTPARAM(kParams, kKeyLangue, language);
        return INITLANGUE();
    }
    test::MessageRecorder messages;
};

TEST_F(StringsTest, NoSettingsFileMeansEnglish)
{
    ASSERT_TRUE(INITLANGUE());
    EXPECT_EQ(LANGUE(), "ENG");
    EXPECT_EQ(LIB(Symbol("ECARTTYPE")), "Standard deviation");
    EXPECT_EQ(LIB(Symbol("MODEEMPLOI")), "&Help");
    EXPECT_EQ(LIB(Symbol("ERREURCHOIXMAT")), "You must choose at least one feed");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StringsTest, FrenchIsReadInAnyCaseAndNamesFollowTheLanguage)
{
    ASSERT_TRUE(StartIn("fra"));
    EXPECT_EQ(LANGUE(), "FRA");
    EXPECT_EQ(LIB(Symbol("ECARTTYPE")), "Ecart-type");
    EXPECT_EQ(LIB(Symbol("MODEEMPLOI")), "Mode d'&emploi");
    EXPECT_EQ(LIB(Symbol("BMPTITRE")), "titre.bmp");
    EXPECT_EQ(FICHIERMAT(), "matFRA");
    EXPECT_EQ(FICHIERNUTRI(), "nutFRA");
    EXPECT_EQ(TABLEMAT(), Symbol("MATFRA"));
    EXPECT_EQ(TABLENUTRI(), Symbol("NUTFRA"));
    EXPECT_EQ(FICHIERAIDE(), PROGRAMDIR() + "helpfra.hlp");
    EXPECT_EQ(FICHIERCONCEPTS(), PROGRAMDIR() + "cptsfra.hlp");
    // Texts are Windows-1252 bytes: "é" is the one byte 0xE9.
    EXPECT_EQ(LIB(Symbol("DIG_A")), "Digestibilit\xE9 apparente");
    EXPECT_EQ(LIB(Symbol("FRANCAIS")), "Fran\xE7" "ais");

    // Switching to English rebuilds everything; nothing of French is kept.
    ASSERT_TRUE(StartIn("ENG"));
    EXPECT_EQ(LIB(Symbol("FICHEMAT")), "&Feedstuffs");
    EXPECT_EQ(LIB(Symbol("BMPTITRE")), "title.bmp");
    EXPECT_EQ(FICHIERMAT(), "matENG");
    EXPECT_EQ(FICHIERAIDE(), PROGRAMDIR() + "helpeng.hlp");
    EXPECT_EQ(FICHIERCONCEPTS(), PROGRAMDIR() + "cptseng.hlp");
}

TEST_F(StringsTest, InvalidLanguageIsReportedAndRefused)
{
    EXPECT_FALSE(StartIn("DE"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "DE is not a valid language");
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].style, 0x10u | 0x10000u | kMbNoOwner); // MB_ICONHAND | MB_SETFOREGROUND, no owner
}

TEST_F(StringsTest, LibOfTextsSymbolsAndMissingKeys)
{
    ASSERT_TRUE(StartIn("FRA"));
    EXPECT_EQ(LIB("ECARTTYPE"), "ECARTTYPE"); // a text is returned as it stands
    EXPECT_EQ(LIB(std::string("Bonjour")), "Bonjour");
    EXPECT_EQ(LIB(std::string_view("TB")), "TB");
    EXPECT_EQ(LIB(Symbol("XYZ")), "#XYZ");
    EXPECT_EQ(LIB(Value(Symbol("QUITTER"))), "&Quitter");
    EXPECT_EQ(LIB(Value("QUITTER")), "QUITTER");
    EXPECT_EQ(LIB(Value()), "");
}

TEST_F(StringsTest, ValueFieldsAndTheirTitles)
{
    ASSERT_TRUE(StartIn("FRA"));
    std::vector<std::string> names;
    for (Symbol field : CHAMPSVALEURS())
        names.push_back(field.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"TB", "E_TB", "TB16G", "E_TB16G", "DIG_A", "E_DIG_A", "DIG_V",
                                               "E_DIG_V", "TDIG_V", "E_TDIG_V", "NB_VAL"}));
    EXPECT_EQ(TITRESVALEURS(),
              (std::vector<std::string>{"Teneur brute", "Ecart-type", "Teneur g/16g N", "Ecart-type",
                                        "Digestibilité apparente", "Ecart-type", "Digestibilité standardisée",
                                        "Ecart-type", "Teneur digestible standardisée", "Ecart-type",
                                        "Nombre de valeurs"}));
    ASSERT_TRUE(StartIn("ENG"));
    EXPECT_EQ(TITRESVALEURS().front(), "Raw nutrient");
    EXPECT_EQ(TITRESVALEURS()[1], "Standard deviation");
    EXPECT_EQ(TITRESVALEURS().back(), "Number of values");
}

TEST_F(StringsTest, EveryKeyIsUniqueAndHasATextInBothLanguages)
{
    std::vector<Symbol> keys = CLESCHAINES();
    EXPECT_EQ(keys.size(), 88u);
    EXPECT_EQ(std::set<Symbol>(keys.begin(), keys.end()).size(), keys.size());
    for (const char* language : {"FRA", "ENG"}) {
        ASSERT_TRUE(StartIn(language));
        for (Symbol key : keys) {
            std::string text = LIB(key);
            EXPECT_FALSE(text.empty()) << key.Name();
            EXPECT_NE(text, "#" + key.Name());
        }
    }
    // The picture names of the language-specific buttons differ between the languages.
    EXPECT_EQ(LIB(Symbol("BTMODIFIER")), "Modieng");
    ASSERT_TRUE(StartIn("FRA"));
    EXPECT_EQ(LIB(Symbol("BTMODIFIER")), "Modifra");
}

TEST(Unamp, RemovesEveryAmpersand)
{
    EXPECT_EQ(UNAMP("&Fiches matières premières"), "Fiches matières premières");
    EXPECT_EQ(UNAMP("A&&B"), "AB");
    EXPECT_EQ(UNAMP("Mode d'&emploi"), "Mode d'emploi");
    EXPECT_EQ(UNAMP(""), "");
}

} // namespace
} // namespace lysora
