#include "core/tray_tip.h"

#include <cstring>

namespace orvalis {

size_t CopyToField(char* field, size_t size, const std::string& text) {
    const size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
    return length;
}

void FillTipField(char (&field)[64], const std::string& tip) {
    std::memset(field, ' ', sizeof field);
    CopyToField(field, tip);
}

} // namespace orvalis
