// The About dialog: the program's name, version and purpose. Modeless; at
// most one is open at a time.
#pragma once

#include "config/layout_window.h"

class frmAbout : public LayoutWindow {
  public:
    // Opens the dialog, or brings it forward when it is already open.
    void Show(HINSTANCE instance);

    enum ControlId { kCommand1 = 1300 };

  protected:
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    void Form_Load(HINSTANCE instance);
    void Command1_Click();
};
