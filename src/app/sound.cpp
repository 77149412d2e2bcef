#include "app/sound.h"

#include "app/board_frame.h"
#include "framework/afxwin.h"
#include "resource.h"

bool soundOn = false;

namespace {
constexpr const char* kMusicOpen = "open vormidal.mid";
constexpr const char* kMusicPlay = "play vormidal.mid notify";
constexpr const char* kMusicRewind = "seek vormidal.mid to start";
}  // namespace

void PlayCue(const char* fileName) {
    sndPlaySoundA(fileName, SND_ASYNC);
}

void StartMusic(CWnd& notifyWindow) {
    mciSendStringA(kMusicOpen, nullptr, 0, nullptr);
    mciSendStringA(kMusicPlay, nullptr, 0, notifyWindow.m_hWnd);
}

void RestartMusic(CWnd& notifyWindow) {
    mciSendStringA(kMusicRewind, nullptr, 0, nullptr);
    mciSendStringA(kMusicPlay, nullptr, 0, notifyWindow.m_hWnd);
}

void BoardFrame::ToggleSound() {
    // The check mark changes before the flag.
    if (soundOn) {
        mainMenu.CheckMenuItem(ID_GAME_SOUND, MF_BYCOMMAND | MF_UNCHECKED);
        soundOn = false;
    } else {
        mainMenu.CheckMenuItem(ID_GAME_SOUND, MF_BYCOMMAND | MF_CHECKED);
        soundOn = true;
    }
}

LRESULT BoardFrame::OnMusicNotify(WPARAM notifyCode, LPARAM) {
    // The piece starts again when it ended, was superseded or aborted, so the music loops for the
    // whole run. Not after a failure: a device that fails every play at once would otherwise
    // keep the game restarting it without end.
    if (notifyCode != MCI_NOTIFY_FAILURE) {
        RestartMusic(*this);
    }
    return 0;
}
