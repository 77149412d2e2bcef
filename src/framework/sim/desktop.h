// The simulated desktop: an in-process stand-in for Windows that the native tests and the headless
// simulator drive. It implements the framework (afxwin.h) and behaves like Windows in what the
// program can observe: message retrieval order, coalesced invalidation, timers on a virtual clock,
// nested modal loops, clipped painting, and the multimedia calls.
//
// One Desktop exists at a time; constructing it makes it current, destroying it destroys every
// window still open (as the end of a process would) and checks nothing else.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/afxwin.h"
#include "framework/sim/resource_types.h"

namespace sim {

// One modal window (message box or dialog) that is open and waiting for an answer.
struct Modal {
    enum class Kind { MessageBox, Dialog };
    Kind kind = Kind::MessageBox;
    HWND owner = nullptr;
    // Message boxes.
    UINT type = 0;
    std::string caption;
    std::string text;
    // Dialogs.
    UINT templateId = 0;
    CDialog* dialog = nullptr;

    // Dialog controls as a user would work them: an automatic check box toggles (unless disabled),
    // an automatic radio button checks itself and clears the rest of its group.
    void ClickCheckBox(int id) const;
    void ClickRadioButton(int id) const;
    // A click on control `id`, as its kind in the dialog's template takes it; other ids and
    // message boxes are left alone.
    void ClickControl(int id) const;
    UINT ButtonState(int id) const;
    bool ControlEnabled(int id) const;
};

// A message box's button as the system shows it, in the application's language.
struct BoxButton {
    int id = 0;
    std::string text;  // with & before the access key
    bool isDefault = false;
};
// The buttons of a message box of that type, in their order.
std::vector<BoxButton> BoxButtons(UINT type);
// The button that Escape and the close box press: Cancel where there is one, else the only
// button; 0 where the box has no such button.
int BoxCancelButton(UINT type);

// A dialog's base units: the average width and the height of its font's characters, in pixels.
// A dialog unit is a quarter of the one across and an eighth of the other down.
struct BaseUnits {
    int x = 0;
    int y = 0;
};
BaseUnits DialogBaseUnits(const DialogTemplate& t);

// The answer: the button pressed (IDOK, IDCANCEL, IDYES, IDNO). For a dialog, IDOK runs its
// OnOK and IDCANCEL its OnCancel, as pressing those buttons would. The responder may let virtual
// time pass (Desktop::Advance) while the modal is open.
using Responder = std::function<int(const Modal&)>;

struct BoxRecord {
    std::uint64_t time;
    UINT type;
    std::string caption;
    std::string text;
};

struct SoundRecord {
    std::uint64_t time;
    std::string name;
    UINT flags;
};

struct MusicRecord {
    std::uint64_t time;
    std::string command;
    HWND callback;
};

// A screen reader's news of a window (NotifyWinEvent), with the name the child has just then:
// the focused cell's, a changed cell's, or for the client itself what the window says.
struct AccessRecord {
    std::uint64_t time;
    HWND window;
    DWORD event;
    LONG child;
    std::string name;
};

// One drawing operation, as recorded during a paint or through a window's client context.
struct PaintOp {
    enum class Kind { BitBlt, Text, Rectangle, FocusRect };
    Kind kind = Kind::BitBlt;
    HWND window = nullptr;
    std::uint64_t paintNumber = 0;  // which paint of the run (1, 2, ...); 0 outside a paint
    CRect dest;                     // destination rectangle, before clipping
    bool visible = false;           // whether any of it lies in the update region
    UINT bitmapId = 0;              // BitBlt: resource id of the source bitmap (0: none selected)
    int sourceX = 0;
    int sourceY = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    COLORREF brushColor = 0;  // Rectangle
    COLORREF penColor = 0;    // Rectangle
    std::string text;         // Text
};

// A live screen: told of each paint's clip and each drawing as the program makes them, so that a
// host can show them (the browser page draws them on its canvases).
class PaintSink {
  public:
    virtual ~PaintSink() = default;
    // A paint begins, or the program takes a context of the whole client area outside a paint:
    // its drawings are clipped to `clip`, erased first to the class brush (white) when `erase`
    // is set (never for a client context).
    virtual void BeginPaint(HWND window, std::span<const CRect> clip, bool erase) = 0;
    // One drawing, its `visible` set when any of it lies in the clip.
    virtual void Draw(const PaintOp& op) = 0;
};

// Each character's advance in pixels as the desktop lays text out in the system font.
std::vector<int> TextAdvances(std::string_view text);

// What the screen shows at one pixel of a window's client area.
struct Pixel {
    enum class Kind { Background, Image, Text, Fill };
    Kind kind = Kind::Background;
    UINT bitmapId = 0;  // Image: the source bitmap
    int sourceX = 0;    // Image: the source pixel that landed here
    int sourceY = 0;
    COLORREF textColor = 0;  // Image (two-colour ink), Text
    COLORREF bkColor = 0;    // Image, Text
    COLORREF fillColor = 0;  // Fill
    std::string text;        // Text
    // Focus rectangles' dots lie on it an odd number of times: the colour shows inverted.
    bool inverted = false;
};

struct WindowInfo {
    HWND hwnd = nullptr;
    CWnd* object = nullptr;
    HWND owner = nullptr;
    std::string className;
    std::string caption;
    DWORD style = 0;  // as created, without WS_VISIBLE and WS_DISABLED: see visible, enabled
    DWORD exStyle = 0;
    CRect windowRect;  // screen coordinates
    CRect clientRect;  // client coordinates (0, 0, width, height)
    bool visible = false;
    bool enabled = true;
    UINT menuId = 0;
    HICON classIcon = nullptr;
};

class Desktop {
  public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    static Desktop& Current();

