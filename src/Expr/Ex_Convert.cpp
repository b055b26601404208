#include "Expr/Ex_Convert.h"

#include "Expr/Ex_DoubleFormat.h"
#include "Interval/Iv_NumberText.h"
#include "System/SAL.h"

#include <cctype>
#include <cfenv>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// e itself, or the tree it evaluates to when it is a Lazy cell.
Ex_Expr Forced(const Ex_Expr& e) {
    Ex_Expr forced = e;
    forced.Force();
    return forced;
}

bool IsAtom(const Ex_Expr& e) {
    return e.IsNormal() && e.Arity() == 0;
}

bool IsPrefix(const Ex_Expr& e, const char* head) {
    return e.Arity() == 1 && HeadIs(e, head);
}

// The atom of e, or the atom a of "-"(a) or "+"(a); negative tells a leading "-".
bool SignedAtom(const Ex_Expr& e, Ex_Expr& atom, bool& negative) {
    Ex_Expr x = Forced(e);
    negative = IsPrefix(x, "-");
    if (negative || IsPrefix(x, "+")) {
        x = x.Arg(0);
    }
    if (!IsAtom(x)) {
        return false;
    }
    atom = x;
    return true;
}

// Text read base 10; text that is not a number reads as 0. False when the number
// is outside the range of long: saturating would give a plainly wrong value.
bool ReadLong(const char* text, long& value) {
    errno = 0;
    const long r = std::strtol(text, nullptr, 10);
    if (errno == ERANGE) {
        return false;
    }
    value = r;
    return true;
}

// As ReadLong for unsigned long; a minus sign fails (strtoul would wrap it).
bool ReadULong(const char* text, unsigned long& value) {
    while (std::isspace(static_cast<unsigned char>(*text)) != 0) {
        ++text;
    }
    if (*text == '-') {
        return false;
    }
    errno = 0;
    const unsigned long r = std::strtoul(text, nullptr, 10);
    if (errno == ERANGE) {
        return false;
    }
    value = r;
    return true;
}

}  // namespace

namespace {

// The number literal of e ("Infinity" or an atom strtod reads, under "+" and
// then "-" prefixes) as the double nearest to it (lo == hi), or with enclose
// as the two doubles around it. Rounding: leaves the mode at nearest.
bool ReadNumber(const Ex_Expr& e, bool enclose, double& lo, double& hi) {
    Ex_Expr x = Forced(e);
    const bool negative = IsPrefix(x, "-");
    if (negative) {
        x = x.Arg(0);
    }
    if (IsPrefix(x, "+")) {
        x = x.Arg(0);
    }
    if (!IsAtom(x)) {
        return false;
    }
    const char* text = x.Head();
    double down = std::numeric_limits<double>::infinity();
    double up = down;
    if (std::strcmp(text, "Infinity") != 0) {
        // The C library's strtod rounds in the mode fesetround sets (on x86 the
        // x87 control word, which the interval arithmetic does not touch):
        // nearest for a double, once down and once up for the two doubles
        // around the number typed, whatever an earlier operation left.
        char* end = nullptr;
        std::fesetround(enclose ? FE_DOWNWARD : FE_TONEAREST);
        down = up = std::strtod(text, &end);
        if (enclose && end != text) {
            std::fesetround(FE_UPWARD);
            up = std::strtod(text, nullptr);
        }
        std::fesetround(FE_TONEAREST);
        SAL_Interface::SetRounding(SAL_RoundNearest);
        if (end == text) {
            return false;
        }
    }
    lo = negative ? -up : down;
    hi = negative ? -down : up;
    return true;
}

}  // namespace

bool ExprToDouble(const Ex_Expr& e, double& value) {
    double hi = 0.0;
    return ReadNumber(e, false, value, hi);
}

bool ExprToDoubleEnclosure(const Ex_Expr& e, double& lo, double& hi) {
    return ReadNumber(e, true, lo, hi);
}

bool ExprToLong(const Ex_Expr& e, long& value) {
    Ex_Expr atom;
    bool negative = false;
    long r = 0;
    if (!SignedAtom(e, atom, negative) || !ReadLong(atom.Head(), r)) {
        return false;
    }
    if (negative) {
        if (r == LONG_MIN) {
            return false;
        }
        r = -r;
    }
    value = r;
    return true;
}

bool ExprToInt(const Ex_Expr& e, int& value) {
    long r = 0;
    if (!ExprToLong(e, r) || r < INT_MIN || r > INT_MAX) {
        return false;
    }
    value = static_cast<int>(r);
    return true;
}

bool ExprToULong(const Ex_Expr& e, unsigned long& value) {
    Ex_Expr atom;
    bool negative = false;
    unsigned long r = 0;
    if (!SignedAtom(e, atom, negative) || negative || !ReadULong(atom.Head(), r)) {
        return false;
    }
    value = r;
    return true;
}

bool ExprToUInt(const Ex_Expr& e, unsigned& value) {
    unsigned long r = 0;
    if (!ExprToULong(e, r) || r > UINT_MAX) {
        return false;
    }
    value = static_cast<unsigned>(r);
    return true;
}

bool ExprToBool(const Ex_Expr& e, bool& value) {
    const Ex_Expr x = Forced(e);
    if (!IsAtom(x)) {
        return false;
    }
    if (std::strcmp(x.Head(), "true") == 0) {
        value = true;
        return true;
    }
    if (std::strcmp(x.Head(), "false") == 0) {
        value = false;
        return true;
    }
    return false;
}

bool ExprToChar(const Ex_Expr& e, char& value) {
    const Ex_Expr x = Forced(e);
    if (!IsAtom(x) || std::strlen(x.Head()) > 1) {
        return false;
    }
    value = x.Head()[0];
    return true;
}

bool ExprToString(const Ex_Expr& e, char*& value) {
    const Ex_Expr x = Forced(e);
    if (!IsAtom(x)) {
        return false;
    }
    const std::size_t n = std::strlen(x.Head()) + 1;
    value = static_cast<char*>(SAL_Interface::LocMalloc(static_cast<unsigned>(n)));
    std::memcpy(value, x.Head(), n);
    return true;
}

Ex_Expr LongToExpr(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return Atom(text);
}

Ex_Expr ULongToExpr(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lu", value);
    return Atom(text);
}

Ex_Expr BoolToExpr(bool value) {
    return Atom(value ? "true" : "false");
}

Ex_Expr CharToExpr(char value) {
    const char text[2] = {value, '\0'};
    return Atom(text);
}

Ex_Expr StringToExpr(const char* value) {
    return Atom(value != nullptr ? value : "");
}

Ex_Expr DoubleToText(double x, const FormatSet* formats) {
    return DoubleToText(x, Ex_DoubleFormat::In(formats).TextStyle());
}

Ex_Expr DoubleToText(double x, const Iv_DoubleStyle& style) {
    return Atom(Iv_DoubleToString(x, style).c_str());
}
