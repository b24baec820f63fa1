// Program-wide values that start-up sets and every part reads, in their portable form: the
// two colours chosen by screen depth, the debug build flag, the number, collation, date and
// directory settings of the run, and the field symbol LONG. The Windows objects made from
// them (header brush, program icon) are in start.h.
#pragma once

#include "base/symbol.h"

#include <cstdint>
#include <string>
#include <string_view>

// _DEBUG below is the program's own name for its debug-copy test; a build must not define
// it as a macro (some toolchains do for their debug runtimes).
#ifdef _DEBUG
#error "_DEBUG names the debug-copy test of the program: do not define it as a macro"
#endif

namespace lysora {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The accent colour (background of the comparison dialogs) and the light header colour
// (grid headers, graph drawings) for a screen depth. On an 8-bit screen the accent is
// palette-relative, so that it maps to the nearest colour of the realised palette.
struct StartColours {
    Rgb accent;
    bool accentPaletteRelative = false;
    Rgb header;
};
StartColours ColoursForDepth(int bitsPerPixel);

// True when the path holds "DBG" (case-sensitive): the mark of a debug copy of the program.
bool IsDebugPath(std::string_view path);
// The full path of the running executable; empty when unknown.
std::string ExecutablePath();
// The debug build flag: the running executable's full path holds "DBG". A debug copy opens
// the tables writable, prints to the preview and offers the administration menu.
bool _DEBUG();

// Number, collation, date and directory settings of the run, before anything else reads
// them: numbers written with "." whatever the locale, texts compared by character code,
// two-digit years in 1970-2069, the program directory from the executable, the user's
// decimal separator from the system settings, and the field symbol LONG.
void INITREGLAGES();

// The nutrient table's long-name field, a symbol made at start from the text "long".
Symbol SYMLONG();

} // namespace lysora
