#include "Driver/BRIX_Dialogue.h"

#include "Driver/BRIX_Output.h"
#include "Expr/Ex_Convert.h"
#include "IO/Ex_Stream.h"
#include "Interval/Iv_Convert.h"
#include "System/SAL.h"

namespace {

const int kAttempts = 10;

// Reads one answer as a tree; the stream's error state is reset first so an
// earlier failure does not spoil this read. Every answer is read by the one
// parser of standard input's stream, so what its scanner read ahead for one
// answer (an unclosed double quote) is there for the next.
bool ReadAnswer(Ex_Expr& answer) {
    Ex_InputStream& in = Ex_StdIn();
    in.ResetErrors();
    in >> answer;
    return !in.Failed();
}

// Asks one question up to `attempts` times. `prompt` prints the question,
// `accept` converts the answer (printing its own message on a refusal other
// than a syntax error) and `echo` prints the accepted value.
template <class Prompt, class Accept, class Echo>
bool Ask(bool silent, Prompt prompt, Accept accept, Echo echo) {
    int attempts = silent ? 1 : kAttempts;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!silent) {
            prompt();
        }
        Ex_Expr answer;
        if (!ReadAnswer(answer)) {
            if (!silent) {
                BRIX_Print("Syntax error\n");
            }
            continue;
        }
        if (accept(answer)) {
            if (!silent) {
                echo();
            }
            return true;
        }
    }
    return false;
}

Ex_Expr NamesToExpr(const std::vector<std::string>& names) {
    Ex_Expr list = MakeList(static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        list.SetArg(static_cast<int>(i), Atom(names[i].c_str()));
    }
    return list;
}

}  // namespace

bool ExprToNames(const Ex_Expr& e, std::vector<std::string>& names) {
    if (!e.IsList()) {
        return false;
    }
    std::vector<std::string> converted;
    for (int i = 0; i < e.Arity(); ++i) {
        char* text = nullptr;
        if (!ExprToString(e.Arg(i), text)) {
            return false;
        }
        converted.emplace_back(text);
        SAL_Interface::LocFree(text);
    }
    names = std::move(converted);
    return true;
}

bool RunDialogue(bool silent, BRIX_Answers& answers) {
    Ex_OutputStream& out = Ex_StdOut();
    bool haveF = Ask(
        silent,
        [] { BRIX_Print("Enter a constraint (over DoubleFloat-Interval coefficients):\nF = "); },
        [&](const Ex_Expr& answer) {
            answers.constraint = answer;
            return true;
        },
        [&] { out << answers.constraint << "\n"; });
    if (!haveF) {
        return false;
    }

    bool haveV = Ask(
        silent,
        [] { BRIX_Print("Enter an array containing the names of all free variables in F:\nV = "); },
        [&](const Ex_Expr& answer) {
            if (ExprToNames(answer, answers.names)) {
                return true;
            }
            if (!silent) {
                BRIX_Print("Syntax error\n");
            }
            return false;
        },
        [&] { out << NamesToExpr(answers.names) << "\n"; });
    if (!haveV) {
        return false;
    }

    const long n = static_cast<long>(answers.names.size());
    return Ask(
        silent, [&] { out << "Enter a (DoubleFloat) box of dimension " << n << ":\nB = "; },
        [&](const Ex_Expr& answer) {
            Box box;
            Box outer;
            Box inside;
            if (!ExprToBox(answer, box) || !ExprToBoxDomain(answer, outer, inside)) {
                if (!silent) {
                    BRIX_Print("Syntax error\n");
                }
                return false;
            }
            if (box.Dimension() != n) {
                if (!silent) {
                    out << "Error: Dimension of B is " << static_cast<long>(box.Dimension())
                        << " instead of " << n << "!\n";
                }
                return false;
            }
            answers.box = box;
            answers.domainOuter = outer;
            answers.domainInside = inside;
            return true;
        },
        [&] { out << answers.box << "\n\n"; });
}
