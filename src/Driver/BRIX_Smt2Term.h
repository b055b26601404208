// Terms of an SMT-LIB 2 script after elaboration: real polynomials with exact
// rational constants, relations, connectives and bounded quantifiers, shared
// as a graph (a let binding used twice is one node). The constructors fold
// constants exactly, so a constant expression is one rational.
#ifndef BRIX_DRIVER_BRIX_SMT2TERM_H
#define BRIX_DRIVER_BRIX_SMT2TERM_H

#include <gmpxx.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum class BRIX_Smt2Op {
    // Real terms.
    Const,
    Var,
    Add,
    Mul,
    Neg,
    Ite,
    Unsupported,
    // Bool terms (Ite too when its branches are Bool).
    True,
    False,
    Not,
    And,
    Or,
    Implies,
    Iff,
    Le,
    Lt,
    Eq,
    Forall,
    Exists
};

struct BRIX_Smt2Term;
using BRIX_Smt2TermPtr = std::shared_ptr<const BRIX_Smt2Term>;

struct BRIX_Smt2Term {
    BRIX_Smt2Op op = BRIX_Smt2Op::True;
    bool isBool = true;
    mpq_class value;                     // Const
    int var = -1;                        // Var: index in the script's variable table
    std::vector<int> bound;              // Forall, Exists: the variables bound
    std::vector<BRIX_Smt2TermPtr> args;  // Ite: condition, then, else; Le/Lt/Eq: left, right
    std::string reason;                  // Unsupported: why the term cannot be solved
    int depth = 1;                       // longest path to a leaf
    // The reason of an Unsupported node below (or at) this one; null if none.
    const std::string* unsupported = nullptr;
};

// Terms deeper than this are refused by the elaboration, so the recursive
// walks over terms stay within the stack.
constexpr int BRIX_Smt2MaxTermDepth = 1000;

// Constants whose numerator and denominator together take more bits than this
// are not computed (a let chain of squares would double the size each time):
// folding leaves such a product or sum unsupported, evaluation fails.
constexpr std::size_t BRIX_Smt2MaxConstantBits = 1 << 16;

// True when a op b, op + or *, stays within BRIX_Smt2MaxConstantBits.
bool BRIX_Smt2Small(const mpq_class& a, const mpq_class& b);

// Constructors. They fold: constant arithmetic to one constant, relations
// between constants to True/False, True/False inside connectives away.
BRIX_Smt2TermPtr BRIX_Smt2Const(const mpq_class& value);
BRIX_Smt2TermPtr BRIX_Smt2Var(int var);
BRIX_Smt2TermPtr BRIX_Smt2Bool(bool value);
BRIX_Smt2TermPtr BRIX_Smt2Unsupported(const std::string& reason);
BRIX_Smt2TermPtr BRIX_Smt2Add(const std::vector<BRIX_Smt2TermPtr>& args);
BRIX_Smt2TermPtr BRIX_Smt2Mul(const std::vector<BRIX_Smt2TermPtr>& args);
BRIX_Smt2TermPtr BRIX_Smt2Neg(const BRIX_Smt2TermPtr& a);
BRIX_Smt2TermPtr BRIX_Smt2Ite(const BRIX_Smt2TermPtr& c, const BRIX_Smt2TermPtr& a,
                              const BRIX_Smt2TermPtr& b);
BRIX_Smt2TermPtr BRIX_Smt2Not(const BRIX_Smt2TermPtr& a);
BRIX_Smt2TermPtr BRIX_Smt2And(const std::vector<BRIX_Smt2TermPtr>& args);
BRIX_Smt2TermPtr BRIX_Smt2Or(const std::vector<BRIX_Smt2TermPtr>& args);
BRIX_Smt2TermPtr BRIX_Smt2Implies(const BRIX_Smt2TermPtr& a, const BRIX_Smt2TermPtr& b);
BRIX_Smt2TermPtr BRIX_Smt2Iff(const BRIX_Smt2TermPtr& a, const BRIX_Smt2TermPtr& b);
// op is Le, Lt or Eq.
BRIX_Smt2TermPtr BRIX_Smt2Rel(BRIX_Smt2Op op, const BRIX_Smt2TermPtr& a, const BRIX_Smt2TermPtr& b);
// op is Forall or Exists.
BRIX_Smt2TermPtr BRIX_Smt2Quant(BRIX_Smt2Op op, const std::vector<int>& bound,
                                const BRIX_Smt2TermPtr& body);

// Adds to `vars` (no repeats) the variables of t that no quantifier of t binds.
void BRIX_Smt2FreeVars(const BRIX_Smt2TermPtr& t, std::vector<int>& vars);

// Exact evaluation of a quantifier-free term at a point (one rational per
// variable index). False when the term has a quantifier or an unsupported
// part, or a variable the point does not cover.
class BRIX_Smt2Evaluator {
public:
    explicit BRIX_Smt2Evaluator(const std::vector<mpq_class>& point) : point_(point) {}
    bool Real(const BRIX_Smt2TermPtr& t, mpq_class& out);
    bool Truth(const BRIX_Smt2TermPtr& t, bool& out);

private:
    const std::vector<mpq_class>& point_;
    std::unordered_map<const BRIX_Smt2Term*, mpq_class> reals_;
    std::unordered_map<const BRIX_Smt2Term*, bool> truths_;
};

// The SMT-LIB text of a rational: 3, (- 3), (/ 1 4), (- (/ 1 4)).
std::string BRIX_Smt2RationalText(const mpq_class& q);

#endif
