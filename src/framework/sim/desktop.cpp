// The simulated desktop: windows, the message queue and its retrieval order, timers on the
// virtual clock, modal loops, and what tests and the simulator read back.
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {

Desktop* g_desktop = nullptr;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// A program whose handlers keep the queue busy forever (a paint handler that never validates,
// say) would hang a test; past this many messages at one instant we report it instead.
constexpr std::uint64_t kBusyLimit = 10'000'000;
constexpr const char* kDefaultFrameClass = "FrameWindow";
constexpr const char* kDialogClass = "#32770";

struct Insets {
    int left, top, right, bottom;
};

// The non-client area of a top-level window with classic metrics.
Insets NonClient(DWORD style, DWORD exStyle, bool menu) {
    int frame = 0;
    if ((style & WS_THICKFRAME) != 0) {
        frame = 4;
    } else if ((style & WS_DLGFRAME) != 0 || (exStyle & 0x1) != 0) {
        frame = 3;
    } else if ((style & WS_BORDER) != 0) {
        frame = 1;
    }
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? 19 : 0;
    return {frame, frame + caption + (menu ? 19 : 0), frame, frame};
}

int DefaultAnswer(UINT type) {
    switch (type & 0xF) {
        case 2:  // abort, retry, ignore
            return 3;
        case 3:  // yes, no, cancel
        case MB_YESNO:
            return IDYES;
        case 5:  // retry, cancel
            return 4;
        default:
            return IDOK;
    }
}

}  // namespace

MenuItemInfo* FindMenuItem(std::vector<MenuItemInfo>& items, UINT id) {
    if (id == 0) {
        return nullptr;  // popups and separators carry no command
    }
    for (MenuItemInfo& item : items) {
        if (!item.separator && item.items.empty() && item.id == id) {
            return &item;
        }
        if (MenuItemInfo* inner = FindMenuItem(item.items, id)) {
            return inner;
        }
    }
    return nullptr;
}

// --- Update regions and queues -------------------------------------------------------------------

void UpdateRegion::Add(const CRect& r) {
    for (const CRect& e : rects) {
        if (Contains(e, r)) {
            return;
        }
    }
    std::erase_if(rects, [&](const CRect& e) { return Contains(r, e); });
    rects.push_back(r);
    if (rects.size() > kMaxRects) {
        CRect box = rects.front();
        for (const CRect& e : rects) {
            box = CRect{std::min(box.left, e.left), std::min(box.top, e.top),
                        std::max(box.right, e.right), std::max(box.bottom, e.bottom)};
        }
        rects.clear();
        rects.push_back(box);
    }
}

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

ControlState* DialogState::Find(int id) {
    for (ControlState& c : controls) {
        if (c.control->id == id) {
            return &c;
        }
    }
    return nullptr;
}

// --- Windows -------------------------------------------------------------------------------------

Desktop::Impl::Impl(Desktop& desktop) : self(desktop) {
    draws.emplace_back();
}

const WindowSlot* Desktop::Impl::Find(HWND hwnd) const {
    return const_cast<Impl*>(this)->Find(hwnd);
}

HWND Desktop::Impl::Handle(std::uint32_t index) const {
    return windows.HandleAs<HWND>(index);
}

const WindowClass* Desktop::Impl::FindClass(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (const auto& c : classes) {
        if (c->name == name) {
            return c.get();
        }
    }
    return nullptr;
}

const char* Desktop::Impl::RegisterClass(UINT style, HCURSOR cursor, HBRUSH background,
                                         HICON icon) {
    for (const auto& c : classes) {
        if (c->style == style && c->cursor == cursor && c->background == background &&
            c->icon == icon) {
            return c->name.c_str();
        }
    }
    auto c = std::make_unique<WindowClass>();
    c->name = "SimClass:" + std::to_string(classes.size() + 1);
    c->style = style;
    c->cursor = cursor;
    c->background = background;
    c->icon = icon;
    classes.push_back(std::move(c));
    return classes.back()->name.c_str();
}

