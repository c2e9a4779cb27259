#include "forms/frmSetup.h"
#include "forms/modINI.h"
#include "wine_test.h"

#include <shlobj.h>

TEST_F(WineTest, frmSetupShowsNothingStoredAndSaveWritesTheBoxes) {
    IniFile = temp.File("Orvalis.ini");
    std::ofstream(IniFile, std::ios::binary) << "[File]\r\nDrop=C:\\Old\r\n[Tempo]\r\nV1=250\r\n";
    // The dialog is modal: the test acts from inside its message loop, on a
    // thread timer that only that loop dispatches, once the dialog is up.
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        KillTimer(nullptr, id);
        const HWND setup = FindWindowA(nullptr, "Orvalis Setup");
        // What the shell hands over when three folders are dropped; the
        // zeroes after the literal's own NUL end the list.
        static const char paths[] = "C:\\Fax\\In\0C:\\Second\0C:\\Third";
        auto* drop =
            static_cast<DROPFILES*>(GlobalAlloc(GPTR, sizeof(DROPFILES) + sizeof paths + 1));
        drop->pFiles = sizeof(DROPFILES);
        CopyMemory(drop + 1, paths, sizeof paths);
        // Nothing keeps a folder off a wait box.
        SendMessageA(GetDlgItem(setup, frmSetup::kText1 + 3), WM_DROPFILES, WPARAM(drop), 0);
        SendMessageA(GetDlgItem(setup, frmSetup::kCommand1), BM_CLICK, 0, 0);
    });
    frmSetup::ShowModal(GetModuleHandleA(nullptr));
    // The boxes left alone hold the defaults, not what was stored.
    EXPECT_EQ("[File]\r\nDrop=\r\nStore=\r\nCurrent=0\r\n[Tempo]\r\nV1=500\r\nV2=C:\\Fax\\In\r\n",
              FileText(IniFile));
}
