// A room's log read back, and the program played through it as every device in the room played
// it.
#include <algorithm>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "session.h"
#include "simulator.h"

namespace shinkei_sim {
namespace {

using detail::ForEachWord;
using detail::ParseNumber;
using detail::Session;

// How an entry of a room's log reaches the program, as the page's host hands each input over.
int ApplyRoomInput(Session& session, const RoomInput& input, const sim::Modal* modal, int serial) {
    sim::Desktop& desktop = session.desktop();
    switch (input.kind) {
        case RoomInput::Kind::Click:
            desktop.Click(session.board(), static_cast<int>(input.fields[0]),
                          static_cast<int>(input.fields[1]));
            break;
        case RoomInput::Kind::Command:
            desktop.ChooseMenu(session.board(), static_cast<UINT>(input.fields[0]));
            break;
        case RoomInput::Kind::Close:
            desktop.Close(session.board());
            break;
        case RoomInput::Kind::Music:
            desktop.EndMusic(static_cast<WPARAM>(input.fields[0]));
            break;
        case RoomInput::Kind::Answer:
            if (modal != nullptr && input.fields[0] == serial) {
                return static_cast<int>(input.fields[1]);
            }
            break;
        case RoomInput::Kind::Control:
            if (modal != nullptr && input.fields[0] == serial) {
                modal->ClickControl(static_cast<int>(input.fields[1]));
            }
            break;
        case RoomInput::Kind::Key:
            desktop.Key(session.board(), static_cast<UINT>(input.fields[0]));
            break;
        case RoomInput::Kind::Mark:
            break;
    }
    return 0;
}

}  // namespace

std::optional<RoomLog> ParseRoomLog(std::istream& in, std::string& error) {
    static const std::pair<const char*, std::pair<RoomInput::Kind, std::size_t>> kVerbs[] = {
        {"click", {RoomInput::Kind::Click, 2}},   {"command", {RoomInput::Kind::Command, 1}},
        {"answer", {RoomInput::Kind::Answer, 2}}, {"control", {RoomInput::Kind::Control, 2}},
        {"close", {RoomInput::Kind::Close, 0}},   {"music", {RoomInput::Kind::Music, 1}},
        {"key", {RoomInput::Kind::Key, 1}},
    };
    RoomLog log;
    bool begun = false;
    long long last = 0;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::vector<std::string> words;
        ForEachWord(text, [&](std::string_view word) { words.emplace_back(word); });
        if (words.empty()) {
            continue;
        }
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why + ": " + text;
            return std::nullopt;
        };
        long long value = 0;
        if (!begun) {
            if (words[0] != "room" || words.size() < 2 || !ParseNumber(words[1], value) ||
                value < 0 || value > 0xFFFFFFFFll) {
                return fail("a room's log begins with: room SEED");
            }
            log.seed = static_cast<std::uint32_t>(value);
            begun = true;
            continue;
        }
        RoomInput input;
        if (words[0] == "mark" && words.size() == 2 && ParseNumber(words[1], value)) {
            input.kind = RoomInput::Kind::Mark;
            input.at = value;
        } else if (words[0] == "at" && words.size() >= 3 && ParseNumber(words[1], value)) {
            input.at = value;
            const auto* verb = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                            [&](const auto& v) { return words[2] == v.first; });
            if (verb == std::end(kVerbs) || words.size() != 3 + verb->second.second) {
                return fail("not an input");
            }
            input.kind = verb->second.first;
            for (std::size_t i = 0; i < verb->second.second; ++i) {
                if (!ParseNumber(words[3 + i], input.fields[i])) {
                    return fail("not a number '" + words[3 + i] + "'");
                }
            }
        } else {
            continue;  // the room's own entries (who joined): nothing the program hears
        }
        if (input.at < last) {
            return fail("a time before the one above");
        }
        last = input.at;
        log.inputs.push_back(input);
    }
    if (!begun) {
        error = "an empty log";
        return std::nullopt;
    }
    return log;
}

int ReplayRoom(const RoomLog& log, std::ostream& out, const std::string& commandLine) {
    Session session(log.seed, &out, true, commandLine);
    sim::Desktop& desktop = session.desktop();
    std::size_t next = 0;
    int serials = 0;
    // As the page lets its desktop's time pass up to each input's stamp, then hands it over.
    auto catchUp = [&](long long at) {
        const auto to = static_cast<std::uint64_t>(at);
        return to > desktop.Now() ? desktop.Advance(to - desktop.Now()) : desktop.RunPending();
    };
    desktop.SetResponder([&](const sim::Modal& modal) {
        const int serial = ++serials;
        while (next < log.inputs.size()) {
            // Time passes up to the input's stamp first; a box opened meanwhile takes it.
            const std::size_t at = next;
            catchUp(log.inputs[at].at);
            if (next != at) {
                continue;
            }
            ++next;
            if (const int button = ApplyRoomInput(session, log.inputs[at], &modal, serial);
                button != 0) {
                return button;
            }
        }
        // The log ends with this box open, as every device shows it: so does the transcript.
        out.flush();
        std::_Exit(0);
        return 0;
    });
    while (next < log.inputs.size() && !desktop.Quit()) {
        const std::size_t at = next;
        if (!catchUp(log.inputs[at].at)) {
            break;
        }
        if (next == at) {
            ++next;
            ApplyRoomInput(session, log.inputs[at], nullptr, 0);
        }
    }
    return desktop.Quit() ? desktop.QuitCode() : 0;
}

}  // namespace shinkei_sim
