// Turn order, counts, announcements and winners, seen as the players see them.
#include <algorithm>

#include "harness.h"

namespace {

std::string Winners(const std::string& names) {
    return "神経衰弱 (しんけいすいじゃく）...*" + names;
}

TEST(StartUp, OneHumanPlaysAloneWithTheScoreWindowAtTheTopRight) {
    Game game;
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"open.wav"});
    EXPECT_TRUE(game.desktop.Boxes().empty());
    EXPECT_EQ(game.frame().currentPlayer, 0x11);
    EXPECT_EQ(game.frame().inputEnabled, 1);
    EXPECT_EQ(game.score().order[0], 0x11);
    EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());

    const sim::WindowInfo& board = *game.desktop.Window(game.boardWindow());
    const sim::WindowInfo& score = *game.desktop.Window(game.scoreWindow());
    EXPECT_EQ(board.caption, "神経衰弱 (しんけいすいじゃく）　ポロネコ用特別仕様");
    EXPECT_EQ(score.caption, "カード");
    EXPECT_EQ(score.style, WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    EXPECT_TRUE(score.visible);
    EXPECT_EQ(score.owner, game.boardWindow());
    EXPECT_EQ(score.windowRect.right, board.windowRect.right);
    EXPECT_EQ(score.windowRect.left, board.windowRect.right - 1 - 168);
    EXPECT_EQ(score.windowRect.top, board.windowRect.top);
    EXPECT_EQ(score.windowRect.Height(), 19 + 1 + 24 + 10) << "one line";
}

TEST(StartUp, WithoutABoardWindowTheProgramGivesUpAndLeavesNothing) {
    sim::Desktop desktop;
    desktop.RefuseWindowCreation(true);
    GameApp app;
    EXPECT_FALSE(desktop.Start(app));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(desktop.Windows().empty());
}

TEST(StartUp, GeneratorIsSeededWithTheCalendarTimeInSeconds) {
    for (std::time_t now : {std::time_t{1}, std::time_t{1'765'000'000}}) {
        SCOPED_TRACE(now);
        Game game(now);
        // The start-up order draws once, then the first paint deals.
        SeedRandom(static_cast<std::uint32_t>(now));
        Random();
        const Board expected;
        EXPECT_EQ(game.board().cells, expected.cells);
    }
}

TEST(Order, SetupDrawsTheSwapCountEvenForOneParticipant) {
    Game game;
    SeedRandom(4242);
    Random();
    const int next = Random();
    SeedRandom(4242);
    EXPECT_EQ(game.score().SetupOrder(1, 0, 0), 0x11);
    EXPECT_EQ(Random(), next);
}

TEST(Order, KnownSeedsGiveTheRecordedOrders) {
    // Two humans and computers 0x02, 0x08, built as 11 12 02 08: recorded orders, and the draw
    // that follows each, from no swap (seed 2) to four. A change here changes every transcript.
    struct Recorded {
        std::uint32_t seed;
        std::array<int, 4> order;
        int nextDraw;
    };
    const Recorded recorded[] = {
        {2, {0x11, 0x12, 0x02, 0x08}, 29216},
        {3, {0x02, 0x11, 0x12, 0x08}, 23503},
        {8, {0x11, 0x02, 0x08, 0x12}, 14195},
        {10, {0x08, 0x12, 0x02, 0x11}, 13694},
    };
    Game game;
    for (const Recorded& r : recorded) {
        SCOPED_TRACE(r.seed);
        SeedRandom(r.seed);
        EXPECT_EQ(game.score().SetupOrder(2, 2, 0x0A), r.order[0]);
        std::array<int, 4> order{};
        std::copy_n(game.score().order.begin(), 4, order.begin());
        EXPECT_EQ(order, r.order);
        EXPECT_EQ(Random(), r.nextDraw);
    }
}

TEST(Order, NobodyAtAllIsNotAnnounced) {
    Game game;
    game.desktop.ClearRecords();
    game.score().SetupOrder(0, 0, 0);
    EXPECT_TRUE(game.desktop.Boxes().empty());
}

TEST(Order, UnknownCodeIsNamedError) {
    Game game;
    game.desktop.ClearRecords();
    game.score().Announce(0x20, IDS_NEXT_PLAYER, IDS_NEXT_PLAYER_CAPTION);
    ASSERT_EQ(game.desktop.Boxes().size(), 1u);
    EXPECT_EQ(game.desktop.Boxes()[0].text, "Error!の番です。");
}

TEST(Scores, ComputerCountsGoByPositionAmongThosePresent) {
    Game game;
    game.score().SetupOrder(1, 2, 0x0A);
    for (int turn = 0; turn < 3; ++turn) {
        game.score().turn = turn;
        const int code = game.score().order[turn];
        game.score().AwardPair();
        if (code == 0x02) {
            EXPECT_EQ(game.score().computerCards[0], 2);
        } else if (code == 0x08) {
            EXPECT_EQ(game.score().computerCards[1], 2);
        } else {
            EXPECT_EQ(game.score().humanCards[0], 2);
        }
    }
    EXPECT_EQ(game.score().computerCards[2] + game.score().computerCards[3], 0);
}

TEST(Winners, TiesNameEveryoneHumansFirstEachFollowedByABlank) {
    Game game;
    ScoreFrame& score = game.score();
    score.SetupOrder(1, 1, 0x02);
    score.humanCards = {28, 0, 0, 0};
    score.computerCards = {26, 0, 0, 0};
    score.ShowWinners();
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption,
              Winners("プレイヤー1 の勝利でした!!"));
    score.humanCards = {26, 0, 0, 0};
    score.computerCards = {26, 0, 0, 0};
    score.ShowWinners();
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption,
              Winners("プレイヤー1 作者 の勝利でした!!"));
    score.SetupOrder(3, 1, 0x08);
    score.humanCards = {16, 4, 16, 0};
    score.computerCards = {16, 0, 0, 0};
    score.ShowWinners();
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption,
              Winners("プレイヤー1 プレイヤー3 謎の男 の勝利でした!!"));
}

