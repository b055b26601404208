#include "Interval/Iv_Convert.h"

#include "Expr/Ex_Convert.h"
#include "Expr/Ex_DoubleFormat.h"
#include "Expr/Ex_Lazy.h"
#include "IO/FormatSet.h"
#include "Interval/Iv_NumberText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

using Itvl = Iv_Itvl<double>;

bool IsDigits(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

// The exponent of "^": an atom of digits, possibly under one "-" or "+", that
// fits a long. The general integer reading would truncate 0.5 to 0 and read a
// name as 0, silently changing the power.
bool ReadExponent(Ex_Expr e, long& n) {
    e.Force();
    const bool negative = e.Arity() == 1 && HeadIs(e, "-");
    if (negative || (e.Arity() == 1 && HeadIs(e, "+"))) {
        e = e.Arg(0);
    }
    if (!e.IsNormal() || e.Arity() != 0 || !IsDigits(e.Head())) {
        return false;
    }
    errno = 0;
    const long r = std::strtol(e.Head(), nullptr, 10);
    if (errno == ERANGE) {
        return false;
    }
    n = negative ? -r : r;  // r >= 0, so -r is a long
    return true;
}

// What an interval expression denotes: the set of reals its numerals and
// operations give, of which outer is an enclosure (every numeral read as the
// two doubles around it, every operation rounded outward) and inner, when it
// is proper (lo <= hi), a sub-interval. exact: the set is outer itself.
struct Enclosure {
    Itvl outer;
    Itvl inner;
    bool exact = true;
};

bool Proper(const Itvl& a) {
    return !a.IsEmpty() && a.lo <= a.hi;
}

// A numeral r (an atom, under "-" or "+"): outer [down(r), up(r)]; inner
// [up(r), down(r)], proper only when r is a double. Without enclose, r is
// taken for its nearest double.
bool Numeral(const Ex_Expr& e, bool enclose, Enclosure& value) {
    double lo = 0.0;
    double hi = 0.0;
    if (!(enclose ? ExprToDoubleEnclosure(e, lo, hi) : ExprToDouble(e, lo))) {
        return false;
    }
    if (!enclose) {
        hi = lo;
    }
    value.outer = Itvl::FromBounds(lo, hi);
    value.inner = Itvl::FromBounds(hi, lo);
    value.exact = lo == hi;
    return true;
}

// The interval literal [], [x] or [x, y]: [x, y] stands for the reals from x
// to y, enclosed by [down(x), up(y)] and enclosing [up(x), down(y)].
bool ListToInterval(const Ex_Expr& e, bool enclose, Enclosure& value) {
    Enclosure a;
    Enclosure b;
    switch (e.Arity()) {
        case 0:
            value.outer = value.inner = Itvl::Empty();
            value.exact = true;
            return true;
        case 1:
            return Numeral(e.Arg(0), enclose, value);
        case 2:
            if (!Numeral(e.Arg(0), enclose, a) || !Numeral(e.Arg(1), enclose, b)) {
                return false;
            }
            value.outer = Itvl::FromBounds(a.outer.lo, b.outer.hi);
            value.inner = Itvl::FromBounds(a.outer.hi, b.outer.lo);
            value.exact = a.exact && b.exact;
            return true;
        default:
            return false;
    }
}

// The measures of the set a stands for, as enclosures. Without rounding and
// for an exact a, Mig and Mag are points; otherwise the bounds come from
// outer (the set lies inside) and from inner (it lies inside the set).
bool Measure(const char* head, const Enclosure& a, Itvl& value) {
    const Itvl& O = a.outer;
    const bool proper = a.exact || Proper(a.inner);
    const Itvl I = a.exact ? O : a.inner;
    if (std::strcmp(head, "Mig") == 0) {
        value = Itvl::FromBounds(Mig(O), proper ? Mig(I) : Mag(O));
    } else if (std::strcmp(head, "Mag") == 0) {
        value = Itvl::FromBounds(proper ? Mag(I) : Mig(O), Mag(O));
    } else if (std::strcmp(head, "Width") == 0 || std::strcmp(head, "Rad") == 0) {
        const double scale = head[0] == 'R' ? 0.5 : 1.0;
        const double lo = proper ? SubDown(I.hi, I.lo) : 0.0;
        value = Itvl::FromBounds(MulDown(lo, scale), MulUp(SubUp(O.hi, O.lo), scale));
    } else if (std::strcmp(head, "Mid") == 0) {
        if (IsInfOrNaN(O.lo) || IsInfOrNaN(O.hi)) {
            value = Itvl(Mid(O));  // no centre: the conventional point
            return true;
        }
        // (lo + hi) / 2 for lo from [O.lo, I.lo] and hi from [I.hi, O.hi],
        // halved before adding so that nothing overflows.
        const double lo = AddDown(MulDown(O.lo, 0.5), MulDown(proper ? I.hi : O.lo, 0.5));
        const double hi = AddUp(MulUp(proper ? I.lo : O.hi, 0.5), MulUp(O.hi, 0.5));
        value = Itvl::FromBounds(lo, hi);
    } else {
        return false;
    }
    return true;
}

bool UnaryOp(const char* head, const Itvl& a, Itvl& value) {
    if (std::strcmp(head, "+") == 0) {
        value = a;
    } else if (std::strcmp(head, "-") == 0) {
        value = -a;
    } else if (std::strcmp(head, "SquareRoot") == 0) {
        value = SquareRoot(a);
    } else if (std::strcmp(head, "Square") == 0) {
        value = Square(a);
    } else if (std::strcmp(head, "Abs") == 0) {
        value = Abs(a);
    } else {
        return false;
    }
    return true;
}

bool BinaryOp(const char* head, const Itvl& a, const Itvl& b, Itvl& value) {
    if (std::strcmp(head, "+") == 0) {
        value = a + b;
    } else if (std::strcmp(head, "-") == 0) {
        value = a - b;
    } else if (std::strcmp(head, "*") == 0) {
        value = a * b;
    } else if (std::strcmp(head, "/") == 0) {
        value = a / b;
    } else {
        return false;
    }
    return true;
}

// Watches the inexact flag over one operation, so that a result computed
// without rounding from exact operands counts as exact. The flag is left as
// it was found, raised or not.
class InexactWatch {
public:
    InexactWatch() : before_(SAL_Interface::TestFPException(SAL_FPInexact)) {
        SAL_Interface::ClearFPException(SAL_FPInexact);
    }
    ~InexactWatch() {
        if (before_) {
            SAL_Interface::RaiseFPException(SAL_FPInexact);
        }
    }
    InexactWatch(const InexactWatch&) = delete;
    InexactWatch& operator=(const InexactWatch&) = delete;
    bool Raised() const { return SAL_Interface::TestFPException(SAL_FPInexact); }

private:
    bool before_;
};

bool Evaluate(const Ex_Expr& e, bool enclose, Enclosure& value) {
    Ex_Expr x = e;
    x.Force();
    if (x.IsList()) {
        return ListToInterval(x, enclose, value);
    }
    if (x.Arity() == 0) {
        return Numeral(x, enclose, value);
    }
    const char* head = x.Head();
    Enclosure a;
    if (head == nullptr || x.Arity() > 2 || !Evaluate(x.Arg(0), enclose, a)) {
        return false;
    }
    Enclosure r;
    if (x.Arity() == 1 && std::strcmp(head, "-") == 0) {  // exact: the inner set mirrors too
        r.outer = -a.outer;
        r.inner = Itvl::FromBounds(-a.inner.hi, -a.inner.lo);
        r.exact = a.exact;
        value = r;
        return true;
    }
    InexactWatch watch;
    if (x.Arity() == 1) {
        if (!UnaryOp(head, a.outer, r.outer) && !Measure(head, a, r.outer)) {
            return false;
        }
        r.exact = a.exact && !watch.Raised();
        if (std::strcmp(head, "+") == 0) {
            r.inner = a.inner;
        }
    } else if (std::strcmp(head, "^") == 0) {
        long n = 0;
        if (!ReadExponent(x.Arg(1), n)) {
            return false;
        }
        r.outer = Power(a.outer, n);
        r.exact = a.exact && !watch.Raised();
    } else {
        Enclosure b;
        if (!Evaluate(x.Arg(1), enclose, b) || !BinaryOp(head, a.outer, b.outer, r.outer)) {
            return false;
        }
        r.exact = a.exact && b.exact && !watch.Raised();
    }
    if (r.exact) {
        r.inner = r.outer;
    } else if (std::strcmp(head, "+") != 0 || x.Arity() != 1) {
        r.inner = Itvl::Empty();  // no inner part known after rounding
    }
    value = r;
    return true;
}

}  // namespace

