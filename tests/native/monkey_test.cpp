// The monkey: random input of every kind a player can give (clicks anywhere, the board's keys,
// every menu command, settings, boxes and dialogs answered late, time passing), with the rules'
// invariants checked after every event. SHINKEI_MONKEY_EVENTS and SHINKEI_MONKEY_SEED change the
// run; a failing seed plays the same events again.
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/observer.h"
#include "harness.h"

namespace {

std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

class Monkey : public GameObserver {
  public:
    explicit Monkey(std::uint64_t seed) : random_(seed) {}

    void Run(std::uint64_t events) {
        SetGameObserver(this);
        for (events_ = 0; events_ < events && !::testing::Test::HasFailure(); ++events_) {
            if (!game_ || game_->desktop.Quit()) {
                Restart();
            }
            PlayOneEvent();
            CheckInvariants();
        }
        game_.reset();
        SetGameObserver(nullptr);
    }

    std::uint64_t events() const { return events_; }
    long long pairs() const { return pairs_; }
    long long misses() const { return misses_; }
    long long winners() const { return winners_; }
    long long starts() const { return starts_; }

    // The turn in progress: who turned its cards, under which order, with what count.
    void OnFlip(int player, int, int, int card) override {
        if (ranks_.empty()) {
            flipper_ = player;
            const ScoreFrame& score = game_->score();
            turnOrder_.assign(score.order.begin(), score.order.begin() + Participants(score));
            countBefore_ = CountOf(player);
        }
        EXPECT_EQ(player, flipper_) << Where() << "one participant turns both cards of a turn";
        EXPECT_LT(ranks_.size(), 2u) << Where() << "a third card was turned";
        ranks_.push_back(RankOf(static_cast<CardCode>(card)));
    }

    void OnPair(int player) override {
        ++pairs_;
        ASSERT_EQ(ranks_.size(), 2u) << Where() << "a pair needs two cards";
        EXPECT_EQ(ranks_[0], ranks_[1]) << Where();
        EXPECT_EQ(player, flipper_) << Where();
        EXPECT_EQ(CountOf(flipper_), countBefore_ + 2)
            << Where() << "the pair must be scored for player " << flipper_;
        ranks_.clear();
    }

    void OnMiss(int from, int to) override {
        ++misses_;
        ASSERT_EQ(ranks_.size(), 2u) << Where() << "a miss needs two cards";
        EXPECT_NE(ranks_[0], ranks_[1]) << Where();
        EXPECT_EQ(from, flipper_) << Where();
        const auto at = std::find(turnOrder_.begin(), turnOrder_.end(), flipper_);
        ASSERT_NE(at, turnOrder_.end()) << Where() << "the player was not in the order";
        const int next = std::next(at) == turnOrder_.end() ? turnOrder_.front() : *std::next(at);
        EXPECT_EQ(to, next) << Where() << "the turn passes along the order it began under";
        ranks_.clear();
    }

    void OnDeal(const Board&) override { ranks_.clear(); }

    void OnWinners(const std::string& text) override {
        ++winners_;
        const ScoreFrame& score = game_->score();
        int best = 0;
        for (int code : Participants()) {
            best = std::max(best, CountOf(code));
        }
        for (int code : Participants()) {
            const std::string name = IsHuman(code)
                                         ? "プレイヤー" + std::to_string(code & 0x0F) + " "
                                         : std::string(ComputerName(code)) + " ";
            EXPECT_EQ(text.find(name) != std::string::npos, CountOf(code) == best)
                << Where() << name << "in \"" << text << "\"";
        }
        EXPECT_EQ(score.boardFrame->board->remaining, 0) << Where();
        caption_ = "神経衰弱 (しんけいすいじゃく）...*" + text;
    }

