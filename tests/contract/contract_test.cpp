// The contract cases. Each expected sequence is a table, compared in order with what the probe
// window logged.
#include "contract.h"

#include <algorithm>
#include <string>

#include "resource.h"

namespace contract {

// --- The probe window and the sequence check -----------------------------------------------------

Probe* Probe::Open(Driver& driver) {
    auto* probe = new Probe;
    EXPECT_TRUE(probe->Create(nullptr, "probe", WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                              CRect{100, 100, 800, 600}, nullptr, IDR_MAINMENU));
    driver.RunUntilIdle();
    probe->log.clear();
    return probe;
}

const AFX_MSGMAP* Probe::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_WM_PAINT<&Probe::OnPaint>(),
        ON_WM_TIMER<&Probe::OnTimer>(),
        ON_WM_LBUTTONDOWN<&Probe::OnClick>(),
        ON_WM_KEYDOWN<&Probe::OnKey>(),
        ON_COMMAND<kCommandA, &Probe::OnCommandA>(),
        ON_COMMAND<kCommandB, &Probe::OnCommandB>(),
    };
    static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
    return &map;
}

void Probe::OnPaint() {
    CPaintDC dc(this);
    log.push_back({WM_PAINT, 0});
    if (onPaint) {
        onPaint(dc);
    }
}

void Probe::OnTimer(UINT_PTR id) {
    log.push_back({WM_TIMER, id});
    if (timersFireOnce) {
        KillTimer(id);
    }
    if (onTimer) {
        onTimer(id);
    }
}

void Probe::OnClick(UINT, CPoint) {
    log.push_back({WM_LBUTTONDOWN, 0});
}

void Probe::OnKey(UINT virtualKey, UINT, UINT) {
    log.push_back({WM_KEYDOWN, virtualKey});
}

void Probe::Command(UINT id) {
    log.push_back({WM_COMMAND, id});
    if (onCommand) {
        onCommand(id);
    }
}

namespace {
std::string Name(const Entry& e) {
    switch (e.message) {
        case WM_PAINT:
            return "WM_PAINT";
        case WM_TIMER:
            return "WM_TIMER " + std::to_string(e.wParam);
        case WM_LBUTTONDOWN:
            return "WM_LBUTTONDOWN";
        case WM_KEYDOWN:
            return "WM_KEYDOWN " + std::to_string(e.wParam);
        case WM_COMMAND:
            return "WM_COMMAND " + std::to_string(e.wParam);
        case kReturned:
            return "modal returned " + std::to_string(e.wParam);
        default:
            return "message " + std::to_string(e.message);
    }
}
}  // namespace

void ExpectSequence(const std::vector<Entry>& log, std::span<const Entry> expected) {
    const std::size_t n = std::max(log.size(), expected.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string got = i < log.size() ? Name(log[i]) : "nothing";
        const std::string want = i < expected.size() ? Name(expected[i]) : "nothing";
        if (got != want) {
            ADD_FAILURE() << "message " << i << ": expected " << want << ", got " << got;
            return;
        }
    }
}

// --- The cases -----------------------------------------------------------------------------------

