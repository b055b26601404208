// Building the constraint tree from a parsed expression.
//
// Forms, tried in this order on every sub-expression (after an optional
// TRACE(...) wrapper, which sets the built node's traceFlag, and the rewrite of
// A ==> B and implies(A, B) to or(not(A), B)):
//   relation       L REL R with REL one of < <= > >= = !=, built as the
//                  atomic constraint L - R REL 0 (R may be an interval literal)
//   approximate    FORALL/EXISTS(bounds, names, box, body)
//   classical      FORALL/EXISTS(names, box, body)
//   negation       not(A), ~A
//   connective     and(...), /\, or(...), \/  (any number of operands)
//
// Names in scope are the free variables followed by the names each enclosing
// quantifier binds; a name refers to the innermost binding of that name.
// indices gives, per name position, the variable number it stands for; its
// length is the number of free variables of every node built at that level.
#ifndef BRIX_CONSTRAINT_BRIX_BUILDER_H
#define BRIX_CONSTRAINT_BRIX_BUILDER_H

#include "Constraint/BRIX_Constraint.h"
#include "Expr/Ex_Expr.h"

#include <vector>

// Limits on the polynomials of one relation, so that no input can make the
// conversion allocate or compute without bound. Refused: an exponent numeral
// above kBuilderMaxExponent; a polynomial of total degree above
// kBuilderMaxDegree or with more than kBuilderMaxTerms terms; one product
// whose term pairs times (variables + 4) exceed kBuilderMaxProductWords (its
// scratch space in words); products adding up to more than kBuilderMaxWork
// term pairs in one relation. Each product is checked before it is formed.
constexpr long kBuilderMaxExponent = 1000;
constexpr int kBuilderMaxDegree = 1000;
constexpr int kBuilderMaxTerms = 100000;
constexpr long kBuilderMaxProductWords = 1L << 24;
constexpr long kBuilderMaxWork = 20000000;
// Variable sets are 32-bit masks: no node may have more variables.
constexpr int kBuilderMaxVariables = 32;

// New: the constraint node for expression over the names in scope, or null
// when expression is not a valid constraint there (nothing is printed; any
// part already built is deleted). names is borrowed and restored on return
// (quantifiers append their names while their body is built); indices must
// have one entry per name. allowConnectives false refuses the connective form
// at this level (every recursive call passes true).
[[nodiscard]] BRIX_Constraint* BuildConstraint(const Ex_Expr& expression, BRIX_Names& names,
                                               bool allowConnectives, std::vector<int> indices);

// Whether names can name variables: each is a plain word (a letter or "_",
// then letters, digits and "_"; not "Infinity", which reads as a number) and
// no name repeats. Names that look like numbers would silently turn numbers
// of the constraint into variables.
bool BRIX_ValidVariableNames(const BRIX_Names& names);

#endif
