// What a screen reader hears of the board: every cell by name, the keyboard's cell, and each
// change as it happens. Only words: nothing here is drawn, drawn from the generator or changed.
#include <string>
#include <utility>

#include "app/board_frame.h"
#include "game/score_frame.h"
#include "resource.h"

namespace {

LONG ChildOf(int column, int row) {
    return row * kColumns + column + 1;
}

bool CellOf(LONG child, int& column, int& row) {
    if (child < 1 || child > kCellCount) {
        return false;
    }
    column = static_cast<int>((child - 1) % kColumns);
    row = static_cast<int>((child - 1) / kColumns);
    return true;
}

std::string CardName(CardCode card) {
    if (card == kJoker) {
        return AfxLoadString(IDS_JOKER_NAME);
    }
    const UINT suit = IDS_SUIT + static_cast<UINT>(SuitOf(card) - 1);
    const UINT rank = IDS_RANK + static_cast<UINT>(RankOf(card) - 1);
    return AfxFormatString2(IDS_CARD_NAME, AfxLoadString(suit), AfxLoadString(rank));
}

std::string PlaceName(int column, int row) {
    return AfxFormatString2(IDS_CELL_PLACE, std::to_string(column + 1), std::to_string(row + 1));
}

}  // namespace

LONG BoardFrame::GetAccessibleChildCount() const {
    return kCellCount;
}

LONG BoardFrame::GetAccessibleColumnCount() const {
    return kColumns;
}

std::string BoardFrame::SaidText() const {
    using Kind = Saying::Kind;
    const Saying& s = lastSaid;
    switch (s.kind) {
        case Kind::Flip:
            return AfxFormatString2(IDS_CELL_NAME, CardName(s.card), PlaceName(s.column, s.row));
        case Kind::Pair:
            return AfxFormatString2(IDS_SAY_PAIR, ParticipantName(s.player),
                                    std::to_string(s.cards));
        case Kind::Miss:
            return AfxFormatString1(IDS_SAY_MISS,
                                    AfxFormatString1(IDS_NEXT_PLAYER, ParticipantName(s.player)));
        case Kind::Winners:
            return s.text;
        case Kind::Nothing:
            break;
    }
    return {};
}

// "ハートの７, 3列 2行": face up, its card; else face down, or taken once its pair is gone.
// Before the paint deals a new board, every cell is face down.
std::string BoardFrame::CellName(int column, int row) const {
    std::string state;
    const bool faceUp =
        (column == firstPickColumn && row == firstPickRow) ||
        (firstPickColumn != -1 && column == secondPickColumn && row == secondPickRow);
    if (board && board->At(column, row) == 0) {
        state = AfxLoadString(IDS_TAKEN);
    } else if (board && faceUp) {
        state = CardName(board->At(column, row));
    } else {
        state = AfxLoadString(IDS_FACE_DOWN);
    }
    return AfxFormatString2(IDS_CELL_NAME, state, PlaceName(column, row));
}

std::string BoardFrame::GetAccessibleName(LONG child) const {
    int column = 0;
    int row = 0;
    if (!CellOf(child, column, row)) {
        return child == CHILDID_SELF ? SaidText() : std::string();
    }
    return CellName(column, row);
}

CRect BoardFrame::GetAccessibleLocation(LONG child) const {
    int column = 0;
    int row = 0;
    if (!CellOf(child, column, row)) {
        return CWnd::GetAccessibleLocation(child);
    }
    return CardRect(column, row);
}

LONG BoardFrame::GetAccessibleFocus() const {
    return ChildOf(focusColumn, focusRow);
}

void BoardFrame::NotifyCellChanged(int column, int row) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, OBJID_CLIENT, ChildOf(column, row));
}

void BoardFrame::Say(Saying saying) {
    lastSaid = std::move(saying);
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, OBJID_CLIENT, CHILDID_SELF);
}
