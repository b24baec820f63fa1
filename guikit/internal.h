// Helpers shared by the library's own files: the record attached to a window, the callback
// protocol, the one message-box path, library-wide GDI objects and the layout of children.
// Nothing here is exported.
#pragma once

#include "guikit/guikit.h"

namespace guikit {

// Shows a message box through the replaceable function (Gkt_SetMessageBox).
int ShowBox(HWND owner, const char* text, const char* caption, UINT style = MB_OK);

// Empty trace hook for internal conditions (record not found, focus lost): no output.
inline void Trace(const char*) {}

// The record stored in a window's extra data, null for a window without one.
Win* RecordOf(HWND hwnd);
// Stores the record in the window's extra data and the window in the record (WM_NCCREATE).
void Attach(HWND hwnd, Win* win);
// Clears the record slot of the window: its later messages find no record.
void Detach(HWND hwnd);
// The record from the creation parameters of WM_NCCREATE, attached to the window.
Win* AttachFromCreate(HWND hwnd, LPARAM lparam);

// The record of a control procedure's window: attached on WM_NCCREATE; on WM_DESTROY the
// destruction is handled (Destroyed) and null returned, so the system procedure finishes.
Win* ControlRecord(HWND hwnd, UINT msg, LPARAM lparam);

// Calls the record's callback with its own window handle; 0 when there is none.
LRESULT Notify(Win* win, UINT msg, WPARAM wparam, LPARAM lparam);
// WM_DESTROY of every library window: callback, record fields cleared, window detached,
// record freed when it is flagged auto delete. The record must not be used afterwards.
void Destroyed(Win* win);

// Sends GKTM_CHILDFOCUS / GKTM_CHILDBLUR for a control to its parent.
void ReportFocus(HWND control, Win* win, bool gained);

// Resolves the requested geometry against a reference size into the resolved fields.
void Resolve(Win* win, int ref_w, int ref_h);
// GKTM_PARENTSIZE of a control: resolved against the parent's new client size and moved.
void FollowParentSize(Win* win, LPARAM parent_size);

// Library-wide objects created at load.
HFONT SharedFont();
// The disabled colour's brush (0 when none) and colour.
HBRUSH DisabledBrush();
COLORREF DisabledColour();
// A new bold "MS Sans Serif" font of character height 8 (caller deletes it).
HFONT CreateBoldFont();

// Frees the toolbar of a record and its bitmaps.
void FreeCtlBar(Win* win);
// Draws the toolbar strip and its buttons on dc (frame WM_PAINT).
void PaintCtlBar(Win* win, HDC dc);
// Left button pressed / released in a frame with a toolbar.
void CtlBarPress(Win* win, int x, int y);
void CtlBarRelease(Win* win);

// Creation, as Win_Create / Win_Show do it.
HWND CreateRecordWindow(Win* win);
bool IsMdiChildType(int type);

// Registers the wrapped system classes and the drawn controls with instance; false when a
// class could not be registered.
bool RegisterControlClasses(HINSTANCE instance);
// Registers the frame classes with instance; false on failure.
bool RegisterFrameClasses(HINSTANCE instance);
// Registers the two print preview classes with instance; false on failure.
bool RegisterPreviewClasses(HINSTANCE instance);
// The preview fields' defaults of a new preview record (A4 portrait, 100 %); other records
// are left alone.
void PreviewDefaults(Win* win);
// Registers the browse class "GKT-BRW"; false on failure.
bool RegisterBrowseClass(HINSTANCE instance);
// The browse fields' defaults of a new browse record (header and row heights, no current
// row); other records are left alone.
void BrowseDefaults(Win* win);
// Frees the columns of a browse record (titles and cell buffers); other records: nothing.
void FreeBrowseColumns(Win* win);
// Window class with the library's extra bytes, the application icon and the arrow cursor.
bool RegisterLibraryClass(HINSTANCE instance, const char* name, WNDPROC proc, int background);
// Registers a class (already registered counts as done) and marks it as the library's: its
// windows carry a record in the slots that start slot_base bytes into the extra data.
bool RegisterOnce(const WNDCLASSA& wc, int slot_base);

} // namespace guikit
