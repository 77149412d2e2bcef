// The framework's contract with the program, written once and run on both backends: on the
// simulated desktop (native_tests) and on the real Windows API under Wine (windows_tests).
// A driver gives each case what a user or the clock would: input, commands, time, answers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "framework/afxwin.h"

namespace contract {

// How the next modal (message box or dialog) is answered.
struct ModalAnswer {
    int button = IDOK;                // the button pressed at the end
    std::vector<int> clicks;          // dialog buttons clicked before it, in order
    UINT afterMs = 0;                 // how long the modal stays open (its loop runs meanwhile)
    std::function<void()> whileOpen;  // called once, as soon as the modal is open
};

class Driver {
  public:
    virtual ~Driver() = default;
    // A left click at a client point, as input from the mouse: queued, not yet handled.
    virtual void PostClick(CWnd& window, int x, int y) = 0;
    // A key pressed while the window has the keyboard focus, as input from the keyboard: queued,
    // not yet handled. While a modal is open the modal has the focus, not its disabled owner.
    virtual void PostKey(CWnd& window, UINT virtualKey) = 0;
    // A command posted to the window: queued, not yet handled.
    virtual void PostCommand(CWnd& window, UINT id) = 0;
    // Runs the message loop until nothing is due, without waiting.
    virtual void RunUntilIdle() = 0;
    // The thread is busy for `ms`: time passes, nothing is handled.
    virtual void Busy(UINT ms) = 0;
    // Runs the message loop while `ms` pass.
    virtual void Wait(UINT ms) = 0;
    virtual std::uint64_t NowMs() = 0;
    // How far a tick may stray from its moment: 0 on a virtual clock.
    virtual UINT ToleranceMs() = 0;
    virtual void AnswerNextModal(ModalAnswer answer) = 0;
    // The quit code, once the loop run by RunUntilIdle or Wait has retrieved the quit.
    virtual std::optional<int> QuitCode() = 0;
    virtual COLORREF ScreenColor(CWnd& window, int x, int y) = 0;
    virtual bool ObjectAlive(const void* handle) = 0;
};

// One driver per case; each backend's test program defines it.
std::unique_ptr<Driver> MakeDriver();

// What the probe window logs: the message and its wParam (the timer id, the command id, the
// virtual key, the answer of a modal that returned).
struct Entry {
    UINT message;
    WPARAM wParam;
    bool operator==(const Entry&) const = default;
};
inline constexpr UINT kReturned = 0x8000;  // a modal opened by a handler returned wParam

// Commands the probe knows.
inline constexpr UINT kCommandA = 100;
inline constexpr UINT kCommandB = 101;

class Probe : public CFrameWnd {
  public:
    // A visible probe at a fixed place on the screen, its first paint done.
    static Probe* Open(Driver& driver);

    const AFX_MSGMAP* GetMessageMap() const override;

    std::vector<Entry> log;
    bool timersFireOnce = true;  // each tick kills its timer
    std::function<void(UINT)> onCommand;
    std::function<void(UINT_PTR)> onTimer;
    std::function<void(CPaintDC&)> onPaint;

  private:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnClick(UINT flags, CPoint point);
    void OnKey(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnCommandA() { Command(kCommandA); }
    void OnCommandB() { Command(kCommandB); }
    void Command(UINT id);
};

// Compares the log with the expected sequence; reports the first difference.
void ExpectSequence(const std::vector<Entry>& log, std::span<const Entry> expected);

}  // namespace contract
