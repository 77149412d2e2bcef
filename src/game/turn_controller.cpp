// The turn controller: clicks and computer moves turn cards, and each turn is resolved 1500 ms
// after its last card.
#include <algorithm>
#include <string>
#include <utility>

#include "ai/computer_player.h"
#include "app/board_frame.h"
#include "app/sound.h"
#include "game/observer.h"
#include "game/score_frame.h"
#include "resource.h"

void BoardFrame::OnLButtonDown(UINT, CPoint point) {
    if (inputEnabled == 0 || point.x < 0 || point.y < 0) {
        return;
    }
    const int column = point.x / kCellPitchX;
    const int row = point.y / kCellPitchY;
    if (column > kColumns - 1 || row > kRows - 1 || point.x % kCellPitchX < kCardLeft ||
        point.y % kCellPitchY < kCardTop) {
        return;
    }
    TurnCard(column, row);
}

// The keyboard's way to the same turns: the arrow keys move the focus one cell, stopping at the
// edges, and Space or Enter presses the focused card's centre, as the mouse would.
void BoardFrame::OnKeyDown(UINT virtualKey, UINT, UINT) {
    int column = focusColumn;
    int row = focusRow;
    switch (virtualKey) {
        case VK_LEFT:
            column = std::max(column - 1, 0);
            break;
        case VK_RIGHT:
            column = std::min(column + 1, kColumns - 1);
            break;
        case VK_UP:
            row = std::max(row - 1, 0);
            break;
        case VK_DOWN:
            row = std::min(row + 1, kRows - 1);
            break;
        case VK_SPACE:
        case VK_RETURN:
            break;
        default:
            return;
    }
    MoveFocus(column, row);
    if (virtualKey == VK_SPACE || virtualKey == VK_RETURN) {
        const CRect card = CardRect(focusColumn, focusRow);
        OnLButtonDown(0, CPoint{(card.left + card.right) / 2, (card.top + card.bottom) / 2});
    }
}

int BoardFrame::TurnCard(int column, int row) {
    // Between a new game and the paint that deals its board there is nothing to turn.
    if (!board) {
        return 0;
    }
    const int rank = RankOf(board->At(column, row));
    if (rank == 0) {
        return 0;
    }
    if (firstPickColumn == -1) {
        if (soundOn) {
            PlayCue("open.wav");
        }
        firstPickColumn = column;
        firstPickRow = row;
        firstPickRank = rank;
    } else {
        if (secondPickColumn != -1 || (column == firstPickColumn && row == firstPickRow)) {
            return -1;
        }
        if (soundOn) {
            PlayCue(rank == firstPickRank ? "OK.wav" : "NO.wav");
        }
        secondPickColumn = column;
        secondPickRow = row;
        secondPickRank = rank;
    }
    SetTimer(kResolveTimer, kResolveDelayMs);
    const CRect card = CardRect(column, row);
    InvalidateRect(&card, TRUE);
    if (GameObserver* observer = CurrentGameObserver()) {
        observer->OnFlip(currentPlayer, column, row, board->At(column, row));
    }
    NotifyCellChanged(column, row);
    Say(Saying::Flip(column, row, board->At(column, row)));
    return rank;
}

void BoardFrame::OnTimer(UINT_PTR timerId) {
    if (timerId == kResolveTimer) {
        ResolvePicks(static_cast<int>(timerId));
    } else if (timerId == kComputerTimer && computerMoveAllowed != 0) {
        GuardScope guard(computerMoveAllowed);
        PlayComputerMove();
    }
}

void BoardFrame::ResolvePicks(int timerId) {
    const int savedInput = inputEnabled;
    GuardScope guard(computerMoveAllowed);
    inputEnabled = 0;
    KillTimer(static_cast<UINT_PTR>(timerId));

    // A lone first card stays up; so do both cards of a game that was abandoned meanwhile.
    if (secondPickColumn == -1 || !board) {
        inputEnabled = savedInput;
        return;
    }

    int inputAfter = savedInput;
    Saying said;
    if (firstPickRank == secondPickRank) {
        scoreFrame->AwardPair();
        if (GameObserver* observer = CurrentGameObserver()) {
            observer->OnPair(currentPlayer);
        }
        board->RemoveCard(firstPickColumn, firstPickRow);
        board->RemoveCard(secondPickColumn, secondPickRow);
        for (auto& player : computerPlayers) {
            player->Forget(firstPickColumn, firstPickRow);
            player->Forget(secondPickColumn, secondPickRow);
        }
        said = Saying::Pair(currentPlayer, scoreFrame->CardsOf(currentPlayer));
    } else {
        const PlayerCode previous = currentPlayer;
        currentPlayer = scoreFrame->NextTurn();
        if (GameObserver* observer = CurrentGameObserver()) {
            observer->OnMiss(previous, currentPlayer);
        }
        inputAfter = IsHuman(currentPlayer) ? 1 : 0;
        said = Saying::Miss(currentPlayer);
    }

    const CRect first = CardRect(firstPickColumn, firstPickRow);
    const CRect second = CardRect(secondPickColumn, secondPickRow);
    InvalidateRect(&first, TRUE);
    InvalidateRect(&second, TRUE);

    if (board->remaining != 0) {
        const int firstColumn = firstPickColumn;
        const int secondColumn = secondPickColumn;
        secondPickColumn = -1;
        firstPickColumn = -1;
        inputEnabled = inputAfter;
        NotifyCellChanged(firstColumn, firstPickRow);
        NotifyCellChanged(secondColumn, secondPickRow);
        Say(std::move(said));
        return;
    }
    Say(std::move(said));
    scoreFrame->ShowWinners();
    NewGame();  // leaves inputEnabled for the next game's first participant
}

void BoardFrame::PlayComputerMove() {
    if (!board) {
        return;
    }
    for (std::size_t i = 0; i < ComputerBits.size(); ++i) {
        if (currentPlayer != ComputerBits[i]) {
            continue;
        }
        int column = 0;
        int row = 0;
        computerPlayers[i]->ChooseCell(column, row);
        TurnCard(column, row);
        return;
    }
}

int BoardFrame::NewGame() {
    GuardScope guard(computerMoveAllowed);
    for (auto& player : computerPlayers) {
        player->Reset();
    }
    inputEnabled = 0;
    board.reset();  // the next paint deals a new board

    scoreFrame->turn = 0;
    scoreFrame->humanCards.fill(0);
    scoreFrame->computerCards.fill(0);
    scoreFrame->Invalidate(TRUE);
    scoreFrame->NotifyWinEvent(EVENT_OBJECT_REORDER, OBJID_CLIENT, CHILDID_SELF);

    currentPlayer = scoreFrame->order[0];
    Invalidate(TRUE);
    NotifyWinEvent(EVENT_OBJECT_REORDER, OBJID_CLIENT, CHILDID_SELF);
    inputEnabled = IsHuman(currentPlayer) ? 1 : 0;
    return inputEnabled;
}
