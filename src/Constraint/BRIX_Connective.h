// The n-ary conjunction or disjunction.
//
// Its approximation state is a BRIX_USASBoolean with one child state per sub,
// in sub order. A null child means the sub no longer matters on the state's
// box: it was found neutral there (true under a conjunction, false under a
// disjunction) and is never consulted again.
#ifndef BRIX_CONSTRAINT_BRIX_CONNECTIVE_H
#define BRIX_CONSTRAINT_BRIX_CONNECTIVE_H

#include "Constraint/BRIX_Constraint.h"

#include <vector>

class BRIX_Connective : public BRIX_Constraint {
public:
    // Consumes every sub-constraint of subs (the list itself is copied); all
    // have numberOfVariables variables. The list may be empty.
    BRIX_Connective(bool isConjunction, const std::vector<BRIX_Constraint*>& subs,
                    int numberOfVariables);
    // Deletes every sub-constraint.
    ~BRIX_Connective() override;

    using BRIX_Constraint::Print;
    // New: the same kind over copies of the subs.
    [[nodiscard]] BRIX_Constraint* Copy() const override;
    // Consumes *this: a new connective of the same kind over the subs'
    // ApproxQuantifiers(eps); this node is deleted.
    [[nodiscard]] BRIX_Constraint* ApproxQuantifiers(double eps) override;
    // Every sub present, consistent and with the connective's count (true for
    // no subs).
    bool IsConsistent() const override;
    int Kind() const override { return BRIX_KindConnective; }
    // The highest of the subs' degrees; 0 for no subs.
    int Degree(int var) const override;
    // Consumes *this: simplifies every sub with the whole-tree Simplify, drops
    // neutral constants, splices in sub-connectives of the same kind and
    // returns the absorbing constant when one appears. With no sub left the
    // result is a new constant (true for a conjunction, false for a
    // disjunction); otherwise this node, even with a single sub.
    [[nodiscard]] BRIX_Constraint* SimplifyNode() override;
    void RemoveVariable(int var) override;
    // "(", the subs separated by " /\ " or " \/ ", ")"; "()" for no subs.
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override;
    // usas is the connective's BRIX_USASBoolean (borrowed). Conjunction up and
    // disjunction down narrow the box itself through every sub in turn until
    // no sub has more to do (or a bounded number of rounds has run: the marks
    // of the subs still due are cleared); conjunction down and disjunction up
    // replace the box by the hull of copies narrowed separately. An empty box
    // is left alone. complete is handed to every sub call. Returns the OR of
    // the subs' results.
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context, bool& complete) override;
    // Every sub's Sample (null state) true for a conjunction, one for a
    // disjunction; stops at the first deciding answer. No subs: a conjunction
    // holds, a disjunction does not.
    bool Sample(BRIX_USAS* usas, Box box, int samples) override;
    // De Morgan: negates every sub in place and exchanges and/or.
    void Negate() override;
    // With flag UseContinuity: the subs' marks joined with And (conjunction)
    // or Or (disjunction); a sub found neutral on the whole box loses its child
    // state. Empty lists otherwise, or when no sub has a child state.
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override;

    int SubCount() const { return static_cast<int>(subs.size()); }
    BRIX_Constraint* Sub(int i) const { return subs[static_cast<std::size_t>(i)]; }  // owned here

    bool isConjunction;
    std::vector<BRIX_Constraint*> subs;  // owned
};

#endif
