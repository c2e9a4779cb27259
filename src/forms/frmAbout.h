// The About dialog: the program's name, version and purpose. Modeless; at
// most one is open at a time.
#pragma once

#include "ui/layout_window.h"

class frmAbout : public orvalis::LayoutWindow {
  public:
    // Opens the dialog, or brings it forward when it is already open.
    void Show(HINSTANCE instance);

    enum ControlId { kCommand1 = 1300 };

  protected:
    void OnCommand(int id, int code) override;

  private:
    void Form_Load(HINSTANCE instance);
    void Command1_Click();
};
