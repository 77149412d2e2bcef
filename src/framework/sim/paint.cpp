// The desktop's side of painting: device contexts made and freed, paints begun and ended, and
// each drawing on its way to the paint sink and, when recording, into the window's layers.
#include <algorithm>
#include <utility>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
// Layers kept per window before older ones are flattened into a raster.
constexpr std::size_t kMaxLayers = 1 << 15;

}  // namespace

std::uint32_t Desktop::Impl::NewDc(DcSlot::Kind kind) {
    const std::uint32_t index = dcs.Add();
    DcSlot& dc = dcs[index];
    dc.kind = kind;
    dc.window = nullptr;
    dc.bitmap = dc.brush = dc.pen = kNone;
    dc.textColor = 0;
    dc.bkColor = kWhite;
    dc.clip.clear();
    if (kind == DcSlot::Kind::Memory) {
        ++liveMemoryDcs;
    }
    return index;
}

void Desktop::Impl::FreeDc(std::uint32_t index) {
    DcSlot& dc = dcs[index];
    for (std::uint32_t object : {dc.bitmap, dc.brush, dc.pen}) {
        if (object != kNone) {
            --gdi[object].selected;
        }
    }
    if (dc.kind == DcSlot::Kind::Memory) {
        --liveMemoryDcs;
    }
    dc.kind = DcSlot::Kind::Free;
    sim::ForgetQuietBlit();
    dcs.Remove(index);
}

HDC Desktop::Impl::BeginPaint(WindowSlot& w) {
    const std::uint32_t index = NewDc(DcSlot::Kind::Paint);
    DcSlot& dc = dcs[index];
    dc.window = w.info.hwnd;
    if (drawsSeen) {
        dc.clip = w.region.rects;  // only drawings that are worked out are clipped
    }
    const bool erase = w.region.erase;
    if (paintSink != nullptr) {
        paintSink->BeginPaint(w.info.hwnd, std::span<const CRect>(dc.clip.begin(), dc.clip.end()),
                              erase && w.erases);
    }
    Validate(w);
    ++w.paints;
    dc.paintNumber = ++paintNumber;
    dc.gdiAtStart = liveGdi;
    dc.dcsAtStart = liveMemoryDcs;
    if (erase && w.erases && recording) {
        for (const CRect& r : dc.clip) {
            AddLayer(w, r, 0);
        }
    }
    return dcs.HandleAs<HDC>(index);
}

void Desktop::Impl::EndPaint(HDC handle) {
    std::uint32_t index = 0;
    DcSlot* dc = FindDc(handle, &index);
    if (dc == nullptr || dc->kind != DcSlot::Kind::Paint) {
        return;
    }
    if (liveGdi > dc->gdiAtStart || liveMemoryDcs > dc->dcsAtStart) {
        ++paintLeaks;
    }
    FreeDc(index);
}

void Desktop::Impl::AddLayer(WindowSlot& w, const CRect& rect, std::uint32_t draw) {
    if (Contains(rect, w.info.clientRect) && !draws[draw].invertsDots) {
        w.layers.clear();  // everything earlier is covered
        w.raster.clear();
        w.rasterWidth = w.rasterHeight = 0;
    }
    w.layers.push_back({rect, draw});
    if (w.layers.size() > kMaxLayers) {
        Flatten(w);
    }
}

void Desktop::Impl::Flatten(WindowSlot& w) {
    const int width = w.info.clientRect.Width();
    const int height = w.info.clientRect.Height();
    if (width != w.rasterWidth || height != w.rasterHeight) {
        std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * height, 0);
        for (int y = 0; y < std::min(height, w.rasterHeight); ++y) {
            for (int x = 0; x < std::min(width, w.rasterWidth); ++x) {
                resized[static_cast<std::size_t>(y) * width + x] =
                    w.raster[static_cast<std::size_t>(y) * w.rasterWidth + x];
            }
        }
        w.raster.swap(resized);
        w.rasterWidth = width;
        w.rasterHeight = height;
    }
    for (const Layer& layer : w.layers) {
        const CRect r = Intersect(layer.rect, CRect{0, 0, width, height});
        const bool dots = draws[layer.draw].invertsDots;
        for (int y = r.top; y < r.bottom; ++y) {
            const auto row = w.raster.begin() + static_cast<std::ptrdiff_t>(y) * width;
            if (!dots) {
                std::fill_n(row + r.left, std::max(0, r.Width()), layer.draw);
                continue;
            }
            for (int x = r.left; x < r.right; ++x) {
                if (IsFocusDot(x, y)) {
                    row[x] ^= kInvertedPixel;
                }
            }
        }
    }
    w.layers.clear();
}

HDC Desktop::Impl::GetDc(WindowSlot& w) {
    const std::uint32_t index = NewDc(DcSlot::Kind::Client);
    DcSlot& dc = dcs[index];
    dc.window = w.info.hwnd;
    dc.paintNumber = 0;
    if (drawsSeen) {
        dc.clip.push_back(w.info.clientRect);
    }
    if (paintSink != nullptr) {
        paintSink->BeginPaint(w.info.hwnd, std::span<const CRect>(dc.clip.begin(), dc.clip.end()),
                              false);
    }
    return dcs.HandleAs<HDC>(index);
}

void Desktop::Impl::ReleaseDc(HDC handle) {
    std::uint32_t index = 0;
    DcSlot* dc = FindDc(handle, &index);
    if (dc != nullptr && dc->kind == DcSlot::Kind::Client) {
        FreeDc(index);
    }
}

void Desktop::Impl::Draw(DcSlot& dc, PaintOp&& op, DrawRecord&& record,
                         std::span<const CRect> covered) {
    WindowSlot* window = Find(dc.window);
    if (window == nullptr) {
        return;
    }
    WindowSlot& w = *window;
    op.window = w.info.hwnd;
    op.paintNumber = dc.paintNumber;
    if (covered.empty()) {
        covered = std::span<const CRect>(&op.dest, 1);
    }
    op.visible = false;
    for (const CRect& clip : dc.clip) {
        for (const CRect& part : covered) {
            op.visible = op.visible || !IsEmpty(Intersect(clip, part));
        }
    }
    if (paintSink != nullptr && op.visible) {
        paintSink->Draw(op);
    }
    if (!recording) {
        return;
    }
    if (op.visible) {
        const auto draw = static_cast<std::uint32_t>(draws.size());
        draws.push_back(std::move(record));
        for (const CRect& clip : dc.clip) {
            for (const CRect& part : covered) {
                const CRect r = Intersect(clip, part);
                if (!IsEmpty(r)) {
                    AddLayer(w, r, draw);
                }
            }
        }
    }
    paintOps.push_back(std::move(op));
}

}  // namespace sim
