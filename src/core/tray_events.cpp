#include "core/tray_events.h"

namespace orvalis {

namespace {
const uint32_t kLeftButtonUp = 0x202;
const uint32_t kRightButtonDown = 0x204;
} // namespace

TrayAction TrayActionFor(uint32_t mouse_message) {
    switch (mouse_message) {
    case kLeftButtonUp:
        return TrayAction::ShowAbout;
    case kRightButtonDown:
        return TrayAction::ShowMenu;
    default:
        return TrayAction::None;
    }
}

void HandleTrayMessage(TrayCommands& form, uint32_t mouse_message) {
    switch (TrayActionFor(mouse_message)) {
    case TrayAction::ShowAbout:
        form.ShowAbout();
        break;
    case TrayAction::ShowMenu:
        form.ShowMenu();
        break;
    case TrayAction::None:
        break;
    }
}

void HandleMenuCommand(TrayCommands& form, int index) {
    switch (index) {
    case kMenuAbout:
        form.ShowAbout();
        break;
    case kMenuEnabled:
        form.SetPolling(!form.PollingEnabled());
        break;
    case kMenuClose:
        form.Unload();
        break;
    default:
        break; // separators
    }
}

} // namespace orvalis
