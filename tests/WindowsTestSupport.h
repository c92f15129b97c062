// What the Windows tests share: running this thread's messages and finding
// where a child window lies.
#pragma once

#include <windows.h>

#include <functional>

namespace testing_support {

// Dispatches every message waiting for this thread.
void Pump();
// Pumps messages until `done` holds or `milliseconds` have passed (a guard,
// not a speed goal); false if it never held.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);
// Where `child` lies in the client area of `relativeTo`, by default its parent.
RECT ChildRect(HWND child, HWND relativeTo = nullptr);

}  // namespace testing_support
