#include "tray/tray_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using orvalis::TrayAction;

TEST(TrayEvents, OnlyLeftReleaseAndRightPressAct) {
    const struct {
        uint32_t message;
        TrayAction expected;
    } cases[] = {
        {0x200, TrayAction::None},      // moved over the icon
        {0x201, TrayAction::None},      // left pressed
        {0x202, TrayAction::ShowAbout}, // left released
        {0x203, TrayAction::None},      // left double click
        {0x204, TrayAction::ShowMenu},  // right pressed
        {0x205, TrayAction::None},      // right released: the menu opened on the press
        {0x206, TrayAction::None},      {0x207, TrayAction::None}, {0, TrayAction::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, orvalis::TrayActionFor(c.message)) << std::hex << c.message;
}

class RecordingForm : public orvalis::TrayCommands {
  public:
    void ShowAbout() override { calls.push_back("about"); }
    void ShowMenu() override { calls.push_back("menu"); }
    bool PollingEnabled() const override { return polling; }
    void SetPolling(bool enabled) override {
        polling = enabled;
        calls.push_back(enabled ? "poll on" : "poll off");
    }
    void Unload() override { calls.push_back("unload"); }

    bool polling = true;
    std::vector<std::string> calls;
};

TEST(TrayEvents, MessagesReachTheForm) {
    RecordingForm form;
    for (uint32_t message : {0x200u, 0x201u, 0x202u, 0x203u, 0x204u, 0x205u})
        orvalis::HandleTrayMessage(form, message);
    EXPECT_EQ((std::vector<std::string>{"about", "menu"}), form.calls);
}

TEST(TrayEvents, MenuCommands) {
    RecordingForm form;
    orvalis::HandleMenuCommand(form, orvalis::kMenuEnabled);
    EXPECT_FALSE(form.polling);
    orvalis::HandleMenuCommand(form, orvalis::kMenuEnabled);
    EXPECT_TRUE(form.polling) << "choosing Enabled twice returns to the state before";

    orvalis::HandleMenuCommand(form, 1); // separators do nothing
    orvalis::HandleMenuCommand(form, 3);
    orvalis::HandleMenuCommand(form, orvalis::kMenuAbout);
    orvalis::HandleMenuCommand(form, orvalis::kMenuClose);
    EXPECT_EQ((std::vector<std::string>{"poll off", "poll on", "about", "unload"}), form.calls);
}

} // namespace
