// A computer opponent: a small, lossy memory of cards seen face up, and its choice of cell.
#pragma once

#include <array>
#include <cstdint>

#include "ai/personalities.h"

class BoardFrame;

inline constexpr int kMaxMemory = 20;

class ComputerPlayer {
  public:
    ComputerPlayer(BoardFrame* owner, const ComputerPersonality& personality);

    void Reset();
    void Remember(int column, int row, int rank);
    void Forget(int column, int row);
    void ChooseCell(int& column, int& row);

    // A face drawn at (column, row): remembered with this player's own chance of noticing it.
    void Observe(int column, int row, int rank);

    BoardFrame* boardFrame;
    std::array<std::int8_t, kMaxMemory> slotColumn;
    std::array<std::int8_t, kMaxMemory> slotRow;
    std::array<std::uint8_t, kMaxMemory> slotRank;
    int code;
    int capacity;
    unsigned missOneIn;
    int pendingColumn;
    int pendingRow;

  private:
    bool Knows(int column, int row) const;
    int FirstEmptySlot() const;  // the capacity if none
    void FreeSlot(int slot);
    void SetPending(int slot);
    bool TakeLastPair(int& column, int& row);
    bool TakeKnownPair(int& column, int& row);
    bool TakeClairvoyantPair(int& column, int& row);
    void TakeRandomCell(int& column, int& row) const;
};
