#include "Driver/BRIX_Smt2Reader.h"

#include <cstring>
#include <utility>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The characters a simple symbol is made of.
bool IsSymbolChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) ||
           (c != '\0' && std::strchr("~!@$%^&*_-+=<>.?/", c) != nullptr);
}

// Text already read is dropped between commands once it is this long.
constexpr std::size_t kKeptText = 1 << 16;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

bool BRIX_Smt2Reader::Have(std::size_t i) {
    std::string line;
    while (text_.size() <= i) {
        if (!std::getline(*in_, line)) {
            return false;
        }
        text_ += line;
        text_ += '\n';
    }
    return true;
}

void BRIX_Smt2Reader::SkipBlanks() {
    while (Have(at_)) {
        const char c = text_[at_];
        if (c == ';') {
            while (Have(at_) && text_[at_] != '\n') {
                ++at_;
            }
        } else if (IsBlank(c)) {
            line_ += c == '\n' ? 1 : 0;
            ++at_;
        } else {
            return;
        }
    }
}

BRIX_Smt2Reader::Token BRIX_Smt2Reader::Scan(BRIX_Smt2SExpr& atom, std::string& message) {
    SkipBlanks();
    if (!Have(at_)) {
        return Token::End;
    }
    atom = BRIX_Smt2SExpr();
    atom.line = line_;
    const char c = text_[at_];
    if (c == '(' || c == ')') {
        ++at_;
        return c == '(' ? Token::Open : Token::Close;
    }
    if (c == '"' || c == '|') {
        // A string literal ("" stands for one ") or a quoted symbol; both may
        // span lines.
        atom.kind = c == '"' ? BRIX_Smt2SExpr::Kind::String : BRIX_Smt2SExpr::Kind::Symbol;
        for (++at_; Have(at_); ++at_) {
            const char d = text_[at_];
            line_ += d == '\n' ? 1 : 0;
            if (d == c) {
                if (c == '"' && Have(at_ + 1) && text_[at_ + 1] == '"') {
                    atom.text += '"';
                    ++at_;
                    continue;
                }
                ++at_;
                return Token::Atom;
            }
            if (c == '|' && d == '\\') {
                message = "a quoted symbol may not hold a backslash";
                ++at_;
                return Token::Bad;
            }
            atom.text += d;
        }
        message = c == '"' ? "unterminated string literal" : "unterminated quoted symbol";
        return Token::Bad;
    }
    std::size_t end = at_;
    if (c == ':' || c == '#') {
        ++end;
    }
    while (Have(end) && IsSymbolChar(text_[end])) {
        ++end;
    }
    if (end == at_) {
        message = std::string("unexpected character '") + c + "'";
        ++at_;
        return Token::Bad;
    }
    atom.text = text_.substr(at_, end - at_);
    at_ = end;
    const std::string& t = atom.text;
    std::size_t digits = 0;
    while (digits < t.size() && IsDigit(t[digits])) {
        ++digits;
    }
    if (c == ':') {
        atom.kind = BRIX_Smt2SExpr::Kind::Keyword;
    } else if (c == '#') {
        atom.kind = BRIX_Smt2SExpr::Kind::Other;
    } else if (digits == 0) {
        atom.kind = BRIX_Smt2SExpr::Kind::Symbol;
    } else if (digits == t.size()) {
        atom.kind = BRIX_Smt2SExpr::Kind::Numeral;
    } else if (t[digits] == '.' && digits + 1 < t.size() &&
               t.find_first_not_of("0123456789", digits + 1) == std::string::npos) {
        atom.kind = BRIX_Smt2SExpr::Kind::Decimal;
    } else {
        message = "malformed number '" + t + "'";
        return Token::Bad;
    }
    return Token::Atom;
}

void BRIX_Smt2Reader::SkipCommand(int depth) {
    BRIX_Smt2SExpr ignored;
    std::string ignoredMessage;
    while (depth > 0) {
        switch (Scan(ignored, ignoredMessage)) {
            case Token::Open:
                ++depth;
                break;
            case Token::Close:
                --depth;
                break;
            case Token::End:
                return;
            case Token::Atom:
            case Token::Bad:
                break;
        }
    }
}

BRIX_Smt2Reader::Status BRIX_Smt2Reader::Next(BRIX_Smt2SExpr& out, std::string& message,
                                              int& line) {
    // The lists being read, innermost last; iterative, so deep input costs no
    // stack.
    std::vector<BRIX_Smt2SExpr> open;
    if (at_ > kKeptText) {
        text_.erase(0, at_);
        at_ = 0;
    }
    for (;;) {
        BRIX_Smt2SExpr atom;
        const Token token = Scan(atom, message);
        if (open.empty()) {
            line = atom.line != 0 ? atom.line : line_;
        }
        const int depth = static_cast<int>(open.size());
        switch (token) {
            case Token::End:
                if (open.empty()) {
                    return Status::End;
                }
                message = "unexpected end of input: missing ')'";
                return Status::Error;
            case Token::Bad:
                SkipCommand(depth);
                return Status::Error;
            case Token::Close:
                if (open.empty()) {
                    message = "unexpected ')'";
                    return Status::Error;
                }
                atom = std::move(open.back());
                open.pop_back();
                break;
            case Token::Open:
                if (depth >= BRIX_Smt2MaxDepth) {
                    message = "expression nested too deeply";
                    SkipCommand(depth + 1);
                    return Status::Error;
                }
                open.emplace_back();
                open.back().line = atom.line;
                continue;
            case Token::Atom:
                break;
        }
        if (open.empty()) {
            out = std::move(atom);
            return Status::Command;
        }
        open.back().items.push_back(std::move(atom));
    }
}