namespace {

// A case's world: its driver, an application object, and the probe window.
class Contract : public ::testing::Test {
  protected:
    void SetUp() override { probe = Probe::Open(*driver); }
    void TearDown() override {
        if (probe != nullptr && probe->m_hWnd != nullptr) {
            probe->DestroyWindow();
        }
    }
    std::unique_ptr<Driver> driver = MakeDriver();
    CWinApp app{"contract"};
    Probe* probe = nullptr;
};

TEST_F(Contract, PostedAndInputBeforePaintAndPaintBeforeTimer) {
    // Input comes in the order it was given, the mouse's and the keyboard's alike.
    static const Entry kExpected[] = {{WM_COMMAND, kCommandA}, {WM_KEYDOWN, VK_RIGHT},
                                      {WM_LBUTTONDOWN, 0},     {WM_KEYDOWN, VK_SPACE},
                                      {WM_PAINT, 0},           {WM_TIMER, 1}};
    probe->SetTimer(1, 10);
    driver->Busy(30);  // the tick is due before anything else is queued
    probe->Invalidate();
    driver->PostKey(*probe, VK_RIGHT);
    driver->PostClick(*probe, 20, 20);
    driver->PostKey(*probe, VK_SPACE);
    driver->PostCommand(*probe, kCommandA);
    driver->RunUntilIdle();
    ExpectSequence(probe->log, kExpected);
}

TEST_F(Contract, InvalidationsCoalesceIntoOnePaint) {
    // Three invalidations, one paint after the command; then UpdateWindow paints at once, once.
    static const Entry kExpected[] = {{WM_COMMAND, kCommandA}, {WM_PAINT, 0}, {WM_PAINT, 0}};
    const CRect a{0, 0, 10, 10};
    const CRect b{200, 100, 250, 150};
    probe->InvalidateRect(&a, FALSE);
    probe->InvalidateRect(&b);
    probe->Invalidate();
    driver->PostCommand(*probe, kCommandA);
    driver->RunUntilIdle();
    probe->InvalidateRect(&a);
    probe->InvalidateRect(&b);
    probe->UpdateWindow();
    probe->UpdateWindow();
    driver->RunUntilIdle();
    ExpectSequence(probe->log, kExpected);
}

TEST_F(Contract, OverdueTimersFireInDueOrderAndAKilledTimersTickNeverArrives) {
    static const Entry kExpected[] = {{WM_TIMER, 7}, {WM_TIMER, 3}, {WM_TIMER, 9}};
    probe->SetTimer(9, 60);
    probe->SetTimer(7, 20);
    probe->SetTimer(5, 30);
    probe->SetTimer(3, 40);
    driver->Busy(100);  // all four are due
    probe->KillTimer(5);
    driver->RunUntilIdle();
    ExpectSequence(probe->log, kExpected);
    driver->Wait(100);
    ExpectSequence(probe->log, kExpected);
}

TEST_F(Contract, TimersDueTogetherFireInTheOrderTheyWereSet) {
    static const Entry kExpected[] = {{WM_TIMER, 7}, {WM_TIMER, 3}, {WM_TIMER, 5}};
    for (UINT_PTR id : {7, 3, 4, 5}) {
        probe->SetTimer(id, 20);
    }
    driver->Busy(40);
    probe->KillTimer(4);
    driver->RunUntilIdle();
    ExpectSequence(probe->log, kExpected);
}

TEST_F(Contract, ARepeatingTimerKeepsItsRhythmThroughSlowHandlers) {
    constexpr UINT kPeriod = 50;
    probe->timersFireOnce = false;
    std::vector<std::uint64_t> ticks;
    const std::uint64_t start = driver->NowMs();
    probe->onTimer = [&](UINT_PTR) {
        ticks.push_back(driver->NowMs() - start);
        driver->Busy(kPeriod / 2);  // a handler that takes half the period
    };
    probe->SetTimer(2, kPeriod);
    driver->Wait(5 * kPeriod + kPeriod / 4);
    probe->KillTimer(2);
    ASSERT_EQ(ticks.size(), 5u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const auto due = static_cast<std::int64_t>((i + 1) * kPeriod);
        EXPECT_LE(std::abs(static_cast<std::int64_t>(ticks[i]) - due), driver->ToleranceMs())
            << "tick " << i << " at " << ticks[i] << " ms";
    }
}

// What a modal opened from a command leaves in the log: paints and ticks go on, the owner's
// input is dropped, and the answer comes back.
struct ModalCase {
    const char* name;
    bool dialog;
    int button;
    int returned;
};
void PrintTo(const ModalCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsDialog : public CDialog {
  public:
    SettingsDialog() : CDialog(IDD_SETTINGS) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        CheckRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE, IDC_HUMANS_2);
        CheckDlgButton(IDC_COMPUTER_02, BST_CHECKED);
        radioAtInit = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
        return TRUE;
    }
    void OnOK() override {
        ok = true;
        radio = GetCheckedRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE);
        for (int id : {IDC_COMPUTER_01, IDC_COMPUTER_02, IDC_COMPUTER_04, IDC_COMPUTER_08}) {
            checks.push_back(IsDlgButtonChecked(id));
        }
        CDialog::OnOK();
    }
    void OnCancel() override {
        cancelled = true;
        CDialog::OnCancel();
    }
    int radioAtInit = 0;
    int radio = 0;
    std::vector<UINT> checks;
    bool ok = false;
    bool cancelled = false;
};

