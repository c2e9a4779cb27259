// What the tray icon's mouse messages and the popup menu's commands do.
// Free of Windows; the main form carries the actions out.
#pragma once

#include <cstdint>

namespace orvalis {

enum class TrayAction { None, ShowAbout, ShowMenu };

// Only the release of the left button and the press of the right one act.
TrayAction TrayActionFor(uint32_t mouse_message);

// Indexes of the popup menu's items (mnuP).
enum MenuIndex { kMenuAbout = 0, kMenuEnabled = 2, kMenuClose = 4, kMenuItems = 5 };

class TrayCommands {
  public:
    virtual ~TrayCommands() = default;
    virtual void ShowAbout() = 0;
    virtual void ShowMenu() = 0;
    virtual bool PollingEnabled() const = 0;
    // Enables or disables Timer1 and sets the check mark of "Enabled" to match.
    virtual void SetPolling(bool enabled) = 0;
    virtual void Unload() = 0;
};

void HandleTrayMessage(TrayCommands& form, uint32_t mouse_message);
void HandleMenuCommand(TrayCommands& form, int index);

} // namespace orvalis
