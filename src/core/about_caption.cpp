#include "tray/about_caption.h"

namespace orvalis {

std::string AboutCaption(unsigned major, unsigned minor) {
    return "Orvalis - V" + std::to_string(major) + "." + std::to_string(minor);
}

} // namespace orvalis
