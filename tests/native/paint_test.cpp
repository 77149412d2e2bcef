// The board's paint as the player sees it: backs, faces, ink, and nothing left behind.
#include <algorithm>

#include "harness.h"

namespace {

std::vector<sim::PaintOp> BlitsOf(const Game& game, UINT bitmapId) {
    std::vector<sim::PaintOp> ops;
    for (const sim::PaintOp& op : game.desktop.PaintOps()) {
        if (op.window == game.boardWindow() && op.kind == sim::PaintOp::Kind::BitBlt &&
            op.bitmapId == bitmapId) {
            ops.push_back(op);
        }
    }
    return ops;
}

Cell FindCard(const Game& game, CardCode wanted) {
    for (Cell cell : game.Occupied()) {
        if (game.board().At(cell.column, cell.row) == wanted) {
            return cell;
        }
    }
    ADD_FAILURE() << "no card " << int(wanted);
    return {};
}

TEST(Paint, FreshBoardShows54BacksAndNoFace) {
    Game game;
    game.desktop.ClearRecords();
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_NEW);
    const auto backs = BlitsOf(game, IDB_CARD_BACK);
    ASSERT_EQ(backs.size(), 54u);
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            const sim::PaintOp& op = backs[CellIndex(c, r)];
            EXPECT_EQ(op.dest, CardRect(c, r));
            EXPECT_TRUE(op.visible);
        }
    }
    EXPECT_TRUE(BlitsOf(game, IDB_BLANK_FACE).empty());
    // The gaps and margins stay white.
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), 5, 5).kind, sim::Pixel::Kind::Background);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), 545, 200).kind,
              sim::Pixel::Kind::Background);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), 65, 30).kind, sim::Pixel::Kind::Background);
}

TEST(Paint, OnlyTheInvalidatedCardChangesOnScreen) {
    Game game;
    game.desktop.ClearRecords();
    const Cell cell{4, 3};
    game.Click(cell);
    const auto backs = BlitsOf(game, IDB_CARD_BACK);
    EXPECT_EQ(backs.size(), 54u) << "every paint draws the whole board";
    const auto visible = std::count_if(backs.begin(), backs.end(),
                                       [](const sim::PaintOp& op) { return op.visible; });
    EXPECT_EQ(visible, 1) << "the platform clips to the turned card";
}

TEST(Paint, FacesFollowThePicks) {
    Game game;
    const auto miss = *game.AnyMiss();
    game.desktop.ClearRecords();
    game.Click(miss.first);
    EXPECT_EQ(BlitsOf(game, IDB_BLANK_FACE).size(), 1u);
    game.desktop.ClearRecords();
    game.Click(miss.second);
    EXPECT_EQ(BlitsOf(game, IDB_BLANK_FACE).size(), 2u) << "both faces on the second paint";
    // A second pick without a first shows no face at all.
    game.frame().firstPickColumn = -1;
    game.desktop.ClearRecords();
    game.desktop.Expose(game.boardWindow());
    EXPECT_TRUE(BlitsOf(game, IDB_BLANK_FACE).empty());
}

TEST(Paint, JokerFaceIsItsImageAlone) {
    Game game;
    const Cell joker = FindCard(game, kJoker);
    game.desktop.ClearRecords();
    game.Click(joker);
    ASSERT_EQ(BlitsOf(game, IDB_JOKER).size(), 1u);
    EXPECT_EQ(BlitsOf(game, IDB_JOKER)[0].dest, CardRect(joker.column, joker.row));
    EXPECT_EQ(BlitsOf(game, IDB_BLANK_FACE).size(), 1u);
    EXPECT_TRUE(BlitsOf(game, IDB_RANK_STRIP).empty());
    for (UINT suit : {IDB_SPADE, IDB_HEART, IDB_CLUB, IDB_DIAMOND}) {
        EXPECT_TRUE(BlitsOf(game, suit).empty());
    }
    const CPoint p = Game::Centre(joker);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), p.x, p.y).bitmapId,
              static_cast<UINT>(IDB_JOKER));
}

struct FaceCase {
    CardCode card;
    UINT suitImage;
    COLORREF ink;
};

