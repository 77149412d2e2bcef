// The application object, its message loop, and the plain Windows services the program calls.
#include <ctime>

#include "framework/win32/platform.h"

namespace {

CWinApp* theApp = nullptr;

// The program file's name without folder and extension, as the framework names an application
// that has no title string.
const char* ModuleBaseName() {
    static const std::string name = [] {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring base(path, length);
        if (const auto slash = base.find_last_of(L"\\/"); slash != std::wstring::npos) {
            base.erase(0, slash + 1);
        }
        if (const auto dot = base.rfind(L'.'); dot != std::wstring::npos) {
            base.erase(dot);
        }
        return afx::win32::Narrow(base);
    }();
    return name.c_str();
}

}  // namespace

CWinApp* AfxGetApp() {
    return theApp;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {
    theApp = this;
    if (m_pszAppName == nullptr) {
        m_pszAppName = ModuleBaseName();
    }
}

CWinApp::~CWinApp() {
    if (theApp == this) {
        theApp = nullptr;
    }
}

int CWinApp::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(msg.wParam);
        }
        if (got == -1) {
            return -1;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

HICON CWinApp::LoadIcon(UINT resourceId) const {
    return ::LoadIconW(afx::win32::Instance(), MAKEINTRESOURCEW(resourceId));
}

HCURSOR CWinApp::LoadStandardCursor(int cursorId) const {
    return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId));
}

BOOL CWinApp::Enable3dControls() {
    // Every Windows since 95 draws dialog controls in 3-D; the common controls just need loading.
    ::InitCommonControls();
    return TRUE;
}

// Only matters where 3-D controls are unavailable, which never happens here.
void CWinApp::SetDialogBkColor(COLORREF, COLORREF) {}

CTime CTime::GetCurrentTime() {
    return CTime(std::time(nullptr));
}

namespace afx {

int GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

void PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

HGDIOBJ GetStockObject(int object) {
    return ::GetStockObject(object);
}

BOOL DestroyIcon(HICON icon) {
    return ::DestroyIcon(icon);
}

BOOL sndPlaySoundA(const char* soundName, UINT flags) {
    return ::sndPlaySoundA(soundName, flags);
}

DWORD mciSendStringA(const char* command, char* returnBuffer, UINT returnLength, HWND callback) {
    return ::mciSendStringA(command, returnBuffer, returnLength, callback);
}

}  // namespace afx
