#include "System/SAL_Fatal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void SAL_FatalFileName(const char* file, char* buffer, unsigned size) {
    if (size == 0) {
        return;
    }
    std::size_t length = std::strlen(file);
    const char* slash = std::strrchr(file, '/');
    const char* dot = std::strrchr(file, '.');
    if (dot != nullptr && (slash == nullptr || dot > slash)) {
        length = static_cast<std::size_t>(dot - file);
    }
    if (length >= size) {
        length = size - 1;
    }
    std::memcpy(buffer, file, length);
    buffer[length] = '\0';
}

void SAL_Fatal(const char* message, const char* file, int line) {
    char name[512];
    SAL_FatalFileName(file, name, sizeof name);
    std::fflush(stdout);
    std::fprintf(stderr, "\n\n***** %s\n***** in file \"%s\", line %d", message, name, line);
    std::fflush(stderr);
    std::abort();
}
