// The browser host: the program on the simulated desktop, in real time, on a page. Time follows
// the page's clock; the player's input comes from the page's queue, taken only while the program
// waits; paints, sounds, music commands, windows, boxes and dialogs go to the page as they happen.
// The page (web/page.js) provides Module.host; everything it is told is plain numbers or JSON.
#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "app/game_app.h"
#include "framework/sim/desktop.h"
#include "framework/web/json.h"
#include "transcript.h"

namespace {

// --- What the page provides.
EM_JS(double, HostNow, (), { return Module.host.now(); });
EM_JS(double, HostSeed, (), { return Module.host.seed(); });
EM_JS(int, HostWantsTranscript, (), { return Module.host.wantsTranscript() ? 1 : 0; });
// Resolves at the given virtual time, or as soon as input is queued.
EM_ASYNC_JS(void, HostWait, (double wakeAt), { await Module.host.wait(wakeAt); });
// The oldest input: its kind (0 when none) and up to four numbers in `fields`.
EM_JS(int, HostNextInput, (int* fields), {
    var input = Module.host.nextInput();
    if (!input)
        return 0;
    for (var i = 0; i < 4; i++)
        HEAP32[(fields >> 2) + i] = input.fields[i] | 0;
    return input.kind;
});
EM_JS(void, HostBeginPaint, (unsigned window, const int* rects, int count, int erase), {
    Module.host.beginPaint(window, HEAP32.subarray(rects >> 2, (rects >> 2) + 4 * count), erase);
});
EM_JS(void, HostDraw, (unsigned window, const int* fields, const char* text), {
    Module.host.draw(window, HEAP32.subarray(fields >> 2, (fields >> 2) + 12), UTF8ToString(text));
});
EM_JS(void, HostSound, (const char* name), { Module.host.sound(UTF8ToString(name)); });
EM_JS(void, HostMusic, (const char* command), { Module.host.music(UTF8ToString(command)); });
EM_JS(void, HostWindows, (const char* json),
      { Module.host.windows(JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostOpenModal, (const char* json),
      { Module.host.openModal(JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostDialogState, (int serial, const char* json),
      { Module.host.dialogState(serial, JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostCloseModal, (int serial), { Module.host.closeModal(serial); });
EM_JS(void, HostTranscript, (const char* line), { Module.host.transcript(UTF8ToString(line)); });
EM_JS(void, HostEnded, (int code), { Module.host.ended(code); });

// The kinds of input the page queues, with their fields.
enum Input {
    kNoInput = 0,
    kClick = 1,          // window, x, y
    kCommand = 2,        // command id
    kAnswer = 3,         // modal serial, button
    kDialogControl = 4,  // modal serial, control id
    kClose = 5,          // window
    kMusicEnded = 6,     // notify code
};

unsigned WindowNumber(HWND window) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window));
}
HWND WindowOf(int number) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(number)));
}

class Host : public sim::PaintSink {
  public:
    // `commandLine`: the program's own, as the page passes it ("/lang:en" for English).
    void Run(const std::string& commandLine) {
        desktop_.SetRecording(false);
        desktop_.SetPaintSink(this);
        const double seed = HostSeed();
        desktop_.SetCalendarTime(static_cast<std::time_t>(seed));
        desktop_.onSound = [](const sim::SoundRecord& sound) { HostSound(sound.name.c_str()); };
        desktop_.onMusic = [](const sim::MusicRecord& music) { HostMusic(music.command.c_str()); };
        if (HostWantsTranscript() != 0) {
            SetGameObserver(&observer_);
            desktop_.onBox = [](const sim::BoxRecord& box) {
                Line(transcript::Box(box.type, box.caption, box.text));
            };
            desktop_.onSound = [](const sim::SoundRecord& sound) {
                Line(transcript::Sound(sound.name));
                HostSound(sound.name.c_str());
            };
            desktop_.onQuit = [](int code) { Line(transcript::Quit(code)); };
        }
        desktop_.SetResponder([this](const sim::Modal& modal) { return Answer(modal); });
        app_ = std::make_unique<GameApp>();
        commandLine_ = commandLine;
        if (desktop_.Start(*app_, SW_SHOWNORMAL, commandLine_.c_str()) == FALSE) {
            HostEnded(1);
            return;
        }
        while (!desktop_.Quit()) {
            CatchUp();
            for (int fields[4]; const int input = HostNextInput(fields);) {
                Handle(input, fields, nullptr, 0);
            }
            if (desktop_.Quit()) {
                break;
            }
            Sleep();
        }
        ShowWindows();
        HostEnded(desktop_.QuitCode());
    }

