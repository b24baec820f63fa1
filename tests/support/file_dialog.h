// Test helper of the Windows tests: answers the next common file dialog of this thread as a
// user would. A timer acts while the dialog runs its own message loop: it picks a filter
// row, types a name and confirms, or cancels when the name is empty.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace lysora::testing {

struct FileDialogAnswer {
    std::string name;  // empty: cancel
    int filterRow = 0; // 1-based; 0 leaves the row the dialog starts on
};

inline FileDialogAnswer& PendingFileDialogAnswer()
{
    static FileDialogAnswer answer;
    return answer;
}

inline BOOL CALLBACK FindFileDialog(HWND hwnd, LPARAM found)
{
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

inline void CALLBACK AnswerFileDialogOnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindFileDialog, LPARAM(&dialog));
    if (!dialog)
        return; // not up yet: the timer fires again
    KillTimer(nullptr, id);
    const FileDialogAnswer& answer = PendingFileDialogAnswer();
    if (answer.name.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (answer.filterRow > 0) {
        constexpr int kFileTypes = 0x470; // cmb1
        HWND types = GetDlgItem(dialog, kFileTypes);
        SendMessageA(types, CB_SETCURSEL, WPARAM(answer.filterRow - 1), 0);
        // As a mouse pick ends: the dialog takes the row on "selection ended, OK".
        for (WORD notification : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileTypes, notification), LPARAM(types));
    }
    SendMessageA(dialog, CDM_SETCONTROLTEXT, 0x480 /* edt1 */, LPARAM(answer.name.c_str()));
    SetDlgItemTextA(dialog, 0x47C /* cmb13 */, answer.name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// The next file dialog opened on this thread gets this answer.
inline void AnswerNextFileDialog(std::string name, int filterRow = 0)
{
    PendingFileDialogAnswer() = {std::move(name), filterRow};
    SetTimer(nullptr, 0, 200, &AnswerFileDialogOnTimer);
}

} // namespace lysora::testing
