#include "modOrvalis.h"

#include "tray_tip.h"

#include <shellapi.h>

NotifyIconRecord MakeTrayRecord(HWND window, HICON icon, const std::string& tip) {
    NotifyIconRecord record;
    record.cbSize = sizeof(NotifyIconRecord);
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    orvalis::FillTipField(record.szTip, tip);
    return record;
}

bool SetTrayIcon(HWND window, HICON icon, const std::string& tip, bool add) {
    NotifyIconRecord record = MakeTrayRecord(window, icon, tip);
    // The record is the leading part of NOTIFYICONDATAA; cbSize tells the shell so.
    return Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE,
                             reinterpret_cast<NOTIFYICONDATAA*>(&record)) != FALSE;
}
