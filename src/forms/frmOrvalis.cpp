#include "forms/frmOrvalis.h"

#include "core/command_line.h"
#include "core/file_names.h"
#include "core/ini_rules.h"
#include "core/settings.h"
#include "forms/frmSetup.h"
#include "forms/modINI.h"
#include "forms/modOrvalis.h"
#include "platform/error_log.h"
#include "platform/short_path.h"
#include "resource.h"
#include "ui/critical_box.h"
#include "ui/message_pump.h"

#include <cassert>

namespace {

namespace settings = orvalis::settings;

const char kClassName[] = "frmOrvalis";
const UINT_PTR kTimer1 = 1;
const UINT_PTR kTrayRetry = 2;
const UINT_PTR kSoon = 3;
// Long enough to take a burst of changes (a copy, a rename) into one pass.
const UINT kSoonMs = 50;
const UINT kMenuFirstId = 100; // mnuP(i) has the command id kMenuFirstId + i

// The short form of the application folder for the batch file and the
// converter. A drive root stays as it is, and the long form stands in when no
// short form can be had, rather than putting both files at the drive's root.
std::string ShortApplicationFolder(const std::string& folder) {
    if (folder.size() == 2 && folder[1] == ':')
        return folder;
    const std::string short_form = GetShortPath(folder);
    return short_form.empty() ? folder : short_form;
}

} // namespace

bool frmOrvalis::Load() {
    WNDCLASSA wc = {};
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_ORVALIS));
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    // The form's 32x32 icon is the one the tray shows; the shell scales it.
    icon_ = static_cast<HICON>(
        LoadImageA(instance_, MAKEINTRESOURCEA(IDI_ORVALIS), IMAGE_ICON, 32, 32, 0));
    warning_icon_ = static_cast<HICON>(
        LoadImageA(instance_, MAKEINTRESOURCEA(IDI_ORVALIS_WARNING), IMAGE_ICON, 32, 32, 0));
    assert(icon_ && warning_icon_ && "the icons are linked into the program");

    // No caption, no border, no taskbar button, and left of the screen: the
    // window only exists to own the timer and the menu and to hear the tray.
    const int width = 115, height = 44;
    if (!Create(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, -width - 60, 75, width, height,
                instance_)) {
        orvalis::ShowCritical("ERROR: Cannot create the main window!");
        return false;
    }
    taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
    CreatePopupMenuItems();
    return Form_Load();
}

void frmOrvalis::CreatePopupMenuItems() {
    mnuPopup_ = CreatePopupMenu();
    assert(mnuPopup_);
    const char* captions[orvalis::kMenuItems] = {"&About...", "-", "Enabled", "-", "&Close"};
    for (UINT i = 0; i < orvalis::kMenuItems; ++i) {
        const bool separator = captions[i][0] == '-';
        AppendMenuA(mnuPopup_, separator ? MF_SEPARATOR : MF_STRING, kMenuFirstId + i,
                    separator ? nullptr : captions[i]);
    }
    SetMenuDefaultItem(mnuPopup_, orvalis::kMenuEnabled, TRUE);
}

void frmOrvalis::ReadSettings() {
    state_.Current = orvalis::CounterFromText(ReadINI(settings::kCurrent, IniFile));
    drop_setting_ = FolderSetting(settings::kDrop);
    state_.DropFolder = GetShortPath(drop_setting_);
    state_.StoreFolder = GetShortPath(FolderSetting(settings::kStore));
    state_.V1 = orvalis::SettleWaitFromText(ReadINI(settings::kV1, IniFile));
}

std::string frmOrvalis::FolderSetting(const orvalis::Setting& setting) const {
    // The converter runs in the application folder, and a shortcut may
    // start Orvalis anywhere: only full paths mean the same to both.
    const std::string folder = orvalis::FolderFromSetting(app_folder_, ReadINI(setting, IniFile));
    return folder.empty() ? folder : GetFullPath(folder);
}

bool frmOrvalis::FoldersUsable() const {
    return !state_.StoreFolder.empty() && !state_.DropFolder.empty() &&
           orvalis::FoldersFit(state_.DropFolder, state_.StoreFolder);
}

