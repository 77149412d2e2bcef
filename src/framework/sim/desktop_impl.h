// The simulated desktop's state, shared by the files that implement the framework over it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/sim/desktop.h"
#include "framework/sim/handle_table.h"
#include "framework/sim/resources.h"

namespace sim {

inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;
inline constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// Virtual time ends here, some hundred million years in: far enough for any run, and low enough
// that the clock plus any timer period still fits in 64 bits.
inline constexpr std::uint64_t kEndOfTime = std::uint64_t{1} << 62;

inline bool SplitHandle(const void* h, Tag tag, std::uint32_t& index, std::uint32_t& generation) {
    const auto v = reinterpret_cast<std::uintptr_t>(h);
    if (TagOf(v) != tag) {
        return false;
    }
    const std::uint32_t i = SlotIndex(v);
    if (i == 0xFFFFFFFFu) {
        return false;
    }
    index = i;
    generation = static_cast<std::uint32_t>(v >> kGenerationShift) & kGenerationMask;
    return true;
}

inline int ClampToInt(long long v) {
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

inline CRect Intersect(const CRect& a, const CRect& b) {
    CRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
    return r;
}
inline bool IsEmpty(const CRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline bool Contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A few rectangles held in place: an update region or a paint's clip, copied without allocating.
class RectList {
  public:
    static constexpr std::size_t kCapacity = 16;

    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    const CRect* begin() const { return rects_.data(); }
    const CRect* end() const { return rects_.data() + count_; }
    void clear() { count_ = 0; }
    void push_back(const CRect& r) { rects_[count_++] = r; }  // the caller keeps size() < capacity
    template <class Pred>
    void erase_if(Pred pred) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            if (!pred(rects_[i])) {
                rects_[kept++] = rects_[i];
            }
        }
        count_ = kept;
    }
    RectList& operator=(const RectList& other) {
        count_ = other.count_;
        std::copy_n(other.rects_.begin(), count_, rects_.begin());
        return *this;
    }
    RectList() = default;
    RectList(const RectList& other) { *this = other; }

  private:
    std::array<CRect, kCapacity> rects_;
    std::size_t count_ = 0;
};

// A window's update region: a few rectangles (their union), degrading to the bounding box.
struct UpdateRegion {
    RectList rects;
    bool erase = false;

    bool Empty() const { return rects.empty(); }
    void Add(const CRect& added);
    void Clear() {
        rects.clear();
        erase = false;
    }
};

// What was drawn where, for PixelAt: each layer covers a rectangle with one drawing.
struct DrawRecord {
    Pixel::Kind kind = Pixel::Kind::Background;
    UINT bitmapId = 0;
    int offsetX = 0;  // source x minus destination x
    int offsetY = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    COLORREF fillColor = 0;
    COLORREF penColor = 0;  // Fill: the rectangle's one-pixel edge
    CRect whole;            // Fill: the whole rectangle, before clipping
    std::string text;
    // A focus rectangle's edge: covers nothing, but inverts what lies under it where x + y is
    // odd (in client coordinates), as the dotted lines Windows draws.
    bool invertsDots = false;
};
// Dots of the focus rectangle whose x + y is odd are the ones inverted.
inline bool IsFocusDot(int x, int y) {
    return ((x + y) & 1) != 0;
}
// A flattened pixel's draw index, and whether focus dots left it inverted.
inline constexpr std::uint32_t kInvertedPixel = 0x80000000u;
struct Layer {
    CRect rect;
    std::uint32_t draw;
};

struct ControlState {
    const ControlTemplate* control = nullptr;
    bool checked = false;
    bool enabled = true;
    std::size_t group = 0;  // index of the control that starts its group
};

struct DialogState {
    const DialogTemplate* dialogTemplate = nullptr;
    std::vector<ControlState> controls;
    bool ended = false;
    int result = 0;

