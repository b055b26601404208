// The box listing that `brix -ob` prints, read back from text.
//
// A listing holds three sections, each a heading line followed by one box per
// line and ended by a blank line (or the end of the text):
//   "F, rounded inwards, is true on"                   true boxes
//   "F, rounded inwards, is false on"                  false boxes
//   "The truth of F, rounded outwards is unknown on"   open boxes
// A box reads "[ [ lo, hi ], [ lo, hi ] ]"; anything after it on its line is
// ignored (open boxes carry their continuity lists there). Outside the
// sections, the dialogue echo lines "V = [ x, y ]" and "B = [ [ .. ] ]" give
// the variable names and the input box; the last well-formed one of each
// counts, and echo lines that hold no list ("B = Error: ...") are skipped.
// Every other line outside the sections is ignored.
#ifndef BRIX_IO_IO_BOXLISTING_H
#define BRIX_IO_IO_BOXLISTING_H

#include <cstddef>
#include <string>
#include <vector>

// One component of a listed box: lo <= hi, both finite.
struct IO_ListedBounds {
    double lo;
    double hi;
};

// A listed box: one component per variable.
using IO_ListedBox = std::vector<IO_ListedBounds>;

struct IO_BoxListing {
    std::vector<IO_ListedBox> trueBoxes;
    std::vector<IO_ListedBox> falseBoxes;
    std::vector<IO_ListedBox> openBoxes;
    // From the echoed "V = [ ... ]" line, when hasNames.
    std::vector<std::string> names;
    bool hasNames = false;
    // B from the echoed "B = ..." line, when hasBox.
    IO_ListedBox box;
    bool hasBox = false;
    // The smallest box holding every listed box, dropped ones included.
    IO_ListedBox hull;
    // True and false boxes printed rounded inwards can come out with crossed
    // bounds ("[ 1.000001, 1 ]") when the proved box holds no number of the
    // printed precision. No printed point of such a box is proved, so it is
    // counted here and left out of the lists.
    std::size_t thinBoxes = 0;

    // The common dimension of the listed boxes (at least 1).
    std::size_t Dimension() const { return hull.size(); }
};

// Reads a listing from text (any bytes). On success fills listing and returns
// true: at least one box was listed, all boxes share one dimension of at least
// 1, every bound is finite, and B (when echoed) has that dimension. On failure
// returns false, sets error to one line without a line break ("line 7: ..."
// where a line is at fault) and leaves listing untouched.
// Numbers are read with strtod; requires the C numeric locale (the program
// never changes it). Rounding: sets nearest and leaves it there.
bool IO_ParseBoxListing(const std::string& text, IO_BoxListing& listing, std::string& error);

#endif
