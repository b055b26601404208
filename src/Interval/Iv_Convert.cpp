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

// The interval literal [], [x] or [x, y].
bool ListToInterval(const Ex_Expr& e, Itvl& value) {
    double lo = 0.0;
    double hi = 0.0;
    switch (e.Arity()) {
        case 0:
            value = Itvl::Empty();
            return true;
        case 1:
            if (!ExprToDouble(e.Arg(0), lo)) {
                return false;
            }
            value = Itvl(lo);
            return true;
        case 2:
            if (!ExprToDouble(e.Arg(0), lo) || !ExprToDouble(e.Arg(1), hi)) {
                return false;
            }
            value = Itvl::FromBounds(lo, hi);
            return true;
        default:
            return false;
    }
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
    } else if (std::strcmp(head, "Mig") == 0) {
        value = Itvl(Mig(a));
    } else if (std::strcmp(head, "Mag") == 0) {
        value = Itvl(Mag(a));
    } else if (std::strcmp(head, "Width") == 0) {
        value = Itvl(Width(a));
    } else if (std::strcmp(head, "Rad") == 0) {
        value = Itvl(Rad(a));
    } else if (std::strcmp(head, "Mid") == 0) {
        value = Itvl(Mid(a));
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

}  // namespace

bool ExprToInterval(const Ex_Expr& e, Iv_Itvl<double>& value) {
    Ex_Expr x = e;
    x.Force();
    if (x.IsList()) {
        return ListToInterval(x, value);
    }
    if (x.Arity() == 0) {
        double v = 0.0;
        if (!ExprToDouble(x, v)) {
            return false;
        }
        value = Itvl(v);
        return true;
    }
    const char* head = x.Head();
    Itvl a;
    if (head == nullptr || x.Arity() > 2 || !ExprToInterval(x.Arg(0), a)) {
        return false;
    }
    if (x.Arity() == 1) {
        return UnaryOp(head, a, value);
    }
    if (std::strcmp(head, "^") == 0) {
        long n = 0;
        if (!ReadExponent(x.Arg(1), n)) {
            return false;
        }
        value = Power(a, n);
        return true;
    }
    Itvl b;
    return ExprToInterval(x.Arg(1), b) && BinaryOp(head, a, b, value);
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