HWND Desktop::Impl::Create(CWnd* object, const char* className, const char* caption, DWORD style,
                           DWORD exStyle, const CRect& windowRect, HWND owner, UINT menuId) {
    if (refuseWindows) {
        return nullptr;
    }
    const std::uint32_t index = windows.Add();
    WindowSlot& w = windows[index];
    w.destroying = false;
    w.region.Clear();
    w.region.rects.reserve(UpdateRegion::kMaxRects + 1);
    w.paints = 0;
    w.menu = nullptr;
    w.handlersFound = false;
    w.dialog.reset();
    w.layers.clear();
    w.raster.clear();
    w.rasterWidth = w.rasterHeight = 0;

    const WindowClass* cls = FindClass(className);
    w.erases = cls == nullptr || cls->background != nullptr;
    w.info = WindowInfo{};
    w.info.hwnd = Handle(index);
    w.info.object = object;
    w.info.owner = Find(owner) != nullptr ? owner : nullptr;
    w.info.className = className != nullptr ? className : kDefaultFrameClass;
    w.info.caption = caption != nullptr ? caption : "";
    w.info.style = style & ~(WS_VISIBLE | WS_DISABLED);
    w.info.exStyle = exStyle;
    w.info.enabled = true;
    w.info.menuId = menuId;
    w.info.classIcon = cls != nullptr ? cls->icon : nullptr;
    if ((style & WS_DISABLED) != 0) {
        SetEnabled(w, false);
    }

    if (const detail::MenuTemplate* menu = detail::ProgramResources().FindMenu(menuId);
        menu != nullptr && menuId != 0) {
        const std::uint32_t m = menus.Add();
        menus[m].items = menu->items;
        w.menu = menus.HandleAs<HMENU>(m);
    }
    SetWindowRect(w, windowRect);
    order.push_back(index);

    const HWND hwnd = w.info.hwnd;
    object->m_hWnd = hwnd;
    if (Send(w, WM_CREATE, 0, 0) == -1) {
        Destroy(hwnd);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0 && Find(hwnd) != nullptr) {
        SetVisible(w, true);
    }
    return Find(hwnd) != nullptr ? hwnd : nullptr;
}

bool Desktop::Impl::Destroy(HWND hwnd) {
    WindowSlot* w = Find(hwnd);
    if (w == nullptr || w->destroying) {
        return false;
    }
    w->destroying = true;
    // Owned windows go first, as Windows does.
    std::vector<HWND> owned;
    for (std::uint32_t i : order) {
        if (windows[i].info.owner == hwnd) {
            owned.push_back(Handle(i));
        }
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        Destroy(*it);
    }
    SetVisible(*w, false);
    Send(*w, WM_DESTROY, 0, 0);

    std::erase_if(timers, [&](const Timer& t) { return t.window == hwnd; });
    posted.RemoveWindow(hwnd);
    input.RemoveWindow(hwnd);
    std::uint32_t menuIndex = 0;
    if (MenuSlot* m = menus.Find(w->menu, menuIndex)) {
        m->items.clear();
        menus.Remove(menuIndex);
    }
    w->menu = nullptr;
    Validate(*w);
    w->dialog.reset();
    std::uint32_t index = 0;
    windows.Find(hwnd, index);
    windows.Remove(index);
    std::erase(order, index);

    CWnd* object = w->info.object;
    w->info.object = nullptr;
    object->m_hWnd = nullptr;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == object) {
        app->m_pMainWnd = nullptr;
        PostQuit(0);
    }
    object->PostNcDestroy();
    return true;
}

void Desktop::Impl::SetVisible(WindowSlot& w, bool visible) {
    if (w.info.visible == visible) {
        return;
    }
    w.info.visible = visible;
    if (visible) {
        Invalidate(w, nullptr, true);
    } else {
        Validate(w);
    }
}

void Desktop::Impl::SetEnabled(WindowSlot& w, bool enabled) {
    w.info.enabled = enabled;
}

void Desktop::Impl::SetWindowRect(WindowSlot& w, const CRect& rect) {
    w.info.windowRect = rect;
    const Insets in = NonClient(w.info.style, w.info.exStyle, w.menu != nullptr);
    const long long width = static_cast<long long>(rect.right) - rect.left - in.left - in.right;
    const long long height = static_cast<long long>(rect.bottom) - rect.top - in.top - in.bottom;
    w.info.clientRect =
        CRect{0, 0, ClampToInt(std::max(0LL, width)), ClampToInt(std::max(0LL, height))};
}

