#include "core/about_caption.h"

#include <cstdint>
#include <cstring>

namespace orvalis {

std::string AboutCaption(unsigned major, unsigned minor) {
    return "Orvalis - V" + std::to_string(major) + "." + std::to_string(minor);
}

namespace {

uint32_t Little(const uint8_t* at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | at[i];
    return value;
}

} // namespace

bool VersionFromResource(const void* block, size_t size, unsigned& major, unsigned& minor) {
    // wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 32 bits,
    // then VS_FIXEDFILEINFO: its signature, its struct version, then
    // dwFileVersionMS with the major number in the high word.
    static const char kKey[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0";
    const size_t kFixed = 40, kFixedSize = 52;
    const auto* bytes = static_cast<const uint8_t*>(block);
    if (size < kFixed + kFixedSize || Little(bytes + 2, 2) < kFixedSize ||
        std::memcmp(bytes + 6, kKey, sizeof kKey) != 0 || Little(bytes + kFixed, 4) != 0xFEEF04BD)
        return false;
    const uint32_t version_ms = Little(bytes + kFixed + 8, 4);
    major = version_ms >> 16;
    minor = version_ms & 0xFFFF;
    return true;
}

} // namespace orvalis
