// The constraint tree: the abstract node every constraint class derives from.
//
// Variables are numbers inside the tree: a node with n free variables calls
// them 0 .. n-1; a quantifier binding k variables gives its body n + k, its
// own being n .. n+k-1. A box handed to a node has one interval per free
// variable of that node, in variable order.
//
// Ownership: a node owns its sub-constraints and deletes them. Operations
// marked "new" return a node the caller owns; "consumes" means *this must not
// be used after the call except through the returned pointer (which may be
// this): call them as n = n->Op(...).
#ifndef BRIX_CONSTRAINT_BRIX_CONSTRAINT_H
#define BRIX_CONSTRAINT_BRIX_CONSTRAINT_H

#include "Driver/BRIX_ResultPainter.h"
#include "Interval/Iv_Box.h"
#include "Search/BRIX_ContinuityInfo.h"

#include <cstddef>
#include <string>
#include <vector>

class BRIX_USAS;
class Ex_OutputStream;

// Variable names for printing; a null pointer stands for "no name list",
// which is distinct from an empty list.
using BRIX_Names = std::vector<std::string>;

// Kind codes of nodes (approximation states use the same codes).
enum {
    BRIX_KindConstant = 0,
    BRIX_KindAtomic = 1,
    BRIX_KindQuantified = 2,
    BRIX_KindConnective = 3,
    BRIX_KindNegation = 4,
};

class BRIX_Constraint {
public:
    BRIX_Constraint(const BRIX_Constraint&) = delete;
    BRIX_Constraint& operator=(const BRIX_Constraint&) = delete;

    // Deletes the owned sub-constraints.
    virtual ~BRIX_Constraint() = default;
    // New: a deep copy of the subtree.
    [[nodiscard]] virtual BRIX_Constraint* Copy() const = 0;
    // Consumes *this: the subtree with every classical quantifier replaced by an
    // approximate one with relative error eps.
    [[nodiscard]] virtual BRIX_Constraint* ApproxQuantifiers(double eps) = 0;
    // The variable numbering of the subtree agrees (counts, box dimensions, maps).
    virtual bool IsConsistent() const = 0;
    virtual int Kind() const = 0;
    // Highest degree in which free variable var occurs (0 where it does not).
    virtual int Degree(int var) const = 0;
    virtual int NumberOfVariables() const { return numberOfVariables; }
    // Consumes *this: one local simplification; the result replaces the node.
    [[nodiscard]] virtual BRIX_Constraint* SimplifyNode() = 0;
    // Removes free variable var: higher variables move down by one.
    virtual void RemoveVariable(int var) = 0;
    // Writes the textual form with the given names (borrowed; may be null).
    virtual void Print(Ex_OutputStream& out, const BRIX_Names* names) const = 0;
    // Print without a name list.
    virtual void Print(Ex_OutputStream& out) const { Print(out, nullptr); }
    // Narrows box in place for the direction: up removes points where the node
    // is certainly false (an emptied box: false on the whole box given), down
    // removes points where it is certainly true. usas is the node's state
    // (borrowed). complete receives the completeness flag (last writer wins).
    // Returns a change flag.
    virtual bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter context,
                        bool& complete) = 0;
    // Whether the constraint holds on box by interval test or sampling.
    virtual bool Sample(BRIX_USAS* usas, Box box, int samples) = 0;
    // Replaces the node's meaning by its negation, in place.
    virtual void Negate() = 0;
    // Which variable sets the node's truth is settled along on the state's box.
    virtual ContinuityInfo ContinuityMarks(BRIX_USAS* usas) = 0;

    bool TraceFlag() const { return traceFlag; }
    void SetTraceFlag(bool on) { traceFlag = on; }

    // Nodes come from the system layer's local allocator.
    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    bool traceFlag = false;
    int numberOfVariables;

protected:
    explicit BRIX_Constraint(int numberOfVariables) : numberOfVariables(numberOfVariables) {}
};

#endif
