// guikit32: the GUI engine library shared by Lysora.exe and PrintRun.exe.
//
// The programs drive windows through flat exported functions and through records whose
// fields they read and write directly: the application object (App), one window record per
// window (Win) and the toolbar of a frame window (CtlBar). In the 32-bit build every field is
// 32 bits wide; in the 64-bit build pointers and handles are 64 bits. The field order is fixed
// and the offsets of both builds are checked below, so the programs and the library always
// agree on a record's layout.
//
// Every export is a plain __stdcall function with an undecorated name; no C++ exception and
// no standard-library type crosses the module boundary. Texts are 8-bit Windows-1252.
//
// Events reach the program through the callback stored in a record (window-procedure shape,
// called with the record's own window handle). Besides the system messages it receives the
// private messages GKTM_* listed below.
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define GUIKIT_EXTERN_C extern "C"
#else
#define GUIKIT_EXTERN_C
#endif

#ifdef GUIKIT_BUILDING
#define GUIKIT_API GUIKIT_EXTERN_C __declspec(dllexport)
#else
#define GUIKIT_API GUIKIT_EXTERN_C __declspec(dllimport)
#endif

#ifdef __cplusplus
#define GUIKIT_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define GUIKIT_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

// ---------------------------------------------------------------------------------------
// Private messages
// ---------------------------------------------------------------------------------------

// Sent to a record's callback (wParam = window, lParam = Win*): a nonzero answer refuses
// the close of a dialog or MDI frame (close box, Escape, WM_CLOSE).
#define GKTM_CANCLOSE 0x6002
// Sent to the callback when a spin control is clicked: wParam = its buddy window (which got
// the focus first), lParam = the position change (+1 or -1).
#define GKTM_SPIN 0x0BD1
// Sent by a control to its parent when it gets / loses the focus (wParam = the control's
// window, lParam = its Win*, 0 when none); frames pass both on to their callback.
#define GKTM_CHILDFOCUS 0x7001
#define GKTM_CHILDBLUR 0x7002
// Sent by a frame to every direct child when it moves / is resized, with the wParam and
// lParam of its WM_MOVE / WM_SIZE (for a resize, lParam = new client width and height).
#define GKTM_PARENTMOVE 0x7003
#define GKTM_PARENTSIZE 0x7004
// Sent by a frame to an edit, label or drop-down list on WM_CTLCOLOREDIT/WM_CTLCOLORSTATIC
// (wParam = the DC, lParam = the control): the answer is a brush, or 0 for system colours.
#define GKTM_CTLCOLOR 0x7005
// Posted by an MDI child to itself on activation: wParam = the child to give the focus to.
#define GKTM_REFOCUS 0x7006

// Event codes that frames report to the callback as WM_CHAR.
#define GKT_CHAR_PAGEUP 0x2100   // Page Up key (VK_PRIOR << 8)
#define GKT_CHAR_PAGEDOWN 0x2200 // Page Down key (VK_NEXT << 8)
#define GKT_CHAR_RBUTTON 0x400   // right mouse button pressed in the window

// Rows one WM_MOUSEWHEEL scrolls down (negative: up) for its wheel delta: the system's lines
// per notch (3 when it asks for whole pages), as many steps of a scroll bar's line arrows.
static inline int Gkt_WheelLines(int delta)
{
    UINT per_notch = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &per_notch, 0) || per_notch > 100) per_notch = 3;
    return -delta * (int)per_notch / WHEEL_DELTA;
}

// High words of the WM_COMMAND that reports a tab control's selection changing / changed.
#define GKT_TAB_SELCHANGING 0xFDD8
#define GKT_TAB_SELCHANGE 0xFDD9

// ---------------------------------------------------------------------------------------
// Window types (Win_New, Win_ParamSetDefault)
// ---------------------------------------------------------------------------------------

enum GktWindowType {
    GKT_MDIFRAME = 1,       // MDI frame; destroying it ends Loop_Main
    GKT_MAINDIALOG = 2,     // main dialog window; accepting its close ends Loop_Main
    GKT_DIALOG = 3,         // pop-up dialog (modal while its owner is disabled)
    GKT_MDICHILD = 4,       // MDI child
    GKT_FIXEDWINDOW = 5,    // fixed top-level window with the MDI-child procedure
    GKT_BUTTON = 6,         // owner-drawn when BS_OWNERDRAW is added to its style
    GKT_LABEL = 7,
    GKT_EDIT = 8,           // single-line edit
    GKT_BROWSE = 9,
    GKT_COMBO = 10,         // drop-down list
    GKT_PREVIEWMDI = 11,    // print preview as MDI child
    GKT_MULTIEDIT = 12,     // multi-line edit
    GKT_CHECKBOX = 13,
    GKT_COLORBOX = 14,
    GKT_PREVIEW = 15,       // print preview
};

