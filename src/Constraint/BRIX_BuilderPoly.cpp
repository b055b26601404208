#include "Constraint/BRIX_BuilderPoly.h"

#include "Constraint/BRIX_Atomic.h"
#include "Constraint/BRIX_AtomicPoly.h"
#include "Constraint/BRIX_Builder.h"
#include "Constraint/BRIX_ExactPoly.h"
#include "Interval/Iv_Convert.h"
#include "Search/BRIX_DistPoly.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace {

using Itvl = Iv_Itvl<double>;

const char* const kRelations[] = {"<", "<=", ">", ">=", "=", "!="};

// The relation code of head (0 .. 5), or -1.
int RelationCode(const char* head) {
    for (int code = 0; code < 6; ++code) {
        if (std::strcmp(head, kRelations[code]) == 0) {
            return code;
        }
    }
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips a run of digits; false when there is none.
bool SkipDigits(const char*& p) {
    const char* start = p;
    while (IsDigit(*p)) {
        ++p;
    }
    return p != start;
}

// A value every number of the constraint may take: an interval that holds a
// point (not empty, lower bound not above the upper one, no NaN bound). An
// upside-down literal would otherwise run through interval arithmetic and
// come out as some unrelated interval.
bool IsProper(const Itvl& value) {
    return !value.IsEmpty() && value.lo <= value.hi;
}

// The walk over one relation's operands before any conversion: every atom must
// be a name in scope or a number, every list a proper interval literal. A
// cell holding a name in scope is recorded in withNames, and the innermost
// position of each name met is marked in occurring.
class Scan {
public:
    Scan(const BRIX_Names& names, std::vector<bool>& occurring)
        : names_(names), occurring_(occurring) {}

    // Whether e passes; cells are visited once however often they are shared.
    bool Walk(const Ex_Expr& e, bool& hasName) {
        Ex_Expr x = e;
        x.Force();
        hasName = false;
        const Ex_ExprCell* cell = x.Cell();
        if (withNames.count(cell) != 0) {
            hasName = true;
            return true;
        }
        if (x.IsList()) {
            Itvl value;
            return ExprToEnclosure(x, value) && IsProper(value);
        }
        if (!x.IsNormal()) {
            return false;
        }
        if (x.Arity() == 0) {
            for (int p = static_cast<int>(names_.size()) - 1; p >= 0; --p) {
                if (names_[static_cast<std::size_t>(p)] == x.Head()) {
                    occurring_[static_cast<std::size_t>(p)] = true;
                    hasName = true;
                    withNames.insert(cell);
                    return true;
                }
            }
            return BRIX_IsNumberText(x.Head());
        }
        for (int i = 0; i < x.Arity(); ++i) {
            bool argHasName = false;
            if (!Walk(x.Arg(i), argHasName)) {
                return false;
            }
            hasName = hasName || argHasName;
        }
        if (hasName) {
            withNames.insert(cell);
        }
        return true;
    }

    std::unordered_set<const Ex_ExprCell*> withNames;

private:
    const BRIX_Names& names_;
    std::vector<bool>& occurring_;
};

// Converts trees into polynomials over the occurring names n_0 .. n_(k-1),
// within the size limits of the builder.
class PolyConverter {
public:
    PolyConverter(const std::vector<const char*>& names, const Scan& scan)
        : names_(names), scan_(scan), k_(static_cast<int>(names.size())) {}

    bool Convert(const Ex_Expr& t, DistPoly& out) {
        Ex_Expr x = t;
        x.Force();
        if (scan_.withNames.count(x.Cell()) == 0) {
            // No variable below: the interval conversion evaluates it once,
            // including its own checks of exponents and functions.
            Itvl value;
            if (!ExprToEnclosure(x, value) || !IsProper(value)) {
                return false;
            }
            out = DistPoly::Constant(k_, value);
            return true;
        }
        const char* head = x.Head();
        if (head == nullptr) {
            return false;  // a list holding a name
        }
        const int arity = x.Arity();
        if (arity == 0) {
            for (int i = 0; i < k_; ++i) {
                if (std::strcmp(head, names_[static_cast<std::size_t>(i)]) == 0) {
                    out = DistPoly::Variable(k_, i);
                    return true;
                }
            }
            return false;
        }
        DistPoly a(k_);
        if (arity == 2 && std::strcmp(head, "^") == 0) {
            long n = 0;
            return BRIX_ReadExponent(x.Arg(1), false, n) && Convert(x.Arg(0), a) &&
                   Power(a, static_cast<int>(n), out);
        }
        if (arity == 1 && (std::strcmp(head, "-") == 0 || std::strcmp(head, "+") == 0)) {
            if (!Convert(x.Arg(0), a)) {
                return false;
            }
            out = head[0] == '-' ? -a : a;
            return true;
        }
        if (arity != 2) {
            return false;
        }
        const bool sum = std::strcmp(head, "+") == 0;
        const bool difference = std::strcmp(head, "-") == 0;
        const bool product = std::strcmp(head, "*") == 0;
        DistPoly b(k_);
        if (!(sum || difference || product) || !Convert(x.Arg(0), a) || !Convert(x.Arg(1), b)) {
            return false;  // "/" and every other head only without variables
        }
        if (product) {
            return Multiply(a, b, out);
        }
        out = sum ? a + b : a - b;
        return out.TermCount() <= kBuilderMaxTerms;
    }

private:
    // a * b when the product stays within the limits; the multiplications are
    // counted before any is done, so a refused product costs nothing.
    bool Multiply(const DistPoly& a, const DistPoly& b, DistPoly& out) {
        const long work = static_cast<long>(a.TermCount()) * b.TermCount();
        if (work > work_ || work * (k_ + 4) > kBuilderMaxProductWords ||
            a.TotalDegree() + b.TotalDegree() > kBuilderMaxDegree) {
            return false;
        }
        work_ -= work;
        out = a * b;
        return out.TermCount() <= kBuilderMaxTerms;
    }

    // base^n by square and multiply, each product under the limits.
    bool Power(DistPoly base, int n, DistPoly& out) {
        if (static_cast<long>(base.TotalDegree()) * n > kBuilderMaxDegree) {
            return false;
        }
        return SquareAndMultiply(
            std::move(base), n, DistPoly::Constant(k_, Itvl(1.0)),
            [this](const DistPoly& a, const DistPoly& b, DistPoly& r) { return Multiply(a, b, r); },
            out);
    }

    const std::vector<const char*>& names_;
    const Scan& scan_;
    const int k_;
    long work_ = kBuilderMaxWork;
};

}  // namespace

