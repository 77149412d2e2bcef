// Windows of the framework: one window procedure for every class we register routes messages to
// the C++ object through its message map; window classes; frame creation; menus.
#include <cstdint>
#include <limits>
#include <list>

#include "framework/win32/platform.h"

namespace afx::win32 {

CWnd* FromHandle(HWND window) {
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace afx::win32

namespace {

using afx::win32::FromHandle;

// The window is gone: the object learns it, and the main window's end ends the message loop.
void WindowDestroyed(CWnd* wnd) {
    wnd->m_hWnd = nullptr;
    CWinApp* app = AfxGetApp();
    const bool wasMain = app != nullptr && app->m_pMainWnd == wnd;
    if (wasMain) {
        app->m_pMainWnd = nullptr;
    }
    wnd->PostNcDestroy();  // frame windows delete themselves here
    if (wasMain) {
        ::PostQuitMessage(0);
    }
}

// Owned windows stay above their owner. Windows keeps that order by itself; Wine's X11 driver
// loses it when the owner is shown or activated after them (at start-up, after every dialog),
// which would hide the score window under the board. There the order is stated again, once the
// activation is over, by hiding and showing each owned window without activating it.
bool RunningUnderWine() {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

UINT RestackMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Shinkei.RestackOwnedWindows");
    return message;
}

BOOL CALLBACK RaiseOwnedWindow(HWND window, LPARAM owner) {
    if (::GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
        ::IsWindowVisible(window)) {
        constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kKeep | SWP_HIDEWINDOW);
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kKeep | SWP_SHOWWINDOW);
    }
    return TRUE;
}

LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && RunningUnderWine()) {
        ::PostMessageW(hwnd, RestackMessage(), 0, 0);
    } else if (message == RestackMessage() && message != 0) {
        ::EnumThreadWindows(::GetCurrentThreadId(), RaiseOwnedWindow,
                            reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    CWnd* wnd = FromHandle(hwnd);
    if (message == WM_NCCREATE && wnd == nullptr) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        wnd = static_cast<CWnd*>(create->lpCreateParams);
        if (wnd != nullptr) {
            wnd->m_hWnd = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
        }
    }
    if (wnd == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        WindowDestroyed(wnd);
        return result;
    }
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) &&
        wnd->GetAccessibleChildCount() > 0) {
        return afx::win32::AnswerGetObject(hwnd, wParam);
    }
    LRESULT result = 0;
    if (wnd->DispatchMessage(message, wParam, lParam, result)) {
        return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

struct RegisteredClass {
    UINT style;
    HCURSOR cursor;
    HBRUSH background;
    HICON icon;
    std::string name;
};

// A list keeps each name's address stable for the callers that hold it.
std::list<RegisteredClass>& RegisteredClasses() {
    static std::list<RegisteredClass> classes;
    return classes;
}

const char* DefaultFrameClass() {
    return AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                               ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)),
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
}

// Rectangle extents as the framework computes them: a width that does not fit (the default
// rectangle's 0 - CW_USEDEFAULT) means "the system's default size".
int Extent(int from, int to) {
    const std::int64_t extent = static_cast<std::int64_t>(to) - from;
    if (extent < 0 || extent > std::numeric_limits<int>::max()) {
        return CW_USEDEFAULT;
    }
    return static_cast<int>(extent);
}

}  // namespace

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    auto& classes = RegisteredClasses();
    for (const RegisteredClass& known : classes) {
        if (known.style == classStyle && known.cursor == cursor && known.background == background &&
            known.icon == icon) {
            return known.name.c_str();
        }
    }
    RegisteredClass& added = classes.emplace_back(RegisteredClass{
        classStyle, cursor, background, icon, "Afx:shinkei:" + std::to_string(classes.size())});
    const std::wstring wideName = afx::win32::Widen(added.name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = FrameWindowProc;
    wc.hInstance = afx::win32::Instance();
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = wideName.c_str();
    ::RegisterClassExW(&wc);
    return added.name.c_str();
}

// --- CWnd ---------------------------------------------------------------------------------------

CWnd::~CWnd() {
    if (m_hWnd == nullptr) {
        return;
    }
    // The object goes first: the window must not call into what is left of it.
    const HWND hwnd = m_hWnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    CWinApp* app = AfxGetApp();
    const bool wasMain = app != nullptr && app->m_pMainWnd == this;
    if (wasMain) {
        app->m_pMainWnd = nullptr;
    }
    ::DestroyWindow(hwnd);
    if (wasMain) {
        ::PostQuitMessage(0);
    }
}

