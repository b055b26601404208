#include "Driver/BRIX_Smt2Elaborate.h"
#include "Driver/BRIX_Smt2Reader.h"
#include "Driver/BRIX_Smt2Script.h"
#include "Driver/BRIX_Smt2Translate.h"
#include "Driver/BRIX_Smt2Witness.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// gtest prints rationals in failure messages as their text (gmpxx's stream
// operator lives in a library the tests do not link).
void PrintTo(const mpq_class& q, std::ostream* out) {
    *out << q.get_str();
}

namespace {

using Kind = BRIX_Smt2SExpr::Kind;

std::vector<BRIX_Smt2SExpr> ReadAll(const std::string& text, std::vector<std::string>& errors) {
    BRIX_Smt2Reader reader(text);
    std::vector<BRIX_Smt2SExpr> commands;
    for (;;) {
        BRIX_Smt2SExpr e;
        std::string message;
        int line = 0;
        const BRIX_Smt2Reader::Status status = reader.Next(e, message, line);
        if (status == BRIX_Smt2Reader::Status::End) {
            return commands;
        }
        if (status == BRIX_Smt2Reader::Status::Error) {
            errors.push_back(std::to_string(line) + ": " + message);
        } else {
            commands.push_back(e);
        }
    }
}

// Elaborates `term` with the Real constants x and y declared (indices 0, 1).
struct Terms {
    Terms() {
        symbols.varNames = {"x", "y"};
        symbols.constants = {{"x", 0}, {"y", 1}};
    }
    BRIX_Smt2TermPtr Term(const std::string& text) {
        std::vector<std::string> errors;
        const std::vector<BRIX_Smt2SExpr> e = ReadAll(text, errors);
        EXPECT_TRUE(errors.empty() && e.size() == 1) << text;
        std::string error;
        BRIX_Smt2TermPtr t = BRIX_Smt2Elaborator(symbols).Term(e.at(0), error);
        EXPECT_NE(t, nullptr) << error;
        return t;
    }
    std::map<int, BRIX_Smt2Range> Bounds(const std::string& text) {
        std::map<int, BRIX_Smt2Range> ranges;
        BRIX_Smt2CollectBounds(Term(text), ranges);
        return ranges;
    }
    BRIX_Smt2Symbols symbols;
};

std::string RunScript(const std::string& text, bool& clean) {
    std::ostringstream out;
    std::ostringstream err;
    brix::SolveOptions options;
    options.errorBound = 0;
    options.singleBox = true;
    options.timeoutSeconds = 5;
    clean = BRIX_Smt2Script(options, out, err).Run(text);
    return out.str();
}

// Tokens of every kind, the line each command starts on, and recovery after
// an error: the faulty command is skipped to its closing parenthesis.
TEST(Smt2Reader, TokensLinesAndRecovery) {
    std::vector<std::string> errors;
    const auto commands = ReadAll(
        "(a |b c| \"x\"\"y\" 007 2.50 :k #x1F)\n; (not read)\n(b\n 1.2.3 (c)) ) (d)\n(e \"open",
        errors);
    ASSERT_EQ(commands.size(), 2u);
    const auto& items = commands[0].items;
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[1].kind, Kind::Symbol);
    EXPECT_EQ(items[1].text, "b c");
    EXPECT_EQ(items[2].kind, Kind::String);
    EXPECT_EQ(items[2].text, "x\"y");
    EXPECT_EQ(items[3].kind, Kind::Numeral);
    EXPECT_EQ(items[4].kind, Kind::Decimal);
    EXPECT_EQ(items[5].kind, Kind::Keyword);
    EXPECT_EQ(items[6].kind, Kind::Other);
    EXPECT_TRUE(commands[1].items[0].IsSymbol("d"));
    EXPECT_EQ(commands[1].line, 4);
    EXPECT_EQ(errors, (std::vector<std::string>{"3: malformed number '1.2.3'", "4: unexpected ')'",
                                                "5: unterminated string literal"}));
}

// Nesting beyond the limit is an error (no deep recursion anywhere after);
// the next command is read normally.
TEST(Smt2Reader, DeepNestingIsRefused) {
    const int depth = BRIX_Smt2MaxDepth + 1;
    std::vector<std::string> errors;
    const auto commands =
        ReadAll(std::string(depth, '(') + std::string(depth, ')') + "(next)", errors);
    EXPECT_EQ(errors, (std::vector<std::string>{"1: expression nested too deeply"}));
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_TRUE(commands[0].items[0].IsSymbol("next"));
}

// Numbers are exact; a constant that is no double is enclosed by its two
// neighbouring doubles, a double is a point, and double texts read back to
// the very double.
TEST(Smt2Constants, ExactAndEnclosed) {
    EXPECT_EQ(BRIX_Smt2Elaborator::Number("0.1"), mpq_class(1, 10));
    EXPECT_EQ(BRIX_Smt2Elaborator::Number("123456789012345678901234567890").get_str(),
              "123456789012345678901234567890");
    double lo = 0;
    double hi = 0;
    ASSERT_TRUE(BRIX_Smt2Enclose(mpq_class(1, 10), lo, hi));
    EXPECT_EQ(hi, std::nextafter(lo, 1.0));
    EXPECT_TRUE(mpq_class(lo) < mpq_class(1, 10) && mpq_class(1, 10) < mpq_class(hi));
    ASSERT_TRUE(BRIX_Smt2Enclose(mpq_class(-3, 4), lo, hi));
    EXPECT_TRUE(lo == -0.75 && hi == -0.75);
    mpz_class huge;
    mpz_ui_pow_ui(huge.get_mpz_t(), 10, 400);
    EXPECT_FALSE(BRIX_Smt2Enclose(mpq_class(huge), lo, hi));
    for (double d : {0.1, -0.75, 1e-300, 4.9e-324, 1e300, 3.0}) {
        EXPECT_EQ(BRIX_Smt2Elaborator::Number(BRIX_Smt2DoubleText(std::fabs(d))),
                  mpq_class(std::fabs(d)))
            << d;
    }
    EXPECT_EQ(BRIX_Smt2DoubleText(-0.75), "-0.75");
}

