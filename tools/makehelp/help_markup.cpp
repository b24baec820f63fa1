// The help markup converter (see help_markup.h).
#include "tools/makehelp/help_markup.h"

#include <sstream>

namespace lysora::help {
namespace {

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Links and bold inside a line of text; problems name unclosed constructs.
std::string Inline(const std::string& text, int line, std::vector<std::string>& problems)
{
    std::string html;
    bool bold = false;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "[[") == 0) {
            const std::size_t end = text.find("]]", i);
            const std::size_t bar = text.find('|', i);
            if (end == std::string::npos || bar == std::string::npos || bar > end) {
                problems.push_back("line " + std::to_string(line) + ": a link is [[page.html|label]]");
                return html;
            }
            html += "<a href=\"" + Escape(Trim(text.substr(i + 2, bar - i - 2))) + "\">" +
                    Escape(Trim(text.substr(bar + 1, end - bar - 1))) + "</a>";
            i = end + 2;
        } else if (text.compare(i, 2, "**") == 0) {
            html += bold ? "</strong>" : "<strong>";
            bold = !bold;
            i += 2;
        } else {
            html += Escape(text.substr(i, 1));
            ++i;
        }
    }
    if (bold) {
        problems.push_back("line " + std::to_string(line) + ": ** left open");
        html += "</strong>";
    }
    return html;
}

// The cells of a table row; a "|" inside a link [[page|label]] separates no cells.
std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::string inner = Trim(row);
    inner = inner.substr(1, inner.size() - (inner.back() == '|' ? 2 : 1));
    std::string cell;
    bool inLink = false;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner.compare(i, 2, "[[") == 0 || inner.compare(i, 2, "]]") == 0)
            inLink = inner[i] == '[';
        if (inner[i] == '|' && !inLink) {
            cells.push_back(Trim(cell));
            cell.clear();
        } else {
            cell += inner[i];
        }
    }
    cells.push_back(Trim(cell));
    return cells;
}

// What the converter is in the middle of; a blank line or another construct closes it.
enum class Open { kNothing, kParagraph, kList, kTable };

} // namespace

std::string Escape(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

Page ConvertMarkup(const std::string& source, const std::function<std::string()>& wholeTable)
{
    Page page;
    std::string& html = page.body;
    Open open = Open::kNothing;
    // A paragraph is converted whole when it ends, so that bold may span its lines.
    std::string paragraph;
    int paragraphLine = 0;
    auto close = [&] {
        static const char* const kEnd[] = {"", "</p>\n", "</ul>\n", "</tbody>\n</table>\n"};
        if (open == Open::kParagraph)
            html += "<p>" + Inline(paragraph, paragraphLine, page.problems);
        html += kEnd[int(open)];
        open = Open::kNothing;
    };
    auto problem = [&](int line, const std::string& what) {
        page.problems.push_back("line " + std::to_string(line) + ": " + what);
    };
    std::istringstream in(source);
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string line = Trim(raw);
        if (StartsWith(line, "#"))
            continue;
        if (line.empty()) {
            close();
        } else if (StartsWith(line, "title:")) {
            if (!page.title.empty())
                problem(number, "a page has one title");
            page.title = Escape(Trim(line.substr(6)));
        } else if (StartsWith(line, "===") || StartsWith(line, "==")) {
            close();
            const char* tag = StartsWith(line, "===") ? "h3" : "h2";
            std::string text = Trim(line.substr(line.find_first_not_of('='))), id;
            const std::size_t anchor = text.rfind("{#");
            if (anchor != std::string::npos && text.back() == '}') {
                id = " id=\"" + Escape(text.substr(anchor + 2, text.size() - anchor - 3)) + "\"";
                text = Trim(text.substr(0, anchor));
            }
            html += std::string("<") + tag + id + ">" + Inline(text, number, page.problems) + "</" + tag + ">\n";
        } else if (StartsWith(line, "- ")) {
            if (open != Open::kList) {
                close();
                html += "<ul>\n";
                open = Open::kList;
            }
            html += "<li>" + Inline(Trim(line.substr(2)), number, page.problems) + "</li>\n";
        } else if (StartsWith(line, "|")) {
            const std::vector<std::string> cells = Cells(line);
            if (open != Open::kTable) {
                close();
                html += "<table>\n<thead>\n<tr>";
                for (const std::string& cell : cells)
                    html += "<th>" + Inline(cell, number, page.problems) + "</th>";
                html += "</tr>\n</thead>\n<tbody>\n";
                open = Open::kTable;
                continue;
            }
            html += "<tr>";
            for (const std::string& cell : cells)
                html += "<td>" + Inline(cell, number, page.problems) + "</td>";
            html += "</tr>\n";
        } else if (StartsWith(line, "picture:")) {
            close();
            const std::string rest = line.substr(8);
            const std::size_t bar = rest.find('|');
            if (bar == std::string::npos) {
                problem(number, "a picture is picture: file.png | caption");
                continue;
            }
            const std::string file = Trim(rest.substr(0, bar)), caption = Trim(rest.substr(bar + 1));
            page.pictures.push_back(file);
            html += "<figure><img src=\"../pictures/" + Escape(file) + "\" alt=\"" + Escape(caption) + "\"><figcaption>" +
                    Inline(caption, number, page.problems) + "</figcaption></figure>\n";
        } else if (StartsWith(line, "note:")) {
            close();
            html += "<p class=\"note\">" + Inline(Trim(line.substr(5)), number, page.problems) + "</p>\n";
        } else if (line == "wholetable:") {
            close();
            html += wholeTable();
        } else {
            if (open != Open::kParagraph) {
                close();
                open = Open::kParagraph;
                paragraph = line;
                paragraphLine = number;
            } else {
                paragraph += "\n" + line;
            }
        }
    }
    close();
    if (page.title.empty())
        problem(1, "the page has no title: line");
    return page;
}

} // namespace lysora::help
