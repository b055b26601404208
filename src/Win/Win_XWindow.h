// The result window on the X Window System (Xt and Xlib). Every drawing
// operation draws into an off-screen pixmap; the on-screen canvas is brought up
// to date by one copy of the whole pixmap when the window is shown, exposed or
// resized.
//
// The toolkit is initialised once per process, by the first DisplayAvailable()
// or Create(); later windows share its display, font and graphics context.
// When the connection to the display breaks, the process goes on: every
// window operation then does nothing and Create() answers null. Only the
// programs link this library (brix_x11); the solver reaches it through
// XWindowFactory.
#ifndef BRIX_WIN_WIN_XWINDOW_H
#define BRIX_WIN_WIN_XWINDOW_H

#include "Win/Win_Window.h"
#include "Win/Win_WindowFactory.h"

struct _WidgetRec;
struct _XDisplay;
union _XEvent;

class XWindow : public Win_Window {
public:
    // New window (the caller owns it and deletes it), not yet mapped, showing
    // the world rectangle (x0, y0) bottom-left to (x1, y1) top-right in
    // width x height pixels, each clamped to 1..4096, with its canvas at
    // (canvasX, canvasY) in the shell. Null when no X display can be opened or
    // the connection to it has been lost.
    [[nodiscard]] static XWindow* Create(double x0, double y0, double x1, double y1, int canvasX,
                                         int canvasY, int width, int height);
    // Whether windows can be made. The first call that finds a display opens
    // it and initialises the toolkit; calls before that retry.
    static bool DisplayAvailable();

    void Clear() override;
    // Indices outside 0..3 are ignored.
    void SetColorEntry(int index, unsigned long pixel) override;
    // An index outside 0..3 is recorded (on a one-bit screen it then draws no
    // fill pattern) but leaves the pixel in use unchanged.
    void SetForeground(int index) override;
    void SetBackground(int index) override;
    void DrawPoint(double x, double y) override;
    void DrawLine(double xa, double ya, double xb, double yb) override;
    void DrawRectangle(double xa, double ya, double xb, double yb) override;
    // Fills from the smaller to the larger column and row of the two corners,
    // the far column and row excluded. On a one-bit screen the foreground index
    // chooses a line pattern instead (see FillPattern).
    void FillRectangle(double xa, double ya, double xb, double yb) override;
    // Fill in colour fillIndex, outline in borderIndex. Leaves the foreground
    // index at borderIndex but the foreground pixel as it was before the call.
    void FillBorderedRectangle(double xa, double ya, double xb, double yb, int borderIndex,
                               int fillIndex) override;
    // Draws at the text cursor, line by line (lines end at '\n'): after a line
    // without newline the cursor moves right by its width, after a newline back
    // to the line start and down by 3/2 of the font height.
    void DrawText(const char* text) override;
    void DrawTextAt(const char* text, double x, double y) override;
    // Maps the window and waits (at most about ten seconds) for its first
    // exposure, then copies the drawing to the screen.
    void Show() override;
    void Hide() override;
    void ProcessEvents() override;
    int WriteBitmap(const char* fileName) override;
    ~XWindow() override;

    // Event handling, called by the toolkit's handlers on the canvas.
    // Exposure: copies the pixmap to the canvas.
    void HandleExpose();
    // A resize request (or a size change notified for the canvas): while
    // nothing has been drawn since the last Clear, the pixmap takes the new
    // size (clamped to 1..4096) keeping its top-left part; otherwise rings the
    // bell and writes a warning on standard error. Other events are ignored.
    void HandleStructure(const union _XEvent& event);

    // Handles for inspection (tests read the drawing back from the server).
    struct _XDisplay* XDisplay() const;
    unsigned long PixmapId() const { return pixmap; }
    unsigned long CanvasWindowId() const;
    unsigned long ColorPixel(int index) const { return colors[index]; }
    int ForegroundIndex() const { return foregroundIndex; }
    int Depth() const;
    bool Exposed() const { return exposed; }
    bool Clean() const { return clean; }

protected:
    // Requires DisplayAvailable().
    XWindow(double x0, double y0, double x1, double y1, int canvasX, int canvasY, int width,
            int height);

    // The one-bit screen's fill for the foreground index, drawn with DrawLine:
    // 0 or 1 solid, 2 a hatch, 3 a small cross at the centre, others nothing.
    void FillPattern(double xa, double ya, double xb, double yb);

private:
    // Copies the whole pixmap to the canvas, when the canvas is realised.
    void Refresh();
    void ResizePixmap(int newWidth, int newHeight);
    bool Drawable() const;

    struct _WidgetRec* shell = nullptr;
    struct _WidgetRec* canvas = nullptr;
    unsigned long pixmap = 0;
    bool exposed = false;
    bool clean = true;
    unsigned long backgroundPixel = 0, foregroundPixel = 0;
    int backgroundIndex = 0, foregroundIndex = 1;
    unsigned long colors[4] = {0, 0, 0, 0};  // white, black, red, green
};

// Makes XWindows: the factory the program installs for the solver.
class XWindowFactory final : public Win_WindowFactory {
public:
    // An XWindow::Create window (new: the caller owns it); null without a display.
    [[nodiscard]] Win_Window* Create(double x0, double y0, double x1, double y1, int canvasX,
                                     int canvasY, int width, int height) override;
};

#endif