void Desktop::Impl::Invalidate(WindowSlot& w, const CRect* rect, bool erase) {
    if (!w.info.visible) {
        return;  // a hidden window is repainted whole when shown
    }
    const CRect r = rect != nullptr ? Intersect(*rect, w.info.clientRect) : w.info.clientRect;
    if (IsEmpty(r)) {
        return;
    }
    if (w.region.Empty()) {
        ++dirtyWindows;
    }
    w.region.Add(r);
    w.region.erase = w.region.erase || erase;
}

void Desktop::Impl::Validate(WindowSlot& w) {
    if (!w.region.Empty()) {
        --dirtyWindows;
    }
    w.region.Clear();
}

// --- Messages ------------------------------------------------------------------------------------

LRESULT Desktop::Impl::Send(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam) {
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

// --- Modals --------------------------------------------------------------------------------------

int Desktop::Impl::Ask(const Modal& modal, int fallback) {
    // A modal loop that meets the quit ends with IDOK, whichever button the user would have
    // pressed, and leaves the quit for the outermost loop.
    if (ModalMustEnd()) {
        return IDOK;
    }
    RunPending();
    if (ModalMustEnd()) {
        return IDOK;
    }
    if (!responder) {
        return fallback;
    }
    const Responder answer = responder;  // the responder may replace itself
    const int button = answer(modal);
    return ModalMustEnd() ? IDOK : button;
}

int Desktop::Impl::RunMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    Modal modal;
    modal.kind = Modal::Kind::MessageBox;
    modal.owner = owner;
    modal.type = type;
    CWinApp* app = AfxGetApp();
    modal.caption = caption != nullptr                               ? caption
                    : app != nullptr && app->m_pszAppName != nullptr ? app->m_pszAppName
                                                                     : "Error";
    modal.text = text != nullptr ? text : "";
    const BoxRecord record{now, type, modal.caption, modal.text};
    if (recording) {
        boxes.push_back(record);
    }
    if (self.onBox) {
        self.onBox(record);
    }

    WindowSlot* w = Find(owner);
    const bool reenable = w != nullptr && w->info.enabled;
    if (w != nullptr) {
        SetEnabled(*w, false);
    }
    modals.push_back(&modal);
    const int answer = Ask(modal, DefaultAnswer(type));
    modals.pop_back();
    if (w = Find(owner); w != nullptr && reenable) {
        SetEnabled(*w, true);
    }
    return answer;
}

INT_PTR Desktop::Impl::RunDialog(CDialog& dialog) {
    const DialogTemplate* t = detail::ProgramResources().FindDialog(dialog.TemplateId());
    if (t == nullptr) {
        return -1;
    }
    HWND owner = nullptr;
    if (dialog.Parent() != nullptr) {
        owner = dialog.Parent()->m_hWnd;
    } else if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr) {
        owner = app->m_pMainWnd->m_hWnd;
    }
    WindowSlot* ownerSlot = Find(owner);
    // Dialog units of the template's font, about 6 x 13 pixels per 4 x 8 units.
    const CRect base = ownerSlot != nullptr ? ownerSlot->info.windowRect : CRect{};
    const Insets in = NonClient(t->style, 0, false);
    const long long left = base.left + 30LL + t->rect.left * 3LL / 2;
    const long long top = base.top + 30LL + t->rect.top * 13LL / 8;
    const CRect rect{ClampToInt(left), ClampToInt(top),
                     ClampToInt(left + in.left + in.right + t->rect.Width() * 3LL / 2),
                     ClampToInt(top + in.top + in.bottom + t->rect.Height() * 13LL / 8)};
    const HWND hwnd = Create(&dialog, kDialogClass, t->caption.c_str(), t->style & ~WS_VISIBLE, 0,
                             rect, owner, 0);
    WindowSlot* w = Find(hwnd);
    if (w == nullptr) {
        return -1;
    }
    w->dialog = std::make_unique<DialogState>();
    w->dialog->dialogTemplate = t;
    std::size_t group = 0;
    for (std::size_t i = 0; i < t->controls.size(); ++i) {
        const ControlTemplate& c = t->controls[i];
        if (c.group) {
            group = i;
        }
        w->dialog->controls.push_back({&c, false, !c.disabled, group});
    }

    const bool reenable = ownerSlot != nullptr && ownerSlot->info.enabled;
    if (ownerSlot != nullptr) {
        SetEnabled(*ownerSlot, false);
    }
    Modal modal;
    modal.kind = Modal::Kind::Dialog;
    modal.owner = owner;
    modal.templateId = dialog.TemplateId();
    modal.caption = t->caption;
    modal.dialog = &dialog;
    modals.push_back(&modal);

    dialog.OnInitDialog();
    if (w = Find(hwnd); w != nullptr) {
        SetVisible(*w, true);
    }
    // A press that does not end the dialog (OnOK refusing the input) gets asked again, a few
    // times, before the simulated user gives up and cancels.
    constexpr int kPresses = 4;
    for (int press = 0;; ++press) {
        w = Find(hwnd);
        if (w == nullptr || w->dialog->ended) {
            break;
        }
        if (press == kPresses || ModalMustEnd()) {
            w->dialog->ended = true;
            w->dialog->result = ModalMustEnd() ? IDOK : IDCANCEL;
            break;
        }
        const int button = Ask(modal, IDCANCEL);
        if (Find(hwnd) == nullptr) {
            break;
        }
        if (ModalMustEnd()) {
            continue;  // ended above, no button pressed
        }
        LRESULT ignored = 0;
        if (dialog.DispatchMessage(WM_COMMAND, static_cast<WPARAM>(button), 0, ignored)) {
            continue;
        }
        if (button == IDOK) {
            dialog.OnOK();
        } else if (button == IDCANCEL) {
            dialog.OnCancel();
        }
    }
    w = Find(hwnd);
    const int result = w != nullptr ? w->dialog->result : IDCANCEL;
    modals.pop_back();
    if (ownerSlot = Find(owner); ownerSlot != nullptr && reenable) {
        SetEnabled(*ownerSlot, true);
    }
    Destroy(hwnd);
    return result;
}

