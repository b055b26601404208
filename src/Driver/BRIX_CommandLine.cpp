#include "Driver/BRIX_CommandLine.h"

#include "Driver/BRIX_Output.h"
#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"

#include <cstdint>
#include <cstring>

namespace {

struct Toggle {
    const char* option;
    bool BRIX_Options::*setting;
};

const Toggle toggles[] = {
    {"-s", &BRIX_Options::single},
    {"-is", &BRIX_Options::silentInput},
    {"-cs", &BRIX_Options::silentComputation},
    {"-ob", &BRIX_Options::outputBoxes},
    {"-oq", &BRIX_Options::outputQuantities},
    {"-opf", &BRIX_Options::outputProfile},
    {"-d", &BRIX_Options::display},
    {"-oj", &BRIX_Options::outputApplet},
    {"-db", &BRIX_Options::displayBorders},
    {"-w", &BRIX_Options::displayWait},
    {"-da", &BRIX_Options::displayAdjust},
};

const char* const usageLines =
    "\n"
    "  ARGUMENTS toggle the default value:\n"
    "  -s   ... compute a single 'Yes' box for open constraints (default: false)\n"
    "  -is  ... be silent at input (default: false)\n"
    "  -cs  ... be silent during computation (default: true)\n"
    "  -ob  ... output boxes (default: false)\n"
    "  -oq  ... output quantitative data (default: true)\n"
    "  -opf ... output full profiling data (default: true)\n"
    "  -d   ... display the result (default: false)\n"
    "  -db  ... display box borders (default: true)\n"
    "  -w   ... wait for 15 seconds before closing display (default: false)\n"
    "  -oj  ... output for java applet (default: false)\n"
    "  -da  ... adjust the display window (default: false)\n"
    "  -aq EPS ... replace all class. quants with appr. quants (after simpl, rel. to vol)\n"
    "  -to SECS ... set timeout to `SECS' seconds (default: no timeout)\n"
    "  -e EPS ... set (relative) error bound to `EPS' (default: 0.5)\n"
    "  -f FLAG VAL ... set FLAG to VAL\n"
    "  -p PARAM VAL ... set PARAM to VAL\n";

bool Is(const char* argument, const char* option) {
    return std::strcmp(argument, option) == 0;
}

bool ApplyToggle(const char* argument, BRIX_Options& options) {
    for (const Toggle& toggle : toggles) {
        if (Is(argument, toggle.option)) {
            options.*toggle.setting = !(options.*toggle.setting);
            return true;
        }
    }
    return false;
}

// "-to SECS" with SECS present. The product is taken in unsigned 32-bit
// arithmetic, so values above 4294 seconds (and negative ones) wrap.
void ApplyTimeout(const char* seconds) {
    long value = 0;
    if (!BRIX_ReadInteger(seconds, value)) {
        BRIX_Print("Warning: Parse error for `-to ");
        BRIX_Print(seconds);
        BRIX_Print("'.  No timeout set.\n");
        return;
    }
    setTimeout(static_cast<std::uint32_t>(value) * std::uint32_t{1000000});
}

// More threads than this are surely a typing error.
constexpr long kMostThreads = 1024;

void WarnErrorBound(const BRIX_Options& options) {
    BRIX_Print("'.  Error bound is ");
    BRIX_PrintDouble(options.errorBound);
    BRIX_Print(".\n");
}

}  // namespace

void PrintUsage(const char* program) {
    BRIX_Print("USAGE:\n  ");
    BRIX_Print(program != nullptr ? program : "");
    BRIX_Print(" [ARGUMENTS]\n");
    BRIX_Print(usageLines);
    BRIX_Print(BRIX_RegistryListing());
}

bool ScanCommandLine(int argc, char** argv, BRIX_Options& options, int& status) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const bool hasNext = i + 1 < argc;
        if (ApplyToggle(argument, options)) {
            continue;
        }
        if (Is(argument, "-f") || Is(argument, "-p")) {
            const bool isFlag = Is(argument, "-f");
            if (i + 2 >= argc) {
                // The argument after the option, if any, is examined next as an option itself.
                BRIX_Print(isFlag ? BRIX_FlagArgumentsMissing : BRIX_ParamArgumentsMissing);
                continue;
            }
            BRIX_Print(isFlag ? BRIX_FlagOption(argv[i + 1], argv[i + 2])
                              : BRIX_ParamOption(argv[i + 1], argv[i + 2]));
            i += 2;
        } else if (Is(argument, "-to")) {
            if (!hasNext) {
                BRIX_Print(
                    "Warning: Insufficient number of arguments for `-to'.  Timeout not set.\n");
                break;
            }
            ApplyTimeout(argv[++i]);
        } else if (Is(argument, "-j")) {
            if (!hasNext) {
                BRIX_Print(
                    "Warning: Insufficient number of arguments for `-j'.  One thread.\n");
                break;
            }
            const char* value = argv[++i];
            long threads = 0;
            if (BRIX_ReadInteger(value, threads) && threads >= 1 && threads <= kMostThreads) {
                options.threads = static_cast<int>(threads);
            } else {
                BRIX_Print("Warning: Parse error for `-j ");
                BRIX_Print(value);
                BRIX_Print("'.  One thread.\n");
                options.threads = 1;
            }
        } else if (Is(argument, "-aq")) {
            if (!hasNext) {
                BRIX_Print("Warning: Insufficient number of arguments for `-aq\n");
                status = 0;
                return false;
            }
            const char* value = argv[++i];
            if (!BRIX_ReadDouble(value, options.approximationError)) {
                BRIX_Print("Warning: Parse error for `-aq ");
                BRIX_Print(value);
                BRIX_Print("\n");
                status = 0;
                return false;
            }
            options.approximateQuantifiers = true;
        } else if (Is(argument, "-e")) {
            if (!hasNext) {
                BRIX_Print("Warning: Insufficient number of arguments for `-e");
                WarnErrorBound(options);
                break;
            }
            const char* value = argv[++i];
            // A negative or NaN bound can never be met: the refinement would
            // run for ever, so it is refused like an unreadable one.
            double bound = 0.0;
            if (BRIX_ReadDouble(value, bound) && bound >= 0.0) {
                options.errorBound = bound;
            } else {
                BRIX_Print("Warning: Parse error for `-e ");
                BRIX_Print(value);
                WarnErrorBound(options);
            }
        } else {
            PrintUsage(argv[0]);
            status = 1;
            return false;
        }
    }
    return true;
}
