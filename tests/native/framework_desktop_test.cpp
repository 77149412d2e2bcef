// The simulated desktop's message loop, timers, modal loops, input and window lifetimes, driven
// through small windows of the tests' own.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "framework/sim/desktop.h"
#include "resource.h"

namespace {

using Log = std::vector<std::string>;

// A frame that writes down every message it handles, stamped with the virtual time.
class Probe : public CFrameWnd {
  public:
    Probe(sim::Desktop& desktop, Log& log, int* deleted = nullptr)
        : desktop_(desktop), log_(log), deleted_(deleted) {}
    ~Probe() override {
        if (deleted_ != nullptr) {
            ++*deleted_;
        }
    }

    const AFX_MSGMAP* GetMessageMap() const override {
        static const AFX_MSGMAP_ENTRY entries[] = {
            ON_WM_PAINT<&Probe::OnPaint>(),
            ON_WM_TIMER<&Probe::OnTimer>(),
            ON_WM_LBUTTONDOWN<&Probe::OnClick>(),
            ON_COMMAND<ID_GAME_NEW, &Probe::OnNewGame>(),
            ON_COMMAND<ID_GAME_SETTINGS, &Probe::OnSettings>(),
            ON_MESSAGE<MM_MCINOTIFY, &Probe::OnMusic>(),
            ON_MESSAGE<WM_DESTROY, &Probe::OnDestroy>(),
        };
        static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
        return &map;
    }

    // What the next tick of each timer does besides being logged.
    std::vector<UINT_PTR> invalidateOnTick;
    UINT_PTR boxOnTick = 0;
    UINT_PTR stopOnTick = 0;
    int boxAnswer = 0;
    std::string name = "probe";

  private:
    void Note(const std::string& what) {
        log_.push_back(what + "@" + std::to_string(desktop_.Now()));
    }
    void OnPaint() {
        CPaintDC dc(this);
        Note("paint");
    }
    void OnTimer(UINT_PTR id) {
        Note("timer" + std::to_string(id));
        for (UINT_PTR i : invalidateOnTick) {
            if (i == id) {
                Invalidate();
            }
        }
        if (id == stopOnTick) {
            desktop_.Stop();
        }
        if (id == boxOnTick) {
            boxOnTick = 0;
            boxAnswer = MessageBox("text", "caption", MB_YESNO);
            Note("answer" + std::to_string(boxAnswer));
        }
    }
    void OnClick(UINT flags, CPoint p) {
        Note("click" + std::to_string(flags) + ":" + std::to_string(p.x) + "," +
             std::to_string(p.y));
    }
    void OnNewGame() { Note("new"); }
    void OnSettings() {
        boxAnswer = MessageBox("settings?", nullptr, MB_OKCANCEL);
        Note("answer" + std::to_string(boxAnswer));
    }
    LRESULT OnMusic(WPARAM code, LPARAM device) {
        Note("music" + std::to_string(code) + ":" + std::to_string(device));
        return 0;
    }
    LRESULT OnDestroy(WPARAM, LPARAM) {
        log_.push_back("destroy " + name);
        return 0;
    }

    sim::Desktop& desktop_;
    Log& log_;
    int* deleted_;
};

constexpr DWORD kFrameStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

Probe* OpenProbe(sim::Desktop& desktop, Log& log, UINT menu = IDR_MAINMENU, int* deleted = nullptr,
                 CWnd* owner = nullptr) {
    auto* probe = new Probe(desktop, log, deleted);
    EXPECT_TRUE(probe->Create(nullptr, "probe", kFrameStyle | WS_VISIBLE, CRect{0, 0, 300, 200},
                              owner, menu));
    desktop.RunPending();  // the first paint
    log.clear();
    return probe;
}

class TestApp : public CWinApp {
  public:
    TestApp() : CWinApp("test") {}
};

TEST(FrameworkLoop, PostedBeforePaintBeforeTimerAndQuitBeforePaint) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log);

    // A menu command chosen while a repaint is pending is handled first.
    probe->Invalidate();
    desktop.ChooseMenu(probe->m_hWnd, ID_GAME_NEW);
    EXPECT_EQ(log, (Log{"new@0", "paint@0"}));

    // A paint made necessary by one tick comes before another timer due at the same moment.
    log.clear();
    probe->invalidateOnTick = {1};
    probe->SetTimer(1, 100);
    probe->SetTimer(2, 100);
    EXPECT_TRUE(desktop.Advance(100));
    EXPECT_EQ(log, (Log{"timer1@100", "paint@100", "timer2@100"}));

    // The quit message outranks paints; after it nothing more is dispatched.
    log.clear();
    int quitSeen = -1;
    desktop.onQuit = [&](int code) { quitSeen = code; };
    probe->Invalidate();
    PostQuitMessage(5);
    EXPECT_FALSE(desktop.RunPending());
    EXPECT_TRUE(desktop.Quit());
    EXPECT_EQ(desktop.QuitCode(), 5);
    EXPECT_EQ(quitSeen, 5);
    EXPECT_FALSE(desktop.Advance(1000));
    desktop.Click(probe->m_hWnd, 1, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(desktop.Now(), 100u);
}

