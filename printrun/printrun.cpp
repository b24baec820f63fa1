// PrintRun's run (see printrun.h): the printer dialog, the printer device context, the print
// loop and the progress dialog.
#include "printrun/printrun.h"

#include "framework/winapi.h" // first: the Windows headers without their OUT macro
#include "base/doevents_win32.h"
#include "base/last_error_win32.h"
#include "print/metafile_win32.h"
#include "print/spool.h"
#include "services/strings.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace lysora::printrun {
namespace {

constexpr UINT kErrorBox = MB_OK | MB_ICONSTOP | MB_SETFOREGROUND;
constexpr int kGetPrintingOffset = 13; // the printing-offset query of Escape

// The progress dialog: "<text> ...", a separator, "Page :" and the page number.
class ProgressDialog {
public:
    ProgressDialog(App* app, const std::string& caption, const std::string& text)
    {
        dialog_ = Win_New(app, GKT_DIALOG);
        if (!dialog_)
            return;
        const int w = 270, h = 100;
        dialog_->req_x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        dialog_->req_y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        dialog_->req_w = w;
        dialog_->req_h = h;
        Win_Show(dialog_, GKT_SHOW_CREATE);
        if (!dialog_->hwnd)
            return;
        Win_SetText(dialog_->hwnd, caption.c_str());
        Label(text + " ...", 10, 10, 240, 0);
        Label("", 10, 32, 240, SS_ETCHEDHORZ);
        Label("Page :", 10, 42, 60, 0);
        page_ = Label("", 75, 42, 100, 0);
        ShowWindow(dialog_->hwnd, SW_SHOW);
        SetForegroundWindow(dialog_->hwnd);
        UpdateWindow(dialog_->hwnd);
        DOEVENTS();
    }
    ~ProgressDialog()
    {
        if (dialog_ && dialog_->hwnd)
            DestroyWindow(dialog_->hwnd); // the labels go with it
        for (Win* label : labels_)
            Win_Del(label);
        Win_Del(dialog_);
    }
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void REFRESH(int page)
    {
        if (page_ && page_->hwnd)
            Win_SetText(page_->hwnd, std::to_string(page).c_str());
        DOEVENTS();
    }

private:
    Win* Label(const std::string& text, int x, int y, int w, DWORD style)
    {
        Win* label = Win_New(dialog_->app, GKT_LABEL);
        if (!label)
            return nullptr;
        labels_.push_back(label);
        label->parent = dialog_;
        label->req_x = x;
        label->req_y = y;
        label->req_w = w;
        label->req_h = style ? 2 : 18;
        label->style |= WS_VISIBLE | style;
        Win_Show(label, SW_SHOW);
        if (label->hwnd)
            Win_SetText(label->hwnd, text.c_str());
        return label;
    }

    Win* dialog_ = nullptr;
    Win* page_ = nullptr;
    std::vector<Win*> labels_;
};

// PRINTDLG3: the printer dialog with pages 1 ... count preset; false when cancelled.
bool PrintDialog(PRINTDLGA& pd, HWND owner, int count)
{
    pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = 0;
    pd.nFromPage = 1;
    pd.nToPage = WORD(count);
    pd.nMinPage = 1;
    pd.nMaxPage = 65535;
    return PrintDlgA(&pd) != FALSE;
}

// The device mode and device names blocks the dialog allocated.
void FreeBlocks(PRINTDLGA& pd)
{
    if (pd.hDevMode)
        GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        GlobalFree(pd.hDevNames);
    pd.hDevMode = pd.hDevNames = nullptr;
}

// CREATEDCPRINTER: a device context of the chosen printer in the document's orientation,
// TrueType fonts downloaded, the chosen copy count. Frees the dialog's blocks.
HDC PrinterDC(PRINTDLGA& pd, bool landscape)
{
    HDC dc = nullptr;
    auto* mode = pd.hDevMode ? static_cast<DEVMODEA*>(GlobalLock(pd.hDevMode)) : nullptr;
    auto* names = pd.hDevNames ? static_cast<DEVNAMES*>(GlobalLock(pd.hDevNames)) : nullptr;
    if (mode) {
        mode->dmTTOption = DMTT_DOWNLOAD;
        mode->dmFields |= DM_ORIENTATION;
        mode->dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        if (pd.nCopies > 1) {
            mode->dmFields |= DM_COPIES;
            mode->dmCopies = short(pd.nCopies);
        }
    }
    if (names) {
        const char* base = reinterpret_cast<const char*>(names);
        dc = CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset, mode);
    }
    if (mode)
        GlobalUnlock(pd.hDevMode);
    if (names)
        GlobalUnlock(pd.hDevNames);
    FreeBlocks(pd);
    return dc;
}

