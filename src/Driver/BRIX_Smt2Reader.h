// The reader of SMT-LIB 2 scripts: tokens (comments, quoted symbols, string
// literals, numerals, decimals, keywords) and s-expressions, one command at a
// time, with the line each command starts on.
#ifndef BRIX_DRIVER_BRIX_SMT2READER_H
#define BRIX_DRIVER_BRIX_SMT2READER_H

#include <cstddef>
#include <istream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// One s-expression. `text` holds a symbol without its bars, a keyword with
// its colon, the digits of a numeral or decimal, a string literal with its
// escapes resolved, or the text of another literal (#x..., #b...).
struct BRIX_Smt2SExpr {
    enum class Kind { Symbol, Keyword, Numeral, Decimal, String, Other, List };
    Kind kind = Kind::List;
    std::string text;
    int line = 0;
    std::vector<BRIX_Smt2SExpr> items;

    bool IsSymbol(const char* name) const { return kind == Kind::Symbol && text == name; }
};

// Lists nested deeper than this are refused, so that nothing that walks an
// s-expression recurses without bound.
constexpr int BRIX_Smt2MaxDepth = 400;

// Reads a line at a time and only as far as a command needs, so a program
// that talks to brix-smt2 through a pipe gets each answer before it sends the
// next command.
class BRIX_Smt2Reader {
public:
    // Borrows `in`.
    explicit BRIX_Smt2Reader(std::istream& in) : in_(&in) {}
    // The script text is copied.
    explicit BRIX_Smt2Reader(const std::string& text)
        : owned_(std::make_unique<std::istringstream>(text)), in_(owned_.get()) {}

    enum class Status { Command, End, Error };
    // Reads the next top-level s-expression into `out`. Error: `message` says
    // what was wrong and the reader has skipped to the end of that command
    // (the closing parenthesis that balances its first one, or the end of the
    // input). `line` is where the expression (or the faulty one) starts.
    Status Next(BRIX_Smt2SExpr& out, std::string& message, int& line);

private:
    enum class Token { Open, Close, Atom, End, Bad };
    Token Scan(BRIX_Smt2SExpr& atom, std::string& message);
    // True when the character at `i` is there, reading lines as needed.
    bool Have(std::size_t i);
    void SkipBlanks();
    void SkipCommand(int depth);

    std::unique_ptr<std::istringstream> owned_;
    std::istream* in_;
    std::string text_;  // what was read and not yet dropped
    std::size_t at_ = 0;
    int line_ = 1;
};

#endif