// --- Desktop -------------------------------------------------------------------------------------

Desktop::Desktop() : impl_(new Impl(*this)) {
    ForgetQuietBlit();
    g_desktop = this;
    currentImpl = impl_;
}

Desktop::~Desktop() {
    // The end of the process: every window still open goes, owned ones first.
    while (!impl_->order.empty()) {
        const std::uint32_t oldest = impl_->order.front();
        if (!impl_->Destroy(impl_->Handle(oldest))) {
            std::erase(impl_->order, oldest);
        }
    }
    if (g_desktop == this) {
        g_desktop = nullptr;
        currentImpl = nullptr;
    }
    delete impl_;
    ForgetQuietBlit();
}

Desktop& Desktop::Current() {
    if (g_desktop == nullptr) {
        throw std::logic_error("no simulated desktop exists");
    }
    return *g_desktop;
}

BOOL Desktop::Start(CWinApp& app, int showCommand) {
    app.m_nCmdShow = showCommand;
    return app.InitInstance();
}

std::uint64_t Desktop::Now() const {
    return impl_->now;
}
void Desktop::SetCalendarTime(std::time_t seconds) {
    impl_->calendar = seconds;
}
std::time_t Desktop::CalendarTime() const {
    return impl_->calendar + static_cast<std::time_t>(impl_->now / 1000);
}

namespace {
// Marks a run under way, so that Stop knows there is one to end.
class RunScope {
  public:
    explicit RunScope(Desktop::Impl& impl) : impl_(impl) { ++impl_.runDepth; }
    ~RunScope() {
        if (--impl_.runDepth == 0) {
            impl_.stopRequested = false;
        }
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    Desktop::Impl& impl_;
};
}  // namespace

bool Desktop::RunPending() {
    RunScope scope(*impl_);
    const Impl::Step step = impl_->RunPending();
    return step != Impl::Step::QuitRetrieved && step != Impl::Step::QuitBlocked;
}

bool Desktop::Advance(std::uint64_t ms) {
    RunScope scope(*impl_);
    return impl_->Advance(ms);
}

void Desktop::Stop() {
    if (impl_->runDepth > 0) {
        impl_->stopRequested = true;
    }
}
bool Desktop::Quit() const {
    return impl_->quit;
}
int Desktop::QuitCode() const {
    return impl_->quitCode;
}

void Desktop::Busy(std::uint64_t ms) {
    impl_->now = ms > kNever - impl_->now ? kNever : impl_->now + ms;
}

void Desktop::QueueClick(HWND window, int x, int y) {
    WindowSlot* w = impl_->Find(window);
    if (impl_->quit || w == nullptr || !w->info.enabled || !w->info.visible) {
        return;
    }
    const auto packed =
        (static_cast<std::uint32_t>(x) & 0xFFFF) | ((static_cast<std::uint32_t>(y) & 0xFFFF) << 16);
    impl_->Post(impl_->input, *w, WM_LBUTTONDOWN, 1, static_cast<LPARAM>(packed));
}

void Desktop::Click(HWND window, int x, int y) {
    QueueClick(window, x, y);
    RunPending();
}

void Desktop::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (WindowSlot* w = impl_->Find(window); w != nullptr && !impl_->quit) {
        impl_->Post(impl_->posted, *w, message, wParam, lParam);
    }
}