TEST(Paint, RankGlyphSuitSymbolAndInk) {
    const FaceCase cases[] = {{0x1A, IDB_SPADE, RGB(0, 0, 0)},
                              {0x21, IDB_HEART, RGB(255, 0, 0)},
                              {0x3D, IDB_CLUB, RGB(0, 0, 0)},
                              {0x47, IDB_DIAMOND, RGB(255, 0, 0)}};
    for (const FaceCase& face : cases) {
        SCOPED_TRACE(int(face.card));
        Game game;
        const Cell cell = FindCard(game, face.card);
        game.desktop.ClearRecords();
        game.Click(cell);
        const CRect r = CardRect(cell.column, cell.row);
        const auto ranks = BlitsOf(game, IDB_RANK_STRIP);
        ASSERT_EQ(ranks.size(), 1u);
        EXPECT_EQ(ranks[0].sourceX, 33 * (RankOf(face.card) - 1)) << "the ten uses slot 9 too";
        EXPECT_EQ(ranks[0].dest, (CRect{r.left + 7, r.top + 2, r.left + 40, r.top + 32}));
        EXPECT_EQ(ranks[0].textColor, face.ink);
        EXPECT_EQ(ranks[0].bkColor, RGB(255, 255, 255));
        const auto suits = BlitsOf(game, face.suitImage);
        ASSERT_EQ(suits.size(), 1u);
        EXPECT_EQ(suits[0].sourceX, 8);
        EXPECT_EQ(suits[0].dest, (CRect{r.left + 8, r.top + 32, r.left + 40, r.top + 62}));
        EXPECT_EQ(suits[0].textColor, face.ink);
        // The colours are put back: the next face starts from black on white again.
        const auto blanks = BlitsOf(game, IDB_BLANK_FACE);
        ASSERT_EQ(blanks.size(), 1u);
        EXPECT_EQ(blanks[0].textColor, RGB(0, 0, 0));
    }
}

// The focus is the keyboard's: a player who only uses the mouse sees the same pixels as ever.
// The first key shows it, inverting the dots of its edge and nothing else, and it moves without
// a paint (a paint would show the computers the faces up once more); a paint draws it again.
TEST(Paint, TheFocusShowsFromTheFirstKeyAndMovesWithoutAPaint) {
    Game game;
    game.Click({0, 1});
    const HWND board = game.boardWindow();
    const CRect area{0, 0, 3 * kCellPitchX, 3 * kCellPitchY};
    std::vector<COLORREF> before;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            before.push_back(game.desktop.ScreenColor(board, x, y));
        }
    }
    auto expectFocusOn = [&](std::optional<Cell> cell, const char* when) {
        const CRect focus = cell ? FocusRect(cell->column, cell->row) : CRect{};
        int dots = 0;
        std::size_t at = 0;  // the pixels in the order `before` holds them
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const bool edge =
                    focus.PtInRect({x, y}) && (x == focus.left || x == focus.right - 1 ||
                                               y == focus.top || y == focus.bottom - 1);
                const bool dot = edge && (x + y) % 2 == 1;
                dots += dot ? 1 : 0;
                const COLORREF was = before[at++];
                ASSERT_EQ(game.desktop.ScreenColor(board, x, y), dot ? was ^ 0xFFFFFF : was)
                    << when << ": " << x << "," << y;
            }
        }
        EXPECT_EQ(dots, cell ? 2 * (kCardWidth + 2 * kFocusMargin) / 2 +
                                   2 * (kCardHeight + 2 * kFocusMargin - 2) / 2
                             : 0)
            << when;
    };
    auto focusDrawings = [&] {
        return std::count_if(
            game.desktop.PaintOps().begin(), game.desktop.PaintOps().end(),
            [](const sim::PaintOp& op) { return op.kind == sim::PaintOp::Kind::FocusRect; });
    };
    EXPECT_EQ(focusDrawings(), 0) << "the mouse alone never draws the focus";
    const std::uint64_t paints = game.desktop.PaintCount(board);

    game.Key(VK_LEFT);  // at the edge: it shows, and stays where it starts
    expectFocusOn(Cell{0, 0}, "after the first key");
    game.Key(VK_RIGHT);
    expectFocusOn(Cell{1, 0}, "moved right");
    EXPECT_EQ(game.desktop.PaintCount(board), paints) << "moving the focus paints nothing";
    game.desktop.Expose(board);
    expectFocusOn(Cell{1, 0}, "after a paint of the whole board");
}

TEST(Paint, NothingIsLeftAllocatedAfterManyPaints) {
    Game game;
    game.ChangeSettings(0, 0x0F);
    game.desktop.SetRecording(false);
    game.desktop.Advance(20 * 60 * 1000);
    for (int i = 0; i < 50; ++i) {
        game.desktop.Expose(game.boardWindow());
        game.desktop.Expose(game.scoreWindow());
    }
    EXPECT_GT(game.desktop.PaintCount(game.boardWindow()), 300u);
    EXPECT_EQ(game.desktop.LiveGdiObjects(), 0);
    EXPECT_EQ(game.desktop.LiveMemoryDCs(), 0);
    EXPECT_EQ(game.desktop.PaintLeaks(), 0);
    EXPECT_EQ(game.desktop.FailedDeletes(), 0);
}

}  // namespace
