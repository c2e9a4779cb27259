// When passes run and when the program ends: the main form's whole
// behaviour over time, free of Windows. The form turns its messages into
// events and carries out the actions that come back.
#pragma once

#include "core/ServiceState.h"

namespace orvalis {

enum class ServiceEvent {
    EnabledOn,   // "Enabled" checked, and at start
    EnabledOff,  // "Enabled" unchecked, or the pass stopped polling
    PollTick,    // Timer1: every V2
    SoonTick,    // the short timer armed after a change
    DropChanged, // the watch on the drop folder fired
    MenuOpened,
    MenuClosed,
    PassEnded,
    Close,         // "Close", or the window manager asking for an end
    EndSession,    // Windows logs off or shuts down: no time to lose
    WarningOpened, // the pass waits for the user to close its warning box
    WarningClosed,
};

struct ServiceActions {
    bool run_pass = false;
    bool arm_poll = false;
    bool disarm_poll = false;
    bool arm_soon = false;
    bool disarm_soon = false;
    bool end_waits = false;     // every failing file is due again
    bool remove_icon = false;   // the user sees the end at once
    bool end_converter = false; // with its whole process tree
    bool end_program = false;
};

class ServiceMachine {
  public:
    // `state.Busy` is the pass's own: set while it runs.
    explicit ServiceMachine(const ServiceState& state) : state_(state) {}

    ServiceActions On(ServiceEvent event);

    bool Polling() const { return polling_; }
    bool Closing() const { return closing_; }
    // Whether the pass may start another file.
    bool KeepGoing() const { return polling_ && !closing_; }

  private:
    void RunOrDefer(ServiceActions& actions);
    void Soon(ServiceActions& actions);

    const ServiceState& state_;
    bool polling_ = false;
    bool closing_ = false;
    bool soon_armed_ = false;
    bool warning_ = false;
    bool pass_after_ = false; // asked for while a pass or the menu kept it from starting
    int menus_ = 0;           // a right click on the icon while its menu is open nests one
};

} // namespace orvalis
