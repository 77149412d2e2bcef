// The program's entry point. Kept in its own file so that test programs, which bring their own
// main, link the rest of the framework without it.
#include "framework/win32/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->m_nCmdShow = showCommand;
    app->m_lpCmdLine = commandLine;
    if (!app->InitInstance()) {
        return 1;  // the program could not start
    }
    return app->Run();
}
