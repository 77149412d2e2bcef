// The lines of a transcript, one per event, as the headless simulator and the Windows-side
// runner both print them.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "game/cards.h"

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

}  // namespace transcript
