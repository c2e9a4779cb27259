// The converter's runs: each one in the one job that the program holds, so
// that when the process ends, however it ends, Windows ends the converters
// with it.
#pragma once

#include "core/converter.h"

#include <windows.h>

#include <functional>
#include <string>

namespace orvalis {

class Win32Converter : public Converter {
  public:
    // `app_folder`: where the converter runs. `closing`: true once the
    // program ends, which ends every wait.
    Win32Converter(std::string app_folder, std::function<bool()> closing);
    Win32Converter(const Win32Converter&) = delete;
    Win32Converter& operator=(const Win32Converter&) = delete;
    ~Win32Converter() override;

    bool Launch(const std::string& command, int32_t& task_id) override;
    bool WaitForEnd(int32_t ms) override;
    void End() override;

  private:
    bool Launch(const std::string& command, int32_t& task_id, DWORD breakaway);
    bool Ended();

    std::string app_folder_;
    std::function<bool()> closing_;
    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr; // the batch's cmd.exe, last launched
};

} // namespace orvalis
