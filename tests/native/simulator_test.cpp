// The headless simulator as a player runs it: transcripts, scripts, and rejected scripts.
#include "simulator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "tournament.h"

namespace {

struct ShellResult {
    int status = -1;
    std::string out;
};

// Runs the command line, capturing standard output (and standard error when asked).
ShellResult Shell(const std::string& arguments, bool withErrors = false) {
    const std::string command =
        std::string(SHINKEI_SIM_PATH) + " " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null");
    ShellResult run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string WriteScript(const std::string& name, const std::string& text) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

std::string DealOf(std::time_t seed) {
    Game game(seed);
    std::string hex = "deal ";
    char digits[3];
    for (CardCode card : game.board().cells) {
        std::snprintf(digits, sizeof digits, "%02x", card);
        hex += digits;
    }
    return hex;
}

TEST(Simulator, ScriptTranscriptShowsWhatTheProgramDoes) {
    const std::string script = WriteScript("turn.txt",
                                           "# one human turns two cards\n"
                                           "click 30 30\n"
                                           "click 90 30\n"
                                           "wait 1500\n"
                                           "answer 7\n"
                                           "command 40018\n"
                                           "command 40002\n");
    const ShellResult run = Shell("script --seed 42 " + script);
    ASSERT_EQ(run.status, 0);
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "sound open.wav");
    EXPECT_EQ(lines[1], "order 11");
    EXPECT_EQ(lines[2], DealOf(42));
    EXPECT_EQ(lines[3], "sound open.wav");
    Game game(42);
    char flip[64];
    std::snprintf(flip, sizeof flip, "flip 11 0 0 %02x", game.board().At(0, 0));
    EXPECT_EQ(lines[4], flip);
    const bool pair = RankOf(game.board().At(0, 0)) == RankOf(game.board().At(1, 0));
    EXPECT_EQ(lines[5], pair ? "sound OK.wav" : "sound NO.wav");
    std::snprintf(flip, sizeof flip, "flip 11 1 0 %02x", game.board().At(1, 0));
    EXPECT_EQ(lines[6], flip);
    EXPECT_EQ(lines[7], pair ? "pair 11" : "miss 11 11");
    EXPECT_EQ(lines[8],
              "box 0x34 人数・ｺﾝﾋﾟｭｰﾀｰ設定: 現在のゲームを中止して、設定をしますか？ ポロネコ！");
    EXPECT_EQ(lines.back(), "quit 0");
    EXPECT_EQ(lines.size(), 10u);
}

TEST(Simulator, OrderComesBeforeTheStartBoxAndGoodbyesBeforeQuit) {
    const std::string script = WriteScript("settings.txt",
                                           "dialog 2 0x04\n"
                                           "command 40018\n"
                                           "dialog 0 0\n"
                                           "command 40018\n"
                                           "click 30 30\n");
    const ShellResult run = Shell("script --seed 9 " + script);
    ASSERT_EQ(run.status, 0);
    const auto lines = Lines(run.out);
    std::vector<std::string> wanted;
    for (const std::string& line : lines) {
        if (line.rfind("order", 0) == 0 || line.rfind("box", 0) == 0 ||
            line.rfind("quit", 0) == 0) {
            wanted.push_back(line.substr(0, line.find(' ', 9)));
        }
    }
    ASSERT_EQ(wanted.size(), 8u) << run.out;
    EXPECT_EQ(wanted[0], "order 11");
    EXPECT_EQ(wanted[1].substr(0, 8), "box 0x34");
    EXPECT_EQ(wanted[2].substr(0, 5), "order");
    EXPECT_EQ(wanted[3], "box 0x00 開始:");
    EXPECT_EQ(wanted[4].substr(0, 8), "box 0x34");
    EXPECT_EQ(wanted[5], "box 0x30 !?:");
    EXPECT_EQ(wanted[6], "box 0x40 終了:");
    EXPECT_EQ(wanted[7], "quit 0");
    EXPECT_EQ(lines.back(), "quit 0") << "the click after the quit never runs";
}

TEST(Simulator, MalformedScriptsAreRejectedBeforeAnythingRuns) {
    const char* bad[] = {"click 10\n",
                         "wait -5\n",
                         "wait 10 extra\n",
                         "jump 3\n",
                         "answer 3\n",
                         "dialog 5 0\n",
                         "click 1 x\n",
                         "wait 86400001\n",
                         "wait 9223372036854775807\n",
                         "wait 0x10\n",
                         "answer 6 after\n",
                         "answer 6 after 86400001\n",
                         "dialog 0x1 0\n",
                         "dialog cancel after -1\n",
                         "wait 10 after 5\n",
                         "key\n",
                         "key left\n",
                         "key 13\n",
                         "key Space Enter\n",
                         "key Escape\n"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        const std::string script = WriteScript("bad.txt", std::string("wait 10\n") + text);
        const ShellResult run = Shell("script --seed 1 " + script, true);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.out.find("line 2"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("sound"), std::string::npos) << "no transcript";
        // The browser driver's reading refuses it in the same words, and prints no lines.
        const ShellResult check = Shell("check " + script, true);
        EXPECT_EQ(check.status, 2);
        EXPECT_EQ(check.out, run.out);
    }
}

TEST(Simulator, ScriptNumbersAreDecimalAndLinesMayComeFromAnyEditor) {
    const std::string text =
        "\xEF\xBB\xBFwait 010\r\n"
        "dialog 2 0x0A after 86400000\r\n"
        "# a comment, then a blank line\n\n"
        "dialog cancel after 5\n"
        "answer 7 after 0\n"
        "click -3 +4\n"
        "command 40018\n"
        "key Enter\r\n";
    std::istringstream in(text);
    std::string error;
    const auto script = shinkei_sim::ParseScript(in, error);
    ASSERT_TRUE(script) << error;
    using Kind = shinkei_sim::ScriptLine::Kind;
    ASSERT_EQ(script->size(), 7u);
    EXPECT_EQ((*script)[0].kind, Kind::Wait);
    EXPECT_EQ((*script)[0].a, 10);
    EXPECT_EQ((*script)[1].kind, Kind::Dialog);
    EXPECT_EQ((*script)[1].b, 0x0A);
    EXPECT_EQ((*script)[1].delay, 86'400'000);
    EXPECT_EQ((*script)[2].kind, Kind::DialogCancel);
    EXPECT_EQ((*script)[2].delay, 5);
    EXPECT_EQ((*script)[3].a, IDNO);
    EXPECT_EQ((*script)[4].a, -3);
    EXPECT_EQ((*script)[4].b, 4);
    EXPECT_EQ((*script)[6].kind, Kind::Key);
    EXPECT_EQ((*script)[6].a, VK_RETURN);

    // What the browser driver plays: the same lines, in order, with their numbers in the file.
    const ShellResult check =
        Shell("check --seed 0x10 --lang en " + WriteScript("check.txt", text));
    ASSERT_EQ(check.status, 0);
    EXPECT_EQ(check.out, R"({"seed":16,"lang":"en","lines":[)"
                         R"({"kind":"wait","a":10,"b":0,"delay":0,"line":1},)"
                         R"({"kind":"dialog","a":2,"b":10,"delay":86400000,"line":2},)"
                         R"({"kind":"dialog-cancel","a":0,"b":0,"delay":5,"line":5},)"
                         R"({"kind":"answer","a":7,"b":0,"delay":0,"line":6},)"
                         R"({"kind":"click","a":-3,"b":4,"delay":0,"line":7},)"
                         R"({"kind":"command","a":40018,"b":0,"delay":0,"line":8},)"
                         R"({"kind":"key","a":13,"b":0,"delay":0,"line":9}]})"
                         "\n");
}

// A start box left open for three seconds: the turn the settings abandoned is never resolved,
// and a turn change resolved behind a slow question box takes the next answer in the script.
TEST(Simulator, AnswersGivenLateLetTimePassInsideTheirBoxes) {
    Game game(5);
    game.ChangeSettings(2, 0);  // the same draws as the script's first settings
    const auto miss = *game.AnyMiss();
    const auto point = [](Cell cell) {
        const CPoint p = Game::Centre(cell);
        return std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
    };
    std::istringstream in(
        "dialog 2 0\ncommand 40018\n"  // two humans
        "click " +
        point(miss.first) + "click " + point(miss.second) +
        "answer 6 after 2000\n"  // the question, read slowly:
        "answer 1 after 4000\n"  // the turn change falls inside it
        "dialog 2 0 after 1000\n"
        "answer 1 after 3000\n"  // the start box
        "command 40018\nwait 10\n");
    std::string error;
    const auto script = shinkei_sim::ParseScript(in, error);
    ASSERT_TRUE(script) << error;
    std::ostringstream out;
    shinkei_sim::RunScript(5, *script, out);
    std::vector<std::string> events;
    for (const std::string& line : Lines(out.str())) {
        const std::string word = line.substr(0, line.find(' '));
        if (word == "box" || word == "miss" || word == "pair" || word == "order" ||
            word == "deal") {
            events.push_back(word == "box" ? line.substr(0, line.find(':')) : word);
        }
    }
    const std::vector<std::string> expected = {
        "order", "deal", "box 0x34 人数・ｺﾝﾋﾟｭｰﾀｰ設定", "order", "box 0x00 開始", "deal",
        // the second settings: its question, with the miss resolved behind it
        "box 0x34 人数・ｺﾝﾋﾟｭｰﾀｰ設定", "box 0x00 交代", "miss",
        // and no resolve inside the slow start box of the new order
        "order", "box 0x00 開始", "deal"};
    EXPECT_EQ(events, expected) << out.str();
}

// A `dialog` line is for the settings dialog: the version dialog opened between the line and
// the settings it is meant for closes with OK and leaves the line there, so the computers it
// names join (the session all three script players play).
TEST(Simulator, DialogLinesWaitForTheSettingsDialog) {
    std::ifstream in(std::string(SHINKEI_SESSIONS_DIR) + "/settings-change.txt");
    std::string error;
    const auto script = shinkei_sim::ParseScript(in, error);
    ASSERT_TRUE(script) << error;
    std::ostringstream out;
    shinkei_sim::RunScript(11, *script, out);
    std::vector<std::string> orders;
    for (const std::string& line : Lines(out.str())) {
        if (line.starts_with("order ")) {
            orders.push_back(line);
        }
    }
    ASSERT_EQ(orders.size(), 2u) << out.str();
    EXPECT_EQ(orders[1].size(), std::string("order 11 01 04").size()) << orders[1];
    for (const char* player : {"11", "01", "04"}) {
        EXPECT_NE(orders[1].find(player), std::string::npos) << orders[1];
    }
}

// The scripts that seed the fuzzer are read and play the same way every time.
TEST(Simulator, SampleScriptsReadAndReplayAlike) {
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SHINKEI_SCRIPTS_DIR)) {
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path());
        std::string error;
        const auto script = shinkei_sim::ParseScript(in, error);
        ASSERT_TRUE(script) << error;
        std::ostringstream first;
        std::ostringstream second;
        shinkei_sim::RunScript(11, *script, first);
        shinkei_sim::RunScript(11, *script, second);
        EXPECT_EQ(first.str(), second.str());
        EXPECT_NE(first.str().find("\ndeal "), std::string::npos);
        ++scripts;
    }
    EXPECT_GE(scripts, 4);
}

