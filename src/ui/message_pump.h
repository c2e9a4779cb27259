// The one GUI thread's message loops.
#pragma once

#include <windows.h>

#include <functional>

namespace orvalis {

// Handles messages until `ms` have passed or `handle`, unless null, is
// signalled; true when it was signalled. Ends early once `stop`, unless
// empty, says so after a message.
bool WaitHandlingMessages(HANDLE handle, DWORD ms, const std::function<bool()>& stop = nullptr);

// Handles messages, looking every `look_ms` whether `done`, until it is
// (true) or `ms` have passed or `stop`, unless empty, says so (false).
bool WaitHandlingMessagesUntil(const std::function<bool()>& done, DWORD ms, DWORD look_ms,
                               const std::function<bool()>& stop = nullptr);

// Runs until WM_QUIT; returns its exit code. Whenever the handle that
// `wake` names (null for none) is signalled, `on_wake` runs.
int RunMessageLoop(const std::function<HANDLE()>& wake, const std::function<void()>& on_wake);

// Runs until `window` is destroyed (or WM_QUIT arrives, which is passed on).
void RunModalLoop(HWND window);

} // namespace orvalis
