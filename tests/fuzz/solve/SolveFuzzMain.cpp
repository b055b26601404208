// brix_solve_fuzz: solves random well-formed problems through brix::Solve and
// checks every claim exactly (see FuzzGenerator.h, FuzzEvaluator.h,
// FuzzChecker.h). Problem i of a run is made from seed S+i, so any problem
// can be made again. Each problem is solved in a child process, so that a
// hang or a crash is a finding like a wrong claim. Findings are written as
// replay files; the run stops at the first one unless -keep-going is given.
// With -tolerate-decimals, wrong claims that reading the constraint's
// decimals as nearest doubles would make right are counted apart instead
// (for runs while that reading is a known fault).
#include "fuzz/solve/FuzzChecker.h"
#include "fuzz/solve/FuzzGenerator.h"
#include "fuzz/solve/FuzzIsolation.h"
#include "fuzz/solve/FuzzReplay.h"
#include "fuzz/solve/FuzzTuning.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using namespace solvefuzz;

struct Settings {
    double seconds = 60;
    long runs = -1;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    double timeout = 0.3;
    std::string findings = "solve-findings";
    bool keepGoing = false;
    bool tolerateDecimals = false;
    bool verbose = false;
    long decimalFiles = 20;
    CheckLimits limits;
    std::vector<std::string> replays;
};

const char* const kUsage =
    "usage: brix_solve_fuzz [-seconds N] [-runs N] [-seed S] [-timeout SECS] [-findings DIR]\n"
    "                       [-budget N] [-keep-going] [-tolerate-decimals [-decimal-files N]]\n"
    "                       [-verbose] [-replay FILE...]\n"
    "  -seconds N        stop starting problems after N seconds (default 60)\n"
    "  -runs N           stop after N problems\n"
    "  -seed S           problem i is made from seed S+i (default: from the clock)\n"
    "  -timeout SECS     processor time-out of each call (default 0.3)\n"
    "  -findings DIR     where replay files go (default solve-findings)\n"
    "  -budget N         relations the checker evaluates per problem (default 200000)\n"
    "  -keep-going       go on after a finding\n"
    "  -tolerate-decimals  count wrong claims that reading decimals as nearest\n"
    "                    doubles explains apart: they do not stop the run or fail it\n"
    "  -decimal-files N  replay files written for those (default 20)\n"
    "  -verbose          one line per problem\n"
    "  -replay FILE...   solve and check the given replay files instead\n";

bool ReadSettings(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "-keep-going") {
            s.keepGoing = true;
        } else if (a == "-tolerate-decimals") {
            s.tolerateDecimals = true;
        } else if (a == "-verbose") {
            s.verbose = true;
        } else if (a == "-replay") {
            for (++i; i < argc; ++i) {
                s.replays.push_back(argv[i]);
            }
            return !s.replays.empty();
        } else if (hasValue && a == "-seconds") {
            s.seconds = std::atof(argv[++i]);
        } else if (hasValue && a == "-runs") {
            s.runs = std::atol(argv[++i]);
        } else if (hasValue && a == "-seed") {
            s.seed = std::strtoull(argv[++i], nullptr, 10);
            s.seedGiven = true;
        } else if (hasValue && a == "-timeout") {
            s.timeout = std::atof(argv[++i]);
        } else if (hasValue && a == "-findings") {
            s.findings = argv[++i];
        } else if (hasValue && a == "-budget") {
            s.limits.budget = std::atol(argv[++i]);
        } else if (hasValue && a == "-decimal-files") {
            s.decimalFiles = std::atol(argv[++i]);
        } else {
            return false;
        }
    }
    return s.timeout > 0;
}

// Wall-clock time a call may take before it counts as a hang: a multiple of
// its processor time-out, as the clock can run far ahead of processor time
// on a busy machine.
double WallLimit(double timeoutSeconds) {
    return 20 * timeoutSeconds + 5;
}

struct Tally {
    long problems = 0, solved = 0, complete = 0, timedOut = 0, outOfPrecision = 0, refused = 0;
    long claims = 0, findings = 0, decimalFindings = 0, decimalFiles = 0;
};

void WriteReplay(const Settings& s, const Problem& p, const Outcome& o, const Finding& first) {
    const std::string path = s.findings + "/" + ReplayName(p, first);
    std::ofstream(path) << ReplayText(p, o.findings);
    std::printf("brix_solve_fuzz: %s%s on seed %llu: %s\n  replay: %s\n", first.kind.c_str(),
                first.inexactDecimal ? " (decimals read as nearest doubles)" : "",
                static_cast<unsigned long long>(p.seed), first.detail.c_str(), path.c_str());
}

