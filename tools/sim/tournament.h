// Tournaments on every core: the games are cut into fixed blocks, each played by its own session
// with a seed of its own, in worker processes (the simulated desktop and the game are one per
// process), and the blocks' results are added up in block order. The result depends on the seed,
// the computers, the games and the block size, never on the number of workers.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "simulator.h"

namespace shinkei_sim {

// Games a block plays; the last block plays what is left. A session draws its turn order once and
// keeps it for every game it plays, so the games of one session are not independent; with a
// session for each game they are, as the confidence intervals assume.
inline constexpr long long kBlockGames = 1;

struct TournamentOptions {
    int jobs = 1;
    long long blockGames = kBlockGames;
    // Called now and then, in the calling process, with the games finished so far.
    std::function<void(long long)> onProgress;
};

// The seed of a block's session: a mix of the run's seed and the block's number.
std::uint32_t BlockSeed(std::uint32_t seed, long long block);

// The cores this process may run on.
int UsableCores();

// Throws std::runtime_error when a worker fails.
TournamentResult Tournament(std::uint32_t seed, int computerBits, long long games,
                            const TournamentOptions& options);

// The Wilson score interval of a share of `games`, at 95 %.
struct Interval {
    double low = 0;
    double high = 0;
};
Interval WilsonInterval(long long wins, long long games);

enum class Format { Text, Csv, Json };
void PrintTournament(const TournamentResult& result, Format format, std::ostream& out);

// "games done/total, games a second, time left" on standard error, rewritten in place, once a run
// has lasted a second, and only when standard error is a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(long long total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    void Show(long long done);

  private:
    long long total_;
    bool terminal_;
    bool shown_ = false;
    double start_;
    double last_ = 0;
};

// Every set of computers plays `games` games; writes the report as Markdown and, for the picture,
// each set's win shares and intervals as a table gnuplot reads.
void WriteReport(std::uint32_t seed, long long games, const TournamentOptions& options,
                 std::ostream& markdown, std::ostream& data);

}  // namespace shinkei_sim
