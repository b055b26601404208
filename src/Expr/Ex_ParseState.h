// Shared state of the expression scanner and parser, and the few controls the
// tests and the fuzz target need. One process-wide instance: the scanner and
// parser are not reentrant.
//
// The parser's semantic values are indexes into a pool of handles owned here.
// The pool is emptied when a parse ends, so a parse that fails midway, or
// overflows its stack, releases every tree it had built.
#ifndef BRIX_EXPR_EX_PARSESTATE_H
#define BRIX_EXPR_EX_PARSESTATE_H

class Ex_InputStream;

namespace Ex_ParseState {

// Deepest tree a parse may build; a deeper one fails the parse like a syntax
// error, so no later recursive walk over the tree (release, printing,
// conversion) can exhaust the machine stack. Left-associative chains such as
// "x x x ..." deepen the tree without growing the parser stack: releasing one
// a million levels deep overflows an 8 MB stack, and printing one about ten
// thousand deep does in the sanitizer build.
constexpr int kMaxTreeDepth = 5000;

// The stream the scanner reads (borrowed; set by ParseExpression).
Ex_InputStream* Stream();

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

// Scanner entry points, defined with the generated scanner.
int ScannerNextToken();  // next token code, 0 at end of input
void ScannerRestart();   // forgets buffered input, start condition and comment depth

// Called when input ends inside a block comment. The default prints "End of
// file in comment" on standard error and exits with status 1; a replacement
// that returns makes the scanner close the comment and end the token stream.
extern void (*commentEofHandler)();

// Receives the characters the scanner copies out: those that start no token,
// and line breaks inside block comments. The default writes them to the C
// stream stdout.
extern void (*echoHandler)(char c);

// Makes the scanner read from stream (borrowed). A stream other than the last
// one, or one whose input had ended, gets a fresh scanner: buffered look-ahead
// belongs to the stream it was read from. ParseExpression calls this first.
void UseStream(Ex_InputStream& stream);
// Makes the next UseStream start a fresh scanner, whatever stream it is given
// (for callers that reuse one stream object over new text).
void ForgetStream();
// True when the last ParseExpression reached the end of its input.
bool InputEnded();

}  // namespace Ex_ParseState

#endif