// The printable area's offset from the paper's corner, in tenths of a millimetre.
POINT PrintingOffset(HDC dc)
{
    POINT offset = {0, 0};
    if (Escape(dc, kGetPrintingOffset, 0, nullptr, &offset) <= 0) {
        offset.x = GetDeviceCaps(dc, PHYSICALOFFSETX);
        offset.y = GetDeviceCaps(dc, PHYSICALOFFSETY);
    }
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    return {dpiX > 0 ? MulDiv(offset.x, 254, dpiX) : 0, dpiY > 0 ? MulDiv(offset.y, 254, dpiY) : 0};
}

// Opens the spool file and checks that its length is the sum of the page sizes; null (after
// the message) when it cannot be opened or does not match.
std::FILE* OpenSpool(const PrintJob& job)
{
    std::FILE* file = std::fopen(job.path.c_str(), "rb");
    if (!file) {
        MessageBoxA(nullptr, ("Impossible d'ouvrir le fichier d'impression " + job.path).c_str(), "Erreur", kErrorBox);
        return nullptr;
    }
    const std::uint64_t expected = job.offsets.back() + job.sizes.back();
    const long long size = FileSize(file);
    if (size < 0 || std::uint64_t(size) != expected) {
        MessageBoxA(nullptr,
                    ("Le fichier d'impression " + job.path + " ne correspond pas aux tailles de page (" +
                     std::to_string(size) + " octets au lieu de " + std::to_string(expected) + ")")
                        .c_str(),
                    "Erreur", kErrorBox);
        std::fclose(file);
        return nullptr;
    }
    return file;
}

// One page of the job made ready to play: its metafile, or null with the message already
// shown ("Erreur lecture fichier", and the reason when the page is not one Lysora writes).
HMETAFILE LoadPage(std::FILE* file, const PrintJob& job, int page)
{
    std::vector<unsigned char> bytes;
    const std::size_t i = std::size_t(page - 1);
    if (!ReadSpoolPage(file, job.offsets[i], job.sizes[i], bytes)) {
        MessageBoxA(nullptr, "Erreur lecture fichier", nullptr, MB_OK);
        return nullptr;
    }
    std::string fault;
    HMETAFILE metafile = MetafileFromBytes(bytes, &fault);
    if (!metafile)
        MessageBoxA(nullptr, ("Erreur lecture fichier : page " + std::to_string(page) + ", " + fault).c_str(), nullptr,
                    MB_OK);
    return metafile;
}

// What the print dialog's error code means, in the user's language.
std::string PrintDialogError(DWORD error)
{
    const char* meaning = nullptr;
    switch (error) {
    case PDERR_NODEVICES: meaning = "IMPAUCUNEIMPRIMANTE"; break;
    case PDERR_NODEFAULTPRN: meaning = "IMPPASDEDEFAUT"; break;
    case PDERR_PRINTERNOTFOUND: meaning = "IMPINTROUVABLE"; break;
    case PDERR_LOADDRVFAILURE:
    case PDERR_GETDEVMODEFAIL:
    case PDERR_CREATEICFAILURE: meaning = "IMPPILOTE"; break;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE: meaning = "IMPMEMOIRE"; break;
    default: break;
    }
    std::string text = LIB(Symbol("IMPCHOIXIMPRIMANTE"));
    if (meaning)
        text += (LANGUE() == kFrench ? " : " : ": ") + LIB(Symbol(meaning));
    return text + " (" + std::to_string(error) + ")";
}

// The printer refused a step of the job: said with the system's reason.
void ShowRefused(const std::string& reason)
{
    std::string text = LIB(Symbol("IMPREFUSEE"));
    if (!reason.empty())
        text += (LANGUE() == kFrench ? " : " : ": ") + reason;
    MessageBoxA(nullptr, text.c_str(), LIB(Symbol("ERREUR")).c_str(), kErrorBox);
}

