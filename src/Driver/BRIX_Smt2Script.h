// The commands of an SMT-LIB 2 script (declarations, definitions,
// assertions, check-sat, models, push/pop, info and options) and the
// responses they print.
#ifndef BRIX_DRIVER_BRIX_SMT2SCRIPT_H
#define BRIX_DRIVER_BRIX_SMT2SCRIPT_H

#include "Driver/BRIX_Smt2Check.h"
#include "Driver/BRIX_Smt2Elaborate.h"
#include "Driver/BRIX_Solve.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

class BRIX_Smt2Script {
public:
    // Borrows the streams: responses go to `out`, notes to `err`. Without
    // `solve`, check-sat translates but does not solve (for fuzzing).
    BRIX_Smt2Script(const brix::SolveOptions& options, std::ostream& out, std::ostream& err,
                    bool solve = true);

    // Runs the commands of `in` (borrowed) until its end or an exit, each
    // answered as soon as it is read. False when an error response was
    // printed.
    bool Run(std::istream& in);
    bool Run(const std::string& text);

private:
    // One level of push: what pop restores.
    struct Level {
        std::vector<std::string> names;  // constants and macros introduced at this level
        std::size_t declared = 0;
        std::size_t assertions = 0;
    };

    // False (with `error`) when the command is malformed; `exit` is set by
    // the exit command.
    bool Command(const BRIX_Smt2SExpr& c, std::string& error, bool& exit);
    bool Declare(const BRIX_Smt2SExpr& c, std::string& error);
    bool Define(const BRIX_Smt2SExpr& c, std::string& error);
    bool Assert(const BRIX_Smt2SExpr& c, std::string& error);
    void CheckSat();
    bool GetModel(std::string& error);
    bool GetInfo(const BRIX_Smt2SExpr& c, std::string& error);
    bool SetOption(const BRIX_Smt2SExpr& c, std::string& error);
    // reset-assertions (assertions and levels go, declarations stay) or reset.
    void Reset(bool everything);
    bool Scope(const BRIX_Smt2SExpr& c, std::string& error);
    // Records a new name in the innermost level, so pop removes it.
    void Introduce(const std::string& name);
    bool FreshName(const std::string& name, std::string& error) const;

    brix::SolveOptions options_;
    bool solve_;
    std::ostream& out_;
    std::ostream& err_;
    BRIX_Smt2Symbols symbols_;
    std::vector<int> declared_;  // declared constants in scope, in order
    std::vector<BRIX_Smt2TermPtr> assertions_;
    std::vector<Level> levels_;
    bool printSuccess_ = false;
    bool hasAnswer_ = false;
    BRIX_Smt2Answer answer_;
    std::string reasonUnknown_ = "no check-sat yet";
};

// The error response for `message` at `line`: (error "line L: MESSAGE"),
// quotes doubled.
std::string BRIX_Smt2ErrorLine(int line, const std::string& message);

#endif
