// Cards, dealing and the generator.
#include "game/cards.h"

#include <gtest/gtest.h>

#include <map>

TEST(Generator, SeedOneYieldsTheKnownSequence) {
    SeedRandom(1);
    EXPECT_EQ(Random(), 41);
    EXPECT_EQ(Random(), 18467);
    EXPECT_EQ(Random(), 6334);
}

TEST(Generator, StaysWithinFifteenBits) {
    SeedRandom(0xDEADBEEF);
    for (int i = 0; i < 100000; ++i) {
        const int value = Random();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(Board, DealsTheWholeDeckOncePerCell) {
    for (std::uint32_t seed : {1u, 2u, 977u, 1700000000u}) {
        SCOPED_TRACE(seed);
        SeedRandom(seed);
        const Board board;
        EXPECT_EQ(board.remaining, 54);
        std::map<CardCode, int> seen;
        for (CardCode card : board.cells) {
            ASSERT_NE(card, 0) << "no cell stays empty";
            ++seen[card];
        }
        EXPECT_EQ(seen[kJoker], 2);
        for (int suit = 1; suit <= 4; ++suit) {
            for (int rank = 1; rank <= 13; ++rank) {
                EXPECT_EQ(seen[static_cast<CardCode>(suit << 4 | rank)], 1);
            }
        }
        EXPECT_EQ(seen.size(), 53u);
    }
}

TEST(Board, SameSeedSameDealAndDifferentSeedsDiffer) {
    SeedRandom(12345);
    const Board first;
    SeedRandom(12345);
    const Board again;
    SeedRandom(12346);
    const Board other;
    EXPECT_EQ(first.cells, again.cells);
    EXPECT_NE(first.cells, other.cells);
}

TEST(Board, DealingDrawsColumnThenRowUntilAnEmptyCell) {
    // Replays the draws: the first card lands where the first two numbers point.
    SeedRandom(1);
    const unsigned column = static_cast<unsigned>(Random()) % 9;
    const unsigned row = static_cast<unsigned>(Random()) % 6;
    SeedRandom(1);
    const Board board;
    EXPECT_EQ(board.cells[column * 6 + row], 0x11);
}

TEST(Board, CellsAreStoredColumnMajor) {
    EXPECT_EQ(CellIndex(2, 5), 17);
    EXPECT_EQ(CellIndex(8, 0), 48);
    SeedRandom(7);
    const Board board;
    EXPECT_EQ(board.At(2, 5), board.cells[17]);
    EXPECT_EQ(board.At(8, 0), board.cells[48]);
}

TEST(Board, PairsAreEqualRanksWhateverTheSuit) {
    EXPECT_EQ(RankOf(0x15), RankOf(0x35));
    EXPECT_EQ(RankOf(0x15), RankOf(0x25));
    EXPECT_EQ(RankOf(kJoker), 14);
    for (int rank = 1; rank <= 13; ++rank) {
        EXPECT_NE(RankOf(kJoker), RankOf(static_cast<CardCode>(0x10 | rank)));
    }
}

TEST(Board, RemovingAllTwentySevenPairsEmptiesIt) {
    SeedRandom(99);
    Board board;
    for (int rank = 1; rank <= 14; ++rank) {
        std::vector<int> cells;
        for (int i = 0; i < kCellCount; ++i) {
            if (RankOf(board.cells[i]) == rank) {
                cells.push_back(i);
            }
        }
        ASSERT_EQ(cells.size() % 2, 0u);
        for (int i : cells) {
            board.RemoveCard(i / kRows, i % kRows);
        }
    }
    EXPECT_EQ(board.remaining, 0);
    for (CardCode card : board.cells) {
        EXPECT_EQ(card, 0);
    }
}
