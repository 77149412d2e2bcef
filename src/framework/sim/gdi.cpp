// The framework's graphic objects and device contexts on the simulated desktop. With recording off
// the hot calls (LoadBitmap, SelectObject, BitBlt, DeleteObject) are a handle check and a slot
// update.
#include <algorithm>
#include <limits>
#include <utility>

#include "framework/sim/desktop_impl.h"

using sim::ClampToInt;
using sim::CurrentImpl;
using sim::DcSlot;
using sim::GdiSlot;
using sim::kNone;

namespace {
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kInvalidColor = 0xFFFFFFFF;
}  // namespace

namespace {

// The ids of the bitmaps the program may load.
// Bytes rather than bits: one load per LoadBitmap.
const std::vector<std::uint8_t>& DeclaredBitmaps() {
    static const std::vector<std::uint8_t> declared = [] {
        std::vector<std::uint8_t> ids(1 << 16, 0);
        const auto& listed = sim::detail::ProgramResources().bitmaps;
        // Until the script lists its bitmaps, the ones the program is known to use.
        static constexpr UINT kKnown[] = {102, 113, 114, 115, 116, 117, 122, 132, 135};
        const std::vector<UINT> fallback(std::begin(kKnown), std::end(kKnown));
        for (UINT id : listed.empty() ? fallback : listed) {
            if (id < ids.size()) {
                ids[id] = 1;
            }
        }
        return ids;
    }();
    return declared;
}

// A new object for a wrapper's handle; with no desktop there is none. A handle already held
// leaks, as it would with the framework. Inline, as a paint loads several bitmaps.
[[gnu::always_inline]] inline BOOL CreateObject(HGDIOBJ& handle, GdiSlot::Kind kind, UINT bitmapId,
                                                COLORREF color) {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr) {
        return FALSE;
    }
    handle = impl->NewGdi(kind, bitmapId, color);
    return TRUE;
}

// Selects `object` (or the context's original object, which has no handle) into the context;
// returns what was selected before, or null when Windows would refuse.
template <class T>
T* Select(HDC hdc, T* object, T* original, T*& selected, std::uint32_t DcSlot::*field,
          GdiSlot::Kind kind) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(hdc) : nullptr;
    if (object == nullptr || dc == nullptr) {
        return nullptr;
    }
    std::uint32_t index = kNone;
    if (object != original) {
        GdiSlot* g = impl->FindGdi(object->m_hObject, index);
        if (g == nullptr || g->kind != kind) {
            return nullptr;
        }
        if (kind == GdiSlot::Kind::Bitmap) {
            // A bitmap goes only into a memory context, and into one at a time.
            if (dc->kind != DcSlot::Kind::Memory || (g->selected > 0 && dc->*field != index)) {
                return nullptr;
            }
        }
    }
    std::uint32_t& current = dc->*field;
    if (current != index) {
        if (current != kNone) {
            --impl->gdi[current].selected;
        }
        if (index != kNone) {
            ++impl->gdi[index].selected;
        }
        current = index;
    }
    T* previous = selected;
    selected = object;
    return previous;
}

