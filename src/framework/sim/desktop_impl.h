// The simulated desktop's state, shared by the files that implement the framework over it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/sim/desktop.h"
#include "framework/sim/resources.h"

namespace sim {

inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Virtual time ends here, some hundred million years in: far enough for any run, and low enough
// that the clock plus any timer period still fits in 64 bits.
inline constexpr std::uint64_t kEndOfTime = std::uint64_t{1} << 62;

// Handles are never dereferenced: each packs a kind tag, a slot index and the slot's generation,
// so a handle to something destroyed (or made by an earlier desktop) is recognised as stale.
enum class Tag : std::uintptr_t { Window = 1, Menu, Gdi, Dc, Icon, Cursor, Stock };

static_assert(sizeof(void*) == 8, "handles pack a generation into the upper half");

// Generations are unique across desktops, so handles of an earlier desktop never match.
inline std::uint32_t generationCounter = 0;
inline std::uint32_t NextGeneration() {
    if (++generationCounter == 0) {
        ++generationCounter;
    }
    return generationCounter;
}

template <class H>
H MakeHandle(Tag tag, std::uint32_t index, std::uint32_t generation) {
    const std::uintptr_t v = (static_cast<std::uintptr_t>(generation) << 32) |
                             (static_cast<std::uintptr_t>(index + 1) << 4) |
                             static_cast<std::uintptr_t>(tag);
    return reinterpret_cast<H>(v);
}

inline bool SplitHandle(const void* h, Tag tag, std::uint32_t& index, std::uint32_t& generation) {
    const auto v = reinterpret_cast<std::uintptr_t>(h);
    if ((v & 0xF) != static_cast<std::uintptr_t>(tag)) {
        return false;
    }
    const auto i = static_cast<std::uint32_t>((v >> 4) & 0x0FFFFFFF);
    if (i == 0) {
        return false;
    }
    index = i - 1;
    generation = static_cast<std::uint32_t>(v >> 32);
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

// A window's update region: a few rectangles (their union), degrading to the bounding box.
struct UpdateRegion {
    static constexpr std::size_t kMaxRects = 16;
    std::vector<CRect> rects;
    bool erase = false;

    bool Empty() const { return rects.empty(); }
    void Add(const CRect& r);
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
};
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
    std::uint32_t generation = 0;
    bool alive = false;
    bool destroying = false;
    WindowInfo info;
    UpdateRegion region;
    std::uint64_t paints = 0;
    std::uint32_t menu = kNone;
    std::uint32_t menuGeneration = 0;
    bool erases = true;  // the class has a background brush
    std::unique_ptr<DialogState> dialog;
    std::vector<Layer> layers;
    std::vector<std::uint32_t> raster;  // older layers flattened, rasterWidth wide
    int rasterWidth = 0;
    int rasterHeight = 0;
};

struct MenuSlot {
    std::uint32_t generation = 0;
    bool alive = false;
    std::vector<MenuItemInfo> items;
};

struct GdiSlot {
    enum class Kind : std::uint8_t { Free, Bitmap, Brush, Pen };
    std::uintptr_t handle = 0;  // the live object's handle, 0 when free: one compare per lookup
    std::uint32_t generation = 0;
    Kind kind = Kind::Free;
    UINT bitmapId = 0;
    COLORREF color = 0;
    int selected = 0;  // contexts it is selected into
};

struct DcSlot {
    enum class Kind : std::uint8_t { Free, Memory, Paint };
    std::uintptr_t handle = 0;  // the live context's handle, 0 when free: one compare per lookup
    std::uint32_t generation = 0;
    Kind kind = Kind::Free;
    std::uint32_t window = kNone;
    std::uint32_t windowGeneration = 0;
    std::uint32_t bitmap = kNone;
    std::uint32_t brush = kNone;
    std::uint32_t pen = kNone;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    std::vector<CRect> clip;
    std::uint64_t paintNumber = 0;
    int gdiAtStart = 0;
    int dcsAtStart = 0;
};

struct Timer {
    std::uint32_t window = 0;
    std::uint32_t windowGeneration = 0;
    UINT_PTR id = 0;
    std::uint64_t due = 0;
    std::uint64_t period = 0;
    std::uint64_t setNumber = 0;  // which SetTimer call armed it last: ties go by this
};

struct QueuedMessage {
    std::uint32_t window = 0;
    std::uint32_t windowGeneration = 0;
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
    void RemoveWindow(std::uint32_t window);

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

struct Desktop::Impl {
    explicit Impl(Desktop& desktop);

