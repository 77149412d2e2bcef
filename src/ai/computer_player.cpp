#include "ai/computer_player.h"

#include "app/board_frame.h"
#include "game/cards.h"

namespace {
unsigned Draw() {
    return static_cast<unsigned>(Random());
}

}  // namespace

ComputerPlayer::ComputerPlayer(BoardFrame* owner, const ComputerPersonality& personality)
    : boardFrame(owner),
      code(personality.code),
      capacity(personality.memoryCapacity),
      missOneIn(personality.missOneIn) {
    Reset();
}

void ComputerPlayer::Reset() {
    slotColumn.fill(-1);
    slotRow.fill(-1);
    slotRank.fill(0);
    pendingColumn = -1;
    pendingRow = -1;
}

bool ComputerPlayer::Knows(int column, int row) const {
    for (int slot = 0; slot < capacity; ++slot) {
        if (slotColumn[slot] == column && slotRow[slot] == row) {
            return true;
        }
    }
    return false;
}

int ComputerPlayer::FirstEmptySlot() const {
    for (int slot = 0; slot < capacity; ++slot) {
        if (slotRank[slot] == 0) {
            return slot;
        }
    }
    return capacity;
}

void ComputerPlayer::FreeSlot(int slot) {
    slotRank[slot] = 0;
    slotColumn[slot] = -1;
    slotRow[slot] = -1;
}

void ComputerPlayer::SetPending(int slot) {
    pendingColumn = slotColumn[slot];
    pendingRow = slotRow[slot];
}

void ComputerPlayer::Observe(int column, int row, int rank) {
    // One who sees every face draws no number for it.
    const bool noticed = missOneIn == 0 || Draw() % missOneIn != 0;
    if (noticed) {
        Remember(column, row, rank);
    }
}

void ComputerPlayer::Remember(int column, int row, int rank) {
    if (Knows(column, row)) {
        return;
    }
    int slot = FirstEmptySlot();
    if (slot == capacity) {
        // A full memory loses a random slot, even one card of a remembered pair.
        slot = static_cast<int>(Draw() % static_cast<unsigned>(capacity));
    }
    slotColumn[slot] = static_cast<std::int8_t>(column);
    slotRow[slot] = static_cast<std::int8_t>(row);
    slotRank[slot] = static_cast<std::uint8_t>(rank);
}

void ComputerPlayer::Forget(int column, int row) {
    for (int slot = 0; slot < capacity; ++slot) {
        if (slotColumn[slot] == column && slotRow[slot] == row) {
            FreeSlot(slot);
        }
    }
}

void ComputerPlayer::ChooseCell(int& column, int& row) {
    if (pendingColumn != -1) {
        // Whether a card still lies there is not checked.
        column = pendingColumn;
        row = pendingRow;
        pendingColumn = -1;
        pendingRow = -1;
        return;
    }
    if (TakeLastPair(column, row) || TakeKnownPair(column, row)) {
        return;
    }
    if (code == 0x04 && (Draw() & 1) != 0 && TakeClairvoyantPair(column, row)) {
        return;
    }
    TakeRandomCell(column, row);
}

bool ComputerPlayer::TakeLastPair(int& column, int& row) {
    const Board& board = *boardFrame->board;
    if (board.remaining != 2) {
        return false;
    }
    bool foundFirst = false;
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            if (RankOf(board.At(c, r)) == 0) {
                continue;
            }
            if (!foundFirst) {
                pendingColumn = c;
                pendingRow = r;
                foundFirst = true;
            } else {
                // The later card first; the earlier one waits for the next call.
                column = c;
                row = r;
                return true;
            }
        }
    }
    return false;
}

bool ComputerPlayer::TakeKnownPair(int& column, int& row) {
    // The earliest slot whose rank comes again, with the next slot of that rank. The earliest
    // such slot is the first of its rank, so one pass over the slots finds the pair.
    constexpr std::int8_t kUnseen = -1;
    constexpr std::int8_t kPaired = kMaxMemory;
    std::array<std::int8_t, 256> first;
    first.fill(kUnseen);
    int i = kMaxMemory;
    int j = -1;
    for (int slot = 0; slot < capacity; ++slot) {
        const int rank = slotRank[slot];
        if (rank == 0) {
            continue;
        }
        const int earlier = first[rank];
        if (earlier == kUnseen) {
            first[rank] = static_cast<std::int8_t>(slot);
        } else if (earlier != kPaired) {
            if (earlier < i) {
                i = earlier;
                j = slot;
            }
            first[rank] = kPaired;
        }
    }
    if (j < 0) {
        return false;
    }
    SetPending(i);
    column = slotColumn[j];
    row = slotRow[j];
    FreeSlot(i);
    FreeSlot(j);
    return true;
}

bool ComputerPlayer::TakeClairvoyantPair(int& column, int& row) {
    const Board& board = *boardFrame->board;
    for (int slot = 0; slot < capacity; ++slot) {
        if (slotRank[slot] == 0) {
            continue;
        }
        for (int c = 0; c < kColumns; ++c) {
            for (int r = 0; r < kRows; ++r) {
                if (c == slotColumn[slot] && r == slotRow[slot]) {
                    continue;
                }
                if (RankOf(board.At(c, r)) != slotRank[slot]) {
                    continue;
                }
                column = c;
                row = r;
                SetPending(slot);
                FreeSlot(slot);
                return true;
            }
        }
    }
    return false;
}

void ComputerPlayer::TakeRandomCell(int& column, int& row) const {
    const Board& board = *boardFrame->board;
    for (;;) {
        const int c = static_cast<int>(Draw() % kColumns);
        const int r = static_cast<int>(Draw() % kRows);
        if (board.At(c, r) == 0 || Knows(c, r)) {
            continue;
        }
        column = c;
        row = r;
        return;
    }
}