bool BRIX_ReadExponent(const Ex_Expr& e, bool signedAllowed, long& n) {
    Ex_Expr x = e;
    x.Force();
    bool negative = false;
    if (signedAllowed && x.Arity() == 1 && x.Head() != nullptr &&
        (std::strcmp(x.Head(), "-") == 0 || std::strcmp(x.Head(), "+") == 0)) {
        negative = x.Head()[0] == '-';
        x = x.Arg(0);
        x.Force();
    }
    if (!x.IsNormal() || x.Arity() != 0) {
        return false;
    }
    const char* text = x.Head();
    const char* end = text;
    if (!SkipDigits(end) || *end != '\0') {
        return false;
    }
    errno = 0;
    const long value = std::strtol(text, nullptr, 10);
    if (errno == ERANGE || value > kBuilderMaxExponent) {
        return false;
    }
    n = negative ? -value : value;
    return true;
}

bool BRIX_IsNumberText(const char* text) {
    if (std::strcmp(text, "Infinity") == 0) {
        return true;
    }
    const char* p = text;
    if (!SkipDigits(p)) {
        return false;
    }
    if (*p == '.') {
        ++p;
        if (!SkipDigits(p)) {
            return false;
        }
    }
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-') {
            ++p;
        }
        if (!SkipDigits(p)) {
            return false;
        }
    }
    return *p == '\0';
}

BRIX_Constraint* BuildRelation(const Ex_Expr& e, const BRIX_Names& names,
                               const std::vector<int>& indices) {
    if (e.Head() == nullptr) {
        return nullptr;
    }
    const int code = RelationCode(e.Head());
    if (code < 0 || e.Arity() != 2) {
        return nullptr;
    }
    const Ex_Expr left = e.Arg(0);
    const Ex_Expr right = e.Arg(1);
    // An interval on the right must hold a point: [3, 1] or [] has none, and
    // reading it as some other right-hand side would decide a different
    // relation. A proper one enters the polynomial as L - [lo, hi] REL 0.
    const Ex_Expr poly = Sub(left, right);

    std::vector<bool> occurring(names.size(), false);
    Scan scan(names, occurring);
    bool hasName = false;
    if (!scan.Walk(poly, hasName)) {
        return nullptr;
    }

    std::vector<const char*> polyNames;
    std::vector<int> varMap(indices.size(), -1);
    for (std::size_t p = 0; p < names.size(); ++p) {
        if (occurring[p]) {
            varMap[p] = static_cast<int>(polyNames.size());
            polyNames.push_back(names[p].c_str());
        }
    }

    // Exactly over the rationals when it can be done, else in interval
    // arithmetic; either way every number stands for the real typed.
    DistPoly p(static_cast<int>(polyNames.size()));
    if (BuildExactPoly(poly, polyNames, scan.withNames, p)) {
        return new BRIX_AtomicPoly(p, indices, code, varMap, Itvl(0.0));
    }
    if (polyNames.empty()) {
        Itvl l;
        Itvl r;
        if (!ExprToEnclosure(left, l) || !ExprToEnclosure(right, r) || !IsProper(l) ||
            !IsProper(r)) {
            return nullptr;
        }
        p = DistPoly::Constant(0, l - r);
    } else if (!PolyConverter(polyNames, scan).Convert(poly, p)) {
        return nullptr;
    }
    return new BRIX_AtomicPoly(p, indices, code, varMap, Itvl(0.0));
}
