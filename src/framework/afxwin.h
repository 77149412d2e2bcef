// The application framework as this program uses it: the classes, members, types and constants of
// the Windows application framework and API that the game calls, and nothing more. The program
// includes only this header; one of two backends implements it (framework/win32 over the real
// Windows API, framework/sim over a simulated desktop), chosen at link time.
//
// Scalar and handle types are declared exactly as <windows.h> declares them, so that a backend
// may include both. Functions and constants that Windows also declares live in namespace afx
// (made visible by a using-directive below), so they never collide with the real declarations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef long LONG;
typedef WORD LANGID;
typedef DWORD COLORREF;
typedef long long INT_PTR;
typedef unsigned long long UINT_PTR;
typedef long long LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* HGDIOBJ;

#define AFX_DECLARE_HANDLE(name) \
    struct name##__;             \
    typedef struct name##__* name
AFX_DECLARE_HANDLE(HWND);
AFX_DECLARE_HANDLE(HMENU);
AFX_DECLARE_HANDLE(HICON);
AFX_DECLARE_HANDLE(HBRUSH);
AFX_DECLARE_HANDLE(HDC);
AFX_DECLARE_HANDLE(HBITMAP);
AFX_DECLARE_HANDLE(HPEN);
#undef AFX_DECLARE_HANDLE
typedef HICON HCURSOR;

namespace afx {

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Window messages.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT MM_MCINOTIFY = 0x03B9;

// Virtual keys.
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;

// Events told to screen readers (NotifyWinEvent), and the objects they concern: a window's client
// area, and one of its children (1, 2, …) or the client itself.
inline constexpr DWORD EVENT_OBJECT_REORDER = 0x8004;
inline constexpr DWORD EVENT_OBJECT_FOCUS = 0x8005;
inline constexpr DWORD EVENT_OBJECT_NAMECHANGE = 0x800C;
inline constexpr DWORD EVENT_OBJECT_LIVEREGIONCHANGED = 0x8019;
inline constexpr LONG OBJID_CLIENT = -4;
inline constexpr LONG CHILDID_SELF = 0;

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_SHOWNA = 8;

// Message boxes and dialog results.
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Buttons.
inline constexpr UINT BST_UNCHECKED = 0;
inline constexpr UINT BST_CHECKED = 1;

// Menus.
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_CHECKED = 0x0008;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXFIXEDFRAME = 7;
inline constexpr int SM_CYFIXEDFRAME = 8;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;

// Stock objects, cursors, pens, raster operations.
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int IDC_ARROW = 32512;
inline constexpr int PS_SOLID = 0;
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Multimedia. The codes of MM_MCINOTIFY say how a play with "notify" ended.
inline constexpr UINT SND_ASYNC = 0x0001;
inline constexpr WPARAM MCI_NOTIFY_SUCCESSFUL = 0x0001;
inline constexpr WPARAM MCI_NOTIFY_SUPERSEDED = 0x0002;
inline constexpr WPARAM MCI_NOTIFY_ABORTED = 0x0004;
inline constexpr WPARAM MCI_NOTIFY_FAILURE = 0x0008;

// Languages of resources: a primary language and a sublanguage.
inline constexpr WORD LANG_NEUTRAL = 0x00;
inline constexpr WORD LANG_ENGLISH = 0x09;
inline constexpr WORD LANG_JAPANESE = 0x11;
inline constexpr WORD SUBLANG_NEUTRAL = 0x00;
inline constexpr WORD SUBLANG_DEFAULT = 0x01;
inline constexpr WORD SUBLANG_ENGLISH_US = 0x01;
inline constexpr LANGID MAKELANGID(WORD primary, WORD sublanguage) {
    return static_cast<LANGID>((sublanguage << 10) | primary);
}

inline constexpr COLORREF RGB(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
inline constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Windows services the program calls directly. Texts are UTF-8.
int GetSystemMetrics(int index);
void PostQuitMessage(int exitCode);
HGDIOBJ GetStockObject(int object);
BOOL DestroyIcon(HICON icon);
BOOL sndPlaySoundA(const char* soundName, UINT flags);
DWORD mciSendStringA(const char* command, char* returnBuffer, UINT returnLength, HWND callback);

}  // namespace afx

using namespace afx;

class CWnd;
class CWinApp;

struct CPoint {
    int x = 0;
    int y = 0;
};

// Layout-compatible with the platform's RECT.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool PtInRect(CPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool operator==(const CRect&) const = default;
};

// Calendar time in whole seconds since 1970-01-01.
class CTime {
  public:
    explicit CTime(std::time_t t = 0) : time_(t) {}
    static CTime GetCurrentTime();
    std::time_t GetTime() const { return time_; }

  private:
    std::time_t time_;
};

