#include "forms/frmAbout.h"

#include "core/about_caption.h"

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

// Major and minor version of the running executable, from its own version
// resource: read through the resource functions, version.dll is not needed.
bool RunningVersion(unsigned& major, unsigned& minor) {
    // The resource script names the block 1 (VS_VERSION_INFO).
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* block = loaded ? LockResource(loaded) : nullptr;
    return block &&
           orvalis::VersionFromResource(block, SizeofResource(nullptr, found), major, minor);
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
