// Every box BRIX reports as true or false is checked independently: F is
// evaluated exactly (GMP rationals) at the corners, the centre and random
// interior points of the box as printed (inward rounding keeps these points
// inside the box BRIX proved). Quantifiers are checked on a grid of their
// bound box where the claim allows it: a true FORALL must hold at every grid
// point, a false EXISTS must fail at every grid point. A single wrong claim
// fails the test. The volumes of the summary must add up to the volume of B.
#include "support/ExactRational.h"
#include "support/ListingText.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Point = std::vector<ExactQ>;

// What a sample point tells about a claim: a refutation or nothing.
struct Problem {
    const char* name;
    const char* input;  // F; V; B;
    std::vector<std::pair<double, double>> box;
    // True when evaluating F at x shows that "F is true at x" is wrong.
    std::function<bool(const Point&)> refutesTrue;
    // True when evaluating F at x shows that "F is false at x" is wrong.
    std::function<bool(const Point&)> refutesFalse;
};

ExactQ Q(double x) {
    return ExactQ(x);
}
const ExactQ kZero(0.0);

bool Le(const ExactQ& a, const ExactQ& b) {
    return !(b < a);
}

struct ListedBox {
    std::vector<ExactQ> lo, hi;
};

// The boxes printed under a heading of the listing, as rationals.
std::vector<ListedBox> BoxesUnder(const std::string& output, const std::string& heading) {
    std::vector<ListedBox> boxes;
    for (const BoundTexts& texts : BoxTextsUnder(output, heading)) {
        ListedBox box;
        for (const auto& [a, b] : texts) {
            ExactQ x, y;
            EXPECT_TRUE(ParseDecimal(a, x) && ParseDecimal(b, y)) << a << ", " << b;
            box.lo.push_back(x);
            box.hi.push_back(y);
        }
        boxes.push_back(box);
    }
    return boxes;
}

std::string RunBrix(const std::string& input, const std::string& arguments) {
    char path[] = "/tmp/brix-e2e-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    std::FILE* file = fdopen(fd, "w");
    std::fputs(input.c_str(), file);
    std::fclose(file);
    std::string command = std::string(BRIX_EXECUTABLE) + " " + arguments + " < " + path;
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    int status = pclose(pipe);
    std::remove(path);
    EXPECT_EQ(status, 0) << output;
    return output;
}

// Corners, centre and random interior points of a box (rational). A box
// whose printed component is upside down is a point interval between two
// decimals (inward rounding crossed over): no printed point is known to lie
// in it, so it gives no sample.
std::vector<Point> SamplePoints(const ListedBox& box, std::mt19937_64& g) {
    std::size_t d = box.lo.size();
    std::vector<Point> points;
    for (std::size_t i = 0; i < d; ++i) {
        if (box.hi[i] < box.lo[i]) {
            return points;
        }
    }
    for (std::size_t corner = 0; corner < (std::size_t{1} << d); ++corner) {
        Point p;
        for (std::size_t i = 0; i < d; ++i) {
            p.push_back(((corner >> i) & 1) != 0 ? box.hi[i] : box.lo[i]);
        }
        points.push_back(p);
    }
    for (int k = 0; k < 6; ++k) {
        Point p;
        for (std::size_t i = 0; i < d; ++i) {
            ExactQ t = k == 0 ? Q(0.5) : Q(static_cast<double>(g() % 1000) / 1000.0);
            p.push_back(box.lo[i] + (box.hi[i] - box.lo[i]) * t);
        }
        points.push_back(p);
    }
    return points;
}

// Whether pred holds at some point of a grid of n+1 points over [lo, hi].
bool SomeGridPoint(double lo, double hi, int n, const std::function<bool(const ExactQ&)>& pred) {
    for (int k = 0; k <= n; ++k) {
        ExactQ y = Q(lo) + (Q(hi) - Q(lo)) * Q(k) / Q(n);
        if (pred(y)) {
            return true;
        }
    }
    return false;
}

// A quantifier-free F: its value decides both refutations.
Problem Plain(const char* name, const char* input, std::vector<std::pair<double, double>> box,
              std::function<bool(const Point&)> holds) {
    return {name, input, std::move(box), [holds](const Point& x) { return !holds(x); },
            [holds](const Point& x) { return holds(x); }};
}

