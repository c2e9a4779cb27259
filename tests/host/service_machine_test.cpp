#include "core/service_machine.h"

#include <gtest/gtest.h>

using namespace orvalis;

static std::string Words(const ServiceActions& a) {
    const bool on[] = {a.run_pass,  a.arm_poll,    a.disarm_poll,   a.arm_soon,   a.disarm_soon,
                       a.end_waits, a.remove_icon, a.end_converter, a.end_program};
    const char* const words[] = {"run",   "poll",   "nopoll", "soon", "nosoon",
                                 "retry", "noicon", "kill",   "end"};
    std::string w;
    for (size_t i = 0; i < sizeof on; ++i)
        w += on[i] ? words[i] + std::string(" ") : "";
    return w.empty() ? "- " : w;
}

// Events by letter: Enabled on and off, poll and soon ticks, a change, the
// menu opened and closed, a pass ended, Close, the end of the session, the
// warning box opened and closed.
TEST(ServiceMachine, DecidesWhenPassesRunAndWhenTheProgramEnds) {
    const char* const rows[][2] = {
        // A burst of changes is one pass; none while polling is off.
        {"osedds", "poll soon retry | run nosoon | - | soon | - | run nosoon"},
        {"ofdpo", "poll soon retry | nopoll nosoon | - | - | poll soon retry"},
        // Asked for during a pass: another follows it.
        {"ospdse", "poll soon retry | run nosoon | - | soon | nosoon | soon"},
        // Never inside the menu's own loop; after it, unless turned off there.
        {"ompfM", "poll soon retry | - | - | nopoll nosoon | -"},
        {"osemmMpM", "poll soon retry | run nosoon | - | - | - | - | - | soon"}, // one opened none
        // Close: at once when idle; when a pass runs, after it, which it cuts
        // short; then nothing else. The session's end waits for nothing.
        {"ocp", "poll soon retry | nopoll nosoon noicon end | -"},
        {"oscode", "poll soon retry | run nosoon | nopoll nosoon noicon | - | - | end"},
        {"oscx", "poll soon retry | run nosoon | nopoll nosoon noicon | kill end"},
        {"oswc",
         "poll soon retry | run nosoon | - | nopoll nosoon noicon end"}, // the warning's too
    };
    const std::string letters = "ofpsdmMecxwW";
    for (const auto& [events, expected] : rows) {
        ServiceState state;
        ServiceMachine machine(state);
        std::string got;
        for (const char* e = events; *e; ++e) {
            const ServiceEvent event = static_cast<ServiceEvent>(letters.find(*e));
            const ServiceActions actions = machine.On(event);
            got += (got.empty() ? "" : "| ") + Words(actions);
            state.Busy = (state.Busy || actions.run_pass) && event != ServiceEvent::PassEnded;
        }
        got.pop_back();
        EXPECT_EQ(expected, got) << events;
    }
}
