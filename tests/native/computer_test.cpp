// The computer players' memories and their choice of cell.
#include <algorithm>

#include "harness.h"

namespace {

// The value the generator will give after `skip` draws from `seed`.
int DrawAfter(std::uint32_t seed, int skip) {
    SeedRandom(seed);
    for (int i = 0; i < skip; ++i) {
        Random();
    }
    return Random();
}

// A seed whose first draw has the given parity.
std::uint32_t SeedWithFirstDrawParity(int parity) {
    for (std::uint32_t seed = 1;; ++seed) {
        if ((DrawAfter(seed, 0) & 1) == parity) {
            return seed;
        }
    }
}

int HeldCells(const ComputerPlayer& player) {
    int held = 0;
    for (int slot = 0; slot < player.capacity; ++slot) {
        held += player.slotRank[slot] != 0;
    }
    return held;
}

ComputerPlayer& Player(Game& game, int code) {
    for (auto& player : game.frame().computerPlayers) {
        if (player->code == code) {
            return *player;
        }
    }
    throw std::logic_error("no such player");
}

TEST(Computer, EachHoldsAsManyOfTheSameFacesAsItsMemoryAllows) {
    Game game;
    for (auto& player : game.frame().computerPlayers) {
        SCOPED_TRACE(player->code);
        EXPECT_EQ(HeldCells(*player), 0) << "a new game's memory is empty";
        for (int i = 0; i < 30; ++i) {
            player->Remember(i / kRows, i % kRows, 100 + i);  // thirty faces that never pair
        }
        EXPECT_EQ(HeldCells(*player), std::min(30, player->capacity));
    }
}

TEST(Computer, RememberingAKnownCellChangesNothingAndDrawsNothing) {
    Game game;
    ComputerPlayer& player = Player(game, 0x02);
    player.Remember(1, 1, 5);
    player.Remember(2, 2, 6);
    player.Remember(3, 3, 7);  // memory now full
    const int expected = DrawAfter(77, 0);
    SeedRandom(77);
    player.Remember(2, 2, 9);
    EXPECT_EQ(Random(), expected);
    EXPECT_EQ(player.slotRank[1], 6) << "the stored rank is not rewritten";
}

TEST(Computer, FullMemoryReplacesTheDrawnSlot) {
    Game game;
    ComputerPlayer& player = Player(game, 0x02);
    for (std::uint32_t seed = 1; seed < 30; ++seed) {
        player.Reset();
        player.Remember(0, 0, 1);
        player.Remember(0, 1, 2);
        player.Remember(0, 2, 3);
        const int slot = DrawAfter(seed, 0) % 3;
        SeedRandom(seed);
        player.Remember(5, 5, 9);
        EXPECT_EQ(player.slotColumn[slot], 5);
        EXPECT_EQ(player.slotRow[slot], 5);
        EXPECT_EQ(player.slotRank[slot], 9);
        EXPECT_EQ(HeldCells(player), 3) << "player 0x02 never holds more than three";
    }
}

TEST(Computer, KnownPairGoesBySlotOrderLaterSlotFirst) {
    Game game;
    ComputerPlayer& player = Player(game, 0x08);
    player.Remember(0, 0, 1);
    player.Remember(1, 0, 5);
    player.Remember(2, 0, 2);
    player.Remember(3, 0, 3);
    player.Remember(4, 0, 5);
    int column = -1;
    int row = -1;
    player.ChooseCell(column, row);
    EXPECT_EQ(column, 4);
    EXPECT_EQ(row, 0);
    player.ChooseCell(column, row);
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(player.slotRank[1], 0);
    EXPECT_EQ(player.slotRank[4], 0);
    EXPECT_EQ(player.slotColumn[4], -1);
    EXPECT_EQ(HeldCells(player), 3);
}

TEST(Computer, LastTwoCardsLaterOneFirstWithAnEmptyMemory) {
    Game game;
    Board& board = game.board();
    board.cells.fill(0);
    board.cells[CellIndex(2, 4)] = 0x17;
    board.cells[CellIndex(6, 1)] = 0x37;
    board.remaining = 2;
    for (auto& player : game.frame().computerPlayers) {
        int column = -1;
        int row = -1;
        player->ChooseCell(column, row);
        EXPECT_EQ((Cell{column, row}), (Cell{6, 1}));
        player->ChooseCell(column, row);
        EXPECT_EQ((Cell{column, row}), (Cell{2, 4}));
    }
}

TEST(Computer, PsychicWithHeadsFindsThePartnerItNeverSaw) {
    Game game;
    const auto pair = *game.AnyPair();
    ComputerPlayer& psychic = Player(game, 0x04);
    psychic.Remember(pair.second.column, pair.second.row, game.Rank(pair.second));
    // The first card in column-major order, other than the remembered one, of that rank.
    Cell expected{-1, -1};
    for (Cell cell : game.Occupied()) {
        if (!(cell == pair.second) && game.Rank(cell) == game.Rank(pair.second)) {
            expected = cell;
            break;
        }
    }
    SeedRandom(SeedWithFirstDrawParity(1));
    int column = -1;
    int row = -1;
    psychic.ChooseCell(column, row);
    EXPECT_EQ((Cell{column, row}), expected);
    EXPECT_EQ(HeldCells(psychic), 0);
    psychic.ChooseCell(column, row);
    EXPECT_EQ((Cell{column, row}), pair.second);
}

TEST(Computer, PsychicWithTailsChoosesLikeTheOthers) {
    Game game;
    const auto pair = *game.AnyPair();
    ComputerPlayer& psychic = Player(game, 0x04);
    psychic.Remember(pair.second.column, pair.second.row, game.Rank(pair.second));
    const std::uint32_t seed = SeedWithFirstDrawParity(0);
    // After the coin, the random choice draws a column and a row.
    const int column = DrawAfter(seed, 1) % 9;
    const int row = DrawAfter(seed, 2) % 6;
    SeedRandom(seed);
    int chosenColumn = -1;
    int chosenRow = -1;
    psychic.ChooseCell(chosenColumn, chosenRow);
    if (Cell{column, row} != pair.second) {
        EXPECT_EQ((Cell{chosenColumn, chosenRow}), (Cell{column, row}));
    }
    EXPECT_NE((Cell{chosenColumn, chosenRow}), pair.second);
    EXPECT_EQ(psychic.pendingColumn, -1);
    EXPECT_EQ(HeldCells(psychic), 1);
}

TEST(Computer, RandomChoiceNeverTakesAnEmptyOrARememberedCell) {
    Game game;
    SeedRandom(31337);
    for (int round = 0; round < 20; ++round) {
        game.Turn(*game.AnyPair());  // empties cells and makes everyone forget them
    }
    ComputerPlayer& player = Player(game, 0x08);
    const auto cells = game.Occupied();
    for (int i = 0; i < 6; ++i) {
        player.Remember(cells[i].column, cells[i].row, 100 + i);  // ranks that never pair
    }
    for (int i = 0; i < 2000; ++i) {
        int column = -1;
        int row = -1;
        player.ChooseCell(column, row);
        ASSERT_NE(game.board().At(column, row), 0);
        for (int k = 0; k < 6; ++k) {
            ASSERT_NE((Cell{column, row}), cells[k]);
        }
    }
}

TEST(Computer, StalePendingCellIsReturnedOnceThenChoiceIsFresh) {
    Game game;
    const auto pair = *game.AnyPair();
    ComputerPlayer& player = Player(game, 0x01);
    player.Remember(pair.first.column, pair.first.row, game.Rank(pair.first));
    player.Remember(pair.second.column, pair.second.row, game.Rank(pair.second));
    int column = -1;
    int row = -1;
    player.ChooseCell(column, row);
    EXPECT_EQ((Cell{column, row}), pair.second);
    game.board().RemoveCard(pair.first.column, pair.first.row);  // taken meanwhile
    game.board().RemoveCard(pair.second.column, pair.second.row);
    player.ChooseCell(column, row);
    EXPECT_EQ((Cell{column, row}), pair.first) << "not checked against the board";
    player.ChooseCell(column, row);
    EXPECT_NE(game.board().At(column, row), 0);
}

TEST(Computer, TakenPairIsForgottenByEveryone) {
    Game game;
    const auto pair = *game.AnyPair();
    game.Click(pair.first);
    game.Click(pair.second);  // the paints show both faces to everyone
    EXPECT_GE(HeldCells(Player(game, 0x02)), 2);
    game.desktop.Advance(kResolveDelayMs);
    for (auto& player : game.frame().computerPlayers) {
        EXPECT_EQ(HeldCells(*player), 0) << "player " << player->code;
        for (int i = 0; i < 300; ++i) {
            int column = -1;
            int row = -1;
            player->ChooseCell(column, row);
            ASSERT_FALSE((Cell{column, row} == pair.first || Cell{column, row} == pair.second));
        }
    }
}

TEST(Computer, EveryPaintOfAFaceGivesEveryPlayerAChanceEvenWhenAbsent) {
    Game game;  // no computer takes part
    const Cell cell = game.Occupied()[10];
    game.Click(cell);
    EXPECT_EQ(Player(game, 0x02).slotColumn[0], cell.column) << "0x02 always notices";
    for (auto& player : game.frame().computerPlayers) {
        player->Reset();
    }
    // One face drawn: one draw each for 0x01, 0x04 and 0x08, none for 0x02.
    const std::uint32_t seed = 555;
    const int fourth = DrawAfter(seed, 3);
    SeedRandom(seed);
    game.desktop.Expose(game.boardWindow());
    EXPECT_EQ(Random(), fourth);
    const bool noticed01 = DrawAfter(seed, 0) % 20 != 0;
    const bool noticed04 = (DrawAfter(seed, 1) & 3) != 0;
    const bool noticed08 = DrawAfter(seed, 2) % 10 != 0;
    EXPECT_EQ(HeldCells(Player(game, 0x01)), noticed01 ? 1 : 0);
    EXPECT_EQ(HeldCells(Player(game, 0x02)), 1);
    EXPECT_EQ(HeldCells(Player(game, 0x04)), noticed04 ? 1 : 0);
    EXPECT_EQ(HeldCells(Player(game, 0x08)), noticed08 ? 1 : 0);
}

TEST(Computer, AMissedChanceIsMadeGoodOnALaterPaint) {
    Game game;
    const Cell cell = game.Occupied()[3];
    game.Click(cell);
    ComputerPlayer& psychic = Player(game, 0x04);
    psychic.Reset();
    // Player 0x04 misses a face when its draw, the second of the paint, has both low bits clear.
    std::uint32_t missing = 1;
    while ((DrawAfter(missing, 1) & 3) != 0) {
        ++missing;
    }
    SeedRandom(missing);
    game.desktop.Expose(game.boardWindow());
    EXPECT_EQ(HeldCells(psychic), 0);
    std::uint32_t noticing = 1;
    while ((DrawAfter(noticing, 1) & 3) == 0) {
        ++noticing;
    }
    SeedRandom(noticing);
    game.desktop.Expose(game.boardWindow());
    EXPECT_EQ(HeldCells(psychic), 1);
    EXPECT_EQ(psychic.slotColumn[0], cell.column);
    EXPECT_EQ(psychic.slotRow[0], cell.row);
}

}  // namespace