const int kGrid = 64;

std::vector<Problem> Problems() {
    std::vector<Problem> p;
    p.push_back(Plain("disc", "x^2 + y^2 <= 1; [x, y]; [[-1.5, 1.5], [-1.5, 1.5]];",
                      {{-1.5, 1.5}, {-1.5, 1.5}},
                      [](const Point& x) { return Le(x[0] * x[0] + x[1] * x[1], Q(1)); }));
    p.push_back(Plain("strict-and-or",
                      "x*y > 0.25 \\/ x + y < -1 /\\ y < 0; [x, y]; [[-2, 2], [-2, 2]];",
                      {{-2, 2}, {-2, 2}}, [](const Point& x) {
                          // connectives group to the left: (A \/ B) /\ C
                          return (Q(0.25) < x[0] * x[1] || x[0] + x[1] < Q(-1)) && x[1] < kZero;
                      }));
    p.push_back(Plain("equation", "x^2 - y = 0; [x, y]; [[-1, 1], [-1, 1]];", {{-1, 1}, {-1, 1}},
                      [](const Point& x) { return x[0] * x[0] == x[1]; }));
    p.push_back(Plain("disequation", "x - 2 y != 0; [x, y]; [[-1, 1], [-1, 1]];",
                      {{-1, 1}, {-1, 1}}, [](const Point& x) { return !(x[0] == Q(2) * x[1]); }));
    p.push_back(Plain("negation-implication",
                      "~(x >= 0.5) /\\ (y >= 0 ==> y <= x^3); [x, y]; [[-1, 1], [-1, 1]];",
                      {{-1, 1}, {-1, 1}}, [](const Point& x) {
                          return x[0] < Q(0.5) && (x[1] < kZero || Le(x[1], x[0] * x[0] * x[0]));
                      }));
    p.push_back(Plain("three-variables", "x + y + z <= 1; [x, y, z]; [[0, 1], [0, 1], [0, 1]];",
                      {{0, 1}, {0, 1}, {0, 1}},
                      [](const Point& x) { return Le(x[0] + x[1] + x[2], Q(1)); }));
    // An interval coefficient: true where every coefficient choice satisfies
    // the relation, false where none does.
    p.push_back({"interval-coefficient",
                 "[0.9, 1.1] x^2 <= 1; [x]; [[-2, 2]];",
                 {{-2, 2}},
                 [](const Point& x) { return Q(1) < Q(1.1) * x[0] * x[0]; },
                 [](const Point& x) { return Le(Q(0.9) * x[0] * x[0], Q(1)); }});
    p.push_back({"forall",
                 "FORALL([t], [[0, 1]], x^2 + y^2 + t <= 2); [x, y]; [[-1.5, 1.5], [-1.5, 1.5]];",
                 {{-1.5, 1.5}, {-1.5, 1.5}},
                 [](const Point& x) {
                     return SomeGridPoint(0, 1, kGrid, [&](const ExactQ& t) {
                         return Q(2) < x[0] * x[0] + x[1] * x[1] + t;
                     });
                 },
                 [](const Point& x) { return Le(x[0] * x[0] + x[1] * x[1] + Q(1), Q(2)); }});
    p.push_back({"forall-product",
                 "FORALL([y], [[-1, 1]], x*y <= 1); [x]; [[-2, 2]];",
                 {{-2, 2}},
                 [](const Point& x) {
                     return SomeGridPoint(-1, 1, kGrid,
                                          [&](const ExactQ& y) { return Q(1) < x[0] * y; });
                 },
                 [](const Point& x) { return Le(x[0], Q(1)) && Le(-x[0], Q(1)); }});
    p.push_back({"exists",
                 "EXISTS([t], [[0, 1]], x^2 + y^2 <= t); [x, y]; [[-1.5, 1.5], [-1.5, 1.5]];",
                 {{-1.5, 1.5}, {-1.5, 1.5}},
                 [](const Point& x) { return Q(1) < x[0] * x[0] + x[1] * x[1]; },
                 [](const Point& x) {
                     return SomeGridPoint(0, 1, kGrid, [&](const ExactQ& t) {
                         return Le(x[0] * x[0] + x[1] * x[1], t);
                     });
                 }});
    p.push_back({"exists-square",
                 "EXISTS([y], [[0, 1]], x <= y^2 - 0.5); [x]; [[-1, 2]];",
                 {{-1, 2}},
                 [](const Point& x) { return Q(0.5) < x[0]; },
                 [](const Point& x) { return Le(x[0], Q(0.5)); }});
    p.push_back({"nested",
                 "FORALL([y], [[0, 1]], EXISTS([z], [[-1, 1]], x + y <= z)); [x]; [[-3, 3]];",
                 {{-3, 3}},
                 // true exactly when x + 1 <= 1, i.e. x <= 0
                 [](const Point& x) { return kZero < x[0]; },
                 [](const Point& x) { return Le(x[0], kZero); }});
    return p;
}

