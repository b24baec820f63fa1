// The one path by which the program's portable layers (data, reference tables, framework)
// report to the user. The Windows build shows a message box; tests install a recorder and
// answer questions themselves, so that no test ever waits on a modal box.
#pragma once

#include <string>
#include <string_view>

namespace lysora {

// Message box styles and answers, with the values the Windows API gives them.
enum : unsigned {
    kMbOk = 0x0000,
    kMbOkCancel = 0x0001,
    kMbYesNo = 0x0004,
    kMbIconStop = 0x0010,
    kMbIconQuestion = 0x0020,
    kMbIconExclamation = 0x0030,
    kMbIconInformation = 0x0040,
    kMbIconError = 0x0010,
    kMbTaskModal = 0x2000,
    kMbSetForeground = 0x10000,
    // Not a Windows style: the box has no owner window, even while a window is active.
    kMbNoOwner = 0x80000000,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows text (Windows-1252) under caption with a message-box style; returns the answer.
    virtual int Show(std::string_view text, std::string_view caption, unsigned style) = 0;
};

// The sink in use. Until one is installed, messages go to standard error and questions are
// answered with the first button (OK or Yes).
MessageSink& Messages();
// Installs sink (nullptr restores the default) and returns the one it replaces.
MessageSink* SetMessages(MessageSink* sink);

// Shortcut for the commonest report: text, caption, style, answer.
inline int ShowMessage(std::string_view text, std::string_view caption, unsigned style = kMbOk)
{
    return Messages().Show(text, caption, style);
}

} // namespace lysora
