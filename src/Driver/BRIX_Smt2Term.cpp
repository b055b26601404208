#include "Driver/BRIX_Smt2Term.h"

#include <algorithm>
#include <unordered_set>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Op = BRIX_Smt2Op;

std::shared_ptr<BRIX_Smt2Term> Make(Op op, bool isBool, std::vector<Ptr> args = {}) {
    auto t = std::make_shared<BRIX_Smt2Term>();
    t->op = op;
    t->isBool = isBool;
    for (const Ptr& a : args) {
        t->depth = std::max(t->depth, a->depth + 1);
        if (t->unsupported == nullptr) {
            t->unsupported = a->unsupported;
        }
    }
    t->args = std::move(args);
    return t;
}

bool IsConst(const Ptr& t) {
    return t->op == Op::Const;
}

bool IsTrue(const Ptr& t) {
    return t->op == Op::True;
}

bool IsFalse(const Ptr& t) {
    return t->op == Op::False;
}

// And/Or: drops the neutral constant, stops at the absorbing one, splices
// nested nodes of the same kind.
Ptr Connective(Op op, const std::vector<Ptr>& args) {
    const Op neutral = op == Op::And ? Op::True : Op::False;
    std::vector<Ptr> kept;
    for (const Ptr& a : args) {
        if (a->op == neutral) {
            continue;
        }
        if (a->op == Op::True || a->op == Op::False) {
            return a;
        }
        if (a->op == op) {
            kept.insert(kept.end(), a->args.begin(), a->args.end());
        } else {
            kept.push_back(a);
        }
    }
    if (kept.empty()) {
        return BRIX_Smt2Bool(op == Op::And);
    }
    if (kept.size() == 1) {
        return kept[0];
    }
    return Make(op, true, std::move(kept));
}

std::size_t Bits(const mpq_class& q) {
    return mpz_sizeinbase(q.get_num_mpz_t(), 2) + mpz_sizeinbase(q.get_den_mpz_t(), 2);
}

}  // namespace

bool BRIX_Smt2Small(const mpq_class& a, const mpq_class& b) {
    return Bits(a) + Bits(b) <= BRIX_Smt2MaxConstantBits;
}

Ptr BRIX_Smt2Const(const mpq_class& value) {
    auto t = Make(Op::Const, false);
    t->value = value;
    return t;
}

Ptr BRIX_Smt2Var(int var) {
    auto t = Make(Op::Var, false);
    t->var = var;
    return t;
}

Ptr BRIX_Smt2Bool(bool value) {
    return Make(value ? Op::True : Op::False, true);
}

Ptr BRIX_Smt2Unsupported(const std::string& reason) {
    auto t = Make(Op::Unsupported, false);
    t->reason = reason;
    t->unsupported = &t->reason;
    return t;
}

namespace {

// A constant grown beyond the limit: the term is not solved.
Ptr TooLarge() {
    return BRIX_Smt2Unsupported("a constant with more than " +
                                std::to_string(BRIX_Smt2MaxConstantBits) + " bits");
}

}  // namespace

Ptr BRIX_Smt2Add(const std::vector<Ptr>& args) {
    mpq_class sum = 0;
    std::vector<Ptr> kept;
    for (const Ptr& a : args) {
        if (IsConst(a)) {
            if (!BRIX_Smt2Small(sum, a->value)) {
                return TooLarge();
            }
            sum += a->value;
        } else {
            kept.push_back(a);
        }
    }
    if (sum != 0 || kept.empty()) {
        kept.push_back(BRIX_Smt2Const(sum));
    }
    return kept.size() == 1 ? kept[0] : Make(Op::Add, false, std::move(kept));
}

Ptr BRIX_Smt2Mul(const std::vector<Ptr>& args) {
    mpq_class product = 1;
    std::vector<Ptr> kept;
    for (const Ptr& a : args) {
        if (IsConst(a)) {
            if (!BRIX_Smt2Small(product, a->value)) {
                return TooLarge();
            }
            product *= a->value;
        } else {
            kept.push_back(a);
        }
    }
    if (product == 0) {
        return BRIX_Smt2Const(0);  // 0 times any real, an unspecified quotient included
    }
    if (product != 1 || kept.empty()) {
        kept.insert(kept.begin(), BRIX_Smt2Const(product));
    }
    return kept.size() == 1 ? kept[0] : Make(Op::Mul, false, std::move(kept));
}

Ptr BRIX_Smt2Neg(const Ptr& a) {
    if (IsConst(a)) {
        return BRIX_Smt2Const(-a->value);
    }
    if (a->op == Op::Neg) {
        return a->args[0];
    }
    return Make(Op::Neg, false, {a});
}

Ptr BRIX_Smt2Ite(const Ptr& c, const Ptr& a, const Ptr& b) {
    if (IsTrue(c)) {
        return a;
    }
    if (IsFalse(c)) {
        return b;
    }
    if (a->isBool) {
        return BRIX_Smt2Or({BRIX_Smt2And({c, a}), BRIX_Smt2And({BRIX_Smt2Not(c), b})});
    }
    return Make(Op::Ite, false, {c, a, b});
}

Ptr BRIX_Smt2Not(const Ptr& a) {
    if (IsTrue(a) || IsFalse(a)) {
        return BRIX_Smt2Bool(IsFalse(a));
    }
    if (a->op == Op::Not) {
        return a->args[0];
    }
    return Make(Op::Not, true, {a});
}

Ptr BRIX_Smt2And(const std::vector<Ptr>& args) {
    return Connective(Op::And, args);
}

Ptr BRIX_Smt2Or(const std::vector<Ptr>& args) {
    return Connective(Op::Or, args);
}

