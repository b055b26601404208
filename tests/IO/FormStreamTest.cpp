#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "Interval/Iv_Box.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// A formatted input stream over a text.
struct TextInput {
    explicit TextInput(const char* text) {
        sys.Attach(text);
        in.AttachSys(&sys);
    }
    IO_SysInputString sys;
    Ex_InputStream in;
};

// A formatted output stream into a buffer.
struct TextOutput {
    TextOutput() {
        sys.Attach(buffer, sizeof buffer);
        out.AttachSys(&sys);
    }
    std::string Text() const {
        return std::string(buffer, static_cast<std::size_t>(sys.next - buffer));
    }
    char buffer[256] = {};
    IO_SysOutputString sys;
    Ex_OutputStream out;
};

TEST(FormStreams, TypedExtractionSetsTheFailFlags) {
    TextInput input("1.5; x; 1 ) 2; 7; 2.5;");
    double d = 0;
    input.in >> d;
    EXPECT_FALSE(input.in.Failed());
    EXPECT_EQ(d, 1.5);

    input.in >> d;  // parses, but a name is no number
    EXPECT_TRUE(input.in.fail);
    EXPECT_TRUE(input.in.convertFailed);
    EXPECT_FALSE(input.in.parseFailed);
    EXPECT_EQ(d, 1.5);

    input.in >> d;  // syntax error: the rest of that answer is discarded
    EXPECT_TRUE(input.in.parseFailed);
    EXPECT_EQ(d, 1.5);

    long n = 0;
    input.in >> n;  // the next answer reads cleanly
    EXPECT_FALSE(input.in.Failed());
    EXPECT_EQ(n, 7);

    Ex_Expr tree;
    input.in >> tree;
    EXPECT_FALSE(input.in.Failed());
    EXPECT_STREQ(tree.Head(), "2.5");

    input.in >> tree;  // end of input
    EXPECT_TRUE(input.in.Failed());
    EXPECT_STREQ(tree.Head(), "2.5");
}

TEST(FormStreams, TypedInsertionAndTheOutputSwitch) {
    TextOutput output;
    Box box(2);
    box.Set(0, Iv_Itvl<double>(0.0, 1.0));
    box.Set(1, Iv_Itvl<double>(0.1, 0.1));
    output.out << "n = " << 42L << ", " << -3 << ", " << 0.5 << ", " << true << ' ' << box;
    EXPECT_EQ(output.Text(), "n = 42, -3, 0.5, true [ [ 0, 1 ], [ 0.1, 0.100001 ] ]");

    output.out.enabled = false;
    output.out << "ignored" << 1.25;
    EXPECT_EQ(output.Text(), "n = 42, -3, 0.5, true [ [ 0, 1 ], [ 0.1, 0.100001 ] ]");
}

}  // namespace
