// WIN (see win.h): records, the event callback, the handle-to-object registry, timers,
// geometry, message boxes and the common file dialogs.
#include "framework/win.h"

#include "base/doevents_win32.h"
#include "base/messages.h"
#include "framework/menu.h"
#include "guikit/geometry.h"

#include <algorithm>
#include <exception>
#include <map>
#include <set>
#include <vector>

namespace lysora {
namespace {

App* gApp = nullptr;
WIN* gMainWindow = nullptr;
int gLastFilterIndex = 1;

constexpr UINT_PTR kTimerId = 100;
// How often the message loop looks for adopted objects to release while callbacks still run.
constexpr UINT kReleaseRetryMs = 10;

// The handle-to-object registry: the record's link field holds the key. Every object alive
// is listed too, so that one being destroyed can be forgotten by the others.
struct Registry {
    std::map<int, WIN*> objects;
    int nextLink = 1;
    std::vector<std::unique_ptr<WIN>> adopted;
    std::set<WIN*> alive;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

// Callbacks nest (a message box inside a command); adopted objects are released only when
// no callback is running.
int gCallbackDepth = 0;
bool gMenuCommand = false;
UINT_PTR gReleaseTimer = 0;

// A thread timer: the message loop calls it from its own level, where no window procedure
// is half-way through a message (a window being destroyed, its children still to follow).
void CALLBACK ReleaseFromLoop(HWND, UINT, UINT_PTR, DWORD)
{
    if (gCallbackDepth > 0)
        return; // a nested loop (a message box): try again once the callbacks are done
    KillTimer(nullptr, gReleaseTimer);
    gReleaseTimer = 0;
    WIN::ReleaseClosedWindows();
}

void ReleaseFromTheLoopSoon()
{
    if (gReleaseTimer == 0)
        gReleaseTimer = SetTimer(nullptr, 0, kReleaseRetryMs, &ReleaseFromLoop);
}

} // namespace

void SetApplication(App* app) { gApp = app; }
App* Application() { return gApp; }
void SetMainWindow(WIN* main) { gMainWindow = main; }
WIN* MainWindow() { return gMainWindow; }
int LastFilterIndex() { return gLastFilterIndex; }

WIN::WIN(WIN* parent, int type, std::string_view text) : parent_(parent), caption_(text)
{
    TheRegistry().alive.insert(this);
    isMdi_ = type == GKT_MDIFRAME;
    isSdi_ = type == GKT_MAINDIALOG;
    record_ = Win_New(gApp, type);
    if (!record_)
        return;
    record_->callback = &WIN::Callback;
    if (parent && parent->record_)
        record_->parent = parent->record_;
    Register();
}

WIN::~WIN()
{
    // The window goes first, with its children; its WM_DESTROY runs the close handling.
    DestroyWindowNow();
    Registry& registry = TheRegistry();
    registry.alive.erase(this);
    for (WIN* other : registry.alive)
        other->Forget(*this);
    if (gMainWindow == this)
        gMainWindow = nullptr;
    NOTIFY_UNREGISTER(this);
    Unregister();
    if (record_)
        Win_Del(record_);
}

void WIN::Forget(const WIN& gone)
{
    if (parent_ == &gone)
        parent_ = nullptr;
    if (record_ && gone.record_) {
        if (record_->parent == gone.record_)
            record_->parent = nullptr;
        if (record_->owner == gone.record_)
            record_->owner = nullptr;
    }
}

bool WIN::CallMethod(Symbol name)
{
    const WinMethods::Call* call = Methods().Find(name);
    if (!call)
        return false;
    (*call)(*this);
    return true;
}

void WIN::Register()
{
    if (!record_)
        return;
    Registry& registry = TheRegistry();
    if (record_->link == 0)
        record_->link = registry.nextLink++;
    registry.objects[record_->link] = this;
}

void WIN::Unregister()
{
    if (record_ && record_->link)
        TheRegistry().objects.erase(record_->link);
}

WIN* WIN::FromHandle(HWND hwnd)
{
    int link = Win_Handle2Link(hwnd);
    auto& objects = TheRegistry().objects;
    auto found = objects.find(link);
    return found == objects.end() ? nullptr : found->second;
}

WIN* WIN::Adopt(std::unique_ptr<WIN> object)
{
    WIN* raw = object.get();
    if (!raw)
        return nullptr;
    TheRegistry().adopted.push_back(std::move(object));
    ReleaseFromTheLoopSoon(); // released even if its window is never made
    return raw;
}

void WIN::ReleaseClosedWindows()
{
    if (gCallbackDepth > 0) {
        ReleaseFromTheLoopSoon();
        return;
    }
    auto& adopted = TheRegistry().adopted;
    // An object released here may close others: take the closed ones out first.
    std::vector<std::unique_ptr<WIN>> closed;
    for (auto& object : adopted)
        if (object && !object->Exists())
            closed.push_back(std::move(object));
    std::erase(adopted, nullptr);
    closed.clear();
}

LRESULT CALLBACK WIN::Callback(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // Nothing may escape into the engine: a failure is reported here.
    WIN* object = FromHandle(hwnd);
    if (!object)
        return 0;
    ++gCallbackDepth;
    LRESULT result = 0;
    try {
        result = object->OnEvent(msg, wparam, lparam);
    } catch (const std::exception& failure) {
        ShowMessage(failure.what(), "Erreur", kMbOk | kMbIconStop);
    } catch (...) {
        ShowMessage("Erreur interne", "Erreur", kMbOk | kMbIconStop);
    }
    --gCallbackDepth;
    return result;
}

LRESULT WIN::OnEvent(UINT msg, WPARAM wparam, LPARAM)
{
    switch (msg) {
    case WM_COMMAND: RunCommand(Symbol::FromId(LOWORD(wparam))); return 0;
    case WM_HELP: ONHELP(); return 0;
    case WM_TIMER: CallMethod(cmd::ONTIMER); return 0;
    case WM_DESTROY: Destroyed(); return 0;
    case GKTM_CANCLOSE: return closeAccepted_ || CANCLOSE() ? 0 : 1;
    default: return 0;
    }
}

void WIN::RunCommand(Symbol sym)
{
    if (!CallMethod(sym))
        ONCMD(sym);
}

void WIN::RunMenuChoice(unsigned command)
{
    if (!Exists() || command == 0)
        return;
    bool outer = gMenuCommand;
    gMenuCommand = true;
    SendMessageA(HANDLE(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    gMenuCommand = outer;
}

bool WIN::MenuCommandRunning() { return gMenuCommand; }

void WIN::Destroyed()
{
    KILLTIMER();
    NOTIFY_UNREGISTER(this);
    ONCLOSE();
    Unregister();
    closeAccepted_ = false;
    if (!TheRegistry().adopted.empty())
        ReleaseFromTheLoopSoon();
}

void WIN::CloseAccepted()
{
    closeAccepted_ = true;
    CLOSE();
    closeAccepted_ = false;
}

std::vector<HWND> WIN::Windows() const
{
    if (!Exists())
        return {};
    return {HANDLE()};
}

void WIN::WAITCURSOR(bool wait)
{
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(wait ? IDC_WAIT : IDC_ARROW)));
}

void WIN::DOEVENTS() { lysora::DOEVENTS(); }

int WIN::GETTEXTWIDTH(std::string_view text, HWND window)
{
    HDC dc = GetDC(window);
    HFONT font = window ? reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)) : nullptr;
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size.cx;
}

