#include "app/game_app.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/board_frame.h"
#include "app/sound.h"
#include "game/cards.h"

GameApp::GameApp() : CWinApp(nullptr) {
    // Before any window exists, and whatever the Sound item will say.
    PlayCue("open.wav");
    SeedRandom(static_cast<std::uint32_t>(CTime::GetCurrentTime().GetTime()));
}

GameApp::~GameApp() = default;

namespace {
// "/lang:en" anywhere on the command line asks for English; nothing else means anything.
bool AsksForEnglish(std::string_view commandLine) {
    constexpr std::string_view kEnglish = "/lang:en";
    for (std::size_t start = 0; start < commandLine.size();) {
        const std::size_t end =
            std::min(commandLine.find_first_of(" \t", start), commandLine.size());
        const std::string_view word = commandLine.substr(start, end - start);
        if (std::equal(
                word.begin(), word.end(), kEnglish.begin(), kEnglish.end(),
                [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
            return true;
        }
        start = end + 1;
    }
    return false;
}
}  // namespace

BOOL GameApp::InitInstance() {
    // Japanese is the game's own language, whatever the system's.
    SetResourceLanguage(AsksForEnglish(m_lpCmdLine != nullptr ? m_lpCmdLine : "")
                            ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                            : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
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
