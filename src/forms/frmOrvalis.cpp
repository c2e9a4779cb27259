#include "forms/frmOrvalis.h"

#include "core/command_line.h"
#include "core/file_names.h"
#include "core/ini_rules.h"
#include "core/settings.h"
#include "forms/frmSetup.h"
#include "forms/modINI.h"
#include "forms/modOrvalis.h"
#include "platform/short_path.h"
#include "platform/win32_pass_platform.h"
#include "resource.h"
#include "ui/critical_box.h"

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
    state_.DropFolder = GetShortPath(ReadINI(settings::kDrop, IniFile));
    state_.StoreFolder = GetShortPath(ReadINI(settings::kStore, IniFile));
    state_.V1 = orvalis::SettleWaitFromText(ReadINI(settings::kV1, IniFile));
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
    orvalis::PassFormHooks hooks;
    hooks.stop_polling = [this] { SetPolling(false); };
    hooks.keep_going = [this] { return timer1_enabled_ && !unloading_; };
    hooks.save_counter = [](int32_t current) { WriteINI(current, settings::kCurrent, IniFile); };
    hooks.show_failing = [this](bool failing) { ShowFailing(failing); };
    hooks.announce_failure = [this](const std::string& name) { AnnounceFailure(name); };
    pass_platform_.reset(new orvalis::Win32PassPlatform(error_log_, hooks));
    SetPolling(true);
    drop_watch_.Start(state_.DropFolder);
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
    if (unloading_ || SetTrayIcon(Handle(), TrayIcon(), "AWD to TIF", true) ||
        orvalis::ModifyTrayIcon(orvalis::MakeIconChangeRecord(Handle(), TrayIcon())))
        KillTimer(Handle(), kTrayRetry);
    else
        SetTimer(Handle(), kTrayRetry, 1000, nullptr);
}

void frmOrvalis::Form_Unload() {
    WriteINI(state_.Current, settings::kCurrent, IniFile);
    if (pass_platform_)
        pass_platform_->ReleasePending();
    SetTrayIcon(Handle(), icon_, "", false);
    // Ends at once, whatever is open: an About box, a warning.
    ExitProcess(0);
}

void frmOrvalis::Unload() {
    if (unloading_)
        return;
    unloading_ = true;
    // The user sees the end at once. A pass that is running still decides
    // the file in hand, or its AWD would stay beside a stored TIF and be
    // stored again at the next start; it starts no other and then ends the
    // program.
    SetTrayIcon(Handle(), icon_, "", false);
    about_.reset();
    if (!state_.Busy)
        Form_Unload();
}

void frmOrvalis::SetPolling(bool enabled) {
    // Turning polling on is also how the user says "try everything now".
    if (enabled) {
        failures_.EndWaits();
        SetTimer(Handle(), kTimer1, timer1_interval_, nullptr);
        PassSoon();
    } else {
        KillTimer(Handle(), kTimer1);
        KillTimer(Handle(), kSoon);
        pass_soon_ = false;
    }
    timer1_enabled_ = enabled;
    CheckMenuItem(mnuPopup_, kMenuFirstId + orvalis::kMenuEnabled,
                  MF_BYCOMMAND | (enabled ? MF_CHECKED : MF_UNCHECKED));
}

void frmOrvalis::Timer1_Timer() {
    // A pass inside the menu's own loop would take the menu's input.
    if (in_menu_) {
        pass_after_ = true;
        return;
    }
    if (state_.Busy)
        return;
    pass_platform_->ReleasePending();
    orvalis::RunConversionPass(state_, failures_, static_cast<int32_t>(timer1_interval_),
                               *pass_platform_);
    if (unloading_)
        Form_Unload();
    PassIfAskedFor();
}

void frmOrvalis::PassIfAskedFor() {
    if (pass_after_ && !state_.Busy) {
        pass_after_ = false;
        PassSoon();
    }
}

void frmOrvalis::PassSoon() {
    if (pass_soon_)
        return;
    pass_soon_ = true;
    SetTimer(Handle(), kSoon, kSoonMs, nullptr);
}

void frmOrvalis::OnDropFolderChanged() {
    if (drop_watch_.Rearm() && timer1_enabled_ && !unloading_)
        PassSoon();
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
    if (unloading_) // a click that came before "Close"
        return;
    if (!about_)
        about_.reset(new frmAbout());
    about_->Show(instance_);
}

void frmOrvalis::ShowMenu() {
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere; the WM_NULL afterwards lets it go properly.
    if (unloading_)
        return;
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(Handle());
    in_menu_ = true;
    TrackPopupMenu(mnuPopup_, 0, at.x, at.y, 0, Handle(), nullptr);
    in_menu_ = false;
    PostMessageA(Handle(), WM_NULL, 0, 0);
    PassIfAskedFor();
}

LRESULT frmOrvalis::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        if (wparam == kTimer1) {
            // The poll stays, for shares that do not notify and for a drop
            // folder that was removed, renamed away or made again unseen.
            drop_watch_.Follow();
            Timer1_Timer();
        } else if (wparam == kSoon) {
            KillTimer(Handle(), kSoon);
            pass_soon_ = false;
            // Asked for during a pass ("Enabled" checked, say): that pass
            // has passed over some files already, so another one follows.
            pass_after_ = pass_after_ || state_.Busy;
            Timer1_Timer();
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
        // fax in hand stays in the drop folder for the next start.
        if (wparam)
            Form_Unload();
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
