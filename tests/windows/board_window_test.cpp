// The board window as the program creates it, read back through the Windows API.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <vector>

#include "app/board_frame.h"
#include "app/game_app.h"
#include "game/score_frame.h"
#include "resource.h"
#include "support.h"

// After <windows.h>, which support.h brings: the reader's interfaces build on it.
#include <oleacc.h>

#include "accessible_name.h"

using testing_support::DrainMessages;
using testing_support::RunWithWatchdog;
using testing_support::WindowTextW;

namespace {

constexpr DWORD kBoardStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

class BoardWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        app_ = std::make_unique<GameApp>();
        app_->m_lpCmdLine = commandLine_;
        ASSERT_EQ(app_->InitInstance(), TRUE);
        frame_ = dynamic_cast<BoardFrame*>(app_->m_pMainWnd);
        ASSERT_NE(frame_, nullptr) << "InitInstance made no BoardFrame the main window";
        hwnd_ = frame_->m_hWnd;
        ASSERT_TRUE(::IsWindow(hwnd_));
    }

    void TearDown() override {
        if (::IsWindow(hwnd_)) {
            ::DestroyWindow(hwnd_);
        }
        DrainMessages();
        app_.reset();
    }

    const char* commandLine_ = "";
    std::unique_ptr<GameApp> app_;
    BoardFrame* frame_ = nullptr;
    HWND hwnd_ = nullptr;
};

TEST_F(BoardWindow, HasCaptionSystemMenuAndMinimizeBoxOnly) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
    // Windows adds the visibility and sibling clipping itself; everything else is ours.
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS), kBoardStyle)
        << std::hex << "style 0x" << style;
    EXPECT_TRUE(style & WS_VISIBLE) << "InitInstance shows the board window";
    EXPECT_EQ(frame_->GetStyle(), style);
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u) << std::hex << exStyle;
    EXPECT_EQ(::GetParent(hwnd_), nullptr);
}

TEST_F(BoardWindow, OuterSizeIsOneBorderAndTwoCaptionHeightsAroundTheBoard) {
    RECT r{};
    ASSERT_TRUE(::GetWindowRect(hwnd_, &r));
    EXPECT_EQ(r.right - r.left, 562 + ::GetSystemMetrics(SM_CXBORDER));
    EXPECT_EQ(r.bottom - r.top,
              440 + 2 * ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYBORDER));
    CRect viaFramework;
    frame_->GetWindowRect(&viaFramework);
    EXPECT_EQ(viaFramework, (CRect{r.left, r.top, r.right, r.bottom}));
}

TEST_F(BoardWindow, ClientAreaHoldsAllCardsBelowAOneLineMenuBar) {
    RECT outer{};
    RECT client{};
    ASSERT_TRUE(::GetWindowRect(hwnd_, &outer));
    ASSERT_TRUE(::GetClientRect(hwnd_, &client));
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, kBoardStyle, TRUE, 0);
    EXPECT_EQ(client.right, (outer.right - outer.left) - (frame.right - frame.left));
    EXPECT_EQ(client.bottom, (outer.bottom - outer.top) - (frame.bottom - frame.top));
    // The last card column ends at x = 539 and the last row at y = 419.
    EXPECT_GE(client.right, 540);
    EXPECT_GE(client.bottom, 420);
    CRect viaFramework;
    frame_->GetClientRect(&viaFramework);
    EXPECT_EQ(viaFramework, (CRect{0, 0, client.right, client.bottom}));
}

TEST_F(BoardWindow, CaptionIsTheTitleWithItsReadingAndTheEdition) {
    EXPECT_EQ(WindowTextW(hwnd_), L"神経衰弱 (しんけいすいじゃく）\u3000ポロネコ用特別仕様");
    EXPECT_EQ(frame_->GetWindowText(), "神経衰弱 (しんけいすいじゃく）　ポロネコ用特別仕様");
}

TEST_F(BoardWindow, ClassHasArrowCursorWhiteBackgroundAndTheAppIcon) {
    EXPECT_EQ(::GetClassLongPtrW(hwnd_, GCL_STYLE), 0);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(::GetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND)),
              ::GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(hwnd_, GCLP_HCURSOR)),
              ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    ASSERT_NE(frame_->appIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd_, GCLP_HICON)), frame_->appIcon);
    wchar_t className[64] = {};
    ::GetClassNameW(hwnd_, className, 64);
    EXPECT_EQ(std::wstring(className).rfind(L"Afx:shinkei:", 0), 0u) << className;
}

struct ExpectedItem {
    UINT id;  // 0: a separator
    const wchar_t* label;
    UINT state;  // MFS_CHECKED, MF_GRAYED
};