TEST(FrameworkLoop, InvalidationsCoalesceIntoOnePaint) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log, 0);
    const HWND hwnd = probe->m_hWnd;
    const auto before = desktop.PaintCount(hwnd);
    for (int i = 0; i < 40; ++i) {
        const CRect r{i * 5, i * 3, i * 5 + 4, i * 3 + 2};
        probe->InvalidateRect(&r, FALSE);
    }
    CRect all;
    probe->GetClientRect(&all);
    probe->InvalidateRect(&all, FALSE);
    probe->InvalidateRect(nullptr);
    EXPECT_EQ(desktop.PaintCount(hwnd), before) << "nothing is painted before the loop runs";
    EXPECT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), before + 1);
    EXPECT_EQ(log, Log{"paint@0"});

    // UpdateWindow paints at once, and only when something is invalid.
    log.clear();
    probe->UpdateWindow();
    EXPECT_TRUE(log.empty());
    probe->Invalidate();
    probe->UpdateWindow();
    EXPECT_EQ(log, Log{"paint@0"});
    EXPECT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), before + 2);

    // Invalidating outside the client area, or a hidden window, paints nothing.
    const CRect outside{1000, 1000, 1100, 1100};
    probe->InvalidateRect(&outside);
    probe->ShowWindow(SW_HIDE);
    probe->Invalidate();
    EXPECT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), before + 2);
    // Showing it again repaints it whole.
    EXPECT_FALSE(probe->ShowWindow(SW_SHOWNA));
    EXPECT_TRUE(probe->ShowWindow(SW_SHOW));
    EXPECT_TRUE(desktop.RunPending());
    EXPECT_EQ(desktop.PaintCount(hwnd), before + 3);
}

TEST(FrameworkTimers, RestartKillRepeatAndSameTimeOrder) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log, 0);
    const HWND hwnd = probe->m_hWnd;

    // Setting a running timer again restarts its countdown with the new period.
    EXPECT_EQ(probe->SetTimer(1, 1000), 1u);
    EXPECT_TRUE(desktop.Advance(600));
    probe->SetTimer(1, 500);
    EXPECT_EQ(desktop.TimerDue(hwnd, 1), 1100u);
    EXPECT_TRUE(desktop.Advance(499));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(desktop.Advance(1)) << "a tick due at the end fires within the call";
    EXPECT_EQ(log, Log{"timer1@1100"});
    EXPECT_EQ(desktop.Now(), 1100u);

    // Repeating ticks fall on exact multiples of the period, however time is cut up.
    log.clear();
    EXPECT_TRUE(desktop.Advance(333));
    EXPECT_TRUE(desktop.Advance(1));
    EXPECT_TRUE(desktop.Advance(1166));
    EXPECT_EQ(log, (Log{"timer1@1600", "timer1@2100", "timer1@2600"}));

    // Killing stops it; killing it again reports there was nothing.
    log.clear();
    EXPECT_TRUE(probe->KillTimer(1));
    EXPECT_FALSE(probe->KillTimer(1));
    EXPECT_TRUE(desktop.RunningTimers(hwnd).empty());
    EXPECT_EQ(desktop.TimerDue(hwnd, 1), 0u);
    EXPECT_TRUE(desktop.Advance(5000));
    EXPECT_TRUE(log.empty());

    // Timers due together tick in the order they were set, whatever their ids: in real time
    // the one set first is due a little earlier.
    probe->SetTimer(7, 500);
    probe->SetTimer(3, 250);
    probe->SetTimer(5, 500);
    EXPECT_EQ(desktop.RunningTimers(hwnd), (std::vector<UINT_PTR>{3, 5, 7}));
    EXPECT_TRUE(desktop.Advance(500));
    EXPECT_EQ(log, (Log{"timer3@7850", "timer7@8100", "timer3@8100", "timer5@8100"}));

    // They die with their window.
    probe->DestroyWindow();
    EXPECT_TRUE(desktop.RunningTimers(hwnd).empty());
    log.clear();
    EXPECT_TRUE(desktop.Advance(5000));
    EXPECT_TRUE(log.empty());
}

