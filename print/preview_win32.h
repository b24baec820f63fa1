// The preview of a laid-out document and the launch of the print program.
//
// The preview dialog plays one spooled page at a time in the library's preview window; it
// shares the document with whoever made it and keeps it alive while it is open. Printing
// starts PrintRun.exe on the spool file and waits for it, pumping this program's messages
// every 50 ms so that its windows keep repainting, with the main window disabled meanwhile.
#pragma once

#include "framework/dlg.h"
#include "base/doevents_win32.h"
#include "print/pl.h"
#include "print/value_table.h"

#include "framework/winapi.h"

#include <functional>
#include <memory>
#include <string>

namespace lysora {

// The captions of the preview's print, zoom and close buttons in the program's language.
struct PreviewCaptions {
    std::string print, zoom, close;
};
// Where the captions come from (start-up sets it; read each time a preview opens, so that
// a change of language is followed). Unset, the buttons keep the window's own captions.
std::function<PreviewCaptions()>& PreviewCaptionSource();

class PREVIEW : public DLG {
public:
    // INIT: a preview window (type 15) owned by owner, sized for the document's paper,
    // showing page 1.
    PREVIEW(WIN* owner, std::shared_ptr<PL> document);
    ~PREVIEW() override;

    // Shows page n (1-based; 0 releases the page shown); the caption names the page.
    void GOPAGE(int n);
    // Once the window exists: the buttons' captions in the program's language and, for a
    // document of one page, no page buttons and the others moved to the left. The caption
    // keeps the page it shows after the title (an untitled document still names it).
    void ONFLD(Symbol sym) override;
    void ONHELP() override {} // the preview has no help page
    void ONCLOSE() override;
    PL& Document() const { return *pl_; }

    int PAGE = 0;
    HMETAFILE MF = nullptr;

protected:
    LRESULT OnEvent(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    std::shared_ptr<PL> pl_;
};

// PL:PREVIEW: opens the preview of the document, maximised, and answers it (the framework
// releases it once closed).
PREVIEW* OpenPreview(std::shared_ptr<PL> document);

// PL:PARENTWIN: the open preview, else the owner; an MDI frame gives the main window.
WIN* PARENTWIN(const PL& document);

// PL:PRINT: prints through REMOTEPRINT (a layout that draws its document again for the
// printer does that instead), then gives refocus the keyboard focus when given.
bool PRINT(PL& document, HWND refocus = nullptr);

// PL:REMOTEPRINT: starts PrintRun.exe on the document and waits for it to end. False when
// there was nothing to print or PrintRun could not be started (shown).
bool REMOTEPRINT(PL& document);

// Starts a process from a command line; hands its handle out when asked (else closes it).
bool EXECPROCESS(const std::string& commandLine, HANDLE* process = nullptr);

// IMPRIMERVALEURS of the comparison table: the table laid out on a landscape page layout
// owned by owner, then previewed (debug copies) or printed with the wait cursor.
void IMPRIMERVALEURS(WIN* owner, const ComparisonPrint& table, bool preview);

} // namespace lysora