// The session played from the keyboard is the very game played with the mouse: each Space or
// Enter in it pressed as a click at the centre of the card the focus is on.
TEST(Simulator, KeysPlayTheGameClicksPlay) {
    std::ifstream file(std::string(SHINKEI_SESSIONS_DIR) + "/keys.txt");
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    const auto keys = shinkei_sim::ParseScript(text, error);
    ASSERT_TRUE(keys) << error;
    ASSERT_TRUE(text.str().starts_with("# seed "));
    const auto seed = static_cast<std::uint32_t>(std::stoul(text.str().substr(7)));
    std::vector<shinkei_sim::ScriptLine> clicks;
    int column = 0;
    int row = 0;
    for (shinkei_sim::ScriptLine line : *keys) {
        if (line.kind != shinkei_sim::ScriptLine::Kind::Key) {
            clicks.push_back(line);
            continue;
        }
        const auto key = static_cast<UINT>(line.a);
        column = std::clamp(column + (key == VK_RIGHT) - (key == VK_LEFT), 0, kColumns - 1);
        row = std::clamp(row + (key == VK_DOWN) - (key == VK_UP), 0, kRows - 1);
        if (key == VK_SPACE || key == VK_RETURN) {
            const CPoint centre = Game::Centre({column, row});
            line.kind = shinkei_sim::ScriptLine::Kind::Click;
            line.a = centre.x;
            line.b = centre.y;
            clicks.push_back(line);
        }
    }
    std::ostringstream byKeys;
    std::ostringstream byClicks;
    shinkei_sim::RunScript(seed, *keys, byKeys);
    shinkei_sim::RunScript(seed, clicks, byClicks);
    EXPECT_EQ(byKeys.str(), byClicks.str());
    const std::string played = byKeys.str();
    EXPECT_NE(played.find("pair 11"), std::string::npos) << played;
    EXPECT_NE(played.find("miss 11 02"), std::string::npos) << played;
}