bool ExprToInterval(const Ex_Expr& e, Iv_Itvl<double>& value) {
    Enclosure r;
    if (!Evaluate(e, false, r)) {
        return false;
    }
    value = r.outer;
    return true;
}

bool ExprToEnclosure(const Ex_Expr& e, Iv_Itvl<double>& value) {
    Itvl inner;
    return ExprToIntervalDomain(e, value, inner);
}

bool ExprToIntervalDomain(const Ex_Expr& e, Iv_Itvl<double>& outer, Iv_Itvl<double>& inner) {
    Enclosure r;
    if (!Evaluate(e, true, r)) {
        return false;
    }
    outer = r.outer;
    inner = r.exact ? r.outer : r.inner;
    return true;
}

Ex_Expr IntervalToExpr(const Iv_Itvl<double>& value, const FormatSet* formats) {
    if (value.IsEmpty()) {
        return MakeList(0);
    }
    const auto* itvl = formats != nullptr
                           ? dynamic_cast<const Iv_ItvlFormat*>(formats->Find("Interval"))
                           : nullptr;
    const bool outward = itvl == nullptr || itvl->Outward();
    Iv_DoubleStyle style = Ex_DoubleFormat::In(formats).TextStyle();
    Ex_Expr list = MakeList(2);
    style.rounding = outward ? SAL_RoundDown : SAL_RoundUp;
    list.SetArg(0, DoubleToText(value.lo, style));
    style.rounding = outward ? SAL_RoundUp : SAL_RoundDown;
    list.SetArg(1, DoubleToText(value.hi, style));
    return list;
}

void IntervalToExprLazy(Ex_Expr& result, const Iv_Itvl<double>* value, const FormatSet* formats) {
    result = IntervalToExpr(*value, formats);
}

Ex_Expr IntervalToLazyExpr(const Iv_Itvl<double>& value, const FormatSet* formats) {
    return MakeLazy<Iv_Itvl<double>>(value, IntervalToExprLazy, formats);
}