const ModalCase kModalCases[] = {
    {"MessageBox", false, IDNO, IDNO},
    {"DialogOk", true, IDOK, IDOK},
    {"DialogCancel", true, IDCANCEL, IDCANCEL},
};

class ContractModal : public Contract, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(ContractModal, RunsANestedLoopThatPaintsAndTicksWhileTheOwnerGetsNoInput) {
    const ModalCase& c = GetParam();
    const Entry expected[] = {{WM_COMMAND, kCommandA},
                              {WM_PAINT, 0},
                              {WM_TIMER, 4},
                              {kReturned, static_cast<WPARAM>(c.returned)}};
    SettingsDialog dialog;
    app.m_pMainWnd = probe;
    probe->onCommand = [&](UINT) {
        probe->SetTimer(4, 40);
        const INT_PTR result =
            c.dialog ? dialog.DoModal() : probe->MessageBox("text", "caption", MB_YESNO);
        probe->log.push_back({kReturned, static_cast<WPARAM>(result)});
    };
    BOOL ownerEnabled = TRUE;
    ModalAnswer answer;
    answer.button = c.button;
    answer.clicks = {IDC_HUMANS_3, IDC_COMPUTER_04, IDC_COMPUTER_02};
    answer.afterMs = 100;
    answer.whileOpen = [&] {
        ownerEnabled = probe->IsWindowEnabled();
        probe->Invalidate();
        driver->PostClick(*probe, 650, 420);  // a corner of the owner that the modal leaves bare
        driver->PostKey(*probe, VK_DOWN);     // the modal's to take: it moves between its buttons
    };
    driver->AnswerNextModal(answer);
    driver->PostCommand(*probe, kCommandA);
    driver->RunUntilIdle();
    driver->Wait(20);  // a click that was merely held back would arrive now
    ExpectSequence(probe->log, expected);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(probe->IsWindowEnabled());
    app.m_pMainWnd = nullptr;
    if (!c.dialog) {
        return;
    }
    // Initialisation, then the user's clicks, read back by OK.
    EXPECT_EQ(dialog.radioAtInit, IDC_HUMANS_2);
    EXPECT_EQ(dialog.ok, c.button == IDOK);
    EXPECT_EQ(dialog.cancelled, c.button == IDCANCEL);
    if (c.button == IDOK) {
        EXPECT_EQ(dialog.radio, IDC_HUMANS_3);
        EXPECT_EQ(dialog.checks,
                  (std::vector<UINT>{BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}));
    }
}

