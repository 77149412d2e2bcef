// The settings command: who plays, the computer timer, and the guards around the dialog.
#include <limits>
#include <set>

#include "harness.h"

namespace {

// Counts the cards turned, as the paint of the board sees them.
int PicksUp(const Game& game) {
    return (game.frame().firstPickColumn != -1) + (game.frame().secondPickColumn != -1);
}

TEST(Settings, NoChangesNothing) {
    Game game;
    const auto cells = game.board().cells;
    game.Click(game.Occupied().front());
    game.desktop.SetResponder([](const sim::Modal&) { return IDNO; });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
    EXPECT_EQ(game.desktop.Boxes().size(), 1u);
    EXPECT_EQ(game.board().cells, cells);
    EXPECT_EQ(PicksUp(game), 1);
    EXPECT_EQ(game.frame().humanCount, 1);
    EXPECT_EQ(game.frame().computerMoveAllowed, 1);
}

TEST(Settings, CancelKeepsTheGameGoing) {
    Game game;
    game.Turn(*game.AnyPair());
    const auto cells = game.board().cells;
    bool opened = false;
    game.desktop.SetResponder([&](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog) {
            opened = true;
            // The dialog opens with the current settings.
            EXPECT_EQ(modal.ButtonState(IDC_HUMANS_1), BST_CHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_HUMANS_NONE), BST_UNCHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_COMPUTER_01), BST_UNCHECKED);
            EXPECT_FALSE(modal.ControlEnabled(IDC_BATTLE_MODE));
            modal.ClickRadioButton(IDC_HUMANS_3);
            modal.ClickCheckBox(IDC_COMPUTER_04);
            return IDCANCEL;
        }
        return IDYES;
    });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
    EXPECT_TRUE(opened);
    EXPECT_EQ(game.board().cells, cells);
    EXPECT_EQ(game.score().humanCards[0], 2);
    EXPECT_EQ(game.frame().humanCount, 1);
    EXPECT_EQ(game.frame().computerCount, 0);
    EXPECT_EQ(game.frame().computerMoveAllowed, 1);
    EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());
}

TEST(Settings, ConfirmingUnchangedSettingsStartsANewGameWithAFreshOrder) {
    Game game;
    game.ChangeSettings(3, 0x05);
    game.Turn(*game.AnyMiss());
    std::set<std::array<int, 8>> orders;
    for (int i = 0; i < 12; ++i) {
        const auto before = game.board().cells;
        game.ChangeSettings(3, 0x05);
        EXPECT_NE(game.board().cells, before);
        EXPECT_EQ(game.score().humanCards, (std::array<int, 4>{0, 0, 0, 0}));
        EXPECT_EQ(game.score().turn, 0);
        orders.insert(game.score().order);
    }
    EXPECT_GT(orders.size(), 1u) << "the order is shuffled again each time";
}

TEST(Settings, DialogReopensWithTheLastChoice) {
    Game game;
    game.ChangeSettings(0, 0x09);
    bool checked = false;
    game.desktop.SetResponder([&](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog) {
            EXPECT_EQ(modal.ButtonState(IDC_HUMANS_NONE), BST_CHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_HUMANS_1), BST_UNCHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_COMPUTER_01), BST_CHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_COMPUTER_02), BST_UNCHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_COMPUTER_04), BST_UNCHECKED);
            EXPECT_EQ(modal.ButtonState(IDC_COMPUTER_08), BST_CHECKED);
            checked = true;
            return IDCANCEL;
        }
        return (modal.type & 0x0F) == MB_YESNO ? IDYES : IDOK;
    });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
    EXPECT_TRUE(checked);
}

TEST(Settings, NobodyAtAllSaysGoodbyeAndQuits) {
    Game game;
    game.desktop.ClearRecords();
    game.ChangeSettings(0, 0);
    const auto& boxes = game.desktop.Boxes();
    ASSERT_EQ(boxes.size(), 3u) << "question, then the two goodbyes, and no start box";
    EXPECT_EQ(boxes[1].text, "ポロネコよプレイしないなら...");
    EXPECT_EQ(boxes[1].caption, "!?");
    EXPECT_EQ(boxes[1].type, 0x30u);
    EXPECT_EQ(boxes[2].text, "終了するもん！Ｂｙ 作者");
    EXPECT_EQ(boxes[2].caption, "終了");
    EXPECT_EQ(boxes[2].type, 0x40u);
    EXPECT_TRUE(game.desktop.Quit());
    EXPECT_EQ(game.desktop.QuitCode(), 0);
}

