/* Grammar of the input language: one expression and its ";" per parse.
 *
 * Semantic values are indexes into the value pool of Ex_ParseState, which owns
 * the trees: nothing here holds a handle, so an aborted parse leaks nothing.
 * A builder that returns -1 has refused a tree deeper than the limit; the
 * parse then fails like a syntax error.
 */
%define api.prefix {ex_}
%define api.value.type {int}
%expect 0

%code {
#include "Expr/Ex_ParseState.h"

/* The stack starts with 200 entries and doubles up to 10000; beyond that the
   parse fails. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

int ex_lex();
void ex_error(const char* message);

namespace P = Ex_ParseState;

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
    : expression ';'    { P::Accept($1); YYACCEPT; }
    | ';'               { P::Accept(P::Atom("")); YYACCEPT; }
    ;

expression
    : function
    | expression '&' expression     { $$ = P::Binary("&", $1, $3); BUILT($$); }
    | expression '|' expression     { $$ = P::Binary("|", $1, $3); BUILT($$); }
    | '~' expression                { $$ = P::Unary("~", $2); BUILT($$); }
    | expression EQ expression      { $$ = P::Binary("=", $1, $3); BUILT($$); }
    | expression NE expression      { $$ = P::Binary("!=", $1, $3); BUILT($$); }
    | expression LT expression      { $$ = P::Binary("<", $1, $3); BUILT($$); }
    | expression GT expression      { $$ = P::Binary(">", $1, $3); BUILT($$); }
    | expression LE expression      { $$ = P::Binary("<=", $1, $3); BUILT($$); }
    | expression GE expression      { $$ = P::Binary(">=", $1, $3); BUILT($$); }
    | expression AND expression     { $$ = P::Binary("/\\", $1, $3); BUILT($$); }
    | expression OR expression      { $$ = P::Binary("\\/", $1, $3); BUILT($$); }
    | expression IFF expression     { $$ = P::Binary("<==>", $1, $3); BUILT($$); }
    | expression IMPLIES expression { $$ = P::Binary("==>", $1, $3); BUILT($$); }
    ;

list
    : %empty            { $$ = -1; }
    | nelist
    ;

nelist
    : expression                { $$ = P::ListStart($1); }
    | expression ',' nelist     { $$ = P::ListPrepend($1, $3); }
    ;

function
    : function '+' term     { $$ = P::Binary("+", $1, $3); BUILT($$); }
    | function '-' term     { $$ = P::Binary("-", $1, $3); BUILT($$); }
    | term
    ;

term
    : term '*' sfactor      { $$ = P::Binary("*", $1, $3); BUILT($$); }
    | term '/' sfactor      { $$ = P::Binary("/", $1, $3); BUILT($$); }
    | term '%' sfactor      { $$ = P::Binary("%", $1, $3); BUILT($$); }
    | term factor           { $$ = P::Binary("*", $1, $2); BUILT($$); }
    | sfactor
    ;

sfactor
    : '-' factor            { $$ = P::Unary("-", $2); BUILT($$); }
    | '+' factor            { $$ = P::Unary("+", $2); BUILT($$); }
    | factor
    ;

factor
    : name '^' name         { $$ = P::Binary("^", $1, $3); BUILT($$); }
    | name
    ;

name
    : STR
    | QSTR
    | FSTR '(' list ')'     { $$ = P::Apply($1, $3); BUILT($$); }
    | '(' expression ')'    { $$ = $2; }
    | '[' list ']'          { $$ = P::Bracket($2); BUILT($$); }
    ;

%%
