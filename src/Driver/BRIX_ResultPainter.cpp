#include "Driver/BRIX_ResultPainter.h"

#include "Driver/BRIX_WindowFactory.h"
#include "IO/Ex_Stream.h"
#include "Interval/Iv_Itvl.h"
#include "Win/Win_WindowFactory.h"

#include <cmath>

BRIX_WorldRect WorldRectOf(const Box& box, bool widenFlat) {
    BRIX_WorldRect r{0.0, 0.0, 1.0, 1.0};
    if (box.IsEmpty() || box.Dimension() == 0) {
        return r;
    }
    r.x0 = box[0].Lo();
    r.x1 = box[0].Hi();
    if (box.Dimension() > 1) {
        r.y0 = box[1].Lo();
        r.y1 = box[1].Hi();
    }
    if (widenFlat) {
        if (r.x1 - r.x0 == 0.0) {
            r.x1 = r.x0 + 1.0;
        }
        if (r.y1 - r.y0 == 0.0) {
            r.y1 = r.y0 + 1.0;
        }
    }
    return r;
}

void AdjustedSize(const Box& box, bool adjust, int& width, int& height) {
    if (!adjust) {
        return;
    }
    BRIX_WorldRect r = WorldRectOf(box, true);
    double dx = r.x1 - r.x0;
    double dy = r.y1 - r.y0;
    // An unbounded side has no aspect ratio to keep: the size stays.
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    if (dy > dx) {
        width = static_cast<int>(width * dx / dy) + 1;
    } else if (dy < dx) {
        height = static_cast<int>(height * dy / dx) + 1;
    }
}

Win_Window* MakeWindow(const Box& box, int width, int height, int canvasX, int canvasY,
                       bool adjust) {
    Win_WindowFactory* factory = BRIX_GetWindowFactory();
    if (factory == nullptr) {
        return nullptr;  // a solver without windows (the library facade): nothing to say
    }
    BRIX_WorldRect r = WorldRectOf(box, true);
    AdjustedSize(box, adjust, width, height);
    Win_Window* window = factory->Create(r.x0, r.y0, r.x1, r.y1, canvasX, canvasY, width, height);
    if (window == nullptr) {
        Ex_StdOut() << "No window can be opened (no X display available); continuing without it.\n";
        return nullptr;
    }
    window->Show();
    return window;
}

Win_Window* MakeResultWindow(const Box& box, bool adjust) {
    static const int widths[3] = {120, 700, 700};
    static const int heights[3] = {120, 120, 700};
    int d = box.Dimension() < 1 ? 0 : (box.Dimension() > 2 ? 2 : box.Dimension());
    return MakeWindow(box, widths[d], heights[d], 1, 1, adjust);
}

void DrawFilled(Win_Window* window, const Box& box, int colour) {
    BRIX_WorldRect r = WorldRectOf(box);
    window->SetForeground(colour);
    window->FillRectangle(r.x0, r.y0, r.x1, r.y1);
    window->SetForeground(BRIX_Black);
}

void DrawBordered(Win_Window* window, const Box& box, int colour, int borderColour) {
    BRIX_WorldRect r = WorldRectOf(box);
    window->SetForeground(colour);
    window->FillRectangle(r.x0, r.y0, r.x1, r.y1);
    window->SetForeground(borderColour);
    window->DrawLine(r.x0, r.y0, r.x1, r.y0);
    window->DrawLine(r.x1, r.y0, r.x1, r.y1);
    window->DrawLine(r.x1, r.y1, r.x0, r.y1);
    window->DrawLine(r.x0, r.y1, r.x0, r.y0);
    window->SetForeground(BRIX_Black);
}

void ResultPainter::Paint(const Box& b, int colour) const {
    if (window == nullptr) {
        return;
    }
    if (borders) {
        DrawBordered(window, b, colour, BRIX_Black);
    } else {
        DrawFilled(window, b, colour);
    }
}

void ResultPainter::MarkUnknownBox(Box b, bool green, bool horizontal, bool vertical) const {
    if (window == nullptr || b.Dimension() < 2) {
        return;
    }
    const Iv_Itvl<double>& x = b[0];
    const Iv_Itvl<double>& y = b[1];
    window->SetForeground(green ? BRIX_Green : BRIX_Red);
    if (horizontal && !vertical) {
        window->DrawLine(x.Lo(), Mid(y), x.Hi(), Mid(y));
    } else if (vertical && !horizontal) {
        window->DrawLine(Mid(x), y.Lo(), Mid(x), y.Hi());
    } else if (horizontal && vertical) {
        window->DrawPoint(Mid(x), Mid(y));
    }
}
