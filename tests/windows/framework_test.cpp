// The framework's classes over the real Windows API: windows and message maps, modal boxes and
// dialogs, device contexts and graphic objects.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "resource.h"
#include "support.h"

using testing_support::DrainMessages;
using testing_support::RunWithWatchdog;
using testing_support::WindowTextW;

namespace {

// --- Application ----------------------------------------------------------------------------

TEST(Application, IsNamedAfterTheProgramFileAndRegistersItself) {
    {
        CWinApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        ASSERT_NE(app.m_pszAppName, nullptr);
        EXPECT_STREQ(app.m_pszAppName, "windows_tests");
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    CWinApp named("named");
    EXPECT_STREQ(named.m_pszAppName, "named");
}

TEST(Application, RunReturnsTheQuitCode) {
    CWinApp app("loop");
    ::PostQuitMessage(42);
    EXPECT_EQ(RunWithWatchdog(app), 42);
}

TEST(Application, ClockIsCalendarSeconds) {
    const std::time_t before = std::time(nullptr);
    const std::time_t now = CTime::GetCurrentTime().GetTime();
    EXPECT_GE(now, before);
    EXPECT_LE(now, before + 2);
}

// --- Windows and message maps ---------------------------------------------------------------

class ProbeFrame : public CFrameWnd {
  public:
    explicit ProbeFrame(bool* deleted) : deleted_(deleted) {}
    ~ProbeFrame() override { *deleted_ = true; }
    const AFX_MSGMAP* GetMessageMap() const override {
        static const AFX_MSGMAP_ENTRY entries[] = {
            ON_COMMAND<100, &ProbeFrame::OnCommand100>(),
            ON_WM_TIMER<&ProbeFrame::OnTimer>(),
            ON_WM_LBUTTONDOWN<&ProbeFrame::OnLButtonDown>(),
        };
        static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
        return &map;
    }
    void OnCommand100() { ++commands; }
    void OnTimer(UINT_PTR id) {
        lastTimer = id;
        KillTimer(id);
        ::PostQuitMessage(0);
    }
    void OnLButtonDown(UINT, CPoint p) { click = p; }

    int commands = 0;
    UINT_PTR lastTimer = 0;
    CPoint click{-1, -1};

  private:
    bool* deleted_;
};

class Frames : public ::testing::Test {
  protected:
    void TearDown() override {
        if (frame_ != nullptr && !deleted_ && ::IsWindow(frame_->m_hWnd)) {
            frame_->DestroyWindow();
        }
        DrainMessages();
    }
    ProbeFrame* MakeFrame(const CRect& rect = CFrameWnd::rectDefault, const char* cls = nullptr) {
        frame_ = new ProbeFrame(&deleted_);
        EXPECT_TRUE(frame_->Create(cls, "probe", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, rect));
        return frame_;
    }
    CWinApp app_{"frames"};
    ProbeFrame* frame_ = nullptr;
    bool deleted_ = false;
};

TEST_F(Frames, DefaultRectangleGivesTheSystemsDefaultSize) {
    ProbeFrame* frame = MakeFrame();
    ASSERT_NE(frame->m_hWnd, nullptr);
    CRect r;
    frame->GetWindowRect(&r);
    EXPECT_GT(r.Width(), 100);
    EXPECT_LE(r.Width(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GT(r.Height(), 100);
    EXPECT_LE(r.Height(), ::GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(Frames, DefaultPositionKeepsTheGivenSize) {
    CRect rect = CFrameWnd::rectDefault;
    rect.right = rect.left + 321;
    rect.bottom = rect.top + 123;
    ProbeFrame* frame = MakeFrame(rect);
    CRect r;
    frame->GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 321);
    EXPECT_EQ(r.Height(), 123);
}

TEST_F(Frames, DestroyingTheWindowDeletesTheFrame) {
    ProbeFrame* frame = MakeFrame();
    const HWND hwnd = frame->m_hWnd;
    ASSERT_FALSE(deleted_);
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(deleted_);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(Frames, MainWindowsEndEndsTheMessageLoop) {
    ProbeFrame* frame = MakeFrame();
    app_.m_pMainWnd = frame;
    ::PostMessageW(frame->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunWithWatchdog(app_), 0);
    EXPECT_TRUE(deleted_);
    EXPECT_EQ(app_.m_pMainWnd, nullptr);
}

TEST_F(Frames, MessageMapGetsCommandsClicksAndTimers) {
    ProbeFrame* frame = MakeFrame();
    ::SendMessageW(frame->m_hWnd, WM_COMMAND, 100, 0);
    ::SendMessageW(frame->m_hWnd, WM_COMMAND, 101, 0);  // unlisted: default handling
    EXPECT_EQ(frame->commands, 1);
    ::SendMessageW(frame->m_hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(17, 29));
    EXPECT_EQ(frame->click.x, 17);
    EXPECT_EQ(frame->click.y, 29);
    ASSERT_EQ(frame->SetTimer(5, 10), 5u);
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 5000, nullptr);
    MSG msg;
    while (frame->lastTimer == 0 && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            break;  // the watchdog: the window's timer never came
        }
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(nullptr, watchdog);
    EXPECT_EQ(frame->lastTimer, 5u);
}

TEST_F(Frames, WindowTextIsUtf8OnOurSideAndUtf16OnWindows) {
    ProbeFrame* frame = MakeFrame();
    frame->SetWindowText("神経衰弱 ﾎﾟﾛﾈｺ");
    EXPECT_EQ(WindowTextW(frame->m_hWnd), L"神経衰弱 ﾎﾟﾛﾈｺ");
    ::SetWindowTextW(frame->m_hWnd, L"カード");
    EXPECT_EQ(frame->GetWindowText(), "カード");
}

TEST_F(Frames, WindowClassesAreRegisteredOncePerSetOfProperties) {
    const HCURSOR arrow = app_.LoadStandardCursor(32512);  // the arrow
    const auto white = static_cast<HBRUSH>(afx::GetStockObject(WHITE_BRUSH));
    const char* first = AfxRegisterWndClass(0, arrow, white, nullptr);
    const char* again = AfxRegisterWndClass(0, arrow, white, nullptr);
    const char* other = AfxRegisterWndClass(CS_DBLCLKS, arrow, white, nullptr);
    EXPECT_STREQ(first, again);
    EXPECT_STRNE(first, other);
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    std::wstring name(first, first + std::strlen(first));
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), name.c_str(), &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.hCursor, arrow);
    EXPECT_EQ(info.hbrBackground, white);
    ProbeFrame* frame = MakeFrame(CFrameWnd::rectDefault, first);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(::GetClassLongPtrW(frame->m_hWnd, GCLP_HBRBACKGROUND)),
              white);
}

// --- Message boxes --------------------------------------------------------------------------

struct BoxSeen {
    HWND box = nullptr;
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
};
BoxSeen boxSeen;

BOOL CALLBACK FindBox(HWND hwnd, LPARAM) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(hwnd)) {
        boxSeen.box = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Answers the open box with No, as a user would, after reading what it says.
void CALLBACK AnswerNo(HWND, UINT, UINT_PTR id, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, 0);
    if (boxSeen.box == nullptr) {
        return;  // not open yet
    }
    ::KillTimer(nullptr, id);
    boxSeen.caption = WindowTextW(boxSeen.box);
    boxSeen.text = WindowTextW(::GetDlgItem(boxSeen.box, 0xFFFF));
    boxSeen.owner = ::GetWindow(boxSeen.box, GW_OWNER);
    ::PostMessageW(boxSeen.box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
}

TEST_F(Frames, MessageBoxIsModalOverItsWindowAndReturnsTheAnswer) {
    ProbeFrame* frame = MakeFrame();
    boxSeen = {};
    ::SetTimer(nullptr, 0, 20, AnswerNo);
    EXPECT_EQ(frame->MessageBox("Player１の番です", "ﾎﾟﾛﾈｺ", MB_YESNO), IDNO);
    EXPECT_EQ(boxSeen.caption, L"ﾎﾟﾛﾈｺ");
    EXPECT_EQ(boxSeen.text, L"Player１の番です");
    EXPECT_EQ(boxSeen.owner, frame->m_hWnd);

    boxSeen = {};
    ::SetTimer(nullptr, 0, 20, AnswerNo);
    EXPECT_EQ(frame->MessageBox("no caption", nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(boxSeen.caption, L"frames") << "the application's name stands in";
}

// --- Dialogs --------------------------------------------------------------------------------

class SettingsProbe : public CDialog {
  public:
    SettingsProbe() : CDialog(IDD_SETTINGS) {}
    BOOL OnInitDialog() override {
        noneCheckedAtStart = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
        CheckRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE, IDC_HUMANS_3);
        CheckDlgButton(IDC_COMPUTER_02, BST_CHECKED);
        checkedRadio = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
        computer02 = IsDlgButtonChecked(IDC_COMPUTER_02);
        computer01 = IsDlgButtonChecked(IDC_COMPUTER_01);
        wchar_t text[64] = {};
        ::GetDlgItemTextW(m_hWnd, IDC_HUMANS_NONE, text, 64);
        noneLabel = text;
        owner = ::GetWindow(m_hWnd, GW_OWNER);
        ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        return TRUE;
    }
    void OnOK() override {
        okCalled = true;
        CDialog::OnOK();
    }
    void OnCancel() override {
        cancelCalled = true;
        CDialog::OnCancel();
    }

    int answer = IDOK;
    int noneCheckedAtStart = -1;
    int checkedRadio = 0;
    UINT computer01 = 9;
    UINT computer02 = 9;
    std::wstring noneLabel;
    HWND owner = nullptr;
    bool okCalled = false;
    bool cancelCalled = false;
};

TEST_F(Frames, DialogRunsModallyWithItsControlsAndOwner) {
    ProbeFrame* frame = MakeFrame();
    app_.m_pMainWnd = frame;
    SettingsProbe dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    app_.m_pMainWnd = nullptr;
    EXPECT_TRUE(dialog.okCalled);
    EXPECT_FALSE(dialog.cancelCalled);
    EXPECT_EQ(dialog.noneCheckedAtStart, 0);
    EXPECT_EQ(dialog.checkedRadio, IDC_HUMANS_3);
    EXPECT_EQ(dialog.computer02, BST_CHECKED);
    EXPECT_EQ(dialog.computer01, BST_UNCHECKED);
    EXPECT_EQ(dialog.noneLabel, L"なし");
    EXPECT_EQ(dialog.owner, frame->m_hWnd) << "owned by the main window when given no parent";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(Frames, VersionDialogTemplateLoads) {
    class Version : public CDialog {
      public:
        Version() : CDialog(IDD_VERSION) {}
        BOOL OnInitDialog() override {
            title = WindowTextW(m_hWnd);
            EndDialog(77);
            return TRUE;
        }
        std::wstring title;
    } dialog;
    EXPECT_EQ(dialog.DoModal(), 77);
    EXPECT_EQ(dialog.title, L"バージョン");
}

TEST_F(Frames, MissingDialogTemplateCannotBeShown) {
    CDialog dialog(4242);
    EXPECT_EQ(dialog.DoModal(), -1);
}

// --- Graphics -------------------------------------------------------------------------------

// A 24-bit memory surface whose pixels the test can read.
class Surface {
  public:
    Surface(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.m_hObject = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<const std::uint32_t*>(bits);
        dc.CreateCompatibleDC(nullptr);
        previous = dc.SelectObject(&bitmap);
    }
    ~Surface() { dc.SelectObject(previous); }

    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                n += Pixel(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

    CBitmap bitmap;
    CDC dc;
    CBitmap* previous = nullptr;

  private:
    int width_;
    int height_;
    const std::uint32_t* bits_ = nullptr;
};

TEST(Graphics, SelectObjectHandsBackWhatWasSelectedBefore) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap a;
    CBitmap b;
    ASSERT_TRUE(a.LoadBitmap(IDB_CARD_BACK));
    ASSERT_TRUE(b.LoadBitmap(IDB_BLANK_FACE));
    CBitmap* original = dc.SelectObject(&a);
    ASSERT_NE(original, nullptr);
    const HGDIOBJ originalHandle = original->m_hObject;
    EXPECT_EQ(::GetObjectType(originalHandle), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(dc.SelectObject(&b), &a);
    EXPECT_EQ(dc.SelectObject(original), &b);
    // Nothing of ours is still selected, so both can go.
    EXPECT_TRUE(a.DeleteObject());
    EXPECT_TRUE(b.DeleteObject());
    EXPECT_TRUE(dc.DeleteDC());
    EXPECT_EQ(original->m_hObject, nullptr) << "the context's own bitmap is let go";
    EXPECT_EQ(::GetObjectType(originalHandle), static_cast<DWORD>(OBJ_BITMAP))
        << "and never deleted";
}

TEST(Graphics, TextOutCountsUtf8Bytes) {
    Surface one(64, 24);
    Surface two(64, 24);
    for (Surface* s : {&one, &two}) {
        ::PatBlt(s->dc.m_hDC, 0, 0, 64, 24, WHITENESS);
        s->dc.SetTextColor(RGB(0, 0, 0));
        s->dc.SetBkColor(RGB(255, 255, 255));
    }
    const char* text = "神経";  // two characters, three bytes each
    ASSERT_TRUE(one.dc.TextOut(0, 0, text, 3));
    ASSERT_TRUE(two.dc.TextOut(0, 0, text, 6));
    const int inkOne = 64 * 24 - one.Count(RGB(255, 255, 255));
    const int inkTwo = 64 * 24 - two.Count(RGB(255, 255, 255));
    EXPECT_GT(inkOne, 0);
    EXPECT_GT(inkTwo, inkOne);
}

TEST(Graphics, ColoursReturnThePreviousOnes) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    dc.SetTextColor(RGB(1, 2, 3));
    EXPECT_EQ(dc.SetTextColor(RGB(4, 5, 6)), RGB(1, 2, 3));
    dc.SetBkColor(RGB(7, 8, 9));
    EXPECT_EQ(dc.SetBkColor(RGB(0, 0, 0)), RGB(7, 8, 9));
}

// --- Multimedia -----------------------------------------------------------------------------

TEST(Multimedia, MusicCommandsReachTheDeviceAndAnswer) {
    char reply[64] = {};
    ASSERT_EQ(afx::mciSendStringA("sysinfo all quantity", reply, sizeof reply, nullptr), 0u);
    EXPECT_NE(reply[0], '\0') << "the count of devices comes back as text";
    EXPECT_NE(afx::mciSendStringA("open no-such-piece.mid type sequencer alias x", reply,
                                  sizeof reply, nullptr),
              0u)
        << "a missing file is an error";
}

}  // namespace