void WIN::DestroyWindowNow()
{
    if (record_ && record_->hwnd && IsWindow(record_->hwnd))
        DestroyWindow(record_->hwnd);
}

WIN& WIN::SHOW(int nShow)
{
    if (!record_)
        return *this;
    Register();
    if (!Exists()) {
        Win_Show(record_, nShow);
        if (!Exists())
            return *this; // the engine reported the failure
        SETTEXT(caption_);
        ONCREATE();
    } else {
        Win_Show(record_, nShow);
    }
    return *this;
}

void WIN::Display(int nShow)
{
    if (Exists())
        ShowWindow(HANDLE(), nShow);
    else
        SHOW(nShow);
}

void WIN::ONCREATE()
{
    if (timerRequested_ && timerId_ == 0)
        StartTimer();
    SETICON();
}

void WIN::StartTimer()
{
    timerId_ = SetTimer(HANDLE(), kTimerId, timerMs_, nullptr);
}

void WIN::SETTIMER(unsigned ms)
{
    if (!HasMethod(cmd::ONTIMER)) {
        ERROR("La méthode OnTimer n'est pas définie");
        return;
    }
    timerRequested_ = true;
    timerMs_ = ms;
    if (Exists())
        StartTimer();
}

void WIN::KILLTIMER()
{
    if (timerId_ && Exists())
        KillTimer(HANDLE(), kTimerId);
    timerId_ = 0;
}

void WIN::CLOSE()
{
    if (Exists())
        SendMessageA(HANDLE(), WM_CLOSE, 0, 0);
}

void WIN::MOVE(int x, int y, int w, int h)
{
    if (!record_)
        return;
    int* requested[] = {&record_->req_x, &record_->req_y, &record_->req_w, &record_->req_h};
    const int given[] = {x, y, w, h};
    for (int i = 0; i < 4; ++i)
        if (given[i] != kKeep)
            *requested[i] = given[i];
    // The engine moves a window to its resolved geometry: resolve the new request first, as
    // the engine does, against the parent's client area for a control and the parent's size
    // for a top-level window (none: the screen's origin).
    int refW = 0, refH = 0;
    if (const Win* parent = record_->parent) {
        if (IsControl()) {
            refW = parent->client_width;
            refH = parent->usable_height + parent->ctlbar_height + parent->statusbar_height;
        } else if (parent->w != int(CW_USEDEFAULT) && parent->h != int(CW_USEDEFAULT)) {
            refW = parent->w;
            refH = parent->h;
        }
    }
    guikit::Geometry resolved = guikit::ResolveGeometry(
        {record_->req_x, record_->req_y, record_->req_w, record_->req_h}, refW, refH);
    record_->x = resolved.x;
    record_->y = resolved.y;
    record_->w = resolved.w;
    record_->h = resolved.h;
    if (Exists())
        Win_Move(record_, TRUE);
}