TEST(FrameworkTimers, StopEndsTheRunningAdvanceAfterTheHandler) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log, 0);
    probe->SetTimer(4, 300);
    probe->SetTimer(9, 700);
    probe->stopOnTick = 9;
    EXPECT_TRUE(desktop.Advance(10'000));
    EXPECT_EQ(desktop.Now(), 700u) << "time stays at the stopping tick";
    EXPECT_EQ(log, (Log{"timer4@300", "timer4@600", "timer9@700"}));
    probe->stopOnTick = 0;
    log.clear();
    EXPECT_TRUE(desktop.Advance(300));
    EXPECT_EQ(log, Log{"timer4@900"});
    desktop.Stop();  // outside a run: no effect on the next one
    log.clear();
    EXPECT_TRUE(desktop.Advance(300));
    EXPECT_EQ(log, Log{"timer4@1200"});
}

TEST(FrameworkModal, BoxRunsPaintsAndTicksAndDropsInputToItsOwner) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log);
    const HWND hwnd = probe->m_hWnd;
    probe->SetTimer(6, 1000);
    probe->boxOnTick = 6;
    std::vector<sim::BoxRecord> observed;
    desktop.onBox = [&](const sim::BoxRecord& box) { observed.push_back(box); };
    int asked = 0;
    desktop.SetResponder([&](const sim::Modal& modal) {
        ++asked;
        EXPECT_EQ(modal.kind, sim::Modal::Kind::MessageBox);
        EXPECT_EQ(modal.owner, hwnd);
        EXPECT_EQ(modal.type, MB_YESNO);
        EXPECT_EQ(desktop.OpenModals(), 1);
        EXPECT_FALSE(desktop.Window(hwnd)->enabled);
        EXPECT_EQ(log, (Log{"timer6@1000"})) << "nothing else was due when the box opened";
        // The user clicks the board and chooses a command: the box is in the way.
        desktop.Click(hwnd, 10, 10);
        desktop.ChooseMenu(hwnd, ID_GAME_NEW);
        desktop.Close(hwnd);
        // Meanwhile the window is uncovered and time passes.
        desktop.Expose(hwnd);
        EXPECT_TRUE(desktop.Advance(2500));
        return IDNO;
    });
    EXPECT_TRUE(desktop.Advance(1000));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(log,
              (Log{"timer6@1000", "paint@1000", "timer6@2000", "timer6@3000", "answer7@3500"}));
    EXPECT_TRUE(desktop.Window(hwnd)->enabled);
    EXPECT_EQ(desktop.OpenModals(), 0);
    ASSERT_EQ(desktop.Boxes().size(), 1u);
    EXPECT_EQ(desktop.Boxes()[0].time, 1000u);
    EXPECT_EQ(desktop.Boxes()[0].caption, "caption");
    EXPECT_EQ(desktop.Boxes()[0].text, "text");
    ASSERT_EQ(observed.size(), 1u);
    EXPECT_EQ(observed[0].type, MB_YESNO);

    // Once the box is gone the owner takes input again.
    log.clear();
    desktop.Click(hwnd, 10, 20);
    EXPECT_EQ(log, Log{"click1:10,20@3500"});
}