// The English session: every box and the winners are in English (plain ASCII), and the game is
// the very game the Japanese program plays; only the words differ.
TEST(Simulator, InEnglishEveryWordChangesAndNoTurnDoes) {
    std::ifstream in(std::string(SHINKEI_SESSIONS_DIR) + "/english.txt");
    std::string error;
    const auto script = shinkei_sim::ParseScript(in, error);
    ASSERT_TRUE(script) << error;
    std::ostringstream english;
    std::ostringstream japanese;
    shinkei_sim::RunScript(5, *script, english, "/lang:en");
    shinkei_sim::RunScript(5, *script, japanese);
    const std::vector<std::string> englishLines = Lines(english.str());
    const std::vector<std::string> japaneseLines = Lines(japanese.str());
    ASSERT_EQ(englishLines.size(), japaneseLines.size());
    int words = 0;
    for (std::size_t i = 0; i < englishLines.size(); ++i) {
        const std::string& line = englishLines[i];
        const std::string word = line.substr(0, line.find(' '));
        if (word == "box" || word == "winners") {
            EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            })) << line;
            EXPECT_NE(line, japaneseLines[i]);
            ++words;
        } else {
            EXPECT_EQ(line, japaneseLines[i]);
        }
    }
    EXPECT_GE(words, 3) << "the question, who begins, and the winners";
}

