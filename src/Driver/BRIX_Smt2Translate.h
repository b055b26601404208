// From terms to BRIX constraint text: constants enclosed by doubles computed
// exactly, ite on reals split into cases, quantifiers given the box their
// guard implies (the guard stays in the body, so nothing is lost), and the
// bounds a conjunction implies for its variables.
#ifndef BRIX_DRIVER_BRIX_SMT2TRANSLATE_H
#define BRIX_DRIVER_BRIX_SMT2TRANSLATE_H

#include "Driver/BRIX_Smt2Term.h"

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// One side of a variable's range: value, and whether it is excluded.
struct BRIX_Smt2Bound {
    bool present = false;
    mpq_class value;
    bool strict = false;
};

struct BRIX_Smt2Range {
    BRIX_Smt2Bound lo;
    BRIX_Smt2Bound hi;
    bool Finite() const { return lo.present && hi.present; }
    // No real satisfies both sides.
    bool Empty() const;
};

// Tightens `ranges` by every conjunct of t (nested ands flattened) of the
// forms x <= c, c <= x, x < c, c < x, x = c, c = x and not(x <= c), not(x < c)
// and their mirrors, c a constant, x a variable.
void BRIX_Smt2CollectBounds(const BRIX_Smt2TermPtr& t, std::map<int, BRIX_Smt2Range>& ranges);

// The largest double <= q and the smallest double >= q (equal when q is a
// double). False when q is beyond the largest finite double.
bool BRIX_Smt2Enclose(const mpq_class& q, double& lo, double& hi);

// The exact decimal text of a finite double (as the BRIX reader reads it back
// to that very double).
std::string BRIX_Smt2DoubleText(double d);
// "[lo, hi]" with both bounds as BRIX_Smt2DoubleText writes them.
std::string BRIX_Smt2IntervalText(double lo, double hi);

// The name a variable index has in BRIX text.
std::string BRIX_Smt2VarName(int var);

class BRIX_Smt2Translator {
public:
    // Borrows `names` (the variables by index, for the reasons given). Text
    // longer than `limit` characters is refused.
    BRIX_Smt2Translator(const std::vector<std::string>& names, std::size_t limit)
        : names_(names), limit_(limit) {}

    // The BRIX constraint equivalent to the Bool term t; false with `reason`
    // when t cannot be translated (a quantified variable without finite
    // bounds in its guard, an unsupported term, a text beyond the limit).
    bool Translate(const BRIX_Smt2TermPtr& t, std::string& out, std::string& reason);

private:
    bool Bool(const BRIX_Smt2TermPtr& t, std::string& out);
    bool Real(const BRIX_Smt2TermPtr& t, std::string& out);
    bool Atom(const BRIX_Smt2TermPtr& t, std::string& out);
    bool Quantifier(const BRIX_Smt2TermPtr& t, std::string& out);
    bool Constant(const mpq_class& q, std::string& out);
    bool Join(const BRIX_Smt2TermPtr& t, const char* separator, bool isBool, std::string& out);
    bool Fail(const std::string& reason);
    // Fail: the text outgrew the limit.
    bool TooLong();

    const std::vector<std::string>& names_;
    std::size_t limit_;
    std::string reason_;
};

#endif