TEST(FrameworkModal, NestedBoxesDefaultsAndPendingQuit) {
    Log log;
    TestApp app;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log);
    const HWND hwnd = probe->m_hWnd;

    // With no responder each box gets its default button; a null caption is the app's name.
    desktop.ChooseMenu(hwnd, ID_GAME_SETTINGS);
    EXPECT_EQ(log, Log{"answer1@0"});
    ASSERT_EQ(desktop.Boxes().size(), 1u);
    EXPECT_EQ(desktop.Boxes()[0].caption, "test");
    EXPECT_EQ(desktop.Boxes()[0].type, MB_OKCANCEL);

    // A box opened by a tick inside another box: both owners' states come back as they were.
    log.clear();
    probe->SetTimer(6, 100);
    probe->boxOnTick = 6;
    std::vector<int> depths;
    desktop.SetResponder([&](const sim::Modal& modal) {
        depths.push_back(desktop.OpenModals());
        if (modal.type == MB_OKCANCEL) {
            desktop.Advance(100);
            EXPECT_FALSE(desktop.Window(hwnd)->enabled) << "the outer box still holds it";
            return IDCANCEL;
        }
        return IDYES;
    });
    desktop.ChooseMenu(hwnd, ID_GAME_SETTINGS);
    EXPECT_EQ(depths, (std::vector<int>{1, 2}));
    EXPECT_EQ(log, (Log{"timer6@100", "answer6@100", "answer2@100"}));
    EXPECT_TRUE(desktop.Window(hwnd)->enabled);
    probe->KillTimer(6);

    // A quit posted while a box is open is left for the outermost loop; the box ends with IDOK,
    // whatever the user meant to press, as a box that meets the quit does under Wine.
    log.clear();
    desktop.SetResponder([&](const sim::Modal&) {
        depths.push_back(desktop.OpenModals());
        PostQuitMessage(4);
        EXPECT_FALSE(desktop.Advance(100));
        EXPECT_FALSE(desktop.Quit());
        return IDNO;
    });
    depths.clear();
    EXPECT_EQ(probe->MessageBox("quit?", "quit", MB_YESNO), IDOK);
    EXPECT_EQ(depths, std::vector<int>{1});
    EXPECT_FALSE(desktop.Quit());
    // Another box opened before the loop sees the quit ends at once, unasked.
    EXPECT_EQ(probe->MessageBox("late", "late", MB_YESNO), IDOK);
    EXPECT_EQ(depths, std::vector<int>{1});
    EXPECT_FALSE(desktop.RunPending());
    EXPECT_TRUE(desktop.Quit());
    EXPECT_EQ(desktop.QuitCode(), 4);
    EXPECT_EQ(desktop.Now(), 100u) << "time stood still once the quit was posted";
}

class Settings : public CDialog {
  public:
    explicit Settings(UINT id = IDD_SETTINGS) : CDialog(id) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        CheckRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE, IDC_HUMANS_1);
        CheckDlgButton(IDC_COMPUTER_02, BST_CHECKED);
        return FALSE;
    }
    void OnOK() override {
        ++okPresses;
        humans = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
        computer01 = IsDlgButtonChecked(IDC_COMPUTER_01);
        computer02 = IsDlgButtonChecked(IDC_COMPUTER_02);
        battle = IsDlgButtonChecked(IDC_BATTLE_MODE);
        if (!refuse) {
            EndDialog(IDOK);
        }
    }
    void OnCancel() override {
        ++cancels;
        CDialog::OnCancel();
    }
    bool refuse = false;
    int okPresses = 0;
    int cancels = 0;
    int humans = -1;
    UINT computer01 = 9;
    UINT computer02 = 9;
    UINT battle = 9;
};

