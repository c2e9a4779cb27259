// Looks at and pokes the program's windows from inside the same Wine prefix,
// for the end-to-end tests. Exits 1 when what it looks for is not there.
//   probe texts CLASS|* TITLE  how many such windows are visible, then the
//                              texts of a visible one's children, a line each
//   probe post CLASS|* TITLE MSG WPARAM...  posts each MSG (a number, or a
//                              registered name such as TaskbarCreated)
//   probe dropicon CLASS|* TITLE  deletes its tray icon, as a dying Explorer does
//   probe short PATH           the platform's short form of PATH
//   probe locked PATH          exits 0 when PATH is there but held: it can be neither
//                              written nor deleted
//   probe hold PATH            holds PATH open, sharing reading only as Excel does, until
//                              it is ended; waits for PATH to be there and free to open
//   probe tray MS              a bare tray program: a hidden window with an icon and a
//                              timer every MS that does nothing, for the benchmark
// Hidden windows are found too: the main window is one.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static std::vector<HWND> found;

static BOOL CALLBACK Collect(HWND hwnd, LPARAM lparam) {
    char** wanted = reinterpret_cast<char**>(lparam);
    char cls[256] = {}, title[512] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if ((std::string(wanted[0]) == "*" || wanted[0] == std::string(cls)) &&
        wanted[1] == std::string(title))
        found.insert(IsWindowVisible(hwnd) ? found.begin() : found.end(), hwnd);
    return TRUE;
}

static BOOL CALLBACK PrintText(HWND hwnd, LPARAM) {
    // WM_GETTEXT, not GetWindowText: across processes the latter does not
    // ask an edit control for what it holds.
    char text[2048] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    std::printf("%s\n", text);
    return TRUE;
}

static int BareTray(UINT ms) {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "bare", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    // Size, window, id, flags, callback message, icon.
    NOTIFYICONDATAA icon = {
        NOTIFYICONDATAA_V1_SIZE, window, 1, NIF_ICON, 0, LoadIconA(nullptr, IDI_APPLICATION)};
    Shell_NotifyIconA(NIM_ADD, &icon);
    SetTimer(window, 1, ms, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    char buffer[1024] = {};
    for (; command == "hold"; Sleep(10)) // tried again while a look at it has it open
        if (CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                        nullptr) != INVALID_HANDLE_VALUE)
            Sleep(INFINITE);
    if (command == "tray")
        return BareTray(std::atoi(argv[2]));
    if (command == "locked") {
        HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr);
        return file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
               DeleteFileA(argv[2]);
    }
    if (command == "short" && GetShortPathNameA(argv[2], buffer, sizeof buffer) < sizeof buffer)
        return std::printf("%s\n", buffer) > 1 ? 0 : 1;
    if (argc < 4 || !EnumWindows(Collect, reinterpret_cast<LPARAM>(argv + 2)) || found.empty())
        return 1;
    if (command == "texts") {
        std::printf("%d\n",
                    static_cast<int>(std::count_if(found.begin(), found.end(), IsWindowVisible)));
        EnumChildWindows(found.front(), PrintText, 0);
    }
    for (int i = 4; command == "post" && i + 1 < argc; i += 2) {
        const UINT message =
            std::atoi(argv[i]) ? std::atoi(argv[i]) : RegisterWindowMessageA(argv[i]);
        PostMessageA(found.front(), message, std::atoi(argv[i + 1]), 0);
    }
    NOTIFYICONDATAA icon = {NOTIFYICONDATAA_V1_SIZE, found.front(), 1};
    return command == "dropicon" && !Shell_NotifyIconA(NIM_DELETE, &icon) ? 1 : 0;
}
