#include "Driver/BRIX_Solve.h"

#include "Constraint/BRIX_Builder.h"
#include "Constraint/BRIX_Constraint.h"
#include "Driver/BRIX_BuildProblem.h"
#include "Driver/BRIX_Context.h"
#include "Driver/BRIX_Problem.h"
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"
#include "Expr/Ex_Parse.h"
#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "Interval/Iv_Box.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_PrecisionLoss.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USAS.h"
#include "Search/BRIX_USASQuantified.h"
#include "System/SAL.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace brix {
namespace {

// A box that cannot be split stays open and the result says so; a program
// that calls Solve sees nothing on standard error.
void IgnorePrecisionLoss(const Box&, int) {}

// The program's start-up (rounding to nearest, exceptions masked, the
// standard streams attached), once per process.
void StartOnce() {
    static const bool started = [] {
        int argc = 0;
        char** argv = nullptr;
        return SAL_Interface::StartUp(&argc, &argv);
    }();
    (void)started;
}

// Parses text as one answer. A line break before the closing ";" ends a
// trailing line comment. The text must be the whole answer: a ";" of its own
// followed by more text, a character that starts no token or an unclosed
// block comment is an error, where the dialogue would skip or echo it.
bool ParseConstraint(const std::string& text, Ex_Expr& tree, std::string& error) {
    if (text.find('\0') != std::string::npos) {
        error = "Syntax error: NUL character in the constraint";
        return false;
    }
    const std::string answer = text + "\n;";
    IO_SysInputString input;
    input.Attach(answer.c_str());
    Ex_InputStream stream;
    stream.AttachSys(&input);
    // A parser of its own: a fresh scanner, no look-ahead from other input.
    Ex_Parser parser;
    // The characters the scanner copies out (characters that start no token,
    // line breaks inside block comments) show whether the text held a character
    // the parser skipped; nothing reaches the caller's output.
    std::string skipped;
    parser.SetEchoHandler([&skipped](char c) { skipped += c; });
    // Input ending inside a block comment: the scanner then closes the comment
    // and ends the token stream, so the parse fails.
    bool commentOpenAtEnd = false;
    parser.SetCommentEofHandler([&commentOpenAtEnd] { commentOpenAtEnd = true; });
    const bool parsed = parser.Parse(stream, tree);

    if (commentOpenAtEnd) {
        error = "End of file in comment";
        return false;
    }
    if (!parsed) {
        error = "Syntax error";
        return false;
    }
    // The scanner reads no further than the ";" that ends an answer.
    if (!input.Eof() && *input.next != '\0') {
        error = "Syntax error: text after `;'";
        return false;
    }
    for (char c : skipped) {
        if (c != '\n') {
            error = std::string("Syntax error: `") + c + "' starts no token";
            return false;
        }
    }
    return true;
}

// B as a box: every component [lo, hi] with real bounds, lo <= hi (what the
// dialogue accepts).
bool ToBox(const BoxBounds& bounds, Box& box, std::string& error) {
    box = Box(static_cast<int>(bounds.size()));
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const double lo = bounds[i].lo;
        const double hi = bounds[i].hi;
        const double inf = std::numeric_limits<double>::infinity();
        if (!(lo <= hi && lo < inf && hi > -inf)) {
            error = "Component " + std::to_string(i) + " of B is not an interval [lo, hi]";
            return false;
        }
        box.Set(static_cast<int>(i), Iv_Itvl<double>::FromBounds(lo, hi));
    }
    return true;
}

// Microseconds of processor time for a time-out of seconds (>= 0, not NaN):
// 0, meaning none, for 0 and infinity; otherwise rounded up, so that a tiny
// time-out does not read as none, and clamped to the 32-bit count.
std::uint32_t TimeoutMicroseconds(double seconds) {
    const double most = static_cast<double>(std::numeric_limits<std::uint32_t>::max());
    if (seconds == 0 || std::isinf(seconds)) {
        return 0;
    }
    const double micro = std::ceil(seconds * 1e6);
    if (!(micro < most)) {
        return std::numeric_limits<std::uint32_t>::max();
    }
    return micro < 1 ? 1u : static_cast<std::uint32_t>(micro);
}

// Copies the boxes of a list, in list order; borrows head.
std::vector<BoxBounds> CopyBoxes(const BRIX_StackEl* head) {
    std::vector<BoxBounds> boxes;
    for (const BRIX_StackEl* e = head; e != nullptr; e = e->next) {
        if (e->box.IsEmpty()) {
            continue;
        }
        BoxBounds bounds(static_cast<std::size_t>(e->box.Dimension()));
        for (int i = 0; i < e->box.Dimension(); ++i) {
            bounds[static_cast<std::size_t>(i)] = {e->box[i].lo, e->box[i].hi};
        }
        boxes.push_back(std::move(bounds));
    }
    return boxes;
}

