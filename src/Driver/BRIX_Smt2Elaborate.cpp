#include "Driver/BRIX_Smt2Elaborate.h"

#include <cstddef>

namespace {

using Ptr = BRIX_Smt2TermPtr;
using Kind = BRIX_Smt2SExpr::Kind;
using Op = BRIX_Smt2Op;

bool AllOfSort(const std::vector<Ptr>& args, bool isBool) {
    for (const Ptr& a : args) {
        if (a->isBool != isBool) {
            return false;
        }
    }
    return true;
}

// distinct of n terms is n (n - 1) / 2 disequations.
constexpr std::size_t kMostDistinct = 300;

const char* SortName(bool isBool) {
    return isBool ? "Bool" : "Real";
}

// A chain (op a b c ...) as the conjunction of (op a b), (op b c), ...
template <typename Pair>
Ptr Chain(const std::vector<Ptr>& args, Pair pair) {
    std::vector<Ptr> links;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        links.push_back(pair(args[i], args[i + 1]));
    }
    return BRIX_Smt2And(links);
}

}  // namespace

mpq_class BRIX_Smt2Elaborator::Number(const std::string& text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) {
        return mpq_class(mpz_class(text, 10));
    }
    const std::string fraction = text.substr(dot + 1);
    mpz_class scale;
    mpz_ui_pow_ui(scale.get_mpz_t(), 10, fraction.size());
    mpq_class value(mpz_class(text.substr(0, dot) + fraction, 10), scale);
    value.canonicalize();
    return value;
}

Ptr BRIX_Smt2Elaborator::Term(const BRIX_Smt2SExpr& e, std::string& error) {
    Ptr t = e.kind == Kind::List ? Apply(e, error) : Atom(e, error);
    if (t != nullptr && t->depth > BRIX_Smt2MaxTermDepth) {
        error = "term nested too deeply (more than " + std::to_string(BRIX_Smt2MaxTermDepth) +
                " levels after expansion)";
        return nullptr;
    }
    return t;
}

Ptr BRIX_Smt2Elaborator::Atom(const BRIX_Smt2SExpr& e, std::string& error) {
    switch (e.kind) {
        case Kind::Numeral:
        case Kind::Decimal:
            return BRIX_Smt2Const(Number(e.text));
        case Kind::Symbol: {
            for (auto it = locals_.rbegin(); it != locals_.rend(); ++it) {
                if (it->first == e.text) {
                    return it->second;
                }
            }
            const auto macro = symbols_.macros.find(e.text);
            if (macro != symbols_.macros.end()) {
                return macro->second;
            }
            const auto constant = symbols_.constants.find(e.text);
            if (constant != symbols_.constants.end()) {
                return BRIX_Smt2Var(constant->second);
            }
            if (e.text == "true" || e.text == "false") {
                return BRIX_Smt2Bool(e.text == "true");
            }
            error = "unknown symbol '" + e.text + "'";
            return nullptr;
        }
        case Kind::Other:
            error = "'" + e.text + "' is a bit-vector literal, not a real";
            return nullptr;
        default:
            error = "'" + e.text + "' is not a term";
            return nullptr;
    }
}

Ptr BRIX_Smt2Elaborator::Apply(const BRIX_Smt2SExpr& e, std::string& error) {
    if (e.items.empty()) {
        error = "empty application ()";
        return nullptr;
    }
    const BRIX_Smt2SExpr& head = e.items[0];
    if (head.kind != Kind::Symbol) {
        error = "an application must start with a function symbol";
        return nullptr;
    }
    if (head.text == "let") {
        return Let(e, error);
    }
    if (head.text == "forall" || head.text == "exists") {
        return Quantifier(e, error);
    }
    if (head.text == "!") {
        // Annotations (:named, :pattern) do not change the term.
        if (e.items.size() < 2) {
            error = "'!' needs a term";
            return nullptr;
        }
        return Term(e.items[1], error);
    }
    std::vector<Ptr> args;
    for (std::size_t i = 1; i < e.items.size(); ++i) {
        Ptr a = Term(e.items[i], error);
        if (a == nullptr) {
            return nullptr;
        }
        args.push_back(std::move(a));
    }
    return Operator(head.text, args, error);
}

