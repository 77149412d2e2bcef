// The board's pixels under Wine, pixel for pixel as the simulated desktop shows them.
#include "screens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "app/game_app.h"
#include "game/score_frame.h"
#include "support.h"

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture Capture(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    Picture picture{client.right, client.bottom, {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    const HDC dc = ::GetDC(window);
    ::BitBlt(memory, 0, 0, picture.width, picture.height, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window, dc);
    ::GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < picture.width * picture.height; ++i) {
        picture.pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
    return picture;
}

void Save(const Picture& picture, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    for (COLORREF c : picture.pixels) {
        out.put(static_cast<char>(GetRValue(c)));
        out.put(static_cast<char>(GetGValue(c)));
        out.put(static_cast<char>(GetBValue(c)));
    }
}

Picture Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    Picture picture;
    in >> magic >> picture.width >> picture.height >> maximum;
    in.get();
    for (int i = 0; in && i < picture.width * picture.height; ++i) {
        const int r = in.get();
        const int g = in.get();
        const int b = in.get();
        picture.pixels.push_back(RGB(r, g, b));
    }
    if (!in || magic != "P6") {
        picture = {};
    }
    return picture;
}

// The highlight's rectangles: the bounding boxes of the regions of non-white pixels that hold
// yellow, glyphs and all.
std::vector<CRect> YellowBoxes(const Picture& p) {
    constexpr COLORREF kWhite = RGB(255, 255, 255);
    std::vector<bool> seen(p.pixels.size(), false);
    std::vector<CRect> boxes;
    for (int start = 0; start < static_cast<int>(p.pixels.size()); ++start) {
        if (seen[start] || p.pixels[start] == kWhite) {
            continue;
        }
        CRect box{p.width, p.height, 0, 0};
        bool yellow = false;
        std::vector<int> stack{start};
        seen[start] = true;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % p.width;
            const int y = i / p.width;
            yellow = yellow || p.pixels[i] == RGB(255, 255, 0);
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                   std::max(box.bottom, y + 1)};
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int nx = x + dx;
                const int ny = y + dy;
                const int n = ny * p.width + nx;
                if (nx >= 0 && ny >= 0 && nx < p.width && ny < p.height && !seen[n] &&
                    p.pixels[n] != kWhite) {
                    seen[n] = true;
                    stack.push_back(n);
                }
            }
        }
        if (yellow) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

// Starts the program with the seed, turns the state's cards and paints.
class SamePixels : public ::testing::TestWithParam<screens::State> {
  protected:
    void SetUp() override {
        app_ = std::make_unique<GameApp>();
        SeedRandom(screens::kSeed);  // as the simulated desktop's clock seeds it
        ASSERT_TRUE(app_->InitInstance());
        frame_ = static_cast<BoardFrame*>(app_->m_pMainWnd);
        const std::vector<int> clicks = screens::Clicks(GetParam().turn, *frame_->board);
        for (int cell : clicks) {
            const CPoint p = screens::CellCentre(cell);
            ::PostMessageW(frame_->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        }
        if (GetParam().turn == screens::State::Turn::Keys) {
            for (UINT key : screens::kFocusKeys) {
                ::PostMessageW(frame_->m_hWnd, WM_KEYDOWN, key, 1);
            }
        }
        testing_support::DrainMessages();
        if (GetParam().turn == screens::State::Turn::Pair) {
            // The resolve timer removes the pair after 1.5 s of real time.
            const ULONGLONG end = ::GetTickCount64() + 3000;
            while (frame_->board->cells[clicks[0]] != 0 && ::GetTickCount64() < end) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                testing_support::DrainMessages();
            }
        }
        frame_->UpdateWindow();
        frame_->scoreFrame->UpdateWindow();
    }
    void TearDown() override {
        if (frame_ != nullptr) {
            ::DestroyWindow(frame_->m_hWnd);
        }
        testing_support::DrainMessages();
    }
    // The simulated desktop's screen, and Wine's, saved beside it for a look when they differ.
    std::pair<Picture, Picture> Screens(const std::string& window, HWND hwnd) {
        const std::string file = screens::ScreenFile(window, GetParam().name);
        const Picture wine = Capture(hwnd);
        Save(wine, file.substr(0, file.size() - 4) + "-wine.ppm");
        return {Load(file), wine};
    }
    std::unique_ptr<GameApp> app_;
    BoardFrame* frame_ = nullptr;
};

TEST_P(SamePixels, TheBoardAsTheSimulatedDesktopShowsIt) {
    const auto [sim, wine] = Screens("board", frame_->m_hWnd);
    ASSERT_FALSE(sim.pixels.empty()) << "no screen from the simulated desktop at "
                                     << screens::ScreenFile("board", GetParam().name)
                                     << ": the native tests write it (ctest --preset native)";
    ASSERT_EQ(sim.width, wine.width);
    ASSERT_EQ(sim.height, wine.height);
    int differences = 0;
    for (int y = 0; y < sim.height; ++y) {
        for (int x = 0; x < sim.width; ++x) {
            if (sim.At(x, y) != wine.At(x, y) && differences++ == 0) {
                ADD_FAILURE() << "first difference at " << x << "," << y << ": simulated 0x"
                              << std::hex << sim.At(x, y) << ", Wine 0x" << wine.At(x, y);
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST_P(SamePixels, TheScoreWindowsGroundAndHighlight) {
    const auto [sim, wine] = Screens("score", frame_->scoreFrame->m_hWnd);
    ASSERT_FALSE(sim.pixels.empty());
    ASSERT_EQ(sim.width, wine.width);
    ASSERT_EQ(sim.height, wine.height);
    // The glyphs and the cells around them are the fonts' own; where each cell starts, its
    // colour, and the white ground everywhere else are the program's.
    const std::vector<CRect> simBoxes = YellowBoxes(sim);
    const std::vector<CRect> wineBoxes = YellowBoxes(wine);
    ASSERT_EQ(simBoxes.size(), 2u) << "the name and the count of the one player, highlighted";
    ASSERT_EQ(wineBoxes.size(), simBoxes.size());
    for (std::size_t i = 0; i < simBoxes.size(); ++i) {
        EXPECT_EQ(wineBoxes[i].left, simBoxes[i].left) << i;
        EXPECT_EQ(wineBoxes[i].top, simBoxes[i].top) << i;
        std::printf("highlight %zu: simulated %dx%d, Wine %dx%d\n", i, simBoxes[i].Width(),
                    simBoxes[i].Height(), wineBoxes[i].Width(), wineBoxes[i].Height());
    }
    auto inBox = [](const std::vector<CRect>& boxes, int x, int y) {
        return std::any_of(boxes.begin(), boxes.end(), [&](const CRect& r) {
            return r.PtInRect({x, y});
        });
    };
    for (int y = 0; y < sim.height; ++y) {
        for (int x = 0; x < sim.width; ++x) {
            if (inBox(simBoxes, x, y)) {
                ASSERT_EQ(sim.At(x, y), RGB(255, 255, 0)) << x << "," << y;
            } else if (!inBox(wineBoxes, x, y)) {
                ASSERT_EQ(sim.At(x, y), RGB(255, 255, 255)) << x << "," << y;
                ASSERT_EQ(wine.At(x, y), RGB(255, 255, 255)) << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SamePixels, SamePixels, ::testing::ValuesIn(screens::kStates),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