Ptr BRIX_Smt2Implies(const Ptr& a, const Ptr& b) {
    if (IsTrue(a) || IsFalse(b)) {
        return BRIX_Smt2Not(IsTrue(a) ? BRIX_Smt2Not(b) : a);
    }
    if (IsFalse(a) || IsTrue(b)) {
        return BRIX_Smt2Bool(true);
    }
    return Make(Op::Implies, true, {a, b});
}

Ptr BRIX_Smt2Iff(const Ptr& a, const Ptr& b) {
    for (int side = 0; side < 2; ++side) {
        const Ptr& x = side == 0 ? a : b;
        const Ptr& y = side == 0 ? b : a;
        if (IsTrue(x)) {
            return y;
        }
        if (IsFalse(x)) {
            return BRIX_Smt2Not(y);
        }
    }
    return Make(Op::Iff, true, {a, b});
}

Ptr BRIX_Smt2Rel(Op op, const Ptr& a, const Ptr& b) {
    if (a == b) {
        return BRIX_Smt2Bool(op != Op::Lt);  // one term against itself
    }
    if (IsConst(a) && IsConst(b)) {
        const int c = cmp(a->value, b->value);
        return BRIX_Smt2Bool(op == Op::Le ? c <= 0 : op == Op::Lt ? c < 0 : c == 0);
    }
    return Make(op, true, {a, b});
}

Ptr BRIX_Smt2Quant(Op op, const std::vector<int>& bound, const Ptr& body) {
    if (IsTrue(body) || IsFalse(body)) {
        return body;
    }
    auto t = Make(op, true, {body});
    t->bound = bound;
    return t;
}

void BRIX_Smt2FreeVars(const Ptr& t, std::vector<int>& vars) {
    // Bound variables have indices of their own, so a variable is free
    // exactly when no quantifier of t binds its index.
    std::unordered_set<const BRIX_Smt2Term*> seen;
    std::vector<int> found;
    std::unordered_set<int> bound;
    std::vector<const BRIX_Smt2Term*> stack{t.get()};
    while (!stack.empty()) {
        const BRIX_Smt2Term* node = stack.back();
        stack.pop_back();
        if (!seen.insert(node).second) {
            continue;
        }
        if (node->op == Op::Var) {
            found.push_back(node->var);
        }
        bound.insert(node->bound.begin(), node->bound.end());
        for (const Ptr& a : node->args) {
            stack.push_back(a.get());
        }
    }
    for (int v : found) {
        if (bound.count(v) == 0 && std::find(vars.begin(), vars.end(), v) == vars.end()) {
            vars.push_back(v);
        }
    }
}

bool BRIX_Smt2Evaluator::Real(const Ptr& t, mpq_class& out) {
    const auto memo = reals_.find(t.get());
    if (memo != reals_.end()) {
        out = memo->second;
        return true;
    }
    mpq_class v;
    switch (t->op) {
        case Op::Const:
            v = t->value;
            break;
        case Op::Var:
            if (t->var < 0 || static_cast<std::size_t>(t->var) >= point_.size()) {
                return false;
            }
            v = point_[static_cast<std::size_t>(t->var)];
            break;
        case Op::Add:
        case Op::Mul: {
            v = t->op == Op::Add ? 0 : 1;
            mpq_class a;
            for (const Ptr& arg : t->args) {
                if (!Real(arg, a) || !BRIX_Smt2Small(v, a)) {
                    return false;
                }
                v = t->op == Op::Add ? mpq_class(v + a) : mpq_class(v * a);
            }
            break;
        }
        case Op::Neg:
            if (!Real(t->args[0], v)) {
                return false;
            }
            v = -v;
            break;
        case Op::Ite: {
            bool c = false;
            if (!Truth(t->args[0], c) || !Real(t->args[c ? 1 : 2], v)) {
                return false;
            }
            break;
        }
        default:
            return false;
    }
    out = v;
    reals_.emplace(t.get(), v);
    return true;
}

bool BRIX_Smt2Evaluator::Truth(const Ptr& t, bool& out) {
    const auto memo = truths_.find(t.get());
    if (memo != truths_.end()) {
        out = memo->second;
        return true;
    }
    bool v = false;
    switch (t->op) {
        case Op::True:
        case Op::False:
            v = t->op == Op::True;
            break;
        case Op::Not:
            if (!Truth(t->args[0], v)) {
                return false;
            }
            v = !v;
            break;
        case Op::And:
        case Op::Or:
            v = t->op == Op::And;
            for (const Ptr& arg : t->args) {
                bool a = false;
                if (!Truth(arg, a)) {
                    return false;
                }
                v = t->op == Op::And ? (v && a) : (v || a);
            }
            break;
        case Op::Implies:
        case Op::Iff: {
            bool a = false;
            bool b = false;
            if (!Truth(t->args[0], a) || !Truth(t->args[1], b)) {
                return false;
            }
            v = t->op == Op::Implies ? (!a || b) : a == b;
            break;
        }
        case Op::Le:
        case Op::Lt:
        case Op::Eq: {
            mpq_class a;
            mpq_class b;
            if (!Real(t->args[0], a) || !Real(t->args[1], b)) {
                return false;
            }
            const int c = cmp(a, b);
            v = t->op == Op::Le ? c <= 0 : t->op == Op::Lt ? c < 0 : c == 0;
            break;
        }
        default:
            return false;
    }
    out = v;
    truths_.emplace(t.get(), v);
    return true;
}

std::string BRIX_Smt2RationalText(const mpq_class& q) {
    const mpz_class num = abs(q.get_num());
    std::string text = num.get_str();
    if (q.get_den() != 1) {
        text = "(/ " + text + " " + q.get_den().get_str() + ")";
    }
    return sgn(q) < 0 ? "(- " + text + ")" : text;
}
