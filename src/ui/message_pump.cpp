#include "ui/message_pump.h"

namespace orvalis {

namespace {

// Gives the dialogs their keyboard handling (Tab, access keys), whichever
// loop happens to be running when a key arrives.
void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && (GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
        IsDialogMessageA(root, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// False when WM_QUIT was seen: it is posted again for the outermost loop.
bool HandleWaiting() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Dispatch(msg);
    }
    return true;
}

} // namespace

bool WaitHandlingMessages(HANDLE handle, DWORD ms, const std::function<bool()>& stop) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    const DWORD count = handle ? 1 : 0;
    for (;;) {
        if (stop && stop())
            return false;
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        // MWMO_INPUTAVAILABLE: messages that came in before this call count
        // too, or one left in the queue would wait for the next one.
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(count, &handle, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 && count)
            return true;
        if (woke != WAIT_OBJECT_0 + count)
            return false; // the time is up
        if (!HandleWaiting()) {
            // Ending: the quit message stays queued, so only the wait is left.
            if (count)
                return WaitForSingleObject(handle, left) == WAIT_OBJECT_0;
            Sleep(left);
            return false;
        }
    }
}

bool WaitHandlingMessagesUntil(const std::function<bool()>& done, DWORD ms, DWORD look_ms,
                               const std::function<bool()>& stop) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || (stop && stop()))
            return false;
        const DWORD left = static_cast<DWORD>(deadline - now);
        WaitHandlingMessages(nullptr, left < look_ms ? left : look_ms, stop);
    }
}

int RunMessageLoop(const std::function<HANDLE()>& wake, const std::function<void()>& on_wake) {
    for (;;) {
        HANDLE handle = wake();
        const DWORD count = handle ? 1 : 0;
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(count, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // A handle that has gone bad is the owner's to drop, or this would
        // spin. Messages are handled after every wake as well: a folder that
        // changes all the time must not keep them waiting.
        if (count && (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED))
            on_wake();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            Dispatch(msg);
        }
    }
}

void RunModalLoop(HWND window) {
    MSG msg;
    while (IsWindow(window)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

} // namespace orvalis
