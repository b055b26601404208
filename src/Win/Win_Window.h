// A drawing surface in world coordinates: a rectangle of the plane mapped onto
// a pixel area. x grows to the right, y upwards (rows grow downwards).
#ifndef BRIX_WIN_WIN_WINDOW_H
#define BRIX_WIN_WIN_WINDOW_H

#include <cstddef>

class Win_Window {
public:
    Win_Window(const Win_Window&) = delete;
    Win_Window& operator=(const Win_Window&) = delete;

    virtual void Clear() = 0;
    virtual void SetColorEntry(int index, unsigned long pixel) = 0;
    virtual void SetForeground(int index) = 0;
    virtual void SetBackground(int index) = 0;
    virtual void DrawPoint(double x, double y) = 0;
    virtual void DrawLine(double xa, double ya, double xb, double yb) = 0;
    virtual void DrawRectangle(double xa, double ya, double xb, double yb) = 0;
    virtual void FillRectangle(double xa, double ya, double xb, double yb) = 0;
    virtual void FillBorderedRectangle(double xa, double ya, double xb, double yb, int borderIndex,
                                       int fillIndex) = 0;
    virtual void MoveTo(double x, double y);
    virtual void LineTo(double x, double y);
    virtual void DrawText(const char* text) = 0;
    virtual void DrawTextAt(const char* text, double x, double y) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void ProcessEvents() {}
    // Writes the drawing as an X bitmap file; returns the writer's status.
    virtual int WriteBitmap(const char* fileName) = 0;
    virtual ~Win_Window() = default;

    // Windows come from the system layer's local allocator.
    static void* operator new(std::size_t size);
    static void operator delete(void* block);

    // Pixel column and row of a world point (truncated toward zero). Points far
    // outside the window (or NaN) are clamped to +-30000 pixels, which X can
    // still draw to, so infinite box bounds never overflow the conversion.
    int Column(double x) const { return ToPixel((x - x0) * xScale); }
    int Row(double y) const { return ToPixel((y1 - y) * yScale); }
    // World coordinates of a pixel.
    double WorldX(int column) const { return column * xUnit + x0; }
    double WorldY(int row) const { return y1 - row * yUnit; }

    void SetWidth(int pixels);
    void SetHeight(int pixels);
    void SetXRange(double left, double right, int pixels);
    void SetYRange(double bottom, double top, int pixels);

    int Width() const { return width; }
    int Height() const { return height; }

    double x0, y0, x1, y1;  // world rectangle: left, bottom, right, top
    double penX = 0, penY = 0;
    int width = 0, height = 0;
    double xScale = 0, yScale = 0;  // pixels per world unit
    double xUnit = 0, yUnit = 0;    // world units per pixel
    int textX = 3, textY = 3, textLineStart = 3;

protected:
    static int ToPixel(double v) {
        if (!(v > -30000.0)) {
            return v != v ? 0 : -30000;
        }
        return v < 30000.0 ? static_cast<int>(v) : 30000;
    }

    // The world rectangle (x0, y0) bottom-left to (x1, y1) top-right.
    Win_Window(double x0, double y0, double x1, double y1) : x0(x0), y0(y0), x1(x1), y1(y1) {}
};

#endif