void Desktop::ChooseMenu(HWND window, UINT commandId) {
    WindowSlot* w = impl_->Find(window);
    if (impl_->quit || w == nullptr || !w->info.enabled || !w->info.visible) {
        return;
    }
    MenuSlot* menu = impl_->MenuOf(w->menu);
    const MenuItemInfo* item = menu != nullptr ? FindMenuItem(menu->items, commandId) : nullptr;
    if (item == nullptr || item->grayed) {
        return;
    }
    impl_->Post(impl_->posted, *w, WM_COMMAND, commandId, 0);
    RunPending();
}

void Desktop::Close(HWND window) {
    RunScope scope(*impl_);
    WindowSlot* w = impl_->Find(window);
    if (impl_->quit || w == nullptr || !w->info.enabled || !w->info.visible) {
        return;
    }
    impl_->Send(*w, WM_CLOSE, 0, 0);
    RunPending();
}

void Desktop::EndMusic(WPARAM notifyCode) {
    WindowSlot* w = impl_->Find(impl_->musicCallback);
    if (impl_->quit || w == nullptr) {
        return;
    }
    impl_->Post(impl_->posted, *w, MM_MCINOTIFY, notifyCode, 1);
    RunPending();
}

void Desktop::Expose(HWND window) {
    WindowSlot* w = impl_->Find(window);
    if (impl_->quit || w == nullptr) {
        return;
    }
    impl_->Invalidate(*w, nullptr, true);
    RunPending();
}

void Desktop::SetResponder(Responder responder) {
    impl_->responder = std::move(responder);
}
int Desktop::OpenModals() const {
    return static_cast<int>(impl_->modals.size());
}

std::vector<WindowInfo> Desktop::Windows() const {
    std::vector<WindowInfo> result;
    for (std::uint32_t i : impl_->order) {
        result.push_back(impl_->windows[i].info);
    }
    return result;
}

const WindowInfo* Desktop::Window(HWND hwnd) const {
    const WindowSlot* w = impl_->Find(hwnd);
    return w != nullptr ? &w->info : nullptr;
}

HWND Desktop::MainWindow() const {
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd : nullptr;
}

std::vector<MenuItemInfo> Desktop::Menu(HWND window) const {
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr) {
        return {};
    }
    const MenuSlot* m = impl_->MenuOf(w->menu);
    return m != nullptr ? m->items : std::vector<MenuItemInfo>{};
}