TEST(Simulator, PlayStopsRightAfterTheLastWinnersAndRepeatsItself) {
    const ShellResult first = Shell("play --seed 7 --computers 0x0f --games 2");
    const ShellResult second = Shell("play --seed 7 --computers 0x0f --games 2");
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    const auto lines = Lines(first.out);
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0], "order 11");
    EXPECT_EQ(lines[1], DealOf(7));
    EXPECT_EQ(lines[2].substr(0, 6), "order ");
    EXPECT_EQ(lines[2].size(), std::string("order 01 02 04 08").size());
    int winners = 0;
    int deals = 0;
    for (const std::string& line : lines) {
        winners += line.rfind("winners ", 0) == 0;
        deals += line.rfind("deal ", 0) == 0;
        EXPECT_EQ(line.find("box"), std::string::npos);
    }
    EXPECT_EQ(winners, 2);
    EXPECT_EQ(deals, 3);
    EXPECT_EQ(lines.back().rfind("winners ", 0), 0u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("pair ", 0), 0u);
}

// The tournament is the sum of its blocks, each a session of its own seed, whoever plays it.
TEST(Simulator, TournamentAddsUpItsBlocks) {
    shinkei_sim::TournamentOptions options;
    options.jobs = 2;
    options.blockGames = 7;
    const auto result = shinkei_sim::Tournament(3, 0x0A, 20, options);
    EXPECT_EQ(result.games, 20);
    ASSERT_EQ(result.computers.size(), 2u);
    EXPECT_EQ(result.computers[0].code, 0x02);
    EXPECT_EQ(result.computers[1].code, 0x08);
    EXPECT_GE(result.computers[0].wins + result.computers[1].wins, 20) << "ties count for each";
    EXPECT_EQ(result.computers[0].cards + result.computers[1].cards, 54 * 20);
    long long wins[2] = {};
    long long turns = 0;
    for (long long block = 0; block < 3; ++block) {
        const auto played =
            shinkei_sim::PlayBlock(shinkei_sim::BlockSeed(3, block), 0x0A, block < 2 ? 7 : 6);
        wins[0] += played.computers[0].wins;
        wins[1] += played.computers[1].wins;
        turns += played.cardTurns;
    }
    EXPECT_EQ(result.computers[0].wins, wins[0]);
    EXPECT_EQ(result.computers[1].wins, wins[1]);
    EXPECT_EQ(result.cardTurns, turns);
    EXPECT_NE(shinkei_sim::BlockSeed(3, 0), shinkei_sim::BlockSeed(3, 1));
    EXPECT_NE(shinkei_sim::BlockSeed(3, 0), shinkei_sim::BlockSeed(4, 0));
}

