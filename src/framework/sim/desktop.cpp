// The simulated desktop's public face: its lifetime, the virtual clock, what a user does (clicks,
// menu commands, closing, exposing) and what tests and the simulator read back.
#include <algorithm>
#include <stdexcept>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {
Desktop* g_desktop = nullptr;
}  // namespace

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

BOOL Desktop::Start(CWinApp& app, int showCommand, const char* commandLine) {
    app.m_nCmdShow = showCommand;
    app.m_lpCmdLine = commandLine;
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

void Desktop::QueueKey(HWND window, UINT virtualKey) {
    WindowSlot* w = impl_->Find(window);
    if (impl_->quit || w == nullptr || !w->info.enabled || !w->info.visible) {
        return;
    }
    impl_->Post(impl_->input, *w, WM_KEYDOWN, virtualKey, 1);
}

void Desktop::Key(HWND window, UINT virtualKey) {
    QueueKey(window, virtualKey);
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

std::uint64_t Desktop::WindowChanges() const {
    return impl_->windowChanges;
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

std::uint64_t Desktop::NextTimerDue() const {
    return impl_->NextTimerDue();
}

const DialogTemplate* Desktop::FindDialogTemplate(UINT id) {
    return detail::ProgramResources().FindDialog(id, afx::detail::ApplicationLanguage());
}

void Desktop::SetRecording(bool on) {
    impl_->recording = on;
    impl_->drawsSeen = on || impl_->paintSink != nullptr;
    ForgetQuietBlit();
}
void Desktop::SetPaintSink(PaintSink* sink) {
    impl_->paintSink = sink;
    impl_->drawsSeen = impl_->recording || sink != nullptr;
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

const std::vector<AccessRecord>& Desktop::Accesses() const {
    return impl_->accesses;
}

std::vector<std::string> Desktop::AccessibleNames(HWND window) const {
    std::vector<std::string> names;
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr || w->info.object == nullptr) {
        return names;
    }
    const LONG count = w->info.object->GetAccessibleChildCount();
    for (LONG child = 1; child <= count; ++child) {
        names.push_back(w->info.object->GetAccessibleName(child));
    }
    return names;
}

void Desktop::ClearRecords() {
    impl_->accesses.clear();
    impl_->boxes.clear();
    impl_->sounds.clear();
    impl_->music.clear();
    impl_->paintOps.clear();
}

std::uint64_t Desktop::PaintCount(HWND window) const {
    const WindowSlot* w = impl_->Find(window);
    return w != nullptr ? w->paints : 0;
}

const DrawRecord& Desktop::Impl::DrawAt(const WindowSlot& w, int x, int y, bool& inverted) const {
    inverted = false;
    const CPoint p{x, y};
    for (auto it = w.layers.rbegin(); it != w.layers.rend(); ++it) {
        if (!it->rect.PtInRect(p)) {
            continue;
        }
        const DrawRecord& d = draws[it->draw];
        if (!d.invertsDots) {
            return d;
        }
        inverted = inverted != IsFocusDot(x, y);
    }
    if (x >= 0 && y >= 0 && x < w.rasterWidth && y < w.rasterHeight) {
        const auto row = static_cast<std::size_t>(y) * static_cast<std::size_t>(w.rasterWidth);
        const std::uint32_t flat = w.raster[row + static_cast<std::size_t>(x)];
        inverted = inverted != ((flat & kInvertedPixel) != 0);
        return draws[flat & ~kInvertedPixel];
    }
    return draws[0];
}

Pixel Desktop::PixelAt(HWND window, int x, int y) const {
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr) {
        return {};
    }
    bool inverted = false;
    const DrawRecord& d = impl_->DrawAt(*w, x, y, inverted);
    Pixel pixel;
    pixel.inverted = inverted;
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

}  // namespace sim
