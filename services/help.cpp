// The map from help requests to the shipped HTML pages (see help.h).
#include "services/help.h"

#include "base/text.h"

namespace lysora {
namespace {

constexpr HelpTopic kTopics[] = {
    {"help", kHelpContents, 0, "index.html"},       // the user guide's contents
    {"help", kHelpContext, 10, "menu.html"},        // the main menu
    {"help", kHelpContext, 20, "sheet.html"},       // the feedstuff sheet
    {"help", kHelpContext, 30, "selection.html"},   // the comparison selection
    {"help", kHelpContext, 40, "comparison.html"},  // the comparison table
    {"help", kHelpContext, 50, "table.html"},       // the whole table
    {"cpts", kHelpContents, 0, "concepts.html"},    // concepts and methodologies
    {"cpts", kHelpContext, 9, "authors.html"},      // authors
    {"cpts", kHelpContext, 15, "legal.html"},       // legal notice
};

const HelpTopic* Find(const std::string& kind, unsigned command, unsigned long data)
{
    for (const HelpTopic& topic : kTopics)
        if (kind == topic.kind && command == topic.command && (command == kHelpContents || data == topic.context))
            return &topic;
    return nullptr;
}

} // namespace

std::span<const HelpTopic> HelpTopics() { return kTopics; }

std::string HelpPagePath(const std::string& hlpFile, unsigned command, unsigned long data)
{
    const std::size_t slash = hlpFile.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : hlpFile.substr(0, slash + 1);
    const char separator = slash == std::string::npos ? '\\' : hlpFile[slash];
    // The name is kind (4 letters) + language (3 letters) + ".hlp", in any case.
    const std::string name = LowerCase(hlpFile.substr(folder.size()));
    if (name.size() != 11 || name.substr(7) != ".hlp")
        return {};
    const std::string kind = name.substr(0, 4), language = name.substr(4, 3);
    if (language != "eng" && language != "fra")
        return {};
    const HelpTopic* topic = Find(kind, command, data);
    if (!topic)
        topic = Find(kind, kHelpContents, 0);
    if (!topic)
        return {};
    return folder + "help" + separator + language + separator + topic->page;
}

} // namespace lysora