BOOL CWnd::ShowWindow(int showCommand) {
    return ::ShowWindow(m_hWnd, showCommand);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

void CWnd::Invalidate(BOOL erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(const CRect* rect, BOOL erase) {
    if (rect == nullptr) {
        ::InvalidateRect(m_hWnd, nullptr, erase);
        return;
    }
    const RECT r{rect->left, rect->top, rect->right, rect->bottom};
    ::InvalidateRect(m_hWnd, &r, erase);
}

UINT_PTR CWnd::SetTimer(UINT_PTR idEvent, UINT elapseMs, void* timerProc) {
    return ::SetTimer(m_hWnd, idEvent, elapseMs, reinterpret_cast<TIMERPROC>(timerProc));
}

BOOL CWnd::KillTimer(UINT_PTR idEvent) {
    return ::KillTimer(m_hWnd, idEvent);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    if (caption == nullptr) {
        const CWinApp* app = AfxGetApp();
        caption = app != nullptr ? app->m_pszAppName : "";
    }
    const std::wstring wideText = afx::win32::Widen(text != nullptr ? text : "");
    const std::wstring wideCaption = afx::win32::Widen(caption != nullptr ? caption : "");
    // The buttons in the application's language too, where the system has it; else in its own.
    const LANGID language = afx::detail::ApplicationLanguage();
    const int pressed =
        ::MessageBoxExW(m_hWnd, wideText.c_str(), wideCaption.c_str(), type, language);
    if (pressed != 0 || language == 0) {
        return pressed;
    }
    return ::MessageBoxExW(m_hWnd, wideText.c_str(), wideCaption.c_str(), type, 0);
}

void CWnd::SetWindowText(const char* text) {
    ::SetWindowTextW(m_hWnd, afx::win32::Widen(text != nullptr ? text : "").c_str());
}

void CWnd::NotifyWinEvent(DWORD event, LONG objectType, LONG child) {
    ::NotifyWinEvent(event, m_hWnd, objectType, child);
}

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return afx::win32::Narrow(text);
}

void CWnd::GetWindowRect(CRect* rect) const {
    RECT r{};
    ::GetWindowRect(m_hWnd, &r);
    *rect = CRect{r.left, r.top, r.right, r.bottom};
}

void CWnd::GetClientRect(CRect* rect) const {
    RECT r{};
    ::GetClientRect(m_hWnd, &r);
    *rect = CRect{r.left, r.top, r.right, r.bottom};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

HMENU CWnd::GetMenu() const {
    return ::GetMenu(m_hWnd);
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

// --- CFrameWnd ----------------------------------------------------------------------------------

BOOL CFrameWnd::Create(const char* className, const char* windowName, DWORD style,
                       const CRect& rect, CWnd* parent, UINT menuId, DWORD exStyle) {
    if (className == nullptr) {
        className = DefaultFrameClass();
    }
    HMENU menu = nullptr;
    if (menuId != 0) {
        if (const void* menuTemplate = afx::win32::LoadLanguageResource(RT_MENU, menuId)) {
            menu = ::LoadMenuIndirectW(menuTemplate);
        }
    }
    const std::wstring wideClass = afx::win32::Widen(className);
    const std::wstring wideName = afx::win32::Widen(windowName != nullptr ? windowName : "");
    const HWND hwnd = ::CreateWindowExW(
        exStyle, wideClass.c_str(), wideName.c_str(), style, rect.left, rect.top,
        Extent(rect.left, rect.right), Extent(rect.top, rect.bottom),
        parent != nullptr ? parent->m_hWnd : nullptr, menu, afx::win32::Instance(), this);
    if (hwnd == nullptr) {
        if (menu != nullptr) {
            ::DestroyMenu(menu);
        }
        return FALSE;
    }
    return TRUE;
}

// --- CMenu --------------------------------------------------------------------------------------

CMenu::~CMenu() {
    if (m_hMenu != nullptr && ::IsMenu(m_hMenu)) {
        ::DestroyMenu(m_hMenu);
    }
}

BOOL CMenu::Attach(HMENU menu) {
    if (menu == nullptr) {
        return FALSE;
    }
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    const HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
}

UINT CMenu::CheckMenuItem(UINT idItem, UINT check) {
    return static_cast<UINT>(::CheckMenuItem(m_hMenu, idItem, check));
}

UINT CMenu::GetMenuState(UINT idItem, UINT flags) const {
    return ::GetMenuState(m_hMenu, idItem, flags);
}