    // --- PaintSink.
    void BeginPaint(HWND window, std::span<const CRect> clip, bool erase) override {
        ShowWindows();  // the page has the window, at its size, before anything is drawn in it
        HostBeginPaint(WindowNumber(window), reinterpret_cast<const int*>(clip.data()),
                       static_cast<int>(clip.size()), erase ? 1 : 0);
    }

    void Draw(const sim::PaintOp& op) override {
        const int fields[12] = {static_cast<int>(op.kind),
                                op.dest.left,
                                op.dest.top,
                                op.dest.right,
                                op.dest.bottom,
                                static_cast<int>(op.bitmapId),
                                op.sourceX,
                                op.sourceY,
                                static_cast<int>(op.textColor),
                                static_cast<int>(op.bkColor),
                                static_cast<int>(op.brushColor),
                                static_cast<int>(op.penColor)};
        HostDraw(WindowNumber(op.window), fields, op.text.c_str());
    }

  private:
    static void Line(const std::string& text) { HostTranscript(text.c_str()); }

    // The page's clock: milliseconds since the page started the program.
    static std::uint64_t PageNow() {
        const double now = std::floor(HostNow());
        return now > 0 ? static_cast<std::uint64_t>(now) : 0;
    }

    // Lets the desktop's time pass up to the page's, handling all that falls due.
    void CatchUp() {
        const std::uint64_t now = PageNow();
        if (now > desktop_.Now()) {
            desktop_.Advance(now - desktop_.Now());
        } else {
            desktop_.RunPending();
        }
    }

    // Shows the windows as they now are, then waits for the next due timer or the next input.
    void Sleep() {
        ShowWindows();
        const std::uint64_t due = desktop_.NextTimerDue();
        HostWait(due == UINT64_MAX ? INFINITY : static_cast<double>(due));
    }

    // One input; returns the button when it answers the modal `serial` (0 otherwise).
    int Handle(int input, const int* fields, const sim::Modal* modal, int serial) {
        const HWND board = desktop_.MainWindow();
        switch (input) {
            case kClick:
                desktop_.Click(WindowOf(fields[0]), fields[1], fields[2]);
                break;
            case kCommand:
                desktop_.ChooseMenu(board, static_cast<UINT>(fields[0]));
                break;
            case kClose:
                desktop_.Close(WindowOf(fields[0]));
                break;
            case kMusicEnded:
                desktop_.EndMusic(static_cast<WPARAM>(fields[0]));
                break;
            case kAnswer:
                if (modal != nullptr && fields[0] == serial) {
                    return fields[1];
                }
                break;
            case kDialogControl:
                if (modal != nullptr && fields[0] == serial &&
                    modal->kind == sim::Modal::Kind::Dialog) {
                    ClickControl(*modal, fields[1]);
                    HostDialogState(serial, web::DialogState(*modal).c_str());
                }
                break;
            default:
                break;
        }
        return 0;
    }

    static void ClickControl(const sim::Modal& modal, int id) {
        const sim::DialogTemplate* t = sim::Desktop::FindDialogTemplate(modal.templateId);
        if (t == nullptr) {
            return;
        }
        for (const sim::ControlTemplate& c : t->controls) {
            if (c.id != id) {
                continue;
            }
            using Kind = sim::ControlTemplate::Kind;
            if (c.kind == Kind::AutoRadioButton || c.kind == Kind::RadioButton) {
                modal.ClickRadioButton(id);
            } else {
                modal.ClickCheckBox(id);
            }
            return;
        }
    }

    // A box or dialog waits for the player while time, paints and ticks go on behind it. Input
    // for the windows it disables is dropped by the desktop, as Windows does.
    int Answer(const sim::Modal& modal) {
        const int serial = ++modalSerial_;
        HostOpenModal(web::ModalJson(modal, serial).c_str());
        for (;;) {
            CatchUp();
            for (int fields[4]; const int input = HostNextInput(fields);) {
                if (const int button = Handle(input, fields, &modal, serial); button != 0) {
                    HostCloseModal(serial);
                    return button;
                }
            }
            Sleep();
        }
    }

    void ShowWindows() {
        std::string json = web::WindowsJson(desktop_);
        if (json != shownWindows_) {
            HostWindows(json.c_str());
            shownWindows_ = std::move(json);
        }
    }

    sim::Desktop desktop_;
    transcript::Observer observer_{Line};  // the transcript, as the headless simulator writes it
    std::unique_ptr<GameApp> app_;
    std::string commandLine_;  // the program keeps a pointer to it
    int modalSerial_ = 0;
    std::string shownWindows_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    // Lives for the page's lifetime; the runtime keeps the module after main returns.
    static Host host;
    host.Run(commandLine);
    return 0;
}
