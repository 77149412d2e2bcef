#include "tournament.h"

#include <poll.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "game/score_frame.h"
#include "json_text.h"
#include "transcript.h"

#ifdef SHINKEI_PROFILE_GENERATE
extern "C" void __gcov_dump();
#endif

namespace shinkei_sim {
namespace {

using transcript::Hex2;

// Shared by the workers: the next block to take, and the games finished, for the progress line.
struct Shared {
    std::atomic<long long> nextBlock{0};
    std::atomic<long long> gamesDone{0};
};
static_assert(std::atomic<long long>::is_always_lock_free, "counters shared between processes");

// What a worker sends back for each block it played.
struct BlockRecord {
    long long block = 0;
    long long games = 0;
    long long cardTurns = 0;
    std::array<long long, 4> wins{};
    std::array<long long, 4> cards{};
};

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// A worker takes blocks until none is left and sends their results, a few dozen at a time so that
// the parent wakes seldom; returns its exit code.
int RunWorker(std::uint32_t seed, int computerBits, long long games, long long blockGames,
              long long blocks, Shared& shared, int fd) {
    std::vector<BlockRecord> batch;
    constexpr std::size_t kBatch = 4096 / sizeof(BlockRecord);
    auto send = [&] {
        const bool sent = WriteAll(fd, batch.data(), batch.size() * sizeof(BlockRecord));
        batch.clear();
        return sent;
    };
    try {
        for (;;) {
            const long long block = shared.nextBlock.fetch_add(1);
            if (block >= blocks) {
                return send() ? 0 : 1;
            }
            const long long count = std::min(blockGames, games - block * blockGames);
            const TournamentResult played =
                PlayBlock(BlockSeed(seed, block), computerBits, count,
                          [&shared] { shared.gamesDone.fetch_add(1, std::memory_order_relaxed); });
            BlockRecord& record = batch.emplace_back();
            record.block = block;
            record.games = played.games;
            record.cardTurns = played.cardTurns;
            for (std::size_t p = 0; p < played.computers.size(); ++p) {
                record.wins[p] = played.computers[p].wins;
                record.cards[p] = played.computers[p].cards;
            }
            if (batch.size() >= kBatch && !send()) {
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "shinkei-sim: " << error.what() << '\n';
        return 1;
    }
}

struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::string received;
};

constexpr const char* kTiesLegend =
    "a game's winners are all who took the most cards, and a tie is a win for each of them, so "
    "shares may add up to more than 1; ci95 is the share's Wilson 95 % confidence interval";

std::string Printf(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Percent(double share) {
    return Printf("%.1f %%", 100 * share);
}

std::string Members(int bits, const char* separator) {
    std::string names;
    for (int bit : ComputerBits) {
        if ((bits & bit) != 0) {
            names += (names.empty() ? "" : separator) + std::string(ComputerName(bit));
        }
    }
    return names;
}

}  // namespace

std::uint32_t BlockSeed(std::uint32_t seed, long long block) {
    // splitmix64's finaliser over both numbers, so that neighbouring blocks share nothing.
    std::uint64_t z = (std::uint64_t{seed} << 32) ^ static_cast<std::uint64_t>(block);
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(z ^ (z >> 31));
}

int UsableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        return std::max(1, CPU_COUNT(&set));
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

TournamentResult Tournament(std::uint32_t seed, int computerBits, long long games,
                            const TournamentOptions& options) {
    const double start = Now();
    const long long blockGames = std::max(1ll, options.blockGames);
    const long long blocks = (games + blockGames - 1) / blockGames;
    const int jobs = static_cast<int>(std::clamp<long long>(options.jobs, 1, blocks));

    void* memory =
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::runtime_error("cannot share memory with the workers");
    }
    Shared* shared = new (memory) Shared;
    // What is buffered would otherwise be written again by every worker.
    std::cout.flush();
    std::fflush(nullptr);

    std::vector<Worker> workers;
    for (int j = 0; j < jobs; ++j) {
        int fds[2];
        if (pipe(fds) != 0) {
            break;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const int code =
                RunWorker(seed, computerBits, games, blockGames, blocks, *shared, fds[1]);
#ifdef SHINKEI_PROFILE_GENERATE
            __gcov_dump();  // _exit would leave the worker's part of the profile unwritten
#endif
            _exit(code);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            break;  // the workers already started take every block between them
        }
        workers.push_back({pid, fds[0], {}});
    }

    std::vector<std::optional<BlockRecord>> records(static_cast<std::size_t>(blocks));
    bool failed = workers.empty();
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<Worker*> owners;
        for (Worker& worker : workers) {
            if (worker.fd >= 0) {
                polled.push_back({worker.fd, POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        if (polled.empty()) {
            break;
        }
        if (poll(polled.data(), polled.size(), 200) < 0 && errno != EINTR) {
            failed = true;
            break;
        }
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].revents == 0) {
                continue;
            }
            Worker& worker = *owners[i];
            char buffer[65536];
            const ssize_t got = read(worker.fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                close(worker.fd);
                worker.fd = -1;
                continue;
            }
            worker.received.append(buffer, static_cast<std::size_t>(got));
            // Whole records are taken; a part of one waits for the rest.
            std::size_t used = 0;
            for (; worker.received.size() - used >= sizeof(BlockRecord);
                 used += sizeof(BlockRecord)) {
                BlockRecord record;
                std::memcpy(&record, worker.received.data() + used, sizeof record);
                if (record.block < 0 || record.block >= blocks ||
                    records[static_cast<std::size_t>(record.block)]) {
                    failed = true;
                    continue;
                }
                records[static_cast<std::size_t>(record.block)] = record;
            }
            worker.received.erase(0, used);
        }
        if (options.onProgress) {
            options.onProgress(shared->gamesDone.load(std::memory_order_relaxed));
        }
    }
    for (Worker& worker : workers) {
        if (worker.fd >= 0) {
            close(worker.fd);
        }
        int status = 0;
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        failed = failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    shared->~Shared();
    munmap(memory, sizeof(Shared));
    if (failed || std::any_of(records.begin(), records.end(), [](const auto& r) { return !r; })) {
        throw std::runtime_error("a tournament worker failed");
    }

    TournamentResult result;
    for (int bit : ComputerBits) {
        if ((computerBits & bit) != 0) {
            result.computers.push_back({bit, 0, 0});
        }
    }
    for (const auto& record : records) {
        result.games += record->games;
        result.cardTurns += record->cardTurns;
        for (std::size_t p = 0; p < result.computers.size(); ++p) {
            result.computers[p].wins += record->wins[p];
            result.computers[p].cards += record->cards[p];
        }
    }
    result.seconds = Now() - start;
    return result;
}

Interval WilsonInterval(long long wins, long long games) {
    if (games <= 0) {
        return {0, 1};
    }
    const double z = 1.96;
    const double n = static_cast<double>(games);
    const double share = static_cast<double>(wins) / n;
    const double scale = 1 + z * z / n;
    const double centre = (share + z * z / (2 * n)) / scale;
    const double half = z * std::sqrt(share * (1 - share) / n + z * z / (4 * n * n)) / scale;
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

void PrintTournament(const TournamentResult& result, Format format, std::ostream& out) {
    const double games = result.games > 0 ? static_cast<double>(result.games) : 1.0;
    const double turns = static_cast<double>(result.cardTurns) / games;
    const double speed =
        result.seconds > 0 ? static_cast<double>(result.games) / result.seconds : 0.0;
    if (format == Format::Csv) {
        out << "code,name,games,wins,share,ci95_low,ci95_high,cards_per_game,"
               "card_turns_per_game\n";
    } else if (format == Format::Json) {
        out << "{\"games\": " << result.games << ", \"computers\": [";
    }
    bool first = true;
    for (const ComputerResult& computer : result.computers) {
        const std::string name(ComputerName(computer.code));
        const double share = static_cast<double>(computer.wins) / games;
        const Interval interval = WilsonInterval(computer.wins, result.games);
        const double cards = static_cast<double>(computer.cards) / games;
        if (format == Format::Text) {
            out << Printf("%s %s wins %lld share %.4f ci95 %.4f %.4f cards %.2f\n",
                          Hex2(computer.code).c_str(), name.c_str(), computer.wins, share,
                          interval.low, interval.high, cards);
        } else if (format == Format::Csv) {
            out << Printf("%s,%s,%lld,%lld,%.4f,%.4f,%.4f,%.2f,%.2f\n", Hex2(computer.code).c_str(),
                          name.c_str(), result.games, computer.wins, share, interval.low,
                          interval.high, cards, turns);
        } else {
            out << (first ? "\n  " : ",\n  ")
                << Printf(
                       "{\"code\": \"%s\", \"name\": %s, \"wins\": %lld, \"share\": %.4f, "
                       "\"ci95\": [%.4f, %.4f], \"cards_per_game\": %.2f}",
                       Hex2(computer.code).c_str(), JsonString(name).c_str(), computer.wins, share,
                       interval.low, interval.high, cards);
        }
        first = false;
    }
    if (format == Format::Text) {
        out << Printf("games %lld card-turns-per-game %.2f games-per-second %.0f\n", result.games,
                      turns, speed)
            << "# " << kTiesLegend << '\n';
    } else if (format == Format::Json) {
        out << Printf("],\n \"card_turns_per_game\": %.2f, \"games_per_second\": %.0f,\n", turns,
                      speed)
            << " \"legend\": " << JsonString(kTiesLegend) << "}\n";
    }
}

ProgressLine::ProgressLine(long long total)
    : total_(total), terminal_(isatty(STDERR_FILENO) == 1), start_(Now()) {}

ProgressLine::~ProgressLine() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void ProgressLine::Show(long long done) {
    const double now = Now();
    if (!terminal_ || now - start_ < 1.0 || now - last_ < 0.25) {
        return;
    }
    last_ = now;
    const double rate = static_cast<double>(done) / (now - start_);
    const long long left = rate > 0 ? std::llround(static_cast<double>(total_ - done) / rate) : 0;
    std::fprintf(stderr, "\rgames %lld/%lld  %.0f games/s  %lld:%02lld left \033[K", done, total_,
                 rate, left / 60, left % 60);
    std::fflush(stderr);
    shown_ = true;
}

void WriteReport(std::uint32_t seed, long long games, const TournamentOptions& options,
                 std::ostream& markdown, std::ostream& data) {
    std::vector<TournamentResult> results;
    long long before = 0;
    for (int bits = 1; bits <= 0x0F; ++bits) {
        TournamentOptions set = options;
        set.onProgress = [&](long long done) {
            if (options.onProgress) {
                options.onProgress(before + done);
            }
        };
        results.push_back(Tournament(seed, bits, games, set));
        before += results.back().games;
    }
    auto shareOf = [](const TournamentResult& result, const ComputerResult& computer) {
        return static_cast<double>(computer.wins) / static_cast<double>(result.games);
    };
    auto turnsOf = [](const TournamentResult& result) {
        return static_cast<double>(result.cardTurns) / static_cast<double>(result.games);
    };

    // The picture's table: a row a set, three columns (share, low, high) a computer, in percent.
    data << "set label";
    for (int bit : ComputerBits) {
        data << ' ' << ComputerName(bit) << " low high";
    }
    data << '\n';
    for (int bits = 1; bits <= 0x0F; ++bits) {
        const TournamentResult& result = results[static_cast<std::size_t>(bits - 1)];
        data << bits << " 0x" << Hex2(bits);
        std::size_t p = 0;
        for (int bit : ComputerBits) {
            if ((bits & bit) == 0) {
                data << " ? ? ?";
                continue;
            }
            const ComputerResult& computer = result.computers[p++];
            const Interval interval = WilsonInterval(computer.wins, result.games);
            data << Printf(" %.3f %.3f %.3f", 100 * shareOf(result, computer), 100 * interval.low,
                           100 * interval.high);
        }
        data << '\n';
    }

    double widest = 0;
    for (const TournamentResult& result : results) {
        for (const ComputerResult& computer : result.computers) {
            const Interval interval = WilsonInterval(computer.wins, result.games);
            widest = std::max(widest, (interval.high - interval.low) / 2);
        }
    }

    markdown << "# Know your opponents\n\n"
             << "How the four computer players fare against each other: each of the 15 sets of "
                "computers played "
             << games << " games (seed " << seed
             << "). `make report` writes this page, running `shinkei-sim report --games " << games
             << " --seed " << seed
             << "`, and draws its picture with gnuplot; the same command gives the same page.\n\n"
                "A game's winners are all who took the most cards, and a tie is a win for each of "
                "them, so a set's win shares may add up to more than 100 %. The interval is the "
                "Wilson 95 % confidence interval: the range in which the computer's true win share "
                "in that set lies, with 95 % confidence. Each game is played from a fresh start of "
                "the program, with a turn order of its own, so the games are independent, as the "
                "interval assumes.\n\n";

    markdown << "## What a player can learn\n\n";
    const TournamentResult& all = results.back();
    std::vector<std::size_t> order(all.computers.size());
    for (std::size_t p = 0; p < order.size(); ++p) {
        order[p] = p;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return all.computers[a].wins > all.computers[b].wins;
    });
    markdown << "With all four at the table, ";
    for (std::size_t i = 0; i < order.size(); ++i) {
        const ComputerResult& computer = all.computers[order[i]];
        markdown << (i == 0                  ? ""
                     : i + 1 == order.size() ? " and "
                                             : ", ")
                 << ComputerName(computer.code) << " wins " << Percent(shareOf(all, computer));
    }
    markdown << " of the games. Head to head:\n\n";
    for (int bits = 1; bits <= 0x0F; ++bits) {
        const TournamentResult& result = results[static_cast<std::size_t>(bits - 1)];
        if (result.computers.size() != 2) {
            continue;
        }
        const ComputerResult& a = result.computers[0];
        const ComputerResult& b = result.computers[1];
        const ComputerResult& stronger = a.wins >= b.wins ? a : b;
        const ComputerResult& weaker = a.wins >= b.wins ? b : a;
        markdown << "- " << ComputerName(stronger.code) << " beats " << ComputerName(weaker.code)
                 << ": " << Percent(shareOf(result, stronger)) << " of the games to "
                 << Percent(shareOf(result, weaker)) << ".\n";
    }
    markdown
        << "\nWhen you choose your opponents in the settings, the set's table tells you whom "
           "to watch: the computer with the highest share is the one that remembers best "
           "against those rivals, and a narrow interval means the figure is sure.\n\n"
        << "![Each computer's win share, with its 95 % interval, in each of the 15 sets]"
           "(opponents.png)\n\n"
        << "The picture: across, the 15 sets by their `--computers` bits (0x01 "
        << ComputerName(0x01) << ", 0x02 " << ComputerName(0x02) << ", 0x04 " << ComputerName(0x04)
        << ", 0x08 " << ComputerName(0x08)
        << "); up, each member's win share, its bar the 95 % interval (at most "
        << Printf("±%.1f", 100 * widest)
        << " points here; a bar shorter than its mark hides behind it). A computer alone always "
           "wins.\n\n";

    // A perfect memory, playing alone and well, needs (3 - 2 ln 2) n + 7/8 - 2 ln 2 moves on
    // average for n pairs.
    const double pairs = 27;
    const double perfect = (3 - 2 * std::log(2.0)) * pairs + 7.0 / 8 - 2 * std::log(2.0);
    markdown << "## Turns per game\n\n"
             << "A move turns two cards. With a perfect memory and the best play, one player "
                "alone clears 27 pairs in "
             << Printf("%.1f", perfect)
             << " moves on average ((3 − 2 ln 2)·n + 7/8 − 2 ln 2 for n pairs; Velleman and "
                "Warrington, 2013), that is "
             << Printf("%.0f", 2 * perfect)
             << " cards turned. Each computer alone takes:\n\n"
                "| Computer alone | Cards turned per game | Moves per game | More than a perfect "
                "memory |\n|---|---:|---:|---:|\n";
    for (int bit : ComputerBits) {
        const TournamentResult& result = results[static_cast<std::size_t>(bit - 1)];
        const double turns = turnsOf(result);
        markdown << "| " << ComputerName(bit) << " | " << Printf("%.1f", turns) << " | "
                 << Printf("%.1f", turns / 2) << " | "
                 << Printf("%+.0f %%", 100 * (turns / 2 / perfect - 1)) << " |\n";
    }
    std::string beyond;
    for (int bit : ComputerBits) {
        if (turnsOf(results[static_cast<std::size_t>(bit - 1)]) / 2 < perfect) {
            beyond += (beyond.empty() ? "" : ", ") + std::string(ComputerName(bit));
        }
    }
    if (!beyond.empty()) {
        markdown << "\nFewer moves than a perfect memory needs (" << beyond
                 << "): on average no memory, however good, does that, only a player who finds "
                    "pairs it has never seen.\n";
    }
    markdown << "\nWhen several computers play, they share what was turned: the table of each set "
                "gives its cards turned per game.\n\n"
             << "## Every set\n\n";
    for (int bits = 1; bits <= 0x0F; ++bits) {
        const TournamentResult& result = results[static_cast<std::size_t>(bits - 1)];
        markdown << "### 0x" << Hex2(bits) << ": " << Members(bits, ", ") << "\n\n"
                 << "| Computer | Wins | Win share | 95 % interval | Cards taken per game |\n"
                    "|---|---:|---:|---:|---:|\n";
        for (const ComputerResult& computer : result.computers) {
            const Interval interval = WilsonInterval(computer.wins, result.games);
            markdown << "| " << ComputerName(computer.code) << " | " << computer.wins << " | "
                     << Percent(shareOf(result, computer)) << " | "
                     << Printf("%.1f–%.1f %%", 100 * interval.low, 100 * interval.high) << " | "
                     << Printf("%.2f", static_cast<double>(computer.cards) /
                                           static_cast<double>(result.games))
                     << " |\n";
        }
        markdown << "\n"
                 << result.games << " games, " << Printf("%.1f", turnsOf(result))
                 << " cards turned per game.\n\n";
    }
}

}  // namespace shinkei_sim
