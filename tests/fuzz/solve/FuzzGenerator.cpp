#include "fuzz/solve/FuzzGenerator.h"

#include "fuzz/solve/FuzzEvaluator.h"
#include "fuzz/solve/FuzzTuning.h"
#include "support/ExactRational.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace solvefuzz {
namespace {

const char* const kExactNumerals[] = {"0", "1", "2", "0.5", "0.25", "0.75", "1.5", "3"};
const char* const kInexactNumerals[] = {"0.1", "0.3", "0.9", "1.1", "1e-3", "2.7"};
const char* const kFreeNames[] = {"x", "y", "z", "w", "x1", "_y"};
const char* const kBoundNames[] = {"t", "u", "s", "v", "q1", "_b"};
const Bound kCommonRanges[] = {{"0", "1"},  {"-1", "1"}, {"0", "0.5"},
                               {"-1", "0"}, {"0", "2"},  {"0.5", "1"}};
const char* const kRelations[] = {"<", "<=", ">", ">=", "=", "!="};
const int kRelationWeights[] = {18, 24, 18, 24, 8, 8};  // per cent

// A variable in scope: its name, its box component, and the quantifier
// depth that binds it (0 for a free variable).
struct Var {
    std::string name;
    Bound range;
    int level;
};

ExactQ Value(const std::string& decimal) {
    ExactQ q;
    (void)ParseDecimal(decimal, q);
    return q;
}

// A signed numeral text as a node: a negative one is the negation of its
// numeral.
Node NumberNode(const std::string& text) {
    if (!text.empty() && text[0] == '-') {
        return Unary(Op::Neg, Leaf(Op::Number, text.substr(1)));
    }
    return Leaf(Op::Number, text);
}

class Generator {
public:
    explicit Generator(std::uint64_t seed) : g_(seed) {}

    Problem Make(double timeoutSeconds) {
        Problem p;
        exactOnly_ = Chance(35);
        int r = Below(100);
        const int free = r < 25 ? 0 : r < 60 ? 1 : r < 85 ? 2 : 3;
        std::vector<std::string> names(std::begin(kFreeNames), std::end(kFreeNames));
        std::shuffle(names.begin(), names.end(), g_);
        for (int i = 0; i < free; ++i) {
            Bound range = Range(4);
            p.variables.push_back(names[static_cast<std::size_t>(i)]);
            p.box.push_back(range);
            scope_.push_back({names[static_cast<std::size_t>(i)], range, 0});
        }
        // A closed sentence is mostly quantified at the top.
        p.constraint = free == 0 && Chance(75) ? Quantifier(3, 2) : Formula(3, 2);
        p.text = Print(p.constraint);
        const double bounds[] = {0.5, 0.2, 0.1, 0.05, 0.01};
        p.options.errorBound = bounds[Below(5)];
        p.options.timeoutSeconds = timeoutSeconds;
        p.options.singleBox = free > 0 && Chance(8);
        // Half the problems run with one to three switches off their defaults.
        if (Chance(50)) {
            p.tuning = RandomTuning(g_(), 1 + Below(3));
        }
        return p;
    }

private:
    int Below(int n) { return static_cast<int>(g_() % static_cast<std::uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(static_cast<int>(N))];
    }

    std::string Numeral() {
        return exactOnly_ || Chance(65) ? Pick(kExactNumerals) : Pick(kInexactNumerals);
    }
    std::string SignedNumeral() {
        std::string n = Numeral();
        return n != "0" && Chance(30) ? "-" + n : n;
    }

    // [lo, hi] from two signed numerals; some points (fewer for free
    // variables), some common ranges.
    Bound Range(int pointPercent) {
        int r = Below(100);
        if (r < pointPercent) {
            std::string c = SignedNumeral();
            return {c, c};
        }
        if (r < 30 + pointPercent) {
            Bound b = Pick(kCommonRanges);
            if (!exactOnly_ && Chance(30)) {
                (Chance(50) ? b.lo : b.hi) = Pick(kInexactNumerals);
                if (Value(b.hi) < Value(b.lo)) {
                    std::swap(b.lo, b.hi);
                }
            }
            return b;
        }
        std::string a = SignedNumeral(), b = SignedNumeral();
        return Value(b) < Value(a) ? Bound{b, a} : Bound{a, b};
    }

    // The innermost variable of each name in scope.
    std::vector<const Var*> Visible() const {
        std::vector<const Var*> out;
        for (auto it = scope_.rbegin(); it != scope_.rend(); ++it) {
            bool hidden = std::any_of(out.begin(), out.end(),
                                      [&](const Var* v) { return v->name == it->name; });
            if (!hidden) {
                out.push_back(&*it);
            }
        }
        return out;  // innermost first
    }

