#include "IO/IO_BoxListing.h"

#include "System/SAL.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

enum class Section { kNone, kTrue, kFalse, kOpen };

const char* const kHeadings[] = {
    "F, rounded inwards, is true on",
    "F, rounded inwards, is false on",
    "The truth of F, rounded outwards is unknown on",
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

// Input text for an error line: printable ASCII only, at most 40 characters.
std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    if (s.size() > 40) {
        out += "...";
    }
    return out + "\"";
}

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.7g", v);
    return text;
}

// A left-to-right reader over one line. Errors are set once, by the first
// failing read, and name the line.
class Cursor {
public:
    Cursor(std::string_view line, std::size_t lineNo, std::string& error)
        : rest_(line), line_(line), lineNo_(lineNo), error_(error) {}

    bool Eat(char c) {
        rest_ = TrimLeft(rest_);
        if (rest_.empty() || rest_.front() != c) {
            return false;
        }
        rest_.remove_prefix(1);
        return true;
    }

    bool Peek(char c) {
        rest_ = TrimLeft(rest_);
        return !rest_.empty() && rest_.front() == c;
    }

    bool AtEnd() { return TrimLeft(rest_).empty(); }

    // A number token runs to the next separator; the whole token must be one
    // finite number.
    bool ReadNumber(double& value) {
        rest_ = TrimLeft(rest_);
        std::size_t n = 0;
        while (n < rest_.size() && rest_[n] != ',' && rest_[n] != ']' && rest_[n] != '[' &&
               !IsSpace(rest_[n])) {
            ++n;
        }
        const std::string token(rest_.substr(0, n));
        if (token.empty()) {
            return Fail("not a box: " + Quote(line_));
        }
        // strtod reads the decimal text as the nearest double only in the
        // nearest mode.
        SAL_Interface::SetRounding(SAL_RoundNearest);
        errno = 0;
        char* end = nullptr;
        const double v = std::strtod(token.c_str(), &end);
        if (end != token.c_str() + token.size()) {
            return Fail("not a number: " + Quote(token));
        }
        if (!std::isfinite(v)) {
            return Fail("bound is not a finite number: " + Quote(token));
        }
        rest_.remove_prefix(n);
        value = v;
        return true;
    }

    // "[ lo, hi ]" or the empty interval "[  ]" (empty set true, bounds untouched).
    bool ReadInterval(IO_ListedBounds& bounds, bool& empty) {
        if (!Eat('[')) {
            return Fail("not a box: " + Quote(line_));
        }
        empty = Eat(']');
        if (empty) {
            return true;
        }
        return ReadNumber(bounds.lo) && Expect(',') && ReadNumber(bounds.hi) && Expect(']');
    }

    // "[ I, I, ... ]" with at least one interval; no component is empty.
    bool ReadBox(IO_ListedBox& box) {
        box.clear();
        if (!Expect('[')) {
            return false;
        }
        do {
            IO_ListedBounds bounds{0.0, 0.0};
            bool empty = false;
            if (!ReadInterval(bounds, empty)) {
                return false;
            }
            if (empty) {
                return Fail("empty interval in a box");
            }
            box.push_back(bounds);
        } while (Eat(','));
        return Expect(']');
    }

    // "[ name, name ]" or "[  ]".
    bool ReadNames(std::vector<std::string>& names) {
        names.clear();
        if (!Expect('[')) {
            return false;
        }
        if (Eat(']')) {
            return true;
        }
        do {
            rest_ = TrimLeft(rest_);
            std::size_t n = 0;
            while (n < rest_.size() && rest_[n] != ',' && rest_[n] != ']' && rest_[n] != '[') {
                ++n;
            }
            const std::string_view name = TrimRight(rest_.substr(0, n));
            if (name.empty()) {
                return Fail("malformed variable list: " + Quote(line_));
            }
            names.emplace_back(name);
            rest_.remove_prefix(n);
        } while (Eat(','));
        if (!Eat(']')) {
            return Fail("malformed variable list: " + Quote(line_));
        }
        return true;
    }

    bool Fail(const std::string& message) {
        if (error_.empty()) {
            error_ = "line " + std::to_string(lineNo_) + ": " + message;
        }
        return false;
    }

private:
    bool Expect(char c) { return Eat(c) || Fail("not a box: " + Quote(line_)); }

    std::string_view rest_;
    std::string_view line_;
    std::size_t lineNo_;
    std::string& error_;
};

// Crossed bounds within a few units of the sixth printed digit: what inward
// rounding makes of a proved interval narrower than the printed precision.
bool CrossedByRounding(const IO_ListedBounds& b) {
    const double scale = std::max({1.0, std::fabs(b.lo), std::fabs(b.hi)});
    return b.lo - b.hi <= 3e-6 * scale;
}

