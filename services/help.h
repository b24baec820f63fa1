// Help for the whole program. The program asks for help as a (help file, command, context)
// request, as the WinHelp viewer takes it: the user help file "help" + language + ".hlp" or
// the concepts file "cpts" + language + ".hlp", command 3 (contents) or 1 (context) with a
// topic number. Current Windows has no WinHelp viewer, so the same topics are shipped as
// HTML pages in the folder "help" beside the program, one subfolder per language; this
// header maps each request to its page, through one table.
#pragma once

#include <span>
#include <string>

namespace lysora {

// WinHelp commands the program sends.
inline constexpr unsigned kHelpContext = 1;  // HELP_CONTEXT: data is a topic number
inline constexpr unsigned kHelpContents = 3; // HELP_CONTENTS: data is 0

// One help topic: the help file's kind ("help" or "cpts"), the command and topic that
// reach it, and the file name of its page.
struct HelpTopic {
    const char* kind;
    unsigned command;
    unsigned long context;
    const char* page;
};

// Every topic the program can ask for; both languages ship every page.
std::span<const HelpTopic> HelpTopics();

// The page shown for a request on help file hlpFile (a path ending in, for example,
// "helpeng.hlp"): <folder of hlpFile>/help/<language>/<page>, with the separator hlpFile
// uses. A topic number the table does not know shows the contents page of that file.
// Empty when hlpFile is not a help file of the program.
std::string HelpPagePath(const std::string& hlpFile, unsigned command, unsigned long data);

} // namespace lysora
