// Fuzz target: arbitrary bytes read as an SMT-LIB 2 script by brix-smt2's
// reader, elaborated and translated to BRIX text at each check-sat, without
// solving. A crash, sanitizer report, hang or leak is a finding.
#include "Driver/BRIX_Smt2Script.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ostringstream out;
    std::ostringstream err;
    brix::SolveOptions options;
    BRIX_Smt2Script script(options, out, err, false);
    (void)script.Run(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