Ptr BRIX_Smt2Elaborator::Let(const BRIX_Smt2SExpr& e, std::string& error) {
    if (e.items.size() != 3 || e.items[1].kind != Kind::List || e.items[1].items.empty()) {
        error = "let needs a non-empty list of bindings and a body";
        return nullptr;
    }
    // Parallel bindings: every bound term is read in the outer scope.
    std::vector<std::pair<std::string, Ptr>> bindings;
    for (const BRIX_Smt2SExpr& b : e.items[1].items) {
        if (b.kind != Kind::List || b.items.size() != 2 || b.items[0].kind != Kind::Symbol) {
            error = "a let binding is (SYMBOL TERM)";
            return nullptr;
        }
        Ptr value = Term(b.items[1], error);
        if (value == nullptr) {
            return nullptr;
        }
        bindings.emplace_back(b.items[0].text, std::move(value));
    }
    const std::size_t mark = locals_.size();
    locals_.insert(locals_.end(), bindings.begin(), bindings.end());
    Ptr body = Term(e.items[2], error);
    locals_.resize(mark);
    return body;
}

Ptr BRIX_Smt2Elaborator::Quantifier(const BRIX_Smt2SExpr& e, std::string& error) {
    const std::string& name = e.items[0].text;
    if (e.items.size() != 3 || e.items[1].kind != Kind::List || e.items[1].items.empty()) {
        error = name + " needs a non-empty list of sorted variables and a body";
        return nullptr;
    }
    const std::size_t mark = locals_.size();
    std::vector<int> bound;
    for (const BRIX_Smt2SExpr& v : e.items[1].items) {
        if (v.kind != Kind::List || v.items.size() != 2 || v.items[0].kind != Kind::Symbol) {
            error = "a sorted variable is (SYMBOL SORT)";
            locals_.resize(mark);
            return nullptr;
        }
        if (!v.items[1].IsSymbol("Real")) {
            error = "quantified variable '" + v.items[0].text + "' must be of sort Real";
            locals_.resize(mark);
            return nullptr;
        }
        const int index = static_cast<int>(symbols_.varNames.size());
        symbols_.varNames.push_back(v.items[0].text);
        bound.push_back(index);
        locals_.emplace_back(v.items[0].text, BRIX_Smt2Var(index));
    }
    Ptr body = Term(e.items[2], error);
    locals_.resize(mark);
    if (body == nullptr) {
        return nullptr;
    }
    if (!body->isBool) {
        error = "the body of " + name + " must be Bool";
        return nullptr;
    }
    return BRIX_Smt2Quant(name == "forall" ? Op::Forall : Op::Exists, bound, body);
}

Ptr BRIX_Smt2Elaborator::Division(const std::vector<Ptr>& args) {
    Ptr quotient = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i]->op != Op::Const) {
            return BRIX_Smt2Unsupported("division by a term that is not constant");
        }
        if (args[i]->value == 0) {
            return BRIX_Smt2Unsupported("division by zero");
        }
        const mpq_class inverse = 1 / args[i]->value;
        quotient = BRIX_Smt2Mul({quotient, BRIX_Smt2Const(inverse)});
    }
    return quotient;
}

