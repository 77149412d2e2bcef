// A human's turn through clicks and virtual time: the hit test, the cues, the resolve timer.
#include "harness.h"

namespace {

struct HitCase {
    int x;
    int y;
    std::optional<Cell> cell;
};

class HitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(HitTest, PointSelectsOnlyInsideACardRectangle) {
    const HitCase hit = GetParam();
    Game game;
    game.desktop.Click(game.boardWindow(), hit.x, hit.y);
    if (hit.cell) {
        EXPECT_EQ(game.frame().firstPickColumn, hit.cell->column);
        EXPECT_EQ(game.frame().firstPickRow, hit.cell->row);
    } else {
        EXPECT_EQ(game.frame().firstPickColumn, -1);
        EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    EdgePoints, HitTest,
    ::testing::Values(HitCase{11, 10, {}}, HitCase{12, 6, Cell{0, 0}}, HitCase{59, 69, Cell{0, 0}},
                      HitCase{60, 6, {}}, HitCase{72, 76, Cell{1, 1}},
                      HitCase{492, 356, Cell{8, 5}}, HitCase{539, 419, Cell{8, 5}},
                      HitCase{540, 10, {}}, HitCase{552, 10, {}}, HitCase{12, 420, {}},
                      HitCase{12, 425, {}}, HitCase{-5, 10, {}}, HitCase{30, -1, {}}));

// The focus starts on the top-left cell; the arrows move it one cell and stop at the edges, and
// Space or Enter turns the card it is on.
struct KeyCase {
    std::vector<UINT> keys;
    Cell focus;
    bool turned;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    for (UINT key : c.keys) {
        *out << (key == VK_LEFT     ? "Left "
                 : key == VK_RIGHT  ? "Right "
                 : key == VK_UP     ? "Up "
                 : key == VK_DOWN   ? "Down "
                 : key == VK_SPACE  ? "Space "
                 : key == VK_RETURN ? "Enter "
                                    : "other ");
    }
    *out << "to " << c.focus.column << "," << c.focus.row;
}

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, MoveTheFocusWithinTheBoardAndTurnItsCard) {
    const KeyCase& c = GetParam();
    Game game;
    for (UINT key : c.keys) {
        game.Key(key);
    }
    EXPECT_EQ((Cell{game.frame().focusColumn, game.frame().focusRow}), c.focus);
    EXPECT_TRUE(game.frame().focusShown);
    EXPECT_EQ(game.frame().firstPickColumn, c.turned ? c.focus.column : -1);
    EXPECT_EQ(game.frame().firstPickRow, c.turned ? c.focus.row : -1);
}

const std::vector<UINT> kNineRights(9, VK_RIGHT);
const std::vector<UINT> kSixDowns(6, VK_DOWN);

INSTANTIATE_TEST_SUITE_P(
    Sequences, Keys,
    ::testing::Values(KeyCase{{VK_LEFT, VK_UP}, Cell{0, 0}, false},
                      KeyCase{kNineRights, Cell{8, 0}, false},
                      KeyCase{kSixDowns, Cell{0, 5}, false},
                      KeyCase{{VK_DOWN, VK_RIGHT, VK_UP, VK_RIGHT}, Cell{2, 0}, false},
                      KeyCase{{VK_SPACE}, Cell{0, 0}, true},
                      KeyCase{{VK_RIGHT, VK_DOWN, VK_RETURN}, Cell{1, 1}, true},
                      KeyCase{{VK_DOWN, VK_DOWN, 'A', VK_SPACE}, Cell{0, 2}, true}));

// What a screen reader hears, in each language: every cell's card or state and place, the
// focused cell, and each change as it happens, with the words of the string table.
struct ReaderCase {
    const char* commandLine;
    const char* faceDown;
    const char* place;  // column, row
    const char* sevenOfHearts;
    const char* joker;
    const char* taken;
    const char* pair;
    const char* miss;
    const char* winners;
    const char* score;  // the score window's line after the first pair
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
    *out << (*c.commandLine != 0 ? "English" : "Japanese");
}

using Event = std::pair<DWORD, std::string>;
using Events = std::vector<Event>;

class Reader : public ::testing::TestWithParam<ReaderCase> {
  protected:
    std::string Name(const char* state, Cell cell) const {
        std::string place = GetParam().place;
        place.replace(place.find("%c"), 2, std::to_string(cell.column + 1));
        place.replace(place.find("%r"), 2, std::to_string(cell.row + 1));
        return std::string(state) + ", " + place;
    }
    static Events Heard(const Game& game) {
        Events heard;
        for (const sim::AccessRecord& a : game.desktop.Accesses()) {
            if (a.window == game.boardWindow()) {
                heard.emplace_back(a.event, a.name);
            }
        }
        return heard;
    }
};

TEST_P(Reader, HearsEveryCellAndEveryChange) {
    const ReaderCase& c = GetParam();
    Game game(1000, c.commandLine);
    const std::vector<std::string> names = game.desktop.AccessibleNames(game.boardWindow());
    ASSERT_EQ(names.size(), 54U);
    EXPECT_EQ(names[0], Name(c.faceDown, {0, 0}));
    EXPECT_EQ(names[10], Name(c.faceDown, {1, 1}));  // reading order: the second row's second
    EXPECT_EQ(names[53], Name(c.faceDown, {8, 5}));

    game.Key(VK_RIGHT);
    game.Key(VK_DOWN);
    EXPECT_EQ(Heard(game), (Events{{EVENT_OBJECT_FOCUS, Name(c.faceDown, {1, 0})},
                                   {EVENT_OBJECT_FOCUS, Name(c.faceDown, {1, 1})}}));
    EXPECT_EQ(game.frame().GetAccessibleFocus(), 11);

    // A pair: each card as it turns, then both taken and who took it with their count.
    const Cell heart = game.Find(0x27);
    const Cell spade = game.Find(0x17);
    game.desktop.ClearRecords();
    game.Turn({heart, spade});
    const std::string seven = Name(c.sevenOfHearts, heart);
    EXPECT_EQ(Heard(game)[0], (Event{EVENT_OBJECT_NAMECHANGE, seven}));
    EXPECT_EQ(Heard(game)[1], (Event{EVENT_OBJECT_LIVEREGIONCHANGED, seven}));
    EXPECT_EQ(Heard(game).size(), 7U);
    EXPECT_EQ(Heard(game)[4], (Event{EVENT_OBJECT_NAMECHANGE, Name(c.taken, heart)}));
    EXPECT_EQ(Heard(game)[6], (Event{EVENT_OBJECT_LIVEREGIONCHANGED, c.pair}));
    EXPECT_EQ(
        game.desktop.AccessibleNames(
            game.boardWindow())[static_cast<std::size_t>(spade.row * kColumns + spade.column)],
        Name(c.taken, spade));
    EXPECT_EQ(game.desktop.AccessibleNames(game.scoreWindow()), std::vector<std::string>{c.score});

    // A miss: the joker's name while up, face down again after, and whose turn it is.
    const Cell joker = game.Find(kJoker);
    const Cell other = game.Find(0x11);
    game.Click(joker);
    EXPECT_EQ(game.frame().GetAccessibleName(CHILDID_SELF), Name(c.joker, joker));
    game.desktop.Advance(0);
    game.Click(other);
    game.desktop.ClearRecords();
    game.desktop.Advance(kResolveDelayMs);
    EXPECT_EQ(Heard(game), (Events{{EVENT_OBJECT_NAMECHANGE, Name(c.faceDown, joker)},
                                   {EVENT_OBJECT_NAMECHANGE, Name(c.faceDown, other)},
                                   {EVENT_OBJECT_LIVEREGIONCHANGED, c.miss}}));

    // The winners, then the next game's cells all face down again.
    for (int pairsLeft = 26; pairsLeft > 0; --pairsLeft) {
        game.Turn(*game.AnyPair());
    }
    const Events heard = Heard(game);
    const Events last(heard.end() - 2, heard.end());
    EXPECT_EQ(last,
              (Events{{EVENT_OBJECT_LIVEREGIONCHANGED, c.winners}, {EVENT_OBJECT_REORDER, ""}}));
    EXPECT_EQ(game.desktop.AccessibleNames(game.boardWindow())[0], Name(c.faceDown, {0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, Reader,
    ::testing::Values(ReaderCase{"", "裏向き", "%c列 %r行", "ハートの７", "ジョーカー", "取られた",
                                 "Player１がペアを取りました。2枚です。",
                                 "はずれ。Player１の番です。", "プレイヤー1 の勝利でした!!",
                                 "Player１: 2枚"},
                      ReaderCase{"/lang:en", "face down", "column %c, row %r", "7 of hearts",
                                 "joker", "taken", "Player 1 takes the pair: 2 cards.",
                                 "No pair. Player 1's turn.", "Player 1 won!!",
                                 "Player 1: 2 cards"}));

TEST(Turn, KeysTurnNothingAPressWouldNot) {
    Game game;
    game.frame().inputEnabled = 0;  // a computer's turn, or a turn being resolved
    game.Key(VK_SPACE);
    EXPECT_EQ(game.frame().firstPickColumn, -1);
    game.frame().inputEnabled = 1;

    // The partner of the top-left card taken, then the card turned twice.
    const Cell corner{0, 0};
    Cell partner{};
    for (Cell cell : game.Occupied()) {
        if (!(cell == corner) && game.Rank(cell) == game.Rank(corner)) {
            partner = cell;
        }
    }
    game.Turn({corner, partner});
    ASSERT_EQ(game.board().At(0, 0), 0);
    game.desktop.ClearRecords();
    game.Key(VK_RETURN);  // the emptied cell
    EXPECT_EQ(game.frame().firstPickColumn, -1);
    game.Key(VK_DOWN);
    game.Key(VK_SPACE);
    ASSERT_EQ(game.frame().firstPickRow, 1);
    game.Key(VK_RETURN);  // the card already up
    EXPECT_EQ(game.frame().secondPickColumn, -1);
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"open.wav"});
}

TEST(Turn, FirstCardPlaysOpenAndPaintsItsFace) {
    Game game;
    ASSERT_EQ(game.board().remaining, 54);
    game.desktop.ClearRecords();
    const Cell cell{3, 2};
    game.Click(cell);
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"open.wav"});
    EXPECT_EQ(game.frame().firstPickRank, game.Rank(cell));
    const CPoint p = Game::Centre(cell);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), p.x, p.y).kind, sim::Pixel::Kind::Image);
    EXPECT_NE(game.desktop.PixelAt(game.boardWindow(), 13, 7).bitmapId, 0u);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kResolveTimer),
              game.desktop.Now() + kResolveDelayMs);
}

