// Program-wide values set at start-up (see program.h).
#include "services/program.h"

#include "data/domain_text.h"
#include "services/program_dir.h"
#include "services/settings.h"

#include <clocale>
#include <locale>

namespace lysora {
namespace {

constexpr int kDateEpoch = 1970;

Symbol& LongField()
{
    static Symbol symbol;
    return symbol;
}

} // namespace

StartColours ColoursForDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8: return {{255, 190, 0}, true, {255, 255, 128}};
    case 16: return {{255, 192, 0}, false, {255, 240, 120}};
    default: return {{255, 184, 0}, false, {255, 240, 120}};
    }
}

bool IsDebugPath(std::string_view path) { return path.find("DBG") != std::string_view::npos; }

bool _DEBUG()
{
    static const bool debug = IsDebugPath(ExecutablePath());
    return debug;
}

void INITREGLAGES()
{
    // Number-to-text conversion with ".", and byte-order comparison of texts, whatever the
    // user's locale says.
    std::setlocale(LC_NUMERIC, "C");
    std::setlocale(LC_COLLATE, "C");
    std::locale::global(std::locale::classic());
    SetDateEpoch(kDateEpoch);
    SETPROGRAMDIR(ExecutableDirectory());
    LongField() = Symbol("long");
    SetDecimalSeparator(GETDECIMALSEP().front());
}

Symbol SYMLONG() { return LongField(); }

} // namespace lysora
