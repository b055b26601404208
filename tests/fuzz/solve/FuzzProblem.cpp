#include "fuzz/solve/FuzzProblem.h"

#include <cfenv>
#include <cstdlib>
#include <utility>

namespace solvefuzz {
namespace {

// Binding strength of a form as the grammar reads it: connectives loosest,
// then relations, sums, products, unary minus, powers, and atoms (names,
// numbers, brackets, calls, parenthesised text) tightest.
int Level(const Node& n) {
    switch (n.op) {
        case Op::And:
        case Op::Or:
        case Op::Implies:
            return n.call ? 5 : -1;
        case Op::Rel:
            return 0;
        case Op::Add:
        case Op::Sub:
            return 1;
        case Op::Mul:
        case Op::Juxt:
        case Op::Div:
            return 2;
        case Op::Neg:
            return 3;
        case Op::Pow:
            return 4;
        default:
            return 5;  // Number, Interval, Name, Not, quantifiers
    }
}

void Append(std::string& out, const Node& n);

// n, parenthesised when it binds less strongly than its place needs.
void AppendAt(std::string& out, const Node& n, int needed) {
    if (Level(n) < needed) {
        out += '(';
        Append(out, n);
        out += ')';
    } else {
        Append(out, n);
    }
}

void AppendBinary(std::string& out, const Node& n, const char* op, int left, int right) {
    AppendAt(out, n.kids[0], left);
    out += op;
    AppendAt(out, n.kids[1], right);
}

void AppendCall(std::string& out, const char* head, const Node& n) {
    out += head;
    out += '(';
    for (std::size_t i = 0; i < n.kids.size(); ++i) {
        out += i == 0 ? "" : ", ";
        Append(out, n.kids[i]);
    }
    out += ')';
}

void Append(std::string& out, const Node& n) {
    switch (n.op) {
        case Op::Number:
        case Op::Name:
            out += n.text;
            return;
        case Op::Interval:
            out += "[" + n.text + ", " + n.text2 + "]";
            return;
        case Op::Add:
            return AppendBinary(out, n, " + ", 1, 2);
        case Op::Sub:
            return AppendBinary(out, n, " - ", 1, 2);
        case Op::Mul:
            return AppendBinary(out, n, "*", 2, 3);
        case Op::Div:
            return AppendBinary(out, n, "/", 2, 3);
        case Op::Juxt:
            // The blank keeps a name from reading as a call of the parenthesis.
            return AppendBinary(out, n, " ", 2, 4);
        case Op::Neg:
            out += '-';
            return AppendAt(out, n.kids[0], 4);
        case Op::Pow:
            AppendAt(out, n.kids[0], 5);
            out += "^" + n.text;
            return;
        case Op::Rel:
            return AppendBinary(out, n, (" " + n.text + " ").c_str(), 1, 1);
        case Op::Not:
            if (n.call) {
                return AppendCall(out, "not", n);
            }
            // "~" binds tighter than any operator: a relation or connective
            // after it needs parentheses.
            out += '~';
            return AppendAt(out, n.kids[0], 5);
        case Op::And:
            return n.call ? AppendCall(out, "and", n) : AppendBinary(out, n, " /\\ ", -1, 0);
        case Op::Or:
            return n.call ? AppendCall(out, "or", n) : AppendBinary(out, n, " \\/ ", -1, 0);
        case Op::Implies:
            return n.call ? AppendCall(out, "implies", n) : AppendBinary(out, n, " ==> ", -1, 0);
        case Op::Forall:
        case Op::Exists:
            out += n.op == Op::Forall ? "FORALL(" : "EXISTS(";
            out += NamesText(n.names) + ", " + BoxText(n.box) + ", ";
            Append(out, n.kids[0]);
            out += ')';
            return;
    }
}

// Whether n types as a constraint (wantConstraint) or as a polynomial.
bool Typed(const Node& n, bool wantConstraint, std::string& error) {
    if (IsConstraintForm(n.op) != wantConstraint) {
        error = (wantConstraint ? "a constraint expected, not " : "a polynomial expected, not ") +
                Print(n);
        return false;
    }
    bool kidsAreConstraints = wantConstraint && n.op != Op::Rel;
    for (const Node& kid : n.kids) {
        if (!Typed(kid, kidsAreConstraints, error)) {
            return false;
        }
    }
    if ((n.op == Op::Forall || n.op == Op::Exists) && n.names.size() != n.box.size()) {
        error = "a quantifier box of another dimension than its names";
        return false;
    }
    return true;
}

}  // namespace

Node Leaf(Op op, std::string text) {
    Node n;
    n.op = op;
    n.text = std::move(text);
    return n;
}

Node Unary(Op op, Node a) {
    Node n;
    n.op = op;
    n.kids.push_back(std::move(a));
    return n;
}

Node Binary(Op op, Node a, Node b) {
    Node n = Unary(op, std::move(a));
    n.kids.push_back(std::move(b));
    return n;
}

Node Relation(const std::string& rel, Node a, Node b) {
    Node n = Binary(Op::Rel, std::move(a), std::move(b));
    n.text = rel;
    return n;
}

std::string Print(const Node& node) {
    std::string out;
    Append(out, node);
    return out;
}

bool IsConstraintForm(Op op) {
    return op == Op::Rel || op == Op::Not || op == Op::And || op == Op::Or || op == Op::Implies ||
           op == Op::Forall || op == Op::Exists;
}

double NearestDouble(const std::string& decimal) {
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double value = std::strtod(decimal.c_str(), nullptr);
    std::fesetround(mode);
    return value;
}

brix::BoxBounds DoubleBox(const std::vector<Bound>& box) {
    brix::BoxBounds bounds;
    for (const Bound& b : box) {
        bounds.push_back({NearestDouble(b.lo), NearestDouble(b.hi)});
    }
    return bounds;
}

std::string BoxText(const std::vector<Bound>& box) {
    std::string out = "[";
    for (std::size_t i = 0; i < box.size(); ++i) {
        out += (i == 0 ? "[" : ", [") + box[i].lo + ", " + box[i].hi + "]";
    }
    return out + "]";
}

std::string NamesText(const std::vector<std::string>& names) {
    std::string out = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += (i == 0 ? "" : ", ") + names[i];
    }
    return out + "]";
}

bool WellTyped(const Node& node, std::string& error) {
    return Typed(node, true, error);
}

}  // namespace solvefuzz
