#include "service/tray_tip.h"

#include <cstring>

namespace orvalis {

void FillTipField(char (&field)[64], const std::string& tip) {
    const size_t length = tip.size() < 63 ? tip.size() : 63;
    std::memset(field, ' ', sizeof field);
    std::memcpy(field, tip.data(), length);
    field[length] = '\0';
}

} // namespace orvalis
