#include "fuzz/solve/FuzzChecker.h"

#include "fuzz/solve/FuzzEvaluator.h"
#include "fuzz/solve/FuzzTuning.h"

#include <algorithm>
#include <cfenv>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace solvefuzz {
namespace {

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Rounding mode, exception masks and flags of both units.
struct FpState {
    int round = std::fegetround();
#if defined(__x86_64__)
    unsigned csr = _mm_getcsr();
    unsigned short x87 = [] {
        unsigned short cw = 0;
        asm volatile("fnstcw %0" : "=m"(cw));
        return cw;
    }();
#else
    unsigned csr = 0;
    unsigned short x87 = 0;
#endif
    bool operator==(const FpState& o) const {
        return round == o.round && csr == o.csr && x87 == o.x87;
    }
};

std::string Num(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

std::string BoxString(const brix::BoxBounds& box) {
    std::string out = "[";
    for (std::size_t i = 0; i < box.size(); ++i) {
        out += (i == 0 ? "[" : ", [") + Num(box[i].lo) + ", " + Num(box[i].hi) + "]";
    }
    return out + "]";
}

std::string PointString(const std::vector<std::string>& names, const std::vector<ExactQ>& x) {
    std::string out;
    for (std::size_t i = 0; i < x.size(); ++i) {
        out += (i == 0 ? "" : ", ") + names[i] + " = " + x[i].Text();
    }
    return out;
}

ExactQ Volume(const brix::BoxBounds& box) {
    ExactQ v(1.0);
    for (const brix::Bounds& c : box) {
        v = v * (ExactQ(c.hi) - ExactQ(c.lo));
    }
    return v;
}

// Corners, centre and random interior points of a box.
std::vector<std::vector<ExactQ>> Samples(const brix::BoxBounds& box, int randomPoints,
                                         std::mt19937_64& g) {
    const std::size_t d = box.size();
    std::vector<std::vector<ExactQ>> points;
    for (std::size_t corner = 0; corner < (std::size_t{1} << d); ++corner) {
        std::vector<ExactQ> p;
        for (std::size_t i = 0; i < d; ++i) {
            p.emplace_back(((corner >> i) & 1) != 0 ? box[i].hi : box[i].lo);
        }
        points.push_back(p);
    }
    for (int k = -1; k < randomPoints; ++k) {
        std::vector<ExactQ> p;
        for (std::size_t i = 0; i < d; ++i) {
            ExactQ t = k < 0 ? ExactQ(0.5) : ExactQ(static_cast<double>(g() % 1025) / 1024.0);
            p.push_back(ExactQ(box[i].lo) + (ExactQ(box[i].hi) - ExactQ(box[i].lo)) * t);
        }
        points.push_back(p);
    }
    return points;
}

class Checker {
public:
    Checker(const Problem& p, const CheckLimits& limits, std::uint64_t seed, Outcome& out)
        : p_(p), limits_(limits), g_(seed), out_(out), exact_(p.constraint, p.variables, false) {
        budget_ = limits.budget;
    }

    void Run() {
        const brix::SolveResult& r = out_.result;
        if (!r.solved) {
            Add("refused", r.error, false);
            return;
        }
        if (r.precisionLost && (r.complete || r.reasons.empty())) {
            Add("incomplete", "precision lost, yet no partial result with its reason", false);
        }
        if (!exact_.Valid()) {
            Add("unreadable", exact_.Error(), false);
            return;
        }
        if (p_.variables.empty()) {
            CheckSentence();
            return;
        }
        if (r.truth != brix::Truth::Unknown) {
            Add("bad-box", "a truth value for a constraint with variables", false);
        }
        CheckShapesAndVolumes();
        CheckClaims();
    }

private:
    // A claim refuted at x: a finding, classed by the reading of decimals.
    void Refuted(const char* kind, const std::string& what, const std::vector<ExactQ>& x,
                 bool claimTrue) {
        if (!doubles_) {
            doubles_ = std::make_unique<Evaluator>(p_.constraint, p_.variables, true);
        }
        long budget = limits_.budget;
        Knowledge k = doubles_->At(x, budget);
        bool explained = claimTrue ? k.hi == kTrue : k.lo == kFalse;
        Add(kind, what + (x.empty() ? "" : " at " + PointString(p_.variables, x)), explained);
    }

    void Add(const std::string& kind, const std::string& detail, bool inexactDecimal) {
        for (const Finding& f : out_.findings) {
            if (f.kind == kind && f.inexactDecimal == inexactDecimal) {
                return;
            }
        }
        out_.findings.push_back({kind, detail, inexactDecimal});
    }

    bool HasGenuine(const std::string& kind) const {
        return std::any_of(out_.findings.begin(), out_.findings.end(),
                           [&](const Finding& f) { return f.kind == kind && !f.inexactDecimal; });
    }

    void CheckSentence() {
        const brix::SolveResult& r = out_.result;
        if (!r.trueBoxes.empty() || !r.falseBoxes.empty() || !r.openBoxes.empty()) {
            Add("bad-box", "boxes for a constraint without variables", false);
        }
        if (r.truth == brix::Truth::Unknown) {
            return;
        }
        ++out_.claims;
        const bool claimTrue = r.truth == brix::Truth::True;
        Knowledge k = exact_.At({}, budget_);
        if (claimTrue ? k.hi < kTrue : k.lo > kFalse) {
            Refuted("wrong-truth", claimTrue ? "claimed true, is not" : "claimed false, is not", {},
                    claimTrue);
        }
    }

    void CheckShapesAndVolumes() {
        const brix::SolveResult& r = out_.result;
        const brix::BoxBounds b = DoubleBox(p_.box);
        ExactQ covered(0.0), open(0.0);
        for (const auto* list : {&r.trueBoxes, &r.falseBoxes, &r.openBoxes}) {
            for (const brix::BoxBounds& box : *list) {
                bool inside = box.size() == b.size();
                for (std::size_t i = 0; inside && i < box.size(); ++i) {
                    inside = b[i].lo <= box[i].lo && box[i].lo <= box[i].hi && box[i].hi <= b[i].hi;
                }
                if (!inside) {
                    Add("bad-box", "box " + BoxString(box) + " is not in B", false);
                    return;
                }
                covered = covered + Volume(box);
                if (list == &r.openBoxes) {
                    open = open + Volume(box);
                }
            }
        }
        const ExactQ whole = Volume(b);
        if (p_.options.singleBox || Sign(whole) == 0) {
            return;  // a single-box search leaves the rest unlisted
        }
        if (!(covered == whole)) {
            Add("coverage", "volumes add up to " + covered.Text() + " instead of " + whole.Text(),
                false);
        }
        // The solver sums volumes in doubles: allow it a relative slack.
        const ExactQ allowed = ExactQ(p_.options.errorBound) * whole * ExactQ(1 + 1e-9);
        if (r.complete && allowed < open) {
            Add("incomplete", "complete with open volume " + open.Text() + " of " + whole.Text(),
                false);
        }
    }

    void CheckClaims() {
        const brix::SolveResult& r = out_.result;
        std::vector<std::pair<const brix::BoxBounds*, bool>> claims;
        for (const brix::BoxBounds& box : r.trueBoxes) {
            claims.emplace_back(&box, true);
        }
        for (const brix::BoxBounds& box : r.falseBoxes) {
            claims.emplace_back(&box, false);
        }
        std::shuffle(claims.begin(), claims.end(), g_);
        for (const auto& [box, claimTrue] : claims) {
            if (budget_ <= 0) {
                return;
            }
            const char* kind = claimTrue ? "wrong-true" : "wrong-false";
            if (HasGenuine(kind) || box->size() != p_.variables.size()) {
                continue;
            }
            ++out_.claims;
            for (const std::vector<ExactQ>& x : Samples(*box, limits_.randomPoints, g_)) {
                Knowledge k = exact_.At(x, budget_);
                if (claimTrue ? k.hi < kTrue : k.lo > kFalse) {
                    Refuted(kind, (claimTrue ? "true box " : "false box ") + BoxString(*box), x,
                            claimTrue);
                    break;
                }
            }
        }
    }

    const Problem& p_;
    const CheckLimits& limits_;
    std::mt19937_64 g_;
    Outcome& out_;
    Evaluator exact_;
    std::unique_ptr<Evaluator> doubles_;
    long budget_ = 0;
};

}  // namespace

bool OutOfPrecision(const brix::SolveResult& result) {
    return result.solved && result.precisionLost;
}

Outcome SolveTimed(const Problem& problem) {
    Outcome out;
    const brix::BoxBounds box = DoubleBox(problem.box);
    const TuningScope tuning(problem.tuning);
    // Taken next to the call: timing arithmetic may raise the inexact flag.
    const double start = ProcessSeconds();
    const FpState before;
    out.result = brix::Solve(problem.text, problem.variables, box, problem.options);
    const FpState after;
    out.cpuSeconds = ProcessSeconds() - start;
    out.fpStateKept = after == before;
    out.boxCounts[0] = out.result.trueBoxes.size();
    out.boxCounts[1] = out.result.falseBoxes.size();
    out.boxCounts[2] = out.result.openBoxes.size();
    return out;
}

void Check(const Problem& problem, const CheckLimits& limits, std::uint64_t sampleSeed,
           Outcome& outcome) {
    if (!outcome.fpStateKept) {
        outcome.findings.push_back({"fpstate", "the call changed the floating-point state", false});
    }
    const double allowed = problem.options.timeoutSeconds * limits.lateFactor + limits.lateSlack;
    if (problem.options.timeoutSeconds > 0 && outcome.cpuSeconds > allowed) {
        outcome.findings.push_back({"late",
                                    "returned after " + Num(outcome.cpuSeconds) +
                                        " processor seconds, time-out " +
                                        Num(problem.options.timeoutSeconds),
                                    false});
    }
    Checker(problem, limits, sampleSeed, outcome).Run();
}

Outcome SolveAndCheck(const Problem& problem, const CheckLimits& limits) {
    Outcome out = SolveTimed(problem);
    Check(problem, limits, problem.seed, out);
    return out;
}

}  // namespace solvefuzz
