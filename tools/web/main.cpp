// The browser's front end: the game on the browser host, with the session's transcript (as the
// headless simulator writes it) when the page keeps one.
//   main [/lang:en] [--handle-generation N]
// The arguments are the program's command line, except --handle-generation, which starts the
// desktop's handles past N, as in a page that has run a long while.
#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_app.h"
#include "framework/sim/handle_table.h"
#include "framework/web/host.h"
#include "transcript.h"

namespace {

void Line(const std::string& text) {
    web::SendTranscriptLine(text);
}

// The page's names for the game's windows: the board and its score window.
std::string NameWindow(const sim::WindowInfo&, bool isMain) {
    return isMain ? "board" : "score";
}

void WatchForTranscript(sim::Desktop& desktop) {
    static transcript::Observer observer{Line};
    SetGameObserver(&observer);
    desktop.onBox = [](const sim::BoxRecord& box) {
        Line(transcript::Box(box.type, box.caption, box.text));
    };
    desktop.onSound = [](const sim::SoundRecord& sound) { Line(transcript::Sound(sound.name)); };
    desktop.onQuit = [](int code) { Line(transcript::Quit(code)); };
}

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--handle-generation" && i + 1 < argc) {
            sim::StartGenerationsAfter(
                static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10)));
            continue;
        }
        commandLine += (commandLine.empty() ? "" : " ") + argument;
    }
    web::PageOptions options;
    options.nameWindow = NameWindow;
    if (web::PageWantsTranscript()) {
        options.watch = WatchForTranscript;
    }
    return web::RunOnPage([] { return std::make_unique<GameApp>(); }, commandLine, options);
}
