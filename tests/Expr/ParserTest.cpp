#include "Expr/Ex_Parse.h"

#include "Expr/Ex_ParseState.h"
#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "../support/ByteInput.h"

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Token codes of the parser tables.
enum { STR = 257, FSTR, QSTR, AND, OR, IFF, IMPLIES, EQ, NE, LT, GT, LE, GE };

// Heads and arguments spelt out in full: f(a,b), [a,b], "" for the empty atom.
std::string Shape(const Ex_Expr& e) {
    if (e.IsList()) {
        std::string s = "[";
        for (int i = 0; i < e.Arity(); ++i) {
            s += (i > 0 ? "," : "") + Shape(e.Arg(i));
        }
        return s + "]";
    }
    std::string s = *e.Head() == '\0' ? "\"\"" : e.Head();
    for (int i = 0; i < e.Arity(); ++i) {
        s += (i > 0 ? "," : "(") + Shape(e.Arg(i));
    }
    return e.Arity() > 0 ? s + ")" : s;
}

// Shapes of `count` successive parses of text by parser, joined by " | "
// (FAIL for a failed parse).
std::string ParsesWith(Ex_Parser& parser, const std::string& text, int count) {
    ByteInput input(text.data(), text.size());
    Ex_InputStream stream;
    stream.AttachSys(&input);
    std::string shapes;
    for (int i = 0; i < count; ++i) {
        Ex_Expr result;
        shapes += (i > 0 ? " | " : "") +
                  (parser.Parse(stream, result) ? Shape(result) : std::string("FAIL"));
    }
    return shapes;
}

// The same with a fresh parser. What the scanner copies to standard output is
// dropped.
std::string Parses(const std::string& text, int count) {
    Ex_Parser parser;
    testing::internal::CaptureStdout();
    std::string shapes = ParsesWith(parser, text, count);
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    return shapes;
}