bool frmOrvalis::Form_Load() {
    IniFile = orvalis::PathInFolder(app_folder_, "Orvalis.ini");
    error_log_ = orvalis::PathInFolder(app_folder_, "Orvalis.err");
    const std::string short_folder = ShortApplicationFolder(app_folder_);
    const std::string converter_path = orvalis::PathInFolder(short_folder, "AWDVSTUB.EXE");
    state_.BatchFile = orvalis::PathInFolder(short_folder, "ORVALIS.BAT");

    ReadSettings();
    if (!FoldersUsable()) {
        frmSetup::ShowModal(instance_);
        ReadSettings();
        if (!FoldersUsable()) {
            orvalis::ShowCritical("ERROR: Application is not correctly setup!");
            return false;
        }
    }
    state_.DropFolder = orvalis::WithTrailingBackslash(state_.DropFolder);
    state_.StoreFolder = orvalis::WithTrailingBackslash(state_.StoreFolder);

    if (!WriteBatchFile(converter_path))
        return false;
    AddTrayIcon();
    state_.Busy = false;
    timer1_interval_ =
        static_cast<UINT>(orvalis::PollIntervalFromText(ReadINI(settings::kV2, IniFile)));
    drop_files_.reset(new orvalis::Win32DropFiles(drop_watch_, [this] { return Closing(); }));
    fax_store_.reset(new orvalis::Win32FaxStore(state_.StoreFolder, app_folder_));
    converter_run_.reset(new orvalis::Win32Converter(app_folder_, [this] { return Closing(); }));
    orvalis::RemoveOwnLeftovers(state_.StoreFolder, *fax_store_);
    SetPolling(true);
    drop_watch_.Start(orvalis::WithTrailingBackslash(drop_setting_));
    return true;
}

bool frmOrvalis::WriteBatchFile(const std::string& converter_path) {
    // Both stay held until the program ends, so that what cmd.exe runs cannot
    // be swapped meanwhile. A converter that is missing now may come later.
    if (!batch_file_.WriteAndHold(state_.BatchFile, orvalis::BatchFileText(converter_path))) {
        // Without the batch file no fax could ever be converted: say so and stop
        // before anything else is written.
        orvalis::ShowCritical("ERROR: Cannot write the batch file " + state_.BatchFile + "!");
        return false;
    }
    converter_.Hold(converter_path);
    return true;
}

void frmOrvalis::AddTrayIcon() {
    // At logon the shell may not be up yet, and a busy one can time out even
    // though it took the icon: it is tried again every second until it is
    // there. Once closing, the icon is gone for good.
    if (machine_.Closing() || SetTrayIcon(Handle(), TrayIcon(), "AWD to TIF", true) ||
        orvalis::ModifyTrayIcon(orvalis::MakeIconChangeRecord(Handle(), TrayIcon())))
        KillTimer(Handle(), kTrayRetry);
    else
        SetTimer(Handle(), kTrayRetry, 1000, nullptr);
}

void frmOrvalis::Form_Unload() {
    WriteINI(state_.Current, settings::kCurrent, IniFile);
    if (fax_store_)
        fax_store_->ReleasePending();
    SetTrayIcon(Handle(), icon_, "", false);
    // Ends at once, whatever is open: an About box, a warning.
    ExitProcess(0);
}

void frmOrvalis::Unload() {
    Raise(orvalis::ServiceEvent::Close);
}

void frmOrvalis::SetPolling(bool enabled) {
    Raise(enabled ? orvalis::ServiceEvent::EnabledOn : orvalis::ServiceEvent::EnabledOff);
    CheckMenuItem(mnuPopup_, kMenuFirstId + orvalis::kMenuEnabled,
                  MF_BYCOMMAND | (machine_.Polling() ? MF_CHECKED : MF_UNCHECKED));
}

void frmOrvalis::Timer1_Timer() {
    Raise(orvalis::ServiceEvent::PollTick);
}

void frmOrvalis::Raise(orvalis::ServiceEvent event) {
    const orvalis::ServiceActions act = machine_.On(event);
    if (act.disarm_poll)
        KillTimer(Handle(), kTimer1);
    if (act.arm_poll)
        SetTimer(Handle(), kTimer1, timer1_interval_, nullptr);
    if (act.disarm_soon)
        KillTimer(Handle(), kSoon);
    if (act.arm_soon)
        SetTimer(Handle(), kSoon, kSoonMs, nullptr);
    if (act.end_waits)
        failures_.EndWaits();
    if (act.remove_icon) {
        SetTrayIcon(Handle(), icon_, "", false);
        about_.reset();
    }
    if (act.end_converter && converter_run_) // none before start-up is done
        converter_run_->End();
    if (act.end_program)
        Form_Unload();
    if (act.run_pass) {
        FollowDropFolder();
        // Every poll first tries what waits: our files to remove and the
        // index's lines, those that the last run left too (a pass follows
        // the start at once).
        fax_store_->CatchUp();
        orvalis::RunConversionPass(state_, failures_, static_cast<int32_t>(timer1_interval_),
                                   {*drop_files_, *fax_store_, *converter_run_, *this});
        Raise(orvalis::ServiceEvent::PassEnded);
    }
}

