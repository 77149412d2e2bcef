#include "simulator.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <istream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string_view>

#include "app/board_frame.h"
#include "app/game_app.h"
#include "framework/sim/desktop.h"
#include "game/cards.h"
#include "game/observer.h"
#include "game/score_frame.h"
#include "json_text.h"
#include "resource.h"
#include "session.h"
#include "transcript.h"

namespace shinkei_sim {
namespace {

using detail::ForEachWord;
using detail::ParseNumber;
using detail::Session;
using transcript::Hex2;

// How a user fills in the settings dialog, and how long it stays open first.
struct DialogAnswer {
    bool cancel = true;
    int humans = 0;
    int computerBits = 0;
    long long delay = 0;
};

// The button a user presses in a message box, and how long the box stays open first.
struct BoxAnswer {
    int button = IDOK;
    long long delay = 0;
};

constexpr int kComputerBoxes[4] = {IDC_COMPUTER_01, IDC_COMPUTER_02, IDC_COMPUTER_04,
                                   IDC_COMPUTER_08};

int FillSettings(const sim::Modal& modal, const DialogAnswer& answer) {
    if (answer.cancel) {
        return IDCANCEL;
    }
    modal.ClickRadioButton(answer.humans == 0 ? IDC_HUMANS_NONE : IDC_HUMANS_1 - 1 + answer.humans);
    for (std::size_t i = 0; i < ComputerBits.size(); ++i) {
        const bool wanted = (answer.computerBits & ComputerBits[i]) != 0;
        const bool checked = modal.ButtonState(kComputerBoxes[i]) == BST_CHECKED;
        if (wanted != checked) {
            modal.ClickCheckBox(kComputerBoxes[i]);
        }
    }
    return IDOK;
}

int DefaultBoxAnswer(UINT type) {
    return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
}

// Opens the settings as a user would and leaves the board to the computers of `bits`.
void HandOverToComputers(Session& session, int bits) {
    session.desktop().SetResponder([bits](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog) {
            return FillSettings(modal, DialogAnswer{false, 0, bits, 0});
        }
        return DefaultBoxAnswer(modal.type);
    });
    session.desktop().ChooseMenu(session.board(), ID_GAME_SETTINGS);
}

void RunGames(Session& session, long long games) {
    session.StopAfterGames(games);
    // Virtual time runs until the last game is won; a game lasts a few virtual minutes.
    while (session.gamesWon() < games && !session.desktop().Quit()) {
        if (!session.desktop().Advance(3'600'000)) {
            break;
        }
    }
}

}  // namespace

