// The score window as the players read it: one line per participant, the turn on yellow.
#include "harness.h"

namespace {

struct TextLine {
    int x;
    int y;
    std::string text;
    COLORREF ground;
    COLORREF ink;
};

// The texts of the score window's latest paint.
std::vector<TextLine> ScoreTexts(Game& game) {
    game.desktop.ClearRecords();
    game.desktop.Expose(game.scoreWindow());
    std::vector<TextLine> texts;
    for (const sim::PaintOp& op : game.desktop.PaintOps()) {
        if (op.window == game.scoreWindow() && op.kind == sim::PaintOp::Kind::Text) {
            texts.push_back({op.dest.left, op.dest.top, op.text, op.bkColor, op.textColor});
        }
    }
    return texts;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(ScorePaint, OneHumanAtStartUp) {
    Game game;
    const auto texts = ScoreTexts(game);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Player１");
    EXPECT_EQ(texts[0].x, 2);
    EXPECT_EQ(texts[0].y, 2);
    EXPECT_EQ(texts[1].text, "  ０枚");
    EXPECT_EQ(texts[1].x, 98);
    EXPECT_EQ(texts[0].ground, RGB(255, 255, 0));
    EXPECT_EQ(texts[0].ink, RGB(0, 0, 100));
}

TEST(ScorePaint, LinesFollowThePlayersNotTheTurnOrder) {
    Game game;
    game.ChangeSettings(1, 0x0A);
    game.score().computerCards = {8, 12, 0, 0};
    game.score().humanCards = {54 - 20, 0, 0, 0};
    const auto texts = ScoreTexts(game);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0].text, "Player１");
    EXPECT_EQ(texts[1].text, "３４枚");
    EXPECT_EQ(texts[2].text, "作者");
    EXPECT_EQ(texts[2].y, 26);
    EXPECT_EQ(texts[3].text, "  ８枚");
    EXPECT_EQ(texts[4].text, "謎の男");
    EXPECT_EQ(texts[4].y, 50);
    EXPECT_EQ(texts[5].text, "１２枚");
    // Exactly the line of the participant whose turn it is stands on yellow.
    const int current = game.score().order[game.score().turn];
    const int line = current == 0x11 ? 0 : current == 0x02 ? 1 : 2;
    const COLORREF highlight = current == 0x11 ? RGB(255, 255, 0) : RGB(255, 255, 50);
    for (int i = 0; i < 3; ++i) {
        const COLORREF expected = i == line ? highlight : kWhite;
        EXPECT_EQ(texts[2 * i].ground, expected);
        EXPECT_EQ(texts[2 * i + 1].ground, expected);
    }
}

TEST(ScorePaint, HighlightFollowsTheTurn) {
    Game game;
    game.ChangeSettings(2, 0);
    const int firstLine = (game.frame().currentPlayer & 0x0F) - 1;
    const int otherLine = 1 - firstLine;
    auto before = ScoreTexts(game);
    EXPECT_EQ(before[2 * firstLine].ground, RGB(255, 255, 0));
    EXPECT_EQ(before[2 * otherLine].ground, kWhite);
    game.Turn(*game.AnyMiss());
    const auto after = ScoreTexts(game);
    EXPECT_EQ(after[2 * firstLine].ground, kWhite);
    EXPECT_EQ(after[2 * otherLine].ground, RGB(255, 255, 0));
    EXPECT_EQ(after[2 * otherLine + 1].ground, RGB(255, 255, 0));
}

}  // namespace