// Everything but the speed, which is the last figure of the "games" line.
std::string WithoutSpeed(const std::string& text) {
    const std::size_t at = text.find(" games-per-second ");
    return at == std::string::npos ? text : text.substr(0, at) + text.substr(text.find('\n', at));
}

TEST(Simulator, TournamentIsTheSameForEveryNumberOfJobs) {
    const std::string run = "tournament --seed 5 --computers 0x0f --games 45 --jobs ";
    const ShellResult one = Shell(run + "1");
    ASSERT_EQ(one.status, 0);
    const auto lines = Lines(one.out);
    ASSERT_EQ(lines.size(), 6u) << one.out;
    EXPECT_EQ(lines[0].rfind("01 ﾎﾟﾛﾈｺ wins ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[4].rfind("games 45 card-turns-per-game ", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5].rfind("# ", 0), 0u) << "the legend says how ties count";
    for (const char* jobs : {"2", "7"}) {
        SCOPED_TRACE(jobs);
        const ShellResult many = Shell(run + jobs);
        ASSERT_EQ(many.status, 0);
        EXPECT_EQ(WithoutSpeed(many.out), WithoutSpeed(one.out));
    }
    EXPECT_NE(WithoutSpeed(Shell(run + "2 --seed 6").out), WithoutSpeed(one.out));
}

// The three formats give the same figures; JSON is read by a real parser.
TEST(Simulator, TournamentFormatsAgree) {
    const std::string run = "tournament --seed 2 --computers 0x0d --games 12";
    const auto text = Lines(Shell(run).out);
    const auto csv = Lines(Shell(run + " --format csv").out);
    const std::string json = ::testing::TempDir() + "tournament.json";
    ASSERT_EQ(Shell(run + " --format json --jobs 2 >" + json).status, 0);
    FILE* pipe = popen(("python3 -c 'import json,sys\n"
                        "d = json.load(open(sys.argv[1]))\n"
                        "for c in d[\"computers\"]:\n"
                        "    print(c[\"code\"], c[\"name\"], \"wins\", c[\"wins\"], \"share\", "
                        "\"%.4f\" % c[\"share\"], \"ci95\", \"%.4f %.4f\" % tuple(c[\"ci95\"]), "
                        "\"cards\", \"%.2f\" % c[\"cards_per_game\"])\n"
                        "print(\"games\", d[\"games\"], \"card-turns-per-game\", "
                        "\"%.2f\" % d[\"card_turns_per_game\"])' " +
                        json)
                           .c_str(),
                       "r");
    ASSERT_NE(pipe, nullptr);
    std::string parsed;
    char buffer[1024];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        parsed.append(buffer, n);
    }
    ASSERT_EQ(pclose(pipe), 0) << "not JSON";
    const auto fromJson = Lines(parsed);
    ASSERT_EQ(text.size(), 5u);
    ASSERT_EQ(csv.size(), 4u);
    ASSERT_EQ(fromJson.size(), 4u);
    EXPECT_EQ(csv[0],
              "code,name,games,wins,share,ci95_low,ci95_high,cards_per_game,card_turns_per_game");
    const std::string turns = text[3].substr(0, text[3].find(" games-per-second"));
    EXPECT_EQ(fromJson[3], turns);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(fromJson[i], text[i]);
        // 04,超能力者,12,7,0.5833,... as "04 超能力者 wins 7 share 0.5833 ci95 ... cards ..."
        std::vector<std::string> f;
        std::istringstream fields(csv[i + 1]);
        for (std::string field; std::getline(fields, field, ',');) {
            f.push_back(field);
        }
        ASSERT_EQ(f.size(), 9u) << csv[i + 1];
        EXPECT_EQ(f[2], "12");
        EXPECT_EQ(f[0] + " " + f[1] + " wins " + f[3] + " share " + f[4] + " ci95 " + f[5] + " " +
                      f[6] + " cards " + f[7],
                  text[i]);
        EXPECT_EQ("games 12 card-turns-per-game " + f[8], turns);
    }
}

