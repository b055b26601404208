// A system input over a byte buffer that may hold NUL bytes (a string input
// stops at the first NUL). The buffer is borrowed and must outlive the input.
// Like the file and string inputs it reports its end once a read has found it.
#ifndef BRIX_TESTS_SUPPORT_BYTEINPUT_H
#define BRIX_TESTS_SUPPORT_BYTEINPUT_H

#include "IO/IO_SysStream.h"

#include <cstddef>
#include <cstdio>

class ByteInput : public IO_SysInput {
public:
    ByteInput(const void* data, std::size_t size)
        : data_(static_cast<const char*>(data)), size_(size) {}
    bool Error() override { return ended_; }
    char Get() override {
        if (next_ == size_) {
            ended_ = true;
            return static_cast<char>(EOF);
        }
        return data_[next_++];
    }
    bool Eof() override { return ended_; }

private:
    const char* data_;
    std::size_t size_;
    std::size_t next_ = 0;
    bool ended_ = false;
};

#endif
