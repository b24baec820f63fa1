// Text utilities: list tokens, accelerator markers, scrambling.
#include "services/utilities.h"

#include <algorithm>

namespace lysora {

std::string NEXTTOKEN(std::string& list, std::string_view separator)
{
    std::size_t found = separator.empty() ? std::string::npos : list.find(separator);
    std::string token;
    if (found == std::string::npos) {
        token.swap(list);
    } else {
        // Separators are one character long: only the first character is skipped.
        token = list.substr(0, found);
        list.erase(0, found + 1);
    }
    return token;
}

std::string UNAMP(std::string_view text)
{
    std::string result(text);
    std::erase(result, '&');
    return result;
}

std::string CRYPTER(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = char(static_cast<unsigned char>(c) ^ kScrambleKey);
    return result;
}

std::string DECRYPTER(std::string_view text) { return CRYPTER(text); }

} // namespace lysora