TEST(Simulator, WilsonIntervalsOfKnownShares) {
    struct Case {
        long long wins, games;
        double low, high;
    };
    const Case cases[] = {{0, 10, 0.0, 0.27754},
                          {5, 10, 0.23659, 0.76341},
                          {10, 10, 0.72246, 1.0},
                          {1, 1, 0.20654, 1.0},
                          {575, 1000, 0.54413, 0.60530}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.wins) + "/" + std::to_string(c.games));
        const auto interval = shinkei_sim::WilsonInterval(c.wins, c.games);
        EXPECT_NEAR(interval.low, c.low, 1e-5);
        EXPECT_NEAR(interval.high, c.high, 1e-5);
        EXPECT_GE(interval.low, 0.0);
        EXPECT_LE(interval.high, 1.0);
    }
}

TEST(Simulator, BadCountsAndSetsExitTwoNamingTheProblemAndHelpExitsZero) {
    const std::pair<const char*, const char*> bad[] = {
        {"tournament --games 0", "--games"},
        {"tournament --games -5", "--games"},
        {"tournament --computers 0x10", "--computers"},
        {"tournament --computers 0", "--computers"},
        {"tournament --jobs 0", "--jobs"},
        {"tournament --format xml", "--format"},
        {"report --games 0", "--games"},
        {"report --jobs -1", "--jobs"},
        {"play --games 0", "--games"}};
    for (const auto& [arguments, named] : bad) {
        SCOPED_TRACE(arguments);
        const ShellResult run = Shell(arguments, true);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out.rfind(std::string("shinkei-sim: ") + named, 0), 0u) << run.out;
        EXPECT_EQ(Lines(run.out).size(), 1u) << "the message alone: " << run.out;
    }
    // The usage goes to standard output when asked for, to standard error after a bad call.
    const ShellResult help = Shell("tournament --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: shinkei-sim play [--seed N]", 0), 0u) << help.out;
    const ShellResult none = Shell("");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
}

}  // namespace
