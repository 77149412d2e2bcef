// The program's bitmaps as a display shows them: each file read once and decoded to colours. The
// simulated screen reads them for its colours; the browser host hands them to the page.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "framework/afxwin.h"

namespace sim {

// An uncompressed Windows bitmap of 1, 4, 8 or 24 bits per pixel, decoded to colours; an image
// that could not be read has no pixels (width 0).
struct BitmapImage {
    int width = 0;
    int height = 0;
    bool twoColour = false;        // 1 bit per pixel: drawn in a context's text and back colours
    std::vector<COLORREF> pixels;  // top row first
};

BitmapImage DecodeBitmap(std::span<const unsigned char> bytes);

// Where the bitmaps' bytes come from: by default the files the resource script names, beside
// it; a host that carries them elsewhere (the page's assets) reads them by id instead.
using BitmapReader = std::function<std::vector<unsigned char>(UINT id, const std::string& file)>;
void SetBitmapReader(BitmapReader reader);

// The bitmap of that resource id, read and decoded at the first request.
const BitmapImage& ProgramBitmap(UINT id);
// Every bitmap the resource script declares, in its order.
std::vector<UINT> ProgramBitmapIds();

}  // namespace sim