    ControlState* Find(int id);
};

struct WindowSlot {
    bool destroying = false;
    WindowInfo info;
    UpdateRegion region;
    std::uint64_t paints = 0;
    HMENU menu = nullptr;
    bool erases = true;  // the class has a background brush
    // The paint and timer handlers, the messages sent most, looked up at the first of them.
    bool handlersFound = false;
    const AFX_MSGMAP_ENTRY* paintHandler = nullptr;
    const AFX_MSGMAP_ENTRY* timerHandler = nullptr;
    std::unique_ptr<DialogState> dialog;
    std::vector<Layer> layers;
    std::vector<std::uint32_t> raster;  // older layers flattened, rasterWidth wide
    int rasterWidth = 0;
    int rasterHeight = 0;
};

struct MenuSlot {
    std::vector<MenuItemInfo> items;
};

struct GdiSlot {
    enum class Kind : std::uint8_t { Free, Bitmap, Brush, Pen };
    Kind kind = Kind::Free;
    UINT bitmapId = 0;
    COLORREF color = 0;
    int selected = 0;  // contexts it is selected into
};

struct DcSlot {
    enum class Kind : std::uint8_t { Free, Memory, Paint, Client };
    Kind kind = Kind::Free;
    HWND window = nullptr;  // a paint's or a client context's window
    std::uint32_t bitmap = kNone;
    std::uint32_t brush = kNone;
    std::uint32_t pen = kNone;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    RectList clip;
    std::uint64_t paintNumber = 0;
    int gdiAtStart = 0;
    int dcsAtStart = 0;
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    std::uint64_t due = 0;
    std::uint64_t period = 0;
    std::uint64_t setNumber = 0;  // which SetTimer call armed it last: ties go by this
};

struct QueuedMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A first-in first-out queue that reuses its storage.
class MessageRing {
  public:
    bool Empty() const { return count_ == 0; }
    void Push(const QueuedMessage& m);
    QueuedMessage Pop();
    void RemoveWindow(HWND window);

  private:
    std::vector<QueuedMessage> buffer_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

struct WindowClass {
    std::string name;
    UINT style = 0;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
};

// The last pair of context wrappers a BitBlt found live with nothing to record: a paint blits
// the same pair again and again, and each such blit is then one check of the pair. A wrapper
// keeps its context until the context goes, and then the pair is forgotten (as it is when
// recording changes and with the desktop), so the wrappers themselves name the pair.
struct QuietBlit {
    const CDC* target;
    const CDC* source;
};
inline QuietBlit quietBlit{nullptr, nullptr};
inline void ForgetQuietBlit() {
    quietBlit = {nullptr, nullptr};
}

struct Desktop::Impl {
    explicit Impl(Desktop& desktop);

    Desktop& self;
    std::uint64_t now = 0;
    std::time_t calendar = 0;
    bool recording = true;
    PaintSink* paintSink = nullptr;
    bool drawsSeen = true;  // recording, or a sink watching: drawings are worked out
    bool refuseWindows = false;
    bool quitPending = false;
    bool quit = false;
    int quitCode = 0;
    int runDepth = 0;  // calls of RunPending, Advance and input actions under way
    bool stopRequested = false;
    Responder responder;
    std::vector<const Modal*> modals;

    HandleTable<WindowSlot, Tag::Window, true> windows;
    std::vector<std::uint32_t> order;  // live windows in creation order
    std::uint64_t windowChanges = 0;   // one more at each change to what a window frame shows
    int dirtyWindows = 0;
    HandleTable<MenuSlot, Tag::Menu> menus;
    HandleTable<GdiSlot, Tag::Gdi> gdi;
    HandleTable<DcSlot, Tag::Dc> dcs;
    std::vector<Timer> timers;
    std::uint64_t timersSet = 0;
    MessageRing posted;
    MessageRing input;
    std::vector<std::unique_ptr<WindowClass>> classes;

    std::vector<BoxRecord> boxes;
    std::vector<SoundRecord> sounds;
    std::vector<MusicRecord> music;
    std::vector<AccessRecord> accesses;
    std::vector<PaintOp> paintOps;
    std::vector<DrawRecord> draws;  // [0]: the class background
    HWND musicCallback = nullptr;

    int liveGdi = 0;
    int liveMemoryDcs = 0;
    int paintLeaks = 0;
    int failedDeletes = 0;
    std::uint64_t paintNumber = 0;

    // Windows.
    WindowSlot* Find(HWND hwnd);
    const WindowSlot* Find(HWND hwnd) const;
    HWND Handle(std::uint32_t index) const;
    HWND Create(CWnd* object, const char* className, const char* caption, DWORD style,
                DWORD exStyle, const CRect& windowRect, HWND owner, UINT menuId);
    bool Destroy(HWND hwnd);
    void SetVisible(WindowSlot& w, bool visible);
    void SetEnabled(WindowSlot& w, bool enabled);
    void SetWindowRect(WindowSlot& w, const CRect& rect);
    void Invalidate(WindowSlot& w, const CRect* rect, bool erase);
    void Validate(WindowSlot& w);
    MenuSlot* MenuOf(HMENU menu) { return menus.Find(menu); }
    const WindowClass* FindClass(const char* name) const;
    const char* RegisterClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon);

