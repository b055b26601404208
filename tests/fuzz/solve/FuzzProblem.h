// A problem of the solve fuzzer: the constraint as a small tree of the input
// language's forms, its free variables, the box B as exact decimal texts and
// the options of the call; and the text of each for brix::Solve.
#ifndef BRIX_TESTS_FUZZ_SOLVE_FUZZPROBLEM_H
#define BRIX_TESTS_FUZZ_SOLVE_FUZZPROBLEM_H

#include "Driver/BRIX_Solve.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvefuzz {

// The forms of the tree. Polynomial forms: Number (a non-negative numeral),
// Interval (a literal [lo, hi] of signed numerals), Name, Add and Sub (a + b,
// a - b), Mul (a*b), Juxt (a b), Div (a/b, between constants only), Neg (-a),
// Pow (a^n). Constraint forms: Rel (a REL b), Not, And, Or, Implies, Forall,
// Exists.
enum class Op {
    Number,
    Interval,
    Name,
    Add,
    Sub,
    Mul,
    Juxt,
    Div,
    Neg,
    Pow,
    Rel,
    Not,
    And,
    Or,
    Implies,
    Forall,
    Exists
};

// One component of a box, [lo, hi], as decimal texts with an optional sign.
struct Bound {
    std::string lo, hi;
};

struct Node {
    Op op = Op::Number;
    // Number: the numeral; Interval: its lower bound; Name: the name; Pow: the
    // exponent's digits; Rel: the relation (< <= > >= = !=).
    std::string text;
    // Interval: the upper bound.
    std::string text2;
    // Not, And, Or, Implies written as calls: not(A), and(A, B, ...), ...
    bool call = false;
    // Operands in order; a quantifier's only operand is its body.
    std::vector<Node> kids;
    // Forall, Exists: the bound names and their box.
    std::vector<std::string> names;
    std::vector<Bound> box;
};

Node Leaf(Op op, std::string text);
Node Unary(Op op, Node a);
Node Binary(Op op, Node a, Node b);
Node Relation(const std::string& rel, Node a, Node b);

// The node as text of the input language, with the parentheses its
// operators need and no others: print, parse and print again gives the
// same text.
std::string Print(const Node& node);

// True for the forms that stand for a constraint, false for polynomial ones.
bool IsConstraintForm(Op op);

// Whether node is a constraint whose operands have the right forms (no
// relation between constraints, no connective of polynomials, a quantifier
// box of the dimension of its names); error says what is wrong otherwise.
bool WellTyped(const Node& node, std::string& error);

// A tuning flag (-f INDEX VALUE, value 0 or 1) or parameter (-p INDEX VALUE)
// of the solver, set for the call and put back after it.
struct Setting {
    bool flag;
    int index;
    double value;
};

struct Problem {
    // The seed the generator made it from (0 for a hand-written case).
    std::uint64_t seed = 0;
    // The constraint given to brix::Solve, and the tree it reads as.
    std::string text;
    Node constraint;
    std::vector<std::string> variables;
    std::vector<Bound> box;
    brix::SolveOptions options;
    std::vector<Setting> tuning;
};

// B as brix::Solve takes it: every bound the double nearest its decimal.
brix::BoxBounds DoubleBox(const std::vector<Bound>& box);

// The double nearest a decimal text (read in round-to-nearest whatever mode
// is set).
double NearestDouble(const std::string& decimal);

// "[[0, 1], [-1, 0.5]]" and "[x, y]", as the dialogue writes B and V.
std::string BoxText(const std::vector<Bound>& box);
std::string NamesText(const std::vector<std::string>& names);

}  // namespace solvefuzz

#endif
