#include "game/score_frame.h"

#include <algorithm>
#include <span>

#include "app/board_frame.h"
#include "game/cards.h"
#include "game/observer.h"
#include "resource.h"

std::string ComputerName(PlayerCode code) {
    for (const ComputerPersonality& computer : kComputerPersonalities) {
        if (code == computer.code) {
            return AfxLoadString(computer.nameId);
        }
    }
    return AfxLoadString(IDS_UNKNOWN_COMPUTER);
}

std::string ScoreDigit(int digit) {
    return AfxLoadString(IDS_SCORE_DIGIT + static_cast<UINT>(digit));
}

std::string HumanDisplayName(int number) {
    return AfxFormatString1(IDS_SCORE_HUMAN, ScoreDigit(number));
}

std::string ParticipantName(PlayerCode code) {
    return IsHuman(code) ? HumanDisplayName(code & 0x0F) : ComputerName(code);
}

namespace {
constexpr DWORD kScoreStyle = WS_POPUP | WS_CAPTION | WS_THICKFRAME;  // no close box
constexpr int kScoreWidth = 168;
}  // namespace

ScoreFrame::ScoreFrame(BoardFrame* owner)
    : boardFrame(owner), humans(1), computers(0), computerSet(0) {
    order[0] = kHumanBit | 1;

    CRect board;
    boardFrame->GetWindowRect(&board);
    windowRect.left = board.right - GetSystemMetrics(SM_CXBORDER) - kScoreWidth;
    windowRect.top = board.top;
    windowRect.right = board.right;
    windowRect.bottom =
        board.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) + 48;
    Create(nullptr, AfxLoadString(IDS_SCORE_CAPTION).c_str(), kScoreStyle, windowRect, boardFrame,
           0, 0);
    ShowWindow(SW_SHOWNA);

    turn = 0;
    humanCards.fill(0);
    computerCards.fill(0);
    Invalidate(TRUE);
    UpdateWindow();
}

ScoreFrame::~ScoreFrame() = default;

const AFX_MSGMAP* ScoreFrame::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_WM_PAINT<&ScoreFrame::OnPaint>(),
        ON_MESSAGE_VOID<WM_CLOSE, &ScoreFrame::OnClose>(),
    };
    static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), entries};
    return &map;
}

// The score window lives as long as the board window: a close request (Alt+F4) is ignored.
void ScoreFrame::OnClose() {}

PlayerCode ScoreFrame::SetupOrder(int humanCount, int computerCount, int computerBits) {
    humans = humanCount;
    computers = computerCount;
    computerSet = computerBits;
    turn = 0;
    humanCards.fill(0);
    computerCards.fill(0);

    int next = 0;
    for (int n = 1; n <= humans; ++n) {
        order[next++] = kHumanBit | n;
    }
    for (int bit : ComputerBits) {
        if ((computerBits & bit) != 0) {
            order[next++] = bit;
        }
    }

    const unsigned participants = static_cast<unsigned>(humans + computers);
    // The swap count is drawn in every case, even when it cannot be used.
    const unsigned swaps = static_cast<unsigned>(Random()) % (participants + 1);
    if (participants != 1) {
        for (unsigned i = 0; i < swaps; ++i) {
            const unsigned a = static_cast<unsigned>(Random()) % participants;
            const unsigned b = static_cast<unsigned>(Random()) % participants;
            std::swap(order[a], order[b]);
        }
    }
    if (GameObserver* observer = CurrentGameObserver()) {
        observer->OnOrder(std::span<const int>(order.data(), participants));
    }

    GetWindowRect(&windowRect);
    const int height = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYBORDER) +
                       static_cast<int>(participants) * kScoreLineHeight + 10;
    MoveWindow(windowRect.left, windowRect.top, windowRect.Width(), height, TRUE);
    Invalidate(TRUE);
    NotifyWinEvent(EVENT_OBJECT_REORDER, OBJID_CLIENT, CHILDID_SELF);

    // With nobody at all there is no first participant to name.
    if (humans != 1 && participants > 0) {
        Announce(order[0], IDS_FIRST_PLAYER, IDS_FIRST_PLAYER_CAPTION);
    }
    return order[0];
}

