// Cards, the board of 9 × 6 cells, and the one random generator of the process.
#pragma once

#include <array>
#include <cstdint>

// One card or cell: high nibble the suit (1 spades, 2 hearts, 3 clubs, 4 diamonds, 0xF joker),
// low nibble the rank (1 to 13, 14 for a joker); 0 is an empty cell.
using CardCode = std::uint8_t;

inline constexpr int kColumns = 9;
inline constexpr int kRows = 6;
inline constexpr int kCellCount = kColumns * kRows;
inline constexpr CardCode kJoker = 0xFE;

inline constexpr int RankOf(CardCode card) {
    return card & 0x0F;
}
inline constexpr int SuitOf(CardCode card) {
    return card >> 4;
}
inline constexpr int CellIndex(int column, int row) {
    return column * kRows + row;
}

// The deck in dealing order: spades, hearts, clubs, diamonds, each ace to king, then two jokers.
extern const std::array<CardCode, kCellCount> deckTable;

// The process-wide generator: every random decision of the game draws from it. Inline, as the
// computer players draw several times per face drawn.
namespace cards_detail {
inline std::uint32_t generatorState = 0;
}  // namespace cards_detail

inline void SeedRandom(std::uint32_t seed) {
    cards_detail::generatorState = seed;
}

inline int Random() {  // 0 to 32767
    cards_detail::generatorState = cards_detail::generatorState * 214013u + 2531011u;
    return static_cast<int>((cards_detail::generatorState >> 16) & 0x7FFF);
}

class Board {
  public:
    Board();  // deals a full board from the generator

    // The caller guarantees that the cell holds a card.
    void RemoveCard(int column, int row);

    CardCode At(int column, int row) const { return cells[CellIndex(column, row)]; }

    std::int32_t remaining;
    std::array<CardCode, kCellCount> cells;
};
