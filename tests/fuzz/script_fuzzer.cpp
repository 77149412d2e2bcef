// libFuzzer target for the simulator's script reader. Every input must either be refused with a
// message naming its line, or be read into commands; short scripts that are read are also played,
// so the simulated desktop and the game meet whatever the reader lets through.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "simulator.h"

namespace {
// Playing costs time: only scripts that stay within this much virtual time and these many lines.
constexpr long long kPlayedMs = 10 * 60 * 1000;
constexpr std::size_t kPlayedLines = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string error;
    const auto script = shinkei_sim::ParseScript(in, error);
    if (!script) {
        if (error.rfind("line ", 0) != 0) {
            __builtin_trap();  // a refusal must say which line
        }
        return 0;
    }
    long long virtualMs = 0;
    for (const shinkei_sim::ScriptLine& line : *script) {
        if (line.delay < 0 || line.delay > shinkei_sim::kLongestScriptWaitMs) {
            __builtin_trap();
        }
        virtualMs += line.delay;
        if (line.kind == shinkei_sim::ScriptLine::Kind::Wait) {
            virtualMs += line.a;
        }
    }
    if (virtualMs <= kPlayedMs && script->size() <= kPlayedLines) {
        std::ostringstream transcript;
        shinkei_sim::RunScript(1, *script, transcript);
    }
    return 0;
}
