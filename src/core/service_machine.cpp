#include "core/service_machine.h"

namespace orvalis {

ServiceActions ServiceMachine::On(ServiceEvent event) {
    ServiceActions actions;
    if (closing_ && event != ServiceEvent::PassEnded && event != ServiceEvent::EndSession)
        return actions;
    switch (event) {
    case ServiceEvent::EnabledOn:
        // Turning polling on is also how the user says "try everything now".
        polling_ = true;
        actions.end_waits = actions.arm_poll = true;
        Soon(actions);
        break;
    case ServiceEvent::EnabledOff:
        polling_ = false;
        soon_armed_ = false;
        actions.disarm_poll = actions.disarm_soon = true;
        break;
    case ServiceEvent::PollTick:
        RunOrDefer(actions);
        break;
    case ServiceEvent::SoonTick:
        soon_armed_ = false;
        actions.disarm_soon = true;
        // Asked for during a pass ("Enabled" checked, say): that pass has
        // passed over some files already, so another one follows.
        pass_after_ = pass_after_ || state_.Busy;
        RunOrDefer(actions);
        break;
    case ServiceEvent::DropChanged:
        if (polling_)
            Soon(actions);
        break;
    case ServiceEvent::MenuOpened:
        ++menus_;
        break;
    case ServiceEvent::MenuClosed:
        --menus_;
        if (menus_ == 0 && pass_after_ && !state_.Busy && polling_) {
            pass_after_ = false;
            Soon(actions);
        }
        break;
    case ServiceEvent::PassEnded:
        if (closing_) {
            actions.end_program = true;
        } else if (pass_after_ && polling_) {
            pass_after_ = false;
            Soon(actions);
        }
        break;
    case ServiceEvent::Close:
        // A pass that is running ends its waits, settles the file in hand
        // and then ends the program; none other starts.
        // The warning box holds a pass up for as long as nobody answers it:
        // the box goes with the program instead, as About does.
        closing_ = true;
        actions.remove_icon = actions.disarm_poll = actions.disarm_soon = true;
        actions.end_program = !state_.Busy || warning_;
        break;
    case ServiceEvent::WarningOpened:
    case ServiceEvent::WarningClosed:
        warning_ = event == ServiceEvent::WarningOpened;
        break;
    case ServiceEvent::EndSession:
        // Windows ends the session whatever runs; a converter left running
        // would hold the session up and write into a store nobody watches.
        closing_ = true;
        actions.end_converter = actions.end_program = true;
        break;
    }
    return actions;
}

void ServiceMachine::RunOrDefer(ServiceActions& actions) {
    // A pass inside the menu's own loop would take the menu's input.
    if (menus_ > 0)
        pass_after_ = true;
    else if (!state_.Busy && polling_)
        actions.run_pass = true;
}

void ServiceMachine::Soon(ServiceActions& actions) {
    if (soon_armed_)
        return;
    soon_armed_ = true;
    actions.arm_soon = true;
}

} // namespace orvalis