const ExpectedItem kGameItems[] = {
    {ID_GAME_SETTINGS, L"人数・ｺﾝﾋﾟｭｰﾀｰ設定(&C)...", 0},
    {ID_GAME_SOUND, L"サウンド(&S)", MFS_CHECKED},
    {ID_GAME_MUSIC, L"&BGMの変更...", MF_GRAYED},
    {0, nullptr, 0},
    {ID_GAME_NEW, L"ニューゲーム(&R)", 0},
    {ID_GAME_TRICK, L"裏技(&Z)...", MF_GRAYED},
    {ID_GAME_EXIT, L"ﾎﾟｰﾛﾈｰｺ!!!(&E)", 0},
};
const ExpectedItem kOtherItems[] = {
    {ID_OTHER_MYSTERY, L"謎のコマンド(&X)...", MF_GRAYED},
    {ID_HELP_VERSION, L"バージョン(&V)...", 0},
};

void ExpectPopup(HMENU bar, int position, const wchar_t* title,
                 std::span<const ExpectedItem> items) {
    SCOPED_TRACE(::testing::Message() << "popup " << position);
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 128;
    ASSERT_TRUE(::GetMenuItemInfoW(bar, static_cast<UINT>(position), TRUE, &info));
    EXPECT_EQ(std::wstring(text), title);
    const HMENU popup = info.hSubMenu;
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "item " << i);
        wchar_t label[128] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        item.dwTypeData = label;
        item.cch = 128;
        ASSERT_TRUE(::GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &item));
        if (items[i].id == 0) {
            EXPECT_TRUE(item.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(item.fType & MFT_SEPARATOR);
        EXPECT_EQ(item.wID, items[i].id);
        EXPECT_EQ(std::wstring(label), items[i].label);
        EXPECT_EQ(item.fState & (MFS_CHECKED | MF_GRAYED), items[i].state);
    }
}

TEST_F(BoardWindow, MenuBarHasTheGameAndOtherPopups) {
    const HMENU bar = ::GetMenu(hwnd_);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(::GetMenuItemCount(bar), 2);
    ExpectPopup(bar, 0, L"ゲーム(&G)", kGameItems);
    ExpectPopup(bar, 1, L"その他(&O)", kOtherItems);
}

