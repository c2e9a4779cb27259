// A file that the program keeps open until it ends, shared for reading only:
// while it is held nobody can change, rename or delete it, and programs can
// still read and run it. The program's folder is writable by its users; what
// cmd.exe runs from there is held.
#pragma once

#include <windows.h>

#include <string>

namespace orvalis {

class HeldFile {
  public:
    // False when the file is missing or another program has it open for
    // writing.
    bool Hold(const std::string& path);
    // Writes `text` as the whole file and holds it; false unless what is held
    // is exactly `text`.
    bool WriteAndHold(const std::string& path, const std::string& text);

    // Held until the object goes, by this object alone.
    HeldFile() = default;
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

  private:
    void Release();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace orvalis
