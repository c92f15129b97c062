#include "WindowsTestSupport.h"

namespace testing_support {

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    for (const DWORD start = GetTickCount(); Pump(), !done();) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

RECT ChildRect(HWND child, HWND relativeTo) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, relativeTo ? relativeTo : GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace testing_support
