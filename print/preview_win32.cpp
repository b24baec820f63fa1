// Preview dialog and print launch (see preview_win32.h).
#include "print/preview_win32.h"

#include "base/messages.h"
#include "print/metafile_win32.h"
#include "print/spool.h"

#include <cstdint>

namespace lysora {
namespace {

// The controls of the library's preview window.
constexpr int kZoomButton = 198, kZoomList = 199;

struct ControlPlace {
    int id;
    RECT place; // left, top, width, height
};
// A document of one page has no page buttons: the others stand from the left edge.
constexpr ControlPlace kOnePagePlaces[] = {
    {GKT_PREVIEW_PRINT, {0, 0, 80, 22}},
    {kZoomButton, {80, 0, 80, 22}},
    {kZoomList, {80, 23, 80, 82}},
    {GKT_PREVIEW_CLOSE, {160, 0, 80, 22}},
};

} // namespace

std::function<PreviewCaptions()>& PreviewCaptionSource()
{
    static std::function<PreviewCaptions()> source;
    return source;
}

PREVIEW::PREVIEW(WIN* owner, std::shared_ptr<PL> document) : DLG(owner, GKT_PREVIEW, document->LIB), pl_(std::move(document))
{
    pl_->PREVIEW_DLG = this;
    Print_LandScape(Record(), pl_->LANDSCAPE ? 1 : 0);
    Print_WH(Record(), pl_->MAX_X, pl_->MAX_Y);
    GOPAGE(1);
}

PREVIEW::~PREVIEW()
{
    DestroyWindowNow();
    GOPAGE(0);
    if (pl_->PREVIEW_DLG == this)
        pl_->PREVIEW_DLG = nullptr;
}

void PREVIEW::GOPAGE(int n)
{
    if (n < 0 || n > pl_->PageCount())
        return;
    PAGE = n;
    SETTEXT(pl_->LIB + "  -  Page: " + std::to_string(n) + "/" + std::to_string(pl_->PageCount()));
    if (MF) {
        DeleteMetaFile(MF);
        MF = nullptr;
    }
    if (n == 0)
        return;
    std::vector<unsigned char> bytes;
    if (pl_->ReadPage(n, bytes))
        MF = MetafileFromBytes(bytes);
    if (!MF)
        ShowMessage("Erreur lecture fichier", "");
}

void PREVIEW::ONFLD(Symbol sym)
{
    if (!sym.IsNull() || !Exists())
        return;
    HWND window = HANDLE();
    if (const auto& source = PreviewCaptionSource()) {
        const PreviewCaptions captions = source();
        SetDlgItemTextA(window, GKT_PREVIEW_PRINT, captions.print.c_str());
        SetDlgItemTextA(window, kZoomButton, captions.zoom.c_str());
        SetDlgItemTextA(window, GKT_PREVIEW_CLOSE, captions.close.c_str());
    }
    if (pl_->PageCount() == 1) {
        for (int id = GKT_PREVIEW_FIRST; id <= GKT_PREVIEW_LAST; ++id)
            if (HWND button = GetDlgItem(window, id))
                ShowWindow(button, SW_HIDE);
        for (const ControlPlace& control : kOnePagePlaces)
            if (HWND child = GetDlgItem(window, control.id))
                MoveWindow(child, control.place.left, control.place.top, control.place.right, control.place.bottom,
                           TRUE);
        // One page and no page buttons: the caption is the document's title alone.
        SETTEXT(pl_->LIB);
    }
}

void PREVIEW::ONCLOSE()
{
    if (pl_->PREVIEW_DLG == this)
        pl_->PREVIEW_DLG = nullptr;
    WIN* parent = PARENT();
    if (parent && parent->Exists() && IsWindowEnabled(parent->HANDLE()))
        SetActiveWindow(parent->HANDLE());
}

LRESULT PREVIEW::OnEvent(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_COMMAND: {
        const int count = pl_->PageCount();
        switch (LOWORD(wparam)) {
        case GKT_PREVIEW_FIRST: GOPAGE(count > 0 ? 1 : 0); break;
        case GKT_PREVIEW_PREVIOUS:
            if (PAGE > 1)
                GOPAGE(PAGE - 1);
            break;
        case GKT_PREVIEW_NEXT:
            if (PAGE < count)
                GOPAGE(PAGE + 1);
            break;
        case GKT_PREVIEW_LAST: GOPAGE(count); break;
        case GKT_PREVIEW_PRINT: PRINT(*pl_, HANDLE()); break;
        case GKT_PREVIEW_CLOSE: CLOSE(); return 0;
        default: return DLG::OnEvent(msg, wparam, lparam);
        }
        if (Exists())
            InvalidateRect(HANDLE(), nullptr, TRUE);
        return 0;
    }
    case WM_PAINT:
        if (MF)
            PlayMetaFile(reinterpret_cast<HDC>(wparam), MF);
        return 0;
    case WM_DESTROY:
        GOPAGE(0);
        return DLG::OnEvent(msg, wparam, lparam);
    default: return DLG::OnEvent(msg, wparam, lparam);
    }
}

