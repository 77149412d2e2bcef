// The headless simulator: runs the real program on the simulated desktop and reports what it
// does. It observes the program; it never plays a rule itself.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "framework/afxwin.h"

namespace shinkei_sim {

struct ScriptLine {
    enum class Kind { Click, Wait, Command, Answer, Dialog, DialogCancel, Key };
    Kind kind = Kind::Wait;
    long long a = 0;      // x, milliseconds, command id, answer, humans, virtual key
    long long b = 0;      // y, computer bits
    long long delay = 0;  // answers: how long the box or dialog stays open first, in ms
    int lineNumber = 0;
};

// The longest a script may let time pass in one step (`wait`, or an answer's `after`): a day.
inline constexpr long long kLongestScriptWaitMs = 86'400'000;

// The keys a script may press (`key NAME`), by name, with their virtual keys.
struct ScriptKey {
    const char* name;
    UINT virtualKey;
};
inline constexpr ScriptKey kScriptKeys[] = {
    {"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Up", VK_UP},
    {"Down", VK_DOWN}, {"Space", VK_SPACE}, {"Enter", VK_RETURN},
};

// Parses a whole script; on a malformed line returns nothing and sets `error` to a message that
// names the line.
std::optional<std::vector<ScriptLine>> ParseScript(std::istream& in, std::string& error);

// A parsed script as one line of JSON, so the browser driver plays exactly what this parser
// read: {"seed":N,"lang":"ja","lines":[{"kind":"click","a":X,"b":Y,"delay":0,"line":N},...]};
// a key's line has its virtual key in "a".
std::string ScriptJson(std::uint32_t seed, const std::string& lang,
                       const std::vector<ScriptLine>& script);

// Runs a scripted session; writes the transcript. Returns the program's quit code, or 0.
// `commandLine` is the program's own ("/lang:en" for English).
int RunScript(std::uint32_t seed, const std::vector<ScriptLine>& script, std::ostream& out,
              const std::string& commandLine = "");

// A room's log: its seed, then each input as the room's host stamped it, with the virtual time
// at which it reaches the program; `mark T` lines (a time the room's clock reached) let time
// pass to T. Clicks and closes are the board's; serial and control numbers are the desktop's.
struct RoomInput {
    enum class Kind { Click, Command, Answer, Control, Close, Music, Key, Mark };
    Kind kind = Kind::Mark;
    long long at = 0;
    long long fields[3] = {};
};
struct RoomLog {
    std::uint32_t seed = 0;
    std::vector<RoomInput> inputs;
};
std::optional<RoomLog> ParseRoomLog(std::istream& in, std::string& error);

// Plays the program through a room's log, as every device in the room did, writing the same
// transcript. Returns the program's quit code, or 0.
int ReplayRoom(const RoomLog& log, std::ostream& out, const std::string& commandLine = "");

// Starts the program, lets the computers of `computerBits` play alone, and writes the
// transcript until the `games`-th game has been won.
void Play(std::uint32_t seed, int computerBits, long long games, std::ostream& out);

struct ComputerResult {
    int code = 0;
    long long wins = 0;
    long long cards = 0;
};

struct TournamentResult {
    long long games = 0;
    long long cardTurns = 0;
    double seconds = 0;
    std::vector<ComputerResult> computers;  // those taking part, in their fixed order
};

// One session, seeded with `seed`, in which the computers of `computerBits` play `games` games:
// a block of a tournament (tournament.h adds the blocks up). `onGame` hears of each game won.
TournamentResult PlayBlock(std::uint32_t seed, int computerBits, long long games,
                           const std::function<void()>& onGame = {});

}  // namespace shinkei_sim
