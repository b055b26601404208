// The painting context: how result boxes are drawn into a window. True boxes
// are green, false boxes red, open boxes white; borders and the default
// drawing colour are black. A context without a window draws nothing, so
// every operation may be called whether or not a window exists.
#ifndef BRIX_DRIVER_BRIX_RESULTPAINTER_H
#define BRIX_DRIVER_BRIX_RESULTPAINTER_H

#include "Interval/Iv_Box.h"
#include "Win/Win_Window.h"

// Colour indices of the window's colour table.
enum { BRIX_White = 0, BRIX_Black = 1, BRIX_Red = 2, BRIX_Green = 3 };

// The world rectangle of a box: x from component 0, y from component 1 (or
// [0, 1]); the unit square for an empty or zero-dimensional box. With
// widenFlat, a component of width 0 spans [lower, lower + 1].
struct BRIX_WorldRect {
    double x0, y0, x1, y1;
};
BRIX_WorldRect WorldRectOf(const Box& box, bool widenFlat = false);

// A new window (the caller owns it) made by the installed window factory
// (BRIX_WindowFactory.h), showing the box's world rectangle at the given pixel
// size and canvas position, already shown. With adjust the size keeps the
// box's aspect ratio within width x height. Null without a factory, silently;
// when the factory opens no window, prints one line saying so on standard
// output and returns null.
Win_Window* MakeWindow(const Box& box, int width, int height, int canvasX, int canvasY,
                       bool adjust);
// The result window for a box of dimension 0, 1 or 2: 120 x 120, 700 x 120
// or 700 x 700 pixels at canvas position (1, 1), made by MakeWindow (new; the
// caller owns it; null without a factory or a display).
Win_Window* MakeResultWindow(const Box& box, bool adjust);
// The pixel size MakeWindow uses for the box (the adjust rule).
void AdjustedSize(const Box& box, bool adjust, int& width, int& height);

// Draw the box's world rectangle filled in a colour; DrawBordered adds an
// outline. The window is borrowed; both end with the drawing colour black.
void DrawFilled(Win_Window* window, const Box& box, int colour);
void DrawBordered(Win_Window* window, const Box& box, int colour, int borderColour);

// Handed by value through the search: copies share the window, which the
// creator deletes (the painter borrows it; null for no window).
struct ResultPainter {
    Win_Window* window = nullptr;
    Box box;
    bool borders = true;

    void PaintTrueBox(Box b) const { Paint(b, BRIX_Green); }
    void PaintFalseBox(Box b) const { Paint(b, BRIX_Red); }
    void PaintUnknownBox(Box b) const { Paint(b, BRIX_White); }
    // A mark through the middle of an open box: a horizontal line, a vertical
    // line, or a point when both are asked; green or red. The drawing colour
    // is left at the mark's colour.
    void MarkUnknownBox(Box b, bool green, bool horizontal, bool vertical) const;

private:
    void Paint(const Box& b, int colour) const;
};

#endif