// Bounds of the top-level conjunction: the tightest side wins, strictness
// is kept, negations flip, chains through variables carry bounds along.
TEST(Smt2Bounds, TightestStrictNegatedChained) {
    Terms terms;
    auto r = terms.Bounds("(and (<= 0 x) (< x 1) (not (> x 0.5)) (>= 2 y) (< 1 y) (<= (- 1) x))");
    EXPECT_EQ(r[0].lo.value, 0);
    EXPECT_FALSE(r[0].lo.strict);
    EXPECT_EQ(r[0].hi.value, mpq_class(1, 2));
    EXPECT_FALSE(r[0].hi.strict);
    EXPECT_TRUE(r[1].lo.strict && !r[1].hi.strict);
    r = terms.Bounds("(and (<= 0 x y 1) (= x 3))");
    EXPECT_TRUE(r[0].Empty());  // x = 3 but x <= y <= 1
    r = terms.Bounds("(and (<= 0 x) (< x y) (<= y 1))");
    EXPECT_TRUE(r[0].Finite() && r[0].hi.strict);
    r = terms.Bounds("(and (<= 1 x) (< x 1))");
    EXPECT_TRUE(r[0].Empty());
    r = terms.Bounds("(or (<= 0 x) (<= x 1))");
    EXPECT_FALSE(r[0].lo.present || r[0].hi.present);
}

TEST(Smt2Model, SimplestRationalAndItsText) {
    EXPECT_EQ(BRIX_Smt2Simplest(0, 1), mpq_class(1, 2));
    EXPECT_EQ(BRIX_Smt2Simplest(mpq_class(1, 3), mpq_class(1, 2)), mpq_class(2, 5));
    EXPECT_EQ(BRIX_Smt2Simplest(-1, 1), 0);
    EXPECT_EQ(BRIX_Smt2Simplest(mpq_class(-1, 2), mpq_class(-1, 4)), mpq_class(-1, 3));
    EXPECT_EQ(BRIX_Smt2Simplest(mpq_class(31, 10), mpq_class(32, 10)), mpq_class(19, 6));
    EXPECT_EQ(BRIX_Smt2Simplest(mpq_class(0.1), mpq_class(std::nextafter(0.1, 1.0))) > 0.1, true);
    EXPECT_EQ(BRIX_Smt2RationalText(3), "3");
    EXPECT_EQ(BRIX_Smt2RationalText(-3), "(- 3)");
    EXPECT_EQ(BRIX_Smt2RationalText(mpq_class(1, 4)), "(/ 1 4)");
    EXPECT_EQ(BRIX_Smt2RationalText(mpq_class(-1, 4)), "(- (/ 1 4))");
}

// A quantifier keeps its guard and gets the outward-rounded box; one without
// finite guard bounds names its variable; ite on reals is split into cases.
TEST(Smt2Translate, QuantifierBoxAndIte) {
    Terms terms;
    std::string text;
    std::string reason;
    BRIX_Smt2Translator translator(terms.symbols.varNames, 100000);
    ASSERT_TRUE(translator.Translate(
        terms.Term("(forall ((t Real)) (=> (and (< 0 t) (< t (/ 1 3))) (< (* t t) x)))"), text,
        reason))
        << reason;
    double lo = 0;
    double hi = 0;
    BRIX_Smt2Enclose(mpq_class(1, 3), lo, hi);
    EXPECT_EQ(
        text.rfind("FORALL([v2], [[0, " + BRIX_Smt2DoubleText(hi) + "]], ((((0) < v2) /\\ (v2 < [",
                   0),
        0u)
        << text;
    EXPECT_NE(text.find("v2^2"), std::string::npos) << text;
    EXPECT_FALSE(translator.Translate(terms.Term("(exists ((s Real)) (and (< 0 s) (= s x)))"), text,
                                      reason));
    EXPECT_NE(reason.find("'s'"), std::string::npos) << reason;
    ASSERT_TRUE(translator.Translate(terms.Term("(< (ite (< x 0) (- x) x) 1)"), text, reason));
    EXPECT_EQ(text, "(((v0 < (0)) /\\ ((-v0) < (1))) \\/ (~((v0 < (0))) /\\ (v0 < (1))))");
}

// Answers decided by BRIX: x*x is written as a power, so x*x < 0 is proved
// false around 0; a model of a quantified problem lies in a proved box.
TEST(Smt2Script, ProvedAnswers) {
    bool clean = false;
    EXPECT_EQ(RunScript("(declare-const x Real)(assert (<= (- 1) x 1))(assert (< (* x x) 0))"
                        "(check-sat)",
                        clean),
              "unsat\n");
    EXPECT_TRUE(clean);
    EXPECT_EQ(
        RunScript("(declare-const x Real)(assert (<= 0 x 2))(assert (> (* x x) 3.9))"
                  "(assert (forall ((t Real)) (=> (<= 0 t 1) (> (* x x) (+ t 2.9)))))"
                  "(check-sat)(get-model)(pop)",
                  clean),
        "sat\n(model (define-fun x () Real (/ 79 40)))\n(error \"line 1: pop 1 with only 0 "
        "levels pushed\")\n");
    EXPECT_FALSE(clean);
}

}  // namespace
