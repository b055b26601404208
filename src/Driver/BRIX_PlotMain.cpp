// Entry point of brix-plot: reads a box listing printed by `brix -ob` and
// writes it as an SVG picture. Every failure is one line on standard error,
// "brix-plot: ...", and exit status 1; no output file is left behind then.
#include "IO/IO_BoxListing.h"
#include "IO/IO_SvgPlot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "Usage: brix-plot [-v NAMES] [-o FILE] [LISTING]\n"
    "Draws the box listing of `brix -ob` as an SVG picture: true boxes green,\n"
    "false boxes red, open boxes white.\n"
    "  LISTING     the listing to read (default and '-': standard input)\n"
    "  -o FILE     write the picture to FILE (default: standard output)\n"
    "  -v NAMES    the variable names, comma-separated: -v x,y or -v x\n"
    "              (default: the echoed V line of the listing, else x1, x2)\n"
    "  -h, --help  print this text\n";

struct Options {
    std::string input;   // empty: standard input
    std::string output;  // empty: standard output
    std::vector<std::string> names;
    bool help = false;
};

// One line on standard error; line breaks and other control characters in
// the message (a file name may hold them) are shown as '?'.
int Fail(const std::string& message) {
    std::string line = "brix-plot: ";
    for (char c : message) {
        const unsigned char u = static_cast<unsigned char>(c);
        line += (u < 0x20 || u == 0x7f) ? '?' : c;
    }
    line += "\n";
    std::fputs(line.c_str(), stderr);
    return 1;
}

bool SplitNames(const std::string& list, std::vector<std::string>& names, std::string& error) {
    names.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma - start);
        if (name.empty()) {
            error = "-v: empty variable name in \"" + list + "\"";
            return false;
        }
        names.push_back(name);
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    bool haveInput = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            options.help = true;
            return true;
        }
        if (!optionsEnded && (arg == "-o" || arg == "-v")) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (arg == "-v") {
                if (!SplitNames(value, options.names, error)) {
                    return false;
                }
            } else if (value.empty()) {
                error = "option -o needs a file name";
                return false;
            } else {
                options.output = value;
            }
            continue;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg + " (try brix-plot --help)";
            return false;
        }
        if (haveInput) {
            error = "more than one input file: " + arg;
            return false;
        }
        haveInput = true;
        options.input = arg == "-" ? "" : arg;
    }
    return true;
}

bool ReadAll(const std::string& path, std::string& text, std::string& error) {
    std::FILE* in = path.empty() ? stdin : std::fopen(path.c_str(), "rb");
    const std::string shown = path.empty() ? "standard input" : path;
    if (in == nullptr) {
        error = "cannot open " + shown + ": " + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        text.append(buffer, n);
    }
    const bool failed = std::ferror(in) != 0;
    const int code = errno;
    if (in != stdin) {
        std::fclose(in);
    }
    if (failed) {
        error = "cannot read " + shown + ": " + std::strerror(code);
        return false;
    }
    return true;
}

// Writes to a fresh file beside path and renames it over path, so path is
// either the whole picture or untouched.
bool WriteFile(const std::string& path, const std::string& svg, std::string& error) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    // mkstemp makes the file private; give it the mode a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    std::size_t done = 0;
    while (ok && done < svg.size()) {
        const ssize_t n = write(fd, svg.data() + done, svg.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    int code = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write " + path + ": " + std::strerror(code);
    }
    return ok;
}

bool WriteStdout(const std::string& svg, std::string& error) {
    if (std::fwrite(svg.data(), 1, svg.size(), stdout) != svg.size() || std::fflush(stdout) != 0) {
        error = std::string("cannot write standard output: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        return Fail(error);
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::string text;
    IO_BoxListing listing;
    std::string svg;
    if (!ReadAll(options.input, text, error) || !IO_ParseBoxListing(text, listing, error) ||
        !IO_SvgPlot(listing, options.names, svg, error)) {
        return Fail(error);
    }
    const bool written =
        options.output.empty() ? WriteStdout(svg, error) : WriteFile(options.output, svg, error);
    return written ? 0 : Fail(error);
}