    // --- Starting the program.
    // Calls the application's InitInstance with the given show command and command line (what
    // follows the program's name), as the entry point would.
    BOOL Start(CWinApp& app, int showCommand = SW_SHOWNORMAL, const char* commandLine = "");

    // --- Clocks.
    std::uint64_t Now() const;  // virtual milliseconds since the desktop was made
    void SetCalendarTime(std::time_t seconds);
    std::time_t CalendarTime() const;  // the calendar clock, advancing with virtual time

    // --- Running. Each returns false once the program has quit.
    // Handles everything due now: posted messages and input, paints, due timers.
    bool RunPending();
    // Lets `ms` milliseconds of virtual time pass, handling all that happens; a timer due exactly
    // at the end fires within it.
    bool Advance(std::uint64_t ms);
    bool Quit() const;
    int QuitCode() const;
    // The program holds the thread for `ms` (a long handler): time passes, nothing is dispatched.
    void Busy(std::uint64_t ms);
    // Called from a handler: the running RunPending or Advance returns once that message is
    // handled, dispatching nothing more and leaving virtual time where it is. Outside a run it
    // does nothing.
    void Stop();

    // --- Input, as a user gives it. Ignored while the window is disabled (a modal is open).
    // Each queues the input and handles everything it causes (RunPending).
    void Click(HWND window, int x, int y);
    // The click queued as input, to be handled by whichever message loop runs next.
    void QueueClick(HWND window, int x, int y);
    // A key pressed while the window has the keyboard focus: WM_KEYDOWN with the virtual key,
    // once (a repeat count of 1). A disabled window has no focus: a modal has it.
    void Key(HWND window, UINT virtualKey);
    void QueueKey(HWND window, UINT virtualKey);
    // A message posted to the window (PostMessage), left in the queue.
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A menu command chosen with the mouse or access keys: ignored for a grayed or missing item.
    void ChooseMenu(HWND window, UINT commandId);
    // The close box or Alt+F4: WM_CLOSE to the window.
    void Close(HWND window);
    // The music device reporting the end of the piece: MM_MCINOTIFY to the last play's callback.
    void EndMusic(WPARAM notifyCode = MCI_NOTIFY_SUCCESSFUL);
    // Something uncovered the window: its whole client area needs painting again.
    void Expose(HWND window);

    // --- Modals.
    void SetResponder(Responder responder);  // null: default button for boxes, Cancel for dialogs
    int OpenModals() const;

    // --- Windows.
    // While on, every window creation fails, as on a system out of window handles.
    void RefuseWindowCreation(bool on);
    std::vector<WindowInfo> Windows() const;
    const WindowInfo* Window(HWND hwnd) const;
    HWND MainWindow() const;
    std::vector<MenuItemInfo> Menu(HWND window) const;  // the window's menu bar
    // Grows whenever a window is made or destroyed, moves, shows or hides, is enabled or
    // disabled, or changes its caption or menu: a screen redraws its frames only then.
    std::uint64_t WindowChanges() const;
    std::vector<UINT_PTR> RunningTimers(HWND window) const;
    std::uint64_t TimerDue(HWND window, UINT_PTR id) const;  // 0 if not running
    std::uint64_t NextTimerDue() const;  // the earliest due time of any timer; UINT64_MAX if none
    // The program's resource script, as parsed: null when it has no such dialog.
    static const DialogTemplate* FindDialogTemplate(UINT id);

    // --- What happened.
    // With recording off, nothing below is recorded (paints still run, paint accounting still
    // counts objects); the headless tournament runs this way.
    void SetRecording(bool on);
    bool Recording() const;
    // Paints are shown to the sink as they happen, recorded or not; null: to nobody.
    void SetPaintSink(PaintSink* sink);
    const std::vector<BoxRecord>& Boxes() const;
    const std::vector<SoundRecord>& Sounds() const;
    const std::vector<MusicRecord>& Music() const;
    const std::vector<PaintOp>& PaintOps() const;
    const std::vector<AccessRecord>& Accesses() const;
    // What a screen reader finds in the window's client area: each child's name in order.
    std::vector<std::string> AccessibleNames(HWND window) const;
    void ClearRecords();
    std::uint64_t PaintCount(HWND window) const;
    Pixel PixelAt(HWND window, int x, int y) const;  // what the screen shows there
    // The colour a display shows there: images from the resource bitmaps (two-colour ones in the
    // text and background colours), rectangles with their pen's edge, text as its background,
    // each inverted where a focus rectangle's dot lies on it.
    COLORREF ScreenColor(HWND window, int x, int y) const;

    // --- Graphic-object accounting.
    int LiveGdiObjects() const;  // bitmaps, brushes and pens created and not yet deleted
    int LiveMemoryDCs() const;   // memory contexts created and not yet deleted
    int PaintLeaks() const;      // paints that ended with more objects than they began with
    int FailedDeletes() const;   // DeleteObject calls refused (object still selected)
    bool ObjectAlive(const void* handle) const;  // a live bitmap, brush, pen or memory context

    // --- Observers, called as things happen (for the headless simulator's transcript).
    std::function<void(const BoxRecord&)> onBox;
    std::function<void(const SoundRecord&)> onSound;
    std::function<void(const MusicRecord&)> onMusic;
    std::function<void(const AccessRecord&)> onAccess;
    std::function<void(int)> onQuit;

    struct Impl;

  private:
    Impl* impl_;
};

}  // namespace sim
