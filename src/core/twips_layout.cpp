#include "core/twips_layout.h"

namespace orvalis {

int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

int CentredOrigin(int screen, int size) {
    return (screen - size) / 2;
}

} // namespace orvalis
