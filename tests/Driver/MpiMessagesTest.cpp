#include "support/ParseText.h"
#include "Driver/BRIX_MpiMessages.h"

#include "Driver/BRIX_BuildProblem.h"
#include "Driver/BRIX_Context.h"
#include "IO/Ex_Stream.h"
#include "Interval/Iv_Round.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_ParallelRefine.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

Box BoxOf(std::vector<double> bounds) {
    Box box(static_cast<int>(bounds.size() / 2));
    for (int i = 0; i < box.Dimension(); ++i) {
        box.Set(i, Iv_Itvl<double>::FromBounds(bounds[2 * i], bounds[2 * i + 1]));
    }
    return box;
}

bool SameBits(const Box& a, const Box& b) {
    if (a.Dimension() != b.Dimension()) {
        return false;
    }
    for (int i = 0; i < a.Dimension(); ++i) {
        if (std::signbit(a[i].lo) != std::signbit(b[i].lo) || !(a[i].lo == b[i].lo) ||
            !(a[i].hi == b[i].hi)) {
            return false;
        }
    }
    return true;
}

// Boxes travel bit for bit (subnormals, signed zeros, infinities, the empty
// box), with their continuity lists; cut or foreign bytes are refused.
TEST(MpiMessages, RoundTripIsExact) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double inf = std::numeric_limits<double>::infinity();
    BRIX_PieceResult r;
    r.index = 7;
    r.timedOut = true;
    r.provedFalse = true;
    r.precisionLosses = 3;
    r.lostBox = BoxOf({0.1, 0.30000000000000004});
    r.lostVar = 1;
    r.processorMicros = 12345;
    r.wallSeconds = 0.25;
    r.trueBoxes.push_back({BoxOf({-0.0, tiny, 1.0 / 3, inf}), {}, {}});
    r.falseBoxes.push_back({Box(), {}, {}});
    r.openBoxes.push_back({BoxOf({-inf, 2}), {1u, 0u}, {0xffffffffu}});
    const std::vector<char> bytes = packResult(r);
    BRIX_PieceResult back;
    ASSERT_TRUE(unpackResult(bytes, back));
    EXPECT_EQ(back.index, 7);
    EXPECT_TRUE(back.timedOut && back.provedFalse && !back.provedTrue && !back.complete);
    EXPECT_EQ(back.precisionLosses, 3);
    EXPECT_TRUE(SameBits(back.lostBox, r.lostBox));
    EXPECT_EQ(back.lostVar, 1);
    EXPECT_EQ(back.processorMicros, 12345);
    EXPECT_EQ(back.wallSeconds, 0.25);
    ASSERT_EQ(back.trueBoxes.size(), 1u);
    EXPECT_TRUE(SameBits(back.trueBoxes[0].box, r.trueBoxes[0].box));
    ASSERT_EQ(back.falseBoxes.size(), 1u);
    EXPECT_TRUE(back.falseBoxes[0].box.IsEmpty());
    ASSERT_EQ(back.openBoxes.size(), 1u);
    EXPECT_EQ(back.openBoxes[0].trueSets, std::vector<std::uint32_t>({1u, 0u}));
    EXPECT_EQ(back.openBoxes[0].falseSets, std::vector<std::uint32_t>({0xffffffffu}));

    for (std::size_t cut = 0; cut < bytes.size(); cut += 5) {
        std::vector<char> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        EXPECT_FALSE(unpackResult(part, back)) << cut;
    }
    std::vector<char> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(unpackResult(longer, back));
    BRIX_PieceJob job;
    job.index = 4;
    job.errorBound = 0.001;
    job.timeLeft = 99;
    job.box = BoxOf({0, 0.5, -1, 1});
    BRIX_PieceJob jobBack;
    ASSERT_TRUE(unpackJob(packJob(job), jobBack));
    EXPECT_EQ(jobBack.index, 4);
    EXPECT_EQ(jobBack.errorBound, 0.001);
    EXPECT_EQ(jobBack.timeLeft, 99u);
    EXPECT_TRUE(SameBits(jobBack.box, job.box));
    EXPECT_FALSE(unpackJob(bytes, jobBack));      // a result is no job
    EXPECT_FALSE(unpackResult(packJob(job), back));  // nor the other way round
}

