// Filter text of the common file dialogs (see file_filter.h).
#include "framework/file_filter.h"

namespace lysora {

std::string BuildFilterText(const FilterRows& rows)
{
    static const FilterRows kAllFiles = {{"Tous les fichiers", "*.*"}};
    std::string text;
    for (const auto& [description, pattern] : rows.empty() ? kAllFiles : rows) {
        text += description + " (" + pattern + ")";
        text += '\0';
        text += pattern;
        text += '\0';
    }
    text += '\0'; // the list ends with an empty description
    return text;
}

} // namespace lysora