TEST_F(BoardWindow, FrameworkMenuSeesTheWindowsMenuStates) {
    ASSERT_EQ(frame_->mainMenu.m_hMenu, ::GetMenu(hwnd_));
    EXPECT_EQ(frame_->mainMenu.GetMenuState(ID_GAME_SOUND, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(frame_->mainMenu.GetMenuState(ID_GAME_TRICK, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(frame_->mainMenu.GetMenuState(ID_GAME_NEW, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED),
              0u);
    EXPECT_EQ(frame_->mainMenu.GetMenuState(12345, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(BoardWindow, SoundCommandTogglesTheCheckMark) {
    const HMENU bar = ::GetMenu(hwnd_);
    ::SendMessageW(hwnd_, WM_COMMAND, ID_GAME_SOUND, 0);
    EXPECT_EQ(::GetMenuState(bar, ID_GAME_SOUND, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ::SendMessageW(hwnd_, WM_COMMAND, ID_GAME_SOUND, 0);
    EXPECT_EQ(::GetMenuState(bar, ID_GAME_SOUND, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
}

TEST_F(BoardWindow, ExitCommandEndsTheMessageLoopWithCodeZero) {
    // A different code first proves the loop hands back what was posted.
    ::PostQuitMessage(3);
    EXPECT_EQ(RunWithWatchdog(*app_), 3);
    ::PostMessageW(hwnd_, WM_COMMAND, ID_GAME_EXIT, 0);
    EXPECT_EQ(RunWithWatchdog(*app_), 0);
    // The loop ends at once: the window is not closed first.
    EXPECT_TRUE(::IsWindow(hwnd_));
    EXPECT_EQ(app_->m_pMainWnd, frame_);
}

TEST_F(BoardWindow, ClosingTheBoardDestroysBothWindowsAndEndsTheLoop) {
    ASSERT_NE(frame_->scoreFrame, nullptr);
    const HWND score = frame_->scoreFrame->m_hWnd;
    ASSERT_TRUE(::IsWindow(score));
    EXPECT_EQ(::GetWindow(score, GW_OWNER), hwnd_);
    ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunWithWatchdog(*app_), 0);
    EXPECT_FALSE(::IsWindow(hwnd_));
    EXPECT_FALSE(::IsWindow(score));
    EXPECT_EQ(app_->m_pMainWnd, nullptr);
}

TEST_F(BoardWindow, ScoreWindowIsShownAboveTheBoardAtItsTopRight) {
    ASSERT_NE(frame_->scoreFrame, nullptr);
    const HWND score = frame_->scoreFrame->m_hWnd;
    EXPECT_TRUE(::IsWindowVisible(score));
    RECT board{};
    RECT scoreRect{};
    ::GetWindowRect(hwnd_, &board);
    ::GetWindowRect(score, &scoreRect);
    EXPECT_EQ(scoreRect.right, board.right);
    EXPECT_EQ(scoreRect.top, board.top);
    // Owned windows stay above their owner.
    bool above = false;
    for (HWND w = ::GetWindow(hwnd_, GW_HWNDPREV); w != nullptr; w = ::GetWindow(w, GW_HWNDPREV)) {
        above = above || w == score;
    }
    EXPECT_TRUE(above);
}

// What a screen reader finds through Windows' accessibility (the client's IAccessible): 54 cells
// named in the program's language, each change raised as an event a reader listens for.
struct ReaderWords {
    const char* commandLine;
    const wchar_t* firstCell;
    const wchar_t* secondCell;
    const wchar_t* firstPlace;
    const wchar_t* scoreLine;
};

void PrintTo(const ReaderWords& words, std::ostream* out) {
    *out << (*words.commandLine != 0 ? "English" : "Japanese");
}

struct HeardEvent {
    DWORD event;
    LONG object;
    LONG child;
    bool operator==(const HeardEvent&) const = default;
};
std::vector<HeardEvent> heardEvents;

void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    heardEvents.push_back({event, object, child});
}

class BoardReader : public BoardWindow, public ::testing::WithParamInterface<ReaderWords> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        commandLine_ = GetParam().commandLine;
        BoardWindow::SetUp();
    }
    void TearDown() override {
        BoardWindow::TearDown();
        ::CoUninitialize();
    }
};

TEST_P(BoardReader, FindsTheCellsByNameAndHearsTheirChanges) {
    const ReaderWords& words = GetParam();
    DrainMessages();  // the first paint deals the board
    IAccessible* client = nullptr;
    ASSERT_EQ(
        ::AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&client)),
        S_OK);
    ASSERT_NE(client, nullptr);
    LONG count = 0;
    ASSERT_EQ(client->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 54);
    EXPECT_EQ(NameOf(*client, 1), words.firstCell);
    EXPECT_EQ(NameOf(*client, 2), words.secondCell);
    VARIANT which{};
    which.vt = VT_I4;
    which.lVal = 54;
    VARIANT role{};
    ASSERT_EQ(client->get_accRole(which, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CELL);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(client->accLocation(&left, &top, &width, &height, which), S_OK);
    POINT corner{492, 356};  // the last card's top left in the client area
    ::ClientToScreen(hwnd_, &corner);
    EXPECT_EQ((std::array<LONG, 4>{left, top, width, height}),
              (std::array<LONG, 4>{corner.x, corner.y, 48, 64}));

    heardEvents.clear();
    const HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, HearEvent,
                          ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    ::SendMessageW(hwnd_, WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(hwnd_, WM_KEYDOWN, VK_LEFT, 0);
    ::SendMessageW(hwnd_, WM_KEYDOWN, VK_SPACE, 0);
    DrainMessages();
    ::UnhookWinEvent(hook);

    // The top-left card is up: its cell says which card, in the program's words, and so does
    // the client, which says each change.
    const std::wstring turned = NameOf(*client, 1);
    EXPECT_NE(turned, words.firstCell);
    EXPECT_TRUE(turned.ends_with(words.firstPlace)) << "turned: " << turned.size();
    EXPECT_EQ(turned, afx::win32::Widen(frame_->CellName(0, 0)));
    EXPECT_EQ(NameOf(*client, CHILDID_SELF), turned);
    const std::vector<HeardEvent> expected{
        {EVENT_OBJECT_FOCUS, OBJID_CLIENT, 2},
        {EVENT_OBJECT_FOCUS, OBJID_CLIENT, 1},
        {EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, 1},
        {EVENT_OBJECT_LIVEREGIONCHANGED, OBJID_CLIENT, CHILDID_SELF},
    };
    EXPECT_EQ(heardEvents, expected);
    client->Release();

    // The score window tells its lines.
    IAccessible* score = nullptr;
    ASSERT_EQ(
        ::AccessibleObjectFromWindow(frame_->scoreFrame->m_hWnd, static_cast<DWORD>(OBJID_CLIENT),
                                     __uuidof(IAccessible), reinterpret_cast<void**>(&score)),
        S_OK);
    EXPECT_EQ(score->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(NameOf(*score, 1), words.scoreLine);
    score->Release();
}

INSTANTIATE_TEST_SUITE_P(Languages, BoardReader,
                         ::testing::Values(ReaderWords{"", L"裏向き, 1列 1行", L"裏向き, 2列 1行",
                                                       L", 1列 1行", L"Player１: 0枚"},
                                           ReaderWords{"/lang:en", L"face down, column 1, row 1",
                                                       L"face down, column 2, row 1",
                                                       L", column 1, row 1",
                                                       L"Player 1: 0 cards"}));

}  // namespace