// Calls `advance` with each character's width in the system font: half-width characters (ASCII,
// half-width katakana) take one 8-pixel cell, others two.
template <class F>
void ForEachAdvance(const char* text, int length, F advance) {
    for (int i = 0; i < length;) {
        const auto c = static_cast<unsigned char>(text[i]);
        int bytes = 1;
        char32_t code = c;
        if (c >= 0xF0) {
            bytes = 4;
            code = c & 0x07;
        } else if (c >= 0xE0) {
            bytes = 3;
            code = c & 0x0F;
        } else if (c >= 0xC0) {
            bytes = 2;
            code = c & 0x1F;
        }
        for (int k = 1; k < bytes && i + k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        advance(code < 0x80 || (code >= 0xFF61 && code <= 0xFF9F) ? 8 : 16);
        i += bytes;
    }
}

int TextWidth(const char* text, int length) {
    int width = 0;
    ForEachAdvance(text, length, [&](int cell) { width += cell; });
    return width;
}

CRect DestRect(int x, int y, long long width, long long height) {
    return CRect{x, y, ClampToInt(x + width), ClampToInt(y + height)};
}

// The recording halves of the drawing calls, kept out of line so that the calls stay small
// when recording is off.
[[gnu::noinline]] void RecordBitBlt(CDC* target, int x, int y, int width, int height, CDC* source,
                                    int sourceX, int sourceY) {
    sim::Desktop::Impl& impl = *CurrentImpl();
    DcSlot& dc = *impl.FindDc(target->m_hDC);
    const DcSlot* src = source != nullptr ? impl.FindDc(source->m_hDC) : nullptr;
    const UINT bitmapId =
        src != nullptr && src->bitmap != kNone ? impl.gdi[src->bitmap].bitmapId : 0;
    sim::PaintOp op;
    op.kind = sim::PaintOp::Kind::BitBlt;
    op.dest = DestRect(x, y, width, height);
    op.bitmapId = bitmapId;
    op.sourceX = sourceX;
    op.sourceY = sourceY;
    op.textColor = dc.textColor;
    op.bkColor = dc.bkColor;
    sim::DrawRecord record;
    record.kind = sim::Pixel::Kind::Image;
    record.bitmapId = bitmapId;
    record.offsetX = ClampToInt(static_cast<long long>(sourceX) - x);
    record.offsetY = ClampToInt(static_cast<long long>(sourceY) - y);
    record.textColor = dc.textColor;
    record.bkColor = dc.bkColor;
    impl.Draw(dc, std::move(op), std::move(record));
}

[[gnu::noinline]] void RecordTextOut(sim::Desktop::Impl& impl, DcSlot& dc, int x, int y,
                                     const char* text, int length) {
    sim::PaintOp op;
    op.kind = sim::PaintOp::Kind::Text;
    op.dest = DestRect(x, y, TextWidth(text, length), 16);
    op.textColor = dc.textColor;
    op.bkColor = dc.bkColor;
    op.text.assign(text, static_cast<std::size_t>(length));
    sim::DrawRecord record;
    record.kind = sim::Pixel::Kind::Text;
    record.textColor = dc.textColor;
    record.bkColor = dc.bkColor;
    record.text = op.text;
    impl.Draw(dc, std::move(op), std::move(record));
}

[[gnu::noinline]] void RecordRectangle(sim::Desktop::Impl& impl, DcSlot& dc, int left, int top,
                                       int right, int bottom) {
    // The context's original brush is white and its original pen black.
    const COLORREF brush = dc.brush != kNone ? impl.gdi[dc.brush].color : kWhite;
    const COLORREF pen = dc.pen != kNone ? impl.gdi[dc.pen].color : 0;
    sim::PaintOp op;
    op.kind = sim::PaintOp::Kind::Rectangle;
    op.dest = CRect{left, top, right, bottom};
    op.brushColor = brush;
    op.penColor = pen;
    op.textColor = dc.textColor;
    op.bkColor = dc.bkColor;
    sim::DrawRecord record;
    record.kind = sim::Pixel::Kind::Fill;
    record.fillColor = brush;
    record.penColor = pen;
    record.whole = op.dest;
    impl.Draw(dc, std::move(op), std::move(record));
}

[[gnu::noinline]] void RecordFocusRect(sim::Desktop::Impl& impl, DcSlot& dc, const CRect& rect) {
    sim::PaintOp op;
    op.kind = sim::PaintOp::Kind::FocusRect;
    op.dest = rect;
    op.textColor = dc.textColor;
    op.bkColor = dc.bkColor;
    sim::DrawRecord record;
    record.invertsDots = true;
    // The one-pixel edge: the top and bottom rows whole, the sides between them.
    const CRect edges[] = {
        {rect.left, rect.top, rect.right, rect.top + 1},
        {rect.left, std::max(rect.top + 1, rect.bottom - 1), rect.right, rect.bottom},
        {rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1},
        {std::max(rect.left + 1, rect.right - 1), rect.top + 1, rect.right, rect.bottom - 1},
    };
    impl.Draw(dc, std::move(op), std::move(record), edges);
}

// Drawings reach a window through its paint or a context of its client area; what is drawn
// into a memory bitmap shows nowhere.
bool ShowsInWindow(const DcSlot& dc) {
    return dc.kind == DcSlot::Kind::Paint || dc.kind == DcSlot::Kind::Client;
}

[[gnu::noinline]] BOOL CheckedBitBlt(CDC* target, int x, int y, int width, int height, CDC* source,
                                     int sourceX, int sourceY, DWORD) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(target->m_hDC) : nullptr;
    if (dc == nullptr) {
        return FALSE;
    }
    DcSlot* src = source != nullptr ? impl->FindDc(source->m_hDC) : nullptr;
    if (source != nullptr && src == nullptr) {
        return FALSE;
    }
    // Drawing into a memory bitmap shows nowhere; only what reaches a window is recorded.
    if (ShowsInWindow(*dc) && impl->drawsSeen) {
        RecordBitBlt(target, x, y, width, height, source, sourceX, sourceY);
    } else if (source != nullptr) {
        sim::quietBlit = {target, source};
    }
    return TRUE;
}

}  // namespace

// --- Graphic objects -----------------------------------------------------------------------------

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    // The wrapper lets go of the handle even when Windows refuses to delete the object.
    HGDIOBJ object = Detach();
    sim::Desktop::Impl* impl = CurrentImpl();
    return impl != nullptr ? impl->DeleteGdi(object) : FALSE;
}

HGDIOBJ CGdiObject::Detach() {
    return std::exchange(m_hObject, nullptr);
}

BOOL CBitmap::LoadBitmap(UINT resourceId) {
    const auto& declared = DeclaredBitmaps();
    if (resourceId >= declared.size() || declared[resourceId] == 0) {
        return FALSE;
    }
    return CreateObject(m_hObject, GdiSlot::Kind::Bitmap, resourceId, 0);
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    return CreateObject(m_hObject, GdiSlot::Kind::Brush, 0, color);
}

