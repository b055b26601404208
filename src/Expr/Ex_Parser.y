/* Grammar of the input language: one expression and its ";" per parse.
 *
 * The parser is pure: everything it changes lives on its own stack or in the
 * Ex_ParseState it is given, so parsers in different threads never meet.
 * Semantic values are indexes into that state's value pool, which owns the
 * trees: nothing here holds a handle, so an aborted parse leaks nothing.
 * A builder that returns -1 has refused a tree deeper than the limit; the
 * parse then fails like a syntax error.
 */
%define api.prefix {ex_}
%define api.pure full
%define api.value.type {int}
%parse-param {Ex_ParseState& state}
%lex-param {Ex_ParseState& state}
%expect 0

%code requires {
class Ex_ParseState;
}

%code {
#include "Expr/Ex_ParseState.h"

/* The stack starts with 200 entries and doubles up to 10000; beyond that the
   parse fails. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

namespace {

int ex_lex(int* value, Ex_ParseState& state) {
    return state.Lex(*value);
}

/* Syntax errors and stack overflow fail the parse silently; the caller reports. */
void ex_error(Ex_ParseState&, const char*) {}

}  // namespace

#define BUILT(v) \
    if ((v) < 0) \
        YYABORT
}

%token STR 257 FSTR 258 QSTR 259
%token AND 260 OR 261 IFF 262 IMPLIES 263
%token EQ 264 NE 265 LT 266 GT 267 LE 268 GE 269

%left AND OR IFF IMPLIES
%right EQ NE LT GT LE GE
%left '&' '|'
%precedence '~'

%start input

%%

input
    : expression ';'    { state.Accept($1); YYACCEPT; }
    | ';'               { state.Accept(state.Atom("")); YYACCEPT; }
    ;

expression
    : function
    | expression '&' expression     { $$ = state.Binary("&", $1, $3); BUILT($$); }
    | expression '|' expression     { $$ = state.Binary("|", $1, $3); BUILT($$); }
    | '~' expression                { $$ = state.Unary("~", $2); BUILT($$); }
    | expression EQ expression      { $$ = state.Binary("=", $1, $3); BUILT($$); }
    | expression NE expression      { $$ = state.Binary("!=", $1, $3); BUILT($$); }
    | expression LT expression      { $$ = state.Binary("<", $1, $3); BUILT($$); }
    | expression GT expression      { $$ = state.Binary(">", $1, $3); BUILT($$); }
    | expression LE expression      { $$ = state.Binary("<=", $1, $3); BUILT($$); }
    | expression GE expression      { $$ = state.Binary(">=", $1, $3); BUILT($$); }
    | expression AND expression     { $$ = state.Binary("/\\", $1, $3); BUILT($$); }
    | expression OR expression      { $$ = state.Binary("\\/", $1, $3); BUILT($$); }
    | expression IFF expression     { $$ = state.Binary("<==>", $1, $3); BUILT($$); }
    | expression IMPLIES expression { $$ = state.Binary("==>", $1, $3); BUILT($$); }
    ;

list
    : %empty            { $$ = -1; }
    | nelist
    ;

nelist
    : expression                { $$ = state.ListStart($1); }
    | expression ',' nelist     { $$ = state.ListPrepend($1, $3); }
    ;

function
    : function '+' term     { $$ = state.Binary("+", $1, $3); BUILT($$); }
    | function '-' term     { $$ = state.Binary("-", $1, $3); BUILT($$); }
    | term
    ;

term
    : term '*' sfactor      { $$ = state.Binary("*", $1, $3); BUILT($$); }
    | term '/' sfactor      { $$ = state.Binary("/", $1, $3); BUILT($$); }
    | term '%' sfactor      { $$ = state.Binary("%", $1, $3); BUILT($$); }
    | term factor           { $$ = state.Binary("*", $1, $2); BUILT($$); }
    | sfactor
    ;

sfactor
    : '-' factor            { $$ = state.Unary("-", $2); BUILT($$); }
    | '+' factor            { $$ = state.Unary("+", $2); BUILT($$); }
    | factor
    ;

factor
    : name '^' name         { $$ = state.Binary("^", $1, $3); BUILT($$); }
    | name
    ;

name
    : STR
    | QSTR
    | FSTR '(' list ')'     { $$ = state.Apply($1, $3); BUILT($$); }
    | '(' expression ')'    { $$ = $2; }
    | '[' list ']'          { $$ = state.Bracket($2); BUILT($$); }
    ;

%%