std::vector<UINT_PTR> Desktop::RunningTimers(HWND window) const {
    std::vector<UINT_PTR> ids;
    if (impl_->Find(window) == nullptr) {
        return ids;
    }
    for (const Timer& t : impl_->timers) {
        if (t.window == window) {
            ids.push_back(t.id);
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::uint64_t Desktop::TimerDue(HWND window, UINT_PTR id) const {
    if (impl_->Find(window) == nullptr) {
        return 0;
    }
    for (const Timer& t : impl_->timers) {
        if (t.window == window && t.id == id) {
            return t.due;
        }
    }
    return 0;
}

const DialogTemplate* Desktop::FindDialogTemplate(UINT id) {
    return detail::ProgramResources().FindDialog(id);
}

void Desktop::SetRecording(bool on) {
    impl_->recording = on;
    ForgetQuietBlit();
}
bool Desktop::Recording() const {
    return impl_->recording;
}
const std::vector<BoxRecord>& Desktop::Boxes() const {
    return impl_->boxes;
}
const std::vector<SoundRecord>& Desktop::Sounds() const {
    return impl_->sounds;
}
const std::vector<MusicRecord>& Desktop::Music() const {
    return impl_->music;
}
const std::vector<PaintOp>& Desktop::PaintOps() const {
    return impl_->paintOps;
}

void Desktop::RefuseWindowCreation(bool on) {
    impl_->refuseWindows = on;
}

void Desktop::ClearRecords() {
    impl_->boxes.clear();
    impl_->sounds.clear();
    impl_->music.clear();
    impl_->paintOps.clear();
}

std::uint64_t Desktop::PaintCount(HWND window) const {
    const WindowSlot* w = impl_->Find(window);
    return w != nullptr ? w->paints : 0;
}

const DrawRecord& Desktop::Impl::DrawAt(const WindowSlot& w, int x, int y) const {
    const CPoint p{x, y};
    for (auto it = w.layers.rbegin(); it != w.layers.rend(); ++it) {
        if (it->rect.PtInRect(p)) {
            return draws[it->draw];
        }
    }
    if (x >= 0 && y >= 0 && x < w.rasterWidth && y < w.rasterHeight) {
        return draws[w.raster[static_cast<std::size_t>(y) * w.rasterWidth + x]];
    }
    return draws[0];
}

Pixel Desktop::PixelAt(HWND window, int x, int y) const {
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr) {
        return {};
    }
    const DrawRecord& d = impl_->DrawAt(*w, x, y);
    Pixel pixel;
    pixel.kind = d.kind;
    pixel.bitmapId = d.bitmapId;
    if (d.kind == Pixel::Kind::Image) {
        pixel.sourceX = ClampToInt(static_cast<long long>(x) + d.offsetX);
        pixel.sourceY = ClampToInt(static_cast<long long>(y) + d.offsetY);
    }
    pixel.textColor = d.textColor;
    pixel.bkColor = d.bkColor;
    pixel.fillColor = d.fillColor;
    pixel.text = d.text;
    return pixel;
}

int Desktop::LiveGdiObjects() const {
    return impl_->liveGdi;
}
int Desktop::LiveMemoryDCs() const {
    return impl_->liveMemoryDcs;
}
int Desktop::PaintLeaks() const {
    return impl_->paintLeaks;
}
int Desktop::FailedDeletes() const {
    return impl_->failedDeletes;
}
bool Desktop::ObjectAlive(const void* handle) const {
    std::uint32_t index = 0;
    const auto object = const_cast<void*>(handle);
    return impl_->FindGdi(object, index) != nullptr ||
           impl_->FindDc(static_cast<HDC>(object)) != nullptr;
}

// --- Dialog controls as a user works them
// ----------------------------------------------------------

namespace {
DialogState* DialogOf(const Modal& modal, WindowSlot** window = nullptr) {
    Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr || modal.dialog == nullptr) {
        return nullptr;
    }
    WindowSlot* w = impl->Find(modal.dialog->m_hWnd);
    if (window != nullptr) {
        *window = w;
    }
    return w != nullptr ? w->dialog.get() : nullptr;
}

// A click on a button: what the button does to itself, then BN_CLICKED to the dialog.
void ClickButton(const Modal& modal, int id, bool radio) {
    using Kind = ControlTemplate::Kind;
    WindowSlot* w = nullptr;
    DialogState* d = DialogOf(modal, &w);
    ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    if (c == nullptr || !c->enabled || !w->info.enabled) {
        return;
    }
    const Kind kind = c->control->kind;
    if (radio) {
        if (kind != Kind::RadioButton && kind != Kind::AutoRadioButton) {
            return;
        }
        if (kind == Kind::AutoRadioButton) {
            for (ControlState& other : d->controls) {
                if (other.group == c->group && other.control->kind == Kind::AutoRadioButton) {
                    other.checked = false;
                }
            }
            c->checked = true;
        }
    } else {
        if (kind != Kind::CheckBox && kind != Kind::AutoCheckBox) {
            return;
        }
        if (kind == Kind::AutoCheckBox) {
            c->checked = !c->checked;
        }
    }
    CurrentImpl()->Send(*w, WM_COMMAND, static_cast<WPARAM>(id & 0xFFFF), 0);
}
}  // namespace

void Modal::ClickCheckBox(int id) const {
    ClickButton(*this, id, false);
}
void Modal::ClickRadioButton(int id) const {
    ClickButton(*this, id, true);
}

UINT Modal::ButtonState(int id) const {
    DialogState* d = DialogOf(*this);
    const ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    return c != nullptr && c->checked ? BST_CHECKED : BST_UNCHECKED;
}

bool Modal::ControlEnabled(int id) const {
    DialogState* d = DialogOf(*this);
    const ControlState* c = d != nullptr ? d->Find(id) : nullptr;
    return c != nullptr && c->enabled;
}

}  // namespace sim
