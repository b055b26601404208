#include "Driver/BRIX_Smt2Translate.h"

#include <cfloat>
#include <cmath>
#include <unordered_set>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Op = BRIX_Smt2Op;

void Tighten(BRIX_Smt2Bound& side, const mpq_class& value, bool strict, bool isLower) {
    if (!side.present) {
        side.present = true;
        side.value = value;
        side.strict = strict;
        return;
    }
    const int c = cmp(value, side.value);
    if (isLower ? c > 0 : c < 0) {
        side.value = value;
        side.strict = strict;
    } else if (c == 0) {
        side.strict = side.strict || strict;
    }
}

// x op c (varLeft) or c op x: the side(s) of x's range the relation bounds.
void Relation(Op op, const Ptr& a, const Ptr& b, std::map<int, BRIX_Smt2Range>& ranges) {
    const bool varLeft = a->op == Op::Var && b->op == Op::Const;
    if (!varLeft && !(b->op == Op::Var && a->op == Op::Const)) {
        return;
    }
    const Ptr& x = varLeft ? a : b;
    const mpq_class& c = varLeft ? b->value : a->value;
    BRIX_Smt2Range& range = ranges[x->var];
    const bool strict = op == Op::Lt;
    if (op == Op::Eq || varLeft) {
        Tighten(range.hi, c, strict, false);
    }
    if (op == Op::Eq || !varLeft) {
        Tighten(range.lo, c, strict, true);
    }
}

// The bounds of the conjuncts of t into `ranges`; relations between two
// variables into `links`.
void Collect(const Ptr& t, std::map<int, BRIX_Smt2Range>& ranges, std::vector<Ptr>& links) {
    if (t->op == Op::And) {
        for (const Ptr& a : t->args) {
            Collect(a, ranges, links);
        }
        return;
    }
    Ptr r = t;
    if (t->op == Op::Not && (t->args[0]->op == Op::Le || t->args[0]->op == Op::Lt)) {
        // not (a <= b) is b < a; not (a < b) is b <= a.
        const Ptr& n = t->args[0];
        r = BRIX_Smt2Rel(n->op == Op::Le ? Op::Lt : Op::Le, n->args[1], n->args[0]);
    }
    if (r->op != Op::Le && r->op != Op::Lt && r->op != Op::Eq) {
        return;
    }
    if (r->args[0]->op == Op::Var && r->args[1]->op == Op::Var) {
        links.push_back(r);
    } else {
        Relation(r->op, r->args[0], r->args[1], ranges);
    }
}

// The first ite among the real subterms of t, or null.
const BRIX_Smt2Term* FindIte(const Ptr& t, std::unordered_set<const BRIX_Smt2Term*>& seen) {
    if (t->isBool || !seen.insert(t.get()).second) {
        return nullptr;
    }
    if (t->op == Op::Ite) {
        return t.get();
    }
    for (const Ptr& a : t->args) {
        if (const BRIX_Smt2Term* found = FindIte(a, seen)) {
            return found;
        }
    }
    return nullptr;
}

// The real term t with the node `target` replaced by `by`.
Ptr Replace(const Ptr& t, const BRIX_Smt2Term* target, const Ptr& by,
            std::unordered_map<const BRIX_Smt2Term*, Ptr>& memo) {
    if (t.get() == target) {
        return by;
    }
    if (t->isBool || t->args.empty()) {
        return t;
    }
    const auto found = memo.find(t.get());
    if (found != memo.end()) {
        return found->second;
    }
    std::vector<Ptr> args;
    for (const Ptr& a : t->args) {
        args.push_back(Replace(a, target, by, memo));
    }
    Ptr r;
    switch (t->op) {
        case Op::Add:
            r = BRIX_Smt2Add(args);
            break;
        case Op::Mul:
            r = BRIX_Smt2Mul(args);
            break;
        case Op::Neg:
            r = BRIX_Smt2Neg(args[0]);
            break;
        default:  // Ite: its condition is Bool and kept
            r = BRIX_Smt2Ite(args[0], args[1], args[2]);
            break;
    }
    memo.emplace(t.get(), r);
    return r;
}

}  // namespace

bool BRIX_Smt2Range::Empty() const {
    if (!Finite()) {
        return false;
    }
    const int c = cmp(lo.value, hi.value);
    return c > 0 || (c == 0 && (lo.strict || hi.strict));
}

