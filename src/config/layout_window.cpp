#include "layout_window.h"

#include <algorithm>
#include <vector>

namespace {

const char kClassName[] = "OrvalisLayoutWindow";
const COLORREF kHintColour = RGB(128, 128, 128);

void RegisterLayoutClass(HINSTANCE instance, WNDPROC window_proc) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(instance, kClassName, &wc))
        return;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
}

// MS Sans Serif at a size given in hundredths of a point.
HFONT MakeFont(int centipoints, bool italic, int dpi) {
    return CreateFontA(-MulDiv(centipoints, dpi, 7200), 0, 0, 0, FW_NORMAL, italic, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

} // namespace

LayoutWindow::~LayoutWindow() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (hint_font_)
        DeleteObject(hint_font_);
    if (form_font_)
        DeleteObject(form_font_);
}

bool LayoutWindow::CreateFromLayout(HINSTANCE instance, const orvalis::FormLayout& layout) {
    RegisterLayoutClass(instance, &LayoutWindow::WindowProc);
    const int dpi = ScreenDpi();

    // A fixed dialog frame with a close box and no minimize or maximize buttons.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT rect = {0, 0, orvalis::TwipsToPixels(layout.client_width, dpi),
                 orvalis::TwipsToPixels(layout.client_height, dpi)};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = orvalis::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width);
    const int top = orvalis::CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height);

    HWND hwnd = CreateWindowExA(ex_style, kClassName, layout.caption, style, left, top, width,
                                height, nullptr, nullptr, instance, this);
    if (!hwnd)
        return false;
    CreateControls(layout, dpi);
    return true;
}

void LayoutWindow::CreateControls(const orvalis::FormLayout& layout, int dpi) {
    std::vector<const orvalis::ControlSpec*> ordered;
    for (size_t i = 0; i < layout.count; ++i)
        ordered.push_back(&layout.controls[i]);
    // Creation order is the tab order.
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const orvalis::ControlSpec* a, const orvalis::ControlSpec* b) {
                         return a->tab_index < b->tab_index;
                     });

    // The forms were designed in MS Sans Serif 8 pt; another face (the GUI
    // font under Wine, say) is wider and wraps the labels. A form is loaded
    // again when it is shown after an unload: the fonts stay with the object.
    if (!form_font_)
        form_font_ = MakeFont(8 * 100, false, dpi);
    hint_labels_.clear();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    for (const orvalis::ControlSpec* control_spec : ordered) {
        const char* cls = "STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD ex_style = 0;
        switch (control_spec->kind) {
        case orvalis::ControlKind::Label:
        case orvalis::ControlKind::HintLabel:
            style |= SS_LEFT;
            break;
        case orvalis::ControlKind::TextBox:
            cls = "EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case orvalis::ControlKind::Button:
            cls = "BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        }
        HWND control = CreateWindowExA(
            ex_style, cls, control_spec->text, style,
            orvalis::TwipsToPixels(control_spec->left, dpi),
            orvalis::TwipsToPixels(control_spec->top, dpi),
            orvalis::TwipsToPixels(control_spec->width, dpi),
            orvalis::TwipsToPixels(control_spec->height, dpi), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_spec->id)), instance, nullptr);
        HFONT control_font = form_font_;
        if (control_spec->kind == orvalis::ControlKind::HintLabel) {
            if (!hint_font_)
                hint_font_ = MakeFont(825, true, dpi);
            control_font = hint_font_;
            hint_labels_.push_back(control);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(control_font), FALSE);
    }
}

LRESULT LayoutWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CTLCOLORSTATIC &&
        std::find(hint_labels_.begin(), hint_labels_.end(), reinterpret_cast<HWND>(lparam)) !=
            hint_labels_.end()) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, kHintColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK LayoutWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        // Attach the object so that every later message reaches its handler.
        auto* created = reinterpret_cast<CREATESTRUCTA*>(lparam);
        auto* owner = static_cast<LayoutWindow*>(created->lpCreateParams);
        owner->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* self = reinterpret_cast<LayoutWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
        self->OnDestroyed();
        return result;
    }
    return self->OnMessage(message, wparam, lparam);
}
