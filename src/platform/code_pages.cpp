#include "platform/code_pages.h"

namespace orvalis {

std::wstring Decode(UINT code_page, const std::string& text) {
    const int n =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::wstring WideFromAnsi(const std::string& text) {
    return Decode(CP_ACP, text);
}

std::string Encode(UINT code_page, DWORD flags, const std::wstring& wide) {
    const int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), &text[0],
                            n, nullptr, nullptr);
    return text;
}

} // namespace orvalis
