// The program's name as the player sees it.
#pragma once

#include <string>

inline constexpr const char* kTitle = "神経衰弱";
inline constexpr const char* kTitleReading = "しんけいすいじゃく";

// "神経衰弱 (しんけいすいじゃく）": the words that begin the caption and the winners text.
inline std::string TitleWords() {
    return std::string(kTitle) + " (" + kTitleReading + "）";
}

// The board window's caption until the first game is won.
inline std::string BoardCaption() {
    return TitleWords() + "　ポロネコ用特別仕様";
}
