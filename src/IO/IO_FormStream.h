// Formatted streams: typed values in and out as expression trees.
//
// A formatted stream wraps a system stream (borrowed) and carries a format set
// telling the conversions how to render values. Reads parse one ";"-terminated
// expression and convert it; writes turn a value into a tree and write it.
#ifndef BRIX_IO_IO_FORMSTREAM_H
#define BRIX_IO_IO_FORMSTREAM_H

#include "IO/FormatSet.h"
#include "IO/IO_SysStream.h"

class IO_FormStream {
public:
    IO_FormStream() = default;
    IO_FormStream(const IO_FormStream&) = delete;
    IO_FormStream& operator=(const IO_FormStream&) = delete;
    virtual ~IO_FormStream() = default;
    virtual IO_SysStream* Sys() const = 0;

    FormatSet& Formats() { return formats; }
    const FormatSet& Formats() const { return formats; }
    // True when the system stream reports an error or the last read failed.
    bool Failed() const { return (Sys() != nullptr && Sys()->Error()) || fail; }
    void ClearFail() { fail = false; }

    bool fail = false;
    FormatSet formats;
};

class IO_FormInput : public IO_FormStream {
public:
    IO_SysInput* Sys() const override { return sys; }
    void AttachSys(IO_SysInput* s) { sys = s; }  // borrows s
    char Get() { return sys->Get(); }
    bool Eof() { return sys->Eof(); }

    IO_SysInput* sys = nullptr;
};

class IO_FormOutput : public IO_FormStream {
public:
    IO_SysOutput* Sys() const override { return sys; }
    void AttachSys(IO_SysOutput* s) { sys = s; }  // borrows s
    void Put(char c) { sys->Put(c); }
    void PutString(const char* s) { sys->PutString(s); }
    void Flush() { sys->Flush(); }

    IO_SysOutput* sys = nullptr;
};

#endif
