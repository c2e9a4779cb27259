#pragma once

#include <string>

// Short (8.3) form of an existing path, keeping a trailing "\" if the path had
// one; "" when the path does not exist.
std::string GetShortPath(const std::string& path);
