#include "ui/layout_window.h"

#include <algorithm>
#include <vector>

namespace orvalis {

namespace {

const char kClassName[] = "OrvalisLayoutWindow";
const COLORREF kHintColour = RGB(128, 128, 128);

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
    // The controls go before the fonts they use.
    DestroyQuietly();
    if (hint_font_)
        DeleteObject(hint_font_);
    if (form_font_)
        DeleteObject(form_font_);
}

bool LayoutWindow::CreateFromLayout(HINSTANCE instance, const FormLayout& layout) {
    WNDCLASSA wc = {};
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    const int dpi = ScreenDpi();

    // A fixed dialog frame with a close box and no minimize or maximize buttons.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT rect = {0, 0, TwipsToPixels(layout.client_width, dpi),
                 TwipsToPixels(layout.client_height, dpi)};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width);
    const int top = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height);

    if (!Create(ex_style, kClassName, layout.caption, style, left, top, width, height, instance))
        return false;
    CreateControls(layout, dpi);
    return true;
}

void LayoutWindow::CreateControls(const FormLayout& layout, int dpi) {
    std::vector<const ControlRow*> ordered;
    for (size_t i = 0; i < layout.count; ++i)
        ordered.push_back(&layout.controls[i]);
    // Creation order is the tab order.
    std::stable_sort(ordered.begin(), ordered.end(), [](const ControlRow* a, const ControlRow* b) {
        return a->tab_index < b->tab_index;
    });

    // The forms were designed in MS Sans Serif 8 pt; another face (the GUI
    // font under Wine, say) is wider and wraps the labels. A form is loaded
    // again when it is shown after an unload: the fonts stay with the object.
    if (!form_font_)
        form_font_ = MakeFont(8 * 100, false, dpi);
    hint_labels_.clear();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(Handle(), GWLP_HINSTANCE));
    for (const ControlRow* row : ordered) {
        const char* cls = "STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD ex_style = 0;
        switch (row->kind) {
        case ControlKind::Label:
        case ControlKind::HintLabel:
            style |= SS_LEFT;
            break;
        case ControlKind::TextBox:
            cls = "EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Button:
            cls = "BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        }
        HWND control = CreateWindowExA(
            ex_style, cls, row->text, style, TwipsToPixels(row->left, dpi),
            TwipsToPixels(row->top, dpi), TwipsToPixels(row->width, dpi),
            TwipsToPixels(row->height, dpi), Handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id)), instance, nullptr);
        HFONT control_font = form_font_;
        if (row->kind == ControlKind::HintLabel) {
            if (!hint_font_)
                hint_font_ = MakeFont(825, true, dpi);
            control_font = hint_font_;
            hint_labels_.push_back(control);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(control_font), FALSE);
    }
}

LRESULT LayoutWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return 0;
    case WM_CLOSE:
        // The close box unloads the form.
        DestroyWindow(Handle());
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC &&
        std::find(hint_labels_.begin(), hint_labels_.end(), reinterpret_cast<HWND>(lparam)) !=
            hint_labels_.end()) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, kHintColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return Window::OnMessage(message, wparam, lparam);
}

} // namespace orvalis
