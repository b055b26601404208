#include "IO/Ex_Stream.h"

#include "Expr/Ex_Convert.h"
#include "Expr/Ex_Parse.h"
#include "Expr/Ex_StreamFormat.h"
#include "Expr/Ex_Writer.h"
#include "Interval/Iv_Box.h"
#include "Interval/Iv_Convert.h"
#include "System/SAL.h"

namespace {

Ex_InputStream stdIn;
Ex_OutputStream stdOut;
Ex_OutputStream stdErr;
// The calling thread's redirection (Ex_StreamRedirect); null for none.
thread_local Ex_OutputStream* redirectedOut = nullptr;
thread_local Ex_OutputStream* redirectedErr = nullptr;
SAL_Module formModule;
bool formRegistered = false;

bool AttachStandardStreams(int*, char***) {
    stdIn.AttachSys(&IO_SysStdIn());
    stdOut.AttachSys(&IO_SysStdOut());
    stdErr.AttachSys(&IO_SysStdErr());
    return true;
}

// The formatted streams are bound after the system streams they wrap.
void RegisterFormModule() {
    IO_RegisterSysModule();
    if (!formRegistered) {
        formRegistered = true;
        SAL_Interface::RegisterModule(&formModule, AttachStandardStreams);
    }
}

const bool registeredAtLoad = (RegisterFormModule(), true);

// Parses one input and converts it with convert; the target changes only
// when both steps succeed.
template <class T>
Ex_InputStream& Extract(Ex_InputStream& in, T& value, bool (*convert)(const Ex_Expr&, T&)) {
    in.ResetErrors();
    Ex_Expr tree;
    in.parseFailed = !ParseExpression(in, tree);
    in.convertFailed = false;
    if (!in.parseFailed) {
        in.convertFailed = !convert(tree, value);
    }
    in.fail = in.parseFailed || in.convertFailed;
    return in;
}

bool ToInt(const Ex_Expr& e, int& v) {
    return ExprToInt(e, v);
}
bool ToUInt(const Ex_Expr& e, unsigned& v) {
    return ExprToUInt(e, v);
}

const Ex_StreamFormat& ExpressionFormat(const Ex_OutputStream& out) {
    const IO_FormatBase* format = out.Formats().Find("Expression");
    return format != nullptr ? static_cast<const Ex_StreamFormat&>(*format)
                             : Ex_StreamFormat::Default();
}

// Writes a tree as one top-level expression in the stream's "Expression" format.
Ex_OutputStream& Write(Ex_OutputStream& out, const Ex_Expr& tree) {
    if (out.sys == nullptr) {
        return out;
    }
    const Ex_StreamFormat& format = ExpressionFormat(out);
    out.PutString(ExpressionText(tree, format).c_str());
    if (format.terminate) {
        out.Put(';');
    }
    if (format.newline) {
        out.Put('\n');
    }
    out.fail = false;
    return out;
}

}  // namespace

Ex_InputStream::Ex_InputStream() = default;
Ex_InputStream::~Ex_InputStream() = default;

Ex_Parser& Ex_InputStream::Parser() {
    if (parser_ == nullptr) {
        parser_ = std::make_unique<Ex_Parser>();
    }
    return *parser_;
}

Ex_InputStream& Ex_StdIn() {
    return stdIn;
}
Ex_OutputStream& Ex_StdOut() {
    return redirectedOut != nullptr ? *redirectedOut : stdOut;
}
Ex_OutputStream& Ex_StdErr() {
    return redirectedErr != nullptr ? *redirectedErr : stdErr;
}

Ex_SilentStream::Ex_SilentStream() {
    sink_.Attach(buffer_, sizeof buffer_);
    AttachSys(&sink_);
    enabled = false;
}

Ex_StreamRedirect::Ex_StreamRedirect(Ex_OutputStream& out, Ex_OutputStream& err)
    : previousOut_(redirectedOut), previousErr_(redirectedErr) {
    redirectedOut = &out;
    redirectedErr = &err;
}

Ex_StreamRedirect::~Ex_StreamRedirect() {
    redirectedOut = previousOut_;
    redirectedErr = previousErr_;
}

Ex_InputStream& operator>>(Ex_InputStream& in, Ex_Expr& value) {
    in.ResetErrors();
    Ex_Expr tree;
    bool parsed = ParseExpression(in, tree);
    if (parsed) {
        value = tree;
    }
    in.parseFailed = !parsed;
    in.convertFailed = false;
    in.fail = !parsed;
    return in;
}

Ex_InputStream& operator>>(Ex_InputStream& in, double& value) {
    return Extract(in, value, ExprToDouble);
}
Ex_InputStream& operator>>(Ex_InputStream& in, long& value) {
    return Extract(in, value, ExprToLong);
}
Ex_InputStream& operator>>(Ex_InputStream& in, int& value) {
    return Extract(in, value, ToInt);
}
Ex_InputStream& operator>>(Ex_InputStream& in, unsigned long& value) {
    return Extract(in, value, ExprToULong);
}
Ex_InputStream& operator>>(Ex_InputStream& in, unsigned& value) {
    return Extract(in, value, ToUInt);
}
Ex_InputStream& operator>>(Ex_InputStream& in, bool& value) {
    return Extract(in, value, ExprToBool);
}
Ex_InputStream& operator>>(Ex_InputStream& in, char& value) {
    return Extract(in, value, ExprToChar);
}
Ex_InputStream& operator>>(Ex_InputStream& in, char*& value) {
    return Extract(in, value, ExprToString);
}

Ex_OutputStream& operator<<(Ex_OutputStream& out, const char* text) {
    return out.enabled ? Write(out, StringToExpr(text)) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, char c) {
    return out.enabled ? Write(out, CharToExpr(c)) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, long value) {
    return out.enabled ? Write(out, LongToExpr(value)) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, int value) {
    return out << static_cast<long>(value);
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, unsigned long value) {
    return out.enabled ? Write(out, ULongToExpr(value)) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, unsigned value) {
    return out << static_cast<unsigned long>(value);
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, bool value) {
    return out.enabled ? Write(out, BoolToExpr(value)) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, double value) {
    return out.enabled ? Write(out, DoubleToText(value, &out.Formats())) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Iv_Itvl<double>& value) {
    return out.enabled ? Write(out, IntervalToExpr(value, &out.Formats())) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Box& value) {
    return out.enabled ? Write(out, BoxToExpr(value, &out.Formats())) : out;
}
Ex_OutputStream& operator<<(Ex_OutputStream& out, const Ex_Expr& value) {
    return out.enabled ? Write(out, value) : out;
}