TEST(Turn, PairSoundsAtOnceIsTakenAfter1500msAndKeepsTheTurn) {
    Game game;
    const auto pair = *game.AnyPair();
    game.Click(pair.first);
    game.desktop.ClearRecords();
    const auto turnedAt = game.desktop.Now();
    game.Click(pair.second);
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"OK.wav"});

    game.desktop.Advance(kResolveDelayMs - 1);
    EXPECT_EQ(game.board().remaining, 54) << "not resolved before 1500 ms";
    game.desktop.Advance(1);
    EXPECT_EQ(game.desktop.Now(), turnedAt + kResolveDelayMs);
    EXPECT_EQ(game.board().remaining, 52);
    EXPECT_EQ(game.board().At(pair.first.column, pair.first.row), 0);
    EXPECT_EQ(game.board().At(pair.second.column, pair.second.row), 0);
    EXPECT_EQ(game.score().humanCards[0], 2);
    EXPECT_EQ(game.frame().currentPlayer, 0x11);
    EXPECT_EQ(game.frame().inputEnabled, 1);
    EXPECT_EQ(game.frame().firstPickColumn, -1);
    EXPECT_EQ(game.frame().secondPickColumn, -1);
    EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());
    // The taken cards' rectangles show the white ground.
    const CPoint p = Game::Centre(pair.first);
    EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), p.x, p.y).kind,
              sim::Pixel::Kind::Background);
}

