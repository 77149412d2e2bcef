#include "framework/sim/bitmaps.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>

#include "framework/sim/resources.h"

namespace sim {
namespace {

std::uint32_t Read32(std::span<const unsigned char> b, std::size_t at) {
    return at + 4 > b.size() ? 0
                             : b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                   (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<unsigned char> ReadBesideScript(UINT, const std::string& file) {
    std::ifstream in(std::string(SHINKEI_RES_DIR) + "/" + file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

BitmapReader& Reader() {
    static BitmapReader reader = ReadBesideScript;
    return reader;
}

std::map<UINT, BitmapImage>& Loaded() {
    static std::map<UINT, BitmapImage> loaded;
    return loaded;
}

}  // namespace

BitmapImage DecodeBitmap(std::span<const unsigned char> b) {
    BitmapImage image;
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

void SetBitmapReader(BitmapReader reader) {
    Reader() = reader ? std::move(reader) : ReadBesideScript;
    Loaded().clear();
}

const BitmapImage& ProgramBitmap(UINT id) {
    auto& loaded = Loaded();
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
    const std::vector<unsigned char> bytes = Reader()(id, file);
    return loaded[id] = DecodeBitmap(bytes);
}

std::vector<UINT> ProgramBitmapIds() {
    return detail::ProgramResources().bitmaps;
}

}  // namespace sim
