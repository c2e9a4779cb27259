#include "core/tray_events.h"

#include <gtest/gtest.h>

struct TrayForm : orvalis::TrayCommands {
    bool polling = true;
    std::string calls;
    void ShowAbout() override { calls += "about "; }
    void ShowMenu() override { calls += "menu "; }
    bool PollingEnabled() const override { return polling; }
    void SetPolling(bool on) override { calls += (polling = on) ? "on " : "off "; }
    void Unload() override { calls += "unload "; }
};

TEST(TrayEvents, OnlyLeftReleaseAndRightPressActAndEveryMenuItemDoesItsPart) {
    for (uint32_t message = 0; message < 0x210; ++message) {
        TrayForm form;
        orvalis::HandleTrayMessage(form, message);
        const char* expected = message == 0x202 ? "about " : message == 0x204 ? "menu " : "";
        EXPECT_EQ(expected, form.calls) << std::hex << message;
    }
    TrayForm form;
    for (int index = 0; index <= orvalis::kMenuItems; ++index)
        orvalis::HandleMenuCommand(form, index);
    orvalis::HandleMenuCommand(form, orvalis::kMenuEnabled);
    EXPECT_EQ("about off unload on ", form.calls) << "every item, then Enabled again";
}