int ScoreFrame::CardsOf(PlayerCode code) const {
    if (IsHuman(code)) {
        return humanCards[static_cast<std::size_t>((code & 0x0F) - 1)];
    }
    std::size_t position = 0;
    for (int bit : ComputerBits) {
        if ((computerSet & bit) == 0) {
            continue;
        }
        if (bit == code) {
            return computerCards[position];
        }
        ++position;
    }
    return 0;
}

PlayerCode ScoreFrame::LineParticipant(int line) const {
    if (line < humans) {
        return kHumanBit | (line + 1);
    }
    int position = humans;
    for (int bit : ComputerBits) {
        if ((computerSet & bit) != 0 && position++ == line) {
            return bit;
        }
    }
    return 0;
}

LONG ScoreFrame::GetAccessibleChildCount() const {
    return humans + computers;
}

std::string ScoreFrame::GetAccessibleName(LONG child) const {
    if (child < 1 || child > GetAccessibleChildCount()) {
        return {};
    }
    const PlayerCode code = LineParticipant(static_cast<int>(child - 1));
    return AfxFormatString2(IDS_SAY_SCORE, ParticipantName(code), std::to_string(CardsOf(code)));
}

CRect ScoreFrame::GetAccessibleLocation(LONG child) const {
    CRect line = CWnd::GetAccessibleLocation(child);
    if (child >= 1 && child <= GetAccessibleChildCount()) {
        line.top = kScoreLineTop + kScoreLineHeight * static_cast<int>(child - 1);
        line.bottom = line.top + kScoreLineHeight;
    }
    return line;
}

void ScoreFrame::AwardPair() {
    const PlayerCode current = order[turn];
    if (IsHuman(current)) {
        humanCards[(current & 0x0F) - 1] += 2;
    } else {
        int position = 0;
        for (int bit : ComputerBits) {
            if ((computerSet & bit) == 0) {
                continue;
            }
            if (bit == current) {
                computerCards[position] += 2;
            }
            ++position;
        }
    }
    Invalidate(TRUE);
    for (LONG child = 1; child <= GetAccessibleChildCount(); ++child) {
        if (LineParticipant(static_cast<int>(child - 1)) == current) {
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, child);
        }
    }
}

PlayerCode ScoreFrame::NextTurn() {
    ++turn;
    if (turn >= humans + computers) {
        turn = 0;
    }
    if (humans >= 2) {
        Announce(order[turn], IDS_NEXT_PLAYER, IDS_NEXT_PLAYER_CAPTION);
    }
    Invalidate(TRUE);
    return order[turn];
}

void ScoreFrame::Announce(PlayerCode code, UINT textId, UINT captionId) {
    const std::string text = AfxFormatString1(textId, ParticipantName(code));
    boardFrame->MessageBox(text.c_str(), AfxLoadString(captionId).c_str(), MB_OK);
}

void ScoreFrame::ShowWinners() {
    int best = 0;
    for (int n = 0; n < humans; ++n) {
        best = std::max(best, humanCards[n]);
    }
    for (int p = 0; p < computers; ++p) {
        best = std::max(best, computerCards[p]);
    }

    std::string names;
    const std::string separator = AfxLoadString(IDS_WINNER_SEPARATOR);
    const auto name = [&](const std::string& winner) {
        names += names.empty() ? winner : separator + winner;
    };
    for (int n = 1; n <= humans; ++n) {
        if (humanCards[n - 1] == best) {
            name(AfxFormatString1(IDS_WINNER_HUMAN, std::to_string(n)));
        }
    }
    int position = 0;
    for (int bit : ComputerBits) {
        if ((computerSet & bit) == 0) {
            continue;
        }
        if (computerCards[position] == best) {
            name(ComputerName(bit));
        }
        ++position;
    }
    const std::string winners = AfxFormatString1(IDS_WINNERS, names);

    const std::string caption = AfxFormatString1(IDS_WINNERS_CAPTION, winners);
    boardFrame->SetWindowText(caption.c_str());
    boardFrame->Say(BoardFrame::Saying::Winners(winners));
    if (GameObserver* observer = CurrentGameObserver()) {
        observer->OnWinners(winners);
    }
}
