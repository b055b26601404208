// Fuzz target: arbitrary bytes, NUL included, read as a sequence of answers.
// Every input must end in a tree, a failed parse or the end of input; a crash,
// sanitizer report, hang or leak is a finding.
#include "Expr/Ex_Parse.h"

#include "IO/Ex_Stream.h"
#include "support/ByteInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Skipped characters are copied to standard output; keep the log readable.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 1;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteInput input(data, size);
    Ex_InputStream stream;
    stream.AttachSys(&input);
    Ex_Parser parser;
    // Input ending inside a block comment would exit the process: end the
    // tokens instead, as a replaced handler may.
    parser.SetCommentEofHandler([] {});
    // Each call that does not meet the end reads at least its ";".
    for (std::size_t calls = 0; calls <= size; ++calls) {
        Ex_Expr result;
        parser.Parse(stream, result);
        if (parser.InputEnded()) {
            return 0;
        }
    }
    __builtin_trap();  // more answers than characters: the scanner went round in circles
}