    Node Formula(int depth, int quantifiers) {
        int r = Below(100);
        if (depth <= 0 || r < 35) {
            return Atom();
        }
        if (r < 45) {
            Node n = Unary(Op::Not, Formula(depth - 1, quantifiers));
            n.call = Chance(25);
            return n;
        }
        if (r < 75 || quantifiers == 0) {
            const Op ops[] = {Op::And, Op::Or, Op::Implies};
            Node n = Binary(ops[Below(3)], Formula(depth - 1, quantifiers),
                            Formula(depth - 1, quantifiers));
            n.call = Chance(20);
            if (n.call && n.op != Op::Implies && Chance(30)) {
                n.kids.push_back(Formula(depth - 1, quantifiers));
            }
            return n;
        }
        return Quantifier(depth, quantifiers);
    }

    Node Quantifier(int depth, int quantifiers) {
        const int room = 4 - static_cast<int>(Visible().size());
        if (room <= 0 || quantifiers <= 0) {
            return Atom();
        }
        int r = Below(100);
        const int k = std::min(room, r < 65 ? 1 : r < 95 ? 2 : 3);
        Node n;
        n.op = Chance(50) ? Op::Forall : Op::Exists;
        const int level = 3 - quantifiers;
        const std::size_t outer = scope_.size();
        std::vector<std::string> names(std::begin(kBoundNames), std::end(kBoundNames));
        std::shuffle(names.begin(), names.end(), g_);
        for (int i = 0; i < k; ++i) {
            std::string name = names[static_cast<std::size_t>(i)];
            // Now and then a bound name hides one of an enclosing scope.
            if (Chance(5) && outer > 0) {
                name = scope_[static_cast<std::size_t>(Below(static_cast<int>(outer)))].name;
            }
            while (std::find(n.names.begin(), n.names.end(), name) != n.names.end()) {
                name = names[static_cast<std::size_t>(Below(static_cast<int>(names.size())))];
            }
            n.names.push_back(name);
            n.box.push_back(Range(10));
            scope_.push_back({name, n.box.back(), level});
        }
        n.kids.push_back(Formula(depth - 1, quantifiers - 1));
        scope_.resize(outer);
        return n;
    }

    // The variables of one relation: up to three of those in scope, most
    // often including one bound by the innermost quantifier.
    std::vector<const Var*> RelationVariables() {
        std::vector<const Var*> visible = Visible();
        std::vector<const Var*> chosen;
        if (visible.empty()) {
            return chosen;
        }
        if (visible[0]->level > 0 && Chance(80)) {
            chosen.push_back(visible[0]);
        }
        const int want = 1 + Below(std::min(3, static_cast<int>(visible.size())));
        std::shuffle(visible.begin(), visible.end(), g_);
        for (const Var* v : visible) {
            if (static_cast<int>(chosen.size()) < want &&
                std::find(chosen.begin(), chosen.end(), v) == chosen.end()) {
                chosen.push_back(v);
            }
        }
        return chosen;
    }

    // A numeral, often a bound of one of vars.
    Node Constant(const std::vector<const Var*>& vars) {
        if (!vars.empty() && Chance(50)) {
            const Var* v = vars[static_cast<std::size_t>(Below(static_cast<int>(vars.size())))];
            return NumberNode(Chance(50) ? v->range.lo : v->range.hi);
        }
        return NumberNode(SignedNumeral());
    }

    Node Atom() {
        int w = Below(100), code = 0;
        while (w >= kRelationWeights[code]) {
            w -= kRelationWeights[code++];
        }
        const std::string rel = kRelations[code];
        std::vector<const Var*> vars = RelationVariables();
        const int maxDegree = Chance(50) ? 3 : 4;
        int r = Below(100);
        if (!vars.empty() && r < 25) {
            // A variable against its own bounds or its own power.
            Node v = Leaf(Op::Name, vars[0]->name);
            if (Chance(30)) {
                Node p = Unary(Op::Pow, v);
                p.text = Chance(70) ? "2" : "3";
                return solvefuzz::Relation(rel, p, Chance(60) ? v : Constant(vars));
            }
            Node c = Constant(vars);
            return Chance(75) ? solvefuzz::Relation(rel, v, c) : solvefuzz::Relation(rel, c, v);
        }
        if (r < 80) {
            Node p = Poly(vars, maxDegree);
            return solvefuzz::Relation(rel, p,
                                       Chance(60) ? ValueSomewhere(p, vars) : Constant(vars));
        }
        return solvefuzz::Relation(rel, Poly(vars, maxDegree), Poly(vars, maxDegree));
    }

    // A point of [lo, hi]: an end, the middle, or a numeral of the pool in it.
    ExactQ PointIn(const Bound& range) {
        const ExactQ lo = Value(range.lo), hi = Value(range.hi);
        int r = Below(100);
        if (r < 50) {
            return r < 25 ? lo : hi;
        }
        if (r < 75) {
            return (lo + hi) * ExactQ(0.5);
        }
        ExactQ c = Value(SignedNumeral());
        return c < lo || hi < c ? lo : c;
    }

