// Runs a copy of Lysora.exe from the outside, as a user would: the program, the GUI engine
// library, the tables and the pictures copied from the build's bin/ folder into a fresh
// folder (whose name the test chooses: "DBG" makes a debug copy), the settings file written
// or left out, the program started there, its windows and message boxes found by their
// class and caption and read, boxes closed, buttons clicked through the notification they
// send, and the process waited for with a time limit and killed when it overruns, so that
// no window or box is ever left waiting. Windows build only.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lysora::test {

struct BoxSeen {
    std::string caption, text;
};

// Polls until the condition holds (true) or the limit passes (false).
bool Eventually(const std::function<bool()>& holds, std::chrono::milliseconds limit = std::chrono::seconds(10));

class ProgramCopy {
public:
    // A copy of the program in <temp>\<unique>\<folder>.
    explicit ProgramCopy(const std::string& folder = "run");
    ~ProgramCopy(); // kills the program if it still runs, removes the folder
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    std::string PathOf(const std::string& file) const { return (dir_ / file).string(); }
    // Writes section "Params", key "Langue" of the copy's settings file.
    void WriteLanguage(const std::string& value) const;
    // The settings file's bytes; nothing when it does not exist.
    std::optional<std::string> SettingsBytes() const;
    std::string ReadLanguage() const;

    // Starts the program in its folder.
    bool Start();
    bool Running() const;
    // Waits for the end of the process; kills it and answers nothing after the limit.
    std::optional<DWORD> WaitExit(std::chrono::milliseconds limit);

    // Visible top-level windows of the process that are not message boxes.
    std::vector<HWND> Windows() const;
    // A visible top-level window of the process matching the test, polled until the limit;
    // every message box met meanwhile is recorded and closed.
    HWND WaitWindow(const std::function<bool(HWND)>& wanted, std::chrono::milliseconds limit);
    // The next message box of the process, read and closed with the answer's button (OK
    // unless given); nothing after the limit.
    std::optional<BoxSeen> WaitBox(std::chrono::milliseconds limit, int answer = IDOK);
    // The next message box or file dialog of the process, left open for the test to answer
    // as the user would; null after the limit.
    HWND WaitDialogBox(std::chrono::milliseconds limit) const;
    // The running process, for reading its memory.
    HANDLE Process() const { return process_.hProcess; }
    // Message boxes closed by WaitWindow while it waited.
    const std::vector<BoxSeen>& BoxesClosedMeanwhile() const { return meanwhile_; }
    // Every window other than a message box that the process has shown so far.
    bool ShowedAWindow() const { return showedWindow_; }

    // The window that has the focus in the program's thread.
    HWND Focus() const;
    // The child window of parent whose text is text; null when none.
    // The captions of the copy's windows and boxes on screen, and of the boxes it closed
    // meanwhile: what a failing step names as what the program showed instead.
    std::string Shown() const;
    static HWND ChildWithText(HWND parent, const std::string& text);
    static std::vector<HWND> Children(HWND parent);
    static std::string Text(HWND hwnd);
    static std::string ClassOf(HWND hwnd);
    // Clicks a button as the system reports it to its dialog (BN_CLICKED).
    static void Click(HWND button);

private:
    std::vector<HWND> TopLevel(bool boxes) const;
    std::optional<BoxSeen> TakeBox(int answer = IDOK);

    std::filesystem::path root_, dir_;
    PROCESS_INFORMATION process_{};
    std::vector<BoxSeen> meanwhile_;
    bool showedWindow_ = false;
};

} // namespace lysora::test
