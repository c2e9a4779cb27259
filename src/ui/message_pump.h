// The one GUI thread's message loops.
#pragma once

#include <windows.h>

namespace orvalis {

// Runs the handlers of every message already waiting, then returns.
void DoEvents();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Runs until `window` is destroyed (or WM_QUIT arrives, which is passed on).
void RunModalLoop(HWND window);

} // namespace orvalis