// Counts the problem's outcome; true when it holds a finding that stops the run.
bool Record(const Settings& s, const Problem& p, const Outcome& o, Tally& t) {
    ++t.problems;
    t.solved += o.result.solved ? 1 : 0;
    t.complete += o.result.solved && o.result.complete ? 1 : 0;
    t.timedOut += o.result.solved && o.result.timedOut ? 1 : 0;
    t.outOfPrecision += OutOfPrecision(o.result) ? 1 : 0;
    t.refused += !o.result.solved ? 1 : 0;
    t.claims += o.claims;
    const Finding* genuine = nullptr;
    const Finding* decimal = nullptr;
    for (const Finding& f : o.findings) {
        (f.inexactDecimal && s.tolerateDecimals ? decimal : genuine) = &f;
    }
    if (s.verbose) {
        std::printf(
            "seed %llu: %s; V = %s; B = %s; e %g; tuning %s: %s, %zu true, %zu false, %zu open, "
            "%.3f s, %ld claims, %zu findings\n",
            static_cast<unsigned long long>(p.seed), p.text.c_str(), NamesText(p.variables).c_str(),
            BoxText(p.box).c_str(), p.options.errorBound, TuningText(p.tuning).c_str(),
            o.result.solved ? "solved" : o.result.error.c_str(), o.boxCounts[0], o.boxCounts[1],
            o.boxCounts[2], o.cpuSeconds, o.claims, o.findings.size());
    }
    if (genuine != nullptr) {
        ++t.findings;
        WriteReplay(s, p, o, *genuine);
    } else if (decimal != nullptr) {
        ++t.decimalFindings;
        if (t.decimalFiles < s.decimalFiles) {
            ++t.decimalFiles;
            WriteReplay(s, p, o, *decimal);
        }
    }
    return genuine != nullptr && !s.keepGoing;
}

int Replay(const Settings& s) {
    Tally t;
    for (const std::string& path : s.replays) {
        Problem p;
        std::string error;
        if (!ReadReplayFile(path, p, error)) {
            std::fprintf(stderr, "brix_solve_fuzz: %s: %s\n", path.c_str(), error.c_str());
            return 2;
        }
        const Outcome o = SolveAndCheckApart(
            p, s.limits, WallLimit(std::max(p.options.timeoutSeconds, s.timeout)));
        std::printf("%s: %s, %ld claims\n", path.c_str(),
                    o.result.solved ? "solved" : o.result.error.c_str(), o.claims);
        for (const Finding& f : o.findings) {
            std::printf("  %s%s: %s\n", f.kind.c_str(),
                        f.inexactDecimal ? " (decimals read as nearest doubles)" : "",
                        f.detail.c_str());
        }
        t.findings += o.findings.empty() ? 0 : 1;
        std::fflush(stdout);
    }
    std::printf("brix_solve_fuzz: %zu replays, %ld with findings\n", s.replays.size(), t.findings);
    return t.findings == 0 ? 0 : 1;
}

// The fuzzing loop: problem after problem until the time or count is up or
// a finding stops it; prints the summary line.
int Fuzz(Settings& s) {
    if (!s.seedGiven) {
        s.seed = static_cast<std::uint64_t>(
            std::chrono::system_clock::now().time_since_epoch().count() / 1000 % 1000000000);
    }
    std::printf("brix_solve_fuzz: seed %llu, time-out %g s, findings in %s\n",
                static_cast<unsigned long long>(s.seed), s.timeout, s.findings.c_str());
    std::fflush(stdout);
    Tally t;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (std::uint64_t i = 0; elapsed() < s.seconds && (s.runs < 0 || t.problems < s.runs); ++i) {
        const Problem p = Generate(s.seed + i, s.timeout);
        const Outcome o = SolveAndCheckApart(p, s.limits, WallLimit(s.timeout));
        const bool stop = Record(s, p, o, t);
        std::fflush(stdout);
        if (stop) {
            break;
        }
    }
    // A solved result is complete, stopped by the time-out, or partial for
    // another reason (precision running out).
    std::printf(
        "brix_solve_fuzz: %ld problems (%ld solved: %ld complete, %ld timed out, %ld otherwise "
        "partial; %ld out of precision, %ld refused), %ld claims checked, %ld findings (and %ld "
        "tolerated: decimals read as nearest doubles); seeds %llu..%llu, %.0f s\n",
        t.problems, t.solved, t.complete, t.timedOut, t.solved - t.complete - t.timedOut,
        t.outOfPrecision, t.refused, t.claims, t.findings, t.decimalFindings,
        static_cast<unsigned long long>(s.seed),
        static_cast<unsigned long long>(s.seed + static_cast<std::uint64_t>(t.problems)) -
            (t.problems > 0 ? 1 : 0),
        elapsed());
    return t.findings == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!ReadSettings(argc, argv, s)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    mkdir(s.findings.c_str(), 0755);
    return s.replays.empty() ? Fuzz(s) : Replay(s);
}
