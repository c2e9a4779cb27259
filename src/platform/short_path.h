#pragma once

#include <string>

// Short (8.3) form of an existing path, keeping a trailing "\" if the path had
// one; "" when the path does not exist or its short form needs 130 characters
// or more.
std::string GetShortPath(const std::string& path);
