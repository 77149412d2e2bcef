// shinkei-sim: plays the real game headless on a simulated desktop.
//   shinkei-sim play --seed N --computers BITS --games K
//   shinkei-sim script --seed N FILE
//   shinkei-sim tournament --seed N --computers BITS --games K
#include <fstream>
#include <iostream>
#include <string>

#include "simulator.h"

namespace {

int Usage() {
    std::cerr << "usage: shinkei-sim play --seed N --computers BITS --games K\n"
                 "       shinkei-sim script --seed N FILE\n"
                 "       shinkei-sim tournament --seed N --computers BITS --games K\n";
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

int Run(const std::string& mode, std::uint32_t seed, int computers, long long games,
        const std::string& file) {
    if (mode == "play") {
        shinkei_sim::Play(seed, computers, games, std::cout);
        return 0;
    }
    if (mode == "tournament") {
        const auto result = shinkei_sim::Tournament(seed, computers, games);
        shinkei_sim::PrintTournament(result, std::cout);
        return 0;
    }
    if (mode == "script" && !file.empty()) {
        std::ifstream in(file);
        if (!in) {
            std::cerr << "shinkei-sim: cannot read " << file << '\n';
            return 2;
        }
        std::string error;
        const auto script = shinkei_sim::ParseScript(in, error);
        if (!script) {
            std::cerr << "shinkei-sim: " << file << ": " << error << '\n';
            return 2;
        }
        shinkei_sim::RunScript(seed, *script, std::cout);
        return 0;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string mode = argv[1];
    long long seed = 1;
    long long computers = 0x0F;
    long long games = 1;
    std::string file;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--seed" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 0xFFFFFFFFll, seed)) {
                return Usage();
            }
        } else if (option == "--computers" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 0x0F, computers)) {
                return Usage();
            }
        } else if (option == "--games" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 1'000'000'000, games)) {
                return Usage();
            }
        } else if (mode == "script" && file.empty() && option.rfind("--", 0) != 0) {
            file = option;
        } else {
            return Usage();
        }
    }
    const auto seed32 = static_cast<std::uint32_t>(seed);
    // Whatever goes wrong during a run, the transcript printed so far stays, and the error
    // follows it on standard error.
    try {
        return Run(mode, seed32, static_cast<int>(computers), games, file);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "shinkei-sim: " << error.what() << '\n';
        return 1;
    }
}
