// Evaluation of polynomials over boxes and their conversion into univariate
// polynomials for the narrowing step.
#include "Search/BRIX_DistPoly.h"

#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_DistPolyDetail.h"
#include "Search/BRIX_USAS.h"

#include <cassert>

namespace {

using Itvl = Iv_Itvl<double>;

// Nested Horner scheme over the terms [first, last), which agree in the
// exponents of the variables before k. Recursion over index ranges: no
// allocation.
Itvl EvaluateTerms(const DistPoly& p, int first, int last, const Itvl* x, int k) {
    const int n = p.VariableCount();
    if (last - first == 1) {
        Itvl v = p.Coefficient(first);
        const int* e = p.Exponents(first);
        for (int j = k; j < n; ++j) {
            if (e[j] != 0) {  // [1, 1] * a is a exactly: skip the rounded product
                v = v.IsOne() ? Power(x[j], e[j]) : v * Power(x[j], e[j]);
            }
        }
        return v;
    }
    if (k == n) {  // equal rows, only before Normalize: their sum
        Itvl sum = EntireIfNaN(p.Coefficient(first));
        for (int t = first + 1; t < last; ++t) {
            sum = AddOrEntire(sum, p.Coefficient(t));
        }
        return sum;
    }
    // Runs of equal exponent e of x_k, e decreasing: acc = (acc + run) * x_k^(e - e')
    // with e' the exponent of the next run (0 after the last).
    Itvl acc;
    for (int start = first; start < last;) {
        const int e = p.Exponent(start, k);
        int end = start + 1;
        while (end < last && p.Exponent(end, k) == e) {
            ++end;
        }
        Itvl run = EvaluateTerms(p, start, end, x, k + 1);
        acc = start == first ? EntireIfNaN(run) : AddOrEntire(acc, run);
        const int next = end < last ? p.Exponent(end, k) : 0;
        if (e != next) {
            acc = acc * Power(x[k], e - next);
        }
        start = end;
    }
    return acc;
}

const Itvl* Components(const Box& box, int n) {
    assert(box.Dimension() >= n);
    return n > 0 ? &box[0] : nullptr;
}

// One univariate coefficient: the range of c (a coefficient polynomial of the
// prepared decomposition) over w by the given method (1 to 6).
Itvl CoefficientRange(const DistPoly& c, const Itvl* w, int method) {
    const int degree = c.TotalDegree();
    if (c.TermCount() <= 1 && degree == 0) {  // a constant: its value is its range
        return EntireIfNaN(c.ConstantValue());
    }
    if (degree <= 1 && method != 4) {
        // Linear: each variable occurs once, so the plain evaluation is the
        // range up to rounding, and every centred form contains it.
        return Evaluate(c, w);
    }
    switch (method) {
        case 1:
            return BicenteredRange(c, w);
        case 2:
            return Evaluate(c, w);
        case 3:
            return MidpointRange(c, w);
        case 4:
            return TermSum(c, w);
        case 5: {
            Itvl first = MidpointRange(c, w);
            return IntersectOr(first, BicenteredRange(c, w), first);
        }
        default: {
            Itvl first = TermSum(c, w);
            return IntersectOr(first, BicenteredRange(c, w), first);
        }
    }
}

// The direct form: for each exponent e of var, the sum over the terms with that
// exponent of coefficient * product of x_j^e_j over the other variables.
UnivPoly DirectUniv(const DistPoly& poly, const Itvl* x, int var) {
    const int n = poly.VariableCount();
    const int degree = poly.Degree(var);
    std::vector<Itvl> sums(degree + 1);
    std::vector<char> present(degree + 1, 0);
    bool unbounded = false;
    for (int j = 0; j < n; ++j) {  // a NaN bound could vanish in a later Min or Max
        unbounded = unbounded || (j != var && (IsNaN(x[j].lo) || IsNaN(x[j].hi)));
    }
    for (int t = 0; t < poly.TermCount(); ++t) {
        const int* e = poly.Exponents(t);
        Itvl v = poly.Coefficient(t);
        for (int j = 0; j < n; ++j) {
            if (j != var && e[j] != 0) {
                v = v * Power(x[j], e[j]);
            }
        }
        Itvl& sum = sums[e[var]];
        sum = present[e[var]] != 0 ? AddOrEntire(sum, v) : EntireIfNaN(v);
        present[e[var]] = 1;
    }
    UnivPoly r;
    for (int e = degree; e >= 0; --e) {
        if (present[e] != 0 && !sums[e].IsZero()) {
            r.coefficients.push_back(unbounded ? Itvl::Entire() : sums[e]);
            r.exponents.push_back(e);
        }
    }
    return r;
}

}  // namespace