// The print job on the printer: pages from ... to, the first already loaded. The job is
// started only here, with a page in hand; it is closed with the pages sent when a later page
// cannot be read, and abandoned when the printer refuses a step or nothing was printed.
// Returns the exit code.
int PrintPages(HDC dc, const std::string& title, std::FILE* file, const PrintJob& job, int from, int to,
               HMETAFILE first, ProgressDialog& progress)
{
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title.c_str();
    if (StartDocA(dc, &doc) <= 0) {
        ShowRefused(LastErrorText());
        DeleteMetaFile(first);
        return 1;
    }
    const POINT offset = PrintingOffset(dc);
    int printed = 0;
    bool unreadable = false;
    std::optional<std::string> refusal; // the system's reason, when the printer refused a step
    HMETAFILE metafile = first;
    for (int page = from; page <= to; ++page) {
        if (!metafile)
            metafile = LoadPage(file, job, page);
        if (!metafile) {
            unreadable = true;
            break;
        }
        progress.REFRESH(page);
        bool accepted = StartPage(dc) > 0;
        if (accepted) {
            SetMapMode(dc, MM_LOMETRIC);
            SetWindowOrgEx(dc, offset.x, -offset.y, nullptr);
            PlayMetaFile(dc, metafile);
            accepted = EndPage(dc) > 0;
        }
        if (!accepted)
            refusal = LastErrorText();
        DeleteMetaFile(metafile);
        metafile = nullptr;
        if (!accepted)
            break;
        ++printed;
    }
    if (refusal || printed == 0) {
        AbortDoc(dc);
        if (refusal)
            ShowRefused(*refusal);
        return 1;
    }
    if (EndDoc(dc) <= 0) {
        ShowRefused(LastErrorText());
        return 1;
    }
    return unreadable ? 1 : 0;
}

// The print run of one job, with the spool file open; returns the exit code.
int PrintJobFile(const PrintJob& job, std::FILE* file, HWND owner)
{
    PRINTDLGA pd;
    if (!PrintDialog(pd, owner, job.PageCount())) {
        const DWORD error = CommDlgExtendedError();
        if (error == 0)
            return 0; // cancelled
        MessageBoxA(nullptr, PrintDialogError(error).c_str(), LIB(Symbol("ERREUR")).c_str(), kErrorBox);
        return 1;
    }
    int from = 1, to = job.PageCount();
    if (pd.Flags & (PD_SELECTION | PD_PAGENUMS)) {
        from = pd.nFromPage;
        to = pd.nToPage;
    }
    if (from < 1)
        from = 1;
    if (to > job.PageCount())
        to = job.PageCount();
    if (from > to) {
        FreeBlocks(pd);
        MessageBoxA(nullptr, LIB(Symbol("IMPAUCUNEPAGE")).c_str(), LIB(Symbol("ERREUR")).c_str(), kErrorBox);
        return 1;
    }
    // The first page is read and checked before anything reaches the printer: a page that
    // cannot be printed must not cost a blank sheet.
    HMETAFILE first = LoadPage(file, job, from);
    if (!first) {
        FreeBlocks(pd);
        return 1;
    }

    App* app = App_New(GetModuleHandleA(nullptr));
    int status = 1;
    {
        ProgressDialog progress(app, job.title, "Impression");
        if (HDC dc = PrinterDC(pd, job.landscape)) {
            status = PrintPages(dc, job.title, file, job, from, to, first, progress);
            DeleteDC(dc);
        } else {
            DeleteMetaFile(first);
            MessageBoxA(nullptr, "Impossible d'ouvrir l'imprimante", "Erreur", kErrorBox);
        }
    }
    App_Delete(app);
    return status;
}

} // namespace

int Run(std::string_view commandLine)
{
    ParsedCommandLine parsed = ParsePrintCommandLine(commandLine);
    switch (parsed.status) {
    case ParsedCommandLine::kNoJob: return 0;
    case ParsedCommandLine::kBad:
        MessageBoxA(nullptr, ("Ligne de commande d'impression invalide : " + parsed.error).c_str(), "Erreur", kErrorBox);
        return 1;
    case ParsedCommandLine::kOk: break;
    }
    const PrintJob& job = parsed.job;
    INITLANGUE(); // the messages of the job in the user's language, from Lysora's settings
    // A handle that names no window (the owner has gone, or the line lies) is not used.
    HWND owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(job.owner));
    if (!IsWindow(owner))
        owner = nullptr;
    int status = 1;
    if (std::FILE* file = OpenSpool(job)) {
        status = PrintJobFile(job, file, owner);
        std::fclose(file);
    }
    // However the run ended, the owner is usable again.
    if (owner)
        EnableWindow(owner, TRUE);
    return status;
}

} // namespace lysora::printrun