TEST(ParserTest, TreeShapes) {
    struct Case {
        const char* text;
        const char* shape;
    };
    const Case cases[] = {
        {";", "\"\""},
        {"f(x, y, z);", "f(x,y,z)"},
        {"f(x);", "f(x)"},
        {"f (x);", "*(f,x)"},
        {"f();", "f"},
        {"f([]);", "f([])"},
        {"f(x)(y);", "*(f(x),y)"},
        {"[0, 1];", "[0,1]"},
        {"[[0, 1], [2, 3]];", "[[0,1],[2,3]]"},
        {"[x];", "[x]"},
        {"[[x]];", "[[x]]"},
        {"[];", "[]"},
        {"FORALL([y], f(y, [1, 2]) > 0);", "FORALL([y],>(f(y,[1,2]),0))"},
        {"x /\\ y \\/ z;", "\\/(/\\(x,y),z)"},
        {"a ==> b ==> c;", "==>(==>(a,b),c)"},
        {"a <==> b /\\ c;", "/\\(<==>(a,b),c)"},
        {"a < b < c;", "<(a,<(b,c))"},
        {"a < b = c;", "<(a,=(b,c))"},
        {"a >= b != c <= d > e;", ">=(a,!=(b,<=(c,>(d,e))))"},
        {"x = 0 /\\ y = 1;", "/\\(=(x,0),=(y,1))"},
        {"a & b = c;", "=(&(a,b),c)"},
        {"a | b & c;", "&(|(a,b),c)"},
        {"~ a & b;", "&(~(a),b)"},
        {"~ ~ a = b;", "=(~(~(a)),b)"},
        {"2x;", "2x"},
        {"2 x;", "*(2,x)"},
        {"x1 _y 007;", "*(*(x1,_y),007)"},
        {"x (y + 1);", "*(x,+(y,1))"},
        {"\"a b\";", "a b"},
        {"\"say \\\"hi\\\"\";", "say \"hi\""},
        {"\"a\\\\b\" c;", "*(a\\b,c)"},
        {"\"line\nbreak\";", "line\nbreak"},
        {"\"\";", "\"\""},
        {"- x * y;", "*(-(x),y)"},
        {"x * - y;", "*(x,-(y))"},
        {"x - - y;", "-(x,-(y))"},
        {"+ x;", "+(x)"},
        {"- x ^ 2;", "-(^(x,2))"},
        {"(x+1)^2;", "^(+(x,1),2)"},
        {"x^(-1);", "^(x,-(1))"},
        {"x + y - z;", "-(+(x,y),z)"},
        {"x / y * z % w;", "%(*(/(x,y),z),w)"},
        {"1.5e-3 1e+5 1e10 1.5;", "*(*(*(1.5e-3,1e+5),1e10),1.5)"},
        {"1e+ 2;", "+(1e,2)"},
        {"x /* a /* b ; */ c */ + 1;", "+(x,1)"},
        {"x // comment ;\n + 1;", "+(x,1)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parses(c.text, 1), c.shape) << c.text;
    }
}

// Successive answers on one stream: a failed answer is discarded up to the ";"
// that ends it, and the answer after it parses normally.
TEST(ParserTest, FailuresAndRecovery) {
    struct Case {
        const char* text;
        int count;
        const char* shapes;
    };
    const Case cases[] = {
        {"x ^ y ^ z; ok;", 2, "FAIL | ok"},  // "^" takes two names
        {"x ^ -1; ok;", 2, "FAIL | ok"},
        {"x ! y; z;", 2, "FAIL | z"},       // "!" is a token no rule accepts
        {"1 +; 2; 3;", 3, "FAIL | 2 | 3"},  // failing at ";" discards nothing more
        {"1 ) 2; 3;", 2, "FAIL | 3"},
        {"f(x; y;", 2, "FAIL | y"},
        {"[1, ]; [1];", 2, "FAIL | [1]"},
        {"- - x; x;", 2, "FAIL | x"},  // a sign applies to a factor only
        {"a b; ; c;", 3, "*(a,b) | \"\" | c"},
        {"x", 2, "FAIL | FAIL"},  // end of input, then still the end
        {"x; y", 3, "x | FAIL | FAIL"},
        {"\"a; b;", 2, "a | b"},  // the quote's look-ahead stays for the next answer
        {"", 1, "FAIL"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parses(c.text, c.count), c.shapes) << c.text;
    }
}

// The scanner reads no further than the answer needs, so an interactive answer
// is complete at its ";" and the next one stays in the stream.
TEST(ParserTest, ReadsNoFurtherThanTheSemicolon) {
    const char* cases[][2] = {{"x; y;", " y;"}, {"1 ) 2; 3;", " 3;"}, {"x ! y;z;", "z;"}};
    for (const auto& c : cases) {
        IO_SysInputString input;
        input.Attach(c[0]);
        Ex_InputStream stream;
        stream.AttachSys(&input);
        Ex_Expr result;
        ParseExpression(stream, result);
        EXPECT_STREQ(input.next, c[1]) << c[0];
    }
}

// Token codes of a text, with what the scanner copies to standard output.
TEST(ParserTest, Tokens) {
    struct Case {
        std::string text;
        std::vector<int> tokens;
        std::string printed;
    };
    const Case cases[] = {
        {"<=>", {LE, GT}, ""},
        {"==", {EQ, EQ}, ""},
        {"<==>==><==", {IFF, IMPLIES, LE, EQ}, ""},
        {"!= ! < > <= >= =", {NE, '!', LT, GT, LE, GE, EQ}, ""},
        {"/\\\\/", {AND, OR}, ""},
        {"&|~;,+-*/%^()[]",
         {'&', '|', '~', ';', ',', '+', '-', '*', '/', '%', '^', '(', ')', '[', ']'},
         ""},
        {"f(g (", {FSTR, '(', STR, '('}, ""},
        {"1.5e-3 1.e5", {STR, STR, STR}, "."},
        {"1.", {STR}, "."},
        {".5", {STR}, "."},
        {"\"a\\\"b\" \"\"", {QSTR, QSTR}, ""},
        {"a$#'?@{}:\\b", {STR, STR}, "$#'?@{}:\\"},
        {std::string("x\r\v\x7f\xff\x80", 6) + std::string(1, '\0') + "y",
         {STR, STR},
         std::string("\r\v\x7f\xff\x80", 5) + std::string(1, '\0')},
        {"/* a\n /* b \n */ \n */ x", {STR}, "\n\n\n"},
        {"a // b \n c", {STR, STR}, ""},
        {"\"a\\n\";", {STR, STR, ';'}, "\"\\\""},
        {"\"\\\"\\\"\\\" x", {STR}, "\"\\\"\\\"\\\""},
    };
    for (const Case& c : cases) {
        ByteInput input(c.text.data(), c.text.size());
        Ex_InputStream stream;
        stream.AttachSys(&input);
        Ex_ParseState state;
        state.UseStream(stream);
        testing::internal::CaptureStdout();
        std::vector<int> tokens;
        for (int t; (t = state.ScannerNextToken()) != 0;) {
            tokens.push_back(t);
        }
        std::fflush(stdout);
        EXPECT_EQ(tokens, c.tokens) << c.text;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.text;
    }
}

// A file reports its end only once a read has failed: that read is no character.
TEST(ParserTest, FileInputEndsWithoutAStrayCharacter) {
    char text[] = "x;y";
    std::FILE* file = fmemopen(text, 3, "r");
    IO_SysInputFile input;
    input.Attach(file);
    Ex_InputStream stream;
    stream.AttachSys(&input);
    testing::internal::CaptureStdout();
    Ex_Expr result;
    EXPECT_TRUE(ParseExpression(stream, result));
    EXPECT_FALSE(ParseExpression(stream, result));
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Shape(result), "x");
    std::fclose(file);
}

