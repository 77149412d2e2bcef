// The simulated screen's colours: what a display would show of the recorded paints, from the
// program's own bitmap files. Read only when a test asks for colours.
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "framework/sim/desktop_impl.h"

namespace sim {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// An uncompressed Windows bitmap of 1, 4, 8 or 24 bits per pixel, decoded to colours.
struct Image {
    int width = 0;
    int height = 0;
    bool twoColour = false;
    std::vector<COLORREF> pixels;  // top row first
};

std::uint32_t Read32(const std::vector<unsigned char>& b, std::size_t at) {
    return at + 4 > b.size() ? 0
                             : b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                   (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

Image Decode(const std::vector<unsigned char>& b) {
    Image image;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        return image;
    }
    const std::size_t bits = Read32(b, 10);
    const std::size_t header = Read32(b, 14);
    const int width = static_cast<int>(Read32(b, 18));
    const int signedHeight = static_cast<int>(Read32(b, 22));
    const int depth = b[28] | (b[29] << 8);
    const int height = signedHeight < 0 ? -signedHeight : signedHeight;
    if (Read32(b, 30) != 0 || width <= 0 || height <= 0 ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 24)) {
        return image;
    }
    std::vector<COLORREF> palette;
    if (depth <= 8) {
        std::size_t colours = Read32(b, 46);
        colours = colours == 0 ? std::size_t{1} << depth : colours;
        for (std::size_t i = 0; i < colours; ++i) {
            const std::size_t at = 14 + header + 4 * i;
            palette.push_back(at + 3 <= b.size() ? RGB(b[at + 2], b[at + 1], b[at]) : 0);
        }
    }
    const std::size_t stride = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    if (bits + stride * height > b.size()) {
        return image;
    }
    image.width = width;
    image.height = height;
    image.twoColour = depth == 1;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = bits + stride * (signedHeight < 0 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            COLORREF colour = 0;
            if (depth == 24) {
                const std::size_t at = row + 3 * static_cast<std::size_t>(x);
                colour = RGB(b[at + 2], b[at + 1], b[at]);
            } else {
                const std::size_t bit = static_cast<std::size_t>(x) * depth;
                const int index = (b[row + bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
                colour = static_cast<std::size_t>(index) < palette.size() ? palette[index] : 0;
            }
            image.pixels[static_cast<std::size_t>(y) * width + x] = colour;
        }
    }
    return image;
}

const Image& Bitmap(UINT id) {
    static std::map<UINT, Image> loaded;
    if (auto it = loaded.find(id); it != loaded.end()) {
        return it->second;
    }
    const auto& resources = detail::ProgramResources();
    std::string file;
    for (std::size_t i = 0; i < resources.bitmaps.size(); ++i) {
        if (resources.bitmaps[i] == id && i < resources.bitmapFiles.size()) {
            file = resources.bitmapFiles[i];
        }
    }
    std::ifstream in(std::string(SHINKEI_RES_DIR) + "/" + file, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    return loaded[id] = Decode(bytes);
}

}  // namespace

COLORREF Desktop::ScreenColor(HWND window, int x, int y) const {
    const WindowSlot* w = impl_->Find(window);
    if (w == nullptr) {
        return kWhite;
    }
    const DrawRecord& d = impl_->DrawAt(*w, x, y);
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
            const Image& image = Bitmap(d.bitmapId);
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

}  // namespace sim
