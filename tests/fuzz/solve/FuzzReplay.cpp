#include "fuzz/solve/FuzzReplay.h"

#include "fuzz/solve/FuzzParser.h"
#include "fuzz/solve/FuzzTuning.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace solvefuzz {
namespace {

// The shortest text that reads back as x.
std::string ShortestText(double x) {
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, x);
        if (std::strtod(text, nullptr) == x) {
            break;
        }
    }
    return text;
}

// The words of a bracketed list: "[[0, 1], [-1, 2]]" gives 0 1 -1 2.
std::vector<std::string> Words(std::string text) {
    for (char& c : text) {
        c = c == '[' || c == ']' || c == ',' ? ' ' : c;
    }
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

bool ReadNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

}  // namespace

std::string ReplayText(const Problem& problem, const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings) {
        out += "# " + f.kind + (f.inexactDecimal ? " (decimals read as nearest doubles)" : "") +
               ": " + f.detail + "\n";
    }
    out += "seed: " + std::to_string(problem.seed) + "\n";
    out += "constraint: " + problem.text + "\n";
    out += "variables: " + NamesText(problem.variables) + "\n";
    out += "box: " + BoxText(problem.box) + "\n";
    out += "errorBound: " + ShortestText(problem.options.errorBound) + "\n";
    out += "timeoutSeconds: " + ShortestText(problem.options.timeoutSeconds) + "\n";
    out += std::string("singleBox: ") + (problem.options.singleBox ? "1" : "0") + "\n";
    out += "tuning: " + TuningText(problem.tuning) + "\n";
    return out;
}

bool ReadReplay(const std::string& text, Problem& problem, std::string& error) {
    std::map<std::string, std::string> fields;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            error = "not a field: " + line;
            return false;
        }
        std::size_t value = line.find_first_not_of(' ', colon + 1);
        fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
    }
    for (const char* key :
         {"seed", "constraint", "variables", "box", "errorBound", "timeoutSeconds", "singleBox"}) {
        if (fields.count(key) == 0) {
            error = std::string("no ") + key + " line";
            return false;
        }
    }
    Problem p;
    p.seed = std::strtoull(fields["seed"].c_str(), nullptr, 10);
    p.text = fields["constraint"];
    if (!ParseConstraint(p.text, p.constraint, error)) {
        error = "constraint: " + error;
        return false;
    }
    p.variables = Words(fields["variables"]);
    std::vector<std::string> bounds = Words(fields["box"]);
    if (bounds.size() != 2 * p.variables.size()) {
        error = "box: not one [lo, hi] per variable";
        return false;
    }
    for (std::size_t i = 0; i < bounds.size(); i += 2) {
        p.box.push_back({bounds[i], bounds[i + 1]});
    }
    if (!ReadNumber(fields["errorBound"], p.options.errorBound) ||
        !ReadNumber(fields["timeoutSeconds"], p.options.timeoutSeconds)) {
        error = "errorBound or timeoutSeconds: not a number";
        return false;
    }
    p.options.singleBox = fields["singleBox"] == "1";
    std::istringstream tuning(fields["tuning"]);  // none when the line is missing
    for (std::string word; tuning >> word;) {
        Setting t{word[0] == 'f', 0, 0};
        char* end = nullptr;
        t.index = static_cast<int>(std::strtol(word.c_str() + 1, &end, 10));
        if ((word[0] != 'f' && word[0] != 'p') || *end != '=' ||
            !ReadNumber(std::string(end + 1), t.value)) {
            error = "tuning: not a setting: " + word;
            return false;
        }
        p.tuning.push_back(t);
    }
    problem = std::move(p);
    return true;
}

bool ReadReplayFile(const std::string& path, Problem& problem, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ReadReplay(text.str(), problem, error);
}

std::string ReplayName(const Problem& problem, const Finding& finding) {
    return finding.kind + (finding.inexactDecimal ? "-decimal-" : "-") +
           std::to_string(problem.seed) + ".replay";
}

}  // namespace solvefuzz