// The lines of printPartialReasons without their indentation.
std::vector<std::string> PartialReasons(const BRIX_Problem& problem) {
    char buffer[4096];
    IO_SysOutputString text;
    text.Attach(buffer, sizeof buffer);
    Ex_OutputStream out;
    out.AttachSys(&text);
    printPartialReasons(out, problem);
    *text.next = '\0';
    std::vector<std::string> lines;
    std::string line;
    for (const char* c = buffer; *c != '\0'; ++c) {
        if (*c != '\n') {
            line += *c;
            continue;
        }
        lines.push_back(line.compare(0, 2, "  ") == 0 ? line.substr(2) : line);
        line.clear();
    }
    return lines;
}

// Frees the approximation state tree and the constraint tree of a problem
// when the problem goes, however Solve ends.
struct ProblemHold {
    ProblemHold() = default;
    ProblemHold(const ProblemHold&) = delete;
    ProblemHold& operator=(const ProblemHold&) = delete;
    ~ProblemHold() { releaseProblem(problem); }
    BRIX_Problem problem;
};

// Builds and refines the problem and fills result; false (with result.error)
// when F, V, B or the options are refused.
bool SolveProblem(const std::string& constraint, const std::vector<std::string>& variables,
                  const BoxBounds& bounds, const SolveOptions& options, SolveResult& result) {
    if (!(options.errorBound >= 0)) {
        result.error = "The error bound must be a number >= 0";
        return false;
    }
    if (!(options.timeoutSeconds >= 0)) {
        result.error = "The time-out must be a number of seconds >= 0";
        return false;
    }
    if (options.threads < 1) {
        result.error = "The number of threads must be at least 1";
        return false;
    }
    for (const auto& [index, value] : options.flags) {
        (void)value;
        if (index < 0 || index >= BRIX_FlagCount) {
            result.error = "There is no flag " + std::to_string(index);
            return false;
        }
    }
    for (const auto& [index, value] : options.params) {
        (void)value;
        if (index < 0 || index >= BRIX_ParamCount) {
            result.error = "There is no parameter " + std::to_string(index);
            return false;
        }
    }
    if (!BRIX_ValidVariableNames(variables)) {
        result.error =
            "V must hold distinct names, each a letter or `_' then letters, digits "
            "and `_'";
        return false;
    }
    if (bounds.size() != variables.size()) {
        result.error = "Error: Dimension of B is " + std::to_string(bounds.size()) +
                       " instead of " + std::to_string(variables.size()) + "!";
        return false;
    }
    Box box;
    if (!ToBox(bounds, box, result.error)) {
        return false;
    }
    Ex_Expr tree;
    if (!ParseConstraint(constraint, tree, result.error)) {
        return false;
    }

    ProblemHold hold;
    BRIX_Problem& problem = hold.problem;
    bool valid = false;
    buildProblem(tree, variables, box, options.singleBox, options.errorBound, valid, problem);
    if (!valid) {
        result.error = "Expression " + constraint + " is not a valid constraint";
        return false;
    }
    buildPieces(tree, variables, box, options.singleBox, options.errorBound, nullptr,
                options.threads, problem);
    setTimeout(TimeoutMicroseconds(options.timeoutSeconds));
    startTimeoutClock();
    approximateRefine(problem);

    result.complete = problem.complete;
    result.timedOut = problem.timedOut;
    result.precisionLost = problem.precisionLosses > 0;
    result.reasons = PartialReasons(problem);
    if (problem.hasFreeVariables) {
        const auto* store = dynamic_cast<const BRIX_USASQuantifiedStore*>(problem.approximation);
        if (store != nullptr) {
            result.trueBoxes = CopyBoxes(store->trueBoxes);
            result.falseBoxes = CopyBoxes(store->falseBoxes);
            result.openBoxes = CopyBoxes(store->stack);
        }
    } else if (problem.provedTrue) {
        result.truth = Truth::True;
    } else if (problem.provedFalse) {
        result.truth = Truth::False;
    }
    return true;
}

}  // namespace

struct Solver::State {
    SolveOptions options;
    BRIX_Context context;
};

Solver::Solver(const SolveOptions& options) : state_(std::make_unique<State>()) {
    state_->options = options;
    BRIX_Tuning& tuning = state_->context.tuning;
    tuning = BRIX_CurrentContext().tuning;
    // Indices outside the tables are refused when the solver is used.
    for (const auto& [index, value] : options.flags) {
        if (index >= 0 && index < BRIX_FlagCount) {
            tuning.flags[index] = value;
        }
    }
    for (const auto& [index, value] : options.params) {
        if (index >= 0 && index < BRIX_ParamCount) {
            tuning.params[index] = value;
        }
    }
}

Solver::~Solver() = default;

const SolveOptions& Solver::Options() const {
    return state_->options;
}

SolveResult Solver::Solve(const std::string& constraint, const std::vector<std::string>& variables,
                          const BoxBounds& box) {
    BRIX_SolveScope scope(state_->context);
    StartOnce();
    state_->context.lossHandler = IgnorePrecisionLoss;
    SolveResult result;
    result.solved = SolveProblem(constraint, variables, box, state_->options, result);
    return result;
}

SolveResult Solve(const std::string& constraint, const std::vector<std::string>& variables,
                  const BoxBounds& box, const SolveOptions& options) {
    return Solver(options).Solve(constraint, variables, box);
}

}  // namespace brix