TEST(Turn, MissSoundsNoAndTurnsBothCardsFaceDown) {
    Game game;
    const auto miss = *game.AnyMiss();
    game.Click(miss.first);
    game.desktop.ClearRecords();
    game.Click(miss.second);
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"NO.wav"});
    game.desktop.Advance(kResolveDelayMs);
    EXPECT_EQ(game.board().remaining, 54);
    EXPECT_EQ(game.score().humanCards[0], 0);
    EXPECT_EQ(game.frame().currentPlayer, 0x11) << "one human plays on alone";
    EXPECT_TRUE(game.desktop.Boxes().empty()) << "one human: no turn-change box";
    for (Cell cell : {miss.first, miss.second}) {
        const CPoint p = Game::Centre(cell);
        EXPECT_EQ(game.desktop.PixelAt(game.boardWindow(), p.x, p.y).bitmapId,
                  static_cast<UINT>(IDB_CARD_BACK));
    }
}

TEST(Turn, JokersPairWithEachOtherAndSoundOk) {
    Game game;
    std::vector<Cell> jokers;
    for (Cell cell : game.Occupied()) {
        if (game.board().At(cell.column, cell.row) == kJoker) {
            jokers.push_back(cell);
        }
    }
    ASSERT_EQ(jokers.size(), 2u);
    game.Click(jokers[0]);
    game.desktop.ClearRecords();
    game.Click(jokers[1]);
    EXPECT_EQ(game.SoundNames(), std::vector<std::string>{"OK.wav"});
    game.desktop.Advance(kResolveDelayMs);
    EXPECT_EQ(game.board().remaining, 52);
}

