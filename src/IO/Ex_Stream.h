// The formatted streams that read and write typed values as expression trees,
// and the three standard streams bound to standard input, output and error.
#ifndef BRIX_IO_EX_STREAM_H
#define BRIX_IO_EX_STREAM_H

#include "Expr/Ex_Expr.h"
#include "IO/IO_FormStream.h"
#include "IO/IO_SysStream.h"
#include "Interval/Iv_Itvl.h"

#include <memory>

class Box;
class Ex_Parser;

// Reads one ";"-terminated expression per extraction and converts it to the
// wanted type. Each read starts with the error flags cleared. On failure the target is unchanged
// and fail is set, with parseFailed or convertFailed telling which step failed.
class Ex_InputStream : public IO_FormInput {
public:
    Ex_InputStream();
    ~Ex_InputStream() override;

    // The parser that reads this stream's answers, made at the first read and
    // kept with the stream: the look-ahead its scanner buffered for one answer
    // is there for the next, as the dialogue needs.
    Ex_Parser& Parser();

    // Clears fail and both detail flags before a new read.
    void ResetErrors() {
        fail = false;
        parseFailed = false;
        convertFailed = false;
    }

    bool parseFailed = false;
    bool convertFailed = false;

private:
    std::unique_ptr<Ex_Parser> parser_;
};

Ex_InputStream& operator>>(Ex_InputStream& in, Ex_Expr& value);
Ex_InputStream& operator>>(Ex_InputStream& in, double& value);
Ex_InputStream& operator>>(Ex_InputStream& in, long& value);
Ex_InputStream& operator>>(Ex_InputStream& in, int& value);
Ex_InputStream& operator>>(Ex_InputStream& in, unsigned long& value);
Ex_InputStream& operator>>(Ex_InputStream& in, unsigned& value);
Ex_InputStream& operator>>(Ex_InputStream& in, bool& value);
Ex_InputStream& operator>>(Ex_InputStream& in, char& value);
// A new text allocated with LocMalloc: the caller owns it (LocFree).
Ex_InputStream& operator>>(Ex_InputStream& in, char*& value);

// Writes values as expression text. While `enabled` is false every insertion
// is ignored (the output switch).
class Ex_OutputStream : public IO_FormOutput {
public:
    bool enabled = true;
};

Ex_OutputStream& operator<<(Ex_OutputStream& out, const char* text);
Ex_OutputStream& operator<<(Ex_OutputStream& out, char c);
Ex_OutputStream& operator<<(Ex_OutputStream& out, long value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, int value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, unsigned long value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, unsigned value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, bool value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, double value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Iv_Itvl<double>& value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Box& value);
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Ex_Expr& value);

// The standard formatted streams, bound to stdin, stdout and stderr by a
// start-up module (available once SAL_Interface::StartUp has run).
// Ex_StdOut() and Ex_StdErr() answer the calling thread's redirection, when
// one is in force.
Ex_InputStream& Ex_StdIn();
Ex_OutputStream& Ex_StdOut();
Ex_OutputStream& Ex_StdErr();

// A switched-off stream over a sink that keeps nothing: what is written to
// it goes nowhere, Flush included.
class Ex_SilentStream : public Ex_OutputStream {
public:
    Ex_SilentStream();
    Ex_SilentStream(const Ex_SilentStream&) = delete;
    Ex_SilentStream& operator=(const Ex_SilentStream&) = delete;

private:
    char buffer_[1] = {};
    IO_SysOutputString sink_;
};

// Sends the calling thread's Ex_StdOut() and Ex_StdErr() to other streams
// (borrowed: they must outlive the scope) until the scope ends, so that a
// solver embedded in a program never touches the process's standard streams.
class Ex_StreamRedirect {
public:
    Ex_StreamRedirect(Ex_OutputStream& out, Ex_OutputStream& err);
    ~Ex_StreamRedirect();
    Ex_StreamRedirect(const Ex_StreamRedirect&) = delete;
    Ex_StreamRedirect& operator=(const Ex_StreamRedirect&) = delete;

private:
    Ex_OutputStream* previousOut_;
    Ex_OutputStream* previousErr_;
};

#endif
