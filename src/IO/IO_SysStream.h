// Character streams over stdio files and string buffers.
#ifndef BRIX_IO_IO_SYSSTREAM_H
#define BRIX_IO_IO_SYSSTREAM_H

#include <cstdio>

class IO_SysStream {
public:
    IO_SysStream() = default;
    IO_SysStream(const IO_SysStream&) = delete;
    IO_SysStream& operator=(const IO_SysStream&) = delete;
    virtual ~IO_SysStream() = default;
    virtual bool Error() = 0;
};

class IO_SysInput : public IO_SysStream {
public:
    // The next character; end of input reads as (char)EOF, see Eof().
    virtual char Get() = 0;
    virtual bool Eof() = 0;
};

class IO_SysOutput : public IO_SysStream {
public:
    virtual void Put(char c) = 0;
    virtual void PutString(const char* s) = 0;
    virtual void Flush() = 0;
};

// Reads a stdio file. Without a file every read reports an error.
class IO_SysInputFile : public IO_SysInput {
public:
    bool OpenFd(int fd);
    bool Open(const char* path);
    void Attach(std::FILE* f) { file = f; }  // borrows f
    void Close();
    bool Error() override;
    char Get() override;
    bool Eof() override;

    std::FILE* file = nullptr;
};

// Writes a stdio file. Without a file nothing is written and Error() is true.
class IO_SysOutputFile : public IO_SysOutput {
public:
    bool OpenFd(int fd);
    bool Open(const char* path);
    void Attach(std::FILE* f) { file = f; }  // borrows f
    void Close();
    bool Error() override;
    void Put(char c) override;
    void PutString(const char* s) override;
    void Flush() override;

    std::FILE* file = nullptr;
};

// Reads a NUL-terminated text (borrowed); at the NUL it stops and reports its end.
class IO_SysInputString : public IO_SysInput {
public:
    void Attach(const char* text) {
        next = text;
        ended = false;
    }
    bool Error() override { return ended; }
    char Get() override;
    bool Eof() override { return ended; }

    const char* next = "";
    bool ended = false;
};

// Writes into a caller's buffer (borrowed), keeping its last byte free for the
// caller's terminating NUL; what does not fit is dropped and sets overflow.
class IO_SysOutputString : public IO_SysOutput {
public:
    void Attach(char* buffer, unsigned size) {
        next = buffer;
        last = buffer + (size > 0 ? size - 1 : 0);
        overflow = false;
    }
    bool Error() override { return overflow; }
    void Put(char c) override;
    void PutString(const char* s) override;
    void Flush() override {}

    char* next = nullptr;
    char* last = nullptr;
    bool overflow = false;
};

// The system streams over the process's stdin, stdout and stderr, attached by
// a start-up module. IO_RegisterSysModule registers that module once (called
// from static initialisers; later calls do nothing).
IO_SysInputFile& IO_SysStdIn();
IO_SysOutputFile& IO_SysStdOut();
IO_SysOutputFile& IO_SysStdErr();
void IO_RegisterSysModule();

#endif
