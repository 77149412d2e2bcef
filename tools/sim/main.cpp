// shinkei-sim: plays the real game headless on a simulated desktop (Usage() below tells how).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "simulator.h"
#include "tournament.h"

namespace {

constexpr const char* kUsage =
    "usage: shinkei-sim play [--seed N] [--computers BITS] [--games K]\n"
    "       shinkei-sim script [--seed N] [--lang ja|en] FILE\n"
    "       shinkei-sim check [--seed N] [--lang ja|en] FILE   (the script as JSON)\n"
    "       shinkei-sim room [--lang ja|en] LOG   (a room's log played again)\n"
    "       shinkei-sim tournament [--seed N] [--computers BITS] [--games K] [--jobs J]\n"
    "                              [--format text|csv|json]\n"
    "       shinkei-sim report [--seed N] [--games K] [--jobs J] [--data FILE]\n"
    "       shinkei-sim --help\n"
    "defaults: --seed 1, --computers 0x0f (all four), --games 1, --jobs one a core,\n"
    "          --format text, --lang ja\n";

// Asked for, the usage is the answer; otherwise it tells what was wrong with the call.
int Usage() {
    std::cerr << kUsage;
    return 2;
}

int Refuse(const std::string& why) {
    std::cerr << "shinkei-sim: " << why << '\n';
    return 2;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
    try {
        std::size_t used = 0;
        value = std::stoll(text, &used, 0);
        return text[used] == '\0' && value >= low && value <= high;
    } catch (const std::exception&) {
        return false;
    }
}

struct Arguments {
    std::string mode;
    long long seed = 1;
    long long computers = 0x0F;
    long long games = 1;
    long long jobs = 0;  // every core this process may use
    shinkei_sim::Format format = shinkei_sim::Format::Text;
    std::string file;
    std::string data;
    std::string lang = "ja";
    std::string commandLine;  // the program's: "/lang:en" for a session in English
};

int Run(const Arguments& args) {
    const auto seed = static_cast<std::uint32_t>(args.seed);
    const int computers = static_cast<int>(args.computers);
    if (args.mode == "play") {
        shinkei_sim::Play(seed, computers, args.games, std::cout);
        return 0;
    }
    shinkei_sim::TournamentOptions options;
    options.jobs = args.jobs > 0 ? static_cast<int>(args.jobs) : shinkei_sim::UsableCores();
    if (args.mode == "tournament") {
        shinkei_sim::TournamentResult result;
        {
            shinkei_sim::ProgressLine progress(args.games);
            options.onProgress = [&](long long done) { progress.Show(done); };
            result = shinkei_sim::Tournament(seed, computers, args.games, options);
        }
        shinkei_sim::PrintTournament(result, args.format, std::cout);
        return 0;
    }
    if (args.mode == "report") {
        std::ostringstream markdown;
        std::ostringstream data;
        {
            shinkei_sim::ProgressLine progress(15 * args.games);
            options.onProgress = [&](long long done) { progress.Show(done); };
            shinkei_sim::WriteReport(seed, args.games, options, markdown, data);
        }
        if (!args.data.empty()) {
            std::ofstream out(args.data);
            out << data.str();
            if (!out) {
                std::cerr << "shinkei-sim: cannot write " << args.data << '\n';
                return 1;
            }
        }
        std::cout << markdown.str();
        return 0;
    }
    if (args.mode == "room" && !args.file.empty()) {
        std::ifstream in(args.file);
        std::string error;
        const auto log = in ? shinkei_sim::ParseRoomLog(in, error) : std::nullopt;
        if (!log) {
            std::cerr << "shinkei-sim: " << args.file << ": " << (in ? error : "cannot read it")
                      << '\n';
            return 2;
        }
        shinkei_sim::ReplayRoom(*log, std::cout, args.commandLine);
        return 0;
    }
    const bool scripted = args.mode == "script" || args.mode == "check";
    if (scripted && !args.file.empty()) {
        std::ifstream in(args.file);
        if (!in) {
            std::cerr << "shinkei-sim: cannot read " << args.file << '\n';
            return 2;
        }
        std::string error;
        const auto script = shinkei_sim::ParseScript(in, error);
        if (!script) {
            std::cerr << "shinkei-sim: " << args.file << ": " << error << '\n';
            return 2;
        }
        if (args.mode == "check") {
            std::cout << shinkei_sim::ScriptJson(seed, args.lang, *script) << '\n';
            return 0;
        }
        shinkei_sim::RunScript(seed, *script, std::cout, args.commandLine);
        return 0;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    // Help asked for anywhere, even after a mode, is an answer rather than an error.
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h" || (i == 1 && word == "help")) {
            std::cout << kUsage;
            return 0;
        }
    }
    Arguments args;
    args.mode = argv[1];
    const bool counts = args.mode == "tournament" || args.mode == "report";
    const bool scripted = args.mode == "script" || args.mode == "check" || args.mode == "room";
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        if (option == "--seed" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 0xFFFFFFFFll, args.seed)) {
                return Refuse("--seed takes 0 to 4294967295, not '" + value + "'");
            }
        } else if (option == "--computers" && hasValue && args.mode != "report") {
            if (!ParseNumber(argv[++i], 1, 0x0F, args.computers)) {
                return Refuse("--computers takes a set of computers, 0x01 to 0x0f, not '" + value +
                              "'");
            }
        } else if (option == "--games" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 1'000'000'000, args.games)) {
                return Refuse("--games takes a count of 1 to 1000000000, not '" + value + "'");
            }
        } else if (option == "--jobs" && hasValue && counts) {
            if (!ParseNumber(argv[++i], 1, 1024, args.jobs)) {
                return Refuse("--jobs takes 1 to 1024 worker processes, not '" + value + "'");
            }
        } else if (option == "--format" && hasValue && args.mode == "tournament") {
            ++i;
            if (value == "text") {
                args.format = shinkei_sim::Format::Text;
            } else if (value == "csv") {
                args.format = shinkei_sim::Format::Csv;
            } else if (value == "json") {
                args.format = shinkei_sim::Format::Json;
            } else {
                return Refuse("--format takes text, csv or json, not '" + value + "'");
            }
        } else if (option == "--lang" && hasValue && scripted) {
            if (value != "en" && value != "ja") {
                return Refuse("--lang takes en or ja, not '" + value + "'");
            }
            args.lang = value;
            args.commandLine = "/lang:" + value;
            ++i;
        } else if (option == "--data" && hasValue && args.mode == "report") {
            args.data = argv[++i];
        } else if (scripted && args.file.empty() && option.rfind("--", 0) != 0) {
            args.file = option;
        } else {
            return Usage();
        }
    }
    // Whatever goes wrong during a run, the transcript printed so far stays, and the error
    // follows it on standard error.
    try {
        return Run(args);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "shinkei-sim: " << error.what() << '\n';
        return 1;
    }
}
