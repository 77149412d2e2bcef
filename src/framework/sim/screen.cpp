// The simulated screen's colours: what a display would show of the recorded paints, from the
// program's own bitmap files. Read only when a test asks for colours.
#include "framework/sim/bitmaps.h"
#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The colour of one drawing at the pixel (x, y) it covers.
COLORREF Colour(const DrawRecord& d, int x, int y) {
    switch (d.kind) {
        case Pixel::Kind::Background:
            return kWhite;  // the class brush every window of the program has
        case Pixel::Kind::Text:
            return d.bkColor;  // the glyphs' own pixels are the font's business
        case Pixel::Kind::Fill: {
            const CRect& r = d.whole;
            const bool edge = x == r.left || y == r.top || x == r.right - 1 || y == r.bottom - 1;
            return edge ? d.penColor : d.fillColor;
        }
        case Pixel::Kind::Image: {
            const BitmapImage& image = ProgramBitmap(d.bitmapId);
            const long long sx = static_cast<long long>(x) + d.offsetX;
            const long long sy = static_cast<long long>(y) + d.offsetY;
            if (sx < 0 || sy < 0 || sx >= image.width || sy >= image.height) {
                return 0;  // outside the source: nothing defined, black as an empty context
            }
            const COLORREF colour = image.pixels[static_cast<std::size_t>(sy * image.width + sx)];
            if (image.twoColour) {
                // A one-bit image: black bits take the text colour, white ones the background.
                return colour == 0 ? d.textColor : d.bkColor;
            }
            return colour;
        }
    }
    return kWhite;
}

}  // namespace

COLORREF Desktop::ScreenColor(HWND window, int x, int y) const {
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr) {
        return kWhite;
    }
    bool inverted = false;
    const DrawRecord& d = impl_->DrawAt(*w, x, y, inverted);
    const COLORREF colour = Colour(d, x, y);
    return inverted ? colour ^ kWhite : colour;
}

}  // namespace sim