std::optional<std::vector<ScriptLine>> ParseScript(std::istream& in, std::string& error) {
    std::vector<ScriptLine> script;
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (number == 1 && text.starts_with("\xEF\xBB\xBF")) {
            text.erase(0, 3);  // a byte-order mark some editors write
        }
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        std::istringstream words(text);
        std::vector<std::string> parts;
        for (std::string word; words >> word;) {
            parts.push_back(word);
        }
        if (parts.empty() || parts[0][0] == '#') {
            continue;
        }
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why + ": " + text;
            return std::nullopt;
        };
        auto isWait = [](long long ms) { return ms >= 0 && ms <= kLongestScriptWaitMs; };
        ScriptLine line;
        line.lineNumber = number;
        const std::string verb = parts[0];
        parts.erase(parts.begin());
        // Answers may stay open a while first: "... after MS".
        if ((verb == "answer" || verb == "dialog") && parts.size() >= 2 &&
            parts[parts.size() - 2] == "after") {
            if (!ParseNumber(parts.back(), line.delay) || !isWait(line.delay)) {
                return fail("after takes 0 to " + std::to_string(kLongestScriptWaitMs) +
                            " milliseconds");
            }
            parts.resize(parts.size() - 2);
        }
        const bool cancel = verb == "dialog" && parts.size() == 1 && parts[0] == "cancel";
        if (verb == "key") {
            const ScriptKey* key = nullptr;
            for (const ScriptKey& k : kScriptKeys) {
                if (parts.size() == 1 && parts[0] == k.name) {
                    key = &k;
                }
            }
            if (key == nullptr) {
                return fail("key takes Left, Right, Up, Down, Space or Enter");
            }
            line.kind = ScriptLine::Kind::Key;
            line.a = key->virtualKey;
            script.push_back(line);
            continue;
        }
        std::vector<long long> values;
        if (!cancel) {
            for (std::size_t i = 0; i < parts.size(); ++i) {
                long long value = 0;
                if (!ParseNumber(parts[i], value, verb == "dialog" && i == 1)) {
                    return fail("not a number '" + parts[i] + "'");
                }
                values.push_back(value);
            }
        }
        auto expect = [&](std::size_t count) { return values.size() == count; };
        if (verb == "click") {
            if (!expect(2) || values[0] < -32768 || values[0] > 32767 || values[1] < -32768 ||
                values[1] > 32767) {
                return fail("click takes two coordinates");
            }
            line.kind = ScriptLine::Kind::Click;
        } else if (verb == "wait") {
            if (!expect(1) || !isWait(values[0])) {
                return fail("wait takes 0 to " + std::to_string(kLongestScriptWaitMs) +
                            " milliseconds");
            }
            line.kind = ScriptLine::Kind::Wait;
        } else if (verb == "command") {
            if (!expect(1) || values[0] <= 0 || values[0] > 0xFFFF) {
                return fail("command takes a menu command id");
            }
            line.kind = ScriptLine::Kind::Command;
        } else if (verb == "answer") {
            if (!expect(1) || (values[0] != IDOK && values[0] != IDYES && values[0] != IDNO)) {
                return fail("answer takes 1, 6 or 7");
            }
            line.kind = ScriptLine::Kind::Answer;
        } else if (verb == "dialog") {
            if (cancel) {
                line.kind = ScriptLine::Kind::DialogCancel;
            } else if (!expect(2) || values[0] < 0 || values[0] > 4 || values[1] < 0 ||
                       values[1] > 0x0F) {
                return fail("dialog takes humans (0 to 4) and computer bits (0 to 0x0f)");
            } else {
                line.kind = ScriptLine::Kind::Dialog;
            }
        } else {
            return fail("unknown command '" + verb + "'");
        }
        if (!values.empty()) {
            line.a = values[0];
        }
        if (values.size() > 1) {
            line.b = values[1];
        }
        script.push_back(line);
    }
    return script;
}

std::string ScriptJson(std::uint32_t seed, const std::string& lang,
                       const std::vector<ScriptLine>& script) {
    auto kindName = [](ScriptLine::Kind kind) {
        switch (kind) {
            case ScriptLine::Kind::Click:
                return "click";
            case ScriptLine::Kind::Wait:
                return "wait";
            case ScriptLine::Kind::Command:
                return "command";
            case ScriptLine::Kind::Answer:
                return "answer";
            case ScriptLine::Kind::Dialog:
                return "dialog";
            case ScriptLine::Kind::DialogCancel:
                return "dialog-cancel";
            case ScriptLine::Kind::Key:
                return "key";
        }
        return "";
    };
    std::string json =
        "{\"seed\":" + std::to_string(seed) + ",\"lang\":" + JsonString(lang) + ",\"lines\":[";
    for (std::size_t i = 0; i < script.size(); ++i) {
        const ScriptLine& line = script[i];
        json += i == 0 ? "{\"kind\":" : ",{\"kind\":";
        json += JsonString(kindName(line.kind));
        json += ",\"a\":" + std::to_string(line.a) + ",\"b\":" + std::to_string(line.b) +
                ",\"delay\":" + std::to_string(line.delay) +
                ",\"line\":" + std::to_string(line.lineNumber) + "}";
    }
    return json + "]}";
}