    // The value p takes at a point of its variables' ranges (an interval
    // coefficient at its middle), as a numeral: p REL value then changes
    // truth on the box, often on its boundary. A constant of the pool when
    // the value is no short decimal.
    Node ValueSomewhere(const Node& p, const std::vector<const Var*>& vars) {
        std::vector<std::pair<std::string, ExactQ>> at;
        for (const Var* v : vars) {
            at.emplace_back(v->name, PointIn(v->range));
        }
        ExactQ value;
        std::string text;
        if (PolyValue(p, at, value) && value.DecimalText(text, 12) && text.size() <= 14) {
            return NumberNode(text);
        }
        return Constant(vars);
    }

    Node Poly(const std::vector<const Var*>& vars, int maxDegree) {
        Node p = Term(vars, maxDegree);
        for (int terms = Below(3); terms > 0; --terms) {
            p = Binary(Chance(40) ? Op::Sub : Op::Add, p, Term(vars, maxDegree));
        }
        return p;
    }

    // a*b or a b, at random.
    Node Product(Node a, Node b) { return Binary(Chance(40) ? Op::Mul : Op::Juxt, a, b); }

    Node Name(const std::vector<const Var*>& vars) {
        return Leaf(Op::Name,
                    vars[static_cast<std::size_t>(Below(static_cast<int>(vars.size())))]->name);
    }

    // v + c, v - c or v - w (w another variable).
    Node Binomial(const std::vector<const Var*>& vars) {
        Node first = Name(vars);
        Node second = Constant(vars);
        if (vars.size() > 1 && Chance(30)) {
            do {
                second = Name(vars);
            } while (second.text == first.text);
        }
        return Binary(Chance(50) ? Op::Add : Op::Sub, first, second);
    }

    Node Term(const std::vector<const Var*>& vars, int maxDegree) {
        int r = Below(100);
        if (vars.empty() || r >= 85) {
            if (Chance(15)) {  // a quotient of constants, the only place "/" may go
                const char* const divisors[] = {"3", "7", "0.3", "2"};
                return Binary(Op::Div, Leaf(Op::Number, Chance(50) ? "1" : "2"),
                              Leaf(Op::Number, Pick(divisors)));
            }
            return NumberNode(SignedNumeral());
        }
        if (r < 60) {
            return Monomial(vars, maxDegree);
        }
        if (r < 75) {
            Node p = Unary(Op::Pow, Binomial(vars));
            p.text = Chance(70) || maxDegree < 3 ? "2" : "3";
            return Chance(30) ? Product(NumberNode(Numeral()), p) : p;
        }
        return Product(Binomial(vars), Binomial(vars));
    }

    // coefficient * x^a * y^b ..., of degree 1 to maxDegree.
    Node Monomial(const std::vector<const Var*>& vars, int maxDegree) {
        int degree = 1 + Below(Chance(60) ? 2 : maxDegree);
        std::vector<int> powers(vars.size(), 0);
        for (int i = 0; i < degree; ++i) {
            ++powers[static_cast<std::size_t>(Below(static_cast<int>(vars.size())))];
        }
        std::vector<Node> factors;
        int r = Below(100);
        if (r < 40) {
            factors.push_back(NumberNode(Numeral()));
        } else if (r < 55) {
            std::string a = SignedNumeral(), b = Chance(15) ? a : SignedNumeral();
            Node c = Leaf(Op::Interval, Value(b) < Value(a) ? b : a);
            c.text2 = Value(b) < Value(a) ? a : b;
            factors.push_back(c);
        } else if (r < 60) {
            factors.push_back(Binary(Op::Div, Leaf(Op::Number, "1"), Leaf(Op::Number, "3")));
        }
        for (std::size_t i = 0; i < vars.size(); ++i) {
            int e = powers[i];
            Node v = Leaf(Op::Name, vars[i]->name);
            if (e == 1 || (e == 2 && Chance(25))) {
                for (int j = 0; j < e; ++j) {
                    factors.push_back(v);
                }
            } else if (e > 1) {
                Node p = Unary(Op::Pow, v);
                p.text = std::to_string(e);
                factors.push_back(p);
            }
        }
        Node m = factors[0];
        for (std::size_t i = 1; i < factors.size(); ++i) {
            m = Product(m, factors[i]);
        }
        return m;
    }

    std::mt19937_64 g_;
    bool exactOnly_ = false;
    std::vector<Var> scope_;  // free variables, then bound ones, innermost last
};

}  // namespace

Problem Generate(std::uint64_t seed, double timeoutSeconds) {
    Problem p = Generator(seed).Make(timeoutSeconds);
    p.seed = seed;
    return p;
}

}  // namespace solvefuzz