// A confirmed dialog abandons the turn in progress with its game. Its resolve must not fall into
// the start box of the new order, however long the player takes to read it.
TEST(Settings, ConfirmingAbandonsTheTurnInProgressEvenBehindASlowStartBox) {
    for (const bool pair : {true, false}) {
        SCOPED_TRACE(pair ? "pair up" : "miss up");
        Game game;
        game.ChangeSettings(2, 0);
        const auto cards = pair ? *game.AnyPair() : *game.AnyMiss();
        game.Click(cards.first);
        game.Click(cards.second);
        game.desktop.ClearRecords();
        game.desktop.SetResponder([&](const sim::Modal& modal) {
            if (modal.kind == sim::Modal::Kind::Dialog) {
                Game::FillSettings(modal, 2, 0x01);
                return IDOK;
            }
            if ((modal.type & 0x0F) == MB_YESNO) {
                return IDYES;
            }
            game.desktop.Advance(3000);  // the start box stays open past the resolve
            return IDOK;
        });
        game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
        const auto& boxes = game.desktop.Boxes();
        ASSERT_EQ(boxes.size(), 2u) << "the question and the start box, no turn change";
        EXPECT_EQ(boxes[1].caption, "開始");
        EXPECT_EQ(game.score().humanCards, (std::array<int, 4>{}));
        EXPECT_EQ(game.score().computerCards, (std::array<int, 4>{}));
        EXPECT_EQ(game.score().turn, 0);
        EXPECT_EQ(game.frame().currentPlayer, game.score().order[0]);
        EXPECT_EQ(game.board().remaining, 54);
        EXPECT_EQ(PicksUp(game), 0);
        EXPECT_EQ(game.desktop.RunningTimers(game.boardWindow()),
                  std::vector<UINT_PTR>{kComputerTimer});
    }
}

TEST(Settings, GoodbyeAbandonsTheTurnInProgressToo) {
    Game game;
    game.Click(game.AnyMiss()->first);
    game.Click(game.AnyMiss()->second);
    game.ChangeSettings(0, 0);
    EXPECT_TRUE(game.desktop.Quit());
    EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());
    EXPECT_EQ(PicksUp(game), 0);
}

TEST(Settings, NoHumansButtonCheckedKeepsTheNumberOfHumans) {
    Game game;
    game.ChangeSettings(3, 0);
    game.desktop.SetResponder([](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog) {
            modal.dialog->CheckRadioButton(IDC_HUMANS_1, IDC_HUMANS_NONE, 0);
            return IDOK;
        }
        return (modal.type & 0x0F) == MB_YESNO ? IDYES : IDOK;
    });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
    EXPECT_EQ(game.frame().humanCount, 3);
    EXPECT_EQ(game.score().humans, 3);
}

TEST(Settings, ComputersAloneAreAnnouncedAndClicksAreIgnored) {
    Game game;
    game.desktop.ClearRecords();
    game.ChangeSettings(0, 0x0F);
    ASSERT_EQ(game.desktop.Boxes().size(), 2u);
    EXPECT_EQ(game.desktop.Boxes()[1].caption, "開始");
    EXPECT_EQ(game.desktop.Boxes()[1].text,
              std::string(ComputerName(game.frame().currentPlayer)) + "からです。");
    EXPECT_EQ(game.frame().inputEnabled, 0);
    for (int i = 0; i < 40; ++i) {
        const int up = PicksUp(game);
        game.Click(game.Occupied().front());
        EXPECT_EQ(PicksUp(game), up);
        game.desktop.Advance(700);
    }
    EXPECT_EQ(game.desktop.Boxes().size(), 2u) << "turn changes between computers are silent";
    int taken = 0;
    for (int cards : game.score().computerCards) {
        taken += cards;
    }
    EXPECT_EQ(taken, 54 - game.board().remaining);
}

