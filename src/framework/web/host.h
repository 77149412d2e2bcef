// The browser host: a program on the simulated desktop, in real time, on a page. Time follows the
// page's clock; the player's input comes from the page's queue, taken only while the program
// waits; paints, sounds, music commands, windows, boxes and dialogs go to the page as they
// happen. Every call across to the page is declared in seam.h.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/sim/desktop.h"
#include "framework/web/json.h"

namespace web {

struct PageOptions {
    WindowNamer nameWindow;  // the names the page gives the top-level windows
    // Called with the desktop before the program starts, to watch it (a transcript).
    std::function<void(sim::Desktop&)> watch;
};

// Makes the application once the desktop is up (its constructor may already play a sound or
// read the clock, as the program's global object does at start), runs it with `commandLine`
// (what follows the program's name) until it quits, and tells the page it ended. Returns the
// quit code, or 1 when the program could not start.
using ApplicationMaker = std::function<std::unique_ptr<CWinApp>()>;
int RunOnPage(const ApplicationMaker& makeApplication, const std::string& commandLine,
              const PageOptions& options);

// Whether the page keeps a transcript of the session, and one line of it.
bool PageWantsTranscript();
void SendTranscriptLine(const std::string& line);

}  // namespace web
