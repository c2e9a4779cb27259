// A top-level window built from a FormLayout: the base of the dialogs.
#pragma once

#include "dialog_layout.h"

#include <windows.h>

#include <vector>

class LayoutWindow {
  public:
    LayoutWindow() = default;
    LayoutWindow(const LayoutWindow&) = delete;
    LayoutWindow& operator=(const LayoutWindow&) = delete;
    virtual ~LayoutWindow();

    HWND Handle() const { return hwnd_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

  protected:
    // Creates the window centred on the screen, its controls in tab order.
    // The window is not shown.
    bool CreateFromLayout(HINSTANCE instance, const orvalis::FormLayout& layout);
    virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    // Called when the window is gone; the object may delete itself here.
    virtual void OnDestroyed() {}

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void CreateControls(const orvalis::FormLayout& layout, int dpi);

    HWND hwnd_ = nullptr;
    HFONT form_font_ = nullptr;
    HFONT hint_font_ = nullptr;
    std::vector<HWND> hint_labels_;
};