// Win_Show flags, OR-ed with a ShowWindow command in the low 4 bits.
#define GKT_SHOW_CLOSE 0x10   // send WM_CLOSE and forget the window
#define GKT_SHOW_DISABLE 0x20 // disable instead of enable; alone: disable only
#define GKT_SHOW_CREATE 0x100 // alone: create hidden and return

// A requested coordinate in -16 777 216 ... -1 is measured from the parent's right or
// bottom edge; CW_USEDEFAULT (0x80000000) goes to the system unchanged.

// ---------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------

typedef struct App {
    HINSTANCE instance; // the program's instance: classes, windows, toolbar bitmaps
    HFONT font;         // bold "MS Sans Serif" height 8, measures label texts
    int decimal_char;   // when not 0, the keypad's decimal key types this in edits
} App;

#define GKT_CTLBAR_MAX_BUTTONS 32

typedef struct CtlBarButton {
    int x;
    int width;
    int height;
    int command;
    HBITMAP bitmap;
} CtlBarButton;

// Toolbar strip at the top of a frame window's client area.
typedef struct CtlBar {
    struct Win* owner;
    int count;      // buttons added
    int next_x;     // left edge of the next button; starts at 4
    int margin;     // top margin of the buttons; 2
    int height;     // height of the strip; starts at 30
    int pressed;    // index of the button held down, -1 for none
    CtlBarButton buttons[GKT_CTLBAR_MAX_BUTTONS];
} CtlBar;

typedef struct Win {
    HMENU menu_or_id;     // menu (top level) or control identifier (child) at creation
    struct Win* parent;   // containing window; null for a top-level window
    struct Win* owner;    // disabled while this window is open; null for none
    int command;          // button WM_COMMAND identifier; Alt+letter identifier of a child
    int link;             // the program's own reference (Win_Handle2Link)
    WNDPROC callback;     // event function; may be null
    int req_x, req_y, req_w, req_h; // requested geometry (relative values allowed)
    DWORD style, ex_style;
    App* app;
    HWND hwnd;            // 0 before creation and after destruction
    HWND mdi_client;      // MDI child: its client window; MDI frame: its own client
    HWND focused_child;   // child that last had the focus; restored on activation
    int type;             // GktWindowType
    int close_on_deactivate;
    HFONT font;           // sent with WM_SETFONT after creation; 0 for none
    const char* class_name;
    int auto_delete;      // nonzero: the record is freed when its window is destroyed
    int x, y, w, h;       // resolved geometry; x and y also follow WM_MOVE
    int client_width;     // from WM_SIZE
    int usable_height;    // client height - control-bar height - status-bar height
    int ctlbar_height;
    CtlBar* ctlbar;       // null when none
    int statusbar_height; // 0 when none
    char* command_text;   // owned drawing-command text: button face or background
    HBRUSH bk_brush;      // owned; 0 when none
    COLORREF bk_color;
    COLORREF text_color;
} Win;

// Browse record (type 9): a Win followed by the grid's own fields.
#define GKT_BRW_MAX_ROWS 64
#define GKT_BRW_MAX_COLUMNS 64

// One column of a browse (Brw_SetCol): its header text and the texts of the page's cells,
// each buffer of buffer_size bytes, and a mark per row (the cell is shown highlighted).
typedef struct BrwColumn {
    int width;       // pixels
    int buffer_size; // bytes of each text buffer, terminator included
    unsigned char format; // DrawText format of the cells (0 left, DT_RIGHT right...)
    unsigned char drawn;  // nonzero: the cells are drawing commands (_Out)
    char* title;
    char* cells[GKT_BRW_MAX_ROWS];
    unsigned char marks[GKT_BRW_MAX_ROWS];
} BrwColumn;
typedef struct WinBrw {
    Win win;
    int grid_left, grid_top, grid_width, grid_height;
    int header_height; // 20
    int row_height;    // 16
    HWND hscroll, vscroll;
    int column_count;
    int visible_rows;  // at most GKT_BRW_MAX_ROWS
    int current_row;   // -1 when none
    int h_offset;
    int vscroll_width, hscroll_height;
    BrwColumn* columns[GKT_BRW_MAX_COLUMNS];
    int page[GKT_BRW_MAX_ROWS]; // record identifier of each row, 0 for an empty row
} WinBrw;

