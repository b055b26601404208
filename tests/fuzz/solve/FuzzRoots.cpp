#include "fuzz/solve/FuzzRoots.h"

#include <cstddef>
#include <utility>

namespace solvefuzz {
namespace {

using Poly = std::vector<ExactQ>;  // constant first, no zero leading term

void Trim(Poly& p) {
    while (!p.empty() && Sign(p.back()) == 0) {
        p.pop_back();
    }
}

ExactQ At(const Poly& p, const ExactQ& x) {
    ExactQ v(0.0);
    for (std::size_t i = p.size(); i-- > 0;) {
        v = v * x + p[i];
    }
    return v;
}

Poly Derivative(const Poly& p) {
    Poly d;
    for (std::size_t i = 1; i < p.size(); ++i) {
        d.push_back(p[i] * ExactQ(static_cast<double>(i)));
    }
    Trim(d);
    return d;
}

// The remainder of a divided by b (b not zero).
Poly Remainder(Poly a, const Poly& b) {
    while (a.size() >= b.size() && !a.empty()) {
        const ExactQ factor = a.back() / b.back();
        const std::size_t shift = a.size() - b.size();
        for (std::size_t i = 0; i < b.size(); ++i) {
            a[shift + i] = a[shift + i] - factor * b[i];
        }
        a.pop_back();  // the leading term is gone
        Trim(a);
    }
    return a;
}

// Sign changes of the sequence's values at x (zeros skipped).
int SignChanges(const std::vector<Poly>& sequence, const ExactQ& x) {
    int changes = 0;
    int last = 0;
    for (const Poly& p : sequence) {
        const int s = Sign(At(p, x));
        if (s != 0) {
            changes += last != 0 && s != last ? 1 : 0;
            last = s;
        }
    }
    return changes;
}

}  // namespace

std::vector<ExactQ> Interpolate(const ExactQ& lo, const ExactQ& hi,
                                const std::vector<ExactQ>& values) {
    const std::size_t n = values.size();
    std::vector<ExactQ> x(n);
    std::vector<ExactQ> c = values;
    for (std::size_t j = 0; j < n; ++j) {
        x[j] = lo + (hi - lo) * ExactQ(static_cast<double>(j)) /
                        ExactQ(static_cast<double>(n > 1 ? n - 1 : 1));
    }
    for (std::size_t k = 1; k < n; ++k) {
        for (std::size_t j = n - 1; j >= k; --j) {
            c[j] = (c[j] - c[j - 1]) / (x[j] - x[j - k]);
        }
    }
    // Newton form to monomials, innermost first: p = c0 + (x - x0)(c1 + ...).
    Poly p{c[n - 1]};
    for (std::size_t k = n - 1; k-- > 0;) {
        Poly next(p.size() + 1, ExactQ(0.0));
        for (std::size_t i = 0; i < p.size(); ++i) {
            next[i + 1] = next[i + 1] + p[i];
            next[i] = next[i] - x[k] * p[i];
        }
        next[0] = next[0] + c[k];
        p = std::move(next);
    }
    return p;
}

bool HasRootIn(std::vector<ExactQ> p, const ExactQ& lo, const ExactQ& hi) {
    Trim(p);
    if (p.empty() || Sign(At(p, lo)) == 0 || Sign(At(p, hi)) == 0) {
        return true;
    }
    // Sturm: the sign changes at lo minus those at hi count the distinct
    // roots in (lo, hi].
    std::vector<Poly> sequence{p, Derivative(p)};
    while (!sequence.back().empty()) {
        Poly r = Remainder(sequence[sequence.size() - 2], sequence.back());
        for (ExactQ& v : r) {
            v = -v;
        }
        sequence.push_back(std::move(r));
    }
    sequence.pop_back();
    return SignChanges(sequence, lo) > SignChanges(sequence, hi);
}

}  // namespace solvefuzz
