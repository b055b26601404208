#include "Win/Win_Window.h"

#include "System/SAL.h"

void* Win_Window::operator new(std::size_t size) {
    return SAL_Interface::LocMalloc(static_cast<unsigned>(size));
}

void Win_Window::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}

void Win_Window::MoveTo(double x, double y) {
    penX = x;
    penY = y;
}

void Win_Window::LineTo(double x, double y) {
    DrawLine(penX, penY, x, y);
    penX = x;
    penY = y;
}

void Win_Window::SetWidth(int pixels) {
    width = pixels;
    xScale = width / (x1 - x0);
    xUnit = (x1 - x0) / width;
}

void Win_Window::SetHeight(int pixels) {
    height = pixels;
    yScale = height / (y1 - y0);
    yUnit = (y1 - y0) / height;
}

void Win_Window::SetXRange(double left, double right, int pixels) {
    x0 = left;
    x1 = right;
    SetWidth(pixels);
}

void Win_Window::SetYRange(double bottom, double top, int pixels) {
    y0 = bottom;
    y1 = top;
    SetHeight(pixels);
}