  private:
    void Restart() {
        game_.reset();
        ranks_.clear();
        caption_ = "神経衰弱 (しんけいすいじゃく）　ポロネコ用特別仕様";
        ++starts_;
        game_ = std::make_unique<Game>(static_cast<std::time_t>(random_() % 2'000'000'000));
        lastFocus_ = {};
        game_->desktop.SetResponder([this](const sim::Modal& modal) { return Answer(modal); });
    }

    int Below(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }

    void PlayOneEvent() {
        sim::Desktop& desktop = game_->desktop;
        const HWND board = game_->boardWindow();
        const int kind = Below(1000);
        if (kind < 450) {
            game_->Click({Below(kColumns), Below(kRows)});
        } else if (kind < 550) {
            desktop.Click(board, Below(700) - 60, Below(560) - 60);
        } else if (kind < 570) {
            static constexpr UINT kCommands[] = {ID_HELP_VERSION, ID_GAME_SOUND, ID_GAME_MUSIC,
                                                 ID_GAME_TRICK, ID_OTHER_MYSTERY};
            const int pick = Below(static_cast<int>(std::size(kCommands)) + 1);
            desktop.ChooseMenu(board, pick < static_cast<int>(std::size(kCommands))
                                          ? kCommands[pick]
                                          : static_cast<UINT>(1 + Below(0xFFFF)));
        } else if (kind < 575) {
            desktop.ChooseMenu(board, ID_GAME_SETTINGS);
        } else if (kind < 578) {
            desktop.ChooseMenu(board, ID_GAME_NEW);
        } else if (kind == 578 && Below(10) == 0) {
            desktop.ChooseMenu(board, ID_GAME_EXIT);
        } else if (kind < 590) {
            static constexpr WPARAM kNotifyCodes[] = {1, 2, 4, 8};
            desktop.EndMusic(kNotifyCodes[Below(4)]);
        } else if (kind < 700) {
            static constexpr UINT kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP,
                                             VK_DOWN, VK_SPACE, VK_RETURN};
            game_->Key(kKeys[Below(static_cast<int>(std::size(kKeys)))]);
        } else {
            // Mostly less than a computer's move, now and then long enough for several turns.
            desktop.Advance(
                static_cast<std::uint64_t>(Below(10) == 0 ? Below(30'000) : Below(2'000)));
        }
    }

    // Answers every box and dialog as a hesitant player would: after up to five seconds.
    int Answer(const sim::Modal& modal) {
        const int delay = Below(3) == 0 ? 0 : Below(5'001);
        game_->desktop.Advance(static_cast<std::uint64_t>(delay));
        if (modal.kind == sim::Modal::Kind::MessageBox) {
            if ((modal.type & 0x0F) == MB_YESNO) {
                return Below(4) == 0 ? IDNO : IDYES;
            }
            return IDOK;
        }
        if (modal.templateId != IDD_SETTINGS || Below(6) == 0) {
            return IDCANCEL;
        }
        int humans = Below(5);
        const int bits = Below(16);
        if (humans == 0 && bits == 0 && Below(10) != 0) {
            humans = 1;  // saying goodbye ends the run: now and then only
        }
        Game::FillSettings(modal, humans, bits);
        return IDOK;
    }

    void CheckInvariants() {
        if (game_->desktop.Quit() || ::testing::Test::HasFailure()) {
            return;
        }
        const sim::Desktop& desktop = game_->desktop;
        const BoardFrame& frame = game_->frame();
        const ScoreFrame& score = game_->score();
        ASSERT_EQ(desktop.OpenModals(), 0) << Where();
        ASSERT_TRUE(frame.board) << Where() << "every new game is dealt at its first paint";

        int occupied = 0;
        for (CardCode card : frame.board->cells) {
            occupied += card != 0 ? 1 : 0;
        }
        EXPECT_EQ(frame.board->remaining, occupied) << Where();
        int taken = 0;
        for (int code : Participants()) {
            EXPECT_EQ(CountOf(code) % 2, 0) << Where() << "count of " << code;
            taken += CountOf(code);
        }
        EXPECT_EQ(taken + frame.board->remaining, 54) << Where();

        EXPECT_TRUE(frame.inputEnabled == 0 || IsHuman(frame.currentPlayer))
            << Where() << "clicks count only while a human has the turn";
        const auto timers = desktop.RunningTimers(frame.m_hWnd);
        const bool computerTimer =
            std::find(timers.begin(), timers.end(), kComputerTimer) != timers.end();
        EXPECT_EQ(computerTimer, score.computerSet != 0)
            << Where() << "the computer timer runs exactly while computers take part";

        EXPECT_EQ(desktop.LiveGdiObjects(), 0) << Where();
        EXPECT_EQ(desktop.LiveMemoryDCs(), 0) << Where();
        EXPECT_EQ(desktop.PaintLeaks(), 0) << Where();
        EXPECT_EQ(desktop.Window(frame.m_hWnd)->caption, caption_) << Where();
        CheckHighlight();
        CheckFocus();
        game_->desktop.ClearRecords();
    }

    // Exactly one line of the score window stands on yellow: the line of whoever has the turn.
    void CheckHighlight() {
        const std::vector<int> lines = Participants();
        int highlighted = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int y = 2 + kScoreLineHeight * static_cast<int>(i) + 4;
            const sim::Pixel pixel = game_->desktop.PixelAt(game_->scoreWindow(), 4, y);
            EXPECT_EQ(pixel.kind, sim::Pixel::Kind::Text) << Where() << "score line " << i;
            if (pixel.bkColor != kWhite) {
                ++highlighted;
                EXPECT_EQ(lines[i], game_->frame().currentPlayer) << Where();
            }
        }
        EXPECT_EQ(highlighted, 1) << Where();
    }

    // The screen shows the keyboard's focus where the board has it, and nowhere else it has been.
    void CheckFocus() {
        const BoardFrame& frame = game_->frame();
        const Cell focus{frame.focusColumn, frame.focusRow};
        auto dotShown = [&](Cell cell) {
            const CRect r = FocusRect(cell.column, cell.row);
            return game_->desktop.PixelAt(frame.m_hWnd, r.left + 1, r.top).inverted;
        };
        EXPECT_EQ(dotShown(focus), frame.focusShown) << Where();
        if (!(lastFocus_ == focus)) {
            EXPECT_FALSE(dotShown(lastFocus_)) << Where() << "the focus left its old cell";
            lastFocus_ = focus;
        }
    }

    static int Participants(const ScoreFrame& score) { return score.humans + score.computers; }

    // Everybody taking part, in the score window's line order.
    std::vector<int> Participants() const {
        const ScoreFrame& score = game_->score();
        std::vector<int> codes;
        for (int n = 1; n <= score.humans; ++n) {
            codes.push_back(kHumanBit | n);
        }
        for (int bit : ComputerBits) {
            if ((score.computerSet & bit) != 0) {
                codes.push_back(bit);
            }
        }
        return codes;
    }

    // The cards a participant has taken, or -1 when it does not take part.
    int CountOf(int code) const {
        const ScoreFrame& score = game_->score();
        if (IsHuman(code)) {
            const int n = code & 0x0F;
            return n >= 1 && n <= score.humans ? score.humanCards[n - 1] : -1;
        }
        int position = 0;
        for (int bit : ComputerBits) {
            if ((score.computerSet & bit) != 0) {
                if (bit == code) {
                    return score.computerCards[position];
                }
                ++position;
            }
        }
        return -1;
    }

    std::string Where() const { return "event " + std::to_string(events_) + ": "; }

    std::mt19937_64 random_;
    std::unique_ptr<Game> game_;
    std::uint64_t events_ = 0;
    long long pairs_ = 0;
    long long misses_ = 0;
    long long winners_ = 0;
    long long starts_ = 0;
    std::string caption_;
    Cell lastFocus_;
    int flipper_ = 0;
    int countBefore_ = 0;
    std::vector<int> turnOrder_;
    std::vector<int> ranks_;
};

TEST(Monkey, RandomPlayKeepsTheRules) {
    const std::uint64_t seed = FromEnvironment("SHINKEI_MONKEY_SEED", 20261208);
    const std::uint64_t events = FromEnvironment("SHINKEI_MONKEY_EVENTS", 100'000);
    std::cout << "monkey seed " << seed << ", " << events << " events\n";
    Monkey monkey(seed);
    const auto start = std::chrono::steady_clock::now();
    monkey.Run(events);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << monkey.events() << " events in " << seconds << " s ("
              << static_cast<double>(monkey.events()) / seconds << " a second): " << monkey.starts()
              << " starts, " << monkey.pairs() << " pairs, " << monkey.misses() << " misses, "
              << monkey.winners() << " games won\n";
    if (::testing::Test::HasFailure()) {
        std::cout << "replay with SHINKEI_MONKEY_SEED=" << seed << '\n';
    }
    EXPECT_EQ(monkey.events(), events);
    EXPECT_GT(monkey.pairs(), 0);
    EXPECT_GT(monkey.misses(), 0);
}

}  // namespace
