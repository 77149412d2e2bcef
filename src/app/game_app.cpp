#include "app/game_app.h"

#include "app/board_frame.h"
#include "app/sound.h"
#include "game/cards.h"

GameApp::GameApp() : CWinApp(nullptr) {
    // Before any window exists, and whatever the Sound item will say.
    PlayCue("open.wav");
    SeedRandom(static_cast<std::uint32_t>(CTime::GetCurrentTime().GetTime()));
}

GameApp::~GameApp() = default;

BOOL GameApp::InitInstance() {
    if (!Enable3dControls()) {
        SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    }
    auto* frame = new BoardFrame;  // owned by its window from now on
    if (frame->m_hWnd == nullptr) {
        delete frame;  // nothing owns it: no window was made
        return FALSE;
    }
    m_pMainWnd = frame;
    frame->ShowWindow(m_nCmdShow);
    StartMusic(*frame);
    frame->UpdateWindow();  // the first paint deals the first board
    return TRUE;
}
