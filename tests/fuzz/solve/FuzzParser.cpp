#include "fuzz/solve/FuzzParser.h"

#include <cctype>
#include <cstring>
#include <strings.h>
#include <utility>
#include <vector>

namespace solvefuzz {
namespace {

enum class Tok { Number, Name, Call, Symbol, End };

struct Token {
    Tok kind;
    std::string text;
    std::size_t at;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::size_t Digits(const std::string& s, std::size_t i) {
    std::size_t j = i;
    while (j < s.size() && IsDigit(s[j])) {
        ++j;
    }
    return j - i;
}

// Length of the scanner's number pattern at i: digits "." digits with an
// optional exponent, or digits and an exponent with a sign; 0 if none.
std::size_t NumberLength(const std::string& s, std::size_t i) {
    std::size_t n = Digits(s, i);
    if (n == 0) {
        return 0;
    }
    std::size_t j = i + n;
    bool fraction = false;
    if (j < s.size() && s[j] == '.' && Digits(s, j + 1) > 0) {
        j += 1 + Digits(s, j + 1);
        fraction = true;
    }
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        bool sign = k < s.size() && (s[k] == '+' || s[k] == '-');
        k += sign ? 1 : 0;
        if ((sign || fraction) && Digits(s, k) > 0) {
            return k + Digits(s, k) - i;
        }
    }
    return fraction ? j - i : 0;
}

// Whether a word reads as a number (digits, or digits with an exponent).
bool IsNumberWord(const std::string& w) {
    std::size_t n = Digits(w, 0);
    if (n == 0) {
        return false;
    }
    if (n == w.size()) {
        return true;
    }
    return (w[n] == 'e' || w[n] == 'E') && n + 1 < w.size() && Digits(w, n + 1) == w.size() - n - 1;
}

const char* const kSymbols[] = {"/\\", "\\/", "==>", "<=", ">=", "!=", "=", "<", ">", "~",
                                "+",   "-",   "*",   "/",  "^",  "(",  ")", "[", "]", ","};

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    bool Run(Node& out, std::string& error) {
        if (!Tokenize()) {
            error = error_;
            return false;
        }
        Node n;
        if (!Expression(n) || !Expect(Tok::End, "")) {
            error = error_;
            return false;
        }
        out = std::move(n);
        return true;
    }

private:
    bool Tokenize() {
        std::size_t i = 0;
        while (i < s_.size()) {
            char c = s_[i];
            if (c == ' ' || c == '\t' || c == '\n') {
                ++i;
                continue;
            }
            std::size_t number = NumberLength(s_, i);
            std::size_t word = 0;
            while (i + word < s_.size() && IsWordChar(s_[i + word])) {
                ++word;
            }
            if (number > word) {
                tokens_.push_back({Tok::Number, s_.substr(i, number), i});
                i += number;
            } else if (word > 0) {
                std::string w = s_.substr(i, word);
                Tok kind = i + word < s_.size() && s_[i + word] == '(' ? Tok::Call
                           : IsNumberWord(w)                           ? Tok::Number
                                                                       : Tok::Name;
                if (kind == Tok::Name && IsDigit(w[0])) {
                    return Fail("a word that is neither a name nor a number", i);
                }
                tokens_.push_back({kind, w, i});
                i += word;
            } else {
                const char* symbol = nullptr;
                for (const char* candidate : kSymbols) {
                    if (s_.compare(i, std::strlen(candidate), candidate) == 0) {
                        symbol = candidate;
                        break;
                    }
                }
                if (symbol == nullptr || s_.compare(i, 4, "<==>") == 0) {
                    return Fail("a character outside the fuzzer's language", i);
                }
                tokens_.push_back({Tok::Symbol, symbol, i});
                i += std::strlen(symbol);
            }
        }
        tokens_.push_back({Tok::End, "", s_.size()});
        return true;
    }

