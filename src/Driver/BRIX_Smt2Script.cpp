#include "Driver/BRIX_Smt2Script.h"

#include "Driver/BRIX_Smt2Reader.h"

#include <sstream>

namespace {

using Kind = BRIX_Smt2SExpr::Kind;

const char* const kLogics[] = {"QF_NRA", "QF_LRA", "NRA", "LRA"};
// Options that are accepted without a note (they change nothing here or are
// honoured).
const char* const kKnownOptions[] = {":print-success",       ":produce-models",
                                     ":produce-unsat-cores", ":produce-assignments",
                                     ":random-seed",         ":verbosity"};

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        out += c == '"' ? "\"\"" : std::string(1, c);
    }
    return out + "\"";
}

// A symbol as SMT-LIB writes it: between bars unless it is a simple symbol.
std::string SymbolText(const std::string& name) {
    const bool simple = !name.empty() && (name[0] < '0' || name[0] > '9') &&
                        name.find_first_not_of(
                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                            "0123456789~!@$%^&*_-+=<>.?/") == std::string::npos;
    return simple ? name : "|" + name + "|";
}

// A numeral argument of push/pop (default 1).
bool Levels(const BRIX_Smt2SExpr& c, std::size_t& n, std::string& error) {
    n = 1;
    if (c.items.size() == 1) {
        return true;
    }
    if (c.items.size() != 2 || c.items[1].kind != Kind::Numeral || c.items[1].text.size() > 6) {
        error = c.items[0].text + " takes one numeral (below a million)";
        return false;
    }
    n = std::stoul(c.items[1].text);
    return true;
}

// Nobody needs more; each level costs a little memory.
constexpr std::size_t kMostLevels = 100000;

}  // namespace

std::string BRIX_Smt2ErrorLine(int line, const std::string& message) {
    return "(error " + Quoted("line " + std::to_string(line) + ": " + message) + ")";
}

BRIX_Smt2Script::BRIX_Smt2Script(const brix::SolveOptions& options, std::ostream& out,
                                 std::ostream& err, bool solve)
    : options_(options), solve_(solve), out_(out), err_(err) {}

bool BRIX_Smt2Script::Run(const std::string& text) {
    std::istringstream in(text);
    return Run(in);
}

bool BRIX_Smt2Script::Run(std::istream& in) {
    BRIX_Smt2Reader reader(in);
    bool clean = true;
    for (;;) {
        BRIX_Smt2SExpr c;
        std::string error;
        int line = 0;
        const BRIX_Smt2Reader::Status status = reader.Next(c, error, line);
        if (status == BRIX_Smt2Reader::Status::End) {
            return clean;
        }
        bool exit = false;
        if (status == BRIX_Smt2Reader::Status::Command && Command(c, error, exit)) {
            if (exit) {
                return clean;
            }
            continue;
        }
        out_ << BRIX_Smt2ErrorLine(line, error) << std::endl;
        clean = false;
    }
}

bool BRIX_Smt2Script::Command(const BRIX_Smt2SExpr& c, std::string& error, bool& exit) {
    if (c.kind != Kind::List || c.items.empty() || c.items[0].kind != Kind::Symbol) {
        error = "a command is a parenthesised list starting with its name";
        return false;
    }
    const std::string& name = c.items[0].text;
    const std::size_t n = c.items.size();
    bool quiet = false;  // the command printed a response of its own
    if (name == "set-logic") {
        bool known = false;
        for (const char* logic : kLogics) {
            known = known || (n == 2 && c.items[1].IsSymbol(logic));
        }
        if (!known) {
            error = "unsupported logic (QF_NRA, QF_LRA, NRA and LRA are)";
            return false;
        }
    } else if (name == "set-info") {
        if (n < 2 || c.items[1].kind != Kind::Keyword) {
            error = "set-info needs a keyword";
            return false;
        }
    } else if (name == "set-option") {
        if (!SetOption(c, error)) {
            return false;
        }
    } else if (name == "declare-fun" || name == "declare-const") {
        if (!Declare(c, error)) {
            return false;
        }
    } else if (name == "define-fun") {
        if (!Define(c, error)) {
            return false;
        }
    } else if (name == "assert") {
        if (!Assert(c, error)) {
            return false;
        }
    } else if (name == "check-sat") {
        if (n != 1) {
            error = "check-sat takes no arguments";
            return false;
        }
        CheckSat();
        quiet = true;
    } else if (name == "get-model") {
        if (!GetModel(error)) {
            return false;
        }
        quiet = true;
    } else if (name == "get-info") {
        if (!GetInfo(c, error)) {
            return false;
        }
        quiet = true;
    } else if (name == "push" || name == "pop") {
        if (!Scope(c, error)) {
            return false;
        }
    } else if (name == "echo") {
        if (n != 2 || c.items[1].kind != Kind::String) {
            error = "echo takes one string literal";
            return false;
        }
        out_ << Quoted(c.items[1].text) << std::endl;
        quiet = true;
    } else if (name == "reset-assertions" || name == "reset") {
        if (n != 1) {
            error = name + " takes no arguments";
            return false;
        }
        Reset(name == "reset");
    } else if (name == "exit") {
        exit = true;
    } else {
        error = "unknown or unsupported command '" + name + "'";
        return false;
    }
    if (printSuccess_ && !quiet) {
        out_ << "success" << std::endl;
    }
    return true;
}

