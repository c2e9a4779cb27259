// The tray icon record.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace orvalis {

// The callback message of the record: the shell reports icon events as this
// message with the mouse message in lParam.
const UINT kTrayCallbackMessage = WM_MOUSEMOVE;
const UINT kTrayIconId = 1;

// The shell's original ANSI record, 88 bytes on 32-bit Windows. Every shell
// since Windows 95 accepts it, Wine's tray included.
struct NotifyIconRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[64];
};

#if !defined(_WIN64)
static_assert(sizeof(NotifyIconRecord) == 88, "the tray record must be the 88-byte ANSI layout");
#endif

NotifyIconRecord MakeTrayRecord(HWND window, HICON icon, const std::string& tip);

// Records for NIM_MODIFY. The add keeps the 88-byte record that every shell
// takes; changes go with the larger one that can carry a balloon.
NOTIFYICONDATAA MakeIconChangeRecord(HWND window, HICON icon);
NOTIFYICONDATAA MakeBalloonRecord(HWND window, const std::string& title, const std::string& text);

bool ModifyTrayIcon(const NOTIFYICONDATAA& record);

} // namespace orvalis

// Adds (add = true) or deletes the icon of `window`; the shell's answer is
// returned for those who care.
bool SetTrayIcon(HWND window, HICON icon, const std::string& tip, bool add);
