// Looks at and pokes the program's windows from inside the same Wine prefix,
// for the end-to-end tests. Each command prints its findings on stdout and
// exits 0, or exits 1 when what it looks for is not there.
//   probe short PATH              the platform's short form of PATH
//   probe texts CLASS|* TITLE     the texts of the window's children, a line each
//   probe count CLASS|* TITLE     how many visible top-level windows match
// (the others also find hidden windows, such as the main window)
//   probe press CLASS|* TITLE TEXT   clicks the child button captioned TEXT
//   probe close CLASS|* TITLE     posts WM_CLOSE (the close box)
//   probe endsession CLASS        what Windows sends when the session ends
//   probe dropicon CLASS          deletes the window's tray icon, as a dying Explorer does
//   probe taskbarcreated          broadcasts what a restarted Explorer sends
//   probe version PATH            the version resource: numbers, then the US English strings
#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Match {
    const char* cls;
    const char* title;
    bool visible_only;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lparam) {
    auto* m = reinterpret_cast<Match*>(lparam);
    char cls[256] = {}, title[512] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    const bool class_ok = std::strcmp(m->cls, "*") == 0 || std::strcmp(m->cls, cls) == 0;
    const bool title_ok = m->title == nullptr || std::strcmp(m->title, title) == 0;
    if (class_ok && title_ok && (!m->visible_only || IsWindowVisible(hwnd)))
        m->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Find(const char* cls, const char* title, bool visible_only) {
    Match m{cls, title, visible_only, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&m));
    return m.found;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
    // WM_GETTEXT, not GetWindowText: across processes the latter does not
    // ask an edit control for what it holds.
    char text[2048] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    std::printf("%s\n", text);
    return TRUE;
}

struct ButtonSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK FindButton(HWND hwnd, LPARAM lparam) {
    auto* s = reinterpret_cast<ButtonSearch*>(lparam);
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (std::strcmp(text, s->text) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    // Texts may hold CR LF of their own; keep them apart from the line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argv[1];
    if (command == "short") {
        char buffer[1024] = {};
        const DWORD n = GetShortPathNameA(argv[2], buffer, sizeof buffer);
        if (n == 0 || n >= sizeof buffer)
            return 1;
        std::printf("%s\n", buffer);
        return 0;
    }
    if (command == "version") {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(argv[2], &ignored);
        std::vector<char> data(size ? size : 1);
        if (!size || !GetFileVersionInfoA(argv[2], 0, size, data.data()))
            return 1;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
            return 1;
        std::printf("%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                    HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "InternalName",
                                 "OriginalFilename"}) {
            char* value = nullptr;
            const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
            if (VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
                std::printf("%s=%s\n", name, value);
        }
        return 0;
    }
    if (command == "taskbarcreated") {
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (argc < 3)
        return 2;
    if (command == "dropicon") {
        HWND w = FindWindowA(argv[2], nullptr);
        if (!w)
            return 1;
        NOTIFYICONDATAA icon = {};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = w;
        icon.uID = 1;
        return Shell_NotifyIconA(NIM_DELETE, &icon) ? 0 : 1;
    }
    if (command == "endsession") {
        HWND w = FindWindowA(argv[2], nullptr);
        if (!w)
            return 1;
        SendMessageA(w, WM_QUERYENDSESSION, 0, 0);
        SendMessageA(w, WM_ENDSESSION, TRUE, 0);
        return 0;
    }
    if (argc < 4)
        return 2;
    const std::vector<HWND> windows = Find(argv[2], argv[3], command == "count");
    if (command == "count") {
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
        return 0;
    }
    if (windows.empty())
        return 1;
    HWND w = windows.front();
    if (command == "texts") {
        EnumChildWindows(w, PrintChild, 0);
        return 0;
    }
    if (command == "close") {
        PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "press" && argc == 5) {
        ButtonSearch s{argv[4], nullptr};
        EnumChildWindows(w, FindButton, reinterpret_cast<LPARAM>(&s));
        if (!s.found)
            return 1;
        PostMessageA(s.found, BM_CLICK, 0, 0);
        return 0;
    }
    return 2;
}