void BRIX_Smt2Script::Reset(bool everything) {
    levels_.clear();
    assertions_.clear();
    hasAnswer_ = false;
    if (everything) {
        symbols_.constants.clear();
        symbols_.macros.clear();
        declared_.clear();
        printSuccess_ = false;
    }
}

bool BRIX_Smt2Script::SetOption(const BRIX_Smt2SExpr& c, std::string& error) {
    if (c.items.size() < 2 || c.items[1].kind != Kind::Keyword) {
        error = "set-option needs a keyword";
        return false;
    }
    const std::string& option = c.items[1].text;
    if (option == ":print-success") {
        if (c.items.size() != 3 || !(c.items[2].IsSymbol("true") || c.items[2].IsSymbol("false"))) {
            error = ":print-success takes true or false";
            return false;
        }
        printSuccess_ = c.items[2].IsSymbol("true");
        return true;
    }
    for (const char* known : kKnownOptions) {
        if (option == known) {
            return true;
        }
    }
    err_ << "; option " << option << " ignored" << std::endl;
    return true;
}

void BRIX_Smt2Script::Introduce(const std::string& name) {
    if (!levels_.empty()) {
        levels_.back().names.push_back(name);
    }
}

bool BRIX_Smt2Script::FreshName(const std::string& name, std::string& error) const {
    if (symbols_.constants.count(name) != 0 || symbols_.macros.count(name) != 0) {
        error = "'" + name + "' is already declared";
        return false;
    }
    return true;
}

bool BRIX_Smt2Script::Declare(const BRIX_Smt2SExpr& c, std::string& error) {
    const bool fun = c.items[0].text == "declare-fun";
    const std::size_t n = c.items.size();
    if (n != (fun ? 4u : 3u) || c.items[1].kind != Kind::Symbol) {
        error = fun ? "declare-fun is (declare-fun NAME () Real)"
                    : "declare-const is (declare-const NAME Real)";
        return false;
    }
    if (fun && (c.items[2].kind != Kind::List || !c.items[2].items.empty())) {
        error = "functions with arguments are not supported";
        return false;
    }
    if (!c.items[n - 1].IsSymbol("Real")) {
        error = "only constants of sort Real can be declared";
        return false;
    }
    const std::string& name = c.items[1].text;
    if (!FreshName(name, error)) {
        return false;
    }
    const int index = static_cast<int>(symbols_.varNames.size());
    symbols_.varNames.push_back(name);
    symbols_.constants[name] = index;
    declared_.push_back(index);
    Introduce(name);
    return true;
}

bool BRIX_Smt2Script::Define(const BRIX_Smt2SExpr& c, std::string& error) {
    if (c.items.size() != 5 || c.items[1].kind != Kind::Symbol || c.items[2].kind != Kind::List) {
        error = "define-fun is (define-fun NAME () SORT TERM)";
        return false;
    }
    if (!c.items[2].items.empty()) {
        error = "functions with arguments are not supported";
        return false;
    }
    const bool isBool = c.items[3].IsSymbol("Bool");
    if (!isBool && !c.items[3].IsSymbol("Real")) {
        error = "define-fun supports the sorts Real and Bool";
        return false;
    }
    if (!FreshName(c.items[1].text, error)) {
        return false;
    }
    BRIX_Smt2TermPtr t = BRIX_Smt2Elaborator(symbols_).Term(c.items[4], error);
    if (t == nullptr) {
        return false;
    }
    if (t->isBool != isBool) {
        error = "the term of '" + c.items[1].text + "' is not of its declared sort";
        return false;
    }
    symbols_.macros[c.items[1].text] = t;
    Introduce(c.items[1].text);
    return true;
}

