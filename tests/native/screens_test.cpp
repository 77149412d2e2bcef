// The simulated desktop's screens of the board states that Windows must show pixel for pixel.
// They are written for the Windows-side test, which compares them with what Wine draws.
#include "screens.h"

#include <filesystem>
#include <fstream>

#include "harness.h"

namespace {

void WriteScreen(const sim::Desktop& desktop, HWND window, const std::string& path) {
    const CRect client = desktop.Window(window)->clientRect;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << client.Width() << " " << client.Height() << "\n255\n";
    for (int y = 0; y < client.Height(); ++y) {
        for (int x = 0; x < client.Width(); ++x) {
            const COLORREF c = desktop.ScreenColor(window, x, y);
            out.put(static_cast<char>(GetRValue(c)));
            out.put(static_cast<char>(GetGValue(c)));
            out.put(static_cast<char>(GetBValue(c)));
        }
    }
    ASSERT_TRUE(out.good()) << path;
}

class Screens : public ::testing::TestWithParam<screens::State> {};

TEST_P(Screens, OfTheBoardStatesAreWrittenForWindowsToMatch) {
    const screens::State& state = GetParam();
    Game game(screens::kSeed);
    std::vector<int> clicks = screens::Clicks(state.turn, game.board());
    const bool keys = state.turn == screens::State::Turn::Keys;
    ASSERT_EQ(clicks.empty(), state.turn == screens::State::Turn::Nothing || keys);
    for (int cell : clicks) {
        game.Click({cell / kRows, cell % kRows});
    }
    if (keys) {
        for (UINT key : screens::kFocusKeys) {
            game.Key(key);
        }
        clicks.push_back(screens::kKeyTurnedCell);  // what the keys turned
    }
    EXPECT_EQ(game.frame().focusShown, keys) << "the focus shows only once a key is used";
    if (state.turn == screens::State::Turn::Pair) {
        game.desktop.Advance(kResolveDelayMs);
    }
    // What the state promises: backs everywhere but on the cells turned, faces or white there.
    for (int cell = 0; cell < kCellCount; ++cell) {
        const CPoint p = screens::CellCentre(cell);
        const sim::Pixel pixel = game.desktop.PixelAt(game.boardWindow(), p.x, p.y);
        const bool turned = std::find(clicks.begin(), clicks.end(), cell) != clicks.end();
        if (!turned) {
            EXPECT_EQ(pixel.bitmapId, static_cast<UINT>(IDB_CARD_BACK)) << cell;
        } else if (state.turn == screens::State::Turn::Pair) {
            EXPECT_EQ(pixel.kind, sim::Pixel::Kind::Background) << cell;
        } else {
            EXPECT_NE(pixel.bitmapId, static_cast<UINT>(IDB_CARD_BACK)) << cell;
        }
    }
    WriteScreen(game.desktop, game.boardWindow(), screens::ScreenFile("board", state.name));
    WriteScreen(game.desktop, game.scoreWindow(), screens::ScreenFile("score", state.name));
}

INSTANTIATE_TEST_SUITE_P(Screens, Screens, ::testing::ValuesIn(screens::kStates),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