TEST(ParserTest, EndOfInputInsideACommentExits) {
    EXPECT_EXIT(Parses("x /* a /* b */", 1), testing::ExitedWithCode(1),
                "^End of file in comment\n$");
}

TEST(ParserTest, ReplacedCommentEofHandlerEndsTheInput) {
    int calls = 0;
    Ex_Parser parser;
    parser.SetCommentEofHandler([&calls] { ++calls; });
    EXPECT_EQ(ParsesWith(parser, "x; y /* z", 3), "x | FAIL | FAIL");
    EXPECT_EQ(calls, 1);
}

// Deep input fails that parse without a crash and leaves the next one intact.
TEST(ParserTest, DeepInputFails) {
    const int limit = Ex_ParseState::kMaxTreeDepth;
    struct Case {
        std::string text;
        const char* shapes;
    };
    std::string chain = "x";
    for (int i = 1; i < limit; ++i) {
        chain += " x";
    }
    const Case cases[] = {
        {std::string(20000, '(') + "x" + std::string(20000, ')') + "; ok;", "FAIL | ok"},
        {std::string(20000, '[') + "; ok;", "FAIL | ok"},
        {std::string(4000, '(') + "x" + std::string(4000, ')') + "; ok;", "x | ok"},
        {chain + " x; ok;", "FAIL | ok"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parses(c.text, 2), c.shapes) << c.text.substr(0, 20);
    }
    // A chain exactly at the depth limit still parses.
    EXPECT_EQ(Parses(chain + ";", 1).substr(0, 4), "*(*(");
}

// Replays the fuzz seed corpus: every input ends in a defined way.
TEST(ParserTest, FuzzCorpusReplays) {
    DIR* dir = opendir(BRIX_FUZZ_CORPUS_DIR);
    ASSERT_NE(dir, nullptr) << BRIX_FUZZ_CORPUS_DIR;
    int files = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::ifstream file(std::string(BRIX_FUZZ_CORPUS_DIR) + "/" + entry->d_name,
                           std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ByteInput input(bytes.data(), bytes.size());
        Ex_InputStream stream;
        stream.AttachSys(&input);
        Ex_Parser parser;
        parser.SetCommentEofHandler([] {});
        testing::internal::CaptureStdout();
        for (std::size_t calls = 0; calls <= bytes.size(); ++calls) {
            Ex_Expr result;
            parser.Parse(stream, result);
            if (parser.InputEnded()) {
                break;
            }
        }
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(parser.InputEnded()) << entry->d_name;
        ++files;
    }
    closedir(dir);
    EXPECT_GT(files, 0);
}

// Parsers in several threads at once, each with its own echo and comment
// handlers: every thread must see exactly the trees, skipped characters and
// comment ends of its own text, on every round. A scanner buffer, start
// condition, value pool or handler shared between parsers shows up as a wrong
// tree or a character echoed to another thread.
TEST(ParserTest, ParsersInThreadsShareNothing) {
    struct Case {
        const char* text;
        int count;
        const char* shapes;
        const char* echoed;
        int commentEnds;
    };
    const Case cases[] = {
        {"f(x, /* a /* b */ c */ [1, 2]) $ + 3; \"a; b;", 3, "+(f(x,[1,2]),3) | a | b", "$\"", 0},
        {"x ^ y ^ z; ok; /* c\n */ y <= 2 #;", 3, "FAIL | ok | <=(y,2)", "\n#", 0},
        {"FORALL([y], y * y >= 0) /\\ @z = 1; q /* open", 2,
         "/\\(FORALL([y],>=(*(y,y),0)),=(z,1)) | FAIL", "@", 1},
        {"\"say \\\"hi\\\"\" 2x; [[0, 1], /*/**/*/ [2, 3]]; - - x; ?", 4,
         "*(say \"hi\",2x) | [[0,1],[2,3]] | FAIL | FAIL", "?", 0},
    };
    constexpr int kRounds = 2000;
    std::vector<std::string> faults(std::size(cases));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::size(cases); ++t) {
        threads.emplace_back([&c = cases[t], &fault = faults[t]] {
            for (int round = 0; round < kRounds && fault.empty(); ++round) {
                Ex_Parser parser;
                std::string echoed;
                int commentEnds = 0;
                parser.SetEchoHandler([&echoed](char ch) { echoed += ch; });
                parser.SetCommentEofHandler([&commentEnds] { ++commentEnds; });
                const std::string shapes = ParsesWith(parser, c.text, c.count);
                if (shapes != c.shapes || echoed != c.echoed || commentEnds != c.commentEnds) {
                    fault = "round " + std::to_string(round) + ": " + shapes + " echoed \"" +
                            echoed + "\", " + std::to_string(commentEnds) + " comment ends";
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t t = 0; t < std::size(cases); ++t) {
        EXPECT_EQ(faults[t], "") << cases[t].text;
    }
}

}  // namespace