void BRIX_Smt2CollectBounds(const Ptr& t, std::map<int, BRIX_Smt2Range>& ranges) {
    std::vector<Ptr> links;
    Collect(t, ranges, links);
    // x <= y passes y's upper bound to x and x's lower bound to y; as many
    // rounds as there are links reach every chain's end.
    for (std::size_t round = 0; round < links.size(); ++round) {
        for (const Ptr& link : links) {
            for (int way = 0; way < (link->op == Op::Eq ? 2 : 1); ++way) {
                const BRIX_Smt2Term& a = *link->args[way == 0 ? 0 : 1];
                const BRIX_Smt2Term& b = *link->args[way == 0 ? 1 : 0];
                const bool strict = link->op == Op::Lt;
                const BRIX_Smt2Range& lower = ranges[a.var];
                const BRIX_Smt2Range upper = ranges[b.var];
                if (upper.hi.present) {
                    Tighten(ranges[a.var].hi, upper.hi.value, strict || upper.hi.strict, false);
                }
                if (lower.lo.present) {
                    const BRIX_Smt2Bound lo = lower.lo;
                    Tighten(ranges[b.var].lo, lo.value, strict || lo.strict, true);
                }
            }
        }
    }
}

bool BRIX_Smt2Enclose(const mpq_class& q, double& lo, double& hi) {
    const double d = q.get_d();  // truncated toward zero
    if (!std::isfinite(d) || std::fabs(d) > DBL_MAX) {
        return false;
    }
    const int c = cmp(mpq_class(d), q);
    lo = c <= 0 ? d : std::nextafter(d, -INFINITY);
    hi = c >= 0 ? d : std::nextafter(d, INFINITY);
    return std::isfinite(lo) && std::isfinite(hi);
}

std::string BRIX_Smt2IntervalText(double lo, double hi) {
    return "[" + BRIX_Smt2DoubleText(lo) + ", " + BRIX_Smt2DoubleText(hi) + "]";
}

std::string BRIX_Smt2DoubleText(double d) {
    const mpq_class q(d);
    const mpz_class num = abs(q.get_num());
    std::string text = num.get_str();
    if (q.get_den() != 1) {
        // d = num / 2^k = num * 5^k / 10^k.
        const std::size_t k = mpz_sizeinbase(q.get_den().get_mpz_t(), 2) - 1;
        mpz_class five;
        mpz_ui_pow_ui(five.get_mpz_t(), 5, k);
        text = mpz_class(num * five).get_str();
        if (text.size() <= k) {
            text.insert(0, k + 1 - text.size(), '0');
        }
        text.insert(text.size() - k, ".");
    }
    return sgn(q) < 0 ? "-" + text : text;
}

std::string BRIX_Smt2VarName(int var) {
    return "v" + std::to_string(var);
}

bool BRIX_Smt2Translator::Fail(const std::string& reason) {
    if (reason_.empty()) {
        reason_ = reason;
    }
    return false;
}

bool BRIX_Smt2Translator::TooLong() {
    return Fail("the translated formula is longer than " + std::to_string(limit_) + " characters");
}

bool BRIX_Smt2Translator::Translate(const Ptr& t, std::string& out, std::string& reason) {
    out.clear();
    reason_.clear();
    if (!Bool(t, out)) {
        reason = reason_;
        return false;
    }
    return true;
}

bool BRIX_Smt2Translator::Constant(const mpq_class& q, std::string& out) {
    double lo = 0;
    double hi = 0;
    if (!BRIX_Smt2Enclose(q, lo, hi)) {
        return Fail("the constant " + BRIX_Smt2RationalText(q) + " is beyond the doubles");
    }
    out += lo == hi ? "(" + BRIX_Smt2DoubleText(lo) + ")"
                    : BRIX_Smt2IntervalText(lo, hi);
    return true;
}

bool BRIX_Smt2Translator::Join(const Ptr& t, const char* separator, bool isBool, std::string& out) {
    out += "(";
    for (std::size_t i = 0; i < t->args.size(); ++i) {
        out += i == 0 ? "" : separator;
        if (!(isBool ? Bool(t->args[i], out) : Real(t->args[i], out))) {
            return false;
        }
    }
    out += ")";
    return true;
}

bool BRIX_Smt2Translator::Real(const Ptr& t, std::string& out) {
    if (out.size() > limit_) {
        return TooLong();
    }
    switch (t->op) {
        case Op::Const:
            return Constant(t->value, out);
        case Op::Var:
            out += BRIX_Smt2VarName(t->var);
            return true;
        case Op::Add:
            return Join(t, " + ", false, out);
        case Op::Neg:
            out += "(-";
            if (!Real(t->args[0], out)) {
                return false;
            }
            out += ")";
            return true;
        case Op::Mul: {
            // Repeated variables become powers: x^2 is never negative where
            // x*x on an interval around 0 would be.
            std::map<int, int> powers;
            std::vector<Ptr> others;
            for (const Ptr& a : t->args) {
                if (a->op == Op::Var) {
                    ++powers[a->var];
                } else {
                    others.push_back(a);
                }
            }
            out += "(";
            const char* separator = "";
            for (const auto& [var, power] : powers) {
                out += separator + BRIX_Smt2VarName(var);
                out += power > 1 ? "^" + std::to_string(power) : "";
                separator = " * ";
            }
            for (const Ptr& a : others) {
                out += separator;
                separator = " * ";
                if (!Real(a, out)) {
                    return false;
                }
            }
            out += ")";
            return true;
        }
        case Op::Unsupported:
            return Fail(t->reason);
        default:
            return Fail("internal: unexpected term in a real position");
    }
}

