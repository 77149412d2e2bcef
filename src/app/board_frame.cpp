#include "app/board_frame.h"

#include "ai/computer_player.h"
#include "app/sound.h"
#include "game/score_frame.h"
#include "resource.h"

namespace {
// No sizing border and no maximize box: the board has one size.
constexpr DWORD kBoardStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidth = 562;
constexpr int kClientHeight = 440;
}  // namespace

BoardFrame::BoardFrame() {
    soundOn = true;
    humanCount = 1;
    computerFlags = 0;
    computerCount = 0;
    computerMoveAllowed = 1;

    CRect rect = rectDefault;
    inputEnabled = 0;
    // One border width and two caption heights: the second stands in for the menu bar.
    rect.right = rect.left + GetSystemMetrics(SM_CXBORDER) + kClientWidth;
    rect.bottom = rect.top + 2 * GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) +
                  kClientHeight;

    CWinApp* app = AfxGetApp();
    appIcon = app->LoadIcon(IDI_APP);
    const char* className =
        AfxRegisterWndClass(0, app->LoadStandardCursor(IDC_ARROW),
                            static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), appIcon);
    const std::string caption = AfxLoadString(IDS_BOARD_CAPTION);
    if (!Create(className, caption.c_str(), kBoardStyle, rect, nullptr, IDR_MAINMENU, 0)) {
        return;  // no window: the application gives up before making anything else
    }
    mainMenu.Attach(GetMenu());

    scoreFrame = new ScoreFrame(this);
    currentPlayer = scoreFrame->SetupOrder(1, 0, 0);
    inputEnabled = 1;

    for (std::size_t i = 0; i < computerPlayers.size(); ++i) {
        computerPlayers[i] = std::make_unique<ComputerPlayer>(this, kComputerPersonalities[i]);
        computerPlayers[i]->Reset();
    }
}

BoardFrame::~BoardFrame() {
    DestroyIcon(appIcon);
    board.reset();
    for (auto& player : computerPlayers) {
        player.reset();
    }
    // The menu belongs to the window and goes with it.
    mainMenu.Detach();
}

const AFX_MSGMAP* BoardFrame::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_WM_PAINT<&BoardFrame::OnPaint>(),
        ON_WM_LBUTTONDOWN<&BoardFrame::OnLButtonDown>(),
        ON_WM_KEYDOWN<&BoardFrame::OnKeyDown>(),
        ON_WM_TIMER<&BoardFrame::OnTimer>(),
        ON_COMMAND<ID_GAME_NEW, &BoardFrame::NewGame>(),
        ON_COMMAND<ID_GAME_EXIT, &BoardFrame::ExitGame>(),
        ON_COMMAND<ID_HELP_VERSION, &BoardFrame::ShowVersion>(),
        ON_COMMAND<ID_GAME_SOUND, &BoardFrame::ToggleSound>(),
        ON_COMMAND<ID_GAME_SETTINGS, &BoardFrame::ChangeSettings>(),
        ON_MESSAGE<MM_MCINOTIFY, &BoardFrame::OnMusicNotify>(),
    };
    static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
    return &map;
}

void BoardFrame::ExitGame() {
    PostQuitMessage(0);
}
