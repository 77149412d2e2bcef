// One run of the program on its own simulated desktop, watched from outside, and the words of
// the simulator's text inputs: shared by the scripted sessions, the tournaments and the rooms.
#pragma once

#include <cctype>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "app/board_frame.h"
#include "app/game_app.h"
#include "framework/sim/desktop.h"
#include "game/observer.h"
#include "transcript.h"

namespace shinkei_sim::detail {

// One run of the program on its own simulated desktop, watched from outside.
class Session : public GameObserver {
  public:
    Session(std::uint32_t seed, std::ostream* transcript, bool showIo,
            const std::string& commandLine = "")
        : transcript_(transcript) {
        desktop_.SetCalendarTime(static_cast<std::time_t>(seed));
        desktop_.SetRecording(false);
        if (transcript_ != nullptr && showIo) {
            desktop_.onBox = [this](const sim::BoxRecord& box) {
                Line(transcript::Box(box.type, box.caption, box.text));
            };
            desktop_.onSound = [this](const sim::SoundRecord& sound) {
                Line(transcript::Sound(sound.name));
            };
            desktop_.onQuit = [this](int code) { Line(transcript::Quit(code)); };
        }
        SetGameObserver(this);
        app_ = std::make_unique<GameApp>();
        desktop_.Start(*app_, SW_SHOWNORMAL, commandLine.c_str());
    }

    ~Session() override {
        SetGameObserver(nullptr);
        desktop_.SetResponder(nullptr);
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    sim::Desktop& desktop() { return desktop_; }
    HWND board() const { return desktop_.MainWindow(); }
    BoardFrame* boardFrame() const { return static_cast<BoardFrame*>(app_->m_pMainWnd); }

    // Stops the run right after the given number of games has been won.
    void StopAfterGames(long long games) { stopAfter_ = games; }
    long long gamesWon() const { return gamesWon_; }
    long long cardTurns() const { return cardTurns_; }

    // Called with the winners text of each game, before the next one starts.
    std::function<void(const std::string&)> onWinners;

    void OnOrder(std::span<const int> order) override {
        if (transcript_ == nullptr) {
            return;
        }
        Line(transcript::Order(order));
    }

    void OnDeal(const Board& board) override {
        if (transcript_ == nullptr) {
            return;
        }
        Line(transcript::Deal(board));
    }

    void OnFlip(int player, int column, int row, int card) override {
        ++cardTurns_;
        if (transcript_ != nullptr) {
            Line(transcript::Flip(player, column, row, card));
        }
    }

    void OnPair(int player) override {
        if (transcript_ != nullptr) {
            Line(transcript::Pair(player));
        }
    }

    void OnMiss(int from, int to) override {
        if (transcript_ != nullptr) {
            Line(transcript::Miss(from, to));
        }
    }

    void OnWinners(const std::string& text) override {
        ++gamesWon_;
        if (transcript_ != nullptr) {
            Line(transcript::Winners(text));
        }
        if (onWinners) {
            onWinners(text);
        }
        if (stopAfter_ > 0 && gamesWon_ >= stopAfter_) {
            desktop_.Stop();
        }
    }

  private:
    void Line(const std::string& text) { *transcript_ << text << '\n'; }

    sim::Desktop desktop_;
    std::unique_ptr<GameApp> app_;
    std::ostream* transcript_;
    long long stopAfter_ = 0;
    long long gamesWon_ = 0;
    long long cardTurns_ = 0;
};

// Calls `f` with each word of `text`, the words split at white space as a stream reads them.
template <class F>
void ForEachWord(std::string_view text, F f) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t at = 0; at < text.size();) {
        while (at < text.size() && blank(text[at])) {
            ++at;
        }
        const std::size_t start = at;
        while (at < text.size() && !blank(text[at])) {
            ++at;
        }
        if (at > start) {
            f(text.substr(start, at - start));
        }
    }
}

// Script numbers are decimal, with an optional sign; computer bits may also be written 0x...
inline bool ParseNumber(const std::string& word, long long& value, bool hexAllowed = false) {
    int base = 10;
    std::string digits = word;
    if (hexAllowed && (word.starts_with("0x") || word.starts_with("0X"))) {
        base = 16;
        digits = word.substr(2);
    }
    const std::size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    if (digits.size() == start || !std::isxdigit(static_cast<unsigned char>(digits[start]))) {
        return false;
    }
    try {
        std::size_t used = 0;
        value = std::stoll(digits, &used, base);
        return used == digits.size();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace shinkei_sim::detail
