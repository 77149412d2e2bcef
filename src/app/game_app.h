// The application: plays the start-up sound, seeds the generator, opens the board window.
#pragma once

#include "framework/afxwin.h"

class GameApp : public CWinApp {
  public:
    GameApp();
    ~GameApp() override;
    BOOL InitInstance() override;
};