    Desktop& self;
    std::uint64_t now = 0;
    std::time_t calendar = 0;
    bool recording = true;
    bool refuseWindows = false;
    bool quitPending = false;
    bool quit = false;
    int quitCode = 0;
    int runDepth = 0;  // calls of RunPending, Advance and input actions under way
    bool stopRequested = false;
    Responder responder;
    std::vector<const Modal*> modals;

    std::vector<std::unique_ptr<WindowSlot>> windows;
    std::vector<std::uint32_t> freeWindows;
    std::vector<std::uint32_t> order;  // live windows in creation order
    int dirtyWindows = 0;
    std::vector<MenuSlot> menus;
    std::vector<std::uint32_t> freeMenus;
    std::vector<GdiSlot> gdi;
    std::vector<std::uint32_t> freeGdi;
    std::uint32_t gdiCount = 0;  // gdi.size(), kept to spare the lookups a division
    std::vector<DcSlot> dcs;
    std::vector<std::uint32_t> freeDcs;
    std::uint32_t dcCount = 0;  // dcs.size()
    // The last pair of contexts a BitBlt found live with nothing to record: a paint blits the
    // same pair again and again. Forgotten when any context goes or recording changes.
    HDC quietBlitTarget = nullptr;
    HDC quietBlitSource = nullptr;
    void ForgetQuietBlit() { quietBlitTarget = quietBlitSource = nullptr; }
    std::vector<Timer> timers;
    std::uint64_t timersSet = 0;
    MessageRing posted;
    MessageRing input;
    std::vector<std::unique_ptr<WindowClass>> classes;

    std::vector<BoxRecord> boxes;
    std::vector<SoundRecord> sounds;
    std::vector<MusicRecord> music;
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
    MenuSlot* MenuOf(HMENU menu);
    HMENU MenuHandle(const WindowSlot& w) const;
    const WindowClass* FindClass(const char* name) const;
    const char* RegisterClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon);

    // Messages.
    LRESULT Send(WindowSlot& w, UINT message, WPARAM wParam, LPARAM lParam);
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
    DcSlot* FindDc(HDC dc, std::uint32_t* index = nullptr);
    void FreeDc(std::uint32_t index);
    HDC BeginPaint(WindowSlot& w);
    void EndPaint(HDC dc);
    void AddLayer(WindowSlot& w, const CRect& rect, std::uint32_t draw);
    void Flatten(WindowSlot& w);
    void Draw(DcSlot& dc, PaintOp&& op, DrawRecord&& record);
    const DrawRecord& DrawAt(const WindowSlot& w, int x, int y) const;  // what shows there

    // Graphic objects.
    std::uint32_t NewGdi(GdiSlot::Kind kind);
    GdiSlot* FindGdi(HGDIOBJ object, std::uint32_t& index);
    BOOL DeleteGdi(HGDIOBJ object);
};

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
    std::uint32_t index = 0;
    std::uint32_t generation = 0;
    if (!SplitHandle(hwnd, Tag::Window, index, generation) || index >= windows.size()) {
        return nullptr;
    }
    WindowSlot* w = windows[index].get();
    return w->alive && w->generation == generation ? w : nullptr;
}

// The slot index of a handle; a null or malformed one gives an index past every slot.
inline std::uint32_t SlotIndex(std::uintptr_t v) {
    return static_cast<std::uint32_t>((v >> 4) & 0x0FFFFFFF) - 1u;
}

// A slot's stored handle carries the tag, the index and the generation, so one compare
// replaces the three checks; free slots store 0, which no handle equals.
inline DcSlot* Desktop::Impl::FindDc(HDC handle, std::uint32_t* indexOut) {
    const auto v = reinterpret_cast<std::uintptr_t>(handle);
    const std::uint32_t index = SlotIndex(v);
    if (index >= dcCount) {
        return nullptr;
    }
    DcSlot& dc = dcs.data()[index];
    if (dc.handle != v) {
        return nullptr;
    }
    if (indexOut != nullptr) {
        *indexOut = index;
    }
    return &dc;
}

inline GdiSlot* Desktop::Impl::FindGdi(HGDIOBJ object, std::uint32_t& index) {
    const auto v = reinterpret_cast<std::uintptr_t>(object);
    const std::uint32_t i = SlotIndex(v);
    if (i >= gdiCount) {
        return nullptr;
    }
    GdiSlot& g = gdi.data()[i];
    if (g.handle != v) {
        return nullptr;
    }
    index = i;
    return &g;
}

}  // namespace sim
