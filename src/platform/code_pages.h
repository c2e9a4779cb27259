// Text between the code pages: the ANSI one the program works in, UTF-8 and
// the wide strings of the file system.
#pragma once

#include <windows.h>

#include <string>

namespace orvalis {

std::wstring Decode(UINT code_page, const std::string& text);
std::wstring WideFromAnsi(const std::string& text);
std::string Encode(UINT code_page, DWORD flags, const std::wstring& wide);

} // namespace orvalis
