#pragma once

#include <string>

// Short (8.3) form of an existing path, keeping a trailing "\" if the path had
// one; "" when the path does not exist.
std::string GetShortPath(const std::string& path);

// The full path that `path` names, with "." and ".." resolved and "/" read
// as "\\"; `path` itself when it cannot be had.
std::string GetFullPath(const std::string& path);