// The volumes of the three lists of a refined problem.
struct Volumes {
    double yes = 0, no = 0, open = 0;
};
double Sum(const BRIX_StackEl* e) {
    double s = 0;
    for (; e != nullptr; e = e->next) {
        s += e->box.IsEmpty() ? 0.0 : e->box.Volume();
    }
    return s;
}
Volumes VolumesOf(const BRIX_Problem& p) {
    const auto* store = dynamic_cast<const BRIX_USASQuantifiedStore*>(p.approximation);
    EXPECT_NE(store, nullptr);
    if (store == nullptr) {
        return {};
    }
    return {Sum(store->trueBoxes), Sum(store->falseBoxes), Sum(store->stack)};
}

struct Owned {
    ~Owned() { releaseProblem(problem); }
    BRIX_Problem problem;
};

// Builds F over V and B cut for two sharers; runner, when given, refines
// the pieces; refined silently.
void Solve(const char* f, std::vector<std::string> V, const Box& B, double eps,
           decltype(BRIX_Problem::runner) runner, BRIX_Problem& problem) {
    bool valid = false;
    const Ex_Expr F = ParseText(f);
    buildProblem(F, V, B, false, eps, valid, problem);
    ASSERT_TRUE(valid) << f;
    buildSharedPieces(F, V, B, false, eps, nullptr, 2, problem);
    ASSERT_FALSE(problem.pieces.empty()) << f;
    problem.runner = runner;
    Ex_SilentStream out;
    Ex_SilentStream err;
    Ex_StreamRedirect redirect(out, err);
    approximateRefine(problem);
}

// Pieces refined elsewhere and carried back through bytes give the same
// boxes as pieces refined here; a lost piece stays open whole and makes the
// result partial; every volume adds up.
TEST(MpiMessages, PiecesThroughBytesAndLostPieces) {
    const Box B = BoxOf({-1.5, 1.5, -1.5, 1.5});
    const char* f = "x^2 + y^2 <= 1;";
    Owned here;
    Solve(f, {"x", "y"}, B, 0.01, nullptr, here.problem);
    auto viaBytes = [](long lose) {
        return [lose](BRIX_Problem& whole, const std::vector<BRIX_Problem*>& queue) {
            for (BRIX_Problem* piece : queue) {
                if (piece - whole.pieces.data() == lose) {
                    installLost(*piece);
                    continue;
                }
                // Its own state is replaced by box holders made from bytes.
                refineQueue({piece}, 1);
                BRIX_PieceResult back;
                ASSERT_TRUE(unpackResult(packResult(resultOf(*piece)), back));
                installResult(back, *piece);
            }
        };
    };
    Owned there;
    Solve(f, {"x", "y"}, B, 0.01, viaBytes(-1), there.problem);
    const Volumes a = VolumesOf(here.problem), b = VolumesOf(there.problem);
    EXPECT_EQ(a.yes, b.yes);
    EXPECT_EQ(a.no, b.no);
    EXPECT_EQ(a.open, b.open);
    EXPECT_TRUE(there.problem.complete);

    Owned lost;
    Solve(f, {"x", "y"}, B, 0.01, viaBytes(3), lost.problem);
    const Volumes c = VolumesOf(lost.problem);
    EXPECT_FALSE(lost.problem.complete);
    EXPECT_EQ(lost.problem.piecesLost, 1);
    EXPECT_LE(c.yes, a.yes + a.open);
    EXPECT_LE(c.no, a.no + a.open);
    EXPECT_NEAR(c.yes + c.no + c.open, 9.0, 1e-9);
    EXPECT_GE(c.open, 9.0 / 32 * 0.99);  // at least the lost part of B
}

// A closed sentence cut on its outermost quantifier gives the whole's

