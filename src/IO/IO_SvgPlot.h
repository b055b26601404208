// A box listing drawn as an SVG 1.1 picture.
//
// Colours: true boxes fill="#00ff00", false boxes fill="#ff0000", open boxes
// fill="#ffffff", each a <rect class="true|false|open" x y width height fill>
// with a thin black border, drawn in the order true, false, open. B gets a
// black frame (class "frame") on top, its bounds written at the ends of each
// axis and the variable names as axis labels.
//
// Layout, in pixels with y downwards as in SVG. The plot area is W x H with its
// top-left corner at (kPlotLeft, kPlotTop); the picture is
// kPlotLeft + W + kPlotRight wide and kPlotTop + H + kPlotBottom high.
//   Two variables: the longer side of B gets kPlotSize pixels, the shorter its
//     share rounded to whole pixels, at least kPlotMinSide.
//   One variable: W = kPlotSize, H = kPlotStrip.
// World to pixel, with B = [x0, x1] x [y0, y1] (y upwards in the world):
//   X(x) = kPlotLeft + W (x - x0) / (x1 - x0)
//   Y(y) = kPlotTop + H (y1 - y) / (y1 - y0)
// A box [a, b] x [c, d], first clipped to B, is the rect x = X(a), y = Y(d),
// width = X(b) - X(a), height = Y(c) - Y(d). A one-variable box is a strip of
// the full height: y = kPlotTop, height = H. Each edge is rounded to three
// decimals before the width and height are taken, so neighbouring boxes share
// their edges exactly; numbers are written without trailing zeros.
// A component of B of width 0 is drawn as [lo - s/2, lo + s/2], s = max(1, |lo|).
#ifndef BRIX_IO_IO_SVGPLOT_H
#define BRIX_IO_IO_SVGPLOT_H

#include "IO/IO_BoxListing.h"

#include <string>
#include <vector>

const int kPlotLeft = 120;
const int kPlotTop = 20;
const int kPlotRight = 30;
const int kPlotBottom = 50;
const int kPlotSize = 600;
const int kPlotMinSide = 120;
const int kPlotStrip = 120;

// Writes the picture of listing into svg. names are the variable names to show
// (one per variable); when empty, those of the echoed V line, else x1, x2.
// B is the echoed box, else the hull of the listed boxes. On failure (a
// dimension other than 1 or 2, a name count that differs from it) returns
// false, sets error to one line and leaves svg untouched. Names are escaped
// for XML; bytes that are not valid UTF-8 text become '?'.
// Rounding: sets nearest and leaves it there.
bool IO_SvgPlot(const IO_BoxListing& listing, const std::vector<std::string>& names,
                std::string& svg, std::string& error);

#endif
