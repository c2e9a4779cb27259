#include "forms/modOrvalis.h"

#include "core/tray_tip.h"

#include <cstddef>
#include <cstring>

namespace orvalis {

// The record is handed to the shell as the leading part of NOTIFYICONDATAA.
static_assert(offsetof(NotifyIconRecord, hWnd) == offsetof(NOTIFYICONDATAA, hWnd), "layout");
static_assert(offsetof(NotifyIconRecord, uCallbackMessage) ==
                  offsetof(NOTIFYICONDATAA, uCallbackMessage),
              "layout");
static_assert(offsetof(NotifyIconRecord, hIcon) == offsetof(NOTIFYICONDATAA, hIcon), "layout");
static_assert(offsetof(NotifyIconRecord, szTip) == offsetof(NOTIFYICONDATAA, szTip), "layout");
static_assert(sizeof(NotifyIconRecord) == NOTIFYICONDATAA_V1_SIZE, "layout");

namespace {

NOTIFYICONDATAA ModifyRecord(HWND window) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    return record;
}

} // namespace

NotifyIconRecord MakeTrayRecord(HWND window, HICON icon, const std::string& tip) {
    NotifyIconRecord record;
    record.cbSize = sizeof(NotifyIconRecord);
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    FillTipField(record.szTip, tip);
    return record;
}

NOTIFYICONDATAA MakeIconChangeRecord(HWND window, HICON icon) {
    NOTIFYICONDATAA record = ModifyRecord(window);
    record.uFlags = NIF_ICON;
    record.hIcon = icon;
    return record;
}

NOTIFYICONDATAA MakeBalloonRecord(HWND window, const std::string& title, const std::string& text) {
    NOTIFYICONDATAA record = ModifyRecord(window);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = NIIF_WARNING;
    CopyToField(record.szInfoTitle, title);
    CopyToField(record.szInfo, text);
    return record;
}

bool ModifyTrayIcon(const NOTIFYICONDATAA& record) {
    NOTIFYICONDATAA copy = record;
    return Shell_NotifyIconA(NIM_MODIFY, &copy) != FALSE;
}

} // namespace orvalis

bool SetTrayIcon(HWND window, HICON icon, const std::string& tip, bool add) {
    orvalis::NotifyIconRecord record = orvalis::MakeTrayRecord(window, icon, tip);
    // The record is the leading part of NOTIFYICONDATAA; cbSize tells the shell so.
    return Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE,
                             reinterpret_cast<NOTIFYICONDATAA*>(&record)) != FALSE;
}
