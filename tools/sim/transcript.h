// The lines of a transcript, one per event, as the headless simulator and the Windows-side
// runner both print them.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "game/cards.h"
#include "game/observer.h"

namespace transcript {

inline std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

inline std::string Order(std::span<const int> order) {
    std::string line = "order";
    for (int code : order) {
        line += ' ';
        line += Hex2(code);
    }
    return line;
}

inline std::string Deal(const Board& board) {
    std::string line = "deal ";
    for (CardCode card : board.cells) {
        line += Hex2(card);
    }
    return line;
}

inline std::string Flip(int player, int column, int row, int card) {
    return "flip " + Hex2(player) + " " + std::to_string(column) + " " + std::to_string(row) + " " +
           Hex2(card);
}

inline std::string Pair(int player) {
    return "pair " + Hex2(player);
}
inline std::string Miss(int from, int to) {
    return "miss " + Hex2(from) + " " + Hex2(to);
}
inline std::string Winners(const std::string& text) {
    return "winners " + text;
}
inline std::string Box(unsigned type, const std::string& caption, const std::string& text) {
    return "box 0x" + Hex2(static_cast<int>(type)) + " " + caption + ": " + text;
}
inline std::string Sound(const std::string& name) {
    return "sound " + name;
}
inline std::string Quit(int code) {
    return "quit " + std::to_string(code);
}

// The game's events, each handed to `line` as its transcript line as it happens.
class Observer : public GameObserver {
  public:
    explicit Observer(void (*line)(const std::string&)) : line_(line) {}
    void OnOrder(std::span<const int> order) override { line_(Order(order)); }
    void OnDeal(const Board& board) override { line_(Deal(board)); }
    void OnFlip(int player, int column, int row, int card) override {
        line_(Flip(player, column, row, card));
    }
    void OnPair(int player) override { line_(Pair(player)); }
    void OnMiss(int from, int to) override { line_(Miss(from, to)); }
    void OnWinners(const std::string& text) override { line_(Winners(text)); }

  private:
    void (*line_)(const std::string&);
};

}  // namespace transcript