TEST(Turn, RefusedClicksChangeNothing) {
    Game game;
    const auto miss = *game.AnyMiss();
    game.Click(miss.first);
    game.desktop.ClearRecords();
    game.Click(miss.first);  // the first card again
    EXPECT_TRUE(game.desktop.Sounds().empty());
    EXPECT_EQ(game.frame().secondPickColumn, -1);
    EXPECT_EQ(game.frame().TurnCard(miss.first.column, miss.first.row), -1);

    game.Click(miss.second);
    Cell third = game.Occupied().back();
    ASSERT_FALSE(third == miss.first || third == miss.second);
    const auto dueBefore = game.desktop.TimerDue(game.boardWindow(), kResolveTimer);
    game.desktop.ClearRecords();
    game.Click(third);
    EXPECT_TRUE(game.desktop.Sounds().empty());
    EXPECT_EQ(game.frame().TurnCard(third.column, third.row), -1);
    EXPECT_EQ(game.desktop.TimerDue(game.boardWindow(), kResolveTimer), dueBefore);
}

TEST(Turn, EmptiedCellYieldsNothingEvenWithTwoCardsUp) {
    Game game;
    const auto pair = *game.AnyPair();
    game.Turn(pair);
    ASSERT_EQ(game.board().remaining, 52);
    game.desktop.ClearRecords();
    game.Click(pair.first);
    EXPECT_TRUE(game.desktop.Sounds().empty());
    EXPECT_EQ(game.frame().firstPickColumn, -1);

    const auto miss = *game.AnyMiss();
    game.Click(miss.first);
    game.Click(miss.second);
    EXPECT_EQ(game.frame().TurnCard(pair.second.column, pair.second.row), 0);
}

