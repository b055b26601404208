// Building polynomials: constants, variables, sums, products, powers, and the
// substitutions and derivatives that produce new polynomials.
//
// Every coefficient is computed by the interval operations, so each term of a
// result encloses the exact coefficient for all choices of the operands'
// coefficients. Sums go through AddOrEntire, so no coefficient has a NaN bound.
#include "Search/BRIX_DistPoly.h"

#include "Search/BRIX_DistPolyDetail.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <numeric>

namespace {

using Itvl = Iv_Itvl<double>;

// Lexicographic comparison of two exponent rows of n entries, variable 0 most
// significant: negative, 0 or positive as a is below, equal to or above b.
int CompareRows(const int* a, const int* b, int n) {
    for (int j = 0; j < n; ++j) {
        if (a[j] != b[j]) {
            return a[j] < b[j] ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace

DistPoly DistPoly::Constant(int variableCount, const Itvl& value) {
    DistPoly r(variableCount);
    if (!value.IsZero()) {
        r.coefficients_.push_back(value);
        r.exponents_.assign(variableCount, 0);
    }
    return r;
}

DistPoly DistPoly::Variable(int variableCount, int var) {
    assert(0 <= var && var < variableCount);
    DistPoly r(variableCount);
    r.coefficients_.push_back(Itvl(1.0));
    r.exponents_.assign(variableCount, 0);
    r.exponents_[var] = 1;
    return r;
}

void DistPoly::AppendTerm(const Itvl& coefficient, const int* exponents) {
    coefficients_.push_back(coefficient);
    exponents_.insert(exponents_.end(), exponents, exponents + variableCount_);
}

void DistPoly::Clear(int variableCount) {
    assert(variableCount >= 0);
    variableCount_ = variableCount;
    coefficients_.clear();
    exponents_.clear();
}

void DistPoly::Normalize() {
    const int n = variableCount_;
    const int m = TermCount();
    bool ordered = true;
    for (int t = 1; t < m && ordered; ++t) {
        ordered = CompareRows(Exponents(t - 1), Exponents(t), n) > 0;
    }
    if (ordered) {  // the common case (every builder below): only drop zero terms
        int kept = 0;
        for (int t = 0; t < m; ++t) {
            if (coefficients_[t].IsZero()) {
                continue;
            }
            if (kept != t) {
                coefficients_[kept] = coefficients_[t];
                std::copy_n(Exponents(t), n,
                            exponents_.begin() + static_cast<std::ptrdiff_t>(kept) * n);
            }
            ++kept;
        }
        coefficients_.resize(kept);
        exponents_.resize(static_cast<size_t>(kept) * n);
        return;
    }
    std::vector<int> order(m);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this, n](int a, int b) {
        return CompareRows(Exponents(a), Exponents(b), n) > 0;
    });
    DistPoly sorted(n);
    sorted.coefficients_.reserve(m);
    sorted.exponents_.reserve(exponents_.size());
    for (int i = 0; i < m;) {
        const int* row = Exponents(order[i]);
        Itvl sum = coefficients_[order[i]];
        int j = i + 1;
        for (; j < m && CompareRows(Exponents(order[j]), row, n) == 0; ++j) {
            sum = AddOrEntire(sum, coefficients_[order[j]]);
        }
        if (!sum.IsZero()) {
            sorted.AppendTerm(sum, row);
        }
        i = j;
    }
    coefficients_.swap(sorted.coefficients_);
    exponents_.swap(sorted.exponents_);
}

DistPoly DistPoly::operator+(const DistPoly& other) const {
    assert(variableCount_ == other.variableCount_);
    const int n = variableCount_;
    DistPoly r(n);
    r.coefficients_.reserve(coefficients_.size() + other.coefficients_.size());
    r.exponents_.reserve(exponents_.size() + other.exponents_.size());
    int i = 0;
    int j = 0;
    // Both operands are ordered: merge them, adding the terms of equal rows.
    while (i < TermCount() && j < other.TermCount()) {
        int c = CompareRows(Exponents(i), other.Exponents(j), n);
        if (c > 0) {
            r.AppendTerm(coefficients_[i], Exponents(i));
            ++i;
        } else if (c < 0) {
            r.AppendTerm(other.coefficients_[j], other.Exponents(j));
            ++j;
        } else {
            Itvl sum = AddOrEntire(coefficients_[i], other.coefficients_[j]);
            if (!sum.IsZero()) {
                r.AppendTerm(sum, Exponents(i));
            }
            ++i;
            ++j;
        }
    }
    for (; i < TermCount(); ++i) {
        r.AppendTerm(coefficients_[i], Exponents(i));
    }
    for (; j < other.TermCount(); ++j) {
        r.AppendTerm(other.coefficients_[j], other.Exponents(j));
    }
    return r;
}

DistPoly DistPoly::operator-() const {
    DistPoly r(*this);
    for (Itvl& c : r.coefficients_) {
        c = -c;
    }
    return r;
}

DistPoly DistPoly::operator-(const DistPoly& other) const {
    return *this + (-other);
}

DistPoly DistPoly::operator*(const DistPoly& other) const {
    assert(variableCount_ == other.variableCount_);
    const int n = variableCount_;
    DistPoly r(n);
    r.coefficients_.reserve(coefficients_.size() * other.coefficients_.size());
    r.exponents_.resize(coefficients_.size() * other.exponents_.size());
    int* row = r.exponents_.data();
    for (int i = 0; i < TermCount(); ++i) {
        for (int j = 0; j < other.TermCount(); ++j, row += n) {
            r.coefficients_.push_back(coefficients_[i] * other.coefficients_[j]);
            for (int v = 0; v < n; ++v) {
                row[v] = Exponent(i, v) + other.Exponent(j, v);
            }
        }
    }
    r.Normalize();
    return r;
}

DistPoly DistPoly::Power(int exponent) const {
    assert(exponent >= 0);
    DistPoly result = Constant(variableCount_, Itvl(1.0));
    DistPoly base = *this;
    // Binary powering: result * base^exponent stays the wanted power.
    while (exponent > 0) {
        if ((exponent & 1) != 0) {
            result = result * base;
        }
        exponent >>= 1;
        if (exponent > 0) {
            base = base * base;
        }
    }
    return result;
}

int DistPoly::Degree(int var) const {
    int d = 0;
    for (int t = 0; t < TermCount(); ++t) {
        d = std::max(d, Exponent(t, var));
    }
    return d;
}

int DistPoly::TotalDegree() const {
    int d = 0;
    for (int t = 0; t < TermCount(); ++t) {
        const int* e = Exponents(t);
        d = std::max(d, std::accumulate(e, e + variableCount_, 0));
    }
    return d;
}

Itvl DistPoly::ConstantValue() const {
    return coefficients_.empty() ? Itvl(0.0) : coefficients_.front();
}

DistPoly DistPoly::SubstituteVariable(int var, const Itvl& value) const {
    assert(0 <= var && var < variableCount_);
    const int n = variableCount_;
    DistPoly r(n - 1);
    r.coefficients_.reserve(coefficients_.size());
    r.exponents_.reserve(static_cast<size_t>(TermCount()) * (n - 1));
    for (int t = 0; t < TermCount(); ++t) {
        const int* e = Exponents(t);
        Itvl c = coefficients_[t];
        if (e[var] != 0) {
            c = c * ::Power(value, e[var]);
        }
        r.coefficients_.push_back(c);
        r.exponents_.insert(r.exponents_.end(), e, e + var);
        r.exponents_.insert(r.exponents_.end(), e + var + 1, e + n);
    }
    r.Normalize();  // removing a variable can bring equal rows together
    return r;
}

void DistPoly::DerivativeInto(int k, DistPoly& out) const {
    assert(0 <= k && k < variableCount_ && &out != this);
    out.Clear(variableCount_);
    // Lowering e_k by one in every term that keeps it preserves the order.
    for (int t = 0; t < TermCount(); ++t) {
        const int ek = Exponent(t, k);
        if (ek == 0) {
            continue;
        }
        const Itvl& a = coefficients_[t];
        out.AppendTerm(ek == 1 ? a : static_cast<double>(ek) * a, Exponents(t));
        out.exponents_[(out.TermCount() - 1) * variableCount_ + k] = ek - 1;
    }
}

void DistPoly::SubstituteLastInto(const Itvl& X, DistPoly& out) const {
    assert(variableCount_ > 0 && &out != this);
    const int n = variableCount_;
    out.Clear(n - 1);
    // Terms that agree in all but the last exponent are adjacent: each such run
    // becomes one term whose coefficient is the sum of a * X^e over the run.
    for (int t = 0; t < TermCount();) {
        const int* row = Exponents(t);
        Itvl sum;  // [0, 0]
        int u = t;
        for (; u < TermCount() && CompareRows(Exponents(u), row, n - 1) == 0; ++u) {
            const int e = Exponent(u, n - 1);
            Itvl v = e == 0 ? coefficients_[u] : coefficients_[u] * ::Power(X, e);
            sum = u == t ? EntireIfNaN(v) : AddOrEntire(sum, v);
        }
        if (!sum.IsZero()) {
            out.AppendTerm(sum, row);
        }
        t = u;
    }
}

DistPoly Derivative(const DistPoly& poly, int k) {
    DistPoly r;
    poly.DerivativeInto(k, r);
    return r;
}

DistPoly SubstituteLast(const DistPoly& poly, const Iv_Itvl<double>& X) {
    DistPoly r;
    poly.SubstituteLastInto(X, r);
    return r;
}