TEST(FrameworkModal, DialogControlsWorkAsAUserWorksThem) {
    Log log;
    TestApp app;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log);
    app.m_pMainWnd = probe;
    const HWND hwnd = probe->m_hWnd;

    Settings dialog;
    int asked = 0;
    desktop.SetResponder([&](const sim::Modal& modal) {
        ++asked;
        EXPECT_EQ(modal.kind, sim::Modal::Kind::Dialog);
        EXPECT_EQ(modal.templateId, static_cast<UINT>(IDD_SETTINGS));
        EXPECT_EQ(modal.dialog, &dialog);
        EXPECT_EQ(modal.owner, hwnd) << "the main window owns a dialog given no parent";
        EXPECT_FALSE(desktop.Window(hwnd)->enabled);
        const sim::WindowInfo* box = desktop.Window(dialog.m_hWnd);
        EXPECT_TRUE(box != nullptr && box->visible && box->caption == "人数・ｺﾝﾋﾟｭｰﾀｰ設定");
        desktop.Click(hwnd, 5, 5);
        EXPECT_EQ(modal.ButtonState(IDC_HUMANS_1), BST_CHECKED);
        EXPECT_EQ(modal.ButtonState(IDC_HUMANS_2), BST_UNCHECKED);
        modal.ClickRadioButton(IDC_HUMANS_NONE);  // past the group box, still the same group
        EXPECT_EQ(modal.ButtonState(IDC_HUMANS_1), BST_UNCHECKED);
        EXPECT_EQ(modal.ButtonState(IDC_HUMANS_NONE), BST_CHECKED);
        modal.ClickCheckBox(IDC_COMPUTER_01);
        modal.ClickCheckBox(IDC_COMPUTER_02);
        EXPECT_FALSE(modal.ControlEnabled(IDC_BATTLE_MODE));
        modal.ClickCheckBox(IDC_BATTLE_MODE);
        modal.ClickCheckBox(IDC_HUMANS_1);  // not a check box: nothing happens
        EXPECT_EQ(modal.ButtonState(IDC_HUMANS_1), BST_UNCHECKED);
        return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dialog.humans, IDC_HUMANS_NONE);
    EXPECT_EQ(dialog.computer01, BST_CHECKED);
    EXPECT_EQ(dialog.computer02, BST_UNCHECKED);
    EXPECT_EQ(dialog.battle, BST_UNCHECKED);
    EXPECT_TRUE(log.empty()) << "the click on the owner was dropped";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(desktop.Windows().size(), 1u) << "the dialog's window is gone";
    EXPECT_TRUE(desktop.Window(hwnd)->enabled);

    // An OK the dialog refuses is pressed again a few times, then the user gives up.
    Settings stubborn;
    stubborn.refuse = true;
    desktop.SetResponder([](const sim::Modal&) { return IDOK; });
    EXPECT_EQ(stubborn.DoModal(), IDCANCEL);
    EXPECT_GT(stubborn.okPresses, 1);
    EXPECT_LT(stubborn.okPresses, 10);

    // Without a responder the dialog is cancelled through its OnCancel.
    desktop.SetResponder(nullptr);
    Settings cancelled;
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.cancels, 1);
    EXPECT_EQ(cancelled.okPresses, 0);

    // A template the script lacks cannot be shown.
    Settings missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(desktop.OpenModals(), 0);
    app.m_pMainWnd = nullptr;
}

TEST(FrameworkInput, ClicksMenusMusicAndDefaultHandling) {
    Log log;
    sim::Desktop desktop;
    Probe* probe = OpenProbe(desktop, log);
    const HWND hwnd = probe->m_hWnd;

    // The click's point arrives as the handler's CPoint, negative coordinates included.
    desktop.Click(hwnd, -3, 417);
    EXPECT_EQ(log, Log{"click1:-3,417@0"});

    // Grayed, missing and popup items cannot be chosen; a mapped command reaches its handler.
    log.clear();
    desktop.ChooseMenu(hwnd, ID_GAME_MUSIC);
    desktop.ChooseMenu(hwnd, 9999);
    desktop.ChooseMenu(hwnd, 0);
    EXPECT_TRUE(log.empty());
    desktop.ChooseMenu(hwnd, ID_GAME_EXIT);  // in the menu, not in the map: nothing happens
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(desktop.Quit());

    // The music's end reaches the window named by the last "play ... notify".
    mciSendStringA("open x.mid", nullptr, 0, nullptr);
    mciSendStringA("play x.mid notify", nullptr, 0, hwnd);
    desktop.EndMusic(4);
    EXPECT_EQ(log, Log{"music4:1@0"});
    ASSERT_EQ(desktop.Music().size(), 2u);
    EXPECT_EQ(desktop.Music()[1].callback, hwnd);
    sndPlaySoundA("open.wav", SND_ASYNC);
    ASSERT_EQ(desktop.Sounds().size(), 1u);
    EXPECT_EQ(desktop.Sounds()[0].name, "open.wav");

    // Hidden windows take no clicks.
    log.clear();
    probe->ShowWindow(SW_HIDE);
    desktop.Click(hwnd, 1, 1);
    EXPECT_TRUE(log.empty());

    // A window with no close handler is destroyed by the default handling of WM_CLOSE.
    probe->ShowWindow(SW_SHOWNORMAL);
    desktop.Close(hwnd);
    EXPECT_EQ(log, Log{"destroy probe"});
    EXPECT_EQ(desktop.Window(hwnd), nullptr);
    EXPECT_FALSE(desktop.Quit()) << "it was not the main window";
}

