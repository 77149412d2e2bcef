#include "game/cards.h"

namespace {

std::array<CardCode, kCellCount> MakeDeck() {
    std::array<CardCode, kCellCount> deck{};
    int position = 0;
    for (int suit = 1; suit <= 4; ++suit) {
        for (int rank = 1; rank <= 13; ++rank) {
            deck[position++] = static_cast<CardCode>(suit << 4 | rank);
        }
    }
    deck[position++] = kJoker;
    deck[position] = kJoker;
    return deck;
}

}  // namespace

const std::array<CardCode, kCellCount> deckTable = MakeDeck();

Board::Board() : remaining(kCellCount), cells{} {
    for (CardCode card : deckTable) {
        // Each card goes to an empty cell found by trial; both coordinates are drawn afresh.
        for (;;) {
            const int column = static_cast<int>(static_cast<unsigned>(Random()) % kColumns);
            const int row = static_cast<int>(static_cast<unsigned>(Random()) % kRows);
            CardCode& cell = cells[CellIndex(column, row)];
            if (cell == 0) {
                cell = card;
                break;
            }
        }
    }
}

void Board::RemoveCard(int column, int row) {
    cells[CellIndex(column, row)] = 0;
    --remaining;
}
