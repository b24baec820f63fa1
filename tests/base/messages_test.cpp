#include "base/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lysora {
namespace {

struct Recorder final : MessageSink {
    std::vector<std::string> shown;
    int answer = kIdNo;
    int Show(std::string_view text, std::string_view caption, unsigned) override
    {
        shown.push_back(std::string(caption) + ": " + std::string(text));
        return answer;
    }
};

TEST(Messages, InstalledSinkReceivesMessagesAndAnswersUntilRemoved)
{
    Recorder recorder;
    EXPECT_EQ(SetMessages(&recorder), nullptr);
    EXPECT_EQ(ShowMessage("Fichier non trouvé", "Erreur", kMbIconStop), kIdNo);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0], "Erreur: Fichier non trouvé");

    EXPECT_EQ(SetMessages(nullptr), &recorder);
    // The default sink answers questions with their first button.
    EXPECT_EQ(ShowMessage("Continuer ?", "Question", kMbYesNo), kIdYes);
    EXPECT_EQ(recorder.shown.size(), 1u);
}

} // namespace
} // namespace lysora
