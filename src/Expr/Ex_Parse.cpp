#include "Expr/Ex_Parse.h"

#include "Expr/Ex_Expr.h"
#include "Expr/Ex_ParseState.h"
#include "IO/Ex_Stream.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

// The generated parser (prefix ex_), its token value and the token hook it calls.
int ex_parse();
int ex_lex();
extern int ex_lval;

namespace {

// One semantic value: a tree, or a list chain whose elements are kept in
// reverse order (the grammar builds lists from the right).
struct Value {
    Ex_Expr expr;
    std::vector<Ex_Expr> items;
    int depth = 0;
};

struct State {
    std::vector<Value> pool;
    std::vector<int> freeSlots;
    int accepted = -1;
    int lastToken = -1;  // -1: no token read in this call yet
    bool ended = false;
    Ex_InputStream* stream = nullptr;
    const IO_SysInput* sys = nullptr;
};

State& S() {
    static State state;
    return state;
}

int NewValue(Ex_Expr expr, int depth) {
    State& s = S();
    int index;
    if (!s.freeSlots.empty()) {
        index = s.freeSlots.back();
        s.freeSlots.pop_back();
    } else {
        index = static_cast<int>(s.pool.size());
        s.pool.emplace_back();
    }
    s.pool[index].expr = std::move(expr);
    s.pool[index].depth = depth;
    return index;
}

Value& At(int v) {
    assert(v >= 0 && static_cast<std::size_t>(v) < S().pool.size());
    return S().pool[v];
}

void Release(int v) {
    Value& value = At(v);
    value.expr = Ex_Expr();
    value.items.clear();
    S().freeSlots.push_back(v);
}

void ResetPool() {
    State& s = S();
    s.pool.clear();
    s.freeSlots.clear();
    s.accepted = -1;
}

// Fills the n slots of a fresh application or List from a reversed chain.
int Flatten(Ex_Expr cell, int list) {
    Value& chain = At(list);
    int n = static_cast<int>(chain.items.size());
    if (chain.depth + 1 > Ex_ParseState::kMaxTreeDepth) {
        return -1;
    }
    for (int i = 0; i < n; ++i) {
        cell.SetArg(i, chain.items[n - 1 - i]);
    }
    int depth = chain.depth + 1;
    Release(list);
    return NewValue(std::move(cell), depth);
}

void DefaultCommentEof() {
    std::fputs("End of file in comment\n", stderr);
    std::exit(1);
}

void DefaultEcho(char c) {
    std::putc(static_cast<unsigned char>(c), stdout);
}

}  // namespace

namespace Ex_ParseState {

void (*commentEofHandler)() = DefaultCommentEof;
void (*echoHandler)(char c) = DefaultEcho;

Ex_InputStream* Stream() {
    return S().stream;
}

int Atom(const char* text) {
    return NewValue(::Atom(text), 1);
}

int Unary(const char* head, int a) {
    int depth = At(a).depth + 1;
    if (depth > kMaxTreeDepth) {
        return -1;
    }
    int v = NewValue(::Unary(head, At(a).expr), depth);
    Release(a);
    return v;
}

int Binary(const char* head, int a, int b) {
    int depth = std::max(At(a).depth, At(b).depth) + 1;
    if (depth > kMaxTreeDepth) {
        return -1;
    }
    int v = NewValue(::Binary(head, At(a).expr, At(b).expr), depth);
    Release(a);
    Release(b);
    return v;
}

int ListStart(int element) {
    Value& value = At(element);
    value.items.push_back(std::move(value.expr));
    value.expr = Ex_Expr();
    return element;
}

int ListPrepend(int element, int chain) {
    Value& head = At(element);
    Value& tail = At(chain);
    tail.items.push_back(std::move(head.expr));
    tail.depth = std::max(tail.depth, head.depth);
    Release(element);
    return chain;
}

int Apply(int word, int list) {
    if (list < 0) {
        return word;  // f() is the atom f
    }
    int n = static_cast<int>(At(list).items.size());
    int v = Flatten(::Apply(At(word).expr.Head(), n), list);
    if (v >= 0) {
        Release(word);
    }
    return v;
}

int Bracket(int list) {
    if (list < 0) {
        return NewValue(MakeList(0), 1);
    }
    return Flatten(MakeList(static_cast<int>(At(list).items.size())), list);
}

void Accept(int v) {
    S().accepted = v;
}

void UseStream(Ex_InputStream& stream) {
    State& s = S();
    if (&stream != s.stream || stream.Sys() != s.sys || s.ended) {
        ScannerRestart();
        s.stream = &stream;
        s.sys = stream.Sys();
    }
    s.ended = false;
}

void ForgetStream() {
    S().stream = nullptr;
    S().sys = nullptr;
}

bool InputEnded() {
    return S().ended;
}

}  // namespace Ex_ParseState

// The parser's token source: records the last token so that a failed parse
// knows whether the faulty input has already reached its ";".
int ex_lex() {
    State& s = S();
    s.lastToken = Ex_ParseState::ScannerNextToken();
    if (s.lastToken == 0) {
        s.ended = true;
    }
    return s.lastToken;
}

// Syntax errors and stack overflow fail the parse silently; the caller reports.
void ex_error(const char*) {}

bool ParseExpression(Ex_InputStream& stream, Ex_Expr& result) {
    State& s = S();
    Ex_ParseState::UseStream(stream);
    s.lastToken = -1;
    ResetPool();

    bool ok = ex_parse() == 0 && s.accepted >= 0;
    if (ok) {
        result = At(s.accepted).expr;
    } else {
        // The faulty input ends at the first ";" read at or after the error;
        // when that ";" is the token that failed, nothing more is discarded.
        while (s.lastToken != ';' && s.lastToken != 0) {
            ex_lex();
            if (ex_lval >= 0) {
                Release(ex_lval);
            }
        }
    }
    ResetPool();
    return ok;
}