BOOL CPen::CreatePen(int, int, COLORREF color) {
    return CreateObject(m_hObject, GdiSlot::Kind::Pen, 0, color);
}

// --- Device contexts -----------------------------------------------------------------------------

CDC::CDC() = default;

CDC::~CDC() {
    if (m_hDC != nullptr) {
        DeleteDC();
    }
}

BOOL CDC::CreateCompatibleDC(CDC*) {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (impl == nullptr || m_hDC != nullptr) {
        return FALSE;
    }
    const std::uint32_t index = impl->NewDc(DcSlot::Kind::Memory);
    m_hDC = impl->dcs.HandleAs<HDC>(index);
    selectedBitmap_ = &defaultBitmap_;
    selectedBrush_ = &defaultBrush_;
    selectedPen_ = &defaultPen_;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    sim::Desktop::Impl* impl = CurrentImpl();
    std::uint32_t index = 0;
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC, &index) : nullptr;
    if (dc == nullptr || dc->kind != DcSlot::Kind::Memory) {
        return FALSE;
    }
    impl->FreeDc(index);
    m_hDC = nullptr;
    selectedBitmap_ = &defaultBitmap_;
    selectedBrush_ = &defaultBrush_;
    selectedPen_ = &defaultPen_;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return Select(m_hDC, bitmap, &defaultBitmap_, selectedBitmap_, &DcSlot::bitmap,
                  GdiSlot::Kind::Bitmap);
}

CBrush* CDC::SelectObject(CBrush* brush) {
    return Select(m_hDC, brush, &defaultBrush_, selectedBrush_, &DcSlot::brush,
                  GdiSlot::Kind::Brush);
}

CPen* CDC::SelectObject(CPen* pen) {
    return Select(m_hDC, pen, &defaultPen_, selectedPen_, &DcSlot::pen, GdiSlot::Kind::Pen);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY,
                 DWORD rop) {
    if (this == sim::quietBlit.target && source == sim::quietBlit.source) [[likely]] {
        return TRUE;  // the same live pair as the last call, still with nothing to record
    }
    return CheckedBitBlt(this, x, y, width, height, source, sourceX, sourceY, rop);
}

COLORREF CDC::SetTextColor(COLORREF color) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC) : nullptr;
    if (dc == nullptr) {
        return kInvalidColor;
    }
    return std::exchange(dc->textColor, color);
}

COLORREF CDC::SetBkColor(COLORREF color) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC) : nullptr;
    if (dc == nullptr) {
        return kInvalidColor;
    }
    return std::exchange(dc->bkColor, color);
}

BOOL CDC::TextOut(int x, int y, const char* text, int length) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC) : nullptr;
    if (dc == nullptr || text == nullptr || length < 0) {
        return FALSE;
    }
    if (!ShowsInWindow(*dc) || !impl->drawsSeen) {
        return TRUE;
    }
    RecordTextOut(*impl, *dc, x, y, text, length);
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC) : nullptr;
    if (dc == nullptr) {
        return FALSE;
    }
    if (!ShowsInWindow(*dc) || !impl->drawsSeen) {
        return TRUE;
    }
    RecordRectangle(*impl, *dc, left, top, right, bottom);
    return TRUE;
}

void CDC::DrawFocusRect(const CRect* rect) {
    sim::Desktop::Impl* impl = CurrentImpl();
    DcSlot* dc = impl != nullptr ? impl->FindDc(m_hDC) : nullptr;
    if (dc == nullptr || rect == nullptr || !ShowsInWindow(*dc) || !impl->drawsSeen ||
        sim::IsEmpty(*rect)) {
        return;
    }
    RecordFocusRect(*impl, *dc, *rect);
}

CPaintDC::CPaintDC(CWnd* window) : window_(window) {
    sim::Desktop::Impl* impl = CurrentImpl();
    sim::WindowSlot* w =
        impl != nullptr && window != nullptr ? impl->Find(window->m_hWnd) : nullptr;
    if (w != nullptr) {
        m_hDC = impl->BeginPaint(*w);
        paintState_ = impl;
    }
}

CPaintDC::~CPaintDC() {
    sim::Desktop::Impl* impl = CurrentImpl();
    if (m_hDC != nullptr && impl != nullptr && impl == paintState_) {
        impl->EndPaint(m_hDC);
    }
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* window) : window_(window) {
    sim::Desktop::Impl* impl = CurrentImpl();
    sim::WindowSlot* w =
        impl != nullptr && window != nullptr ? impl->Find(window->m_hWnd) : nullptr;
    if (w != nullptr) {
        m_hDC = impl->GetDc(*w);
    }
}

CClientDC::~CClientDC() {
    if (sim::Desktop::Impl* impl = CurrentImpl(); m_hDC != nullptr && impl != nullptr) {
        impl->ReleaseDc(m_hDC);
    }
    m_hDC = nullptr;
}

std::vector<int> sim::TextAdvances(std::string_view text) {
    std::vector<int> advances;
    ForEachAdvance(text.data(), static_cast<int>(text.size()),
                   [&](int cell) { advances.push_back(cell); });
    return advances;
}
