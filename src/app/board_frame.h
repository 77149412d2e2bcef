// The board window: the main window with the menu bar, holder of the game state and of every
// game object (the score window, the four computer players and the current board).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "framework/afxwin.h"
#include "game/cards.h"

class ScoreFrame;
class ComputerPlayer;

// Timers of the board window.
inline constexpr UINT_PTR kResolveTimer = 1;
inline constexpr UINT kResolveDelayMs = 1500;
inline constexpr UINT_PTR kComputerTimer = 6;
inline constexpr UINT kComputerPeriodMs = 1600;

// Client-area geometry of the cards.
inline constexpr int kCardLeft = 12;
inline constexpr int kCardTop = 6;
inline constexpr int kCardWidth = 48;
inline constexpr int kCardHeight = 64;
inline constexpr int kCellPitchX = 60;
inline constexpr int kCellPitchY = 70;

inline CRect CardRect(int column, int row) {
    const int left = kCardLeft + kCellPitchX * column;
    const int top = kCardTop + kCellPitchY * row;
    return {left, top, left + kCardWidth, top + kCardHeight};
}

// The keyboard focus: a dotted rectangle two pixels around the card, in the white gaps between
// the cards, so that it never touches a card's own pixels.
inline constexpr int kFocusMargin = 2;

inline CRect FocusRect(int column, int row) {
    const CRect card = CardRect(column, row);
    return {card.left - kFocusMargin, card.top - kFocusMargin, card.right + kFocusMargin,
            card.bottom + kFocusMargin};
}

// Saves a guard flag (inputEnabled, computerMoveAllowed), clears it, and puts the saved value
// back at the end of the scope, however the scope is left.
class GuardScope {
  public:
    explicit GuardScope(int& flag) : flag_(flag), saved_(flag) { flag_ = 0; }
    ~GuardScope() { flag_ = saved_; }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

  private:
    int& flag_;
    int saved_;
};

class BoardFrame : public CFrameWnd {
  public:
    BoardFrame();
    ~BoardFrame() override;
    const AFX_MSGMAP* GetMessageMap() const override;

    // Menu commands.
    void ExitGame();
    void ToggleSound();
    void ChangeSettings();
    void ShowVersion();

    // The turn controller.
    void OnLButtonDown(UINT keyFlags, CPoint point);
    void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnTimer(UINT_PTR timerId);
    int TurnCard(int column, int row);
    void ResolvePicks(int timerId);
    void PlayComputerMove();
    int NewGame();

    // Painting.
    void OnPaint();
    void DrawCardFace(int column, int row, CDC& paintDC, CDC& memoryDC);
    void MoveFocus(int column, int row);

    // The music's end notification.
    LRESULT OnMusicNotify(WPARAM notifyCode, LPARAM deviceId);

    // What a screen reader hears: the cells in reading order (child 1 is the top-left cell, 10
    // the first of the second row), each named by its card or state and its place, the focused
    // cell, and the last thing the board said. Reading them changes nothing.
    LONG GetAccessibleChildCount() const override;
    LONG GetAccessibleColumnCount() const override;
    std::string GetAccessibleName(LONG child) const override;
    CRect GetAccessibleLocation(LONG child) const override;
    LONG GetAccessibleFocus() const override;
    std::string CellName(int column, int row) const;
    // Tells readers that the cell's name changed.
    void NotifyCellChanged(int column, int row);
    // What the board says: a card turned, a pair taken (with the taker's count), a miss (with
    // whose turn it is now), the winners. Kept as facts and put into words only when a reader
    // asks, so that a game nobody listens to pays nothing for them.
    struct Saying {
        enum class Kind { Nothing, Flip, Pair, Miss, Winners };
        Kind kind = Kind::Nothing;
        int column = 0;
        int row = 0;
        CardCode card = 0;
        int player = 0;
        int cards = 0;
        std::string text;  // the winners

        static Saying Flip(int column, int row, CardCode card) {
            Saying s;
            s.kind = Kind::Flip;
            s.column = column;
            s.row = row;
            s.card = card;
            return s;
        }
        static Saying Pair(int player, int cards) {
            Saying s;
            s.kind = Kind::Pair;
            s.player = player;
            s.cards = cards;
            return s;
        }
        static Saying Miss(int nextPlayer) {
            Saying s;
            s.kind = Kind::Miss;
            s.player = nextPlayer;
            return s;
        }
        static Saying Winners(std::string winners) {
            Saying s;
            s.kind = Kind::Winners;
            s.text = std::move(winners);
            return s;
        }
    };
    void Say(Saying saying);
    std::string SaidText() const;

    HICON appIcon = nullptr;
    int firstPickColumn = -1;
    int firstPickRow = -1;
    int secondPickColumn = -1;
    int secondPickRow = -1;
    int firstPickRank = -1;
    int secondPickRank = -1;
    int inputEnabled = 0;
    CMenu mainMenu;
    int humanCount;
    int computerFlags;
    int computerCount;
    int currentPlayer = 0;
    int computerMoveAllowed;
    ScoreFrame* scoreFrame = nullptr;  // deletes itself when its window goes
    std::array<std::unique_ptr<ComputerPlayer>, 4> computerPlayers;
    std::unique_ptr<Board> board;

    // The cell the keyboard works on. Like Windows, the board shows it only once the player has
    // used the keyboard: a player who only uses the mouse never sees it.
    int focusColumn = 0;
    int focusRow = 0;
    bool focusShown = false;

    Saying lastSaid;  // the board's last sentence to a screen reader
};