    // Messages.
    LRESULT Send(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SendThroughMap(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam);
    void Post(MessageRing& ring, WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam);
    enum class Step { Dispatched, Idle, QuitRetrieved, QuitBlocked, Stopped };
    Step PumpOne();
    Step RunPending();  // until idle at the current time; never advances time
    bool Advance(std::uint64_t ms);
    bool FindDueTimer(std::size_t& which) const;
    std::uint64_t NextTimerDue() const;  // UINT64_MAX if none
    void SetTimer(WindowSlot& w, UINT_PTR id, UINT elapse);
    bool KillTimer(WindowSlot& w, UINT_PTR id);
    void PostQuit(int code);
    bool ModalMustEnd() const { return quitPending || quit; }

    // Modals: the owner is disabled for the duration, as Windows does.
    int RunMessageBox(HWND owner, const char* text, const char* caption, UINT type);
    INT_PTR RunDialog(CDialog& dialog);
    int Ask(const Modal& modal, int fallback);

    // Painting.
    std::uint32_t NewDc(DcSlot::Kind kind);
    DcSlot* FindDc(HDC handle, std::uint32_t* indexOut = nullptr);
    void FreeDc(std::uint32_t index);
    HDC BeginPaint(WindowSlot& w);
    void EndPaint(HDC handle);
    HDC GetDc(WindowSlot& w);  // the whole client area, outside a paint
    void ReleaseDc(HDC handle);
    void AddLayer(WindowSlot& w, const CRect& rect, std::uint32_t draw);
    void Flatten(WindowSlot& w);
    // Records the drawing; it covers op.dest, or only the rectangles of `covered` when given.
    void Draw(DcSlot& dc, PaintOp&& op, DrawRecord&& record, std::span<const CRect> covered = {});
    // What shows there: the topmost drawing that covers the pixel, and whether focus dots above
    // it invert it.
    const DrawRecord& DrawAt(const WindowSlot& w, int x, int y, bool& inverted) const;

    // Graphic objects.
    HGDIOBJ NewGdi(GdiSlot::Kind kind, UINT bitmapId, COLORREF color);
    GdiSlot* FindGdi(HGDIOBJ object, std::uint32_t& index);
    BOOL DeleteGdi(HGDIOBJ object);
};

// The non-client area of a top-level window with classic metrics.
struct Insets {
    int left, top, right, bottom;
};
Insets NonClient(DWORD style, DWORD exStyle, bool menu);

// The command item `id` anywhere in a menu, or null.
MenuItemInfo* FindMenuItem(std::vector<MenuItemInfo>& items, UINT id);

// The live desktop, or null: framework calls made with no desktop (a static object's
// construction, say) act on nothing.
inline Desktop::Impl* currentImpl = nullptr;
inline Desktop::Impl* CurrentImpl() {
    return currentImpl;
}

// The lookups every drawing call makes, kept inline.
inline WindowSlot* Desktop::Impl::Find(HWND hwnd) {
    return windows.Find(hwnd);
}

inline DcSlot* Desktop::Impl::FindDc(HDC handle, std::uint32_t* indexOut) {
    std::uint32_t index = 0;
    DcSlot* dc = dcs.Find(handle, index);
    if (dc != nullptr && indexOut != nullptr) {
        *indexOut = index;
    }
    return dc;
}

inline GdiSlot* Desktop::Impl::FindGdi(HGDIOBJ object, std::uint32_t& index) {
    return gdi.Find(object, index);
}

// Paints and timer ticks, the messages sent most, go straight to the handlers found at the first
// of them.
inline LRESULT Desktop::Impl::Send(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (w.handlersFound) {
        const AFX_MSGMAP_ENTRY* handler = message == WM_PAINT   ? w.paintHandler
                                          : message == WM_TIMER ? w.timerHandler
                                                                : nullptr;
        if (handler != nullptr) {
            return handler->thunk(w.info.object, wParam, lParam);
        }
    }
    return SendThroughMap(w, message, wParam, lParam);
}

// A paint creates and deletes a few objects: both stay inline.
inline HGDIOBJ Desktop::Impl::NewGdi(GdiSlot::Kind kind, UINT bitmapId, COLORREF color) {
    const std::uint32_t index = gdi.Add();
    gdi[index] = GdiSlot{kind, bitmapId, color, 0};
    ++liveGdi;
    return gdi.HandleAs<HGDIOBJ>(index);
}

inline BOOL Desktop::Impl::DeleteGdi(HGDIOBJ object) {
    std::uint32_t index = 0;
    GdiSlot* g = FindGdi(object, index);
    if (g == nullptr) {
        std::uint32_t generation = 0;
        // Stock objects are never deleted.
        return SplitHandle(object, Tag::Stock, index, generation) ? TRUE : FALSE;
    }
    if (g->selected > 0) {
        ++failedDeletes;  // Windows refuses to delete an object selected into a context
        return FALSE;
    }
    g->kind = GdiSlot::Kind::Free;
    --liveGdi;
    gdi.Remove(index);
    return TRUE;
}

}  // namespace sim
