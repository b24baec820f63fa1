// Profile files read and written by the program itself (host build), behaving as the
// Windows profile functions do for what the program uses: "[section]" lines open a section,
// "key=value" lines hold values, blanks around names and values are ignored, a value between
// matching quotes loses them, ";" starts a comment line, names match without regard to case
// (ASCII letters) and the first occurrence wins. Writing rewrites the whole file through a
// temporary file, so a failed write leaves the old file in place. Left out: deleting keys or
// sections, and the system's file-name mapping of "win.ini".
#include "services/profile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace lysora {
namespace {

std::string_view Trim(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    std::size_t last = text.size();
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::vector<std::string> ReadLines(const std::string& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key name of a "key=value" line (comment lines have none).
std::optional<std::string_view> KeyName(std::string_view line)
{
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line)
{
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// The index of the first line of section (the line after its header), if present.
std::optional<std::size_t> FindSection(const std::vector<std::string>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (name && SameName(*name, section))
            return i + 1;
    }
    return std::nullopt;
}

std::string Cut(std::string_view text, std::size_t bufferSize)
{
    return std::string(text.substr(0, bufferSize == 0 ? 0 : std::min(text.size(), bufferSize - 1)));
}

} // namespace

std::string ReadProfileValue(const std::string& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize)
{
    std::vector<std::string> lines = ReadLines(file);
    if (auto first = FindSection(lines, section)) {
        for (std::size_t i = *first; i < lines.size() && !SectionName(lines[i]); ++i) {
            auto name = KeyName(lines[i]);
            if (name && SameName(*name, key))
                return Cut(ValueOf(lines[i]), bufferSize);
        }
    }
    return Cut(defaultValue, bufferSize);
}

bool WriteProfileValue(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    // A line break inside a value would split it into lines of its own: keep the value on one line.
    std::string oneLine(value);
    std::erase_if(oneLine, [](char c) { return c == '\r' || c == '\n'; });
    std::string entry = std::string(Trim(key)) + "=" + oneLine;

    std::vector<std::string> lines = ReadLines(file);
    if (auto first = FindSection(lines, section)) {
        std::size_t insertAt = *first;
        bool replaced = false;
        for (std::size_t i = *first; i < lines.size() && !SectionName(lines[i]); ++i) {
            auto name = KeyName(lines[i]);
            if (name && SameName(*name, key)) {
                lines[i] = entry;
                replaced = true;
                break;
            }
            if (!Trim(lines[i]).empty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(lines.begin() + std::ptrdiff_t(insertAt), entry);
    } else {
        lines.push_back("[" + std::string(Trim(section)) + "]");
        lines.push_back(entry);
    }

    std::string temporary = file + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << "\r\n";
        out.flush();
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace lysora
