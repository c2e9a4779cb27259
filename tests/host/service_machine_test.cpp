#include "core/service_machine.h"

#include <gtest/gtest.h>


using namespace orvalis;
using E = ServiceEvent;

// The actions, in a word each; "+" marks a pass running from then on, "-"
// one ending, so that a row reads as what the user would see happen.
static std::string Words(const ServiceActions& a) {
    std::string w;
    const std::pair<bool, const char*> all[] = {
        {a.run_pass, "run"},           {a.arm_poll, "poll"},      {a.disarm_poll, "nopoll"},
        {a.arm_soon, "soon"},          {a.disarm_soon, "nosoon"}, {a.end_waits, "retry"},
        {a.remove_icon, "noicon"},     {a.end_converter, "kill"}, {a.end_program, "end"}};
    for (const auto& [on, word] : all)
        w += on ? std::string(word) + " " : "";
    return w.empty() ? "- " : w;
}

TEST(ServiceMachine, DecidesWhenPassesRunAndWhenTheProgramEnds) {
    const struct {
        std::vector<E> events;
        const char* actions;
    } rows[] = {
        {{E::EnabledOn, E::SoonTick}, "poll soon retry | run nosoon"},
        // A burst of changes is one pass; none while polling is off.
        {{E::EnabledOn, E::SoonTick, E::PassEnded, E::DropChanged, E::DropChanged, E::SoonTick},
         "poll soon retry | run nosoon | - | soon | - | run nosoon"},
        {{E::EnabledOn, E::EnabledOff, E::DropChanged, E::PollTick, E::EnabledOn},
         "poll soon retry | nopoll nosoon | - | - | poll soon retry"},
        // Asked for during a pass: another follows it.
        {{E::EnabledOn, E::SoonTick, E::PollTick, E::DropChanged, E::SoonTick, E::PassEnded},
         "poll soon retry | run nosoon | - | soon | nosoon | soon"},
        // Never inside the menu's own loop; after it.
        {{E::EnabledOn, E::MenuOpened, E::SoonTick, E::PollTick, E::MenuClosed, E::SoonTick},
         "poll soon retry | - | nosoon | - | soon | run nosoon"},
        {{E::EnabledOn, E::MenuOpened, E::PollTick, E::EnabledOff, E::MenuClosed},
         "poll soon retry | - | - | nopoll nosoon | -"},
        // Close: at once when idle; after the pass, which it cuts short, when
        // one runs; then nothing else.
        {{E::EnabledOn, E::Close, E::PollTick}, "poll soon retry | nopoll nosoon noicon end | -"},
        {{E::EnabledOn, E::SoonTick, E::Close, E::EnabledOn, E::DropChanged, E::PassEnded},
         "poll soon retry | run nosoon | nopoll nosoon noicon | - | - | end"},
        {{E::EnabledOn, E::SoonTick, E::EndSession}, "poll soon retry | run nosoon | kill end"},
    };
    for (const auto& row : rows) {
        ServiceState state;
        ServiceMachine machine(state);
        std::string got;
        for (E event : row.events) {
            const ServiceActions actions = machine.On(event);
            got += (got.empty() ? "" : "| ") + Words(actions);
            state.Busy = (state.Busy || actions.run_pass) && event != E::PassEnded;
        }
        got.pop_back();
        EXPECT_EQ(row.actions, got);
    }
}
