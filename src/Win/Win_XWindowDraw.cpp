// The drawing operations: everything is drawn into the pixmap.
#include "Win/Win_XWindow.h"

#include "Win/Win_XWindowState.h"

#include <cstring>

namespace {

// The pixel rectangle spanned by two corners, from the smaller to the larger
// column and row; the far column and row lie just outside it.
struct PixelRect {
    int x, y;
    unsigned width, height;
};

PixelRect Span(int ca, int ra, int cb, int rb) {
    return {ca < cb ? ca : cb, ra < rb ? ra : rb,
            static_cast<unsigned>(ca < cb ? cb - ca : ca - cb),
            static_cast<unsigned>(ra < rb ? rb - ra : ra - rb)};
}

}  // namespace

void XWindow::Clear() {
    if (Drawable()) {
        XSetForeground(xState.display, xState.gc, backgroundPixel);
        XFillRectangle(xState.display, pixmap, xState.gc, 0, 0, Width(), Height());
    }
    clean = true;
}

void XWindow::SetColorEntry(int index, unsigned long pixel) {
    if (index >= 0 && index < 4) {
        colors[index] = pixel;
    }
}

void XWindow::SetForeground(int index) {
    foregroundIndex = index;
    if (index >= 0 && index < 4) {
        foregroundPixel = colors[index];
    }
}

void XWindow::SetBackground(int index) {
    backgroundIndex = index;
    if (index >= 0 && index < 4) {
        backgroundPixel = colors[index];
    }
}

void XWindow::DrawPoint(double x, double y) {
    if (Drawable()) {
        XSetForeground(xState.display, xState.gc, foregroundPixel);
        XDrawPoint(xState.display, pixmap, xState.gc, Column(x), Row(y));
    }
    clean = false;
}

void XWindow::DrawLine(double xa, double ya, double xb, double yb) {
    if (Drawable()) {
        XSetForeground(xState.display, xState.gc, foregroundPixel);
        XDrawLine(xState.display, pixmap, xState.gc, Column(xa), Row(ya), Column(xb), Row(yb));
    }
    clean = false;
}

void XWindow::DrawRectangle(double xa, double ya, double xb, double yb) {
    if (Drawable()) {
        const PixelRect r = Span(Column(xa), Row(ya), Column(xb), Row(yb));
        XSetForeground(xState.display, xState.gc, foregroundPixel);
        XDrawRectangle(xState.display, pixmap, xState.gc, r.x, r.y, r.width, r.height);
    }
    clean = false;
}

void XWindow::FillRectangle(double xa, double ya, double xb, double yb) {
    if (Drawable() && xState.RootDepth() == 1 && foregroundIndex != 0 && foregroundIndex != 1) {
        FillPattern(xa, ya, xb, yb);
    } else if (Drawable()) {
        const PixelRect r = Span(Column(xa), Row(ya), Column(xb), Row(yb));
        XSetForeground(xState.display, xState.gc, foregroundPixel);
        XFillRectangle(xState.display, pixmap, xState.gc, r.x, r.y, r.width, r.height);
    }
    clean = false;
}

void XWindow::FillPattern(double xa, double ya, double xb, double yb) {
    const double dx = xb - xa, dy = yb - ya;
    if (foregroundIndex == 0 || foregroundIndex == 1) {
        FillRectangle(xa, ya, xb, yb);
    } else if (foregroundIndex == 2) {
        // t grows by repeated addition, 0.2, 0.4, 0.6000000000000001, 0.8, and
        // the next sum is exactly 1: four steps.
        double t = 0.2;
        for (int step = 0; step < 4; ++step, t += 0.2) {
            DrawLine(xa, ya + t * dy, xa + t * dx, ya);
            DrawLine(xa + t * dx, yb, xb, ya + t * dy);
            DrawLine(xa, ya + (1 - t) * dy, xa + t * dx, yb);
            DrawLine(xa + t * dx, ya, xb, ya + (1 - t) * dy);
        }
        DrawLine(xa, yb, xb, ya);
        DrawLine(xa, ya, xb, yb);
    } else if (foregroundIndex == 3) {
        DrawLine(xa + 0.45 * dx, ya + 0.45 * dy, xa + 0.55 * dx, ya + 0.55 * dy);
        DrawLine(xa + 0.45 * dx, ya + 0.55 * dy, xa + 0.55 * dx, ya + 0.45 * dy);
    }
    clean = false;
}

void XWindow::FillBorderedRectangle(double xa, double ya, double xb, double yb, int borderIndex,
                                    int fillIndex) {
    const unsigned long remembered = foregroundPixel;
    SetForeground(fillIndex);
    FillRectangle(xa, ya, xb, yb);
    SetForeground(borderIndex);
    DrawRectangle(xa, ya, xb, yb);
    foregroundPixel = remembered;
}

void XWindow::DrawText(const char* text) {
    while (*text != '\0') {
        const char* end = std::strchr(text, '\n');
        const int length = static_cast<int>(end != nullptr ? end - text : std::strlen(text));
        if (Drawable()) {
            XSetForeground(xState.display, xState.gc, foregroundPixel);
            XDrawString(xState.display, pixmap, xState.gc, textX, textY, text, length);
        }
        if (end == nullptr) {
            textX += xState.font != nullptr ? XTextWidth(xState.font, text, length) : 0;
            text += length;
        } else {
            textX = textLineStart;
            textY +=
                xState.font != nullptr ? (xState.font->ascent + xState.font->descent) * 3 / 2 : 0;
            text = end + 1;
        }
    }
    clean = false;
}

void XWindow::DrawTextAt(const char* text, double x, double y) {
    textX = textLineStart = Column(x);
    textY = Row(y);
    DrawText(text);
}
