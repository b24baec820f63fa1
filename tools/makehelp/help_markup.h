// The plain-text markup of the help sources (help/<language>/<page>.txt, UTF-8) and its
// conversion to the body of an HTML page. One line, one construct:
//
//   title: Text          the page title (first line; required)
//   == Heading {#id}     a section heading, its anchor optional; === a subsection heading
//   - item               a bullet list item (consecutive items form one list)
//   | a | b | c |        a table row; the first row of a table is its header
//   picture: f.png | cap a picture of the shared pictures folder, with its caption
//   note: text           a highlighted paragraph (warnings)
//   wholetable:          the generated tables of every value (the whole-table page)
//   # comment            ignored
//   any other line       paragraph text; a blank line ends a paragraph, list or table
//
// Inside text: [[page.html|label]] is a link, **words** are bold. &, < and > are escaped.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lysora::help {

struct Page {
    std::string title;          // HTML-escaped
    std::string body;           // HTML
    std::vector<std::string> pictures; // the picture files named, in order
    std::vector<std::string> problems; // "line N: what"
};

// Converts source to a page; wholeTable supplies the HTML of a "wholetable:" line.
Page ConvertMarkup(const std::string& source, const std::function<std::string()>& wholeTable);

// Escapes &, <, > and " for HTML text and attributes.
std::string Escape(const std::string& text);

} // namespace lysora::help
