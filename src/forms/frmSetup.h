// The Setup dialog: the two folders and the two wait times, saved to IniFile.
#pragma once

#include "ui/layout_window.h"

#include <shellapi.h>

#include <string>

class frmSetup : public orvalis::LayoutWindow {
  public:
    // Shows the dialog and returns when it has closed, saved or not.
    static void ShowModal(HINSTANCE instance);

    enum ControlId { kText1 = 1100, kCommand1 = 1300 };

  protected:
    void OnCommand(int id, int code) override;

  private:
    void Form_Load(HINSTANCE instance);
    void Command1_Click();
    void Text1_OLEDragDrop(int index, HDROP drop);
    std::string TextOfText1(int index) const;

    static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};