void frmOrvalis::FollowDropFolder() {
    // On a volume with 8.3 names, a short form sticks to its folder when that
    // is renamed away, and the folder made in its place gets another one.
    // The watch follows the path that the settings name; looking a short
    // form up lists every folder on the path, while asking whether it still
    // names the folder watched costs one open.
    drop_watch_.Follow();
    if (state_.Busy || drop_watch_.Watches(state_.DropFolder))
        return;
    const std::string now = GetShortPath(drop_setting_);
    if (!now.empty() && orvalis::FoldersFit(now, state_.StoreFolder))
        state_.DropFolder = orvalis::WithTrailingBackslash(now);
}

void frmOrvalis::OnDropFolderChanged() {
    if (drop_watch_.Rearm())
        Raise(orvalis::ServiceEvent::DropChanged);
}

void frmOrvalis::Wait(int32_t ms) {
    orvalis::WaitHandlingMessages(nullptr, ms > 0 ? static_cast<DWORD>(ms) : 0,
                                  [this] { return Closing(); });
}

int64_t frmOrvalis::NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

void frmOrvalis::SaveCounter(int32_t current) {
    WriteINI(current, settings::kCurrent, IniFile);
}

void frmOrvalis::AppendErrorLog(const std::string& entry) {
    orvalis::AppendErrorLog(error_log_, entry);
}

void frmOrvalis::ShowWarning(const std::string& text) {
    Raise(orvalis::ServiceEvent::WarningOpened);
    orvalis::ShowCritical(text);
    Raise(orvalis::ServiceEvent::WarningClosed);
}

void frmOrvalis::ShowFailing(bool failing) {
    if (failing == failing_)
        return;
    failing_ = failing;
    orvalis::ModifyTrayIcon(orvalis::MakeIconChangeRecord(Handle(), TrayIcon()));
}

void frmOrvalis::AnnounceFailure(const std::string& name) {
    orvalis::ModifyTrayIcon(
        orvalis::MakeBalloonRecord(Handle(), "Orvalis", orvalis::FailureNotice(name)));
}

void frmOrvalis::Form_MouseMove(LPARAM lparam) {
    orvalis::HandleTrayMessage(*this, static_cast<uint32_t>(lparam));
}

void frmOrvalis::mnuP_Click(int index) {
    orvalis::HandleMenuCommand(*this, index);
}

void frmOrvalis::ShowAbout() {
    if (machine_.Closing()) // a click that came before "Close"
        return;
    if (!about_)
        about_.reset(new frmAbout());
    about_->Show(instance_);
}

void frmOrvalis::ShowMenu() {
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere; the WM_NULL afterwards lets it go properly.
    if (machine_.Closing())
        return;
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(Handle());
    Raise(orvalis::ServiceEvent::MenuOpened);
    TrackPopupMenu(mnuPopup_, 0, at.x, at.y, 0, Handle(), nullptr);
    Raise(orvalis::ServiceEvent::MenuClosed);
    PostMessageA(Handle(), WM_NULL, 0, 0);
}

LRESULT frmOrvalis::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        if (wparam == kTimer1) {
            // The poll stays, for shares that do not notify and for a drop
            // folder that was removed, renamed away or made again unseen:
            // every pass first follows the folder.
            Timer1_Timer();
        } else if (wparam == kSoon) {
            Raise(orvalis::ServiceEvent::SoonTick);
        } else if (wparam == kTrayRetry) {
            AddTrayIcon();
        }
        return 0;
    case orvalis::kTrayCallbackMessage:
        // The window never shows on screen, so every mouse move is the tray's.
        Form_MouseMove(lparam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wparam) == 0 && LOWORD(wparam) >= kMenuFirstId &&
            LOWORD(wparam) < kMenuFirstId + orvalis::kMenuItems)
            mnuP_Click(LOWORD(wparam) - kMenuFirstId);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Windows ends the session whatever runs: the counter is kept, and a
        // fax in hand stays in the drop folder for the next start, which
        // removes what its converter half-wrote.
        if (wparam)
            Raise(orvalis::ServiceEvent::EndSession);
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    }
    if (message == taskbar_created_ && taskbar_created_ != 0) {
        // Explorer restarted and lost every icon: without ours the program
        // could not be reached any more.
        AddTrayIcon();
        return 0;
    }
    return Window::OnMessage(message, wparam, lparam);
}