TEST(Turn, LoneFirstCardSurvivesItsTickAndTheSecondIsResolvedLater) {
    Game game;
    const auto pair = *game.AnyPair();
    game.Click(pair.first);
    game.desktop.Advance(kResolveDelayMs);
    EXPECT_EQ(game.frame().firstPickColumn, pair.first.column) << "the card stays up";
    EXPECT_TRUE(game.desktop.RunningTimers(game.boardWindow()).empty());
    game.desktop.Advance(10'000);
    const auto secondAt = game.desktop.Now();
    game.Click(pair.second);
    game.desktop.Advance(kResolveDelayMs - 1);
    EXPECT_EQ(game.board().remaining, 54);
    game.desktop.Advance(1);
    EXPECT_EQ(game.board().remaining, 52);
    EXPECT_EQ(game.desktop.Now(), secondAt + kResolveDelayMs);
}

TEST(Turn, SoundOffSilencesCardsButNotTheMusic) {
    Game game;
    EXPECT_EQ(game.desktop.Sounds().size(), 1u) << "start-up cue";
    const auto menu = game.frame().mainMenu.GetMenuState(ID_GAME_SOUND, MF_BYCOMMAND);
    EXPECT_NE(menu & MF_CHECKED, 0u);
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SOUND);
    EXPECT_EQ(game.frame().mainMenu.GetMenuState(ID_GAME_SOUND, MF_BYCOMMAND) & MF_CHECKED, 0u);
    game.desktop.ClearRecords();
    game.Turn(*game.AnyPair());
    EXPECT_TRUE(game.desktop.Sounds().empty());
    game.desktop.EndMusic();
    ASSERT_GE(game.desktop.Music().size(), 2u);
    EXPECT_EQ(game.desktop.Music().back().command, "play vormidal.mid notify");
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_SOUND);
    game.Click(game.Occupied().front());
    EXPECT_EQ(game.SoundNames().back(), "open.wav");
}

TEST(Turn, MusicStartsAgainAfterEveryEndButAFailure) {
    struct Case {
        WPARAM code;
        bool restarts;
    };
    for (const Case c : {Case{MCI_NOTIFY_SUCCESSFUL, true}, Case{MCI_NOTIFY_SUPERSEDED, true},
                         Case{MCI_NOTIFY_ABORTED, true}, Case{MCI_NOTIFY_FAILURE, false}}) {
        SCOPED_TRACE(testing::Message() << "notification code " << c.code);
        Game game;
        game.desktop.ClearRecords();
        game.desktop.EndMusic(c.code);
        std::vector<std::string> commands;
        for (const auto& record : game.desktop.Music()) {
            commands.push_back(record.command);
        }
        if (!c.restarts) {
            // A device that fails every play at once must not keep the game restarting it.
            EXPECT_TRUE(commands.empty());
            continue;
        }
        EXPECT_EQ(commands, (std::vector<std::string>{"seek vormidal.mid to start",
                                                      "play vormidal.mid notify"}));
        EXPECT_EQ(game.desktop.Music().back().callback, game.boardWindow());
        game.desktop.EndMusic(c.code);  // and again at the end of the new play
        EXPECT_EQ(game.desktop.Music().size(), 4u);
    }
}

TEST(Turn, NewGameWhileACardIsUpLeavesNothingForTheTickToDo) {
    Game game;
    game.desktop.Advance(500);
    const auto pair = *game.AnyPair();
    game.Click(pair.first);
    game.Click(pair.second);
    game.desktop.ChooseMenu(game.boardWindow(), ID_GAME_NEW);
    EXPECT_EQ(game.board().remaining, 54) << "a fresh board was dealt at the paint";
    EXPECT_EQ(game.frame().firstPickColumn, -1);
    game.desktop.Advance(kResolveDelayMs);
    EXPECT_EQ(game.board().remaining, 54);
    EXPECT_EQ(game.score().humanCards[0], 0);
}

TEST(Turn, NothingTouchesAMissingBoard) {
    Game game;
    const auto pair = *game.AnyPair();
    game.Click(pair.first);
    game.Click(pair.second);
    // Between a new game and the paint that deals its board.
    game.frame().NewGame();
    ASSERT_EQ(game.frame().board, nullptr);
    EXPECT_EQ(game.frame().TurnCard(pair.first.column, pair.first.row), 0);
    game.frame().ResolvePicks(1);
    game.frame().currentPlayer = 0x01;
    game.frame().PlayComputerMove();
    game.frame().currentPlayer = 0x11;
    EXPECT_EQ(game.frame().board, nullptr);
    EXPECT_EQ(game.score().humanCards[0], 0);
    game.desktop.RunPending();
    ASSERT_NE(game.frame().board, nullptr);
    EXPECT_EQ(game.board().remaining, 54);
}

}  // namespace
