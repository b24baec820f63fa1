// The picture field: FLD_BITMAP shows a picture sized to it, and DOM_BITMAP is its domain (a
// character value of 50 naming the picture, with a default picture). A name without "." is
// a bitmap resource of the program; a name with "." is a BMP file, read by the program's own
// BMP reader from the working directory unless the name holds a "\". The field can have a
// sunken border (RELIEF), paints with the picture's palette, and a double click on it acts
// as a command of the field in its dialog (ONCMD with the field's symbol). Where a control
// of the dialog is drawn over the picture (a background), the mouse goes to that control.
//
// Left out: the field never takes the focus and shows no text; it has nothing to validate.
#pragma once

#include "framework/fld.h"
#include "views/picture/bmp_reader_win32.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lysora {

class FLD_BITMAP;

class DOM_BITMAP : public DOM_CAR {
public:
    static constexpr int kNameLength = 50;
    // cName, when not empty, is the picture every new control shows.
    explicit DOM_BITMAP(std::string_view cName = {});
    // A new picture field for owner, showing the default picture when there is one.
    std::unique_ptr<FLD_BITMAP> CONTROL(WIN* owner) const;
    const std::string& DefaultPicture() const { return default_; }

private:
    std::string default_;
};

class FLD_BITMAP : public FLD {
public:
    explicit FLD_BITMAP(WIN* owner);
    ~FLD_BITMAP() override; // AXIT

    // The picture's size in pixels; 0 x 0 when none is loaded.
    int L() const { return picture_.Width(); }
    int H() const { return picture_.Height(); }

    // Names the picture: the old one is freed, the new one loaded, the window fitted to it.
    void SET(const Value& value) override;
    // Accepts always: a picture field has nothing to check.
    std::string VALIDATE() override { return {}; }

    bool RELIEF() const { return relief_; }
    // A sunken border around the picture, for a window not created yet.
    void RELIEF(bool relief);

    // Loads the named picture; false (after the reader's message) when it cannot be loaded.
    bool LOADBITMAP(std::string_view cName);
    // Releases the picture, its palette and memory DC; L = H = 0.
    void FREEBITMAP();
    // Sizes the window to the picture (and its border), at its current place.
    void FITTOIMAGE();

    void ONCREATE() override;
    void ONPAINT(HDC dc);

    // The window size for a picture of width x height, with or without the border.
    static SIZE FittedSize(int width, int height, bool relief);

protected:
    std::string TextOf(const Value&) override { return {}; } // the field shows no text

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    // The field's own handling of a message; nothing when the label's procedure handles it.
    std::optional<LRESULT> OnMessage(HWND hwnd, UINT msg, LPARAM lparam);

    bmp::Picture picture_;
    HDC memoryDc_ = nullptr;
    HGDIOBJ memoryDcBitmap_ = nullptr; // the memory DC's own bitmap, put back before freeing
    bool relief_ = false;
};

} // namespace lysora
