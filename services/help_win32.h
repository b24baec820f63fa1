// ShowHelp: the one help call of the program (Windows build). It shows a topic with the
// WinHelp viewer, as the program has always asked for it, when the .hlp file lies beside
// the program and a viewer is installed; otherwise it opens the HTML page of the same
// topic (help.h) in the default browser, and says so in a message when even that fails.
#pragma once

#include "framework/winapi.h"

#include <string>

namespace lysora {

// The two ways of showing help. The program uses the system's; tests put their own in
// its place to see what would be opened without opening anything.
class HelpLauncher {
public:
    virtual ~HelpLauncher() = default;
    // Shows the topic in the WinHelp viewer; false when that cannot be done (no such file,
    // no viewer, or the viewer refused).
    virtual bool WinHelp(HWND owner, const std::string& hlpFile, unsigned command, unsigned long data) = 0;
    // Opens the page in the default browser; false when it cannot.
    virtual bool OpenPage(HWND owner, const std::string& page) = 0;
};

// Installs launcher (nullptr restores the system's) and returns the one it replaces.
HelpLauncher* SetHelpLauncher(HelpLauncher* launcher);

// Shows the topic of hlpFile for command (kHelpContents or kHelpContext) and data, owned
// by owner. When neither way works: the message ERREURAIDE naming the page, caption ERREUR.
void ShowHelp(HWND owner, const std::string& hlpFile, unsigned command, unsigned long data);

} // namespace lysora
