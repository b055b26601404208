#include "IO/IO_SysStream.h"

#include "System/SAL.h"

namespace {

IO_SysInputFile sysIn;
IO_SysOutputFile sysOut;
IO_SysOutputFile sysErr;
SAL_Module sysModule;
bool sysRegistered = false;

bool AttachStandardFiles(int*, char***) {
    sysIn.Attach(stdin);
    sysOut.Attach(stdout);
    sysErr.Attach(stderr);
    return true;
}

// Registers the module from static initialisation of this file as well.
const bool registeredAtLoad = (IO_RegisterSysModule(), true);

}  // namespace

IO_SysInputFile& IO_SysStdIn() {
    return sysIn;
}
IO_SysOutputFile& IO_SysStdOut() {
    return sysOut;
}
IO_SysOutputFile& IO_SysStdErr() {
    return sysErr;
}

void IO_RegisterSysModule() {
    if (!sysRegistered) {
        sysRegistered = true;
        SAL_Interface::RegisterModule(&sysModule, AttachStandardFiles);
    }
}

bool IO_SysInputFile::OpenFd(int fd) {
    file = fdopen(fd, "r");
    return file != nullptr;
}

bool IO_SysInputFile::Open(const char* path) {
    file = std::fopen(path, "r");
    return file != nullptr;
}

void IO_SysInputFile::Close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

bool IO_SysInputFile::Error() {
    return file == nullptr || std::ferror(file) != 0;
}

char IO_SysInputFile::Get() {
    if (file == nullptr) {
        return static_cast<char>(EOF);
    }
    return static_cast<char>(std::getc(file));
}

bool IO_SysInputFile::Eof() {
    return file == nullptr || std::feof(file) != 0;
}

bool IO_SysOutputFile::OpenFd(int fd) {
    file = fdopen(fd, "w");
    return file != nullptr;
}

bool IO_SysOutputFile::Open(const char* path) {
    file = std::fopen(path, "w");
    return file != nullptr;
}

void IO_SysOutputFile::Close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

bool IO_SysOutputFile::Error() {
    return file == nullptr || std::ferror(file) != 0;
}

void IO_SysOutputFile::Put(char c) {
    if (file != nullptr) {
        std::putc(c, file);
    }
}

void IO_SysOutputFile::PutString(const char* s) {
    if (file != nullptr) {
        std::fputs(s, file);
    }
}

void IO_SysOutputFile::Flush() {
    if (file != nullptr) {
        std::fflush(file);
    }
}

char IO_SysInputString::Get() {
    if (*next == '\0') {
        ended = true;
        return '\0';
    }
    return *next++;
}

void IO_SysOutputString::Put(char c) {
    if (next < last) {
        *next++ = c;
    } else {
        overflow = true;
    }
}

void IO_SysOutputString::PutString(const char* s) {
    for (; *s != '\0'; ++s) {
        if (next >= last) {
            overflow = true;
            return;
        }
        *next++ = *s;
    }
}
