#include "Constraint/BRIX_Builder.h"

#include "Constraint/BRIX_BuilderPoly.h"
#include "Constraint/BRIX_Connective.h"
#include "Constraint/BRIX_Negation.h"
#include "Constraint/BRIX_QuantifiedApprox.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Expr/Ex_Convert.h"
#include "Interval/Iv_Box.h"

#include <memory>
#include <set>
#include <string>
#include <strings.h>

namespace {

using Node = std::unique_ptr<BRIX_Constraint>;

bool HeadIsNoCase(const Ex_Expr& e, const char* text) {
    const char* head = e.Head();
    return head != nullptr && strcasecmp(head, text) == 0;
}

// The quantifier keyword of e: FORALL (isForall true) or EXISTS, in any case.
bool QuantifierKeyword(const Ex_Expr& e, bool& isForall) {
    isForall = HeadIsNoCase(e, "FORALL");
    return isForall || HeadIsNoCase(e, "EXISTS");
}

// The names a quantifier binds: a non-empty list of atoms that are valid
// variable names (a quantifier without variables, or binding one name twice,
// has no meaning worth guessing).
bool ReadBoundNames(const Ex_Expr& e, BRIX_Names& bound) {
    Ex_Expr x = e;
    x.Force();
    if (!x.IsList() || x.Arity() == 0) {
        return false;
    }
    BRIX_Names read;
    for (int i = 0; i < x.Arity(); ++i) {
        Ex_Expr name = x.Arg(i);
        if (!name.IsNormal() || name.Arity() != 0) {
            return false;
        }
        read.emplace_back(name.Head());
    }
    if (!BRIX_ValidVariableNames(read)) {
        return false;
    }
    bound = std::move(read);
    return true;
}

// The parts shared by both quantifier forms: the bound names and box (same
// length; ExprToBoxDomain refuses empty and upside-down components; box
// covers the reals typed, inside holds doubles inside them) and the body
// built with the bound names in scope, numbered n .. n+k-1 after the n
// incoming ones. Fills variables with those numbers.
Node BuildQuantifiedBody(const Ex_Expr& namesArg, const Ex_Expr& boxArg, const Ex_Expr& bodyArg,
                         BRIX_Names& names, std::vector<int> indices, Box& box, Box& inside,
                         std::vector<int>& variables) {
    BRIX_Names bound;
    if (!ReadBoundNames(namesArg, bound) || !ExprToBoxDomain(boxArg, box, inside) ||
        box.Dimension() != static_cast<int>(bound.size())) {
        return nullptr;
    }
    const int n = static_cast<int>(indices.size());
    const std::size_t outer = names.size();
    for (std::size_t i = 0; i < bound.size(); ++i) {
        variables.push_back(n + static_cast<int>(i));
        indices.push_back(n + static_cast<int>(i));
        names.push_back(bound[i]);
    }
    Node body(BuildConstraint(bodyArg, names, true, std::move(indices)));
    names.resize(outer);
    return body;
}

// The bounds of an approximate quantifier: [a, b] from a list of two numbers,
// or [d, d] from one number.
bool ReadApproxBounds(const Ex_Expr& e, double& lower, double& upper) {
    Ex_Expr x = e;
    x.Force();
    if (x.IsList() && x.Arity() == 2 && ExprToDouble(x.Arg(0), lower) &&
        ExprToDouble(x.Arg(1), upper)) {
        return true;
    }
    if (!ExprToDouble(x, lower)) {
        return false;
    }
    upper = lower;
    return true;
}

// The forms are kept out of line: BuildConstraint recurses through them once
// per nesting level of the input, so its own frame must stay small.
[[gnu::noinline]] Node BuildApproxQuantifier(const Ex_Expr& e, BRIX_Names& names,
                                             const std::vector<int>& indices) {
    bool isForall = false;
    if (!QuantifierKeyword(e, isForall) || e.Arity() != 4) {
        return nullptr;
    }
    double lower = 0.0;
    double upper = 0.0;
    if (!ReadApproxBounds(e.Arg(0), lower, upper)) {
        return nullptr;
    }
    Box box;
    Box inside;
    std::vector<int> variables;
    Node body =
        BuildQuantifiedBody(e.Arg(1), e.Arg(2), e.Arg(3), names, indices, box, inside, variables);
    if (body == nullptr) {
        return nullptr;
    }
    const int n = static_cast<int>(indices.size());
    auto* node =
        new BRIX_QuantifiedApprox(box, variables, body.release(), isForall, lower, upper, n);
    node->SetDomain(inside);
    return Node(node);
}

[[gnu::noinline]] Node BuildClassQuantifier(const Ex_Expr& e, BRIX_Names& names,
                                            const std::vector<int>& indices) {
    bool isForall = false;
    if (!QuantifierKeyword(e, isForall) || e.Arity() != 3) {
        return nullptr;
    }
    Box box;
    Box inside;
    std::vector<int> variables;
    Node body =
        BuildQuantifiedBody(e.Arg(0), e.Arg(1), e.Arg(2), names, indices, box, inside, variables);
    if (body == nullptr) {
        return nullptr;
    }
    const int n = static_cast<int>(indices.size());
    auto* node = new BRIX_QuantifiedClass(box, variables, body.release(), isForall, n);
    node->SetDomain(inside);
    return Node(node);
}

[[gnu::noinline]] Node BuildNegation(const Ex_Expr& e, BRIX_Names& names,
                                     const std::vector<int>& indices) {
    if (!(HeadIs(e, "not") || HeadIs(e, "~")) || e.Arity() != 1) {
        return nullptr;
    }
    Node sub(BuildConstraint(e.Arg(0), names, true, indices));
    if (sub == nullptr) {
        return nullptr;
    }
    return Node(new BRIX_Negation(static_cast<int>(indices.size()), sub.release()));
}

[[gnu::noinline]] Node BuildConnective(const Ex_Expr& e, BRIX_Names& names,
                                       const std::vector<int>& indices) {
    const bool isConjunction = HeadIs(e, "and") || HeadIs(e, "/\\");
    if (!isConjunction && !HeadIs(e, "or") && !HeadIs(e, "\\/")) {
        return nullptr;
    }
    std::vector<Node> built(static_cast<std::size_t>(e.Arity()));
    for (std::size_t i = 0; i < built.size(); ++i) {
        built[i].reset(BuildConstraint(e.Arg(static_cast<int>(i)), names, true, indices));
        if (built[i] == nullptr) {
            return nullptr;  // the operands built so far are deleted with `built`
        }
    }
    std::vector<BRIX_Constraint*> subs(built.size());
    for (std::size_t i = 0; i < built.size(); ++i) {
        subs[i] = built[i].release();
    }
    return Node(new BRIX_Connective(isConjunction, subs, static_cast<int>(indices.size())));
}

bool IsWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsWordChar(char c) {
    return IsWordStart(c) || (c >= '0' && c <= '9');
}

bool IsPlainWord(const std::string& name) {
    if (name.empty() || !IsWordStart(name[0]) || name == "Infinity") {
        return false;
    }
    for (char c : name) {
        if (!IsWordChar(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool BRIX_ValidVariableNames(const BRIX_Names& names) {
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!IsPlainWord(name) || !seen.insert(name).second) {
            return false;
        }
    }
    return true;
}

BRIX_Constraint* BuildConstraint(const Ex_Expr& expression, BRIX_Names& names,
                                 bool allowConnectives, std::vector<int> indices) {
    if (indices.size() != names.size() || indices.size() > kBuilderMaxVariables) {
        return nullptr;
    }
    Ex_Expr e = expression;
    e.Force();
    const bool traced = e.Arity() == 1 && HeadIsNoCase(e, "TRACE");
    if (traced) {
        e = e.Arg(0);
        e.Force();
    }
    if ((HeadIs(e, "implies") || HeadIs(e, "==>")) && e.Arity() == 2) {
        Ex_Expr rewritten = Apply("or", 2);
        rewritten.SetArg(0, Unary("not", e.Arg(0)));
        rewritten.SetArg(1, e.Arg(1));
        e = rewritten;
    }
    if (e.Head() == nullptr) {
        return nullptr;  // lists and other cells without a head are no constraint
    }

    Node node(BuildRelation(e, names, indices));
    if (node == nullptr) {
        node = BuildApproxQuantifier(e, names, indices);
    }
    if (node == nullptr) {
        node = BuildClassQuantifier(e, names, indices);
    }
    if (node == nullptr) {
        node = BuildNegation(e, names, indices);
    }
    if (node == nullptr && allowConnectives) {
        node = BuildConnective(e, names, indices);
    }
    if (node != nullptr) {
        node->SetTraceFlag(traced);
    }
    return node.release();
}