// Checks every true and false box of a listing against F, and the summary's
// volumes against the volume of B.
void CheckListing(const Problem& problem, const std::string& output) {
    std::mt19937_64 g(TestSeed(problem.name));
    std::vector<ListedBox> trueBoxes = BoxesUnder(output, "F, rounded inwards, is true on\n");
    std::vector<ListedBox> falseBoxes = BoxesUnder(output, "F, rounded inwards, is false on\n");
    ASSERT_FALSE(trueBoxes.empty() && falseBoxes.empty()) << output;
    for (const ListedBox& box : trueBoxes) {
        for (const Point& x : SamplePoints(box, g)) {
            ASSERT_FALSE(problem.refutesTrue(x)) << problem.name << ": a true box fails";
        }
    }
    for (const ListedBox& box : falseBoxes) {
        for (const Point& x : SamplePoints(box, g)) {
            ASSERT_FALSE(problem.refutesFalse(x)) << problem.name << ": a false box holds";
        }
    }
    // The three volumes add up to the volume of B.
    double volume = 1.0;
    for (const auto& side : problem.box) {
        volume *= side.second - side.first;
    }
    double sum = 0.0;
    for (const char* heading : {"F is true on ", "F is false on ", "F has no truth value on "}) {
        std::size_t at = output.find(heading);
        ASSERT_NE(at, std::string::npos) << output;
        std::size_t of = output.find(" boxes of volume ", at);
        sum += std::stod(output.substr(of + 17));
    }
    // The summary prints six significant digits per volume.
    EXPECT_NEAR(sum, volume, volume * 1e-5) << output;
}

class Soundness : public ::testing::TestWithParam<Problem> {};

TEST_P(Soundness, EveryTrueAndFalseBoxHolds) {
    CheckListing(GetParam(), RunBrix(GetParam().input, "-is -ob -opf -e 0.1"));
}

// A run stopped by the time-out: the error bound 0 is never met, so only the
// time-out ends the refinement; what it leaves must be as sound as a
// finished result.
TEST(SoundnessTimeOut, StoppedRunsLeaveSoundBoxes) {
    int checked = 0;
    for (const Problem& problem : Problems()) {
        const std::string name = problem.name;
        if (name != "disc" && name != "forall" && name != "strict-and-or") {
            continue;
        }
        std::string output = RunBrix(problem.input, "-is -ob -opf -e 0 -to 1");
        EXPECT_NE(output.find("Partial result!  Reason(s):\n  time-out after 1 seconds\n"),
                  std::string::npos)
            << name << "\n"
            << output.substr(0, 2000);
        CheckListing(problem, output);
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

INSTANTIATE_TEST_SUITE_P(Problems, Soundness, ::testing::ValuesIn(Problems()),
                         [](const ::testing::TestParamInfo<Problem>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(SoundnessClosed, SentencesAreDecided) {
    EXPECT_NE(
        RunBrix("FORALL([x], [[0, 1]], x^3 - x <= 0.5); []; [];", "-is -opf").find("F is true\n"),
        std::string::npos);
    EXPECT_NE(RunBrix("EXISTS([x], [[0, 1]], x^2 > 2); []; [];", "-is -opf").find("F is false\n"),
              std::string::npos);
}

}  // namespace