PREVIEW* OpenPreview(std::shared_ptr<PL> document)
{
    WIN* owner = document->OWNER;
    auto preview = std::make_unique<PREVIEW>(owner, std::move(document));
    PREVIEW* shown = preview.get();
    WIN::Adopt(std::move(preview));
    shown->SHOW(SW_SHOWMAXIMIZED);
    return shown;
}

WIN* PARENTWIN(const PL& document)
{
    WIN* window = document.PREVIEW_DLG ? static_cast<WIN*>(document.PREVIEW_DLG) : document.OWNER;
    if (window && window->TYPEFENETRE() == GKT_MDIFRAME)
        window = MainWindow();
    return window;
}

bool PRINT(PL& document, HWND refocus)
{
    const std::optional<bool> redrawn = document.PrintAgain();
    const bool printed = redrawn ? *redrawn : REMOTEPRINT(document);
    if (refocus && IsWindow(refocus))
        SetFocus(refocus);
    return printed;
}

bool EXECPROCESS(const std::string& commandLine, HANDLE* process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine; // CreateProcessA may write into its command line
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    if (process)
        *process = info.hProcess;
    else
        CloseHandle(info.hProcess);
    return true;
}

void IMPRIMERVALEURS(WIN* owner, const ComparisonPrint& table, bool preview)
{
    auto pl = std::make_shared<PL>(owner, std::string(), true, NewMetafileDrawer());
    IMPRIMERVALEURS(*pl, table);
    if (preview) {
        OpenPreview(std::move(pl));
        return;
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    PRINT(*pl);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

bool REMOTEPRINT(PL& document)
{
    if (!document.SpoolOk() || document.PageCount() == 0)
        return false;
    WIN* parent = PARENTWIN(document);
    const std::uint64_t owner = parent && parent->Exists() ? reinterpret_cast<std::uintptr_t>(parent->HANDLE()) : 0;
    const std::string line = PrintCommandLine(owner, document.LIB, document.FILENAME, document.LANDSCAPE, document.FILESIZE);

    WIN* main = MainWindow() ? MainWindow() : parent;
    HWND disabled = main && main->Exists() ? main->HANDLE() : nullptr;
    if (disabled)
        EnableWindow(disabled, FALSE);
    HANDLE process = nullptr;
    const bool started = EXECPROCESS(line, &process);
    if (started) {
        while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT)
            DOEVENTS();
        CloseHandle(process);
    } else {
        ShowMessage("Impossible de lancer PrintRun.exe; vérifier qu'il soit présent dans le répertoire de l'application",
                    "Erreur", kMbOk | kMbIconStop | kMbTaskModal);
    }
    if (disabled && IsWindow(disabled))
        EnableWindow(disabled, TRUE);
    return started;
}

} // namespace lysora
