#include "framework/web/host.h"

#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/sim/bitmaps.h"
#include "framework/web/seam.h"

namespace web {
namespace {

// --- The page's side of the seam (seam.h). Numbers cross as numbers; window handles are
// unsigned on both sides; texts as UTF-8; windows, boxes and dialogs as JSON.
EM_JS(double, HostNow, (), { return Module.host.now(); });
EM_JS(double, HostSeed, (), { return Module.host.seed(); });
EM_JS(int, HostWantsTranscript, (), { return Module.host.wantsTranscript() ? 1 : 0; });
EM_ASYNC_JS(void, HostWait, (double wakeAt), { await Module.host.wait(wakeAt); });
EM_JS(int, HostNextInput, (int* fields, int count), {
    var input = Module.host.nextInput();
    if (!input)
        return 0;
    for (var i = 0; i < count; i++)
        HEAP32[(fields >> 2) + i] = input.fields[i] | 0;
    return input.kind;
});
EM_JS(int, HostAssetSize, (const char* key), { return Module.host.assetSize(UTF8ToString(key)); });
EM_JS(void, HostAssetCopy, (const char* key, unsigned char* to),
      { Module.host.assetCopy(UTF8ToString(key), HEAPU8.subarray(to)); });
EM_JS(void, HostBitmap, (unsigned id, int width, int height, int twoColour, const void* rgba), {
    Module.host.bitmap(id >>> 0, width, height, Boolean(twoColour),
                       HEAPU8.slice(rgba, rgba + 4 * width * height));
});
EM_JS(void, HostDamaged, (const char* key), { Module.host.damaged(UTF8ToString(key)); });
EM_JS(void, HostBeginPaint, (unsigned window, const int* rects, int count, int erase), {
    Module.host.beginPaint(window >>> 0, HEAP32.subarray(rects >> 2, (rects >> 2) + 4 * count),
                           Boolean(erase));
});
EM_JS(void, HostDraw,
      (unsigned window, const int* fields, int count, const char* text, const int* advances,
       int characters),
      {
          Module.host.draw(window >>> 0, HEAP32.subarray(fields >> 2, (fields >> 2) + count),
                           UTF8ToString(text),
                           HEAP32.subarray(advances >> 2, (advances >> 2) + characters));
      });
EM_JS(void, HostSound, (const char* name), { Module.host.sound(UTF8ToString(name)); });
EM_JS(void, HostMusic, (const char* command), { Module.host.music(UTF8ToString(command)); });
EM_JS(void, HostWindows, (const char* json),
      { Module.host.windows(JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostOpenModal, (const char* json),
      { Module.host.openModal(JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostDialogState, (int serial, const char* json),
      { Module.host.dialogState(serial, JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostAccess, (const char* json),
      { Module.host.access(JSON.parse(UTF8ToString(json))); });
EM_JS(void, HostCloseModal, (int serial), { Module.host.closeModal(serial); });
EM_JS(void, HostTranscript, (const char* line), { Module.host.transcript(UTF8ToString(line)); });
EM_JS(void, HostEnded, (int code), { Module.host.ended(code); });

using seam::Input;
static_assert(static_cast<int>(seam::Notify::Successful) == MCI_NOTIFY_SUCCESSFUL);

unsigned WindowNumber(HWND window) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window));
}
HWND WindowOf(int number) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(number)));
}

constexpr int At(auto field) {
    return static_cast<int>(field);
}

// The page's copy of each bitmap, read by the desktop's own decoder; an asset the page lacks
// reads as nothing and so fails to decode.
std::vector<unsigned char> ReadPageBitmap(UINT id, const std::string&) {
    const std::string key = "bitmap:" + std::to_string(id);
    const int size = HostAssetSize(key.c_str());
    std::vector<unsigned char> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (!bytes.empty()) {
        HostAssetCopy(key.c_str(), bytes.data());
    }
    return bytes;
}

// Every bitmap of the program, decoded once and handed to the page before anything is painted.
bool SendBitmaps() {
    sim::SetBitmapReader(ReadPageBitmap);
    std::vector<unsigned char> rgba;
    for (const UINT id : sim::ProgramBitmapIds()) {
        const sim::BitmapImage& image = sim::ProgramBitmap(id);
        if (image.width == 0) {
            HostDamaged(("bitmap:" + std::to_string(id)).c_str());
            return false;
        }
        rgba.resize(image.pixels.size() * 4);
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            const COLORREF c = image.pixels[i];
            rgba[4 * i] = static_cast<unsigned char>(c & 0xFF);
            rgba[4 * i + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
            rgba[4 * i + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
            rgba[4 * i + 3] = 255;
        }
        HostBitmap(id, image.width, image.height, image.twoColour ? 1 : 0, rgba.data());
    }
    return true;
}

class Host : public sim::PaintSink {
  public:
    int Run(const ApplicationMaker& makeApplication, const std::string& commandLine,
            const PageOptions& options) {
        nameWindow_ = options.nameWindow;
        if (!SendBitmaps()) {
            return 1;  // the page has said which asset is damaged
        }
        desktop_.SetRecording(false);
        desktop_.SetPaintSink(this);
        desktop_.SetCalendarTime(static_cast<std::time_t>(HostSeed()));
        if (options.watch) {
            options.watch(desktop_);
        }
        // The page hears every sound and music command, after whoever watches.
        desktop_.onSound = [watcher = desktop_.onSound](const sim::SoundRecord& sound) {
            if (watcher) {
                watcher(sound);
            }
            HostSound(sound.name.c_str());
        };
        desktop_.onMusic = [watcher = desktop_.onMusic](const sim::MusicRecord& music) {
            if (watcher) {
                watcher(music);
            }
            HostMusic(music.command.c_str());
        };
        // A screen reader hears what the program says, and says nothing back to it.
        desktop_.onAccess = [this, watcher = desktop_.onAccess](const sim::AccessRecord& news) {
            if (watcher) {
                watcher(news);
            }
            ShowWindows();  // the page has the window before its cells
            HostAccess(AccessJson(desktop_, news).c_str());
        };
        desktop_.SetResponder([this](const sim::Modal& modal) { return Answer(modal); });
        app_ = makeApplication();
        commandLine_ = commandLine;
        if (desktop_.Start(*app_, SW_SHOWNORMAL, commandLine_.c_str()) == FALSE) {
            HostEnded(1);
            return 1;
        }
        // What a reader finds in each window as the program starts.
        for (const sim::WindowInfo& window : desktop_.Windows()) {
            if (window.object != nullptr && window.object->GetAccessibleChildCount() > 0) {
                desktop_.onAccess(
                    {desktop_.Now(), window.hwnd, EVENT_OBJECT_REORDER, CHILDID_SELF, {}});
            }
        }
        while (!desktop_.Quit()) {
            CatchUp();
            for (int fields[seam::kInputFields];
                 const int input = HostNextInput(fields, seam::kInputFields);) {
                Handle(static_cast<Input>(input), fields, nullptr, 0);
            }
            if (desktop_.Quit()) {
                break;
            }
            Sleep();
        }
        ShowWindows();
        HostEnded(desktop_.QuitCode());
        return desktop_.QuitCode();
    }

    // --- PaintSink.
    void BeginPaint(HWND window, std::span<const CRect> clip, bool erase) override {
        ShowWindows();  // the page has the window, at its size, before anything is drawn in it
        HostBeginPaint(WindowNumber(window), reinterpret_cast<const int*>(clip.data()),
                       static_cast<int>(clip.size()), erase ? 1 : 0);
    }

    void Draw(const sim::PaintOp& op) override {
        int f[At(seam::BlitField::Count)] = {0, op.dest.left, op.dest.top, op.dest.right,
                                             op.dest.bottom};
        int count = At(seam::PaintField::Count);
        switch (op.kind) {
            case sim::PaintOp::Kind::BitBlt:
                f[At(seam::PaintField::Kind)] = At(seam::Paint::Blit);
                f[At(seam::BlitField::Bitmap)] = static_cast<int>(op.bitmapId);
                f[At(seam::BlitField::SourceX)] = op.sourceX;
                f[At(seam::BlitField::SourceY)] = op.sourceY;
                f[At(seam::BlitField::TextColor)] = static_cast<int>(op.textColor);
                f[At(seam::BlitField::BackColor)] = static_cast<int>(op.bkColor);
                count = At(seam::BlitField::Count);
                break;
            case sim::PaintOp::Kind::Text:
                f[At(seam::PaintField::Kind)] = At(seam::Paint::Text);
                f[At(seam::TextField::TextColor)] = static_cast<int>(op.textColor);
                f[At(seam::TextField::BackColor)] = static_cast<int>(op.bkColor);
                count = At(seam::TextField::Count);
                break;
            case sim::PaintOp::Kind::Rectangle:
                f[At(seam::PaintField::Kind)] = At(seam::Paint::Rectangle);
                f[At(seam::RectangleField::BrushColor)] = static_cast<int>(op.brushColor);
                f[At(seam::RectangleField::PenColor)] = static_cast<int>(op.penColor);
                count = At(seam::RectangleField::Count);
                break;
            case sim::PaintOp::Kind::FocusRect:
                f[At(seam::PaintField::Kind)] = At(seam::Paint::FocusRect);
                break;
        }
        const std::vector<int> advances = sim::TextAdvances(op.text);
        HostDraw(WindowNumber(op.window), f, count, op.text.c_str(), advances.data(),
                 static_cast<int>(advances.size()));
    }

  private:
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
    int Handle(Input input, const int* fields, const sim::Modal* modal, int serial) {
        switch (input) {
            case Input::Click:
                desktop_.Click(WindowOf(fields[0]), fields[1], fields[2]);
                break;
            case Input::Command:
                desktop_.ChooseMenu(desktop_.MainWindow(), static_cast<UINT>(fields[0]));
                break;
            case Input::Key:
                desktop_.Key(desktop_.MainWindow(), static_cast<UINT>(fields[0]));
                break;
            case Input::Close:
                desktop_.Close(WindowOf(fields[0]));
                break;
            case Input::MusicEnded:
                desktop_.EndMusic(static_cast<WPARAM>(fields[0]));
                break;
            case Input::Answer:
                if (modal != nullptr && fields[0] == serial) {
                    return fields[1];
                }
                break;
            case Input::DialogControl:
                if (modal != nullptr && fields[0] == serial &&
                    modal->kind == sim::Modal::Kind::Dialog) {
                    modal->ClickControl(fields[1]);
                    HostDialogState(serial, DialogState(*modal).c_str());
                }
                break;
            case Input::None:
                break;
        }
        return 0;
    }

    // A box or dialog waits for the player while time, paints and ticks go on behind it. Input
    // for the windows it disables is dropped by the desktop, as Windows does.
    int Answer(const sim::Modal& modal) {
        const int serial = ++modalSerial_;
        HostOpenModal(ModalJson(modal, serial).c_str());
        for (;;) {
            CatchUp();
            for (int fields[seam::kInputFields];
                 const int input = HostNextInput(fields, seam::kInputFields);) {
                if (const int button = Handle(static_cast<Input>(input), fields, &modal, serial);
                    button != 0) {
                    HostCloseModal(serial);
                    return button;
                }
            }
            Sleep();
        }
    }

    // The frames and menus, sent only when one of them has changed.
    void ShowWindows() {
        const std::uint64_t changes = desktop_.WindowChanges();
        if (changes == shownChanges_) {
            return;
        }
        shownChanges_ = changes;
        std::string json = WindowsJson(desktop_, nameWindow_);
        if (json != shownWindows_) {
            HostWindows(json.c_str());
            shownWindows_ = std::move(json);
        }
    }

    sim::Desktop desktop_;
    std::unique_ptr<CWinApp> app_;
    WindowNamer nameWindow_;
    std::string commandLine_;  // the program keeps a pointer to it
    int modalSerial_ = 0;
    std::uint64_t shownChanges_ = UINT64_MAX;
    std::string shownWindows_;
};

}  // namespace

int RunOnPage(const ApplicationMaker& makeApplication, const std::string& commandLine,
              const PageOptions& options) {
    // Lives for the page's lifetime; the runtime keeps the module after main returns.
    static Host host;
    return host.Run(makeApplication, commandLine, options);
}

bool PageWantsTranscript() {
    return HostWantsTranscript() != 0;
}

void SendTranscriptLine(const std::string& line) {
    HostTranscript(line.c_str());
}

}  // namespace web
