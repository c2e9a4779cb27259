// What the Wine tests share: a fresh folder under the temp folder, removed
// with everything in it. One at a time: the name is the process's.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

struct TempFolder {
    TempFolder() { std::filesystem::create_directory(path); }
    ~TempFolder() { std::filesystem::remove_all(path, ignored); }
    std::string File(const std::string& name) const { return path + "\\" + name; }

    std::error_code ignored;
    // The blank gives the folder a short form unlike its long one.
    const std::string path =
        ::testing::TempDir() + "orvalis test " + std::to_string(GetCurrentProcessId());
};

// The whole of a file, as bytes.
inline std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A test that works in a fresh folder of its own.
struct WineTest : ::testing::Test {
    TempFolder temp;
};
