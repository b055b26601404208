// Where windows come from. The solver draws into Win_Window and never names a
// window system: the program hands it a factory for real windows, and a solver
// without one draws nothing.
#ifndef BRIX_WIN_WIN_WINDOWFACTORY_H
#define BRIX_WIN_WIN_WINDOWFACTORY_H

#include "Win/Win_Window.h"

class Win_WindowFactory {
public:
    Win_WindowFactory() = default;
    Win_WindowFactory(const Win_WindowFactory&) = delete;
    Win_WindowFactory& operator=(const Win_WindowFactory&) = delete;
    virtual ~Win_WindowFactory() = default;

    // A new window (new: the caller owns it and deletes it), not yet shown,
    // showing the world rectangle (x0, y0) bottom-left to (x1, y1) top-right in
    // width x height pixels, with its canvas at (canvasX, canvasY). Null when
    // no window can be opened.
    [[nodiscard]] virtual Win_Window* Create(double x0, double y0, double x1, double y1,
                                             int canvasX, int canvasY, int width, int height) = 0;
};

#endif
