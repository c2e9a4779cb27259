// The hidden main window: owns the service state, Timer1, the popup menu and
// the tray icon for the whole life of the process.
#pragma once

#include "core/ServiceState.h"
#include "core/conversion_pass.h"
#include "core/retry_book.h"
#include "core/service_machine.h"
#include "core/settings.h"
#include "core/tray_events.h"
#include "forms/frmAbout.h"
#include "platform/folder_watch.h"
#include "platform/held_file.h"
#include "platform/win32_converter.h"
#include "platform/win32_drop_files.h"
#include "platform/win32_fax_store.h"
#include "ui/window.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

class frmOrvalis : public orvalis::Window, public orvalis::TrayCommands, private orvalis::PassHost {
  public:
    // `app_folder`: the folder of the running executable, without a trailing
    // separator.
    frmOrvalis(HINSTANCE instance, std::string app_folder)
        : instance_(instance), app_folder_(std::move(app_folder)) {}
    frmOrvalis(const frmOrvalis&) = delete;
    frmOrvalis& operator=(const frmOrvalis&) = delete;

    // Creates the window and runs the start-up; false when the program cannot
    // run, after the user has been told why.
    bool Load();

    // Signalled when the drop folder changed; null while it is not watched.
    HANDLE DropWatchHandle() const { return drop_watch_.Handle(); }
    void OnDropFolderChanged();

    // TrayCommands
    void ShowAbout() override;
    void ShowMenu() override;
    bool PollingEnabled() const override { return machine_.Polling(); }
    void SetPolling(bool enabled) override;
    void Unload() override;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    // PassHost
    void Wait(int32_t ms) override;
    bool KeepGoing() override { return machine_.KeepGoing(); }
    bool Closing() override { return machine_.Closing(); }
    int64_t NowMs() override;
    void SaveCounter(int32_t current) override;
    void AppendErrorLog(const std::string& entry) override;
    void ShowWarning(const std::string& text) override;
    void StopPolling() override { SetPolling(false); }
    void ShowFailing(bool failing) override;
    void AnnounceFailure(const std::string& name) override;

  private:
    bool Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void Form_MouseMove(LPARAM lparam);
    void mnuP_Click(int index);

    void ReadSettings();
    std::string FolderSetting(const orvalis::Setting& setting) const;
    void FollowDropFolder(); // the one that the settings name, by its short form now
    bool FoldersUsable() const;
    bool WriteBatchFile(const std::string& converter_path);
    void AddTrayIcon();
    // Tells the machine what happened and carries out what it answers.
    void Raise(orvalis::ServiceEvent event);
    void CreatePopupMenuItems();
    HICON TrayIcon() const { return failing_ ? warning_icon_ : icon_; }

    HINSTANCE instance_;
    std::string app_folder_;
    HICON icon_ = nullptr;
    HICON warning_icon_ = nullptr;
    HMENU mnuPopup_ = nullptr;
    UINT taskbar_created_ = 0;
    std::string error_log_;
    std::string drop_setting_; // the drop folder as the settings name it
    orvalis::ServiceState state_;
    orvalis::ServiceMachine machine_{state_};
    orvalis::RetryBook failures_;
    bool failing_ = false; // the tray shows the warning icon
    UINT timer1_interval_ = 3000;
    orvalis::FolderWatch drop_watch_;
    // The pass's roles, made once start-up knows the folders.
    std::unique_ptr<orvalis::Win32DropFiles> drop_files_;
    std::unique_ptr<orvalis::Win32FaxStore> fax_store_;
    std::unique_ptr<orvalis::Win32Converter> converter_run_;
    std::unique_ptr<frmAbout> about_;
    orvalis::HeldFile batch_file_; // ORVALIS.BAT
    orvalis::HeldFile converter_;  // AWDVSTUB.EXE
};
