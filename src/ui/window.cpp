#include "ui/window.h"

namespace orvalis {

Window::~Window() {
    DestroyQuietly();
}

void Window::DestroyQuietly() {
    if (!hwnd_)
        return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void Window::RegisterClassOnce(WNDCLASSA wc) {
    WNDCLASSA existing = {};
    if (GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing))
        return;
    wc.lpfnWndProc = &Window::WindowProc;
    RegisterClassA(&wc);
}

bool Window::Create(DWORD ex_style, const char* class_name, const char* caption, DWORD style,
                    int left, int top, int width, int height, HINSTANCE instance) {
    return CreateWindowExA(ex_style, class_name, caption, style, left, top, width, height, nullptr,
                           nullptr, instance, this) != nullptr;
}

LRESULT Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTA*>(lparam);
        auto* owner = static_cast<Window*>(created->lpCreateParams);
        owner->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        const LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
        self->OnDestroyed();
        return result;
    }
    return self->OnMessage(message, wparam, lparam);
}

} // namespace orvalis
