// The simulated desktop's message queue: sent and posted messages, the retrieval order (posted
// messages and input, the quit, paints, then timers by due time), and timers on the virtual clock.
#include <algorithm>
#include <stdexcept>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {
// A program whose handlers keep the queue busy forever (a paint handler that never validates,
// say) would hang a test; past this many messages at one instant we report it instead.
constexpr std::uint64_t kBusyLimit = 10'000'000;
}  // namespace

void MessageRing::Push(const QueuedMessage& m) {
    if (count_ == buffer_.size()) {
        std::vector<QueuedMessage> grown(std::max<std::size_t>(16, buffer_.size() * 2));
        for (std::size_t i = 0; i < count_; ++i) {
            grown[i] = buffer_[(head_ + i) % buffer_.size()];
        }
        buffer_.swap(grown);
        head_ = 0;
    }
    buffer_[(head_ + count_) % buffer_.size()] = m;
    ++count_;
}

QueuedMessage MessageRing::Pop() {
    QueuedMessage m = buffer_[head_];
    head_ = (head_ + 1) % buffer_.size();
    --count_;
    return m;
}

void MessageRing::RemoveWindow(HWND window) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const QueuedMessage m = buffer_[(head_ + i) % buffer_.size()];
        if (m.window != window) {
            buffer_[(head_ + kept) % buffer_.size()] = m;
            ++kept;
        }
    }
    count_ = kept;
}

LRESULT Desktop::Impl::SendThroughMap(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* object = w.info.object;
    if (message == WM_PAINT || message == WM_TIMER) {
        if (!w.handlersFound) {
            w.paintHandler = object->FindMessageEntry(WM_PAINT, 0);
            w.timerHandler = object->FindMessageEntry(WM_TIMER, 0);
            w.handlersFound = true;
        }
        const AFX_MSGMAP_ENTRY* handler = message == WM_PAINT ? w.paintHandler : w.timerHandler;
        if (handler != nullptr) {
            return handler->thunk(object, wParam, lParam);
        }
    } else if (LRESULT result = 0; object->DispatchMessage(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
        case WM_PAINT:
            EndPaint(BeginPaint(w));
            break;
        case WM_CLOSE:
            Destroy(w.info.hwnd);
            break;
        default:
            break;
    }
    return 0;
}

void Desktop::Impl::Post(MessageRing& ring, WindowSlot& w, UINT message, WPARAM wParam,
                         LPARAM lParam) {
    ring.Push({w.info.hwnd, message, wParam, lParam});
}

bool Desktop::Impl::FindDueTimer(std::size_t& which) const {
    bool found = false;
    for (std::size_t i = 0; i < timers.size(); ++i) {
        const Timer& t = timers[i];
        if (t.due > now) {
            continue;
        }
        // Timers due at the same moment fire in the order they were set, as under Wine.
        if (!found || t.due < timers[which].due ||
            (t.due == timers[which].due && t.setNumber < timers[which].setNumber)) {
            which = i;
            found = true;
        }
    }
    return found;
}

std::uint64_t Desktop::Impl::NextTimerDue() const {
    std::uint64_t next = kNever;
    for (const Timer& t : timers) {
        next = std::min(next, t.due);
    }
    return next;
}

Desktop::Impl::Step Desktop::Impl::PumpOne() {
    auto live = [this](const QueuedMessage& m) { return Find(m.window); };
    if (!posted.Empty()) {
        const QueuedMessage m = posted.Pop();
        if (WindowSlot* w = live(m)) {
            Send(*w, m.message, m.wParam, m.lParam);
        }
        return Step::Dispatched;
    }
    if (!input.Empty()) {
        const QueuedMessage m = input.Pop();
        if (WindowSlot* w = live(m); w != nullptr && w->info.enabled && w->info.visible) {
            Send(*w, m.message, m.wParam, m.lParam);
        }
        return Step::Dispatched;
    }
    if (quitPending) {
        if (!modals.empty()) {
            return Step::QuitBlocked;  // the outermost loop retrieves it
        }
        quitPending = false;
        quit = true;
        if (self.onQuit) {
            self.onQuit(quitCode);
        }
        return Step::QuitRetrieved;
    }
    if (dirtyWindows > 0) {
        std::uint32_t dirty = kNone;
        for (std::uint32_t i : order) {
            if (!windows[i].region.Empty()) {
                dirty = i;
                break;
            }
        }
        if (dirty != kNone) {
            Send(windows[dirty], WM_PAINT, 0, 0);
            return Step::Dispatched;
        }
        dirtyWindows = 0;
    }
    std::size_t which = 0;
    if (FindDueTimer(which)) {
        Timer& t = timers[which];
        // One tick however late: the next falls on the timer's own grid, after now.
        t.due += t.period;
        if (t.due <= now) {
            t.due += ((now - t.due) / t.period + 1) * t.period;
        }
        const UINT_PTR id = t.id;
        const QueuedMessage m{t.window, WM_TIMER, id, 0};
        if (WindowSlot* w = live(m)) {
            Send(*w, WM_TIMER, id, 0);
        }
        return Step::Dispatched;
    }
    return Step::Idle;
}

Desktop::Impl::Step Desktop::Impl::RunPending() {
    if (quit) {
        return Step::QuitRetrieved;
    }
    for (std::uint64_t count = 0;; ++count) {
        const Step step = PumpOne();
        if (step != Step::Dispatched) {
            return step;
        }
        if (stopRequested) {
            return Step::Stopped;
        }
        if (count > kBusyLimit) {
            throw std::runtime_error("simulated desktop: the message queue never empties");
        }
    }
}

bool Desktop::Impl::Advance(std::uint64_t ms) {
    if (quit) {
        return false;
    }
    const std::uint64_t deadline = ms >= kEndOfTime - now ? kEndOfTime : now + ms;
    for (;;) {
        const Step step = RunPending();
        if (step == Step::QuitRetrieved || step == Step::QuitBlocked) {
            return false;
        }
        if (step == Step::Stopped) {
            return true;
        }
        const std::uint64_t next = NextTimerDue();
        if (next != kNever && next <= deadline) {
            now = std::max(now, next);
            continue;
        }
        now = std::max(now, deadline);  // a modal's responder may have gone further
        return true;
    }
}

void Desktop::Impl::SetTimer(WindowSlot& w, UINT_PTR id, UINT elapse) {
    // Windows raises periods under 10 ms to 10 ms.
    const std::uint64_t period = std::max<UINT>(elapse, 10);
    const HWND window = w.info.hwnd;
    for (Timer& t : timers) {
        if (t.window == window && t.id == id) {
            t.period = period;
            t.due = now + period;
            t.setNumber = ++timersSet;
            return;
        }
    }
    timers.push_back({window, id, now + period, period, ++timersSet});
}

bool Desktop::Impl::KillTimer(WindowSlot& w, UINT_PTR id) {
    const HWND window = w.info.hwnd;
    return std::erase_if(timers, [&](const Timer& t) { return t.window == window && t.id == id; }) >
           0;
}

void Desktop::Impl::PostQuit(int code) {
    quitPending = true;
    quitCode = code;
}

}  // namespace sim