int RunScript(std::uint32_t seed, const std::vector<ScriptLine>& script, std::ostream& out,
              const std::string& commandLine) {
    std::deque<BoxAnswer> answers;
    std::deque<DialogAnswer> dialogs;
    Session session(seed, &out, true, commandLine);
    sim::Desktop& desktop = session.desktop();
    // Each answer is taken off its queue before its box waits, so that a box opened meanwhile
    // (a turn change resolved behind it) takes the next one. `dialog` lines fill the settings
    // dialog; any other dialog (the version) is closed with OK and takes none.
    desktop.SetResponder([&](const sim::Modal& modal) {
        if (modal.kind == sim::Modal::Kind::Dialog && modal.templateId != IDD_SETTINGS) {
            return IDOK;
        }
        if (modal.kind == sim::Modal::Kind::Dialog) {
            if (dialogs.empty()) {
                return IDCANCEL;
            }
            const DialogAnswer answer = dialogs.front();
            dialogs.pop_front();
            desktop.Advance(static_cast<std::uint64_t>(answer.delay));
            return FillSettings(modal, answer);
        }
        if (answers.empty()) {
            return DefaultBoxAnswer(modal.type);
        }
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        desktop.Advance(static_cast<std::uint64_t>(answer.delay));
        return answer.button;
    });
    for (const ScriptLine& line : script) {
        if (!desktop.RunPending()) {
            break;
        }
        switch (line.kind) {
            case ScriptLine::Kind::Click:
                desktop.Click(session.board(), static_cast<int>(line.a), static_cast<int>(line.b));
                break;
            case ScriptLine::Kind::Wait:
                desktop.Advance(static_cast<std::uint64_t>(line.a));
                break;
            case ScriptLine::Kind::Command:
                desktop.ChooseMenu(session.board(), static_cast<UINT>(line.a));
                break;
            case ScriptLine::Kind::Answer:
                answers.push_back({static_cast<int>(line.a), line.delay});
                break;
            case ScriptLine::Kind::Dialog:
                dialogs.push_back(
                    {false, static_cast<int>(line.a), static_cast<int>(line.b), line.delay});
                break;
            case ScriptLine::Kind::DialogCancel:
                dialogs.push_back({true, 0, 0, line.delay});
                break;
            case ScriptLine::Kind::Key:
                desktop.Key(session.board(), static_cast<UINT>(line.a));
                break;
        }
        if (desktop.Quit()) {
            break;
        }
    }
    return desktop.Quit() ? desktop.QuitCode() : 0;
}

void Play(std::uint32_t seed, int computerBits, long long games, std::ostream& out) {
    Session session(seed, &out, false);
    HandOverToComputers(session, computerBits);
    RunGames(session, games);
}

TournamentResult PlayBlock(std::uint32_t seed, int computerBits, long long games,
                           const std::function<void()>& onGame) {
    TournamentResult result;
    for (int bit : ComputerBits) {
        if ((computerBits & bit) != 0) {
            result.computers.push_back({bit, 0, 0});
        }
    }
    const auto start = std::chrono::steady_clock::now();
    Session session(seed, nullptr, false);
    // The names the winners text gives the computers, as the program words them.
    std::vector<std::string> names;
    for (const ComputerResult& computer : result.computers) {
        names.push_back(ComputerName(computer.code));
    }
    session.onWinners = [&](const std::string& text) {
        // The counts still stand when the winners are named; the next game clears them.
        const ScoreFrame& score = *session.boardFrame()->scoreFrame;
        for (std::size_t p = 0; p < result.computers.size(); ++p) {
            ComputerResult& computer = result.computers[p];
            computer.cards += score.computerCards[p];
            ForEachWord(text, [&](std::string_view word) {
                if (word == names[p]) {
                    ++computer.wins;
                }
            });
        }
        if (onGame) {
            onGame();
        }
    };
    HandOverToComputers(session, computerBits);
    RunGames(session, games);
    result.games = session.gamesWon();
    result.cardTurns = session.cardTurns();
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace shinkei_sim