// Takes `pairs` pairs for whoever has the turn, then passes it with a miss (if cards remain).
void TakePairsThenMiss(Game& game, int pairs) {
    for (int i = 0; i < pairs; ++i) {
        game.Turn(*game.AnyPair());
    }
    if (game.frame().board && game.board().remaining > 0 && game.AnyMiss()) {
        game.Turn(*game.AnyMiss());
    }
}

TEST(Winners, ThreeHumansTieAndTheNextGameKeepsTheCaptionAndTheOrder) {
    Game game;
    game.ChangeSettings(3, 0);
    const auto order = game.score().order;
    const int first = game.frame().currentPlayer;
    TakePairsThenMiss(game, 9);
    TakePairsThenMiss(game, 9);
    for (int i = 0; i < 9; ++i) {
        game.Turn(*game.AnyPair());
    }
    const std::string caption = Winners("プレイヤー1 プレイヤー2 プレイヤー3 の勝利でした!!");
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption, caption);
    // The next game has begun with the same order, counts cleared and a fresh board.
    EXPECT_EQ(game.score().order, order);
    EXPECT_EQ(game.score().turn, 0);
    EXPECT_EQ(game.frame().currentPlayer, first);
    EXPECT_EQ(game.score().humanCards, (std::array<int, 4>{0, 0, 0, 0}));
    ASSERT_NE(game.frame().board, nullptr);
    EXPECT_EQ(game.board().remaining, 54);
    game.Turn(*game.AnyPair());
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption, caption);
}

TEST(Winners, SingleHumanWinsAlone) {
    Game game;
    while (game.score().humanCards[0] < 54) {
        game.Turn(*game.AnyPair());
        if (game.score().humanCards[0] == 0) {
            break;  // the game ended and the counts were cleared
        }
    }
    EXPECT_EQ(game.desktop.Window(game.boardWindow())->caption,
              Winners("プレイヤー1 の勝利でした!!"));
}

