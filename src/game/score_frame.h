// The score window, and the record of who takes part, in which order, whose turn it is and how
// many cards each participant has taken.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ai/personalities.h"
#include "framework/afxwin.h"

class BoardFrame;

// A participant: a human is 0x10 | n (n = 1 to 4), a computer one of the bits 0x01 to 0x08.
using PlayerCode = int;
inline constexpr PlayerCode kHumanBit = 0x10;
inline constexpr bool IsHuman(PlayerCode code) {
    return (code & kHumanBit) != 0;
}

// The one fixed order of the computer players.
inline constexpr std::array<int, 4> ComputerBits = {
    kComputerPersonalities[0].code, kComputerPersonalities[1].code, kComputerPersonalities[2].code,
    kComputerPersonalities[3].code};

// A computer's name for its code ("ﾎﾟﾛﾈｺ", "作者", …); "Error!" for any other code.
std::string ComputerName(PlayerCode code);
// The score window's digit for 0 to 9 ("０" to "９").
std::string ScoreDigit(int digit);
// A human's name in announcements and in the score window ("Player１" to "Player４").
std::string HumanDisplayName(int number);
// A participant's name as the boxes give it: a human's display name or a computer's.
std::string ParticipantName(PlayerCode code);

// Each participant's line in the score window is this many pixels high, the first this far
// from the client area's top.
inline constexpr int kScoreLineHeight = 24;
inline constexpr int kScoreLineTop = 2;

class ScoreFrame : public CFrameWnd {
  public:
    explicit ScoreFrame(BoardFrame* owner);
    ~ScoreFrame() override;
    const AFX_MSGMAP* GetMessageMap() const override;

    PlayerCode SetupOrder(int humanCount, int computerCount, int computerBits);
    void AwardPair();
    PlayerCode NextTurn();
    // A box naming the participant in the string `textId`, with the caption `captionId`.
    void Announce(PlayerCode code, UINT textId, UINT captionId);
    void ShowWinners();
    // The cards the participant has taken in this game.
    int CardsOf(PlayerCode code) const;

    void OnPaint();
    void OnClose();

    // What a screen reader hears: one line per participant, in the window's order, with the
    // cards taken ("Player１: 2枚").
    LONG GetAccessibleChildCount() const override;
    std::string GetAccessibleName(LONG child) const override;
    CRect GetAccessibleLocation(LONG child) const override;
    PlayerCode LineParticipant(int line) const;

    CRect windowRect;
    BoardFrame* boardFrame;
    int humans;
    int computers;
    int computerSet;
    std::array<int, 4> humanCards{};
    std::array<int, 4> computerCards{};
    int turn = 0;
    std::array<PlayerCode, 8> order{};
};
