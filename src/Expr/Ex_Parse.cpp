#include "Expr/Ex_Parse.h"

#include "Expr/Ex_Expr.h"
#include "Expr/Ex_ParseState.h"
#include "IO/Ex_Stream.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <utility>

// The generated parser (prefix ex_).
int ex_parse(Ex_ParseState& state);

Ex_ParseState::Ex_ParseState() {
    ScannerCreate();
}

Ex_ParseState::~Ex_ParseState() {
    ScannerDestroy();
}

int Ex_ParseState::NewValue(Ex_Expr expr, int depth) {
    int index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        index = static_cast<int>(pool_.size());
        pool_.emplace_back();
    }
    pool_[index].expr = std::move(expr);
    pool_[index].depth = depth;
    return index;
}

Ex_ParseState::Value& Ex_ParseState::At(int v) {
    assert(v >= 0 && static_cast<std::size_t>(v) < pool_.size());
    return pool_[v];
}

void Ex_ParseState::Release(int v) {
    Value& value = At(v);
    value.expr = Ex_Expr();
    value.items.clear();
    freeSlots_.push_back(v);
}

void Ex_ParseState::ResetPool() {
    pool_.clear();
    freeSlots_.clear();
    accepted_ = -1;
}

// Fills the n slots of a fresh application or List from a reversed chain.
int Ex_ParseState::Flatten(Ex_Expr cell, int list) {
    Value& chain = At(list);
    int n = static_cast<int>(chain.items.size());
    if (chain.depth + 1 > kMaxTreeDepth) {
        return -1;
    }
    for (int i = 0; i < n; ++i) {
        cell.SetArg(i, chain.items[n - 1 - i]);
    }
    int depth = chain.depth + 1;
    Release(list);
    return NewValue(std::move(cell), depth);
}

int Ex_ParseState::Atom(const char* text) {
    return NewValue(::Atom(text), 1);
}

int Ex_ParseState::Unary(const char* head, int a) {
    int depth = At(a).depth + 1;
    if (depth > kMaxTreeDepth) {
        return -1;
    }
    int v = NewValue(::Unary(head, At(a).expr), depth);
    Release(a);
    return v;
}

int Ex_ParseState::Binary(const char* head, int a, int b) {
    int depth = std::max(At(a).depth, At(b).depth) + 1;
    if (depth > kMaxTreeDepth) {
        return -1;
    }
    int v = NewValue(::Binary(head, At(a).expr, At(b).expr), depth);
    Release(a);
    Release(b);
    return v;
}

int Ex_ParseState::ListStart(int element) {
    Value& value = At(element);
    value.items.push_back(std::move(value.expr));
    value.expr = Ex_Expr();
    return element;
}

int Ex_ParseState::ListPrepend(int element, int chain) {
    Value& head = At(element);
    Value& tail = At(chain);
    tail.items.push_back(std::move(head.expr));
    tail.depth = std::max(tail.depth, head.depth);
    Release(element);
    return chain;
}

int Ex_ParseState::Apply(int word, int list) {
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

int Ex_ParseState::Bracket(int list) {
    if (list < 0) {
        return NewValue(MakeList(0), 1);
    }
    return Flatten(MakeList(static_cast<int>(At(list).items.size())), list);
}

void Ex_ParseState::Accept(int v) {
    accepted_ = v;
}

void Ex_ParseState::Echo(char c) {
    if (echoHandler) {
        echoHandler(c);
    } else {
        std::putc(static_cast<unsigned char>(c), stdout);
    }
}

void Ex_ParseState::CommentEof() {
    if (commentEofHandler) {
        commentEofHandler();
        return;
    }
    std::fputs("End of file in comment\n", stderr);
    std::exit(1);
}

void Ex_ParseState::UseStream(Ex_InputStream& stream) {
    if (&stream != stream_ || stream.Sys() != sys_ || ended_) {
        ScannerRestart();
        stream_ = &stream;
        sys_ = stream.Sys();
    }
    ended_ = false;
}

int Ex_ParseState::Lex(int& value) {
    lastToken_ = ScannerNextToken();
    value = tokenValue;
    if (lastToken_ == 0) {
        ended_ = true;
    }
    return lastToken_;
}

bool Ex_ParseState::Parse(Ex_InputStream& stream, Ex_Expr& result) {
    UseStream(stream);
    lastToken_ = -1;
    ResetPool();

    bool ok = ex_parse(*this) == 0 && accepted_ >= 0;
    if (ok) {
        result = At(accepted_).expr;
    } else {
        // The faulty input ends at the first ";" read at or after the error;
        // when that ";" is the token that failed, nothing more is discarded.
        while (lastToken_ != ';' && lastToken_ != 0) {
            int value;
            Lex(value);
            if (value >= 0) {
                Release(value);
            }
        }
    }
    ResetPool();
    return ok;
}

Ex_Parser::Ex_Parser() : state_(std::make_unique<Ex_ParseState>()) {}

Ex_Parser::~Ex_Parser() = default;

void Ex_Parser::SetEchoHandler(std::function<void(char)> handler) {
    state_->echoHandler = std::move(handler);
}

void Ex_Parser::SetCommentEofHandler(std::function<void()> handler) {
    state_->commentEofHandler = std::move(handler);
}

bool Ex_Parser::Parse(Ex_InputStream& stream, Ex_Expr& result) {
    return state_->Parse(stream, result);
}

bool Ex_Parser::InputEnded() const {
    return state_->InputEnded();
}

bool ParseExpression(Ex_InputStream& stream, Ex_Expr& result) {
    return stream.Parser().Parse(stream, result);
}
