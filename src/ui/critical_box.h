// The program's own box for what the user must see.
#pragma once

#include <string>

namespace orvalis {

// Modal, with the stop icon, an OK button and the title "Orvalis". It comes
// to the foreground: the program has no window the user could be looking at.
void ShowCritical(const std::string& text);

} // namespace orvalis
