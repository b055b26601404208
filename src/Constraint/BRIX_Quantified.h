// Quantified constraints: k bound variables, each ranging over an interval of
// the quantifier's box, in a sub-constraint with n + k free variables (the
// quantifier's own n free ones first).
//
// The pieces of the bound box whose truth is still open live in the stack of
// the quantifier's approximation state (BRIX_USASQuantified); every element
// holds a box over all n + k variables and the state of the sub-constraint on
// it. Soundness rests on one rule about that stack: an element leaves it only
// when its piece is recorded in the store's true or false list (top
// quantifier) or proved irrelevant for the quantifier on the boxes it will
// still be asked about (all within the boxes seen so far): under FORALL the
// sub holds on the whole piece, under EXISTS it fails there.
#ifndef BRIX_CONSTRAINT_BRIX_QUANTIFIED_H
#define BRIX_CONSTRAINT_BRIX_QUANTIFIED_H

#include "Constraint/BRIX_Constraint.h"

#include <vector>

class BRIX_USASQuantified;

class BRIX_Quantified : public BRIX_Constraint {
public:
    // Deletes the sub-constraint.
    ~BRIX_Quantified() override;

    // The length of variables is the dimension of box, sub has n + k free
    // variables and is consistent.
    bool IsConsistent() const override;
    int Kind() const override { return BRIX_KindQuantified; }
    // The sub-constraint's degree in var.
    int Degree(int var) const override { return sub->Degree(var); }
    // Consumes *this: simplifies sub, merges a classical sub-quantifier of the
    // same polarity into a classical quantifier, drops bound variables that do
    // not occur; returns the sub when it is an exact constant or no bound
    // variable is left (this node is deleted), otherwise this.
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    // A free variable (var < n) leaves the count; a bound one (n + i) leaves
    // variables and box. The sub-constraint loses var either way.
    void RemoveVariable(int var) override;

    virtual bool IsClassical() const = 0;
    // -1 FORALL, +1 EXISTS, 0 for the top quantifier over the free variables.
    virtual int Polarity() const = 0;
    virtual bool IsUnknown() const = 0;

    int BoundCount() const { return static_cast<int>(variables.size()); }
    const Box& BoundBox() const { return box; }
    BRIX_Constraint* Sub() const { return sub; }  // still owned by the quantifier

    // The reals the bound variables range over, when box is only an outward
    // rounding of them (a bound typed as 0.1): innerBox holds per bound
    // variable doubles inside those reals (upside down or empty when there
    // are none). Null innerBox (empty box): box is exactly the domain.
    // Witnesses of a true EXISTS or a false FORALL must lie in the domain;
    // box, which covers it, serves everything else.
    void SetDomain(const Box& innerBox);
    // Copies other's domain (for copies and the nodes made from others).
    void CopyDomain(const BRIX_Quantified& other) { inner = other.inner; }
    const Box& InnerBox() const { return inner; }
    // Component i of the domain's inside: box[i] when the domain is exact.
    Iv_Itvl<double> Inside(int i) const { return inner.IsEmpty() ? box[i] : inner[i]; }
    // Whether [lo, hi] (in bound variable i) holds a point of the domain, or
    // lies wholly inside it.
    bool MeetsDomain(int i, double lo, double hi) const {
        const Iv_Itvl<double> d = Inside(i);
        return lo <= d.hi && hi >= d.lo;
    }
    bool InsideDomain(int i, double lo, double hi) const {
        const Iv_Itvl<double> d = Inside(i);
        return d.lo <= lo && hi <= d.hi;
    }

    std::vector<int> variables;  // the bound variables, in the body's numbering
    Box box;                     // one interval per bound variable
    BRIX_Constraint* sub;        // owned

protected:
    // Consumes sub; box and variables are copied.
    BRIX_Quantified(const Box& box, const std::vector<int>& variables, BRIX_Constraint* sub,
                    int numberOfVariables)
        : BRIX_Constraint(numberOfVariables), variables(variables), box(box), sub(sub) {}

    // Writes prefix, " ", the bound variables (their names from names when
    // that list is given and not empty, else their numbers), " in ", the box,
    // ":\n", the sub with the same names and "\n".
    void PrintQuantified(Ex_OutputStream& out, const BRIX_Names* names, const char* prefix) const;
    // Removes bound variable i (0 <= i < k) from variables and box only.
    void DropBound(int i);
    // The narrowing of FORALL / EXISTS quantifiers (Polarity -1 / +1): every
    // element of the stack of usas (borrowed) is narrowed through sub.
    // FORALL up and EXISTS down narrow the box itself element after element;
    // FORALL down and EXISTS up replace it by the hull of copies narrowed by
    // each element. Pieces removed from elements of a store go to its true
    // (down) or false (up) list. Sets complete to true; returns whether the
    // box or the stack changed.
    // pointWitnesses: one point of the bound box may decide the quantifier
    // over a whole free box (not for an approximate quantifier, which counts
    // volume).
    bool NarrowClassical(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete,
                         bool pointWitnesses);

private:
    Box inner;  // see SetDomain
};

// ---- Box operations of the quantifier narrowing. ----

// a's components followed by b's; empty when either is empty.
Box ConcatBoxes(const Box& a, const Box& b);
// b when a is empty, a when b is empty, otherwise the component-wise hull.
Box HullBoxes(const Box& a, const Box& b);
// Boxes that together with b cover a (b inside a, same dimension): none when a
// is empty, [a] when b is empty; otherwise for each dimension i, up to two
// slabs, [a_i.lo, b_i.lo] and [b_i.hi, a_i.hi], with a's components before i
// and b's after it. Neighbouring pieces share bounds.
std::vector<Box> BoxDifference(const Box& a, const Box& b);

#endif