INSTANTIATE_TEST_SUITE_P(Contract, ContractModal, ::testing::ValuesIn(kModalCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A quit posted while a box or dialog is open ends that modal (with IDOK, whatever the user
// meant to press) and is left for the outermost loop.
class ContractQuit : public Contract, public ::testing::WithParamInterface<bool> {};

TEST_P(ContractQuit, PostedInsideAModalEndsOnlyTheOutermostLoop) {
    // The modal's loop still handles what was posted before the quit.
    static const Entry kExpected[] = {
        {WM_COMMAND, kCommandA}, {WM_COMMAND, kCommandB}, {kReturned, IDOK}};
    SettingsDialog dialog;
    probe->onCommand = [&](UINT id) {
        if (id == kCommandA) {
            const INT_PTR result =
                GetParam() ? dialog.DoModal() : probe->MessageBox("quit?", "caption", MB_YESNO);
            probe->log.push_back({kReturned, static_cast<WPARAM>(result)});
        }
    };
    ModalAnswer answer;
    answer.button = GetParam() ? IDCANCEL : IDNO;
    answer.afterMs = 50;
    answer.whileOpen = [&] {
        driver->PostCommand(*probe, kCommandB);
        PostQuitMessage(7);
    };
    driver->AnswerNextModal(answer);
    driver->PostCommand(*probe, kCommandA);
    driver->RunUntilIdle();
    ExpectSequence(probe->log, kExpected);
    EXPECT_EQ(driver->QuitCode(), 7);
    EXPECT_FALSE(dialog.ok || dialog.cancelled) << "neither button was pressed";
}

INSTANTIATE_TEST_SUITE_P(Contract, ContractQuit, ::testing::Bool(), [](const auto& testCase) {
    return testCase.param ? "Dialog" : "MessageBox";
});

TEST_F(Contract, MenuCheckMarksReadBack) {
    struct Step {
        UINT id;
        UINT check;
        UINT previous;
    };
    static const Step kSteps[] = {
        {ID_GAME_SOUND, MF_UNCHECKED, MF_CHECKED}, {ID_GAME_SOUND, MF_UNCHECKED, MF_UNCHECKED},
        {ID_GAME_SOUND, MF_CHECKED, MF_UNCHECKED}, {ID_GAME_NEW, MF_CHECKED, MF_UNCHECKED},
        {ID_GAME_NEW, MF_UNCHECKED, MF_CHECKED},   {12345, MF_CHECKED, static_cast<UINT>(-1)},
    };
    CMenu menu;
    ASSERT_TRUE(menu.Attach(probe->GetMenu()));
    for (const Step& s : kSteps) {
        EXPECT_EQ(menu.CheckMenuItem(s.id, MF_BYCOMMAND | s.check), s.previous) << s.id;
        const UINT state = menu.GetMenuState(s.id, MF_BYCOMMAND);
        EXPECT_EQ(state == static_cast<UINT>(-1) ? state : state & MF_CHECKED,
                  s.previous == static_cast<UINT>(-1) ? s.previous : s.check)
            << s.id;
    }
    EXPECT_EQ(menu.GetMenuState(ID_GAME_MUSIC, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    menu.Detach();
}

// Draws in the probe's paint and reads the screen back after it.
TEST_F(Contract, SelectObjectHandsBackWhatItReplacesAndPaintsLeaveNoObjects) {
    std::vector<const void*> created;
    bool painted = false;
    probe->onPaint = [&](CPaintDC& dc) {
        painted = true;
        CBitmap back;
        CBitmap spade;
        CBrush brush;
        CPen pen;
        ASSERT_TRUE(back.LoadBitmap(IDB_CARD_BACK));
        ASSERT_TRUE(spade.LoadBitmap(IDB_SPADE));
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(0, 0, 255)));
        ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(&dc));
        created = {back.m_hObject, spade.m_hObject, brush.m_hObject, pen.m_hObject, memory.m_hDC};
        CBitmap* original = memory.SelectObject(&back);
        ASSERT_NE(original, nullptr);
        EXPECT_NE(original, &back);
        EXPECT_EQ(memory.SelectObject(&spade), &back);
        CBrush* oldBrush = dc.SelectObject(&brush);
        CPen* oldPen = dc.SelectObject(&pen);
        ASSERT_NE(oldBrush, nullptr);
        ASSERT_NE(oldPen, nullptr);
        dc.Rectangle(10, 10, 30, 30);
        EXPECT_EQ(dc.SelectObject(oldBrush), &brush);
        EXPECT_EQ(dc.SelectObject(oldPen), &pen);
        EXPECT_EQ(memory.SelectObject(original), &spade);
    };
    probe->Invalidate();
    driver->RunUntilIdle();
    ASSERT_TRUE(painted);
    for (const void* handle : created) {
        EXPECT_FALSE(driver->ObjectAlive(handle)) << handle;
    }
    // The pen draws the rectangle's edge, the brush fills it.
    EXPECT_EQ(driver->ScreenColor(*probe, 10, 20), RGB(255, 0, 0));
    EXPECT_EQ(driver->ScreenColor(*probe, 29, 20), RGB(255, 0, 0));
    EXPECT_EQ(driver->ScreenColor(*probe, 20, 20), RGB(0, 0, 255));
    EXPECT_EQ(driver->ScreenColor(*probe, 30, 20), RGB(255, 255, 255)) << "right edge excluded";
}

TEST_F(Contract, AOneBitImageTakesTheTextAndBackgroundColours) {
    // The same symbol twice, the colours swapped: every pixel of one is the other's opposite.
    constexpr COLORREF kInk = RGB(255, 0, 0);
    constexpr COLORREF kGround = RGB(0, 128, 0);
    probe->onPaint = [&](CPaintDC& dc) {
        CBitmap spade;
        spade.LoadBitmap(IDB_SPADE);
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        CBitmap* original = memory.SelectObject(&spade);
        dc.SetTextColor(kInk);
        dc.SetBkColor(kGround);
        dc.BitBlt(0, 0, 32, 30, &memory, 8, 0, SRCCOPY);
        dc.SetTextColor(kGround);
        dc.SetBkColor(kInk);
        dc.BitBlt(40, 0, 32, 30, &memory, 8, 0, SRCCOPY);
        memory.SelectObject(original);
    };
    probe->Invalidate();
    driver->RunUntilIdle();
    int ink = 0;
    int ground = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 32; ++x) {
            const COLORREF left = driver->ScreenColor(*probe, x, y);
            const COLORREF right = driver->ScreenColor(*probe, 40 + x, y);
            ASSERT_TRUE(left == kInk || left == kGround) << x << "," << y << " " << left;
            ASSERT_EQ(right, left == kInk ? kGround : kInk) << x << "," << y;
            (left == kInk ? ink : ground) += 1;
        }
    }
    EXPECT_GT(ink, 100);
    EXPECT_GT(ground, 100);
}

