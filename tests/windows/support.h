// Helpers for the checks that run the program's code against the real Windows API (under Wine).
#pragma once

// The backend's own view of <windows.h>, with the name clashes settled.
#include <string>

#include "framework/win32/platform.h"

namespace testing_support {

inline std::wstring WindowTextW(HWND hwnd) {
    wchar_t buffer[512] = {};
    const int length = ::GetWindowTextW(hwnd, buffer, 512);
    return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

// Takes every message still queued for this thread, including a WM_QUIT left by a test, so the
// next test's message loop starts clean.
inline void DrainMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// A quit code no test expects: the watchdog's.
inline constexpr int kWatchdogCode = -777;

// Runs the application's message loop. A loop that the code under test fails to end is ended
// after `timeoutMs` with kWatchdogCode, so it fails the test instead of hanging it.
inline int RunWithWatchdog(CWinApp& app, UINT timeoutMs = 5000) {
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, timeoutMs, [](HWND, UINT, UINT_PTR, DWORD) {
        ::PostQuitMessage(kWatchdogCode);
    });
    const int code = app.Run();
    ::KillTimer(nullptr, watchdog);
    return code;
}

}  // namespace testing_support
