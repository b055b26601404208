// Solves two problems through the installed facade and prints what it checked;
// exits 1 at the first check that fails.
#include "Driver/BRIX_Solve.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        std::exit(1);
    }
}

// Largest and smallest x^2 + y^2 over a box, in plain arithmetic: proved boxes
// touch the circle, so the checks below allow for its rounding (the unit tests
// check them exactly).
double Farthest(const brix::BoxBounds& b) {
    double x = b[0].lo * b[0].lo > b[0].hi * b[0].hi ? b[0].lo : b[0].hi;
    double y = b[1].lo * b[1].lo > b[1].hi * b[1].hi ? b[1].lo : b[1].hi;
    return x * x + y * y;
}
double Nearest(const brix::BoxBounds& b) {
    auto nearest = [](const brix::Bounds& c) { return c.lo > 0 ? c.lo : c.hi < 0 ? c.hi : 0.0; };
    double x = nearest(b[0]);
    double y = nearest(b[1]);
    return x * x + y * y;
}

}  // namespace

int main() {
    brix::SolveOptions options;
    options.errorBound = 0.05;
    brix::SolveResult disc =
        brix::Solve("x^2 + y^2 <= 1", {"x", "y"}, {{-1.5, 1.5}, {-1.5, 1.5}}, options);
    Check(disc.solved, "the disc is solved");
    Check(disc.complete && !disc.timedOut, "the disc reaches its error bound");
    Check(!disc.trueBoxes.empty() && !disc.falseBoxes.empty(), "true and false boxes");
    for (const brix::BoxBounds& b : disc.trueBoxes) {
        Check(b.size() == 2 && Farthest(b) <= 1.0 + 1e-12, "true boxes lie inside the disc");
    }
    for (const brix::BoxBounds& b : disc.falseBoxes) {
        Check(b.size() == 2 && Nearest(b) >= 1.0 - 1e-12, "false boxes lie outside the disc");
    }
    std::printf("disc: solved, %zu true, %zu false, %zu open boxes\n", disc.trueBoxes.size(),
                disc.falseBoxes.size(), disc.openBoxes.size());

    brix::SolveResult sentence = brix::Solve("FORALL([x], [[0, 1]], x^3 - x <= 0.5)", {}, {});
    Check(sentence.solved && sentence.truth == brix::Truth::True, "the sentence is true");
    std::printf("sentence: true\n");

    brix::SolveResult wrong = brix::Solve("x <= ", {"x"}, {{0, 1}});
    Check(!wrong.solved, "a syntax error is refused");
    std::printf("syntax error: %s\n", wrong.error.c_str());
    return 0;
}
