// The board window's paint: card backs, the faces of the cards turned up, and the computer
// players' look at every face drawn. Nothing graphic outlives a paint.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

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

    // The cells holding a card as bits, column by column, found eight cells at a time without a
    // branch per cell (which cells are empty is random, so such a branch mispredicts); then one
    // blit per bit, lowest first: the same cells in the same order.
    static_assert(std::endian::native == std::endian::little, "cell k of eight is byte k");
    std::uint64_t held = 0;
    for (int first = 0; first < kCellCount; first += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, board->cells.data() + first, std::min(8, kCellCount - first));
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        const std::uint64_t nonzero = (eight | ((eight & kLow7) + kLow7)) & ~kLow7;
        held |= ((nonzero >> 7) * 0x0102040810204080ull >> 56) << first;
    }
    for (; held != 0; held &= held - 1) {
        const int cell = std::countr_zero(held);
        const CRect card = CardRect(cell / kRows, cell % kRows);
        paintDC.BitBlt(card.left, card.top, kCardWidth, kCardHeight, &memoryDC, 0, 0, SRCCOPY);
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

    // Computer players learn a card by seeing it drawn, each with its own chance.
    for (auto& player : computerPlayers) {
        player->Observe(column, row, RankOf(code));
    }

    memoryDC.SelectObject(kept);
    blank.DeleteObject();
    joker.DeleteObject();
    rankStrip.DeleteObject();
    suit.DeleteObject();
}