bool BRIX_Smt2Translator::Atom(const Ptr& t, std::string& out) {
    std::unordered_set<const BRIX_Smt2Term*> seen;
    const BRIX_Smt2Term* ite = FindIte(t->args[0], seen);
    if (ite == nullptr) {
        ite = FindIte(t->args[1], seen);
    }
    if (ite != nullptr) {
        // atom[ite(c, a, b)] is (c and atom[a]) or (not c and atom[b]).
        Ptr cases[2];
        for (int i = 0; i < 2; ++i) {
            std::unordered_map<const BRIX_Smt2Term*, Ptr> memo;
            const Ptr& by = ite->args[static_cast<std::size_t>(i + 1)];
            cases[i] = BRIX_Smt2Rel(t->op, Replace(t->args[0], ite, by, memo),
                                    Replace(t->args[1], ite, by, memo));
        }
        const Ptr& c = ite->args[0];
        return Bool(
            BRIX_Smt2Or({BRIX_Smt2And({c, cases[0]}), BRIX_Smt2And({BRIX_Smt2Not(c), cases[1]})}),
            out);
    }
    out += "(";
    if (!Real(t->args[0], out)) {
        return false;
    }
    out += t->op == Op::Le ? " <= " : t->op == Op::Lt ? " < " : " = ";
    if (!Real(t->args[1], out)) {
        return false;
    }
    out += ")";
    return true;
}

bool BRIX_Smt2Translator::Quantifier(const Ptr& t, std::string& out) {
    const bool forall = t->op == Op::Forall;
    const Ptr& body = t->args[0];
    std::map<int, BRIX_Smt2Range> ranges;
    // forall: (=> guard G); exists: (and guard... G). The guard stays in the
    // body, so the box only has to contain the values the guard allows.
    if (forall && (body->op == Op::Implies || body->op == Op::Not)) {
        // (=> guard false) folds to (not guard).
        BRIX_Smt2CollectBounds(body->args[0], ranges);
    } else if (!forall) {
        BRIX_Smt2CollectBounds(body, ranges);
    }
    std::string names;
    std::string box;
    for (int var : t->bound) {
        const BRIX_Smt2Range& range = ranges[var];
        if (!range.Finite()) {
            return Fail("quantified variable '" + names_[static_cast<std::size_t>(var)] +
                        "' has no finite bounds in the guard of its " +
                        (forall ? "forall (=> (and BOUNDS) BODY)" : "exists (and BOUNDS BODY)"));
        }
        if (range.Empty()) {
            // No value passes the guard.
            out += forall ? "(0 <= 1)" : "(1 <= 0)";
            return true;
        }
        double lo = 0;
        double hi = 0;
        double ignored = 0;
        if (!BRIX_Smt2Enclose(range.lo.value, lo, ignored) ||
            !BRIX_Smt2Enclose(range.hi.value, ignored, hi)) {
            return Fail("a bound of quantified variable '" + names_[static_cast<std::size_t>(var)] +
                        "' is beyond the doubles");
        }
        names += (names.empty() ? "" : ", ") + BRIX_Smt2VarName(var);
        box += (box.empty() ? "" : ", ") + BRIX_Smt2IntervalText(lo, hi);
    }
    out += std::string(forall ? "FORALL([" : "EXISTS([") + names + "], [" + box + "], ";
    if (!Bool(body, out)) {
        return false;
    }
    out += ")";
    return true;
}

bool BRIX_Smt2Translator::Bool(const Ptr& t, std::string& out) {
    if (out.size() > limit_) {
        return TooLong();
    }
    switch (t->op) {
        case Op::True:
        case Op::False:
            out += t->op == Op::True ? "(0 <= 1)" : "(1 <= 0)";
            return true;
        case Op::Le:
        case Op::Lt:
        case Op::Eq:
            return Atom(t, out);
        case Op::Not:
            out += "~";
            return Join(t, "", true, out);
        case Op::And:
            return Join(t, " /\\ ", true, out);
        case Op::Or:
            return Join(t, " \\/ ", true, out);
        case Op::Implies:
            return Join(t, " ==> ", true, out);
        case Op::Iff: {
            const Ptr& a = t->args[0];
            const Ptr& b = t->args[1];
            return Bool(BRIX_Smt2Or({BRIX_Smt2And({a, b}),
                                     BRIX_Smt2And({BRIX_Smt2Not(a), BRIX_Smt2Not(b)})}),
                        out);
        }
        case Op::Forall:
        case Op::Exists:
            return Quantifier(t, out);
        default:
            return Fail("internal: unexpected term in a Bool position");
    }
}