bool BRIX_Smt2Script::Assert(const BRIX_Smt2SExpr& c, std::string& error) {
    if (c.items.size() != 2) {
        error = "assert takes one term";
        return false;
    }
    BRIX_Smt2TermPtr t = BRIX_Smt2Elaborator(symbols_).Term(c.items[1], error);
    if (t == nullptr) {
        return false;
    }
    if (!t->isBool) {
        error = "assert needs a Bool term";
        return false;
    }
    assertions_.push_back(t);
    hasAnswer_ = false;
    return true;
}

void BRIX_Smt2Script::CheckSat() {
    answer_ = BRIX_Smt2Check(assertions_, symbols_.varNames, options_, solve_);
    hasAnswer_ = true;
    switch (answer_.kind) {
        case BRIX_Smt2Answer::Kind::Sat:
            out_ << "sat" << std::endl;
            reasonUnknown_ = "none: the last answer was sat";
            break;
        case BRIX_Smt2Answer::Kind::Unsat:
            out_ << "unsat" << std::endl;
            reasonUnknown_ = "none: the last answer was unsat";
            break;
        case BRIX_Smt2Answer::Kind::Unknown:
            out_ << "unknown" << std::endl;
            reasonUnknown_ = answer_.reason;
            err_ << "; unknown: " << answer_.reason << std::endl;
            break;
    }
}

bool BRIX_Smt2Script::GetModel(std::string& error) {
    if (!hasAnswer_ || answer_.kind != BRIX_Smt2Answer::Kind::Sat) {
        error = "no model: the last check-sat did not answer sat";
        return false;
    }
    // One line, so that a program reading answers line by line gets it whole.
    out_ << "(model";
    for (int v : declared_) {
        const auto value = answer_.model.find(v);
        out_ << " (define-fun " << SymbolText(symbols_.varNames[static_cast<std::size_t>(v)])
             << " () Real "
             << BRIX_Smt2RationalText(value != answer_.model.end() ? value->second : 0) << ")";
    }
    out_ << ")" << std::endl;
    return true;
}

bool BRIX_Smt2Script::GetInfo(const BRIX_Smt2SExpr& c, std::string& error) {
    if (c.items.size() != 2 || c.items[1].kind != Kind::Keyword) {
        error = "get-info takes one keyword";
        return false;
    }
    const std::string& key = c.items[1].text;
    if (key == ":reason-unknown") {
        out_ << "(:reason-unknown " << Quoted(reasonUnknown_) << ")" << std::endl;
    } else if (key == ":name") {
        out_ << "(:name \"brix-smt2\")" << std::endl;
    } else if (key == ":error-behavior") {
        out_ << "(:error-behavior continued-execution)" << std::endl;
    } else {
        out_ << "unsupported" << std::endl;
    }
    return true;
}

bool BRIX_Smt2Script::Scope(const BRIX_Smt2SExpr& c, std::string& error) {
    std::size_t n = 0;
    if (!Levels(c, n, error)) {
        return false;
    }
    hasAnswer_ = false;
    if (c.items[0].text == "push") {
        if (n > kMostLevels - levels_.size()) {
            error = "more than " + std::to_string(kMostLevels) + " levels pushed";
            return false;
        }
        levels_.resize(levels_.size() + n, Level{{}, declared_.size(), assertions_.size()});
        return true;
    }
    if (n > levels_.size()) {
        error = "pop " + std::to_string(n) + " with only " + std::to_string(levels_.size()) +
                " levels pushed";
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Level& level = levels_.back();
        for (const std::string& name : level.names) {
            symbols_.constants.erase(name);
            symbols_.macros.erase(name);
        }
        declared_.resize(level.declared);
        assertions_.resize(level.assertions);
        levels_.pop_back();
    }
    return true;
}
