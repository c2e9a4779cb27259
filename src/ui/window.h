// One object per window: the object attaches to its HWND at WM_NCCREATE and
// lets go at WM_NCDESTROY; every message in between reaches OnMessage.
#pragma once

#include <windows.h>

namespace orvalis {

class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // A window that is still open is destroyed with its object.
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

  protected:
    // Registers the class once per module, with the shared window procedure.
    static void RegisterClassOnce(WNDCLASSA wc);
    // Creates the window with this object attached; false when it failed.
    bool Create(DWORD ex_style, const char* class_name, const char* caption, DWORD style, int left,
                int top, int width, int height, HINSTANCE instance);

    // Destroys the window, if any, without calling back into the object, as
    // its destructors need.
    void DestroyQuietly();

    virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
    // Called when the window is gone; the object may delete itself here.
    virtual void OnDestroyed() {}

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

    HWND hwnd_ = nullptr;
};

} // namespace orvalis
