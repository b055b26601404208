#include "fuzz/solve/FuzzIsolation.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace solvefuzz {
namespace {

// The outcome as lines of text: the numbers, the error, one line per finding
// (kind, decimal class and detail separated by tabs).
std::string Encode(const Outcome& o) {
    std::ostringstream out;
    out << o.result.solved << ' ' << o.result.complete << ' ' << o.result.timedOut << ' '
        << static_cast<int>(o.result.truth) << ' ' << o.claims << ' ' << o.cpuSeconds << ' '
        << o.result.trueBoxes.size() << ' ' << o.result.falseBoxes.size() << ' '
        << o.result.openBoxes.size() << '\n';
    auto line = [](std::string text) {
        for (char& c : text) {
            c = c == '\n' || c == '\t' ? ' ' : c;
        }
        return text;
    };
    out << line(o.result.error) << '\n';
    for (const Finding& f : o.findings) {
        out << line(f.kind) << '\t' << f.inexactDecimal << '\t' << line(f.detail) << '\n';
    }
    return out.str();
}

void Decode(const std::string& text, Outcome& o) {
    std::istringstream in(text);
    int truth = 0;
    in >> o.result.solved >> o.result.complete >> o.result.timedOut >> truth >> o.claims >>
        o.cpuSeconds >> o.boxCounts[0] >> o.boxCounts[1] >> o.boxCounts[2];
    o.result.truth = static_cast<brix::Truth>(truth);
    std::string line;
    std::getline(in, line);
    std::getline(in, o.result.error);
    while (std::getline(in, line)) {
        std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (b != std::string::npos) {
            o.findings.push_back({line.substr(0, a), line.substr(b + 1), line[a + 1] == '1'});
        }
    }
}

void WriteAll(int fd, const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        ssize_t n = write(fd, text.data() + at, text.size() - at);
        if (n <= 0) {
            _exit(2);
        }
        at += static_cast<std::size_t>(n);
    }
}

// The child says kSolved as soon as the solver returned: only the solve is
// timed for a hang, the exact check after it may take long on its own.
const char kSolved = '\x01';

[[noreturn]] void RunChild(const Problem& problem, const CheckLimits& limits, int fd) {
    Outcome outcome = SolveTimed(problem);
    WriteAll(fd, std::string(1, kSolved));
    Check(problem, limits, problem.seed, outcome);
    WriteAll(fd, Encode(outcome));
#if defined(__SANITIZE_ADDRESS__)
    // _exit skips the leak check that ends a normal exit.
    if (__lsan_do_recoverable_leak_check() != 0) {
        _exit(3);
    }
#endif
    _exit(0);
}

}  // namespace

Outcome SolveAndCheckApart(const Problem& problem, const CheckLimits& limits, double wallSeconds) {
    Outcome o;
    int fds[2];
    if (pipe(fds) != 0) {
        o.findings.push_back({"crash", "no pipe to a child process", false});
        return o;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        RunChild(problem, limits, fds[1]);
    }
    close(fds[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(wallSeconds);
    std::string text;
    bool ended = child < 0;
    bool solved = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        pollfd in{fds[0], POLLIN, 0};
        if (poll(&in, 1, 50) > 0) {
            char buffer[4096];
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            ended = n <= 0;
            text.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        if (!solved && !text.empty() && text[0] == kSolved) {
            // The check that follows gets ten times as long again.
            solved = true;
            deadline += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(10 * wallSeconds));
        }
    }
    if (solved) {
        text.erase(0, 1);
    }
    close(fds[0]);
    if (!ended) {
        kill(child, SIGKILL);
    }
    int status = 0;
    if (child > 0) {
        waitpid(child, &status, 0);
    }
    Decode(text, o);
    if (!ended && !solved) {
        o.findings.push_back(
            {"hang", "no return after " + std::to_string(wallSeconds) + " s of wall-clock time",
             false});
    } else if (!ended) {
        o.findings.push_back({"check-hang", "the exact check of the result did not end", false});
    } else if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        o.findings.push_back(
            {"crash",
             child < 0 ? "no child process"
             : WIFSIGNALED(status)
                 ? "the solving process died of signal " + std::to_string(WTERMSIG(status))
                 : "the solving process ended with status " + std::to_string(WEXITSTATUS(status)),
             false});
    }
    return o;
}

}  // namespace solvefuzz
