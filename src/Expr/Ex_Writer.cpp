#include "Expr/Ex_Writer.h"

#include <cctype>
#include <cstring>

namespace {

bool Is(const char* head, const char* text) {
    return std::strcmp(head, text) == 0;
}

bool IsAssociative(const char* head) {
    static const char* const heads[] = {"/\\", "\\/", "<==>", "=", "!=", "<", ">",
                                        "<=",  ">=",  "&",    "|", "+",  "*"};
    for (const char* h : heads) {
        if (Is(head, h)) {
            return true;
        }
    }
    return false;
}

bool IsLetterOrDigit(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// A word: letters, digits and "_", with "::" allowed between word parts.
bool IsWord(const char* t) {
    if (*t == '\0') {
        return false;
    }
    bool partStarted = false;
    for (; *t != '\0'; ++t) {
        if (IsLetterOrDigit(*t) || *t == '_') {
            partStarted = true;
        } else if (t[0] == ':' && t[1] == ':' && partStarted && t[2] != '\0') {
            ++t;
            partStarted = false;
        } else {
            return false;
        }
    }
    return partStarted;
}

// A number: digits, optionally "." and digits, optionally an exponent.
bool IsNumber(const char* t) {
    auto digits = [&t]() {
        const char* start = t;
        while (std::isdigit(static_cast<unsigned char>(*t))) {
            ++t;
        }
        return t != start;
    };
    if (!digits()) {
        return false;
    }
    if (*t == '.') {
        ++t;
        if (!digits()) {
            return false;
        }
    }
    if (*t == 'e' || *t == 'E') {
        ++t;
        if (*t == '+' || *t == '-') {
            ++t;
        }
        if (!digits()) {
            return false;
        }
    }
    return *t == '\0';
}

class Writer {
public:
    explicit Writer(const Ex_StreamFormat& format) : format_(format) {}

    void Write(const Ex_Expr& e) {
        if (e.IsNull()) {
            return;
        }
        Ex_Expr cell = e;
        cell.Force();
        if (cell.IsList()) {
            WriteList(cell);
        } else if (cell.IsOperator()) {
            WriteOperator(cell);
        } else if (cell.IsNormal()) {
            WriteApplication(cell);
        }
    }

    std::string text;

private:
    void WriteList(const Ex_Expr& e) {
        text += "[ ";
        for (int i = 0; i < e.Arity(); ++i) {
            if (i > 0) {
                text += ", ";
            }
            Write(e.Arg(i));
        }
        text += " ]";
    }

    void WriteOperator(const Ex_Expr& e) {
        const char* head = e.Head();
        int level = PrintingLevel(e);
        if (e.Arity() == 1) {
            if (e.IsBang()) {
                WriteOperand(e.Arg(0), level, head, false);
                text += head;
            } else {
                text += head;
                WriteOperand(e.Arg(0), level, head, false);
            }
            return;
        }
        bool tight = level == 5 || level == 7;
        WriteOperand(e.Arg(0), level, head, true);
        if (!tight) {
            text += ' ';
        }
        text += head;
        if (!tight) {
            text += ' ';
        }
        WriteOperand(e.Arg(1), level, head, true);
    }

    // An operand needs parentheses when it is an operator application of a
    // lower level, or (infix only) of the same level with another head or a
    // non-associative one.
    void WriteOperand(const Ex_Expr& operand, int level, const char* head, bool infix) {
        Ex_Expr o = operand;
        o.Force();
        bool parens = false;
        if (o.IsOperator()) {
            int inner = PrintingLevel(o);
            parens = inner < level ||
                     (infix && inner == level && (!Is(o.Head(), head) || !IsAssociative(head)));
        }
        if (parens) {
            text += '(';
        }
        Write(o);
        if (parens) {
            text += ')';
        }
    }

    void WriteApplication(const Ex_Expr& e) {
        const char* head = e.Head();
        if (NeedsQuoting(e)) {
            text += QuoteText(head);
        } else {
            text += head;
        }
        if (e.Arity() > 0) {
            text += '(';
            for (int i = 0; i < e.Arity(); ++i) {
                if (i > 0) {
                    text += ',';
                }
                Write(e.Arg(i));
            }
            text += ')';
        }
    }

    bool NeedsQuoting(const Ex_Expr& e) const {
        switch (format_.quoting) {
            case Ex_StreamFormat::QuoteAll:
                return true;
            case Ex_StreamFormat::QuoteNonWords:
                return !IsWord(e.Head()) && !IsNumber(e.Head());
            default:
                return e.Quoted();
        }
    }

    const Ex_StreamFormat& format_;
};

}  // namespace

const Ex_StreamFormat& Ex_StreamFormat::Default() {
    static const Ex_StreamFormat instance;
    return instance;
}

int PrintingLevel(const Ex_Expr& e) {
    if (!e.IsOperator()) {
        return -1;
    }
    const char* h = e.Head();
    bool unary = e.Arity() == 1;
    if (Is(h, "/\\") || Is(h, "\\/") || Is(h, "<==>") || Is(h, "==>")) {
        return 0;
    }
    if (Is(h, "=") || Is(h, "!=") || Is(h, "<") || Is(h, ">") || Is(h, "<=") || Is(h, ">=")) {
        return 1;
    }
    if (Is(h, "&") || Is(h, "|")) {
        return 2;
    }
    if (Is(h, "~")) {
        return 3;
    }
    if (Is(h, "+") || Is(h, "-")) {
        return unary ? 6 : 4;
    }
    if (Is(h, "*") || Is(h, "/") || Is(h, "%")) {
        return 5;
    }
    if (Is(h, "^")) {
        return 7;
    }
    if (Is(h, "!")) {
        return 8;
    }
    return -1;
}

std::string QuoteText(const char* text) {
    bool plain = true;
    for (const char* c = text; *c != '\0'; ++c) {
        plain = plain && IsLetterOrDigit(*c);
    }
    if (plain) {
        return text;
    }
    std::string quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"') {
            quoted += '\\';
        }
        quoted += *c;
    }
    quoted += '"';
    return quoted;
}

std::string ExpressionText(const Ex_Expr& e, const Ex_StreamFormat& format) {
    Writer writer(format);
    writer.Write(e);
    return std::move(writer.text);
}
