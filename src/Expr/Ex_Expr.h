// Expression trees: reference-counted cells held through the Ex_Expr handle.
//
// Everything the user types and much of what BRIX prints travels as such a
// tree. A Normal cell is an atom (no argument: a name, number or string) or an
// application (head text plus arguments); a List cell is a bracketed list; a
// Neutral cell stands for an absent operand; a Lazy cell carries a typed value
// that becomes a tree only when first inspected. Trees are shared and never
// changed after construction, except while a builder fills a fresh cell with
// SetArg and when a Lazy slot is replaced by its evaluated tree. The counts are
// a solver thread's own (SAL_Shared.h): a tree goes to another thread as a
// Detach() copy.
#ifndef BRIX_EXPR_EX_EXPR_H
#define BRIX_EXPR_EX_EXPR_H

#include "System/SAL_Shared.h"

#include <cstddef>

class Ex_ExprCell;
class Ex_Format;
class Ex_FutureBase;

class Ex_Expr {
public:
    // A null handle. The constructors, assignments and destructor are out of
    // line: counting needs the cell classes.
    Ex_Expr() noexcept;
    // Holds a fresh cell that nobody counts yet; consumes it (builders only).
    explicit Ex_Expr(Ex_ExprCell* fresh);
    Ex_Expr(const Ex_Expr& other);
    Ex_Expr(Ex_Expr&& other) noexcept;
    Ex_Expr& operator=(const Ex_Expr& other);
    Ex_Expr& operator=(Ex_Expr&& other) noexcept;
    ~Ex_Expr();

    bool IsNull() const { return cell_.IsNull(); }
    // Number of arguments (Normal) or elements (List); 0 for the other kinds and null.
    int Arity() const;
    // Head text of a Normal cell; null for every other kind.
    const char* Head() const;
    // Argument or element i (i < Arity()). A Lazy slot is first replaced in place
    // by the tree it evaluates to, so later accesses see the evaluated tree.
    Ex_Expr Arg(int i) const;
    // Slot i of a Normal or List cell takes its own reference to value's cell;
    // other kinds store nothing.
    void SetArg(int i, const Ex_Expr& value);

    bool IsNormal() const;
    bool IsNeutral() const;
    bool IsList() const;
    bool IsLazy() const;
    // Re-points a handle to a Lazy cell at the tree its value evaluates to.
    void Force();
    // The same tree in cells of its own, shared with no other handle (Lazy
    // cells evaluated): the way to hand a tree to another thread.
    Ex_Expr Detach() const;

    // Operator tests used by the printer and the constraint builder.
    bool IsOperator() const;
    bool IsBinaryOperator() const;
    bool IsBang() const;
    bool IsSimple() const;

    // The quoted mark of a Normal cell (0 from every builder).
    bool Quoted() const;
    void SetQuoted(bool quoted);
    // The list format of a List cell (the shared no-format object unless set).
    const Ex_Format* ListFormat() const;

    // The cell (borrowed; null for a null handle).
    Ex_ExprCell* Cell() const { return cell_.Raw(); }

private:
    SAL_Shared<Ex_ExprCell> cell_;
};

// Builders; each returns a handle to a fresh cell (or, for Add and Mul with a
// Neutral operand, the other operand itself).
Ex_Expr Atom(const char* text);
Ex_Expr Unary(const char* head, const Ex_Expr& a);
Ex_Expr Binary(const char* head, const Ex_Expr& a, const Ex_Expr& b);
Ex_Expr Apply(const char* head, int n);  // n null arguments, filled with SetArg
Ex_Expr MakeList(int n);                 // n null elements
Ex_Expr MakeNeutral();
// A Lazy cell owning the future (consumes it: allocated with new).
Ex_Expr MakeLazyFrom(Ex_FutureBase* future);
Ex_Expr Neg(const Ex_Expr& a);
Ex_Expr Add(const Ex_Expr& a, const Ex_Expr& b);
Ex_Expr Sub(const Ex_Expr& a, const Ex_Expr& b);
Ex_Expr Mul(const Ex_Expr& a, const Ex_Expr& b);
Ex_Expr Div(const Ex_Expr& a, const Ex_Expr& b);
Ex_Expr Pow(const Ex_Expr& a, const Ex_Expr& b);

// True when the handle is a Normal cell whose head equals text.
bool HeadIs(const Ex_Expr& e, const char* text);

#endif
