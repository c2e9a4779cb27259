#include "config/frmSetup.h"
#include "config/modINI.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The dialog is modal, so the test acts from inside its message loop, on a
// thread timer that the loop dispatches.
std::function<void(HWND)> g_while_open;

void CALLBACK ActWhileOpen(HWND, UINT, UINT_PTR id, DWORD) {
    HWND setup = FindWindowA(nullptr, "Orvalis Setup");
    if (!setup)
        return; // not shown yet: the timer comes again
    KillTimer(nullptr, id);
    g_while_open(setup);
}

void RunSetup(std::function<void(HWND)> act) {
    g_while_open = std::move(act);
    SetTimer(nullptr, 0, 20, ActWhileOpen);
    frmSetup::ShowModal(GetModuleHandleA(nullptr));
}

// What the desktop shell hands over when files are dropped.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t chars = 1;
    for (const std::string& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* out = reinterpret_cast<char*>(header + 1);
    for (const std::string& p : paths) {
        std::memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    *out = '\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string Text(HWND setup, int index) {
    char text[1024] = {};
    GetWindowTextA(GetDlgItem(setup, frmSetup::kText1 + index), text, sizeof text);
    return text;
}

void Drop(HWND setup, int index, const std::vector<std::string>& paths) {
    SendMessageA(GetDlgItem(setup, frmSetup::kText1 + index), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

class SetupDialog : public ::testing::Test {
  protected:
    void SetUp() override { IniFile = folder.File("Orvalis.ini"); }
    TempFolder folder;
};

TEST_F(SetupDialog, DropsPutTheFirstPathAndSaveWritesWhatIsThere) {
    std::vector<std::string> seen;
    RunSetup([&](HWND setup) {
        for (int i = 0; i < 4; ++i)
            seen.push_back(Text(setup, i));
        Drop(setup, 1, {"C:\\Fax\\Out", "C:\\Second", "C:\\Third"});
        Drop(setup, 2, {"C:\\Fax\\In"}); // a folder dropped on a wait box
        Drop(setup, 0, {});              // a drop without files changes nothing
        seen.push_back(Text(setup, 0));
        SetWindowTextA(GetDlgItem(setup, frmSetup::kText1), "D:\\Drop here");
        SendMessageA(GetDlgItem(setup, frmSetup::kCommand1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ((std::vector<std::string>{"", "", "500", "3000", ""}), seen);
    EXPECT_EQ("[File]\r\nDrop=D:\\Drop here\r\nStore=C:\\Fax\\Out\r\nCurrent=0\r\n"
              "[Tempo]\r\nV1=C:\\Fax\\In\r\nV2=3000\r\n",
              ReadBytes(IniFile));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Orvalis Setup")) << "Save unloads the form";
}

TEST_F(SetupDialog, ShowsNoStoredValuesAndClosingWritesNothing) {
    WriteINI("C:\\Old", "Drop", "File", IniFile);
    WriteINI("250", "V1", "Tempo", IniFile);
    const std::string before = ReadBytes(IniFile);
    std::vector<std::string> seen;
    RunSetup([&](HWND setup) {
        for (int i = 0; i < 4; ++i)
            seen.push_back(Text(setup, i));
        PostMessageA(setup, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ((std::vector<std::string>{"", "", "500", "3000"}), seen);
    EXPECT_EQ(before, ReadBytes(IniFile));
}

} // namespace