TEST(Announcements, TwoHumansSeeTheStartAndEveryChangeWithBothCardsUp) {
    Game game;
    game.desktop.ClearRecords();
    game.ChangeSettings(2, 0);
    ASSERT_EQ(game.desktop.Boxes().size(), 2u);
    EXPECT_EQ(game.desktop.Boxes()[0].type, 0x34u);
    EXPECT_EQ(game.desktop.Boxes()[0].caption, "人数・ｺﾝﾋﾟｭｰﾀｰ設定");
    EXPECT_EQ(game.desktop.Boxes()[0].text, "現在のゲームを中止して、設定をしますか？ ポロネコ！");
    const sim::BoxRecord& start = game.desktop.Boxes()[1];
    EXPECT_EQ(start.type, 0u);
    EXPECT_EQ(start.caption, "開始");
    const int first = game.frame().currentPlayer;
    EXPECT_EQ(start.text, HumanDisplayName(first & 0x0F) + "からです。");
    EXPECT_TRUE(start.text == "Player１からです。" || start.text == "Player２からです。");

    const auto miss = *game.AnyMiss();
    game.Click(miss.first);
    game.Click(miss.second);
    game.desktop.ClearRecords();
    bool sawFaces = false;
    std::uint64_t scorePaintsInBox = 0;
    const std::uint64_t scorePaintsBefore = game.desktop.PaintCount(game.scoreWindow());
    game.desktop.SetResponder([&](const sim::Modal& modal) {
        // Something uncovers the board while the box is open: it still shows both faces.
        game.desktop.Expose(game.boardWindow());
        sawFaces = true;
        for (Cell cell : {miss.first, miss.second}) {
            const CPoint p = Game::Centre(cell);
            const UINT image = game.desktop.PixelAt(game.boardWindow(), p.x, p.y).bitmapId;
            sawFaces = sawFaces && image != static_cast<UINT>(IDB_CARD_BACK);
        }
        scorePaintsInBox = game.desktop.PaintCount(game.scoreWindow());
        EXPECT_EQ(modal.owner, game.boardWindow());
        EXPECT_FALSE(game.desktop.Window(game.boardWindow())->enabled);
        return IDOK;
    });
    game.desktop.Advance(kResolveDelayMs);
    game.desktop.SetResponder(nullptr);
    ASSERT_EQ(game.desktop.Boxes().size(), 1u);
    const int second = first == 0x11 ? 0x12 : 0x11;
    EXPECT_EQ(game.desktop.Boxes()[0].caption, "交代");
    EXPECT_EQ(game.desktop.Boxes()[0].text, HumanDisplayName(second & 0x0F) + "の番です。");
    EXPECT_TRUE(sawFaces);
    EXPECT_EQ(scorePaintsInBox, scorePaintsBefore) << "score window repainted only after the box";
    EXPECT_GT(game.desktop.PaintCount(game.scoreWindow()), scorePaintsInBox);
    EXPECT_EQ(game.frame().currentPlayer, second);
    EXPECT_EQ(game.frame().inputEnabled, 1);
    const CPoint p = Game::Centre(miss.first);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), p.x, p.y).bitmapId,
              static_cast<UINT>(IDB_CARD_BACK));
}

TEST(Announcements, FourHumansAreAnnouncedInTheirShuffledOrder) {
    Game game;
    game.ChangeSettings(4, 0);
    const auto order = game.score().order;
    for (int change = 1; change <= 5; ++change) {
        game.desktop.ClearRecords();
        game.Turn(*game.AnyMiss());
        ASSERT_EQ(game.desktop.Boxes().size(), 1u);
        const int next = order[change % 4];
        EXPECT_EQ(game.desktop.Boxes()[0].text, HumanDisplayName(next & 0x0F) + "の番です。");
        EXPECT_EQ(game.frame().currentPlayer, next);
    }
}

TEST(ScoreWindow, CloseRequestIsIgnored) {
    Game game;
    const HWND score = game.scoreWindow();
    game.desktop.Close(score);
    ASSERT_NE(game.desktop.Window(score), nullptr);
    EXPECT_TRUE(game.desktop.Window(score)->visible);
    EXPECT_FALSE(game.desktop.Quit());
}

TEST(ScoreWindow, ClosingTheBoardWindowTakesTheScoreWindowAndEndsTheRun) {
    Game game;
    const HWND score = game.scoreWindow();
    game.desktop.Close(game.boardWindow());
    game.desktop.RunPending();
    EXPECT_EQ(game.desktop.Window(score), nullptr);
    EXPECT_TRUE(game.desktop.Quit());
    EXPECT_EQ(game.desktop.QuitCode(), 0);
}

}  // namespace
