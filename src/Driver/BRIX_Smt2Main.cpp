// brix-smt2: answers the check-sat commands of SMT-LIB 2 scripts (logics
// QF_NRA, QF_LRA, NRA, LRA) with sat, unsat or unknown, proved by BRIX.
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Smt2Script.h"
#include "System/SAL.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The time a check-sat may take unless -t says otherwise: long enough for
// hard problems, short enough that nobody waits for ever.
constexpr double kDefaultSeconds = 60;

const char* const kUsage =
    "Usage: brix-smt2 [OPTIONS] [FILE...]\n"
    "Answers each (check-sat) of the SMT-LIB 2 scripts FILE (logics QF_NRA, QF_LRA,\n"
    "NRA, LRA) with sat, unsat or unknown; no FILE or - reads standard input.\n"
    "\n"
    "  -t SECS       processor seconds per check-sat (default 60; 0: no limit)\n"
    "  -e EPS        relative error bound of the refinement (default 0: decide\n"
    "                every box, stop at the first box proved true)\n"
    "  -f FLAG VAL   set tuning flag FLAG to VAL, as brix does\n"
    "  -p PARAM VAL  set tuning parameter PARAM to VAL, as brix does\n"
    "  -j N          threads that share a refinement (default 1)\n"
    "  -h            print this text\n"
    "\n"
    "Exit status: 0, or 1 when a script had an error (printed as (error \"...\"))\n"
    "or a file could not be read, 2 on a wrong command line.\n";

bool Number(const char* text, double& value) {
    return BRIX_ReadDouble(text, value) && std::isfinite(value) && value >= 0;
}

// Reads the options into `options` and the files into `files`; false after a
// message on a wrong command line.
bool ScanArguments(int argc, char** argv, brix::SolveOptions& options,
                   std::vector<std::string>& files, bool& help) {
    options.errorBound = 0;
    options.singleBox = true;
    options.timeoutSeconds = kDefaultSeconds;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const int needs = a == "-f" || a == "-p" ? 2 : a == "-t" || a == "-e" || a == "-j" ? 1 : 0;
        if (i + needs >= argc) {
            std::cerr << "brix-smt2: " << a << " needs " << needs << " argument(s)\n";
            return false;
        }
        if (a == "-h") {
            help = true;
        } else if (a == "-t" || a == "-e") {
            double value = 0;
            if (!Number(argv[++i], value)) {
                std::cerr << "brix-smt2: " << a << " takes a number >= 0, not '" << argv[i]
                          << "'\n";
                return false;
            }
            (a == "-t" ? options.timeoutSeconds : options.errorBound) = value;
        } else if (a == "-j") {
            long threads = 0;
            if (!BRIX_ReadInteger(argv[++i], threads) || threads < 1 || threads > 1024) {
                std::cerr << "brix-smt2: -j takes a number of threads from 1 to 1024\n";
                return false;
            }
            options.threads = static_cast<int>(threads);
        } else if (a == "-f" || a == "-p") {
            // Into this thread's registry, whose values every solver starts from.
            const std::string warning = a == "-f" ? BRIX_FlagOption(argv[i + 1], argv[i + 2])
                                                  : BRIX_ParamOption(argv[i + 1], argv[i + 2]);
            if (!warning.empty()) {
                std::cerr << warning;
                return false;
            }
            i += 2;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "brix-smt2: unknown option " << a << "\n" << kUsage;
            return false;
        } else {
            files.push_back(a);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    (void)SAL_Interface::StartUp(&argc, &argv);
    brix::SolveOptions options;
    std::vector<std::string> files;
    bool help = false;
    if (!ScanArguments(argc, argv, options, files, help)) {
        return 2;
    }
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    if (files.empty()) {
        files.push_back("-");
    }
    int status = 0;
    for (const std::string& file : files) {
        std::ifstream file_in;
        if (file != "-") {
            file_in.open(file, std::ios::binary);
            if (!file_in) {
                std::cerr << "brix-smt2: cannot read " << file << "\n";
                status = 1;
                continue;
            }
        }
        BRIX_Smt2Script script(options, std::cout, std::cerr);
        if (!script.Run(file == "-" ? std::cin : file_in)) {
            status = 1;
        }
    }
    return status;
}
