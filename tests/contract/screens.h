// The board states whose pixels the simulated desktop and Windows must agree on: a fixed seed,
// and the cards a player turns on the board it deals.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/board_frame.h"
#include "game/cards.h"

namespace screens {

inline constexpr std::uint32_t kSeed = 1234;

struct State {
    const char* name;
    enum class Turn { Nothing, RedAndBlack, Pair, Joker, Keys } turn;
};

inline void PrintTo(const State& state, std::ostream* out) {
    *out << state.name;
}

inline constexpr State kStates[] = {
    {"NewBoard", State::Turn::Nothing}, {"RedAndBlack", State::Turn::RedAndBlack},
    {"PairRemoved", State::Turn::Pair}, {"JokerFace", State::Turn::Joker},
    {"KeyFocus", State::Turn::Keys},
};

// The keys of the state played from the keyboard: the card at (1, 1) turned, and the focus moved
// on to (2, 1).
inline constexpr UINT kFocusKeys[] = {VK_RIGHT, VK_DOWN, VK_SPACE, VK_RIGHT};
inline constexpr int kKeyTurnedCell = 1 * kRows + 1;

// Cells as indexes (column * rows + row); the clicks of a state, in order.
inline std::vector<int> Clicks(State::Turn turn, const Board& board) {
    auto red = [&](int i) { return SuitOf(board.cells[i]) == 2 || SuitOf(board.cells[i]) == 4; };
    auto black = [&](int i) { return SuitOf(board.cells[i]) == 1 || SuitOf(board.cells[i]) == 3; };
    for (int i = 0; i < kCellCount; ++i) {
        for (int j = 0; j < kCellCount; ++j) {
            const bool sameRank = RankOf(board.cells[i]) == RankOf(board.cells[j]);
            if (turn == State::Turn::RedAndBlack && red(i) && black(j) && !sameRank) {
                return {i, j};  // a miss: both stay face up until the turn is resolved
            }
            if (turn == State::Turn::Pair && i < j && sameRank && board.cells[i] != kJoker) {
                return {i, j};
            }
        }
        if (turn == State::Turn::Joker && board.cells[i] == kJoker) {
            return {i};
        }
    }
    return {};
}

inline CPoint CellCentre(int cell) {
    const CRect r = CardRect(cell / kRows, cell % kRows);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Where the simulated desktop's screens are written for the Windows side to compare.
inline std::string ScreenFile(const std::string& window, const char* state) {
    return std::string(SHINKEI_SCREENS_DIR) + "/" + window + "-" + state + ".ppm";
}

}  // namespace screens
