// From s-expressions to terms: names resolved (let bindings, quantified
// variables, define-fun macros, declared constants), sorts checked, numerals
// and decimals read exactly.
#ifndef BRIX_DRIVER_BRIX_SMT2ELABORATE_H
#define BRIX_DRIVER_BRIX_SMT2ELABORATE_H

#include "Driver/BRIX_Smt2Reader.h"
#include "Driver/BRIX_Smt2Term.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// The names a script has declared. Every variable, declared or bound by a
// quantifier, has an index of its own for the script's lifetime.
struct BRIX_Smt2Symbols {
    std::vector<std::string> varNames;               // by variable index
    std::map<std::string, int> constants;            // declared constants in scope
    std::map<std::string, BRIX_Smt2TermPtr> macros;  // define-fun in scope
};

class BRIX_Smt2Elaborator {
public:
    // Borrows `symbols` (quantified variables are added to its table).
    explicit BRIX_Smt2Elaborator(BRIX_Smt2Symbols& symbols) : symbols_(symbols) {}

    // The term e denotes; null with `error` set when e is malformed, names
    // something undeclared or mixes sorts.
    BRIX_Smt2TermPtr Term(const BRIX_Smt2SExpr& e, std::string& error);

    // The exact value of a numeral or decimal.
    static mpq_class Number(const std::string& text);

private:
    BRIX_Smt2TermPtr Atom(const BRIX_Smt2SExpr& e, std::string& error);
    BRIX_Smt2TermPtr Apply(const BRIX_Smt2SExpr& e, std::string& error);
    BRIX_Smt2TermPtr Let(const BRIX_Smt2SExpr& e, std::string& error);
    BRIX_Smt2TermPtr Quantifier(const BRIX_Smt2SExpr& e, std::string& error);
    BRIX_Smt2TermPtr Operator(const std::string& name, const std::vector<BRIX_Smt2TermPtr>& args,
                              std::string& error);
    BRIX_Smt2TermPtr Division(const std::vector<BRIX_Smt2TermPtr>& args);

    BRIX_Smt2Symbols& symbols_;
    std::vector<std::pair<std::string, BRIX_Smt2TermPtr>> locals_;  // innermost last
};

#endif
