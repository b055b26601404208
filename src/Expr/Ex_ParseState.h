// The state of one parser of the input language, shared by its scanner and its
// grammar: the scanner, the stream it reads, the values of the parse under
// way and the handlers for what the scanner copies out. Ex_Parser owns one;
// the scanner tests drive one directly. Nothing here is process-wide, so
// parsers in different threads never meet.
//
// The parser's semantic values are indexes into a pool of handles owned here.
// The pool is emptied when a parse ends, so a parse that fails midway, or
// overflows its stack, releases every tree it had built.
#ifndef BRIX_EXPR_EX_PARSESTATE_H
#define BRIX_EXPR_EX_PARSESTATE_H

#include "Expr/Ex_Expr.h"

#include <functional>
#include <vector>

class Ex_InputStream;
class IO_SysInput;

class Ex_ParseState {
public:
    // Deepest tree a parse may build; a deeper one fails the parse like a syntax
    // error, so no later recursive walk over the tree (release, printing,
    // conversion) can exhaust the machine stack. Left-associative chains such as
    // "x x x ..." deepen the tree without growing the parser stack: releasing one
    // a million levels deep overflows an 8 MB stack, and printing one about ten
    // thousand deep does in the sanitizer build.
    static constexpr int kMaxTreeDepth = 5000;

    Ex_ParseState();
    ~Ex_ParseState();
    Ex_ParseState(const Ex_ParseState&) = delete;
    Ex_ParseState& operator=(const Ex_ParseState&) = delete;

    // Receives the characters the scanner copies out: those that start no token,
    // and line breaks inside block comments. When empty they go to the C stream
    // stdout.
    std::function<void(char)> echoHandler;
    // Called when input ends inside a block comment. When empty, "End of file in
    // comment" goes to standard error and the process exits with status 1; a
    // handler that returns makes the scanner close the comment and end the token
    // stream.
    std::function<void()> commentEofHandler;

    // Parses one input from stream (borrowed); the contract of Ex_Parser::Parse.
    bool Parse(Ex_InputStream& stream, Ex_Expr& result);

    // Makes the scanner read from stream (borrowed). A stream other than the last
    // one, or one whose input had ended, gets a fresh scanner: buffered look-ahead
    // belongs to the stream it was read from. Parse calls this first.
    void UseStream(Ex_InputStream& stream);
    // The stream the scanner reads (borrowed; null before UseStream).
    Ex_InputStream* Stream() const { return stream_; }
    // True when the last Parse reached the end of its input.
    bool InputEnded() const { return ended_; }

    // Value builders for the grammar actions. Each consumes the values it is given
    // and returns a new value index, or -1 when the tree would exceed
    // kMaxTreeDepth (the action then aborts the parse). List values are chains
    // built by ListStart and ListPrepend; Apply and Bracket turn them into an
    // application or a List cell. The empty list is -1.
    int Atom(const char* text);
    int Unary(const char* head, int a);
    int Binary(const char* head, int a, int b);
    int ListStart(int element);
    int ListPrepend(int element, int chain);
    int Apply(int word, int list);
    int Bracket(int list);
    // The tree of value v becomes the parse result.
    void Accept(int v);

    // The grammar's token source: the next token code (0 at end of input) and its
    // value in value (-1 for a token without one). Records the token, so that a
    // failed parse knows whether the faulty input has already reached its ";".
    int Lex(int& value);

    // Scanner entry points, defined with the generated scanner.
    int ScannerNextToken();  // next token code, 0 at end of input; its value in tokenValue
    void ScannerRestart();   // forgets buffered input, start condition and comment depth

    // Echoes c through echoHandler; ends the input in a comment through
    // commentEofHandler (for the scanner rules).
    void Echo(char c);
    void CommentEof();

    // The scanner's own state, read and written by its rules only.
    int tokenValue = -1;  // value of the last token, -1 for none
    int commentDepth = 0;
    // Characters still to scan after a double quote that began no string (see
    // the scanner).
    long noQuoteLeft = 0;

private:
    // One semantic value: a tree, or a list chain whose elements are kept in
    // reverse order (the grammar builds lists from the right).
    struct Value {
        Ex_Expr expr;
        std::vector<Ex_Expr> items;
        int depth = 0;
    };

    void ScannerCreate();   // defined with the generated scanner
    void ScannerDestroy();  // defined with the generated scanner
    int NewValue(Ex_Expr expr, int depth);
    Value& At(int v);
    void Release(int v);
    void ResetPool();
    int Flatten(Ex_Expr cell, int list);

    void* scanner_ = nullptr;  // the generated scanner's state (owned)
    std::vector<Value> pool_;
    std::vector<int> freeSlots_;
    int accepted_ = -1;
    int lastToken_ = -1;  // -1: no token read in this call yet
    bool ended_ = false;
    Ex_InputStream* stream_ = nullptr;
    const IO_SysInput* sys_ = nullptr;
};

#endif
