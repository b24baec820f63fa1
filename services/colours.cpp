// The program-wide colours by screen depth (see colours.h).
#include "services/colours.h"

namespace lysora {

StartColours ColoursForDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8: return {{255, 190, 0}, true, {255, 255, 128}};
    case 16: return {{255, 192, 0}, false, {255, 240, 120}};
    default: return {{255, 184, 0}, false, {255, 240, 120}};
    }
}

} // namespace lysora