TEST(Settings, ComputerTimerKeepsItsRhythmAndStopsOnNone) {
    Game game;
    game.desktop.Advance(123);
    const auto started = game.desktop.Now();
    game.ChangeSettings(1, 0x01);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kComputerTimer),
              started + kComputerPeriodMs);
    game.desktop.Advance(2000);
    game.ChangeSettings(2, 0x06);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kComputerTimer),
              started + 2 * kComputerPeriodMs)
        << "a change between two sets of computers does not restart the timer";
    game.ChangeSettings(1, 0);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kComputerTimer), 0u);
    game.desktop.Advance(5000);
    const auto restarted = game.desktop.Now();
    game.ChangeSettings(0, 0x08);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kComputerTimer),
              restarted + kComputerPeriodMs);
    // The first computer move comes with that first tick, not before.
    game.desktop.Advance(kComputerPeriodMs - 1);
    EXPECT_EQ(PicksUp(game), 0);
    game.desktop.Advance(1);
    EXPECT_EQ(PicksUp(game), 1);
}

TEST(Settings, ComputerTicksAreDroppedWhileTheDialogIsOpen) {
    Game game;
    game.ChangeSettings(0, 0x02);
    game.desktop.Advance(kComputerPeriodMs);
    ASSERT_EQ(PicksUp(game), 1);
    const auto tickBefore = game.desktop.TimerDue(game.boardWindow(), kComputerTimer);
    game.desktop.SetResponder([&](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog) {
            EXPECT_EQ(game.frame().computerMoveAllowed, 0);
            game.desktop.Advance(3 * kComputerPeriodMs);
            EXPECT_EQ(PicksUp(game), 1) << "no computer move while the dialog is open";
            return IDCANCEL;
        }
        return IDYES;
    });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
    game.desktop.SetResponder(nullptr);
    EXPECT_EQ(game.frame().computerMoveAllowed, 1);
    // Dropped, not deferred: nothing moves until the next regular tick.
    const auto next = game.desktop.TimerDue(game.boardWindow(), kComputerTimer);
    EXPECT_EQ((next - tickBefore) % kComputerPeriodMs, 0u);
    game.desktop.Advance(next - game.desktop.Now() - 1);
    EXPECT_EQ(PicksUp(game), 1);
    game.desktop.Advance(1);
    EXPECT_NE(PicksUp(game), 1);
}

TEST(Settings, GameGoesOnBehindTheQuestionBox) {
    Game game;
    game.ChangeSettings(0, 0x01);
    game.desktop.SetResponder([&](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::MessageBox && (modal.type & 0x0F) == MB_YESNO) {
            const int up = PicksUp(game);
            game.desktop.Advance(kComputerPeriodMs);
            EXPECT_NE(PicksUp(game), up) << "computers keep moving behind the question";
            return IDNO;
        }
        return IDOK;
    });
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SETTINGS);
}

TEST(Reentry, ClicksCountOnlyWhileAHumanHasTheTurn) {
    Game game;
    game.ChangeSettings(1, 0x02);
    // Play until the computer has the turn, then click: nothing turns.
    for (int i = 0; i < 200 && game.frame().currentPlayer != 0x02; ++i) {
        if (IsHuman(game.frame().currentPlayer)) {
            game.Turn(*game.AnyMiss());
        } else {
            game.desktop.Advance(100);
        }
    }
    ASSERT_EQ(game.frame().currentPlayer, 0x02);
    EXPECT_EQ(game.frame().inputEnabled, 0);
    const int up = PicksUp(game);
    game.Click(game.Occupied().back());
    EXPECT_EQ(PicksUp(game), up);
}

// However long a run lets time pass, the clock and the timers' due times cannot overflow.
TEST(Settings, ComputersJoiningAtTheEndOfTimeLeaveTheDesktopCalm) {
    Game game;
    constexpr auto kForever = std::numeric_limits<std::uint64_t>::max();
    ASSERT_TRUE(game.desktop.Advance(kForever / 2));
    ASSERT_TRUE(game.desktop.Advance(kForever / 2));
    EXPECT_NO_THROW(game.ChangeSettings(0, 0x0F));
    EXPECT_NO_THROW(game.desktop.Advance(kForever));
    EXPECT_LE(game.desktop.TimerDue(game.boardWindow(), kComputerTimer) - game.desktop.Now(),
              kComputerPeriodMs);
}

}  // namespace
