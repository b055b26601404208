#include "Constraint/BRIX_Quantified.h"

#include "Constraint/BRIX_Constant.h"
#include "Constraint/BRIX_Simplify.h"
#include "Expr/Ex_Convert.h"
#include "IO/Ex_Stream.h"

#include <cassert>
#include <cstddef>

BRIX_Quantified::~BRIX_Quantified() {
    delete sub;
}

bool BRIX_Quantified::IsConsistent() const {
    const int k = BoundCount();
    return box.Dimension() == k && sub != nullptr &&
           sub->NumberOfVariables() == numberOfVariables + k && sub->IsConsistent();
}

void BRIX_Quantified::SetDomain(const Box& innerBox) {
    inner = innerBox == box ? Box() : innerBox;
}

BRIX_Constraint* BRIX_Quantified::SimplifyNode() {
    const int n = numberOfVariables;
    sub = Simplify(sub);
    if (IsClassical() && sub->Kind() == BRIX_KindQuantified) {
        auto* nested = static_cast<BRIX_Quantified*>(sub);
        if (nested->IsClassical() && nested->Polarity() == Polarity()) {
            // Q x: Q y: F is Q (x, y): F; the inner bound numbers follow ours.
            Box domain(BoundCount() + nested->BoundCount());
            for (int i = 0; i < domain.Dimension(); ++i) {
                domain.Set(i, i < BoundCount() ? Inside(i) : nested->Inside(i - BoundCount()));
            }
            box = ConcatBoxes(box, nested->box);
            SetDomain(domain);
            variables.insert(variables.end(), nested->variables.begin(), nested->variables.end());
            sub = nested->sub;
            nested->sub = nullptr;
            delete nested;
        }
    }
    // A bound variable that does not occur quantifies over nothing (its
    // interval is never empty); removing one may let the sub simplify further.
    bool dropped = true;
    while (dropped) {
        dropped = false;
        sub = Simplify(sub);
        for (int i = BoundCount() - 1; i >= 0; --i) {
            if (sub->Degree(n + i) == 0) {
                sub->RemoveVariable(n + i);
                DropBound(i);
                dropped = true;
            }
        }
    }
    bool exactConstant = false;
    if (sub->Kind() == BRIX_KindConstant) {
        const TruthValue value = static_cast<const BRIX_Constant*>(sub)->value;
        exactConstant = value.IsTrue() || value.IsFalse();
    }
    if (exactConstant || BoundCount() == 0) {
        BRIX_Constraint* result = sub;
        sub = nullptr;  // handed to the caller; must not be deleted with this node
        delete this;
        return result;
    }
    return this;
}

void BRIX_Quantified::RemoveVariable(int var) {
    sub->RemoveVariable(var);
    if (var < numberOfVariables) {
        --numberOfVariables;
    } else {
        DropBound(var - numberOfVariables);
    }
}

void BRIX_Quantified::DropBound(int i) {
    const int k = BoundCount();
    assert(i >= 0 && i < k);
    Box smaller(k - 1);
    Box smallerInside(k - 1);
    for (int j = 0, t = 0; j < k; ++j) {
        if (j != i) {
            smallerInside.Set(t, Inside(j));
            smaller.Set(t++, box[j]);
        }
    }
    box = smaller;
    SetDomain(smallerInside);
    variables.erase(variables.begin() + i);
}

void BRIX_Quantified::PrintQuantified(Ex_OutputStream& out, const BRIX_Names* names,
                                      const char* prefix) const {
    const bool useNames = names != nullptr && !names->empty();
    Ex_Expr list = MakeList(BoundCount());
    for (int i = 0; i < BoundCount(); ++i) {
        const int v = variables[static_cast<std::size_t>(i)];
        // A number the name list does not reach is written as the number.
        if (useNames && v >= 0 && v < static_cast<int>(names->size())) {
            list.SetArg(i, Atom((*names)[static_cast<std::size_t>(v)].c_str()));
        } else {
            list.SetArg(i, LongToExpr(v));
        }
    }
    out << prefix << " " << list << " in " << box << ":\n";
    sub->Print(out, names);
    out << "\n";
}

// ---- Box operations. ----

Box ConcatBoxes(const Box& a, const Box& b) {
    if (a.IsEmpty() || b.IsEmpty()) {
        return Box();
    }
    Box r(a.Dimension() + b.Dimension());
    for (int i = 0; i < a.Dimension(); ++i) {
        r.Set(i, a[i]);
    }
    for (int i = 0; i < b.Dimension(); ++i) {
        r.Set(a.Dimension() + i, b[i]);
    }
    return r;
}

Box HullBoxes(const Box& a, const Box& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    assert(a.Dimension() == b.Dimension());
    Box r = a;
    for (int i = 0; i < a.Dimension(); ++i) {
        r.Set(i, Hull(a[i], b[i]));
    }
    return r;
}

std::vector<Box> BoxDifference(const Box& a, const Box& b) {
    std::vector<Box> pieces;
    if (a.IsEmpty()) {
        return pieces;
    }
    if (b.IsEmpty()) {
        pieces.push_back(a);
        return pieces;
    }
    assert(a.Dimension() == b.Dimension());
    const int d = a.Dimension();
    // Slab i: a's components before i, the cut-off part of component i, b's
    // components after it; the slabs and b cover a.
    auto slab = [&](int i, const Iv_Itvl<double>& part) {
        Box piece(d);
        for (int j = 0; j < d; ++j) {
            piece.Set(j, j < i ? a[j] : (j == i ? part : b[j]));
        }
        pieces.push_back(piece);
    };
    for (int i = 0; i < d; ++i) {
        if (a[i].lo < b[i].lo) {
            slab(i, Iv_Itvl<double>::FromBounds(a[i].lo, b[i].lo));
        }
        if (b[i].hi < a[i].hi) {
            slab(i, Iv_Itvl<double>::FromBounds(b[i].hi, a[i].hi));
        }
    }
    return pieces;
}
