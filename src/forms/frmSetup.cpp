#include "forms/frmSetup.h"

#include "forms/modINI.h"
#include "ui/message_pump.h"

#include <shellapi.h>

#include <vector>

namespace {

using orvalis::ControlKind;
using orvalis::ControlRow;
namespace settings = orvalis::settings;

const ControlRow kControls[] = {
    {ControlKind::Label, 1000, "Folder where to drop AWD files:", 75, 150, 2385, 225, 0},
    {ControlKind::TextBox, frmSetup::kText1 + 0, "", 390, 405, 6540, 285, 1},
    {ControlKind::HintLabel, 1200, "drag && drop a folder from Windows Explorer", 3765, 720, 3165,
     240, 9},
    {ControlKind::Label, 1001, "Folder where to store converted TIF files:", 75, 915, 3090, 225, 2},
    {ControlKind::TextBox, frmSetup::kText1 + 1, "", 390, 1170, 6540, 285, 3},
    {ControlKind::HintLabel, 1201, "drag && drop a folder from Windows Explorer", 3765, 1470, 3165,
     240, 10},
    {ControlKind::Label, 1002, "Time, in ms, to wait for Shell && Kill operations to complete", 105,
     1875, 4140, 225, 4},
    {ControlKind::TextBox, frmSetup::kText1 + 2, settings::kV1.default_text, 4410, 1860, 675, 285,
     5},
    {ControlKind::Label, 1003, "Time, in ms, to wait before checking the drop folder", 105, 2235,
     4140, 225, 6},
    {ControlKind::TextBox, frmSetup::kText1 + 3, settings::kV2.default_text, 4410, 2220, 675, 285,
     7},
    {ControlKind::Button, frmSetup::kCommand1, "&Save", 5850, 1905, 840, 450, 8},
};

const orvalis::FormLayout kLayout = {"Orvalis Setup", 7020, 2610, kControls,
                                     sizeof kControls / sizeof kControls[0]};

const int kTextBoxes = 4;

} // namespace

void frmSetup::ShowModal(HINSTANCE instance) {
    frmSetup form;
    form.Form_Load(instance);
    if (!form.Handle())
        return;
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());
    orvalis::RunModalLoop(form.Handle());
}

void frmSetup::Form_Load(HINSTANCE instance) {
    // Deliberately loads nothing from the settings file: Setup writes a fresh
    // configuration.
    if (!CreateFromLayout(instance, kLayout))
        return;
    for (int i = 0; i < kTextBoxes; ++i) {
        HWND box = Control(kText1 + i);
        DragAcceptFiles(box, TRUE);
        SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frmSetup::TextBoxProc));
    }
    SetFocus(Control(kText1));
}

std::string frmSetup::TextOfText1(int index) const {
    HWND box = Control(kText1 + index);
    const int length = GetWindowTextLengthA(box);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(box, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void frmSetup::Command1_Click() {
    // The order of the writes is part of the file's contract.
    WriteINI(TextOfText1(0), settings::kDrop, IniFile);
    WriteINI(TextOfText1(1), settings::kStore, IniFile);
    WriteINI(0, settings::kCurrent, IniFile); // numbering starts again
    WriteINI(TextOfText1(2), settings::kV1, IniFile);
    WriteINI(TextOfText1(3), settings::kV2, IniFile);
    DestroyWindow(Handle());
}

void frmSetup::Text1_OLEDragDrop(int index, HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count >= 1) {
        const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
        std::vector<char> path(length + 1, '\0');
        if (DragQueryFileA(drop, 0, path.data(), length + 1) > 0)
            SetWindowTextA(Control(kText1 + index), path.data());
    }
    DragFinish(drop);
}

void frmSetup::OnCommand(int id, int code) {
    // Enter and Esc arrive as IDOK and IDCANCEL and are meant to do nothing.
    if (id == kCommand1 && code == BN_CLICKED)
        Command1_Click();
}

// Plain subclassing, as comctl32's helpers would have to be imported. The
// box's own behaviour is its class's: nothing subclassed it before us.
LRESULT CALLBACK frmSetup::TextBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DROPFILES) {
        auto* form = reinterpret_cast<frmSetup*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        form->Text1_OLEDragDrop(GetDlgCtrlID(hwnd) - kText1, reinterpret_cast<HDROP>(wparam));
        return 0;
    }
    const auto class_proc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
    return CallWindowProcA(class_proc, hwnd, message, wparam, lparam);
}
