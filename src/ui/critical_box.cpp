#include "ui/critical_box.h"

#include <windows.h>

namespace orvalis {

void ShowCritical(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Orvalis", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

} // namespace orvalis