void Widen(IO_ListedBox& hull, const IO_ListedBox& box) {
    if (hull.empty()) {
        hull = box;
    }
    for (std::size_t i = 0; i < box.size(); ++i) {
        hull[i].lo = std::min({hull[i].lo, box[i].lo, box[i].hi});
        hull[i].hi = std::max({hull[i].hi, box[i].lo, box[i].hi});
    }
}

class Reader {
public:
    explicit Reader(std::string& error) : error_(error) {}

    bool Line(std::string_view line, std::size_t lineNo) {
        line = TrimRight(line);
        for (int h = 0; h < 3; ++h) {
            if (line == kHeadings[h]) {
                return Heading(static_cast<Section>(h + 1), line, lineNo);
            }
        }
        if (line.empty()) {
            section_ = Section::kNone;
            return true;
        }
        Cursor cursor(line, lineNo, error_);
        if (section_ != Section::kNone) {
            return BoxLine(cursor);
        }
        const std::string_view rest = TrimLeft(line.substr(std::min<std::size_t>(4, line.size())));
        if (rest.empty() || rest.front() != '[') {
            return true;
        }
        if (line.substr(0, 4) == "V = ") {
            Cursor names(rest, lineNo, error_);
            listing_.hasNames = names.ReadNames(listing_.names);
            return listing_.hasNames;
        }
        if (line.substr(0, 4) == "B = ") {
            Cursor box(rest, lineNo, error_);
            listing_.hasBox = box.ReadBox(listing_.box) && Ordered(box, listing_.box, false);
            return listing_.hasBox;
        }
        return true;
    }

    bool Finish(IO_BoxListing& listing) {
        if (!seen_[0] && !seen_[1] && !seen_[2]) {
            error_ = "no box listing found in the input (brix -ob prints one)";
            return false;
        }
        if (listing_.hull.empty()) {
            error_ = "the listing holds no boxes";
            return false;
        }
        if (listing_.hasBox && listing_.box.size() != listing_.Dimension()) {
            error_ = "B has dimension " + std::to_string(listing_.box.size()) +
                     " but the boxes have dimension " + std::to_string(listing_.Dimension());
            return false;
        }
        listing = std::move(listing_);
        return true;
    }

private:
    bool Heading(Section section, std::string_view line, std::size_t lineNo) {
        const int index = static_cast<int>(section) - 1;
        if (seen_[index]) {
            error_ = "line " + std::to_string(lineNo) + ": repeated heading " + Quote(line);
            return false;
        }
        seen_[index] = true;
        section_ = section;
        return true;
    }

    bool BoxLine(Cursor& cursor) {
        IO_ListedBox box;
        if (!cursor.ReadBox(box)) {
            return false;
        }
        if (!listing_.hull.empty() && box.size() != listing_.Dimension()) {
            return cursor.Fail("box of dimension " + std::to_string(box.size()) +
                               " after boxes of dimension " + std::to_string(listing_.Dimension()));
        }
        const bool proved = section_ != Section::kOpen;
        if (!Ordered(cursor, box, proved)) {
            return false;
        }
        Widen(listing_.hull, box);
        if (!thin_) {
            ListOf(section_).push_back(std::move(box));
        } else {
            ++listing_.thinBoxes;
        }
        return true;
    }

    // Every component ordered; sets thin_ when a proved box (inward rounded)
    // has a component crossed by rounding.
    bool Ordered(Cursor& cursor, const IO_ListedBox& box, bool proved) {
        thin_ = false;
        for (const IO_ListedBounds& b : box) {
            if (b.lo <= b.hi) {
                continue;
            }
            if (!proved || !CrossedByRounding(b)) {
                return cursor.Fail("upside-down interval [ " + Number(b.lo) + ", " + Number(b.hi) +
                                   " ]");
            }
            thin_ = true;
        }
        return true;
    }

    std::vector<IO_ListedBox>& ListOf(Section section) {
        if (section == Section::kTrue) {
            return listing_.trueBoxes;
        }
        return section == Section::kFalse ? listing_.falseBoxes : listing_.openBoxes;
    }

    std::string& error_;
    IO_BoxListing listing_;
    Section section_ = Section::kNone;
    bool seen_[3] = {false, false, false};
    bool thin_ = false;
};

}  // namespace

bool IO_ParseBoxListing(const std::string& text, IO_BoxListing& listing, std::string& error) {
    SAL_Interface::SetRounding(SAL_RoundNearest);
    std::string message;
    Reader reader(message);
    std::size_t start = 0;
    std::size_t lineNo = 1;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (!reader.Line(std::string_view(text).substr(start, end - start), lineNo)) {
            error = message;
            return false;
        }
        start = end + 1;
        ++lineNo;
    }
    if (!reader.Finish(listing)) {
        error = message;
        return false;
    }
    return true;
}
