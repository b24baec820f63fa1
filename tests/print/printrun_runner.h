// Test helper: runs PrintRun.exe as the second process it is, and answers its windows from
// this one: every dialog it shows (message box or print dialog) is recorded and handed to a
// handler that presses its buttons, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace lysora::testing {

struct SeenDialog {
    std::string caption;
    std::string text; // a message box's text; empty for other dialogs
    bool printDialog = false;
};

// Answers one dialog of PrintRun; the default presses OK on message boxes and Cancel on the
// print dialog.
using DialogHandler = std::function<void(HWND dialog, const SeenDialog& seen)>;

struct PrintRunResult {
    DWORD exitCode = DWORD(-1);
    bool timedOut = false;
    std::vector<SeenDialog> dialogs;
};

// Starts "PrintRun.exe " + arguments in the current folder and waits for it (up to timeout).
PrintRunResult RunPrintRun(const std::string& arguments, const DialogHandler& handler = {}, DWORD timeoutMs = 30000);

// In the print dialog: chooses the printer (when named), the page range from ... to, then
// presses OK.
void ChoosePagesAndPrint(HWND printDialog, int from, int to, const std::string& printer = {});

// Run on a thread of its own while this program waits for PrintRun: finds the print dialog
// of another process (up to a minute, or until *done) and prints pages from ... to with it.
void AnswerPrintDialog(int from, int to, const bool* done);

} // namespace lysora::testing
