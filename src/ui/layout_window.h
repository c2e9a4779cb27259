// A top-level window built from a FormLayout: the base of the dialogs.
#pragma once

#include "core/twips_layout.h"
#include "ui/window.h"

#include <windows.h>

#include <vector>

namespace orvalis {

class LayoutWindow : public Window {
  public:
    ~LayoutWindow() override;

    HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  protected:
    // Creates the window centred on the screen, its controls in tab order.
    // The window is not shown.
    bool CreateFromLayout(HINSTANCE instance, const FormLayout& layout);
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    // A button or the keyboard's IDOK and IDCANCEL; `code` is the notification.
    virtual void OnCommand(int id, int code) = 0;

  private:
    void CreateControls(const FormLayout& layout, int dpi);

    HFONT form_font_ = nullptr;
    HFONT hint_font_ = nullptr;
    std::vector<HWND> hint_labels_;
};

} // namespace orvalis