Ptr BRIX_Smt2Elaborator::Operator(const std::string& name, const std::vector<Ptr>& args,
                                  std::string& error) {
    const std::size_t n = args.size();
    auto arity = [&](std::size_t least, std::size_t most) {
        if (n < least || n > most) {
            error = "wrong number of arguments for '" + name + "'";
            return false;
        }
        return true;
    };
    auto sorted = [&](bool isBool) {
        if (!AllOfSort(args, isBool)) {
            error = "'" + name + "' expects " + SortName(isBool) + " arguments";
            return false;
        }
        return true;
    };
    const std::size_t any = static_cast<std::size_t>(-1);
    if (name == "+" || name == "*" || name == "-" || name == "/") {
        if (!arity(name == "-" ? 1 : 2, any) || !sorted(false)) {
            return nullptr;
        }
        if (name == "+") {
            return BRIX_Smt2Add(args);
        }
        if (name == "*") {
            return BRIX_Smt2Mul(args);
        }
        if (name == "/") {
            return Division(args);
        }
        if (n == 1) {
            return BRIX_Smt2Neg(args[0]);
        }
        std::vector<Ptr> terms{args[0]};
        for (std::size_t i = 1; i < n; ++i) {
            terms.push_back(BRIX_Smt2Neg(args[i]));
        }
        return BRIX_Smt2Add(terms);
    }
    if (name == "<=" || name == "<" || name == ">=" || name == ">") {
        if (!arity(2, any) || !sorted(false)) {
            return nullptr;
        }
        const Op op = name.size() == 2 ? Op::Le : Op::Lt;
        const bool flip = name[0] == '>';
        return Chain(args, [&](const Ptr& a, const Ptr& b) {
            return flip ? BRIX_Smt2Rel(op, b, a) : BRIX_Smt2Rel(op, a, b);
        });
    }
    if (name == "=" || name == "distinct") {
        if (!arity(2, any)) {
            return nullptr;
        }
        const bool isBool = args[0]->isBool;
        if (!sorted(isBool)) {
            return nullptr;
        }
        auto equal = [&](const Ptr& a, const Ptr& b) {
            return isBool ? BRIX_Smt2Iff(a, b) : BRIX_Smt2Rel(Op::Eq, a, b);
        };
        if (name == "=") {
            return Chain(args, equal);
        }
        if (n > kMostDistinct) {
            error = "distinct with more than " + std::to_string(kMostDistinct) +
                    " arguments (it would take a pair of each)";
            return nullptr;
        }
        if (isBool && n > 2) {
            return BRIX_Smt2Bool(false);  // three truth values are never pairwise distinct
        }
        std::vector<Ptr> pairs;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = i + 1; j < n; ++j) {
                pairs.push_back(BRIX_Smt2Not(equal(args[i], args[j])));
            }
        }
        return BRIX_Smt2And(pairs);
    }
    if (name == "not" || name == "and" || name == "or" || name == "=>" || name == "xor") {
        const bool unary = name == "not";
        if (!arity(unary                           ? 1
                   : name == "=>" || name == "xor" ? 2
                                                   : 1,
                   unary ? 1 : any) ||
            !sorted(true)) {
            return nullptr;
        }
        if (unary) {
            return BRIX_Smt2Not(args[0]);
        }
        if (name == "and" || name == "or") {
            return name == "and" ? BRIX_Smt2And(args) : BRIX_Smt2Or(args);
        }
        if (name == "=>") {
            Ptr t = args[n - 1];
            for (std::size_t i = n - 1; i-- > 0;) {
                t = BRIX_Smt2Implies(args[i], t);
            }
            return t;
        }
        Ptr t = args[0];
        for (std::size_t i = 1; i < n; ++i) {
            t = BRIX_Smt2Not(BRIX_Smt2Iff(t, args[i]));
        }
        return t;
    }
    if (name == "ite") {
        if (!arity(3, 3)) {
            return nullptr;
        }
        if (!args[0]->isBool || args[1]->isBool != args[2]->isBool) {
            error = "ite needs a Bool condition and two branches of one sort";
            return nullptr;
        }
        return BRIX_Smt2Ite(args[0], args[1], args[2]);
    }
    if (name == "^") {
        error = "'^' is not SMT-LIB: write powers as products";
        return nullptr;
    }
    if (symbols_.constants.count(name) != 0 || symbols_.macros.count(name) != 0) {
        error = "'" + name + "' takes no arguments";
        return nullptr;
    }
    error = "unknown function '" + name + "'";
    return nullptr;
}