// As the coordinator of rank 0 works: one thread refines some pieces in the
// caller's context while the calling thread installs the results of the
// others from bytes. The boxes are those refined in one thread (and the
// thread test build runs this under ThreadSanitizer).
TEST(MpiMessages, PiecesInstalledWhileAThreadRefines) {
    const Box B = BoxOf({-1.5, 1.5, -1.5, 1.5});
    const char* f = "x^2 + y^2 + x*y <= 1;";
    Owned here;
    Solve(f, {"x", "y"}, B, 0.01, nullptr, here.problem);
    auto shared = [](BRIX_Problem&, const std::vector<BRIX_Problem*>& queue) {
        std::vector<BRIX_Problem*> odd, even;
        for (std::size_t k = 0; k < queue.size(); ++k) {
            (k % 2 != 0 ? odd : even).push_back(queue[k]);
        }
        BRIX_Context& parent = BRIX_CurrentContext();
        std::thread local([&parent, &odd] {
            BRIX_ContextScope scope(parent);
            refineQueue(odd, 1);
        });
        for (BRIX_Problem* piece : even) {
            refineQueue({piece}, 1);
            BRIX_PieceResult back;
            ASSERT_TRUE(unpackResult(packResult(resultOf(*piece)), back));
            installResult(back, *piece);
        }
        local.join();
    };
    Owned there;
    Solve(f, {"x", "y"}, B, 0.01, shared, there.problem);
    const Volumes a = VolumesOf(here.problem), b = VolumesOf(there.problem);
    EXPECT_EQ(a.yes, b.yes);
    EXPECT_EQ(a.no, b.no);
    EXPECT_EQ(a.open, b.open);
    EXPECT_TRUE(there.problem.complete);
}
// verdict; a lost piece leaves it undecided unless the others decide it.
TEST(MpiMessages, SentencePieces) {
    struct Case {
        const char* f;
        bool truth;
        bool decidedWithALoss;  // by the other pieces
    };
    const Case cases[] = {
        {"FORALL([x], [[-2, 2]], x^4 - 3*x^2 + 2.5 > 0);", true, false},
        {"FORALL([x], [[-2, 2]], x^4 - 3*x^2 + 2 > 0);", false, true},
        {"EXISTS([x, y], [[-2, 2], [-2, 2]], x^2 + y^2 = 1 /\\ x + y = 1.2);", true, true},
        {"EXISTS([x, y], [[-2, 2], [-2, 2]], x^2 + y^2 = 1 /\\ x + y = 1.5);", false, false},
    };
    auto losing = [](BRIX_Problem& whole, const std::vector<BRIX_Problem*>& queue) {
        refineQueue(queue, 1);
        // Lost: the first piece with the verdict one piece settles (true
        // under EXISTS, false under FORALL), or else the first piece.
        BRIX_Problem* lose = queue.front();
        for (BRIX_Problem* p : queue) {
            if (p->provedTrue != whole.sentenceForall) {
                lose = p;
                break;
            }
        }
        releaseProblem(*lose);
        lose->constraint = nullptr;
        installLost(*lose);
    };
    for (const Case& c : cases) {
        Owned whole;
        Solve(c.f, {}, Box(0), 0.5, nullptr, whole.problem);
        EXPECT_TRUE(whole.problem.sentencePieces) << c.f;
        EXPECT_EQ(whole.problem.provedTrue, c.truth) << c.f;
        EXPECT_EQ(whole.problem.provedFalse, !c.truth) << c.f;
        Owned lost;
        Solve(c.f, {}, Box(0), 0.5, losing, lost.problem);
        if (c.decidedWithALoss) {
            EXPECT_EQ(lost.problem.provedTrue, c.truth) << c.f;
            EXPECT_EQ(lost.problem.provedFalse, !c.truth) << c.f;
        } else {
            EXPECT_FALSE(lost.problem.provedTrue || lost.problem.provedFalse) << c.f;
            EXPECT_FALSE(lost.problem.complete) << c.f;
        }
    }
}

}  // namespace