// --- Message maps -------------------------------------------------------------------------------
// A message map is a static table of entries; each entry binds a message (and, for WM_COMMAND, a
// command id) to a thunk that unpacks the parameters and calls a member function. The backends
// dispatch through CWnd::DispatchMessage; unlisted messages get the default handling.

using AFX_THUNK = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT message;
    UINT commandId;  // for WM_COMMAND only
    AFX_THUNK thunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* base;
    std::span<const AFX_MSGMAP_ENTRY> entries;
};

namespace afx::detail {
template <class F>
struct MemberOf;
template <class R, class C, class... A>
struct MemberOf<R (C::*)(A...)> {
    using Class = C;
};
template <auto F>
using ClassOf = typename MemberOf<decltype(F)>::Class;

inline constexpr int LowSigned(LPARAM l) {
    return static_cast<short>(l & 0xFFFF);
}
inline constexpr int HighSigned(LPARAM l) {
    return static_cast<short>((l >> 16) & 0xFFFF);
}
}  // namespace afx::detail

// WM_PAINT, WM_CLOSE and other parameterless messages: void Handler().
template <UINT Message, auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_MESSAGE_VOID() {
    return {Message, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)();
                return 0;
            }};
}

template <auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_WM_PAINT() {
    return ON_MESSAGE_VOID<WM_PAINT, Handler>();
}

// void Handler(UINT keyFlags, CPoint clientPoint).
template <auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_WM_LBUTTONDOWN() {
    return {WM_LBUTTONDOWN, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {
                CPoint p{afx::detail::LowSigned(lp), afx::detail::HighSigned(lp)};
                (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)(static_cast<UINT>(wp),
                                                                           p);
                return 0;
            }};
}

// void Handler(UINT virtualKey, UINT repeatCount, UINT flags): the key, then the low and the high
// word of the message's second parameter.
template <auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_WM_KEYDOWN() {
    return {WM_KEYDOWN, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {
                (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)(
                    static_cast<UINT>(wp), static_cast<UINT>(lp & 0xFFFF),
                    static_cast<UINT>((lp >> 16) & 0xFFFF));
                return 0;
            }};
}

// void Handler(UINT_PTR timerId).
template <auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_WM_TIMER() {
    return {
        WM_TIMER, 0, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {
            (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)(static_cast<UINT_PTR>(wp));
            return 0;
        }};
}

// A menu command; the handler takes no arguments and its result, if any, is dropped.
template <UINT Id, auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_COMMAND() {
    return {WM_COMMAND, Id, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)();
                return 0;
            }};
}

// LRESULT Handler(WPARAM, LPARAM): the raw parameters.
template <UINT Message, auto Handler>
constexpr AFX_MSGMAP_ENTRY ON_MESSAGE() {
    return {Message, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {
                return (static_cast<afx::detail::ClassOf<Handler>*>(w)->*Handler)(wp, lp);
            }};
}

// --- Windows ------------------------------------------------------------------------------------

class CMenu {
  public:
    HMENU m_hMenu = nullptr;
    ~CMenu();
    BOOL Attach(HMENU menu);
    HMENU Detach();
    // Returns the previous check state (MF_CHECKED or MF_UNCHECKED), or -1 for no such item.
    UINT CheckMenuItem(UINT idItem, UINT check);
    // MF_CHECKED, MF_GRAYED, MF_DISABLED bits of the item, or -1 for no such item.
    UINT GetMenuState(UINT idItem, UINT flags) const;
};

class CWnd {
  public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Runs the handler the message map has for the message; false when it has none.
    bool DispatchMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The message map's entry for the message (and, for WM_COMMAND, the command), or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT commandId) const;

    // Called after the window is gone (WM_NCDESTROY). Frame windows delete themselves here.
    virtual void PostNcDestroy();

    BOOL ShowWindow(int showCommand);
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const CRect* rect, BOOL erase = TRUE);  // null: the whole client area
    UINT_PTR SetTimer(UINT_PTR idEvent, UINT elapseMs, void* timerProc = nullptr);
    BOOL KillTimer(UINT_PTR idEvent);
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    void GetWindowRect(CRect* rect) const;
    void GetClientRect(CRect* rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    HMENU GetMenu() const;
    BOOL DestroyWindow();
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    DWORD GetStyle() const;

    // What a screen reader learns of the client area: its children (1 to the count) in reading
    // order, in rows of GetAccessibleColumnCount() (0: a plain list), each with a name and a
    // place in client coordinates, and the child with the keyboard focus (CHILDID_SELF: none).
    // The client's own name (CHILDID_SELF) is what the window last had to say.
    virtual LONG GetAccessibleChildCount() const { return 0; }
    virtual LONG GetAccessibleColumnCount() const { return 0; }
    virtual std::string GetAccessibleName(LONG child) const;
    virtual CRect GetAccessibleLocation(LONG child) const;
    virtual LONG GetAccessibleFocus() const { return CHILDID_SELF; }
    // Tells screen readers that something of the client changed (OBJID_CLIENT and a child, or
    // CHILDID_SELF): a name, the focus, the children altogether, or a new thing said.
    void NotifyWinEvent(DWORD event, LONG objectType, LONG child);
};