    bool Fail(const std::string& what, std::size_t at) {
        if (error_.empty()) {
            error_ = what + " at offset " + std::to_string(at);
        }
        return false;
    }
    const Token& Peek() const { return tokens_[pos_]; }
    bool IsSymbol(const char* s) const { return Peek().kind == Tok::Symbol && Peek().text == s; }
    bool Accept(const char* s) {
        if (IsSymbol(s)) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Expect(Tok kind, const char* s) {
        if (Peek().kind == kind && (kind != Tok::Symbol || Peek().text == s)) {
            ++pos_;
            return true;
        }
        return Fail(
            kind == Tok::End ? "text after the constraint" : std::string("`") + s + "' expected",
            Peek().at);
    }

    // expression: relations joined by /\ \/ ==> (left-associative).
    bool Expression(Node& out) {
        if (!RelationLevel(out)) {
            return false;
        }
        for (;;) {
            Op op = IsSymbol("/\\")   ? Op::And
                    : IsSymbol("\\/") ? Op::Or
                    : IsSymbol("==>") ? Op::Implies
                                      : Op::Number;
            if (op == Op::Number) {
                return true;
            }
            ++pos_;
            Node right;
            if (!RelationLevel(right)) {
                return false;
            }
            out = Binary(op, std::move(out), std::move(right));
        }
    }

    // A relation (right-associative) or a prefix form.
    bool RelationLevel(Node& out) {
        if (!Prefix(out)) {
            return false;
        }
        for (const char* rel : {"<=", ">=", "!=", "=", "<", ">"}) {
            if (Accept(rel)) {
                Node right;
                if (!RelationLevel(right)) {
                    return false;
                }
                out = Relation(rel, std::move(out), std::move(right));
                return true;
            }
        }
        return true;
    }

    // "~" binds tighter than every operator of the expression level.
    bool Prefix(Node& out) {
        if (Accept("~")) {
            Node operand;
            if (!Prefix(operand)) {
                return false;
            }
            out = Unary(Op::Not, std::move(operand));
            return true;
        }
        return Sum(out);
    }

    bool Sum(Node& out) {
        if (!Term(out)) {
            return false;
        }
        while (IsSymbol("+") || IsSymbol("-")) {
            Op op = Peek().text == "+" ? Op::Add : Op::Sub;
            ++pos_;
            Node right;
            if (!Term(right)) {
                return false;
            }
            out = Binary(op, std::move(out), std::move(right));
        }
        return true;
    }

    bool StartsFactor() const {
        Tok k = Peek().kind;
        return k == Tok::Number || k == Tok::Name || k == Tok::Call || IsSymbol("(") ||
               IsSymbol("[");
    }

    bool Term(Node& out) {
        if (!SignedFactor(out)) {
            return false;
        }
        for (;;) {
            Node right;
            if (IsSymbol("*") || IsSymbol("/")) {
                Op op = Peek().text == "*" ? Op::Mul : Op::Div;
                ++pos_;
                if (!SignedFactor(right)) {
                    return false;
                }
                out = Binary(op, std::move(out), std::move(right));
            } else if (StartsFactor()) {
                if (!Factor(right)) {
                    return false;
                }
                out = Binary(Op::Juxt, std::move(out), std::move(right));
            } else {
                return true;
            }
        }
    }

    bool SignedFactor(Node& out) {
        if (Accept("-")) {
            Node operand;
            if (!Factor(operand)) {
                return false;
            }
            out = Unary(Op::Neg, std::move(operand));
            return true;
        }
        (void)Accept("+");  // a unary plus changes nothing
        return Factor(out);
    }

    bool Factor(Node& out) {
        if (!Atom(out)) {
            return false;
        }
        if (Accept("^")) {
            if (Peek().kind != Tok::Number || Digits(Peek().text, 0) != Peek().text.size()) {
                return Fail("an exponent of decimal digits expected", Peek().at);
            }
            out = Unary(Op::Pow, std::move(out));
            out.text = tokens_[pos_++].text;
        }
        return true;
    }

    // A numeral with an optional sign, as in interval literals and boxes.
    bool SignedNumeral(std::string& out) {
        std::string sign = Accept("-") ? "-" : "";
        if (sign.empty()) {
            (void)Accept("+");
        }
        if (Peek().kind != Tok::Number) {
            return Fail("a number expected", Peek().at);
        }
        out = sign + tokens_[pos_++].text;
        return true;
    }

    bool IntervalLiteral(Bound& out) {
        return Expect(Tok::Symbol, "[") && SignedNumeral(out.lo) && Expect(Tok::Symbol, ",") &&
               SignedNumeral(out.hi) && Expect(Tok::Symbol, "]");
    }

    bool Atom(Node& out) {
        const Token t = Peek();
        if (t.kind == Tok::Number || t.kind == Tok::Name) {
            ++pos_;
            out = Leaf(t.kind == Tok::Number ? Op::Number : Op::Name, t.text);
            return true;
        }
        if (t.kind == Tok::Call) {
            ++pos_;
            return Call(t, out);
        }
        if (IsSymbol("[")) {
            Bound b;
            if (!IntervalLiteral(b)) {
                return false;
            }
            out = Leaf(Op::Interval, b.lo);
            out.text2 = b.hi;
            return true;
        }
        if (Accept("(")) {
            return Expression(out) && Expect(Tok::Symbol, ")");
        }
        return Fail("an operand expected", t.at);
    }

    bool Quantifier(Node& out) {
        if (!Expect(Tok::Symbol, "(") || !Expect(Tok::Symbol, "[")) {
            return false;
        }
        do {
            if (Peek().kind != Tok::Name) {
                return Fail("a bound name expected", Peek().at);
            }
            out.names.push_back(tokens_[pos_++].text);
        } while (Accept(","));
        if (!Expect(Tok::Symbol, "]") || !Expect(Tok::Symbol, ",") || !Expect(Tok::Symbol, "[")) {
            return false;
        }
        do {
            out.box.emplace_back();
            if (!IntervalLiteral(out.box.back())) {
                return false;
            }
        } while (Accept(","));
        Node body;
        if (!Expect(Tok::Symbol, "]") || !Expect(Tok::Symbol, ",") || !Expression(body) ||
            !Expect(Tok::Symbol, ")")) {
            return false;
        }
        out.kids.push_back(std::move(body));
        return true;
    }

    bool Call(const Token& head, Node& out) {
        out = Node();
        if (strcasecmp(head.text.c_str(), "FORALL") == 0 ||
            strcasecmp(head.text.c_str(), "EXISTS") == 0) {
            out.op = strcasecmp(head.text.c_str(), "FORALL") == 0 ? Op::Forall : Op::Exists;
            return Quantifier(out);
        }
        const std::pair<const char*, Op> heads[] = {
            {"not", Op::Not}, {"and", Op::And}, {"or", Op::Or}, {"implies", Op::Implies}};
        bool known = false;
        for (const auto& [name, op] : heads) {
            if (head.text == name) {
                out.op = op;
                known = true;
            }
        }
        if (!known) {
            return Fail("a call of " + head.text, head.at);
        }
        out.call = true;
        if (!Expect(Tok::Symbol, "(")) {
            return false;
        }
        do {
            out.kids.emplace_back();
            if (!Expression(out.kids.back())) {
                return false;
            }
        } while (Accept(","));
        std::size_t n = out.kids.size();
        if ((out.op == Op::Not && n != 1) || (out.op == Op::Implies && n != 2)) {
            return Fail("a wrong number of operands for " + head.text, head.at);
        }
        return Expect(Tok::Symbol, ")");
    }

    const std::string& s_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

bool ParseConstraint(const std::string& text, Node& out, std::string& error) {
    Node n;
    if (!Parser(text).Run(n, error) || !WellTyped(n, error)) {
        return false;
    }
    out = std::move(n);
    return true;
}

}  // namespace solvefuzz