// A window with an empty message map: every message gets the default handling.
class Plain : public CFrameWnd {};

TEST(FrameworkInput, UnmappedPaintIsValidatedByDefault) {
    sim::Desktop desktop;
    auto* plain = new Plain;
    ASSERT_TRUE(plain->Create(nullptr, "plain", WS_OVERLAPPED | WS_VISIBLE));
    EXPECT_TRUE(desktop.RunPending()) << "no endless stream of paints";
    EXPECT_EQ(desktop.PaintCount(plain->m_hWnd), 1u);
    EXPECT_EQ(desktop.PixelAt(plain->m_hWnd, 3, 3).kind, sim::Pixel::Kind::Background);
}

TEST(FrameworkWindows, DestroyingAnOwnerTakesItsPopupFirstAndClosingMainQuits) {
    Log log;
    TestApp app;
    sim::Desktop desktop;
    int deleted = 0;
    Probe* owner = OpenProbe(desktop, log, IDR_MAINMENU, &deleted);
    owner->name = "owner";
    Probe* popup = OpenProbe(desktop, log, 0, &deleted, owner);
    popup->name = "popup";
    const HWND ownerHwnd = owner->m_hWnd;
    const HWND popupHwnd = popup->m_hWnd;
    popup->SetTimer(1, 100);
    ASSERT_EQ(desktop.Window(popupHwnd)->owner, ownerHwnd);

    EXPECT_TRUE(owner->DestroyWindow());
    EXPECT_EQ(log, (Log{"destroy popup", "destroy owner"}));
    EXPECT_EQ(deleted, 2) << "frames delete themselves";
    EXPECT_EQ(desktop.Window(ownerHwnd), nullptr);
    EXPECT_EQ(desktop.Window(popupHwnd), nullptr);
    EXPECT_TRUE(desktop.Windows().empty());
    EXPECT_TRUE(desktop.Menu(ownerHwnd).empty());
    EXPECT_FALSE(desktop.Quit());
    EXPECT_TRUE(desktop.Advance(1000)) << "no main window: nothing quits";

    // The main window's close box ends the run with code 0.
    log.clear();
    Probe* mainFrame = OpenProbe(desktop, log, IDR_MAINMENU, &deleted);
    mainFrame->name = "main";
    app.m_pMainWnd = mainFrame;
    EXPECT_EQ(desktop.MainWindow(), mainFrame->m_hWnd);
    const HWND mainHwnd = mainFrame->m_hWnd;
    desktop.Close(mainHwnd);
    EXPECT_EQ(log, Log{"destroy main"});
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(desktop.Quit());
    EXPECT_EQ(desktop.QuitCode(), 0);
    EXPECT_FALSE(desktop.Advance(10));
}

TEST(FrameworkWindows, TheDesktopReclaimsWindowsLeftOpen) {
    Log log;
    int deleted = 0;
    {
        sim::Desktop desktop;
        Probe* owner = OpenProbe(desktop, log, IDR_MAINMENU, &deleted);
        OpenProbe(desktop, log, 0, &deleted, owner);
        OpenProbe(desktop, log, 0, &deleted);
    }
    EXPECT_EQ(deleted, 3);
}

class Runner : public CWinApp {
  public:
    BOOL InitInstance() override {
        frame = new TimedQuit;
        m_pMainWnd = frame;
        frame->Create(nullptr, "runner", WS_OVERLAPPED);
        frame->ShowWindow(m_nCmdShow);
        frame->SetTimer(1, 250);
        return TRUE;
    }
    class TimedQuit : public CFrameWnd {
      public:
        const AFX_MSGMAP* GetMessageMap() const override {
            static const AFX_MSGMAP_ENTRY entries[] = {ON_WM_TIMER<&TimedQuit::OnTimer>()};
            static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
            return &map;
        }
        void OnTimer(UINT_PTR) {
            if (++ticks == 4) {
                PostQuitMessage(9);
            }
        }
        int ticks = 0;
    };
    TimedQuit* frame = nullptr;
};

