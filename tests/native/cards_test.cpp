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

TEST(Board, SeedOneDealsTheRecordedBoard) {
    // The board as the player sees it, row by row; every game's deal depends on this order.
    const CardCode recorded[kRows][kColumns] = {
        {0x19, 0x3B, 0x1D, 0x14, 0x38, 0x2A, 0x39, 0x23, 0x36},
        {0x46, 0x49, 0x35, 0x25, 0xFE, 0x4D, 0x43, 0x4C, 0x22},
        {0x33, 0x4A, 0x41, 0x31, 0x2C, 0x27, 0x1C, 0x15, 0x44},
        {0x4B, 0x28, 0x24, 0x2D, 0x47, 0x1A, 0x34, 0x17, 0x45},
        {0x2B, 0xFE, 0x26, 0x3C, 0x1B, 0x3A, 0x21, 0x12, 0x13},
        {0x32, 0x42, 0x48, 0x3D, 0x29, 0x11, 0x37, 0x18, 0x16},
    };
    SeedRandom(1);
    const Board board;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            EXPECT_EQ(board.At(column, row), recorded[row][column]) << column << "," << row;
        }
    }
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