// The focus rectangle inverts every other pixel of its one-pixel edge, whatever lies there, in a
// paint and through a client context alike; drawn again in the same place, it is gone.
TEST_F(Contract, AFocusRectangleInvertsDotsOfItsEdgeAndASecondOneTakesItAway) {
    constexpr COLORREF kRed = RGB(255, 0, 0);
    constexpr COLORREF kWhite = RGB(255, 255, 255);
    const CRect red{20, 20, 60, 50};
    const CRect focus{10, 15, 41, 36};  // half over the red, half over the white ground
    probe->onPaint = [&](CPaintDC& dc) {
        CBrush brush;
        CPen pen;
        brush.CreateSolidBrush(kRed);
        pen.CreatePen(PS_SOLID, 1, kRed);
        CBrush* oldBrush = dc.SelectObject(&brush);
        CPen* oldPen = dc.SelectObject(&pen);
        dc.Rectangle(red.left, red.top, red.right, red.bottom);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
        dc.DrawFocusRect(&focus);
    };
    probe->Invalidate();
    driver->RunUntilIdle();
    auto ground = [&](int x, int y) { return red.PtInRect({x, y}) ? kRed : kWhite; };
    auto expectScreen = [&](bool shown, const char* when) {
        int dots = 0;
        for (int y = 5; y < 60; ++y) {
            for (int x = 5; x < 70; ++x) {
                const bool edge =
                    focus.PtInRect({x, y}) && (x == focus.left || x == focus.right - 1 ||
                                               y == focus.top || y == focus.bottom - 1);
                const bool dot = shown && edge && (x + y) % 2 == 1;
                dots += dot ? 1 : 0;
                ASSERT_EQ(driver->ScreenColor(*probe, x, y),
                          dot ? ground(x, y) ^ kWhite : ground(x, y))
                    << when << ": " << x << "," << y;
            }
        }
        EXPECT_EQ(dots, shown ? 50 : 0) << when;
    };
    expectScreen(true, "drawn in the paint");
    {
        CClientDC dc(probe);
        dc.DrawFocusRect(&focus);
    }
    driver->RunUntilIdle();
    expectScreen(false, "drawn again through a client context");
}

}  // namespace
}  // namespace contract
