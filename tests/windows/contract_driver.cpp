// The contract cases' driver on the real Windows API: real input, real time, and modals answered
// by a thread timer that finds the open box or dialog, as a user would see it.
#include <deque>

#include "contract.h"
#include "support.h"

namespace contract {
namespace {

class Win32Driver;
Win32Driver* current = nullptr;

class Win32Driver : public Driver {
  public:
    Win32Driver() {
        current = this;
        testing_support::DrainMessages();
    }
    ~Win32Driver() override {
        if (poll_ != 0) {
            ::KillTimer(nullptr, poll_);
        }
        current = nullptr;
        testing_support::DrainMessages();
    }

    void PostClick(CWnd& window, int x, int y) override {
        POINT p{x, y};
        ::ClientToScreen(window.m_hWnd, &p);
        // Real input goes to whatever lies at the point, the disabled owner of a modal included.
        EXPECT_EQ(::WindowFromPoint(p), window.m_hWnd) << "something covers the point clicked";
        const int width = ::GetSystemMetrics(SM_CXSCREEN) - 1;
        const int height = ::GetSystemMetrics(SM_CYSCREEN) - 1;
        INPUT input[2] = {};
        for (INPUT& i : input) {
            i.type = INPUT_MOUSE;
            i.mi.dx = p.x * 65535 / width;
            i.mi.dy = p.y * 65535 / height;
        }
        input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
    void PostKey(CWnd& window, UINT virtualKey) override {
        // Real input goes to the window with the keyboard focus: a modal's, while one is open.
        if (::IsWindowEnabled(window.m_hWnd)) {
            EXPECT_EQ(::GetFocus(), window.m_hWnd) << "the window has no keyboard focus";
        }
        const bool extended = virtualKey >= VK_LEFT && virtualKey <= VK_DOWN;
        INPUT input[2] = {};
        for (INPUT& i : input) {
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = static_cast<WORD>(virtualKey);
            i.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
            i.ki.dwFlags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
    void PostCommand(CWnd& window, UINT id) override {
        ::PostMessageW(window.m_hWnd, WM_COMMAND, id, 0);
    }
    void RunUntilIdle() override {
        MSG msg;
        while (!quit_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Handle(msg);
        }
    }
    void Busy(UINT ms) override { ::Sleep(ms); }
    void Wait(UINT ms) override {
        const ULONGLONG end = ::GetTickCount64() + ms;
        for (ULONGLONG now; !quit_ && (now = ::GetTickCount64()) < end;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                        QS_ALLINPUT);
            RunUntilIdle();
        }
    }
    std::uint64_t NowMs() override { return ::GetTickCount64(); }
    // Wine's clock and timers keep to a few milliseconds; a busy machine adds some.
    UINT ToleranceMs() override { return 15; }
    void AnswerNextModal(ModalAnswer answer) override {
        answers_.push_back(std::move(answer));
        if (poll_ == 0) {
            poll_ = ::SetTimer(nullptr, 0, 5, Poll);
        }
    }
    std::optional<int> QuitCode() override { return quit_; }
    COLORREF ScreenColor(CWnd& window, int x, int y) override {
        const HDC dc = ::GetDC(window.m_hWnd);
        const COLORREF colour = ::GetPixel(dc, x, y);
        ::ReleaseDC(window.m_hWnd, dc);
        return colour;
    }
    bool ObjectAlive(const void* handle) override {
        return ::GetObjectType(const_cast<void*>(handle)) != 0;
    }

  private:
    void Handle(const MSG& msg) {
        if (msg.message == WM_QUIT) {
            quit_ = static_cast<int>(msg.wParam);
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    static BOOL CALLBACK FindModal(HWND hwnd, LPARAM found) {
        wchar_t name[16] = {};
        ::GetClassNameW(hwnd, name, 16);
        if (std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    // Every few milliseconds, in whichever loop runs: is a modal open, and is it time to answer?
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
        Win32Driver& self = *current;
        HWND modal = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&modal));
        if (modal == nullptr || self.answers_.empty()) {
            return;
        }
        ModalAnswer& answer = self.answers_.front();
        if (modal != self.open_) {
            self.open_ = modal;
            self.openedAt_ = ::GetTickCount64();
            if (answer.whileOpen) {
                const auto whileOpen = std::move(answer.whileOpen);
                answer.whileOpen = nullptr;
                whileOpen();
            }
        }
        if (::GetTickCount64() - self.openedAt_ < answer.afterMs) {
            return;
        }
        for (int id : answer.clicks) {
            ::SendMessageW(::GetDlgItem(modal, id), BM_CLICK, 0, 0);
        }
        ::PostMessageW(modal, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(modal, answer.button)));
        self.answers_.pop_front();
        if (self.answers_.empty()) {
            ::KillTimer(nullptr, self.poll_);
            self.poll_ = 0;
        }
    }

    std::deque<ModalAnswer> answers_;
    UINT_PTR poll_ = 0;
    HWND open_ = nullptr;
    ULONGLONG openedAt_ = 0;
    std::optional<int> quit_;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
    return std::make_unique<Win32Driver>();
}

}  // namespace contract
