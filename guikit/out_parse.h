// Reading of drawing-command texts: the portable half of _Out. A command text is read left to
// right and turned into a stream of drawing operations that a device (GDI in the library, a
// recorder in tests) carries out. Positions that depend on what was drawn (the width of a
// text, of a bitmap) are left to the device: an operation that advances the cursor says so,
// and the device keeps the cursor.
//
// Language (numbers are signed, with automatic base: 0x hex, leading 0 octal, else decimal;
// a missing number is 0 and consumes nothing):
//   ' '                 skipped (other white space is an unknown command)
//   @n[:m]              cursor x = n (w + n when negative); y = m (h + m), or 0 without ':'
//   C<components>       current colour = black OR-ed with the components
//   Rw[:h[:<comp>]]     rectangle; with the second ':' first filled with the components'
//                       colour; outlined in the current colour; x advances by w
//   'text'              text ('' is one apostrophe; ends at the end of the string too)
//   F[face][size][+][*][_]  font for later texts: MS Sans Serif 8 unless given; bold, italic,
//                       underline only in that order
//   #name               bitmap resource (letters and digits)
//   /BARn               bar n wide, 13 high, in the current colour; other keywords skipped
//   anything else       reported as an unknown command, reading goes on
// Components: pairs of r, g, b or w and a number, the number's low byte OR-ed into the red,
// green, blue byte, or all three for w.
//
// Operand limits never overrun a buffer: texts keep their first 999 characters, bitmap names
// 51, keywords 19, face names 31; the rest of an over-long operand is read and dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace guikit {

constexpr std::size_t kOutTextMax = 999;
constexpr std::size_t kOutBitmapNameMax = 51;
constexpr std::size_t kOutKeywordMax = 19;
constexpr std::size_t kOutFaceMax = 31;
constexpr int kOutBarHeight = 13;

// Font of a text, as the LOGFONT fields it sets.
struct OutFont {
    char face[kOutFaceMax + 1] = {};
    int height = 0; // LOGFONT height: -size
    int weight = 0; // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
};

enum class OutOpKind {
    Move,    // cursor = (x, y)
    Rect,    // rectangle w x h at the cursor; cursor x += w
    Text,    // text at the cursor; cursor x += its drawn width
    Bitmap,  // bitmap at the cursor; cursor x += its width when found
    Bar,     // filled bar w x 13 at the cursor; cursor x += w
    Unknown, // unknown command character
};

struct OutOp {
    OutOpKind kind = OutOpKind::Move;
    int x = 0, y = 0;           // Move
    int w = 0, h = 0;           // Rect, Bar (w)
    bool fill = false;          // Rect: fill before the outline
    std::uint32_t fill_colour = 0;
    std::uint32_t colour = 0;   // Rect outline, Bar fill (COLORREF 0x00BBGGRR)
    const char* text = nullptr; // Text, Bitmap name: NUL-terminated, valid during the call
    const OutFont* font = nullptr; // Text: null = the device's current font
    char unknown = 0;           // Unknown
};

// Receives the operations of one command text, in order.
class OutDevice {
public:
    virtual ~OutDevice() = default;
    virtual void Draw(const OutOp& op) = 0;
};

// Reads a number with automatic base at p; advances p past it (not at all when missing).
// Values beyond the 32-bit range saturate, as the C library's reading does.
std::int32_t ReadOutNumber(const char*& p);
// Reads colour components at p (see above) and returns the colour built from black.
std::uint32_t ReadOutColour(const char*& p);

// Reads commands and hands each operation to device. w and h resolve negative cursor
// positions. commands may be null (nothing happens).
void ParseOut(const char* commands, int w, int h, OutDevice& device);

// One operation with its own copies of text and font, for callers that keep a list.
struct OutCommand {
    OutOp op;
    std::string text;
    bool has_font = false;
    OutFont font;
};
std::vector<OutCommand> ParseOutList(const char* commands, int w, int h);

} // namespace guikit
