// A thousand games between the four computers, with the rules' invariants checked throughout.
#include "game/observer.h"
#include "harness.h"

namespace {

class InvariantChecker : public GameObserver {
  public:
    explicit InvariantChecker(Game*& game) : game_(game) {}

    void OnFlip(int player, int column, int row, int card) override {
        ++flips_;
        Check();
        EXPECT_EQ(player, game_->frame().currentPlayer);
        EXPECT_EQ(card, game_->board().At(column, row));
        EXPECT_NE(card, 0);
    }
    void OnPair(int) override { ++pairs_; }
    void OnWinners(const std::string& text) override {
        ++winners_;
        EXPECT_TRUE(text.ends_with(" の勝利でした!!")) << text;
        EXPECT_EQ(game_->board().remaining, 0);
        EXPECT_EQ(Taken(), 54);
        EXPECT_EQ(pairs_ % 27, 0) << "every game takes all 27 pairs";
    }
    void OnDeal(const Board& board) override {
        ++deals_;
        EXPECT_EQ(board.remaining, 54);
        // One deal at start-up, one after the settings, then one after each game.
        if (deals_ > 2) {
            EXPECT_EQ(deals_, winners_ + 2);
        }
    }

    long long winners() const { return winners_; }
    long long flips() const { return flips_; }

  private:
    int Taken() const {
        int taken = 0;
        for (int cards : game_->score().computerCards) {
            EXPECT_EQ(cards % 2, 0);
            taken += cards;
        }
        return taken;
    }
    void Check() {
        const Board& board = game_->board();
        int occupied = 0;
        for (CardCode card : board.cells) {
            occupied += card != 0;
        }
        ASSERT_EQ(board.remaining, occupied);
        ASSERT_EQ(Taken(), 54 - board.remaining);
    }

    Game*& game_;
    long long flips_ = 0;
    long long pairs_ = 0;
    long long winners_ = 0;
    long long deals_ = 0;
};

TEST(Soak, ThousandFourComputerGamesKeepTheInvariants) {
    constexpr std::time_t kSeed = 20261208;
    std::cout << "seed " << kSeed << '\n';
    Game* current = nullptr;
    InvariantChecker checker(current);
    SetGameObserver(&checker);
    {
        Game game(kSeed);
        current = &game;
        game.desktop.SetRecording(false);
        game.ChangeSettings(0, 0x0F);
        while (checker.winners() < 1000 && !::testing::Test::HasFatalFailure()) {
            ASSERT_TRUE(game.desktop.Advance(600'000));
        }
        EXPECT_EQ(game.desktop.LiveGdiObjects(), 0);
        EXPECT_EQ(game.desktop.PaintLeaks(), 0);
        std::cout << checker.winners() << " games, " << checker.flips() << " cards turned\n";
    }
    SetGameObserver(nullptr);
    EXPECT_GE(checker.winners(), 1000);
}

}  // namespace
