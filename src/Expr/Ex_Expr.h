// Expression trees: reference-counted cells held through the Ex_Expr handle.
//
// Everything the user types and much of what BRIX prints travels as such a
// tree. A Normal cell is an atom (no argument: a name, number or string) or an
// application (head text plus arguments); a List cell is a bracketed list; a
// Neutral cell stands for an absent operand; a Lazy cell carries a typed value
// that becomes a tree only when first inspected. Trees are shared and never
// changed after construction, except while a builder fills a fresh cell with
// SetArg and when a Lazy slot is replaced by its evaluated tree.
#ifndef BRIX_EXPR_EX_EXPR_H
#define BRIX_EXPR_EX_EXPR_H

#include <cstddef>

class Ex_ExprCell;
class Ex_Format;
class Ex_FutureBase;

class Ex_Expr {
public:
    Ex_Expr() = default;
    // Takes over one reference already counted for this handle (builders only).
    explicit Ex_Expr(Ex_ExprCell* counted) : cell_(counted) {}
    Ex_Expr(const Ex_Expr& other);
    Ex_Expr(Ex_Expr&& other) noexcept : cell_(other.cell_) { other.cell_ = nullptr; }
    Ex_Expr& operator=(const Ex_Expr& other);
    Ex_Expr& operator=(Ex_Expr&& other) noexcept;
    ~Ex_Expr();

    bool IsNull() const { return cell_ == nullptr; }
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

    Ex_ExprCell* Cell() const { return cell_; }

private:
    Ex_ExprCell* cell_ = nullptr;
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
