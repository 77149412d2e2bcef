// The board window's paint: card backs, the faces of the cards turned up, and the computer
// players' look at every face drawn. Nothing graphic outlives a paint.
#include "ai/computer_player.h"
#include "app/board_frame.h"
#include "game/observer.h"
#include "resource.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kRankGlyphWidth = 33;
constexpr int kRankGlyphHeight = 30;
constexpr int kSuitWidth = 32;
constexpr int kSuitHeight = 30;
constexpr int kSuitSourceX = 8;

UINT SuitImage(CardCode card) {
    switch (SuitOf(card)) {
        case 1:
            return IDB_SPADE;
        case 2:
            return IDB_HEART;
        case 3:
            return IDB_CLUB;
        default:
            return IDB_DIAMOND;
    }
}

}  // namespace

void BoardFrame::OnPaint() {
    CPaintDC paintDC(this);
    if (!board) {
        board = std::make_unique<Board>();
        firstPickColumn = -1;
        secondPickColumn = -1;
        if (GameObserver* observer = CurrentGameObserver()) {
            observer->OnDeal(*board);
        }
    }

    CBitmap back;
    back.LoadBitmap(IDB_CARD_BACK);
    CDC memoryDC;
    memoryDC.CreateCompatibleDC(&paintDC);
    CBitmap* original = memoryDC.SelectObject(&back);

    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            if (board->At(column, row) != 0) {
                const CRect card = CardRect(column, row);
                paintDC.BitBlt(card.left, card.top, kCardWidth, kCardHeight, &memoryDC, 0, 0,
                               SRCCOPY);
            }
        }
    }

    if (firstPickColumn != -1) {
        DrawCardFace(firstPickColumn, firstPickRow, paintDC, memoryDC);
        if (secondPickColumn != -1) {
            DrawCardFace(secondPickColumn, secondPickRow, paintDC, memoryDC);
        }
    }

    memoryDC.SelectObject(original);
    memoryDC.DeleteDC();
    back.DeleteObject();

    if (focusShown) {
        const CRect focus = FocusRect(focusColumn, focusRow);
        paintDC.DrawFocusRect(&focus);
    }
}

// The focus moves at once, drawn through a context of the client area rather than by a paint:
// every paint of the board is another look at the faces up for the computer players, and a
// focus moving must not give them one. The focus rectangle inverts, so drawing it again where
// it stands takes it away.
void BoardFrame::MoveFocus(int column, int row) {
    if (focusShown && column == focusColumn && row == focusRow) {
        return;
    }
    CClientDC dc(this);
    if (focusShown) {
        const CRect old = FocusRect(focusColumn, focusRow);
        dc.DrawFocusRect(&old);
    }
    focusColumn = column;
    focusRow = row;
    focusShown = true;
    const CRect focus = FocusRect(focusColumn, focusRow);
    dc.DrawFocusRect(&focus);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, OBJID_CLIENT, GetAccessibleFocus());
}

void BoardFrame::DrawCardFace(int column, int row, CDC& paintDC, CDC& memoryDC) {
    const CRect card = CardRect(column, row);
    const int x = card.left;
    const int y = card.top;

    const COLORREF savedText = paintDC.SetTextColor(kBlack);
    const COLORREF savedBackground = paintDC.SetBkColor(kWhite);

    CBitmap blank;
    blank.LoadBitmap(IDB_BLANK_FACE);
    CBitmap* kept = memoryDC.SelectObject(&blank);
    paintDC.BitBlt(x, y, kCardWidth, kCardHeight, &memoryDC, 0, 0, SRCCOPY);

    const CardCode code = board->At(column, row);
    // The ink follows one bit: black for spades and clubs, red for hearts and diamonds.
    paintDC.SetTextColor((code & 0x10) != 0 ? kBlack : kRed);

    CBitmap joker;
    CBitmap rankStrip;
    CBitmap suit;
    if (SuitOf(code) == 0xF) {
        joker.LoadBitmap(IDB_JOKER);
        memoryDC.SelectObject(&joker);
        paintDC.BitBlt(x, y, kCardWidth, kCardHeight, &memoryDC, 0, 0, SRCCOPY);
    } else {
        rankStrip.LoadBitmap(IDB_RANK_STRIP);
        memoryDC.SelectObject(&rankStrip);
        paintDC.BitBlt(x + 7, y + 2, kRankGlyphWidth, kRankGlyphHeight, &memoryDC,
                       kRankGlyphWidth * (RankOf(code) - 1), 0, SRCCOPY);
        suit.LoadBitmap(SuitImage(code));
        memoryDC.SelectObject(&suit);
        paintDC.BitBlt(x + 8, y + 32, kSuitWidth, kSuitHeight, &memoryDC, kSuitSourceX, 0, SRCCOPY);
    }

    paintDC.SetTextColor(savedText);
    paintDC.SetBkColor(savedBackground);

    // Computer players learn a card by seeing it drawn, each with its own chance. Deliberately
    // here, in the paint, drawing from the generator: the game observes as cards are drawn, so
    // every repaint is another look, and the transcripts depend on these draws.
    for (auto& player : computerPlayers) {
        player->Observe(column, row, RankOf(code));
    }

    memoryDC.SelectObject(kept);
    blank.DeleteObject();
    joker.DeleteObject();
    rankStrip.DeleteObject();
    suit.DeleteObject();
}