Itvl Evaluate(const DistPoly& poly, const Itvl* x) {
    if (poly.TermCount() == 0) {
        return Itvl(0.0);
    }
    // A component with a NaN bound could lose the NaN in a later Min or Max.
    for (int j = 0; j < poly.VariableCount(); ++j) {
        if (IsNaN(x[j].lo) || IsNaN(x[j].hi)) {
            return Itvl::Entire();
        }
    }
    return EntireIfNaN(EvaluateTerms(poly, 0, poly.TermCount(), x, 0));
}

Itvl Evaluate(const DistPoly& poly, const Box& box) {
    return Evaluate(poly, Components(box, poly.VariableCount()));
}

Itvl TermSum(const DistPoly& poly, const Itvl* x) {
    const int n = poly.VariableCount();
    for (int j = 0; j < n; ++j) {
        if (IsNaN(x[j].lo) || IsNaN(x[j].hi)) {
            return Itvl::Entire();
        }
    }
    Itvl sum;
    for (int t = 0; t < poly.TermCount(); ++t) {
        Itvl v = poly.Coefficient(t);
        for (int j = 0; j < n; ++j) {
            if (poly.Exponent(t, j) != 0) {
                v = v * Power(x[j], poly.Exponent(t, j));
            }
        }
        sum = t == 0 ? EntireIfNaN(v) : AddOrEntire(sum, v);
    }
    return sum;
}

void PrepareUnivData(const DistPoly& poly, UnivData& data) {
    const int n = poly.VariableCount();
    data.parts.assign(n, {});
    std::vector<int> row(n > 0 ? n - 1 : 0);
    std::vector<int> partOf;
    for (int var = 0; var < n; ++var) {
        std::vector<UnivData::Part>& parts = data.parts[var];
        const int degree = poly.Degree(var);
        partOf.assign(degree + 1, -1);
        for (int t = 0; t < poly.TermCount(); ++t) {
            partOf[poly.Exponent(t, var)] = 0;
        }
        for (int e = degree; e >= 0; --e) {
            if (partOf[e] == 0) {
                partOf[e] = static_cast<int>(parts.size());
                parts.push_back(UnivData::Part{e, DistPoly(n - 1)});
            }
        }
        // Dropping x_var keeps the order of terms that share its exponent.
        for (int t = 0; t < poly.TermCount(); ++t) {
            const int* e = poly.Exponents(t);
            std::copy(e, e + var, row.begin());
            std::copy(e + var + 1, e + n, row.begin() + var);
            parts[partOf[e[var]]].coefficient.AppendTerm(poly.Coefficient(t), row.data());
        }
        for (UnivData::Part& part : parts) {
            part.coefficient.Normalize();
        }
    }
    data.ready = true;
}

UnivPoly EvalToUniv(const DistPoly& poly, const Box& box, int var, const UnivData& data) {
    const int n = poly.VariableCount();
    assert(0 <= var && var < n);
    const Itvl* x = Components(box, n);
    const int method = BRIX_RoundedParam(BRIX_Param::EvalToUnivMethod);
    if (method < 1 || method > 6 || !data.ready || static_cast<int>(data.parts.size()) != n) {
        return DirectUniv(poly, x, var);
    }
    // Scratch kept from call to call (per thread): this runs at every
    // narrowing step.
    thread_local std::vector<Itvl> w;
    w.assign(x, x + n);
    w.erase(w.begin() + var);
    UnivPoly r;
    r.coefficients.reserve(data.parts[var].size());
    r.exponents.reserve(data.parts[var].size());
    for (const UnivData::Part& part : data.parts[var]) {
        Itvl c = CoefficientRange(part.coefficient, w.data(), method);
        if (!c.IsZero()) {
            r.coefficients.push_back(c);
            r.exponents.push_back(part.exponent);
        }
    }
    return r;
}
