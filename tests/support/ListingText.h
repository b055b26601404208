// Reading a box listing printed by build/brix -ob in the end-to-end tests:
// the bound texts of each box under a heading, as printed.
#ifndef BRIX_TESTS_SUPPORT_LISTINGTEXT_H
#define BRIX_TESTS_SUPPORT_LISTINGTEXT_H

#include <sstream>
#include <string>
#include <utility>
#include <vector>

// One box: the texts of its lower and upper bounds, component by component.
using BoundTexts = std::vector<std::pair<std::string, std::string>>;

// The boxes printed under heading, up to the next blank line. A box line is
// "[ [ a, b ], [ c, d ] ]", possibly followed by continuity lists.
inline std::vector<BoundTexts> BoxTextsUnder(const std::string& output,
                                             const std::string& heading) {
    std::vector<BoundTexts> boxes;
    std::size_t at = output.find(heading);
    if (at == std::string::npos) {
        return boxes;
    }
    std::istringstream lines(output.substr(at + heading.size()));
    std::string line;
    while (std::getline(lines, line) && !line.empty()) {
        std::size_t end = line.find(" ] ]");
        std::string body = line.substr(0, end == std::string::npos ? line.size() : end + 4);
        for (char& c : body) {
            c = (c == '[' || c == ']' || c == ',') ? ' ' : c;
        }
        std::istringstream numbers(body);
        BoundTexts box;
        std::string a, b;
        while (numbers >> a >> b) {
            box.emplace_back(a, b);
        }
        boxes.push_back(box);
    }
    return boxes;
}

#endif
