#include "tray/frmAbout.h"

#include "tray/about_caption.h"

#include <vector>

namespace {

using orvalis::ControlKind;
using orvalis::ControlRow;

const ControlRow kControls[] = {
    // Label1 reaches past the client area's right edge and is clipped there.
    {ControlKind::Label, 1000, "Convert Microsoft AWD fax files to TIF format", 90, 90, 3390, 255,
     0},
    {ControlKind::Label, 1001, "By the Orvalis team", 30, 630, 1725, 240, 2},
    {ControlKind::Button, frmAbout::kCommand1, "Close", 2355, 480, 810, 315, 1},
};

const orvalis::FormLayout kLayout = {"Orvalis", 3360, 915, kControls,
                                     sizeof kControls / sizeof kControls[0]};

// Major and minor version of the running executable, from its version resource.
bool RunningVersion(unsigned& major, unsigned& minor) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT info_size = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &info_size) ||
        info_size < sizeof(VS_FIXEDFILEINFO))
        return false;
    major = HIWORD(info->dwFileVersionMS);
    minor = LOWORD(info->dwFileVersionMS);
    return true;
}

} // namespace

void frmAbout::Show(HINSTANCE instance) {
    if (!Handle())
        Form_Load(instance);
    if (!Handle())
        return;
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
}

void frmAbout::Form_Load(HINSTANCE instance) {
    if (!CreateFromLayout(instance, kLayout))
        return;
    unsigned major = 0, minor = 0;
    if (RunningVersion(major, minor))
        SetWindowTextA(Handle(), orvalis::AboutCaption(major, minor).c_str());
}

void frmAbout::Command1_Click() {
    DestroyWindow(Handle());
}

void frmAbout::OnCommand(int id, int code) {
    if ((id == kCommand1 && code == BN_CLICKED) || id == IDCANCEL)
        Command1_Click();
}
