// A window onto the game for the headless simulator: it is told what the game does, as it does
// it, and changes nothing. With no observer set, the game pays one null test per event.
#pragma once

#include <span>
#include <string>

class Board;

class GameObserver {
  public:
    virtual ~GameObserver() = default;
    virtual void OnOrder(std::span<const int> /*order*/) {}
    virtual void OnDeal(const Board& /*board*/) {}
    virtual void OnFlip(int /*player*/, int /*column*/, int /*row*/, int /*card*/) {}
    virtual void OnPair(int /*player*/) {}
    virtual void OnMiss(int /*from*/, int /*to*/) {}
    virtual void OnWinners(const std::string& /*text*/) {}
};

namespace game_observer_detail {
inline GameObserver* current = nullptr;
}

inline void SetGameObserver(GameObserver* observer) {
    game_observer_detail::current = observer;
}
inline GameObserver* CurrentGameObserver() {
    return game_observer_detail::current;
}