class CFrameWnd : public CWnd {
  public:
    static const CRect rectDefault;

    // className null: the framework's default frame-window class.
    BOOL Create(const char* className, const char* windowName, DWORD style = WS_OVERLAPPED,
                const CRect& rect = rectDefault, CWnd* parent = nullptr, UINT menuId = 0,
                DWORD exStyle = 0);
    void PostNcDestroy() override;  // delete this
};

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 if it cannot be shown.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);

    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;

    UINT TemplateId() const { return templateId_; }
    CWnd* Parent() const { return parent_; }

  private:
    UINT templateId_;
    CWnd* parent_;
};

// --- Graphics -----------------------------------------------------------------------------------

class CGdiObject {
  public:
    HGDIOBJ m_hObject = nullptr;
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    // Deletes the object if one is still attached; an empty wrapper costs one compare.
    virtual ~CGdiObject() {
        if (m_hObject != nullptr) {
            DeleteObject();
        }
    }
    BOOL DeleteObject();
    HGDIOBJ Detach();
};

class CBitmap : public CGdiObject {
  public:
    BOOL LoadBitmap(UINT resourceId);
};

class CBrush : public CGdiObject {
  public:
    BOOL CreateSolidBrush(COLORREF color);
};

class CPen : public CGdiObject {
  public:
    BOOL CreatePen(int style, int width, COLORREF color);
};

class CDC {
  public:
    HDC m_hDC = nullptr;

    CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // Each returns the object of its kind that was selected before, to be selected back.
    CBitmap* SelectObject(CBitmap* bitmap);
    CBrush* SelectObject(CBrush* brush);
    CPen* SelectObject(CPen* pen);

    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY,
                DWORD rop);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    BOOL TextOut(int x, int y, const char* text, int length);  // UTF-8, length in bytes
    BOOL Rectangle(int left, int top, int right, int bottom);
    // The dotted rectangle of the keyboard focus, drawn by inverting: drawn again in the same
    // place, it is gone.
    void DrawFocusRect(const CRect* rect);

  protected:
    // What was selected into the context before the program selected anything of each kind;
    // SelectObject hands these back so that they can be selected again.
    CBitmap defaultBitmap_;
    CBrush defaultBrush_;
    CPen defaultPen_;
    CBitmap* selectedBitmap_ = &defaultBitmap_;
    CBrush* selectedBrush_ = &defaultBrush_;
    CPen* selectedPen_ = &defaultPen_;
};

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* window);  // BeginPaint
    ~CPaintDC() override;             // EndPaint

  private:
    [[maybe_unused]] CWnd* window_;  // the simulated desktop finds its paint by the record
    void* paintState_ = nullptr;     // the backend's paint record
};

// The whole client area of a window, outside its paint (GetDC, ReleaseDC).
class CClientDC : public CDC {
  public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

  private:
    [[maybe_unused]] CWnd* window_;  // the simulated desktop finds the window by the context
};

// --- The application ----------------------------------------------------------------------------

class CWinApp {
  public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    virtual int Run();  // the message loop; returns the quit code

    HICON LoadIcon(UINT resourceId) const;
    HCURSOR LoadStandardCursor(int cursorId) const;
    BOOL Enable3dControls();
    void SetDialogBkColor(COLORREF background, COLORREF text);

    // The language of every menu, dialog and string loaded from now on. With none set, or for a
    // resource held in no such language, the system chooses as it would for any program.
    void SetResourceLanguage(LANGID language) { resourceLanguage_ = language; }
    LANGID GetResourceLanguage() const { return resourceLanguage_; }

    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    const char* m_pszAppName = nullptr;
    const char* m_lpCmdLine = "";  // what follows the program's name on its command line

  private:
    LANGID resourceLanguage_ = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
};

CWinApp* AfxGetApp();
namespace afx::detail {
// For the backends: the application's resource language, or LANG_NEUTRAL with no application.
LANGID ApplicationLanguage();
}  // namespace afx::detail
// The string table's entry in the application's resource language; empty when there is none.
std::string AfxLoadString(UINT id);
// The entry with "%1" replaced by the argument.
std::string AfxFormatString1(UINT id, std::string_view argument);
// The entry with "%1" and "%2" replaced by the arguments.
std::string AfxFormatString2(UINT id, std::string_view argument1, std::string_view argument2);
// Registers (once) a window class with these properties; returns its name.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);