// Print-preview record (types 11 and 15): a Win followed by the preview's own fields.
typedef struct WinPreview {
    Win win;
    HWND hscroll, vscroll;
    HWND zoom_list;
    int reserved;
    int page_width, page_height; // tenths of a millimetre
    int vscroll_width, hscroll_height;
    int h_pos, v_pos;
    int zoom_index;              // 0 ... 5, default 3 (100 %)
    int landscape;
} WinPreview;

#ifdef __cplusplus
#include <cstddef>
#define GUIKIT_OFFSET(type, field) offsetof(type, field)
#else
#include <stddef.h>
#define GUIKIT_OFFSET(type, field) offsetof(type, field)
#endif

#if defined(_WIN32) && !defined(_WIN64)
GUIKIT_STATIC_ASSERT(sizeof(App) == 12, "App layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(App, decimal_char) == 8, "App layout");
GUIKIT_STATIC_ASSERT(sizeof(CtlBarButton) == 20, "CtlBar layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(CtlBar, pressed) == 20, "CtlBar layout");
GUIKIT_STATIC_ASSERT(sizeof(CtlBar) == 24 + 32 * 20, "CtlBar layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, parent) == 4, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, command) == 12, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, callback) == 20, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, req_x) == 24, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, style) == 40, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, app) == 48, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, hwnd) == 52, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, type) == 64, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, class_name) == 76, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, auto_delete) == 80, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, x) == 84, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, client_width) == 100, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, ctlbar) == 112, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, command_text) == 120, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, text_color) == 132, "Win layout");
GUIKIT_STATIC_ASSERT(sizeof(Win) == 136, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, grid_left) == 136, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, columns) == 136 + 14 * 4, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, page) == 136 + 14 * 4 + 64 * 4, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(BrwColumn, format) == 8 && GUIKIT_OFFSET(BrwColumn, drawn) == 9, "BrwColumn layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(BrwColumn, title) == 12 && GUIKIT_OFFSET(BrwColumn, cells) == 16, "BrwColumn layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(BrwColumn, marks) == 16 + 64 * 4 && sizeof(BrwColumn) == 336, "BrwColumn layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinPreview, landscape) == 136 + 11 * 4, "WinPreview layout");
#elif defined(_WIN64)
// The 64-bit set keeps the field order with natural sizes: pointers and handles take 8
// bytes, aligned, and the 32-bit fields stay 4.
GUIKIT_STATIC_ASSERT(sizeof(App) == 24, "App layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(App, decimal_char) == 16, "App layout");
GUIKIT_STATIC_ASSERT(sizeof(CtlBarButton) == 24, "CtlBarButton layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(CtlBar, pressed) == 24, "CtlBar layout");
GUIKIT_STATIC_ASSERT(sizeof(CtlBar) == 800, "CtlBar layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, parent) == 8, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, command) == 24, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, callback) == 32, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, req_x) == 40, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, style) == 56, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, app) == 64, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, hwnd) == 72, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, type) == 96, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, class_name) == 112, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, auto_delete) == 120, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, x) == 124, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, client_width) == 140, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, ctlbar) == 152, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, command_text) == 168, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(Win, text_color) == 188, "Win layout");
GUIKIT_STATIC_ASSERT(sizeof(Win) == 192, "Win layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, grid_left) == 192, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, columns) == 256, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinBrw, page) == 256 + 64 * 8, "WinBrw layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(BrwColumn, title) == 16 && GUIKIT_OFFSET(BrwColumn, cells) == 24, "BrwColumn layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(BrwColumn, marks) == 24 + 64 * 8, "BrwColumn layout");
GUIKIT_STATIC_ASSERT(GUIKIT_OFFSET(WinPreview, landscape) == 248, "WinPreview layout");
#endif

// Window extra data of every library window: four pointer-sized slots (16 bytes in the
// 32-bit build). The record pointer is in the fourth slot; an MDI frame keeps its MDI client
// in the third. Read and write them with Get/SetWindowLongPtrA.
#define GKT_EXTRA_SLOT ((int)sizeof(LONG_PTR))
#define GKT_EXTRA_BYTES (4 * GKT_EXTRA_SLOT)
#define GKT_EXTRA_MDICLIENT (2 * GKT_EXTRA_SLOT)
#define GKT_EXTRA_RECORD (3 * GKT_EXTRA_SLOT)
#if defined(_WIN32) && !defined(_WIN64)
GUIKIT_STATIC_ASSERT(GKT_EXTRA_BYTES == 16 && GKT_EXTRA_MDICLIENT == 8 && GKT_EXTRA_RECORD == 12,
                     "window extra data layout");
#endif

// ---------------------------------------------------------------------------------------
// Application object, window registry and message loop
// ---------------------------------------------------------------------------------------

// Answers 999: lets a program prove at start that it found and loaded the library.
GUIKIT_API int __stdcall Test(void);
// Creates the application object and its font, registers the library's window classes with
// instance. Called once, before any window. Null on failure.
GUIKIT_API App* __stdcall App_New(HINSTANCE instance);
// Deletes the application font and frees the object.
GUIKIT_API void __stdcall App_Delete(App* app);
// Allocates a zeroed record of the size for type, with the type's defaults. No window yet.
GUIKIT_API Win* __stdcall Win_New(App* app, int type);
// Frees the record and what it owns (command text, background brush). Never destroys the
// window: call it only once the window is gone or never existed. Returns 0.
GUIKIT_API int __stdcall Win_Del(Win* win);
// The record attached to a window (as a pointer-sized integer), 0 when it has none.
GUIKIT_API INT_PTR __stdcall Win_Ptr(HWND hwnd);
// The record's link field, -1 when the window has no record.
GUIKIT_API int __stdcall Win_Handle2Link(HWND hwnd);
// The shared control font (bold "MS Sans Serif", height 8).
GUIKIT_API HFONT __stdcall GetFont(void);
// Runs the message loop until WM_QUIT; returns its wParam. flag is stored, not used.
GUIKIT_API int __stdcall Loop_Main(int flag);

// Every message box of the library goes through one function with MessageBoxA's shape.
// Installing another one (tests) returns the previous; null restores MessageBoxA.
typedef int(__stdcall* GktMessageBoxFn)(HWND owner, const char* text, const char* caption,
                                        UINT style);
GUIKIT_API GktMessageBoxFn __stdcall Gkt_SetMessageBox(GktMessageBoxFn show);

// ---------------------------------------------------------------------------------------
// Drawing-command language
// ---------------------------------------------------------------------------------------

// Draws a command text (@ C R 'text' F # /BAR, see guikit/out_parse.h) on dc with the
// origin at (x, y); w and h resolve negative cursor positions. Returns 0.
GUIKIT_API int __stdcall _Out(HDC dc, int x, int y, int w, int h, const char* commands);
// Adds a module to the list searched for bitmap names (at most 32): 0, or 1 when full.
GUIKIT_API int __stdcall __Out_RegisterBitmapInstance(HINSTANCE instance);

// ---------------------------------------------------------------------------------------
// Window creation, layout and frame procedures
// ---------------------------------------------------------------------------------------

// Applies the defaults of a window type (class, styles, size, font); instance is ignored.
GUIKIT_API int __stdcall Win_ParamSetDefault(Win* win, HINSTANCE instance, int type);
// Resolves the requested geometry against the parent and creates the window.
GUIKIT_API INT_PTR __stdcall Win_Create(Win* win);
// Creates the window from the record as it stands (resolved geometry already set).
GUIKIT_API INT_PTR __stdcall _Win_Create(Win* win);
// Creates (when needed), enables or disables, and shows; see GKT_SHOW_* flags.
GUIKIT_API int __stdcall Win_Show(Win* win, int flags);
// Moves the window to the resolved geometry (not resolved again).
GUIKIT_API int __stdcall Win_Move(Win* win, BOOL repaint);
// Enables or disables the window; 1 when an MDI child is enabled, else 0.
GUIKIT_API int __stdcall Win_Enable(Win* win, BOOL enable);
// Activates the window (an MDI child through its MDI client).
GUIKIT_API int __stdcall Win_SetActive(Win* win);
// WM_SETTEXT to a window handle; returns its result.
GUIKIT_API int __stdcall Win_SetText(HWND hwnd, const char* text);
// Stores a copy of a drawing-command text (button face, frame background); returns it.
GUIKIT_API char* __stdcall Win_SetBkText(Win* win, const char* commands);
// Sets the background colour (and its brush) and the text colour; returns the text colour.
GUIKIT_API COLORREF __stdcall Win_SetColor(Win* win, COLORREF background, COLORREF text);
// Adds a toolbar button with the bitmap resource of the program's instance. Returns 0.
GUIKIT_API int __stdcall Win_CtlBarAdd(Win* win, int command, const char* bitmap_name);
// Adds a gap of pixels before the next toolbar button. Returns 0.
GUIKIT_API int __stdcall Win_CtlBarSepar(Win* win, int gap);

GUIKIT_API LRESULT CALLBACK Dlg_Proc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK MDIChild_Proc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK MDI_Proc(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------------------

// Background colour of disabled edits, labels, lists and check boxes; returns the brush.
GUIKIT_API HBRUSH __stdcall SetColorOnDisable(COLORREF colour);
// Nonzero: disabled controls get a white background; zero: nothing changes.
GUIKIT_API void __stdcall SetWhiteOnDisable(int on);

GUIKIT_API LRESULT CALLBACK _Combo_WndProc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK _Edit_WndProc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK _Static_WndProc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK CheckBox_Proc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK ColorBox_Proc(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------------
// Browse (type 9, "GKT-BRW")
// ---------------------------------------------------------------------------------------

// Questions the browse asks its record's callback; the answer is a record identifier (an
// opaque nonzero number, 0 for none) unless stated.
#define CB_GOTOP 0x7100    // the first record
#define CB_GOBOTTOM 0x7101 // the last record
#define CB_SKIP 0x7102     // wParam = n (signed), lParam = a record: the record n steps away
#define CB_FILLROW 0x7103  // wParam = row, lParam = its record (0: empty): set the row's cells
#define CB_THUMB 0x7104    // wParam = thumb position 0 ... 1024: the record there
#define CB_POSITION 0x7105 // lParam = a record: its thumb position 0 ... 1024
#define CB_SELECT 0x7106   // lParam = a record: it becomes the owner's current record
#define CB_CURRENT 0x7107  // the owner's current record
#define GKT_BRW_THUMB_RANGE 1024

// Event codes the browse reports to its callback as WM_CHAR (typed characters pass as they
// are; a right click is GKT_CHAR_RBUTTON).
#define GKT_CHAR_CLICK 0x100    // left click in the grid
#define GKT_CHAR_DBLCLICK 0x200 // double click
#define GKT_CHAR_MOVED 0x300    // the row cursor moved by keyboard

// Appends a column (position must be -1; any other shows "Paramètre 2 incorrect"): the title,
// width in pixels, bytes of each cell buffer, DrawText format, drawn (cells are drawing
// commands). Returns 0.
GUIKIT_API int __stdcall Brw_SetCol(Win* win, int position, const char* title, int width, int buffer_size,
                                    int format, int drawn);
// Sets a cell's text (cut to the column's buffer) and the row mark of that column; returns
// the mark.
GUIKIT_API int __stdcall Brw_SetText(Win* win, int column, int row, const char* text, int mark);
// Rebuilds the page: message CB_SKIP (n steps from the top row), CB_THUMB (thumb position
// n), CB_CURRENT, CB_GOTOP or CB_GOBOTTOM; notify: the top row's record is selected.
GUIKIT_API void __stdcall Brw_Dsp(Win* win, int message, int n, int notify);
GUIKIT_API LRESULT CALLBACK Brw_Proc(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------------
// Print preview (types 15 and 11)
// ---------------------------------------------------------------------------------------

// Command identifiers the preview reports to its callback as WM_COMMAND.
#define GKT_PREVIEW_FIRST 101
#define GKT_PREVIEW_PREVIOUS 102
#define GKT_PREVIEW_NEXT 103
#define GKT_PREVIEW_LAST 104
#define GKT_PREVIEW_PRINT 105
#define GKT_PREVIEW_CLOSE 200

// Stores the page size in page units (tenths of a millimetre); sizes below 1 are ignored.
GUIKIT_API void __stdcall Print_WH(Win* win, int width, int height);
// Stores the landscape flag for the owner; returns it.
GUIKIT_API int __stdcall Print_LandScape(Win* win, int flag);
GUIKIT_API LRESULT CALLBACK PrintPreview_Proc(HWND, UINT, WPARAM, LPARAM);
GUIKIT_API LRESULT CALLBACK PrintPreviewMDI_Proc(HWND, UINT, WPARAM, LPARAM);
