// Reports of internal limits: the fixed fatal report, then abort.
#ifndef BRIX_SYSTEM_SAL_FATAL_H
#define BRIX_SYSTEM_SAL_FATAL_H

// Writes "\n\n***** message\n***** in file \"file\", line N" to standard error,
// with the file named by its source path without extension, and aborts.
[[noreturn]] void SAL_Fatal(const char* message, const char* file, int line);

// The source path without its extension ("src/IO/FormatSet.cpp" -> "src/IO/FormatSet"),
// written into buffer (NUL-terminated, cut to size). Exposed for tests.
void SAL_FatalFileName(const char* file, char* buffer, unsigned size);

#define BRIX_FATAL(message) SAL_Fatal((message), __FILE__, __LINE__)

#endif
