// The X state every window of the process shares: set up once, when the first
// window is asked for. Only the window's own sources include this header.
#ifndef BRIX_WIN_WIN_XWINDOWSTATE_H
#define BRIX_WIN_WIN_XWINDOWSTATE_H

#include <X11/Intrinsic.h>
#include <X11/Xlib.h>

struct XWindowState {
    bool toolkitStarted = false;
    XtAppContext context = nullptr;
    Widget topLevel = nullptr;  // the toolkit's application shell
    Display* display = nullptr;
    XFontStruct* font = nullptr;  // null when no font could be loaded
    GC gc = nullptr;              // used for all drawing
    bool lost = false;            // the connection broke: X must not be called again

    unsigned RootDepth() const { return DefaultDepth(display, DefaultScreen(display)); }
};

extern XWindowState xState;

#endif