TEST(FrameworkWindows, StartAndRunPumpUntilTheQuitCode) {
    Runner app;
    sim::Desktop desktop;
    desktop.SetCalendarTime(1'000'000);
    EXPECT_STREQ(app.m_pszAppName, "shinkei");
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_TRUE(desktop.Start(app, SW_SHOWNA));
    EXPECT_EQ(app.m_nCmdShow, SW_SHOWNA);
    EXPECT_TRUE(desktop.Window(app.frame->m_hWnd)->visible);
    EXPECT_EQ(app.Run(), 9);
    EXPECT_EQ(app.frame->ticks, 4);
    EXPECT_EQ(desktop.Now(), 1000u);
    EXPECT_EQ(CTime::GetCurrentTime().GetTime(), 1'000'001);
}

TEST(FrameworkWindows, GeometryFollowsTheStyleWithClassicMetrics) {
    constexpr DWORD kBoardStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    sim::Desktop desktop;
    // The board's arithmetic: CW_USEDEFAULT plus the outer size, which must not overflow.
    CRect rect = CFrameWnd::rectDefault;
    rect.right = rect.left + 563;
    rect.bottom = rect.top + 479;
    auto* board = new Plain;
    ASSERT_TRUE(board->Create(nullptr, "board", kBoardStyle, rect, nullptr, IDR_MAINMENU));
    CRect window;
    CRect client;
    board->GetWindowRect(&window);
    board->GetClientRect(&client);
    EXPECT_EQ(window.Width(), 563);
    EXPECT_EQ(window.Height(), 479);
    EXPECT_EQ(client, (CRect{0, 0, 557, 435}));
    EXPECT_FALSE(board->IsWindowVisible()) << "hidden until shown";
    EXPECT_EQ(board->GetStyle(), kBoardStyle);
    board->ShowWindow(SW_SHOWNORMAL);
    EXPECT_EQ(board->GetStyle(), WS_VISIBLE | kBoardStyle);

    // A sizable popup without a menu; then moved and resized.
    auto* popup = new Plain;
    const DWORD popupStyle = WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    ASSERT_TRUE(popup->Create(nullptr, "popup", popupStyle, CRect{100, 50, 300, 150}, board));
    popup->GetWindowRect(&window);
    popup->GetClientRect(&client);
    EXPECT_EQ(window, (CRect{100, 50, 300, 150}));
    EXPECT_EQ(client, (CRect{0, 0, 192, 73}));
    popup->MoveWindow(10, 20, 108, 135);
    popup->GetWindowRect(&window);
    popup->GetClientRect(&client);
    EXPECT_EQ(window, (CRect{10, 20, 118, 155}));
    EXPECT_EQ(client, (CRect{0, 0, 100, 108}));

    // The default rectangle gives a default place and size; extreme rectangles do not overflow.
    auto* fallback = new Plain;
    ASSERT_TRUE(fallback->Create(nullptr, "default", WS_BORDER));
    fallback->GetWindowRect(&window);
    EXPECT_GT(window.Width(), 0);
    EXPECT_GT(window.Height(), 0);
    auto* huge = new Plain;
    const int kMax = std::numeric_limits<int>::max();
    ASSERT_TRUE(huge->Create(nullptr, "huge", WS_BORDER, CRect{kMax - 5, 0, CW_USEDEFAULT, 10}));
    huge->GetWindowRect(&window);
    EXPECT_LE(window.left, window.right);
    // An unregistered class name fails, as CreateWindow does.
    Plain unknown;
    EXPECT_FALSE(unknown.Create("NoSuchClass", "x"));

    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXFIXEDFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST(FrameworkWindows, RegisteredClassesCarryTheirIcon) {
    TestApp app;
    sim::Desktop desktop;
    const HICON icon = app.LoadIcon(IDI_APP);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(app.LoadIcon(IDB_SPADE), nullptr) << "a bitmap is not an icon";
    const HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    const char* name = AfxRegisterWndClass(0, app.LoadStandardCursor(IDC_ARROW), white, icon);
    EXPECT_STREQ(AfxRegisterWndClass(0, app.LoadStandardCursor(IDC_ARROW), white, icon), name);
    auto* frame = new Plain;
    ASSERT_TRUE(frame->Create(name, "with icon", WS_CAPTION));
    EXPECT_EQ(desktop.Window(frame->m_hWnd)->classIcon, icon);
    EXPECT_EQ(desktop.Window(frame->m_hWnd)->className, name);
    frame->SetWindowText("新しい題");
    EXPECT_EQ(frame->GetWindowText(), "新しい題");
    EXPECT_TRUE(DestroyIcon(icon));
}

}  // namespace