void WIN::CENTER(int w, int h)
{
    if (!record_)
        return;
    if (w != kKeep)
        record_->req_w = w;
    if (h != kKeep)
        record_->req_h = h;
    // Without a size of its own (the system's default or one relative to the parent), the
    // window is centred with the size it has; not created yet, it has none to centre.
    int width = record_->req_w, height = record_->req_h;
    if (width <= 0 || height <= 0) {
        RECT shown{};
        if (!Exists() || !GetWindowRect(HANDLE(), &shown))
            return;
        width = shown.right - shown.left;
        height = shown.bottom - shown.top;
    }
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    MOVE(work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2, width,
         height);
}

void WIN::BKTEXT(std::string_view commands)
{
    if (record_)
        Win_SetBkText(record_, std::string(commands).c_str());
}

void WIN::SETCOLOR(int r, int g, int b, int textR, int textG, int textB)
{
    auto byte = [](int v) { return BYTE(std::clamp(v, 0, 255)); };
    if (record_)
        Win_SetColor(record_, RGB(byte(r), byte(g), byte(b)), RGB(byte(textR), byte(textG), byte(textB)));
}

void WIN::WHITEONDISABLE(bool on) { SetWhiteOnDisable(on ? 1 : 0); }

void WIN::SETCTLBAR(const CTLBAR& bar)
{
    if (!record_)
        return;
    for (const CTLBAR::Entry& entry : bar.Entries()) {
        if (entry.bitmap.empty())
            Win_CtlBarSepar(record_, entry.gap);
        else
            Win_CtlBarAdd(record_, entry.command.Id(), entry.bitmap.c_str());
    }
}

HWND WIN::HANDLE() const { return record_ ? record_->hwnd : nullptr; }

bool WIN::IsControl() const { return record_ && (record_->style & WS_CHILD); }

bool WIN::Exists() const { return record_ && record_->hwnd && IsWindow(record_->hwnd); }

void WIN::SETTEXT(std::string_view text)
{
    caption_ = text;
    if (Exists())
        SendMessageA(HANDLE(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
}

std::string WIN::GETTEXT() const
{
    if (!Exists())
        return caption_;
    int length = int(SendMessageA(HANDLE(), WM_GETTEXTLENGTH, 0, 0));
    std::string text(std::size_t(std::max(length, 0)) + 1, '\0');
    int copied = int(SendMessageA(HANDLE(), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::size_t(std::clamp(copied, 0, length)));
    return text;
}

void WIN::SETMENU(MENU& menu)
{
    if (!record_ || IsControl())
        return; // a control has no menu bar
    if (Exists()) {
        if (SetMenu(HANDLE(), menu.HANDLE()))
            menu.AttachedToWindow();
        return;
    }
    // Not created yet: the engine passes the menu to window creation.
    record_->menu_or_id = menu.HANDLE();
    menu.AttachedToWindow();
}

namespace {
HICON gProgramIcon = nullptr;
}

void WIN::SetProgramIcon(HICON icon) { gProgramIcon = icon; }

void WIN::SETICON()
{
    if (!Exists() || IsControl())
        return;
    HICON icon = gProgramIcon ? gProgramIcon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    SendMessageA(HANDLE(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void WIN::FOCUS()
{
    if (ISENABLED())
        SetFocus(HANDLE());
}

bool WIN::ISENABLED() const { return Exists() && IsWindowEnabled(HANDLE()); }

void WIN::ID(Symbol sym)
{
    if (!record_)
        return;
    record_->menu_or_id = reinterpret_cast<HMENU>(UINT_PTR(sym.Id()));
    record_->command = sym.Id();
}

int WIN::TYPEFENETRE() const { return record_ ? record_->type : 0; }

bool WIN::CONFIRM(std::string_view text, std::string_view title)
{
    return ShowMessage(text, title, kMbYesNo | kMbIconQuestion) == kIdYes;
}

void WIN::MESSAGE(std::string_view text, std::string_view title)
{
    ShowMessage(text, title, kMbOk | kMbIconInformation);
}

void WIN::ERROR(std::string_view text, std::string_view title)
{
    ShowMessage(text, title, kMbOk | kMbIconStop);
}

std::string WIN::GETSAVEFILENAME(const FilterRows& filters, std::string_view directory)
{
    return RunFileDialog(true, filters, directory);
}

std::string WIN::GETOPENFILENAME(const FilterRows& filters, std::string_view directory)
{
    return RunFileDialog(false, filters, directory);
}

std::string WIN::RunFileDialog(bool save, const FilterRows& filters, std::string_view directory)
{
    std::string filter = BuildFilterText(filters);
    char file[252] = {};
    std::string initialDir(directory);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the dialog's first version, no places bar
    ofn.hwndOwner = HANDLE();
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 250;
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrDefExt = "";
    ofn.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN) : OFN_HIDEREADONLY;
    BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen)
        return {};
    gLastFilterIndex = int(ofn.nFilterIndex);
    return std::string(file, strnlen(file, sizeof file));
}

} // namespace lysora
