// The input language: one ";"-terminated expression per parse.
#ifndef BRIX_EXPR_EX_PARSE_H
#define BRIX_EXPR_EX_PARSE_H

#include "Expr/Ex_Expr.h"

#include <functional>
#include <memory>

class Ex_InputStream;
class Ex_ParseState;

// A parser with a scanner of its own. The scanner may hold characters read past
// the end of an answer (a double quote reads ahead for the quote that closes its
// string): they belong to the stream's next answer, so successive answers of one
// stream are read with one parser. Parsers share no state: threads may parse at
// the same time, each with its own parser and stream.
class Ex_Parser {
public:
    Ex_Parser();
    ~Ex_Parser();
    Ex_Parser(const Ex_Parser&) = delete;
    Ex_Parser& operator=(const Ex_Parser&) = delete;

    // Receives the characters the scanner copies out: those that start no token,
    // and line breaks inside block comments. The default writes them to the C
    // stream stdout.
    void SetEchoHandler(std::function<void(char)> handler);
    // Called when input ends inside a block comment. The default prints "End of
    // file in comment" on standard error and exits with status 1; a handler that
    // returns makes the scanner close the comment and end the token stream, so
    // the parse under way fails.
    void SetCommentEofHandler(std::function<void()> handler);

    // Parses one input (an expression and its ";") from the stream's system input
    // (stream borrowed). On success stores the tree in result and returns true.
    // On a syntax error leaves result unchanged, discards the rest of the faulty
    // input up to and including the ";" that ends it (or up to the end of input)
    // and returns false. A stream other than the last one (told apart by its
    // address and its system input), or one whose input had ended, is read by a
    // fresh scanner.
    bool Parse(Ex_InputStream& stream, Ex_Expr& result);
    // True when the last Parse reached the end of its input.
    bool InputEnded() const;

private:
    std::unique_ptr<Ex_ParseState> state_;
};

// Parses one input from stream with the stream's own parser
// (Ex_InputStream::Parser), so look-ahead carries over from one call to the
// next on the same stream; the contract of Ex_Parser::Parse.
bool ParseExpression(Ex_InputStream& stream, Ex_Expr& result);

#endif
